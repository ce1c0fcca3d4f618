// The custom game's bots with the real controller: adding, changing and removing one through the
// bot routes, when a custom game has bots at all, the bot champions and difficulties, and the bot
// configuration followed across logins.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <string>
#include <vector>

#include "host/HostValue.h"
#include "tests/lobby/backends/CustomGameLobbyControllerTesting.h"
#include "tests/lobby/backends/CustomGameTesting.h"
#include "tests/lobby/core/EligibilityRulesTesting.h"

namespace Zarn::Client::Testing {
namespace {

using Names = std::vector<std::string>;
namespace Api = Lobby::Api;

// "<champion id> <internal name>|<display name>|<skill>|<team>" of a bot call's arguments; the
// champion id travels beside the record, never in it.
std::string BotCall(const std::string& arguments) {
  rapidjson::Document json;
  std::string error;
  if (!Host::ParseHostJson(arguments, &json, &error) || !json.IsArray() || json.Size() != 2) {
    return "unreadable " + arguments;
  }
  const rapidjson::Value& bot = json[1];
  if (bot.HasMember("championId")) return "champion id in the record";
  return std::to_string(json[0].GetInt()) + " " + bot["summonerInternalName"].GetString() + "|" +
         bot["summonerName"].GetString() + "|" + std::to_string(bot["botSkillLevel"].GetInt()) +
         "|" + bot["teamId"].GetString();
}

Api::LobbyMember Bot(const std::string& internalName, std::int32_t championId) {
  Api::LobbyMember bot;
  bot.isBot = true;
  bot.summonerInternalName = internalName;
  bot.botChampionId = championId;
  bot.botDifficulty = Api::LobbyBotDifficulty::EASY;
  return bot;
}

// A custom v1 lobby with Corvel's bot in team two.
void MakeCustomLobby(CustomGameRig& rig) {
  Api::Lobby& lobby = rig.V1Lobby();
  lobby.isCustom = true;
  lobby.customGameLobby.emplace();
  lobby.customGameLobby->teamTwo = {Bot("bot_Corvel_200", 22)};
}

TEST(CustomGameBotRulesTest, BotsAreAddedChangedAndRemovedByTheirChampionsAlias) {
  CustomGameRig rig;
  MakeCustomLobby(rig);
  rig.AnswerNothing("selectBotChampion");
  rig.AnswerNothing("removeBotChampion");
  Api::LobbyBotParams brakka;
  brakka.championId = 1;
  brakka.botDifficulty = Api::LobbyBotDifficulty::MEDIUM;
  brakka.teamId = "100";
  HttpResponse added = rig.plugin->AddCustomBot(brakka);
  EXPECT_TRUE(added.ok) << added.message;
  ASSERT_EQ(rig.Arguments("selectBotChampion").size(), 1u);
  EXPECT_EQ(BotCall(rig.Arguments("selectBotChampion")[0]), "1 bot_Brakka_100|Brakka bot|1|100");

  const std::size_t before = rig.legacy.Invocations().size();
  brakka.teamId = "200";
  HttpResponse changed = rig.plugin->HandlePostCustomBot("bot_Corvel_200", brakka);
  EXPECT_TRUE(changed.ok) << changed.message;
  Names calls;
  for (std::size_t i = before; i < rig.legacy.Invocations().size(); ++i) {
    calls.push_back(rig.legacy.Invocations()[i].method + " " +
                    BotCall(rig.legacy.Invocations()[i].arguments));
  }
  EXPECT_EQ(calls, (Names{"removeBotChampion 22 bot_Corvel_200|Corvel bot|0|200",
                          "selectBotChampion 1 bot_Brakka_200|Brakka bot|1|200"}));

  HttpResponse removed = rig.plugin->RemoveCustomBot("bot_Corvel_200");
  EXPECT_TRUE(removed.ok) << removed.message;
  EXPECT_EQ(BotCall(rig.Arguments("removeBotChampion").back()),
            "22 bot_Corvel_200|Corvel bot|0|200");
}

TEST(CustomGameBotRulesTest, ABotNotInItsTeamOrALobbyWithoutGameIsNotFound) {
  struct Case {
    const char* label;
    bool customPart;
    const char* name;
  };
  const std::vector<Case> cases = {
      {"a name of another team", true, "bot_Corvel_100"},
      {"an unknown name", true, "bot_Dunmar_200"},
      {"no custom game part", false, "bot_Corvel_200"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CustomGameRig rig;
    MakeCustomLobby(rig);
    if (!c.customPart) rig.V1Lobby().customGameLobby.reset();
    const std::size_t before = rig.legacy.Invocations().size();
    HttpResponse removed = rig.plugin->RemoveCustomBot(c.name);
    EXPECT_EQ(removed.status.status, 404);
    EXPECT_EQ(
        removed.message,
        std::string("Unable to delete custom bot, cannot find bot with summonerInternalName ") +
            c.name);
    HttpResponse changed = rig.plugin->HandlePostCustomBot(c.name, Api::LobbyBotParams{});
    EXPECT_EQ(changed.status.status, 404);
    EXPECT_EQ(
        changed.message,
        std::string("Unable to update custom bot, cannot find bot with summonerInternalName ") +
            c.name);
    EXPECT_EQ(rig.legacy.Invocations().size(), before);
  }
  CustomGameRig rig;
  MakeCustomLobby(rig);
  rig.Throw("selectBotChampion", "com.zarnworks.platform.game.GameFullException");
  HttpResponse full = rig.plugin->AddCustomBot(Api::LobbyBotParams{});
  EXPECT_EQ(full.status.status, 432);
  EXPECT_EQ(full.message.rfind("Unable to create custom bot: ", 0), 0u) << full.message;
}

TEST(CustomGameBotRulesTest, BotsAreOfferedOnlyOnTheirMapsModesAndMutators) {
  // Per map, mode and skirmish flag: whether the mutators "", "PracticeTool" and "OneForAll"
  // have bots ('Y') or not ('-').
  struct Row {
    std::int32_t map;
    const char* mode;
    bool skirmish;
    const char* offered;
  };
  const std::vector<Row> rows = {
      {10, "CLASSIC", false, "YY-"},  {10, "CLASSIC", true, "YY-"},
      {10, "SKIRMISH", false, "---"}, {10, "SKIRMISH", true, "YY-"},
      {11, "CLASSIC", false, "YY-"},  {11, "CLASSIC", true, "YY-"},
      {11, "SKIRMISH", false, "---"}, {11, "SKIRMISH", true, "YY-"},
      {12, "CLASSIC", false, "---"},  {12, "CLASSIC", true, "YY-"},
      {12, "SKIRMISH", false, "---"}, {12, "SKIRMISH", true, "YY-"},
  };
  CustomGameRig rig;
  Lobby::CustomGameLobbyController& controller = rig.Controller();
  const std::vector<std::string> mutators = {"", "PracticeTool", "OneForAll"};
  for (const Row& row : rows) {
    rig.host.SetResource(kSkirmishPath, row.skirmish ? "true" : "false");
    rig.host.RunDue();
    std::string offered;
    for (const std::string& mutator : mutators) {
      Api::Lobby lobby;
      lobby.customGameLobby.emplace();
      lobby.customGameLobby->configuration.mapId = row.map;
      lobby.customGameLobby->configuration.gameMode = row.mode;
      lobby.customGameLobby->configuration.gameMutator = mutator;
      controller.UpdateAvailableBots(lobby);
      offered += controller.GetBotsEnabled().value ? "Y" : "-";
    }
    EXPECT_EQ(offered, row.offered) << "map " << row.map << " " << row.mode
                                    << (row.skirmish ? " with" : " without") << " skirmish bots";
  }
  controller.UpdateAvailableBots(Api::Lobby{});
  EXPECT_FALSE(controller.GetBotsEnabled().value) << "no custom game";
}

TEST(CustomGameBotRulesTest, BotChampionsAndDifficultiesFollowTheInventoryAndTheConfiguration) {
  CustomGameRig rig;
  Lobby::CustomGameLobbyController& controller = rig.Controller();
  const auto champions = [&controller] {
    std::string text;
    for (const Api::LobbyBotChampion& champion :
         Lobby::CustomGameLobbyControllerTesting::BotChampions(controller)) {
      text += (text.empty() ? "" : " ") + champion.name + ":";
      for (Api::LobbyBotDifficulty difficulty : champion.botDifficulties) {
        text += std::to_string(static_cast<int>(difficulty));
      }
    }
    return text;
  };
  EXPECT_EQ(champions(), "Brakka:0") << "Corvel is not a bot champion";
  rig.host.SetResource(kIntermediatePath, "true");
  rig.host.RunDue();
  EXPECT_EQ(champions(), "Brakka:01");
  rig.host.SetResource(
      kInventoryPath, R"([{"id":238,"name":"Dunmar","botEnabled":true},{"id":1,"name":"Brakka"}])");
  rig.host.RunDue();
  EXPECT_EQ(champions(), "Dunmar:01");
  rig.host.SetResource(kIntermediatePath, "false");
  rig.host.RunDue();
  EXPECT_EQ(champions(), "Dunmar:0");

  // A custom game with bots, then an inventory without bot champions.
  rig.V1Lobby().customGameLobby.emplace();
  rig.V1Lobby().customGameLobby->configuration.mapId = 11;
  rig.V1Lobby().customGameLobby->configuration.gameMode = "CLASSIC";
  rig.host.SetResource(kInventoryPath, R"([{"id":1,"name":"Brakka","botEnabled":true}])");
  rig.host.RunDue();
  EXPECT_TRUE(controller.GetBotsEnabled().value);
  const std::size_t mark = rig.Mark();
  rig.host.SetResource(kInventoryPath, R"([{"id":1,"name":"Brakka"}])");
  rig.host.RunDue();
  EXPECT_FALSE(controller.GetBotsEnabled().value);
  EXPECT_EQ(rig.PublishedData("/jyx-lobby/v2/lobby/custom/bots-enabled", mark), Names{"false"});
  EXPECT_EQ(controller.GetAvailableBots().value.size(), 0u);
}

TEST(CustomGameBotRulesTest, ALoginAsAnotherSummonerFollowsOnlyTheNewSummonersInventory) {
  CustomGameRig rig(false);
  rig.host.SeedResource("/jyx-summoner/v1/current-summoner",
                        R"({"summonerId":2046,"summonerLevel":30})");
  rig.Start();
  Lobby::CustomGameLobbyController& controller = rig.Controller();
  ASSERT_EQ(Lobby::CustomGameLobbyControllerTesting::InventorySummonerId(controller),
            kLocalSummonerId);
  const std::string other = "/jyx-champions/v1/inventories/3000/champions-minimal";
  rig.host.SeedResource(other, R"([{"id":22,"name":"Corvel","botEnabled":true}])");
  rig.host.DeleteResource("/jyx-login/v1/session");
  rig.host.SetResource("/jyx-login/v1/session",
                       R"({"state":"SUCCEEDED","summonerId":3000,"accountId":9002})");
  rig.host.RunDue();
  EXPECT_EQ(Lobby::CustomGameLobbyControllerTesting::InventorySummonerId(controller), 3000u);
  ASSERT_EQ(Lobby::CustomGameLobbyControllerTesting::BotChampions(controller).size(), 1u);
  EXPECT_EQ(Lobby::CustomGameLobbyControllerTesting::BotChampions(controller)[0].name, "Corvel");

  // The first summoner's inventory changes nothing now; the second one's replaces the champions.
  rig.host.SetResource(kInventoryPath, R"([{"id":238,"name":"Dunmar","botEnabled":true}])");
  rig.host.RunDue();
  EXPECT_EQ(Lobby::CustomGameLobbyControllerTesting::BotChampions(controller)[0].name, "Corvel");
  rig.host.SetResource(other, R"([{"id":1,"name":"Brakka","botEnabled":true}])");
  rig.host.RunDue();
  EXPECT_EQ(Lobby::CustomGameLobbyControllerTesting::BotChampions(controller)[0].name, "Brakka");

  // The inventories' event stays subscribed for the eligibility's champion counts.
  rig.host.SetResource("/jyx-champions/v1/inventories/2046/champions-playable-count",
                       R"({"championsOwned":5})");
  rig.host.RunDue();
  const Api::ChampCounts* counts = Lobby::EligibilityRulesTesting::ChampionCounts(
                                       Lobby::LobbyPluginTesting::Eligibility(*rig.plugin))
                                       .Effective();
  ASSERT_NE(counts, nullptr);
  EXPECT_EQ(counts->championsOwned, 5u);

  Names released;
  for (const Host::UnsubscribeCall& call : rig.host.Records().unsubscribes) {
    released.push_back(call.name);
  }
  EXPECT_THAT(released, ::testing::Contains("OnJsonApiEvent_jyx-platform-config_v1_namespaces_"
                                            "BotConfigurations_IntermediateInCustoms"));
  EXPECT_THAT(released,
              ::testing::Contains("OnJsonApiEvent_jyx-platform-config_v1_namespaces_CustomGame_"
                                  "BotsAvailableInSkirmish"));
  EXPECT_THAT(released,
              ::testing::Not(::testing::Contains("OnJsonApiEvent_jyx-champions_v1_inventories")));

  controller.Unsubscribe();
  EXPECT_EQ(Lobby::CustomGameLobbyControllerTesting::InventorySummonerId(controller), 0u);
  const std::size_t count = rig.host.Records().unsubscribes.size();
  controller.Unsubscribe();
  EXPECT_EQ(rig.host.Records().unsubscribes.size(), count) << "nothing left to release";
}

}  // namespace
}  // namespace Zarn::Client::Testing
