// Play again and its decline through the stand-in host, after a scripted run: a lobby as its
// owner, the gameflow session to Matchmaking with the gameflow plugin available, then GameStart.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/lobby/core/ClashTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using namespace ClashTesting;
using Kind = Host::PartiesScript::Kind;

constexpr char kUnavailable[] = "Play-again is currently unavailable.";
constexpr char kReadyPath[] = "v1/parties/*/members/*/ready";
constexpr char kRolePath[] = "v1/parties/*/members/*/role";

enum class Played { Parties, Platform, PlatformMember };

class PlayAgainTest : public ClashTest {
 protected:
  // The scripted run in a fresh world; the records start after it.
  void PlayOnce(Played run) {
    Fresh();
    if (run == Played::Parties) {
      EnterPartyLobby();
      partyId_ = Parties().GetCurrentPartyId();
    } else {
      W().EnterArrangedLobbyAsOwner(run == Played::Platform);
      Rebuild();
    }
    W().SetPhase("Matchmaking");
    W().SetPhase("GameStart");
    ASSERT_EQ(W().State(), "OutOfLobby");
    ASSERT_TRUE(P().Gameflow().PlayerStatus().lastQueuedLobbyStatus.has_value());
    W().parties_.ClearRecords();
  }
  std::string Self(const char* field) const {
    return "/v1/parties/" + partyId_ + "/members/" + kPuuid + "/" + field;
  }
  std::string Ready() const { return "PUT " + Self("ready") + " true"; }
  std::string Declined() const { return "PUT " + Self("role") + " \"DECLINED\""; }
  void AnswerInvites(bool groupMade) {
    Host::LcdsAnswer group;
    if (groupMade) {
      group.typeName = "com.zarnworks.platform.gameinvite.contract.LobbyStatus";
      group.body = R"({"invitationId":"INV-2","owner":{"summonerId":2046},"chatKey":"k",)"
                   R"("members":[{"summonerId":2046,"hasDelegatedInvitePower":false}],)"
                   R"("invitees":[],"gameMetaData":""})";
    } else {
      group = Refusal("ArrangedLobbyException");
    }
    W().legacy_.Script(kInviteService, "createArrangedTeamLobby", group);
    W().legacy_.Script(kInviteService, "invite", Host::LcdsAnswer{});
  }

  std::string partyId_;
};

TEST_F(PlayAgainTest, WithoutAnOfferNeitherAnswerDoesAnything) {
  for (const bool queuedBefore : {false, true}) {
    // Never queued: a fresh plugin has no last queued lobby status at all. A member of a legacy
    // lobby has one, without the offer.
    SCOPED_TRACE(queuedBefore ? "queued as a member" : "fresh plugin");
    if (queuedBefore) {
      PlayOnce(Played::PlatformMember);
      ASSERT_FALSE(P().Gameflow().PlayerStatus().lastQueuedLobbyStatus->allowedPlayAgain);
    } else {
      Fresh();
      ASSERT_FALSE(P().Gameflow().PlayerStatus().lastQueuedLobbyStatus.has_value());
    }
    const std::size_t requests = W().Mark();
    const std::size_t legacy = W().LegacyMark();
    for (const bool decline : {false, true}) {
      const HttpResponse reply = decline ? P().HandlePlayAgainDecline() : P().HandlePlayAgain();
      EXPECT_EQ(reply.status.status, 400);
      EXPECT_EQ(reply.message, kUnavailable);
    }
    EXPECT_EQ(W().Mark(), requests) << "nothing sent";
    EXPECT_TRUE(W().LegacyCalls(legacy).empty());
    EXPECT_TRUE(W().PartiesSent(0, true).empty());
  }
}

