// Joining a tournament game by its code through the stand-in host: the code's form, the gameflow
// plugin's say, the legacy join and the custom lobby its game builds, and the ways it fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/lobby/core/ClashTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using namespace ClashTesting;

constexpr char kCode[] = "KV04a2b-1234abcd-1234-5678-9abc-def012345678";
constexpr char kJoinMethod[] = "joinOrCreatePracticeGame";

class TournamentTest : public ClashTest {
 protected:
  HttpResponse Join(const std::string& code = kCode) { return P().HandleJoinTournament(code); }
  void AnswerJoin(Host::LcdsAnswer answer) {
    W().legacy_.Script(kGameService, kJoinMethod, std::move(answer));
  }
  std::size_t GameflowAsked(std::size_t from) { return W().Sent(kRequestLobbyPath, from).size(); }
};

TEST_F(TournamentTest, OnlyACodeOfTheTournamentFormReachesTheGameflowPlugin) {
  // Gameflow refuses: a code of the right form stops there, before the legacy platform.
  allowLobbies_ = false;
  struct Case {
    const char* label;
    std::string code;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"the example", kCode, true},
      {"two capitals", "XE04a2b-1234abcd-1234-5678-9abc-def012345678", true},
      {"four capitals, upper-case hex", "XEMT04A2B-1234ABCD-1234-5678-9ABC-DEF012345678", true},
      {"lower-case prefix", "kv04a2b-1234abcd-1234-5678-9abc-def012345678", false},
      {"mixed-case prefix", "Kv04a2b-1234abcd-1234-5678-9abc-def012345678", false},
      {"a group missing", "KV04a2b-1234abcd-1234-5678-def012345678", false},
      {"a 13-digit last group", "KV04a2b-1234abcd-1234-5678-9abc-def0123456789", false},
      {"five capitals", "ABCDE04a2b-1234abcd-1234-5678-9abc-def012345678", false},
      {"one capital", "K04a2b-1234abcd-1234-5678-9abc-def012345678", false},
      {"a non-hex digit", "KV04a2g-1234abcd-1234-5678-9abc-def012345678", false},
      {"trailing text", std::string(kCode) + "\n", false},
      {"empty", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::size_t requests = W().Mark();
    const std::size_t legacy = W().LegacyMark();
    const HttpResponse reply = Join(c.code);
    EXPECT_FALSE(reply.ok);
    if (c.valid) {
      EXPECT_EQ(reply.status.status, 423);
      EXPECT_EQ(reply.message, "Gameflow prevented a lobby.");
      EXPECT_EQ(GameflowAsked(requests), 1u);
    } else {
      EXPECT_EQ(reply.status.status, 404);
      EXPECT_EQ(reply.message, "TOURNAMENT_CODE_NOT_FOUND");
      EXPECT_EQ(GameflowAsked(requests), 0u);
    }
    EXPECT_TRUE(W().LegacyCalls(legacy).empty());
    EXPECT_EQ(W().State(), "OutOfLobby");
  }
}

TEST_F(TournamentTest, AValidCodeJoinsWithADefaultConfigurationAndTheGameBuildsTheCustomLobby) {
  AnswerJoin(GameAnswer("TEAM_SELECT", "PRACTICE_GAME"));
  const std::size_t requests = W().Mark();
  const std::size_t logs = W().LogMark();
  const std::size_t events = W().EventMark();
  const HttpResponse reply = Join();
  EXPECT_TRUE(reply.ok) << reply.message;
  EXPECT_EQ(reply.status.status, 0);
  EXPECT_EQ(GameflowAsked(requests), 1u);

  const Names calls = W().LegacyCalls();
  ASSERT_EQ(calls.size(), 1u);
  const std::vector<Host::LcdsInvocation>& invocations = W().legacy_.Invocations();
  EXPECT_EQ(invocations[0].destination, kGameService);
  EXPECT_EQ(invocations[0].method, kJoinMethod);
  // One default configuration that names the code; its map's player counts stay unknown.
  EXPECT_EQ(invocations[0].arguments,
            R"([{"__class":"com.zarnworks.platform.game.PracticeGameConfig","allowSpectators":"",)"
            R"("gameMap":{"__class":"com.zarnworks.platform.game.map.GameMap","description":"",)"
            R"("displayName":"","mapId":0,"minCustomPlayers":-1,"name":"","totalPlayers":-1},)"
            R"("gameMode":"","gameMutators":[],"gameName":"","gamePassword":"",)"
            R"("gameTypeConfig":0,"maxNumPlayers":0,"passbackDataPacket":null,)"
            R"("passbackUrl":"KV04a2b-1234abcd-1234-5678-9abc-def012345678","region":""}])");

  EXPECT_EQ(W().Logged("(tournament) succeeded", logs),
            Names{"3|gameService.joinOrCreatePracticeGame '" + std::string(kCode) +
                  "' (tournament) succeeded."});
  const Names entered = W().Entered(logs);
  ASSERT_FALSE(entered.empty());
  EXPECT_EQ(entered.front(), "LobbyRequested");
  EXPECT_EQ(entered.back(), "Member");
  EXPECT_EQ(W().State(), "Member");
  ASSERT_TRUE(W().V1Lobby().customGameLobby.has_value());
  EXPECT_EQ(W().V1Lobby().customGameLobby->gameId, 123u);
  for (const char* part :
       {"/jyx-lobby/v1/lobby", "/jyx-lobby/v1/lobby/members", "/jyx-lobby/v1/lobby/localMember"}) {
    SCOPED_TRACE(part);
    EXPECT_FALSE(W().Published(part, events).empty());
  }
}

