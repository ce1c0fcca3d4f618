// Creating a custom lobby through the lobby route with the real custom game controller: the game
// type configuration, the practice game's configuration, the lobby made from the game and its bots,
// and each way the creation fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <string>
#include <vector>

#include "host/HostValue.h"
#include "lobby/model/LegacyClassNames.h"
#include "tests/lobby/backends/CustomGameTesting.h"

namespace Zarn::Client::Testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Names = std::vector<std::string>;

constexpr char kNameTaken[] = "com.zarnworks.platform.game.GameNameNotUniqueException: taken";

// The practice game configuration of the `index`-th createPracticeGame call.
rapidjson::Document SentConfig(const CustomGameRig& rig, std::size_t index = 0) {
  rapidjson::Document arguments;
  const Names calls = rig.Arguments("createPracticeGame");
  std::string error;
  EXPECT_GT(calls.size(), index);
  if (calls.size() <= index || !Host::ParseHostJson(calls[index], &arguments, &error)) {
    arguments.SetObject();
    return arguments;
  }
  rapidjson::Document config;
  config.CopyFrom(arguments[0], config.GetAllocator());
  return config;
}

std::string Text(const rapidjson::Value& value) { return Host::JsonText(value); }

Names BotPaths(const CustomGameRig& rig, std::size_t from) {
  Names bots;
  for (const std::string& path : rig.PublishedPaths(from)) {
    if (path.find("/lobby/custom/") != std::string::npos) bots.push_back(path);
  }
  return bots;
}

