// Joining and leaving a clash party through the stand-in host: what is left first and in which
// order, the gameflow plugin's say, the parties service's answers, and a parties state applied
// while the join waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/RouteCaller.h"
#include "tests/lobby/core/ClashTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using namespace ClashTesting;
using Kind = Host::PartiesScript::Kind;

constexpr char kJoinPath[] = "v1/clash-parties/join";
constexpr char kRolePath[] = "v1/parties/*/members/*/role";
constexpr char kExitedLobby[] = R"("GAMEFLOW_EVENT.EXITED_LOBBY")";

class ClashJoinTest : public ClashTest {
 protected:
  // The legacy leaves, the lobby's exit and the parties requests from `from` on, in order.
  Names Steps(std::size_t from) {
    Names steps;
    for (const std::string& request : W().Requests(from)) {
      if (request == "lcds leave" || request == "parties" || request == kExitedLobby) {
        steps.push_back(request);
      }
    }
    return steps;
  }
  std::size_t V2Deletes(std::size_t from) {
    std::size_t count = 0;
    for (const Publication& event : W().Published(kV2LobbyPath, from)) {
      if (event.eventType == "Delete") ++count;
    }
    return count;
  }
};

TEST_F(ClashJoinTest, FromALegacyLobbyTheLobbyIsLeftAndQuitBeforeTheJoinAndTheViewRebuiltOnce) {
  for (const bool joined : {true, false}) {
    SCOPED_TRACE(joined ? "the service joins" : "the service refuses");
    Fresh();
    EnterLegacyLobby();
    W().legacy_.Script(kInviteService, "leave", Host::LcdsAnswer{});
    if (!joined) W().Script(kJoinPath, Kind::Status, 500, "CLASH_CLOSED");
    const std::size_t requests = W().Mark();
    const std::size_t events = W().EventMark();
    const std::size_t parties = W().PartiesMark();
    const HttpResponse reply = P().JoinClashParty("t1");
    if (joined) {
      EXPECT_TRUE(reply.ok) << reply.message;
    } else {
      EXPECT_EQ(reply.status.status, 500);
      EXPECT_EQ(reply.message, "Error joining party");
    }
    EXPECT_TRUE(W().Sent(kRequestLobbyPath, requests).empty()) << "in a lobby: not asked";
    // The first leave is the backend's; the second comes from the exit of the legacy lobby.
    EXPECT_EQ(Steps(requests), (Names{"lcds leave", "lcds leave", kExitedLobby, "parties"}));
    EXPECT_EQ(W().PartiesSent(parties, true), Names{"POST /v1/clash-parties/join \"t1\""});
    EXPECT_EQ(W().State(), "OutOfLobby");
    EXPECT_EQ(V2Deletes(events), 1u) << "one rebuild";
  }
}

TEST_F(ClashJoinTest, ALeaveThatFailsEndsTheJoinBeforeAnythingIsSent) {
  EnterLegacyLobby();
  W().legacy_.Script(kInviteService, "leave", Refusal("LobbyLeaveException"));
  const std::size_t logs = W().LogMark();
  const HttpResponse reply = P().JoinClashParty("t1");
  EXPECT_EQ(reply.status.status, 400);
  EXPECT_EQ(reply.message, "Failed to leave lobby");
  EXPECT_EQ(W().Logged("Unable to leave to join clash party", logs),
            Names{"2|Unable to leave to join clash party: Failed to leave lobby"});
  EXPECT_TRUE(W().PartiesSent(0, true).empty());
  EXPECT_EQ(W().State(), "Owner");
}

TEST_F(ClashJoinTest, FromAPartyLobbyNothingIsLeftFirst) {
  EnterPartyLobby();
  const std::size_t parties = W().PartiesMark();
  const std::size_t legacy = W().LegacyMark();
  const std::size_t requests = W().Mark();
  const HttpResponse reply = P().JoinClashParty("t2");
  EXPECT_TRUE(reply.ok) << reply.message;
  EXPECT_TRUE(W().Sent(kRequestLobbyPath, requests).empty());
  EXPECT_EQ(W().PartiesSent(parties, true), Names{"POST /v1/clash-parties/join \"t2\""})
      << "no leave";
  EXPECT_TRUE(W().LegacyCalls(legacy).empty());
  EXPECT_EQ(W().State(), "OutOfLobby");
}

TEST_F(ClashJoinTest, OutsideALobbyTheGameflowPluginDecides) {
  for (const bool allowed : {true, false}) {
    SCOPED_TRACE(allowed ? "allowed" : "refused");
    Fresh();
    allowLobbies_ = allowed;
    const std::size_t requests = W().Mark();
    const std::size_t logs = W().LogMark();
    const HttpResponse reply = P().JoinClashParty("t3");
    EXPECT_EQ(W().Sent(kRequestLobbyPath, requests).size(), 1u);
    if (allowed) {
      EXPECT_TRUE(reply.ok) << reply.message;
      EXPECT_EQ(W().PartiesSent(0, true), Names{"POST /v1/clash-parties/join \"t3\""});
    } else {
      EXPECT_EQ(reply.status.status, 423);
      EXPECT_EQ(reply.message, "Gameflow prevented a lobby.");
      EXPECT_EQ(W().Logged("Gameflow prevented", logs), Names{"2|Gameflow prevented a lobby."});
      EXPECT_TRUE(W().PartiesSent(0, true).empty());
    }
    EXPECT_TRUE(W().LegacyCalls().empty());
  }
}

