// Lobby creation and change run in-process with fake backends and controllers: the event pairs,
// the failure replies, leaving, joining an open party from a legacy lobby, and the inner
// creation and queue change of the legacy platform.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "lobby/core/LobbyFlow.h"
#include "tests/lobby/core/GameflowAnswers.h"
#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Testing {
namespace {

using namespace Lobby::LobbyEvents;
using Lobby::LobbyPluginTesting;
using Names = std::vector<std::string>;

using Host::Testing::kRequestLobbyPath;
constexpr char kRequestLobby[] = "request /jyx-gameflow/v1/session/request-lobby";
constexpr std::uint64_t kLocal = 77;

// A rig whose gameflow plugin allows lobbies, whose queue 420 is known and whose player is 77.
struct CreationRig {
  CreationRig() {
    Host::Testing::AnswerLobbyRequests(rig.host);
    Lobby::Api::Queue queue;
    queue.id = 420;
    LobbyPluginTesting::Queues(*rig.plugin).Update(PluginResourceEventType::Create, {queue});
    LobbyPluginTesting::LocalSummonerId(*rig.plugin) = kLocal;
  }
  Lobby::LobbyPlugin& plugin() { return *rig.plugin; }
  LobbyRig rig;
};

Lobby::Api::LobbyChangeGameDto Change(std::int32_t queueId, bool isCustom = false) {
  Lobby::Api::LobbyChangeGameDto change;
  change.queueId = queueId;
  change.isCustom = isCustom;
  return change;
}

Lobby::Api::LobbyDto ViewWithMembers(std::vector<std::uint64_t> ids) {
  Lobby::Api::LobbyDto view;
  for (std::uint64_t id : ids) {
    Lobby::Api::LobbyParticipantDto member;
    member.summonerId = id;
    view.members.push_back(member);
  }
  return view;
}

TEST(CreationTest, APostPicksItsBackendAndEventPairAndAnswersTheNewLobby) {
  struct Case {
    const char* label;
    bool isCustom;
    bool partiesEnabled;
    const char* backend;
    std::string requested;
    std::string state;
  };
  const std::vector<Case> cases = {
      {"plain queue", false, false, "platform", std::string(kNewLobbyRequested), "SoloLobby"},
      {"parties queue", false, true, "parties", std::string(kPartyLobbyRequested), "PartyLobby"},
      {"custom game, parties on", true, true, "platform", std::string(kNewCustomLobbyRequested),
       "Owner"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CreationRig creation;
    LobbyRig& rig = creation.rig;
    rig.factory->parties->enabledForQueue = c.partiesEnabled;
    Lobby::Api::LobbyDto view = ViewWithMembers({kLocal});
    view.partyId = "new";
    rig.factory->parties->getLobbyResult = view;
    rig.factory->platform->getLobbyResult = view;
    const std::size_t mark = rig.Mark();
    HttpResult<Lobby::Api::LobbyDto> reply =
        creation.plugin().HandlePostLobby(Change(420, c.isCustom));
    EXPECT_TRUE(reply.response.ok) << reply.response.message;
    EXPECT_EQ(reply.value.partyId, "new");
    EXPECT_EQ(rig.StateName(), c.state);
    EXPECT_EQ(rig.Entries({"parties.PrepareForLobbyCreation"}, mark).size(), 1u)
        << "the party is prepared whichever backend serves";
    EXPECT_EQ(rig.Entries({std::string(c.backend) + ".ChangeLobby(420)"}, mark).size(), 1u);
    EXPECT_EQ(rig.Entries({"log Unable"}, mark), Names{});
  }
}

TEST(CreationTest, APostInvitesThePreviousMembersOtherThanThePlayer) {
  CreationRig creation;
  LobbyRig& rig = creation.rig;
  rig.factory->parties->enabledForQueue = true;
  LobbyPluginTesting::PublishedLobby(creation.plugin()) = ViewWithMembers({5, kLocal, 6});
  const std::size_t mark = rig.Mark();
  EXPECT_TRUE(creation.plugin().HandlePostLobby(Change(420)).response.ok);
  EXPECT_EQ(rig.Entries({"parties.SendInvitations"}, mark), Names{"parties.SendInvitations(2)"});
}

TEST(CreationTest, APostAnswersEachFailureWithItsCodeAnd500ForNone) {
  struct Case {
    const char* label;
    Failure prepare;
    Failure change;
    Failure read;
    std::int32_t status;
    std::string message;
    bool lobbyFailed;
    std::string state;
  };
  const Failure none(200, "unused");
  const std::vector<Case> cases = {
      {"preparation, no code", Failure(0, "busy party"), none, none, 500, "busy party", false,
       "OutOfLobby"},
      {"preparation, 409", Failure(409, "busy party"), none, none, 409, "busy party", false,
       "OutOfLobby"},
      {"change, no code", none, Failure(0, "no change"), none, 500, "no change", true,
       "OutOfLobby"},
      {"change, 503", none, Failure(503, "down"), none, 503, "down", true, "OutOfLobby"},
      {"read after creation, no code", none, none, Failure(0, "no view"), 500, "no view", false,
       "SoloLobby"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CreationRig creation;
    LobbyRig& rig = creation.rig;
    FakePlatformBackend& platform = *rig.factory->platform;
    if (c.prepare.Code() != 200) rig.factory->parties->prepareForLobbyCreationResult = c.prepare;
    if (c.change.Code() != 200) platform.changeLobbyResult = c.change;
    if (c.read.Code() != 200) platform.getLobbyResult = c.read;
    const std::size_t mark = rig.Mark();
    HttpResult<Lobby::Api::LobbyDto> reply = creation.plugin().HandlePostLobby(Change(420));
    EXPECT_FALSE(reply.response.ok);
    EXPECT_EQ(reply.response.status.status, c.status);
    EXPECT_EQ(reply.response.message, c.message);
    EXPECT_EQ(
        rig.Entries({"request /jyx-gameflow/v1/session/event \"GAMEFLOW_EVENT.FAILED_LOBBY"}, mark)
            .size(),
        c.lobbyFailed ? 1u : 0u);
    EXPECT_EQ(rig.StateName(), c.state);
    if (c.prepare.Code() != 200) {
      EXPECT_EQ(rig.Entries({"platform.ChangeLobby"}, mark), Names{}) << "stopped before";
      EXPECT_EQ(rig.Entries({Entering("LobbyRequested")}, mark), Names{}) << "no event";
    }
  }
}

TEST(CreationTest, CreateLobbyInALobbyAnswers409AndLeavesTheLobbyAsItWas) {
  CreationRig creation;
  LobbyRig& rig = creation.rig;
  rig.Drive({kNewLobbyRequested, kNewLobbySucceeded});
  LobbyPluginTesting::V1Lobby(creation.plugin()).invitationId = "INV-1";
  const std::size_t mark = rig.Mark();
  Lobby::Api::Lobby requested;
  requested.queueId = 420;
  HttpResult<Lobby::Api::Lobby> reply = creation.plugin().CreateLobby(requested);
  EXPECT_EQ(reply.response.status.status, 409);
  EXPECT_EQ(reply.response.message, "A lobby already exists");
  EXPECT_EQ(rig.StateName(), "SoloLobby");
  EXPECT_EQ(rig.Entries({"log LobbyFlow", kRequestLobby, "arranged.", "invalid.",
                         "request "
                         "/jyx-gameflow/v1/"
                         "session/event"},
                        mark),
            Names{})
      << "no event, no call";
  EXPECT_EQ(LobbyPluginTesting::V1Lobby(creation.plugin()).invitationId, "INV-1");
  EXPECT_TRUE(LobbyPluginTesting::AbandonedLobbyInvitationIds(creation.plugin()).empty());
}

TEST(CreationTest, CreateLobbyAndPlayAgainCreateThroughTheQueuesController) {
  CreationRig creation;
  LobbyRig& rig = creation.rig;
  Lobby::Api::Lobby made;
  made.queueId = 420;
  made.invitationId = "made";
  rig.factory->arranged->createLobbyResult = made;
  Lobby::Api::Lobby requested;
  requested.queueId = 420;
  HttpResult<Lobby::Api::Lobby> reply = creation.plugin().CreateLobby(requested);
  ASSERT_TRUE(reply.response.ok) << reply.response.message;
  EXPECT_EQ(reply.value.invitationId, "made");
  EXPECT_EQ(rig.StateName(), "SoloLobby");

  // Play again: the creation succeeds, then the last members are invited through a group lobby.
  CreationRig again;
  again.rig.factory->arranged->createLobbyResult = made;
  LobbyPluginTesting::LastQueuedLobby(again.plugin()).queueId = 420;
  LobbyPluginTesting::LastQueuedLobby(again.plugin()).members = {{5}};
  const std::size_t mark = again.rig.Mark();
  HttpResult<Lobby::Api::Lobby> replayed = again.plugin().ReinviteMembers();
  EXPECT_TRUE(replayed.response.ok) << replayed.response.message;
  EXPECT_EQ(again.rig.Entries(
                {"arranged.CreatePlatformLobby", "request /jyx-login/v1/session/invoke"}, mark),
            (Names{"arranged.CreatePlatformLobby(420)",
                   "request /jyx-login/v1/session/invoke \"lcdsGameInvitationService\" "
                   "\"invite\" [5,\"DEFAULT\",\"\"]"}));
}

TEST(CreationTest, CreateLobbyFailuresFireTheFailureEventAfterTheRequestedOne) {
  struct Case {
    const char* label;
    bool gameflowAllows;
    std::int32_t queueId;
    std::int32_t status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"gameflow refuses", false, 420, 423, "Gameflow prevented a lobby."},
      {"queue missing", true, 999, 404,
       "Requested matchmaking queue 999 does not exist. Lobby will not be created. Error: Queue "
       "not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    LobbyRig rig;
    if (c.gameflowAllows) {
      Host::Testing::AnswerLobbyRequests(rig.host);
    }
    Lobby::Api::Lobby requested;
    requested.queueId = c.queueId;
    HttpResult<Lobby::Api::Lobby> reply = rig.plugin->CreateLobby(requested);
    EXPECT_EQ(reply.response.status.status, c.status);
    EXPECT_EQ(reply.response.message, c.message);
    EXPECT_EQ(rig.GameflowEvents(), Names{"FAILED_LOBBY"});
    EXPECT_EQ(rig.StateName(), "OutOfLobby");
  }
}

TEST(CreationTest, ChangingTheQueueOfALegacyLobbyReinvitesThroughAGroupLobby) {
  CreationRig creation;
  LobbyRig& rig = creation.rig;
  rig.Drive({kNewLobbyRequested, kNewLobbySucceeded});
  Lobby::Api::LobbyMember other;
  other.id = 5;
  Lobby::Api::LobbyMember self;
  self.id = kLocal;
  LobbyPluginTesting::V1Lobby(creation.plugin()).members = {self, other};
  Lobby::Api::Lobby made;
  made.queueId = 420;
  rig.factory->arranged->createLobbyResult = made;
  rig.factory->arranged->createPlatformLobbyResult = made;
  const std::size_t mark = rig.Mark();
  HttpResult<Lobby::Api::Lobby> reply = creation.plugin().ChangeLobbyQueue(Change(420));
  EXPECT_TRUE(reply.response.ok) << reply.response.message;
  EXPECT_EQ(rig.Entries({"arranged.CreateLobby", "arranged.CreatePlatformLobby"}, mark),
            (Names{"arranged.CreateLobby(420)", "arranged.CreatePlatformLobby(420)"}));
  EXPECT_EQ(rig.Entries({"request /jyx-login/v1/session/invoke"}, mark),
            Names{"request /jyx-login/v1/session/invoke \"lcdsGameInvitationService\" "
                  "\"invite\" [5,\"DEFAULT\",\"\"]"});
  EXPECT_EQ(rig.Entries({"log Failed to bulk reinvite"}, mark), Names{});
  EXPECT_EQ(rig.StateName(), "Owner");

  CreationRig outside;
  HttpResult<Lobby::Api::Lobby> refused = outside.plugin().ChangeLobbyQueue(Change(420));
  EXPECT_EQ(refused.response.status.status, 409);
  EXPECT_EQ(refused.response.message, "No lobby exists.");
}

TEST(CreationTest, JoiningAnOpenPartyFromASoloLobbyLeavesItAndQuitsItsState) {
  struct Case {
    const char* label;
    MaybeType<Failure, void> join;
    std::int32_t status;
    std::string state;
  };
  const std::vector<Case> cases = {
      {"join fails", Failure(0, "party full"), 500, "OutOfLobby"},
      {"join succeeds", MaybeType<Failure, void>::Success(), 0, "PartyLobby"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CreationRig creation;
    LobbyRig& rig = creation.rig;
    rig.Drive({kNewLobbyRequested, kNewLobbySucceeded});
    LobbyPluginTesting::V1Lobby(creation.plugin()).invitationId = "INV-1";
    rig.factory->parties->joinOpenPartyResult = c.join;
    const std::size_t mark = rig.Mark();
    HttpResponse reply = creation.plugin().HandleJoinParty("party-1");
    EXPECT_EQ(reply.ok, c.join.HasValue());
    EXPECT_EQ(reply.status.status, c.status);
    EXPECT_EQ(rig.StateName(), c.state);
    EXPECT_EQ(rig.Entries({"platform.LeaveLobby", "parties.JoinOpenParty"}, mark),
              (Names{"platform.LeaveLobby", "parties.JoinOpenParty(party-1)"}));
    // The abandoned step of the legacy lobby that was left.
    EXPECT_EQ(rig.Entries({"log AddToAbandonedLobbyInvitationIds: INV-1"}, mark).size(), 1u);
    EXPECT_EQ(LobbyPluginTesting::AbandonedLobbyInvitationIds(creation.plugin()),
              std::set<std::string>{"INV-1"});
    EXPECT_EQ(LobbyPluginTesting::V1Lobby(creation.plugin()).invitationId, "");
    EXPECT_EQ(
        rig.Entries({R"(publish {"data":null,"eventType":"Delete","uri":"/jyx-lobby/v1/lobby"})"},
                    mark)
            .size(),
        1u);
    if (!c.join.HasValue()) {
      EXPECT_EQ(creation.plugin().ActiveBackend(), nullptr);
    }
  }
}

TEST(CreationTest, LeavingAnswersTheBackendsFailureOrQuitsTheState) {
  CreationRig creation;
  LobbyRig& rig = creation.rig;
  rig.Drive({kAcceptedPartyInvite});
  LobbyPluginTesting::PublishedLobby(creation.plugin()) = ViewWithMembers({kLocal});
  rig.factory->parties->leaveLobbyResult = Failure(0, "stuck");
  HttpResponse failed = creation.plugin().HandleDeleteLobby();
  EXPECT_EQ(failed.status.status, 500);
  EXPECT_EQ(failed.message, "stuck");
  EXPECT_EQ(rig.StateName(), "PartyLobby") << "no event on failure";

  rig.factory->parties->leaveLobbyResult = MaybeType<Failure, void>::Success();
  HttpResponse left = creation.plugin().HandleDeleteLobby();
  EXPECT_TRUE(left.ok);
  EXPECT_EQ(left.status.status, 0);
  EXPECT_EQ(rig.StateName(), "OutOfLobby");

  HttpResponse quit = creation.plugin().QuitLobbyState();
  EXPECT_EQ(quit.status.status, 404);
  EXPECT_EQ(quit.message, "LOBBY_STATE_INVALID");
}

TEST(CreationTest, TheAvailabilityComesFromTheBackendsViewOrTheStoredOneForACustomGame) {
  CreationRig creation;
  LobbyRig& rig = creation.rig;
  rig.Drive({kAcceptedPartyInvite});
  Lobby::Api::LobbyDto view;
  view.gameConfig.queueId = 999;
  rig.factory->parties->getLobbyResult = view;
  HttpResult<Lobby::Api::QueueAvailability> unknown = creation.plugin().HandleGetAvailability();
  EXPECT_EQ(unknown.value, Lobby::Api::QueueAvailability::PlatformDisabled);
  view.gameConfig.queueId = 420;
  rig.factory->parties->getLobbyResult = view;
  EXPECT_EQ(creation.plugin().HandleGetAvailability().value,
            Lobby::Api::QueueAvailability::Available);
  LobbyPluginTesting::V1Lobby(creation.plugin()).isCustom = true;
  LobbyPluginTesting::LobbyAvailability(creation.plugin()) =
      Lobby::Api::QueueAvailability::DoesntMeetRequirements;
  EXPECT_EQ(creation.plugin().HandleGetAvailability().value,
            Lobby::Api::QueueAvailability::DoesntMeetRequirements);
  rig.factory->parties->getLobbyResult = Failure(404, "none");
  HttpResult<Lobby::Api::QueueAvailability> missing = creation.plugin().HandleGetAvailability();
  EXPECT_EQ(missing.response.status.status, 404);
  EXPECT_EQ(missing.response.message, "LOBBY_AVAILABILITY_NOT_FOUND");
}

}  // namespace
}  // namespace Zarn::Client::Testing

namespace Zarn::Client::Testing {
namespace {

TEST(CreationReentryTest, AQueueListDeliveredDuringThePostIsRebuiltOnceWhenThePostEnds) {
  LobbyRig rig;
  Host::ScriptedReply allowed = StreamedInOneByteReads("true");
  rig.host.ScriptReply(kRequestLobbyPath, allowed);
  LobbyPluginTesting::LocalSummonerId(*rig.plugin) = kLocal;
  const std::size_t mark = rig.Mark();
  int rebuildsAtYield = -1;
  std::int32_t depthAtYield = -1;
  bool queuesKnownAtYield = false;
  rig.host.OnYield(1,
                   [&] { rig.host.SetResource("/jyx-game-queues/v1/queues", R"([{"id":420}])"); });
  rig.host.OnYield(2, [&] {
    rebuildsAtYield = rig.Rebuilds(mark);
    depthAtYield = LobbyPluginTesting::BatchDepth(*rig.plugin);
    queuesKnownAtYield = LobbyPluginTesting::Queues(*rig.plugin).HasValue();
  });
  HttpResult<Lobby::Api::LobbyDto> reply = rig.plugin->HandlePostLobby(Change(420));
  EXPECT_TRUE(reply.response.ok) << reply.response.message;
  EXPECT_TRUE(queuesKnownAtYield) << "the list arrived while the gameflow reply streamed";
  EXPECT_EQ(depthAtYield, 1) << "inside the POST's batch";
  EXPECT_EQ(rebuildsAtYield, 0) << "no rebuild while the batch is open";
  EXPECT_EQ(rig.Rebuilds(mark), 1) << "one when it closes";
  EXPECT_EQ(rig.StateName(), "SoloLobby");
}

}  // namespace
}  // namespace Zarn::Client::Testing