TEST_F(PlayAgainTest, PlayAgainReadiesThePartyOrRecreatesTheLegacyLobby) {
  struct Case {
    const char* label;
    Played run;
    bool readyFails = false;
    bool lobbyRefused = false;
    bool leaveFails = false;
    bool groupFails = false;
    bool lastWasCustom = false;
    std::uint32_t status = 0;
    const char* message = "";
    const char* state = "";
    std::vector<const char*> logs = {};
  };
  const std::vector<Case> cases = {
      {.label = "parties", .run = Played::Parties, .state = "PartyLobby"},
      {.label = "parties, ready refused",
       .run = Played::Parties,
       .readyFails = true,
       .status = 500,
       .message = "Could not set self ready in party",
       .state = "OutOfLobby"},
      {.label = "parties, lobby refused",
       .run = Played::Parties,
       .lobbyRefused = true,
       .status = 500,
       .message = "Could not set party to active",
       .state = "OutOfLobby",
       .logs = {"2|Failed to set party lobby active during play again, leaving current party"}},
      {.label = "parties, lobby refused and the leave too",
       .run = Played::Parties,
       .lobbyRefused = true,
       .leaveFails = true,
       .status = 500,
       .message = "Could not set party to active",
       .state = "OutOfLobby",
       .logs = {"2|Failed to set party lobby active during play again, leaving current party",
                "2|Failed to leave party: "}},
      {.label = "platform", .run = Played::Platform, .state = "Owner"},
      {.label = "platform, group lobby refused",
       .run = Played::Platform,
       .groupFails = true,
       .status = 500,
       .message = "Error re-inviting members: Bulk invite failed due to being unable to "
                  "transition to group lobby",
       .state = "SoloLobby"},
      // The queue of the status is one parties serve, but a custom game's lobby is the platform's.
      {.label = "custom", .run = Played::Platform, .lastWasCustom = true, .state = "Owner"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PlayOnce(c.run);
    ASSERT_TRUE(P().Gameflow().PlayerStatus().lastQueuedLobbyStatus->allowedPlayAgain);
    if (c.lastWasCustom) {
      Api::LobbyStatus& last = *LobbyPluginTesting::MutablePlayerStatus(P()).lastQueuedLobbyStatus;
      last.isCustom = true;
      last.queueId = kPartiesQueue;
    }
    if (c.readyFails) W().Script(kReadyPath, Kind::Status, 500, "READY_REFUSED");
    if (c.leaveFails) W().Script(kRolePath, Kind::Status, 500, "LEAVE_REFUSED");
    allowLobbies_ = !c.lobbyRefused;
    AnswerInvites(!c.groupFails);
    const std::size_t legacy = W().LegacyMark();
    const std::size_t logs = W().LogMark();
    const HttpResponse reply = P().HandlePlayAgain();
    EXPECT_EQ(reply.status.status, c.status);
    EXPECT_EQ(reply.ok, c.status == 0);
    EXPECT_EQ(reply.message, c.message);
    EXPECT_EQ(W().State(), c.state);
    Names logged;
    for (const char* text : {"during play again", "Failed to leave party: "}) {
      for (const std::string& line : W().Logged(text, logs)) logged.push_back(line);
    }
    ASSERT_EQ(logged.size(), c.logs.size());
    for (std::size_t i = 0; i < c.logs.size(); ++i) {
      EXPECT_EQ(logged[i].rfind(c.logs[i], 0), 0u) << logged[i];
    }
    if (c.run == Played::Parties) {
      Names sent = {Ready()};
      if (c.lobbyRefused) sent.push_back(Declined());
      EXPECT_EQ(W().PartiesSent(0, true), sent);
      EXPECT_TRUE(W().LegacyCalls(legacy).empty());
    } else {
      EXPECT_TRUE(W().PartiesSent(0, true).empty());
      Names calls = {"createArrangedTeamLobby [420]"};
      if (!c.groupFails) calls.push_back(R"(invite [77,"DEFAULT",""])");
      EXPECT_EQ(W().LegacyCalls(legacy), calls);
    }
  }
}

TEST_F(PlayAgainTest, DeclineLeavesThePartyAndLeavesALegacyLobbyAlone) {
  struct Case {
    const char* label;
    Played run;
    bool leaveFails;
    std::uint32_t status;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"parties", Played::Parties, false, 0, ""},
      {"parties, leave refused", Played::Parties, true, 500, "Could not leave party"},
      {"platform", Played::Platform, false, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PlayOnce(c.run);
    if (c.leaveFails) W().Script(kRolePath, Kind::Status, 500, "LEAVE_REFUSED");
    const std::size_t requests = W().Mark();
    const std::size_t events = W().EventMark();
    const std::size_t logs = W().LogMark();
    const HttpResponse reply = P().HandlePlayAgainDecline();
    EXPECT_EQ(reply.status.status, c.status);
    EXPECT_EQ(reply.ok, c.status == 0);
    EXPECT_EQ(reply.message, c.message);
    const Names logged = W().Logged("during play again decline", logs);
    if (c.leaveFails) {
      ASSERT_EQ(logged.size(), 1u);
      EXPECT_EQ(logged[0].rfind("2|Failed to leave party during play again decline: ", 0), 0u)
          << logged[0];
    } else {
      EXPECT_TRUE(logged.empty());
    }
    if (c.run == Played::Parties) {
      EXPECT_EQ(W().PartiesSent(0, true), Names{Declined()});
    } else {
      // No backend call and no batch: nothing reaches the host.
      EXPECT_EQ(W().Mark(), requests);
      EXPECT_EQ(W().EventMark(), events);
    }
    EXPECT_EQ(W().State(), "OutOfLobby");
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