// The service tells the player of its clash party by a message that arrives while the join still
// waits for its own answer.
TEST_F(ClashJoinTest, APartiesStateArrivingWhileTheJoinWaitsIsAppliedAndTheViewRebuiltOnce) {
  EnterPartyLobby();
  Host::PartiesScript late;
  late.path = kJoinPath;
  late.timing = Host::ProxyScript::Timing::OnYield;
  late.yield = 3;
  W().parties_.AddScript(late);
  const std::size_t events = W().EventMark();
  const std::size_t parties = W().PartiesMark();
  bool joinSentAtFirstYield = false;
  bool clashWhileWaiting = false;
  std::size_t deletesWhileWaiting = 0;
  W().host_.OnYield(1, [&] {
    joinSentAtFirstYield = W().PartiesSent(parties, true).size() == 1;
    W().parties_.SetPush(Host::PartiesPush::Message);
    W().parties_.PushLocalPlayer();
  });
  W().host_.OnYield(3, [&] {
    clashWhileWaiting = Parties().IsClashParty();
    deletesWhileWaiting = V2Deletes(events);
  });
  const HttpResponse reply = P().JoinClashParty("t4");
  EXPECT_TRUE(reply.ok) << reply.message;
  EXPECT_TRUE(joinSentAtFirstYield);
  EXPECT_TRUE(clashWhileWaiting) << "applied while the join waits";
  EXPECT_EQ(deletesWhileWaiting, 0u) << "no rebuild inside the join";
  EXPECT_EQ(V2Deletes(events), 1u);
  EXPECT_TRUE(Parties().IsClashParty());
}

class ClashLeaveTest : public ClashTest {
 protected:
  // Joins the clash party "clash-t5", which the service tells the plugin of.
  void JoinClash() {
    W().parties_.SetPush(Host::PartiesPush::Notification);
    const HttpResponse joined = P().JoinClashParty("t5");
    ASSERT_TRUE(joined.ok) << joined.message;
    W().host_.RunDue();
    ASSERT_TRUE(Parties().IsClashParty());
  }
};

TEST_F(ClashLeaveTest, WithoutAClashPartyThereIsNothingToLeave) {
  for (const bool inPartyLobby : {false, true}) {
    SCOPED_TRACE(inPartyLobby ? "in a party lobby" : "in the player's own party");
    Fresh();
    if (inPartyLobby) EnterPartyLobby();
    const std::size_t parties = W().PartiesMark();
    const HttpResponse reply = P().LeaveClashParty();
    EXPECT_EQ(reply.status.status, 400);
    EXPECT_EQ(reply.message, "No Clash party to leave");
    EXPECT_TRUE(W().PartiesSent(parties, true).empty());
  }
}

TEST_F(ClashLeaveTest, AClashPartyIsLeftByDecliningAndAFailureAnsweredWithItsCode) {
  struct Case {
    const char* label;
    bool fails;
    Kind kind;
    std::int32_t status;
    std::uint32_t answered;
  };
  const std::vector<Case> cases = {
      {"left", false, Kind::Normal, 0, 0},
      {"refused with a status", true, Kind::Status, 409, 409},
      {"a proxy error without one", true, Kind::ProxyError, 0, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Fresh();
    JoinClash();
    if (c.fails) W().Script(kRolePath, c.kind, c.status, "LEAVE_REFUSED");
    const std::size_t parties = W().PartiesMark();
    const HttpResponse reply = P().LeaveClashParty();
    const Names sent = W().PartiesSent(parties, true);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], "PUT /v1/parties/clash-t5/members/puuid-stand-in/role \"DECLINED\"");
    if (!c.fails) {
      EXPECT_TRUE(reply.ok) << reply.message;
      EXPECT_EQ(reply.status.status, 0);
    } else {
      EXPECT_FALSE(reply.ok);
      EXPECT_EQ(reply.status.status, c.answered);
      EXPECT_NE(reply.message.find("LEAVE_REFUSED"), std::string::npos) << reply.message;
    }
  }
}

// The five routes as the host calls them, each reaching its handler.
TEST_F(ClashTest, TheRoutesAnswerThroughTheirHandlers) {
  struct Case {
    const char* method;
    const char* path;
    const char* body;
    std::optional<std::string> error;  // none: a success
    std::uint32_t status;
  };
  const std::vector<Case> cases = {
      {"POST", "/jyx-lobby/v1/tournaments/kv04a2b-1234abcd-1234-5678-9abc-def012345678/join", "",
       "TOURNAMENT_CODE_NOT_FOUND", 404},
      {"DELETE", "/jyx-lobby/v1/clash", "", "No Clash party to leave", 400},
      {"POST", "/jyx-lobby/v2/play-again", "", "Play-again is currently unavailable.", 400},
      {"POST", "/jyx-lobby/v2/play-again-decline", "", "Play-again is currently unavailable.", 400},
      {"POST", "/jyx-lobby/v1/clash", "\"t9\"", std::nullopt, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " " + c.path);
    int releases = 0;
    const Host::RouteAnswer answer =
        Host::CallRoute(Host::RoutesOf(&P().Snapshot()), Host::HostMethodCode(c.method), c.path,
                        c.body, Client::Testing::kTestHostContext, &releases);
    EXPECT_EQ(answer.error, c.error);
    if (c.error.has_value()) {
      EXPECT_EQ(answer.status, c.status);
    }
  }
  EXPECT_EQ(W().PartiesSent(0, true), Names{"POST /v1/clash-parties/join \"t9\""});
}

}  // namespace
}  // namespace Zarn::Client::Lobby
