// Custom game browsing and joining through the plugin's handlers, with the real custom game
// controller: the list of games, joining or watching one, the game records that then make the
// lobby, and the custom queue's availability.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/core/LobbyFlow.h"
#include "tests/lobby/backends/CustomGameTesting.h"

namespace Zarn::Client::Testing {
namespace {

using ::testing::HasSubstr;
using Names = std::vector<std::string>;
namespace Api = Lobby::Api;

constexpr char kSlotLimitPath[] =
    "/jyx-platform-config/v1/namespaces/ClientSystemStates/spectatorSlotLimit";
constexpr char kGameDtoMessage[] = "com.zarnworks.platform.game.GameDTO";

void AnswerList(CustomGameRig& rig) {
  Host::LcdsAnswer answer;
  answer.typeName = "java.util.ArrayList";
  answer.body =
      R"([{"id":77,"name":"Open","owner":{"summonerName":"Ann"},"maxNumPlayers":10,)"
      R"("privateGame":true,"team1Count":2,"team2Count":3,"spectatorCount":1,"gameMapId":11,)"
      R"("gameMode":"CLASSIC","allowSpectators":"ALL"},)"
      R"({"id":78,"name":"Closed","allowSpectators":"NONE"},)"
      R"({"id":79,"name":"Small","allowSpectators":"none"}])";
  rig.legacy.Script(kGameService, "listAllPracticeGames", answer);
}

TEST(CustomGameBrowsingTest, TheListIsFetchedOnceWhileEmptyAndGamesAreFoundByIdWithoutARefresh) {
  CustomGameRig rig(false);
  rig.host.SeedResource(kSlotLimitPath, "2");
  rig.Start();
  AnswerList(rig);
  const std::size_t mark = rig.Mark();
  HttpResult<std::vector<Api::LobbyCustomGame>> games = rig.plugin->GetCustomGames();
  ASSERT_TRUE(games.response.ok);
  ASSERT_EQ(games.value.size(), 3u);
  const Api::LobbyCustomGame& open = games.value[0];
  EXPECT_EQ(open.id, 77u);
  EXPECT_EQ(open.gameType, "CLASSIC");
  EXPECT_EQ(open.mapId, 11);
  EXPECT_EQ(open.ownerSummonerName, "Ann");
  EXPECT_EQ(open.spectatorPolicy, "ALL");
  EXPECT_EQ(open.filledSpectatorSlots, 1);
  EXPECT_EQ(open.filledPlayerSlots, 5);
  EXPECT_EQ(open.maxPlayerSlots, 10);
  EXPECT_EQ(open.lobbyName, "Open");
  EXPECT_TRUE(open.hasPassword);
  EXPECT_EQ(open.passbackUrl, "");
  // Only "NONE" itself closes the spectator slots.
  EXPECT_EQ(open.maxSpectatorSlots, 2u);
  EXPECT_EQ(games.value[1].maxSpectatorSlots, 0u);
  EXPECT_EQ(games.value[2].maxSpectatorSlots, 2u);
  EXPECT_EQ(rig.Arguments("listAllPracticeGames").size(), 1u);
  EXPECT_EQ(rig.PublishedPaths(mark), Names{"/jyx-lobby/v1/custom-games"});

  EXPECT_EQ(rig.plugin->GetCustomGames().value.size(), 3u);
  HttpResult<Api::LobbyCustomGame> closed = rig.plugin->GetCustomGame(78);
  EXPECT_TRUE(closed.response.ok);
  EXPECT_EQ(closed.value.lobbyName, "Closed");
  HttpResult<Api::LobbyCustomGame> missing = rig.plugin->GetCustomGame(80);
  EXPECT_EQ(missing.response.status.status, 404);
  EXPECT_EQ(missing.response.message, "LOBBY_NOT_FOUND");
  EXPECT_EQ(rig.Arguments("listAllPracticeGames").size(), 1u) << "no further listing";

  rig.Throw("listAllPracticeGames", "down");
  HttpResponse refreshed = rig.plugin->RefreshCustomGames();
  EXPECT_FALSE(refreshed.ok);
  EXPECT_EQ(rig.Logs("Failed to retrieve the list of custom games."),
            Names{"2 Failed to retrieve the list of custom games."});
  EXPECT_EQ(rig.plugin->GetCustomGames().value.size(), 3u) << "a failed refresh keeps the list";
}

TEST(CustomGameBrowsingTest, AJoinWatchesOrJoinsWithThePasswordEvenForAGameNotListed) {
  struct Case {
    const char* label;
    std::uint64_t id;
    Api::LobbyCustomJoinParameters parameters;
    const char* method;
    const char* arguments;
    Names logs;
  };
  Api::LobbyCustomJoinParameters withPassword;
  withPassword.password = "pw";
  Api::LobbyCustomJoinParameters watching;
  watching.asSpectator = true;
  const std::vector<Case> cases = {
      {"listed, with a password",
       77,
       withPassword,
       "joinGame",
       R"([77,"pw"])",
       {"3 Attempting to joinGame 77 (Open)", "3 gameService.joinGame 77 (Open) succeeded."}},
      {"not listed, watching",
       99,
       watching,
       "observeGame",
       "[99,null]",
       {"1 Cannot find custom game 99 in our cached list. Attempting to observeGame, regardless.",
        "3 gameService.observeGame 99 (<UNKNOWN>) succeeded."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CustomGameRig rig;
    AnswerList(rig);
    ASSERT_TRUE(rig.plugin->RefreshCustomGames().ok);
    rig.AllowLobbies();
    rig.AnswerNothing(c.method);
    const std::size_t mark = rig.Mark();
    HttpResponse joined = rig.plugin->JoinCustomGame(c.id, c.parameters);
    EXPECT_TRUE(joined.ok) << joined.message;
    EXPECT_EQ(rig.Arguments(c.method), Names{c.arguments});
    Names logs = rig.Logs("Attempting to");
    for (const std::string& line : rig.Logs("succeeded.")) logs.push_back(line);
    EXPECT_EQ(logs, c.logs);
    EXPECT_EQ(rig.Entries({"request /jyx-gameflow/v1/session/request-lobby"}, mark).size(), 1u);
    EXPECT_EQ(rig.StateName(), "LobbyRequested");
  }
}

TEST(CustomGameBrowsingTest, AGameNotFoundRefreshesTheListOnceAndFailsTheJoin) {
  Host::ScriptedReply refused;
  refused.json = "false";
  {
    CustomGameRig rig;
    AnswerList(rig);
    rig.AllowLobbies();
    rig.Throw("joinGame", "com.zarnworks.platform.game.GameNotFoundException: gone");
    const std::size_t mark = rig.Mark();
    HttpResponse joined = rig.plugin->JoinCustomGame(77, Api::LobbyCustomJoinParameters{});
    EXPECT_EQ(joined.status.status, 404);
    EXPECT_THAT(joined.message, HasSubstr("GameNotFoundException"));
    EXPECT_EQ(rig.Arguments("listAllPracticeGames").size(), 1u);
    EXPECT_EQ(rig.Logs("Sending error code"),
              Names{"1 gameService.joinGame failed. Sending error code: 404"});
    EXPECT_EQ(rig.GameflowEvents(mark), Names{"FAILED_LOBBY"});
    EXPECT_EQ(rig.StateName(), "OutOfLobby");
  }
  // One rig at a time: the clock source and the log target are the process's.
  CustomGameRig refusing;
  refusing.host.ScriptReply("/jyx-gameflow/v1/session/request-lobby", refused);
  HttpResponse prevented = refusing.plugin->JoinCustomGame(77, Api::LobbyCustomJoinParameters{});
  EXPECT_EQ(prevented.status.status, 423);
  EXPECT_EQ(prevented.message, "Gameflow prevented a lobby.");
  EXPECT_TRUE(refusing.Arguments("joinGame").empty());
}

TEST(CustomGameBrowsingTest, TheTeamSelectRecordAfterAJoinMakesTheMembersLobby) {
  CustomGameRig rig;
  // The invitation to the game, which the join makes needless.
  ASSERT_TRUE(rig.legacy.Push(
      "com.zarnworks.platform.gameinvite.contract.InvitationRequest",
      R"({"invitationId":"inv-1","owner":{"summonerId":5},"inviter":{"summonerId":5},)"
      R"("invitationState":"ACTIVE","gameMetaData":)"
      R"("{\"gameType\":\"PRACTICE_GAME\",\"gameId\":123,\"gameTypeConfigId\":1}"})"));
  rig.host.RunDue();
  const auto invitationIds = [&rig] {
    Names ids;
    for (const Api::ReceivedInvitationDto& invitation :
         rig.plugin->HandleGetReceivedInvitations().value) {
      ids.push_back(invitation.invitationId);
    }
    return ids;
  };
  ASSERT_EQ(invitationIds(), Names{"inv-1"});
  rig.AllowLobbies();
  rig.AnswerNothing("joinGame");
  ASSERT_TRUE(rig.plugin->JoinCustomGame(123, Api::LobbyCustomJoinParameters{}).ok);
  // Someone else owns the game the player joined.
  std::string game = GameJson("TEAM_SELECT");
  game.replace(game.find(R"("ownerSummary":{"summonerId":2046})"),
               std::string(R"("ownerSummary":{"summonerId":2046})").size(),
               R"("ownerSummary":{"summonerId":5})");
  const std::size_t mark = rig.Mark();
  ASSERT_TRUE(rig.legacy.Push(kGameDtoMessage, game));
  rig.host.RunDue();
  EXPECT_EQ(rig.StateName(), "Member");
  ASSERT_TRUE(rig.V1Lobby().customGameLobby.has_value());
  EXPECT_EQ(rig.V1Lobby().customGameLobby->gameId, 123u);
  EXPECT_EQ(rig.V1Lobby().localMember.id, kLocalSummonerId);
  EXPECT_FALSE(rig.V1Lobby().localMember.isOwner);
  EXPECT_EQ(invitationIds(), Names{});
  Names parts;
  for (const std::string& path : rig.PublishedPaths(mark)) {
    if (path.starts_with("/jyx-lobby/v1/lobby") && !path.ends_with("countdown")) {
      parts.push_back(path);
    }
  }
  // The lobby parts end the join; before it was joined they were a Delete.
  ASSERT_GE(parts.size(), 6u);
  parts.erase(parts.begin(), parts.end() - 6);
  EXPECT_EQ(parts, (Names{"/jyx-lobby/v1/lobby", "/jyx-lobby/v1/lobby/members",
                          "/jyx-lobby/v1/lobby/invitations", "/jyx-lobby/v1/lobby/localMember",
                          "/jyx-lobby/v1/lobby/custom/available-bots",
                          "/jyx-lobby/v1/lobby/custom/bots-enabled"}));
  // Published by the record's fill, and again as the join ends.
  EXPECT_EQ(rig.PublishedData("/jyx-lobby/v2/lobby/custom/bots-enabled", mark),
            (Names{"true", "true"}));

  // Inside a lobby a join no longer asks the gameflow plugin.
  rig.AnswerNothing("observeGame");
  const std::size_t inLobby = rig.Mark();
  Api::LobbyCustomJoinParameters watching;
  watching.asSpectator = true;
  EXPECT_TRUE(rig.plugin->JoinCustomGame(124, watching).ok);
  EXPECT_TRUE(rig.Entries({"request /jyx-gameflow/v1/session/request-lobby"}, inLobby).empty());
}

TEST(CustomGameBrowsingTest, AJoinedGameWhoseTypeConfigCannotBeReadFailsTheLobby) {
  CustomGameRig rig;
  rig.AllowLobbies();
  rig.AnswerNothing("joinGame");
  ASSERT_TRUE(rig.plugin->JoinCustomGame(123, Api::LobbyCustomJoinParameters{}).ok);
  std::string game = GameJson("TEAM_SELECT");
  game.replace(game.find(R"("gameTypeConfigId":1)"), std::string(R"("gameTypeConfigId":1)").size(),
               R"("gameTypeConfigId":5)");
  ASSERT_TRUE(rig.legacy.Push(kGameDtoMessage, game));
  rig.host.RunDue();
  const Names failed = rig.Logs("Failed to update custom lobby: ");
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_THAT(failed[0], HasSubstr("Unable to map GameDTO, Invalid GameTypeConfig 5: "));
  EXPECT_EQ(rig.StateName(), "OutOfLobby");
}

TEST(CustomGameBrowsingTest,
     TheCustomQueuesAvailabilityIsPublishedOnlyWhenItChangesInACustomLobby) {
  CustomGameRig rig;
  rig.plugin->ProcessLobbyEvent(Lobby::LobbyEvents::kNewCustomLobbyRequested);
  rig.plugin->ProcessLobbyEvent(Lobby::LobbyEvents::kNewCustomLobbySucceeded);
  rig.V1Lobby().isCustom = true;
  Lobby::LobbyPluginTesting::LobbyAvailability(*rig.plugin) = Api::QueueAvailability::Available;
  const std::string path = "/jyx-game-queues/v1/custom";
  const std::size_t mark = rig.Mark();
  rig.host.SetResource(path, R"({"queueAvailability":"PlatformDisabled"})");
  rig.host.SetResource(path, R"({"queueAvailability":"PlatformDisabled"})");
  rig.host.DeleteResource(path);
  rig.host.RunDue();
  EXPECT_EQ(rig.PublishedData("/jyx-lobby/v1/lobby/availability", mark),
            Names{R"("PlatformDisabled")"});
  EXPECT_EQ(rig.Logs("Lobby's availability changed"), Names{"0 Lobby's availability changed: OFF"});

  rig.V1Lobby().isCustom = false;
  const std::size_t notCustom = rig.Mark();
  rig.host.SetResource(path, R"({"queueAvailability":"Available"})");
  rig.host.RunDue();
  EXPECT_TRUE(rig.PublishedData("/jyx-lobby/v1/lobby/availability", notCustom).empty());
}

TEST(CustomGameBrowsingTest, AcceptingACustomGamesInvitationReadsTheGameOfItsMetaData) {
  CustomGameRig rig;
  ASSERT_TRUE(rig.legacy.Push(
      "com.zarnworks.platform.gameinvite.contract.InvitationRequest",
      R"({"invitationId":"inv-1","owner":{"summonerId":5},"inviter":{"summonerId":5},)"
      R"("invitationState":"ACTIVE","gameMetaData":)"
      R"("{\"gameType\":\"PRACTICE_GAME\",\"gameId\":123,\"gameTypeConfigId\":1}"})"));
  rig.host.RunDue();
  rig.AllowLobbies();
  Host::LcdsAnswer status;
  status.typeName = "com.zarnworks.platform.gameinvite.contract.LobbyStatus";
  status.body = R"({"invitationId":"inv-1","owner":{"summonerId":5},"members":[{"summonerId":5},)"
                R"({"summonerId":2046,"hasDelegatedInvitePower":true}],"invitees":[],)"
                R"("gameMetaData":"{\"gameId\":123,\"mapId\":11}"})";
  rig.legacy.Script("lcdsGameInvitationService", "accept", status);
  rig.AnswerGame("getGame", GameJson("TEAM_SELECT"));
  const std::size_t before = rig.legacy.Invocations().size();
  const std::size_t mark = rig.Mark();
  HttpResponse accepted = rig.plugin->HandleAcceptReceivedInvitation("inv-1");
  EXPECT_TRUE(accepted.ok) << accepted.message;
  Names calls;
  for (std::size_t i = before; i < rig.legacy.Invocations().size(); ++i) {
    calls.push_back(rig.legacy.Invocations()[i].method + " " +
                    rig.legacy.Invocations()[i].arguments);
  }
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], R"(accept ["inv-1"])");
  EXPECT_EQ(calls[1], "getGame [123]");
  EXPECT_EQ(rig.Entries({"request /jyx-game-queues/v1/game-type-config/"}, mark),
            Names{"request /jyx-game-queues/v1/game-type-config/1"});
  ASSERT_TRUE(rig.V1Lobby().customGameLobby.has_value());
  EXPECT_EQ(rig.V1Lobby().customGameLobby->gameId, 123u);
  EXPECT_EQ(rig.V1Lobby().invitationId, "inv-1");
}

TEST(CustomGameBrowsingTest, TheSpectatorSlotLimitIsANonNegativeNumberAndADeleteKeepsIt) {
  struct Step {
    const char* value;  // null: the key is deleted
    std::uint64_t slots;
  };
  const std::vector<Step> steps = {
      {"3", 3}, {nullptr, 3}, {"-3", 0}, {"4", 4}, {R"("many")", 0}, {"2.5", 2},
  };
  CustomGameRig rig;
  AnswerList(rig);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.value != nullptr ? step.value : "deleted");
    if (step.value != nullptr) {
      rig.host.SetResource(kSlotLimitPath, step.value);
    } else {
      ASSERT_TRUE(rig.host.DeleteResource(kSlotLimitPath));
    }
    rig.host.RunDue();
    ASSERT_TRUE(rig.plugin->RefreshCustomGames().ok);
    const std::vector<Api::LobbyCustomGame> games = rig.plugin->GetCustomGames().value;
    ASSERT_EQ(games.size(), 3u);
    EXPECT_EQ(games[0].maxSpectatorSlots, step.slots);
  }
}

}  // namespace
}  // namespace Zarn::Client::Testing