TEST(CustomGameCreationTest, ThePracticeGameOfTheRequestBecomesTheOwnersLobbyWithItsBots) {
  CustomGameRig rig;
  rig.AllowLobbies();
  rig.AnswerGame("createPracticeGame", GameJson("TEAM_SELECT"));
  const std::size_t mark = rig.Mark();
  HttpResult<Lobby::Api::LobbyDto> reply = rig.plugin->HandlePostLobby(CustomChange());
  ASSERT_TRUE(reply.response.ok) << reply.response.message;

  // The configuration's own id is 0, so the id of its mutators names the game type.
  EXPECT_EQ(rig.Entries({"request /jyx-game-queues/v1/game-type-config/"}, mark),
            Names{"request /jyx-game-queues/v1/game-type-config/1/map/11"});
  const rapidjson::Document config = SentConfig(rig);
  ASSERT_TRUE(config.IsObject());
  EXPECT_EQ(Text(config["gameName"]), R"("Lobby")");
  EXPECT_EQ(Text(config["gamePassword"]), R"("secret")");
  EXPECT_EQ(Text(config["gameMode"]), R"("CLASSIC")");
  EXPECT_EQ(config["maxNumPlayers"].GetInt(), 10);
  EXPECT_EQ(Text(config["allowSpectators"]), R"("ALL")");
  EXPECT_EQ(config["gameTypeConfig"].GetInt(), 1);
  EXPECT_EQ(Text(config["gameMutators"]), "[]");
  EXPECT_EQ(Text(config["region"]), R"("XEM")");
  const rapidjson::Value& map = config["gameMap"];
  EXPECT_EQ(map["mapId"].GetInt(), 11);
  EXPECT_EQ(Text(map["name"]) + Text(map["displayName"]) + Text(map["description"]), R"("""""")");
  EXPECT_EQ(map["minCustomPlayers"].GetInt(), 1);
  EXPECT_EQ(map["totalPlayers"].GetInt(), 10);

  EXPECT_EQ(rig.StateName(), "Owner");
  const Names lobbies = rig.PublishedData("/jyx-lobby/v1/lobby", mark);
  ASSERT_FALSE(lobbies.empty());
  EXPECT_THAT(rig.PublishedPaths(mark), ::testing::Contains("/jyx-lobby/v1/lobby Create"));
  rapidjson::Document lobby;
  std::string error;
  ASSERT_TRUE(Host::ParseHostJson(lobbies.front(), &lobby, &error)) << error;
  EXPECT_EQ(Text(lobby["chatRoomId"]),
            R"("ap~dccf3a647e8b1015191d47ad334e68aa07633a2a@sec.lobby-chat.jyx.invalid")");
  EXPECT_EQ(lobby["customGameLobby"]["configuration"]["teamSize"].GetInt(), 2) << "5 players";
  EXPECT_EQ(lobby["customGameLobby"]["gameId"].GetUint64(), 123u);
  EXPECT_EQ(Text(lobby["customGameLobby"]["lobbyName"]), R"("My Game")");
  EXPECT_EQ(Text(lobby["localMember"]["isOwner"]), "true");

  EXPECT_EQ(BotPaths(rig, mark), (Names{"/jyx-lobby/v1/lobby/custom/available-bots",
                                        "/jyx-lobby/v1/lobby/custom/bots-enabled",
                                        "/jyx-lobby/v2/lobby/custom/available-bots",
                                        "/jyx-lobby/v2/lobby/custom/bots-enabled"}));
  EXPECT_EQ(rig.PublishedData("/jyx-lobby/v2/lobby/custom/available-bots", mark),
            Names{R"([{"active":true,"botDifficulties":["EASY"],"id":1,"name":"Brakka"}])"});
}

TEST(CustomGameCreationTest, EachFailureOfTheCreationFailsTheLobbyWithItsStatus) {
  struct Case {
    const char* label;
    void (*setUp)(CustomGameRig&, Lobby::Api::LobbyChangeGameDto&);
    unsigned status;
    std::string error;
    std::size_t legacyCalls;
  };
  const std::string prefix = "Couldn't change lobby: Error creating lobby: ";
  const std::vector<Case> cases = {
      {"a game type config that cannot be read",
       [](CustomGameRig&, Lobby::Api::LobbyChangeGameDto& change) {
         change.customGameLobby->configuration.gameTypeConfig.id = 9;
       },
       500, prefix + "Invalid custom lobby configuration (game type config): ", 0},
      {"no champion aliases",
       [](CustomGameRig& rig, Lobby::Api::LobbyChangeGameDto&) {
         ASSERT_TRUE(rig.host.DeleteResource(kSummaryPath));
       },
       500, prefix + "Unable to update champion aliases", 0},
      {"a full game",
       [](CustomGameRig& rig, Lobby::Api::LobbyChangeGameDto&) {
         rig.Throw("createPracticeGame", "com.zarnworks.platform.game.GameFullException: full");
       },
       432,
       prefix + "Error response for POST /jyx-login/v1/session/invoke: "
                "com.zarnworks.platform.game.GameFullException: full",
       1},
      {"no custom game part",
       [](CustomGameRig&, Lobby::Api::LobbyChangeGameDto& change) {
         change.customGameLobby.reset();
       },
       400, prefix + "Invalid custom lobby configuration (customGameLobby missing)", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CustomGameRig rig;
    rig.AllowLobbies();
    rig.AnswerGame("createPracticeGame", GameJson("TEAM_SELECT"));
    Lobby::Api::LobbyChangeGameDto change = CustomChange();
    c.setUp(rig, change);
    const std::size_t mark = rig.Mark();
    HttpResult<Lobby::Api::LobbyDto> reply = rig.plugin->HandlePostLobby(change);
    EXPECT_FALSE(reply.response.ok);
    EXPECT_EQ(reply.response.status.status, static_cast<std::int32_t>(c.status));
    EXPECT_THAT(reply.response.message, StartsWith(c.error));
    EXPECT_EQ(rig.Arguments("createPracticeGame").size(), c.legacyCalls);
    EXPECT_EQ(rig.StateName(), "OutOfLobby");
    EXPECT_EQ(rig.GameflowEvents(mark), Names{"FAILED_LOBBY"});
    EXPECT_THAT(rig.PublishedPaths(mark),
                ::testing::Not(::testing::Contains("/jyx-lobby/v1/lobby Create")));
  }
  CustomGameRig rig;
  rig.AllowLobbies();
  rig.Throw("createPracticeGame", "com.zarnworks.platform.game.GameFullException: full");
  static_cast<void>(rig.plugin->HandlePostLobby(CustomChange()));
  EXPECT_EQ(rig.Logs("createPracticeGame failed"),
            Names{"1 gameService.createPracticeGame failed. Sending error code: 432"});
}

TEST(CustomGameCreationTest, APracticeToolGameIsPrivateAndATakenNameIsTriedOnceMoreNumbered) {
  Host::LcdsAnswer taken;
  taken.exception = kNameTaken;
  Host::LcdsAnswer game;
  game.typeName = kGameDtoClass;
  game.body = GameJson("TEAM_SELECT");
  struct Case {
    const char* label;
    std::vector<Host::LcdsAnswer> answers;
    bool created;
    Names names;
  };
  const std::vector<Case> cases = {
      {"free name", {game}, true, {R"("Practice")"}},
      {"taken once", {taken, game}, true, {R"("Practice")", R"("Practice 8")"}},
      {"taken twice", {taken}, false, {R"("Practice")", R"("Practice 8")"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CustomGameRig rig;
    rig.AllowLobbies();
    rig.legacy.ScriptInOrder(kGameService, "createPracticeGame", c.answers);
    HttpResult<Lobby::Api::LobbyDto> reply =
        rig.plugin->HandlePostLobby(CustomChange("PracticeTool", "Practice"));
    EXPECT_EQ(reply.response.ok, c.created) << reply.response.message;
    if (!c.created) {
      EXPECT_EQ(reply.response.status.status, 409);
      EXPECT_THAT(reply.response.message, HasSubstr(kNameTaken));
    }
    Names names;
    for (std::size_t i = 0; i < rig.Arguments("createPracticeGame").size(); ++i) {
      const rapidjson::Document config = SentConfig(rig, i);
      names.push_back(Text(config["gameName"]));
      // The request's password and spectator policy never reach the platform.
      EXPECT_NE(Text(config["gamePassword"]), R"("secret")");
      EXPECT_EQ(Text(config["allowSpectators"]), R"("NONE")");
      EXPECT_EQ(Text(config["gameMutators"]), R"(["PracticeTool"])");
    }
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(Text(SentConfig(rig, 0)["gamePassword"]), R"("7")") << "the first number drawn";
  }
}

}  // namespace
}  // namespace Zarn::Client::Testing