TEST_F(TournamentTest, FromALobbyGameflowIsAskedTooAndTheLobbyChangesToTheTournament) {
  EnterLegacyLobby();
  AnswerJoin(GameAnswer("TEAM_SELECT", "PRACTICE_GAME"));
  W().legacy_.Script(kInviteService, "leave", Host::LcdsAnswer{});
  const std::size_t requests = W().Mark();
  const std::size_t logs = W().LogMark();
  const HttpResponse reply = Join();
  EXPECT_TRUE(reply.ok) << reply.message;
  EXPECT_EQ(GameflowAsked(requests), 1u);
  const Names entered = W().Entered(logs);
  ASSERT_FALSE(entered.empty());
  EXPECT_EQ(entered.front(), "ChangingLobby");
  EXPECT_EQ(W().State(), "Member");
  EXPECT_EQ(W().GameflowEvents(requests),
            (Names{R"("GAMEFLOW_EVENT.ENTERED_LOBBY")", R"("GAMEFLOW_EVENT.ENTERED_LOBBY")"}));
}

TEST_F(TournamentTest, APlatformRefusalIsAnsweredByItsExceptionAndFiresNothing) {
  const std::string exception = "com.zarnworks.platform.game.GameFullException: the game is full";
  AnswerJoin(Refusal(exception));
  const std::size_t logs = W().LogMark();
  const std::size_t requests = W().Mark();
  const HttpResponse reply = Join();
  EXPECT_EQ(reply.status.status, 432);
  EXPECT_NE(reply.message.find("GameFullException"), std::string::npos) << reply.message;
  EXPECT_EQ(W().Logged("joinOrCreatePracticeGame failed", logs),
            Names{"1|gameService.joinOrCreatePracticeGame failed. Sending error code: 432"});
  EXPECT_TRUE(W().Entered(logs).empty()) << "no event fired";
  EXPECT_EQ(W().State(), "OutOfLobby");
  EXPECT_TRUE(W().GameflowEvents(requests).empty());
}

TEST_F(TournamentTest, AGameWhoseConfigurationCannotBeReadFailsTheLobby) {
  AnswerJoin(GameAnswer("TEAM_SELECT", "PRACTICE_GAME"));
  Host::ScriptedReply failing;
  failing.status = 500;
  failing.error = "no such configuration";
  W().host_.ScriptReply("/jyx-game-queues/v1/game-type-config/1", failing);
  const std::size_t logs = W().LogMark();
  const std::size_t requests = W().Mark();
  const HttpResponse reply = Join();
  EXPECT_EQ(reply.status.status, 400);
  EXPECT_EQ(reply.message, "Failed to join tournament game");
  const Names failed = W().Logged("Failed to update custom lobby: ", logs);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].rfind("2|Failed to update custom lobby: Unable to map GameDTO", 0), 0u)
      << failed[0];
  EXPECT_EQ(W().State(), "OutOfLobby");
  EXPECT_EQ(W().GameflowEvents(requests), Names{R"("GAMEFLOW_EVENT.FAILED_LOBBY")"});
}

// A returned game that is not a practice game builds nothing: the join stays under way, and the
// platform's later update of the practice game completes it.
TEST_F(TournamentTest, AGameOfAnotherTypeLeavesTheJoinUnderWayUntilThePracticeGameArrives) {
  for (const bool fromLobby : {false, true}) {
    SCOPED_TRACE(fromLobby ? "from an arranged lobby" : "out of lobby");
    Fresh();
    if (fromLobby) EnterLegacyLobby();
    W().legacy_.Script(kInviteService, "leave", Host::LcdsAnswer{});
    AnswerJoin(GameAnswer("TEAM_SELECT", "WISTEL_GAME"));
    const std::size_t requests = W().Mark();
    const HttpResponse reply = Join();
    if (fromLobby) {
      EXPECT_TRUE(reply.ok) << reply.message;
      EXPECT_EQ(reply.status.status, 0);
      EXPECT_EQ(W().State(), "ChangingLobby");
    } else {
      EXPECT_EQ(reply.status.status, 400);
      EXPECT_EQ(reply.message, "Failed to join tournament game");
      EXPECT_EQ(W().State(), "LobbyRequested");
    }
    ASSERT_TRUE(W().legacy_.Push(kGameClass, GameJson("TEAM_SELECT", "PRACTICE_GAME")));
    W().host_.RunDue();
    EXPECT_EQ(W().State(), "Member");
    const Names events = W().GameflowEvents(requests);
    EXPECT_EQ(std::count(events.begin(), events.end(), R"("GAMEFLOW_EVENT.FAILED_LOBBY")"), 0);
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
