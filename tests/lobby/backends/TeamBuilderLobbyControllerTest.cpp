// The team-builder controller in-process: the lobby made from a legacy status, accepting, and the
// observers of the team-builder lobby and its countdown, also when they are re-entered.
#include "lobby/backends/TeamBuilderLobbyController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/ResourceEventName.h"
#include "tests/lobby/backends/ControllerTesting.h"
#include "tests/lobby/backends/TeamBuilderLobbyControllerTesting.h"

namespace Zarn::Client::Testing {
namespace {

using Names = std::vector<std::string>;
using Lobby::TeamBuilderLobbyController;
namespace Api = Lobby::Api;
namespace LCDS = Lobby::LCDS;

constexpr char kLobbyPath[] = "/jyx-lobby-team-builder/v1/lobby";
constexpr char kCountdownPath[] = "/jyx-lobby-team-builder/v1/lobby/countdown";
constexpr char kStaleText[] =
    "Failed to update lobby state from latest LobbyStatus using latest TbdGameDto";

std::string TeamBuilderLobby(const std::string& invitationId, std::int32_t queueId,
                             const std::string& members) {
  return R"({"invitationId":")" + invitationId + R"(","queueId":)" + std::to_string(queueId) +
         R"(,"members":[)" + members + "]}";
}

std::string CountdownJson(std::int64_t timer, std::int32_t counter) {
  return R"({"phaseName":"LOBBY","timer":)" + std::to_string(timer) + R"(,"counter":)" +
         std::to_string(counter) + "}";
}

LCDS::Member Member(std::uint64_t id, bool delegated) {
  LCDS::Member member;
  member.summonerId = id;
  member.hasDelegatedInvitePower = delegated;
  return member;
}

LCDS::Invitee Invitee(std::uint64_t id, LCDS::InviteeState state) {
  LCDS::Invitee invitee;
  invitee.summonerId = id;
  invitee.inviteeState = state;
  return invitee;
}

// The rig in the team-builder lobby "tb-1" of queue 440, made through the plugin.
void EnterTeamBuilderLobby(ControllerRig& rig) {
  rig.ScriptStatus("createGroupFinderLobby", "tb-1", 440);
  rig.CreateLobby(440);
  ASSERT_EQ(rig.StateName(), "SoloLobby");
  ASSERT_EQ(rig.V1Lobby().invitationId, "tb-1");
}

// The published v1 and v2 countdowns, from `from` on.
Names Countdowns(const ControllerRig& rig, std::size_t from) {
  Names found;
  for (const std::string& entry : rig.Entries({"publish "}, from)) {
    if (entry.find("/lobby/countdown\"") != std::string::npos) found.push_back(entry);
  }
  return found;
}

TEST(TeamBuilderLobbyControllerTest, TheStatusGivesInvitePrivilegesAndTheLobbyIsDecorated) {
  ControllerRig rig;
  rig.host.SeedResource(kLobbyPath,
                        TeamBuilderLobby("tb-9", 440,
                                         R"({"id":2046,"isOwner":true,"summonerInternalName":"me",)"
                                         R"("excludedPositionPreference":"NORTH"},{"id":55},)"
                                         R"({"id":66})"));
  LCDS::LobbyStatus status;
  status.owner.summonerId = kLocalSummonerId;
  status.members = {Member(kLocalSummonerId, false), Member(55, true)};
  status.invitees = {Invitee(kLocalSummonerId, LCDS::InviteeState::CREATOR),
                     Invitee(55, LCDS::InviteeState::JOINED),
                     Invitee(77, LCDS::InviteeState::PENDING)};
  TeamBuilderLobbyController& controller = rig.TeamBuilder();
  const MaybeType<Failure, Api::Lobby> made = controller.UpdateFromLobbyStatus(status);
  ASSERT_TRUE(made.HasValue()) << made.Message();
  const Api::Lobby& lobby = made.Value();
  EXPECT_EQ(controller.InvitationId(), "tb-9");
  EXPECT_EQ(lobby.mapId, 12);
  EXPECT_EQ(lobby.gameMode, "BATTLE");
  EXPECT_EQ(lobby.maximumParticipantListSize, 5u);
  ASSERT_EQ(lobby.members.size(), 3u);
  EXPECT_TRUE(lobby.members[0].canInviteOthers) << "the owner without delegated power";
  EXPECT_TRUE(lobby.members[1].canInviteOthers) << "delegated";
  EXPECT_FALSE(lobby.members[2].canInviteOthers) << "not in the status";
  EXPECT_EQ(Lobby::TeamBuilderLobbyControllerTesting::InvitePrivilege(controller, 66),
            std::optional<bool>(false))
      << "and now in the table";
  EXPECT_EQ(lobby.localMember.id, kLocalSummonerId);
  EXPECT_TRUE(lobby.localMember.isOwner);
  EXPECT_TRUE(lobby.localMember.canInviteOthers);
  EXPECT_EQ(lobby.localMember.summonerInternalName, "me");
  EXPECT_EQ(lobby.localMember.excludedPositionPreference, std::optional<std::string>("NORTH"));
  EXPECT_EQ(lobby.chatRoomId, rig.Plugin().MakePlatformHostName("tb-9", "cp", "@conference"));
  EXPECT_TRUE(lobby.chatRoomId.starts_with("cp~")) << lobby.chatRoomId;
  ASSERT_EQ(lobby.invitations.size(), 2u) << "the creator is no invitee";
  EXPECT_EQ(lobby.invitations[0].toSummonerId, 55u);
  EXPECT_EQ(lobby.invitations[0].state, Api::LobbyInvitationState::Joined);
  EXPECT_EQ(lobby.invitations[1].state, Api::LobbyInvitationState::Pending);

  // The table follows single changes too.
  Api::Lobby any;
  controller.SetMemberCanInvite(66, true, any);
  EXPECT_EQ(Lobby::TeamBuilderLobbyControllerTesting::InvitePrivilege(controller, 66),
            std::optional<bool>(true));
}

TEST(TeamBuilderLobbyControllerTest, AMissingLobbyOrQueueFailsTheUpdate) {
  struct Row {
    const char* label;
    const char* lobby;  // null: the team-builder plugin has none
    std::int32_t code;
    std::string text;
  };
  const std::vector<Row> rows = {
      {"no team-builder lobby", nullptr, 0, kStaleText},
      {"no invitation id", R"({"invitationId":"","queueId":440})", 0, kStaleText},
      {"unknown queue", R"({"invitationId":"tb-2","queueId":999})", 400,
       "Requested matchmaking queue 999 does not exist. Lobby will not be created. Error: Error "
       "response for GET /jyx-game-queues/v1/queues/999: No component of the host serves "
       "/jyx-game-queues/v1/queues/999"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    ControllerRig rig;
    if (row.lobby != nullptr) rig.host.SeedResource(kLobbyPath, row.lobby);
    const MaybeType<Failure, Api::Lobby> made =
        rig.TeamBuilder().UpdateFromLobbyStatus(LCDS::LobbyStatus{});
    ASSERT_TRUE(made.IsFailure());
    EXPECT_EQ(made.GetFailure().Code(), row.code);
    EXPECT_EQ(std::string(made.Message()), row.text);
  }

  // What an accept the platform granted then shows: the lobby as the status alone gives it, with
  // the chat room of the controller's kind, and nothing fetched.
  ControllerRig rig;
  LCDS::LobbyStatus status;
  status.invitationId = "tb-7";
  status.chatKey = "key-7";
  status.gameMetaData = R"({"queueId":440})";
  status.owner.summonerId = 55;
  status.members = {Member(55, false), Member(kLocalSummonerId, true)};
  status.invitees = {Invitee(55, LCDS::InviteeState::CREATOR),
                     Invitee(77, LCDS::InviteeState::PENDING)};
  const std::size_t requests = rig.Requests().size();
  for (Lobby::LobbyController* controller :
       std::vector<Lobby::LobbyController*>{&rig.TeamBuilder(), &rig.Arranged()}) {
    const Api::Lobby lobby = controller->LobbyFromStatus(status);
    EXPECT_EQ(lobby.invitationId, "tb-7");
    EXPECT_EQ(lobby.chatRoomKey, "key-7");
    EXPECT_EQ(lobby.queueId, 440);
    EXPECT_EQ(lobby.mapId, Api::Lobby{}.mapId);
    EXPECT_EQ(lobby.gameMode, "");
    ASSERT_EQ(lobby.members.size(), 2u);
    EXPECT_TRUE(lobby.members[0].isOwner);
    EXPECT_FALSE(lobby.members[1].isOwner);
    EXPECT_TRUE(lobby.members[1].canInviteOthers) << "delegated";
    EXPECT_EQ(lobby.localMember.id, kLocalSummonerId);
    ASSERT_EQ(lobby.invitations.size(), 1u);
    EXPECT_EQ(lobby.invitations[0].toSummonerId, 77u);
  }
  EXPECT_EQ(rig.TeamBuilder().LobbyFromStatus(status).chatRoomId,
            rig.Plugin().MakePlatformHostName("tb-7", "cp", "@conference"));
  EXPECT_EQ(rig.Arranged().LobbyFromStatus(status).chatRoomId,
            rig.Plugin().MakePlatformHostName("tb-7", "ag", "@sec"));
  EXPECT_EQ(rig.Requests(requests), Names{});
}

TEST(TeamBuilderLobbyControllerTest, AcceptingUndoesTheTeamBuilderSideWhenTheLegacySideFails) {
  struct Row {
    const char* label;
    bool postFails;
    bool legacyFails;
    Names legacyCalls;
    bool deleted;
  };
  const std::vector<Row> rows = {
      {"both succeed", false, false, {R"(["INV-3"])"}, false},
      {"the team-builder accept fails", true, false, {}, false},
      {"the legacy accept fails", false, true, {R"(["INV-3"])"}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    ControllerRig rig;
    if (row.postFails) {
      Host::ScriptedReply refused;
      refused.status = 409;
      refused.error = "busy";
      rig.host.ScriptReply("/jyx-lobby-team-builder/v1/invitations/accept", refused);
    }
    if (row.legacyFails) {
      rig.ScriptLegacyFailure("accept", "com.x.AcceptException: late");
    } else {
      rig.ScriptStatus("accept", "INV-3", 440);
    }
    const std::size_t from = rig.host.Records().requests.size();
    Api::LobbyInvitation invitation;
    invitation.id = "INV-3";
    const MaybeType<Failure, LCDS::LobbyStatus> accepted =
        rig.TeamBuilder().AcceptInvitation(invitation, "INV-3");
    EXPECT_EQ(rig.LegacyCalls("accept"), row.legacyCalls);
    const Names requests = rig.Requests(from);
    EXPECT_EQ(std::count(requests.begin(), requests.end(), std::string("DELETE ") + kLobbyPath),
              row.deleted ? 1 : 0);
    EXPECT_EQ(requests.front(), "POST /jyx-lobby-team-builder/v1/invitations/accept");
    if (row.postFails) {
      ASSERT_TRUE(accepted.IsFailure());
      EXPECT_EQ(accepted.GetFailure().Code(), 409) << "passed on unchanged";
    } else if (row.legacyFails) {
      ASSERT_TRUE(accepted.IsFailure());
      EXPECT_NE(std::string(accepted.Message()).find("late"), std::string::npos);
    } else {
      ASSERT_TRUE(accepted.HasValue()) << accepted.Message();
      EXPECT_EQ(accepted.Value().invitationId, "INV-3");
    }
  }
}

TEST(TeamBuilderLobbyControllerTest, OnlyARisingCounterChangesTheLifetimeAndRepublishes) {
  ControllerRig rig;
  EnterTeamBuilderLobby(rig);
  TeamBuilderLobbyController& controller = rig.TeamBuilder();
  rig.host.SetResource(kCountdownPath, CountdownJson(90000, 2));
  rig.host.RunDue();
  EXPECT_EQ(controller.LobbyLifetime(), 90);

  std::size_t mark = rig.Mark();
  rig.host.SetResource(kCountdownPath, CountdownJson(120500, 3));
  rig.host.RunDue();
  EXPECT_EQ(controller.LobbyLifetime(), 120) << "timer / 1000";
  EXPECT_EQ(controller.Countdown().counter, 3);
  const Names published = Countdowns(rig, mark);
  ASSERT_EQ(published.size(), 2u);
  EXPECT_NE(published[0].find(R"("data":120,)"), std::string::npos) << published[0];
  EXPECT_NE(published[0].find("/jyx-lobby/v1/lobby/countdown"), std::string::npos);
  EXPECT_NE(published[1].find("/jyx-lobby/v2/lobby/countdown"), std::string::npos);

  for (std::int32_t counter : {3, 1}) {
    SCOPED_TRACE(counter);
    mark = rig.Mark();
    rig.host.SetResource(kCountdownPath, CountdownJson(30000, counter));
    rig.host.RunDue();
    EXPECT_EQ(controller.LobbyLifetime(), 120) << "not even the lifetime";
    EXPECT_EQ(Countdowns(rig, mark), Names{});
  }

  struct Reset {
    const char* label;
    std::function<void()> run;
  };
  const std::vector<Reset> resets = {
      {"LeaveLobby", [&] { EXPECT_TRUE(controller.LeaveLobby(rig.V1Lobby())); }},
      {"the team-builder lobby deleted",
       [&] {
         rig.host.SetResource(kLobbyPath, TeamBuilderLobby("tb-1", 440, ""));
         rig.host.RunDue();
         ASSERT_TRUE(rig.host.DeleteResource(kLobbyPath));
         rig.host.RunDue();
       }},
  };
  std::int64_t timer = 200000;
  for (const Reset& reset : resets) {
    SCOPED_TRACE(reset.label);
    rig.host.SetResource(kCountdownPath, CountdownJson(10000, 9));
    rig.host.RunDue();
    ASSERT_EQ(controller.Countdown().counter, 9);
    reset.run();
    EXPECT_EQ(controller.Countdown().counter, 0);
    timer += 1000;
    rig.host.SetResource(kCountdownPath, CountdownJson(timer, 1));
    rig.host.RunDue();
    EXPECT_EQ(controller.LobbyLifetime(), timer / 1000) << "the next lobby's first countdown";
  }
}

TEST(TeamBuilderLobbyControllerTest, UnsubscribeDropsBothObservations) {
  ControllerRig rig;
  const std::string name = Host::ResourceEventName(kLobbyPath);
  ASSERT_EQ(name, Host::ResourceEventName(kCountdownPath)) << "one event name for both";
  const auto subscribed = [&] {
    for (const auto& [held, context] : rig.host.Subscriptions()) {
      if (held == name) return true;
    }
    return false;
  };
  ASSERT_TRUE(subscribed());
  TeamBuilderLobbyController& controller = rig.TeamBuilder();
  controller.Unsubscribe();
  EXPECT_FALSE(subscribed());
  controller.Unsubscribe();
  rig.host.SetResource(kCountdownPath, CountdownJson(90000, 5));
  rig.host.RunDue();
  EXPECT_EQ(controller.Countdown().counter, 0) << "no longer observed";
  EXPECT_EQ(controller.LobbyLifetime(), 2700);
}

TEST(TeamBuilderLobbyControllerTest, ALobbyUpdateTakesThePluginsInvitationsAndMarksNewMembers) {
  ControllerRig rig;
  EnterTeamBuilderLobby(rig);
  const auto invitation = [](std::uint64_t to, Api::LobbyInvitationState state) {
    Api::LobbyInvitation made;
    made.id = std::to_string(to);
    made.toSummonerId = to;
    made.state = state;
    return made;
  };
  using State = Api::LobbyInvitationState;
  rig.V1Lobby().invitations = {invitation(55, State::Joined), invitation(66, State::Accepted),
                               invitation(77, State::Pending)};
  const std::size_t logsBefore = rig.Logs("DecorateGameLobby incomplete").size();
  rig.host.SetResource(kLobbyPath,
                       TeamBuilderLobby("tb-1", 999, R"({"id":2046},{"id":55},{"id":66})"));
  rig.host.RunDue();
  const Api::Lobby& lobby = rig.V1Lobby();
  EXPECT_EQ(lobby.queueId, 999) << "handed on although its queue is not known";
  ASSERT_EQ(lobby.invitations.size(), 3u);
  EXPECT_EQ(lobby.invitations[0].state, State::Accepted) << "joined and now a member";
  EXPECT_EQ(lobby.invitations[1].state, State::Accepted);
  EXPECT_EQ(lobby.invitations[2].state, State::Pending) << "not a member";
  ASSERT_EQ(lobby.members.size(), 3u);
  EXPECT_TRUE(lobby.members[0].canInviteOthers);
  EXPECT_FALSE(lobby.members[1].canInviteOthers);
  EXPECT_EQ(lobby.localMember.id, kLocalSummonerId);
  EXPECT_EQ(lobby.chatRoomId, rig.Plugin().MakePlatformHostName("tb-1", "cp", "@conference"));
  const std::vector<Host::LogLine> logged = rig.Logs("DecorateGameLobby incomplete");
  ASSERT_EQ(logged.size(), logsBefore + 1);
  EXPECT_EQ(logged.back().message, "DecorateGameLobby incomplete, missing queue information");
  EXPECT_EQ(logged.back().level, 2u);
}

TEST(TeamBuilderLobbyControllerTest, AnUpdateOfALeftLobbyIsIgnoredWithoutAQueueLookup) {
  ControllerRig rig;
  EnterTeamBuilderLobby(rig);
  const std::size_t beforeLeaving = rig.host.Records().requests.size();
  ASSERT_TRUE(rig.Plugin().HandleDeleteLobby().ok);
  rig.host.RunDue();
  ASSERT_EQ(rig.StateName(), "OutOfLobby");
  const Names leaving = rig.Requests(beforeLeaving);
  EXPECT_EQ(std::count(leaving.begin(), leaving.end(), std::string("DELETE ") + kLobbyPath), 2)
      << "from the backend, then from the legacy lobby's exit, whose 404 changes nothing";
  ASSERT_TRUE(Lobby::LobbyPluginTesting::AbandonedLobbyInvitationIds(rig.Plugin()).count("tb-1"));
  const std::size_t from = rig.host.Records().requests.size();
  rig.host.SetResource(kLobbyPath, TeamBuilderLobby("tb-1", 440, R"({"id":2046})"));
  rig.host.RunDue();
  EXPECT_EQ(rig.Requests(from), Names{}) << "no queue lookup";
  EXPECT_EQ(rig.V1Lobby().queueId, -1) << "nothing handed on";
}

TEST(TeamBuilderLobbyControllerTest, ACountdownDuringTheCreationSetsTheNewLobbysFirstCountdown) {
  ControllerRig rig;
  rig.ScriptStatus("createGroupFinderLobby", "tb-5", 440);
  const std::string created = TeamBuilderLobby("tb-5", 440, R"({"id":2046})");
  rig.host.SeedResource(kLobbyPath, created);
  Host::ScriptedReply streamed = StreamedInOneByteReads(created);
  streamed.method = 6;
  streamed.uses = 1;
  rig.host.ScriptReply(kLobbyPath, streamed);
  rig.host.OnYield(2, [&] { rig.host.SetResource(kCountdownPath, CountdownJson(1500000, 1)); });
  const std::size_t mark = rig.Mark();
  rig.CreateLobby(440);
  EXPECT_EQ(rig.TeamBuilder().LobbyLifetime(), 1500);
  const Names published = Countdowns(rig, mark);
  ASSERT_FALSE(published.empty());
  EXPECT_NE(published[0].find(R"("data":1500,)"), std::string::npos) << published[0];
  EXPECT_NE(published[0].find("/jyx-lobby/v1/lobby/countdown"), std::string::npos);
}

TEST(TeamBuilderLobbyControllerTest, ALobbyEventDuringAnOlderOnesQueueLookupIsTheOneHandedOn) {
  ControllerRig rig;
  EnterTeamBuilderLobby(rig);
  rig.host.ScriptReply(
      "/jyx-game-queues/v1/queues/440",
      StreamedInOneByteReads(*rig.host.Resource("/jyx-game-queues/v1/queues/440")));
  rig.host.OnYield(1, [&] {
    rig.host.SetResource(kLobbyPath, TeamBuilderLobby("tb-1", 420, R"({"id":2046},{"id":88})"));
  });
  const std::size_t mark = rig.Mark();
  rig.host.SetResource(kLobbyPath, TeamBuilderLobby("tb-1", 440, R"({"id":2046})"));
  rig.host.RunDue();
  EXPECT_EQ(rig.V1Lobby().queueId, 420) << "the newer lobby stays";
  EXPECT_EQ(rig.V1Lobby().members.size(), 2u);
  Names lobbies;
  for (const std::string& entry : rig.Entries({"publish "}, mark)) {
    if (entry.find(R"("uri":"/jyx-lobby/v1/lobby")") != std::string::npos) {
      lobbies.push_back(entry);
    }
  }
  ASSERT_EQ(lobbies.size(), 1u) << ::testing::PrintToString(lobbies);
  EXPECT_NE(lobbies[0].find(R"("queueId":420)"), std::string::npos);
}

}  // namespace
}  // namespace Zarn::Client::Testing
