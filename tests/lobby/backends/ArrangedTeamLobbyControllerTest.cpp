// The arranged-team controller in-process: its local lobby, the legacy lobby made for it (with
// the co-op queues' bot difficulty), leaving, kicking and promoting.
#include "lobby/backends/ArrangedTeamLobbyController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/core/BotDifficultyForQueue.h"
#include "tests/lobby/backends/ControllerTesting.h"

namespace Zarn::Client::Testing {
namespace {

using Names = std::vector<std::string>;
namespace Api = Lobby::Api;

TEST(ArrangedTeamLobbyControllerTest, EveryCoopQueueHasItsBotDifficultyAndNoOtherHasOne) {
  struct Row {
    const char* difficulty;
    std::vector<std::int32_t> queueIds;
  };
  const std::vector<Row> rows = {
      {"INTRO", {31, 34}},
      {"EASY", {13, 23, 24, 25, 32, 35, 50, 51, 52, 67}},
      {"MEDIUM", {33, 36, 83, 84}},
      {"HARD", {90, 91, 92, 93, 94, 95}},
  };
  for (const Row& row : rows) {
    for (std::int32_t queueId : row.queueIds) {
      SCOPED_TRACE(queueId);
      const MaybeType<Failure, std::string> difficulty = Lobby::BotDifficultyForQueue(queueId);
      ASSERT_TRUE(difficulty.HasValue());
      EXPECT_EQ(difficulty.Value(), row.difficulty);
    }
  }
  for (std::int32_t queueId : {96, 0, -1, 420, 30, 89}) {
    SCOPED_TRACE(queueId);
    const MaybeType<Failure, std::string> none = Lobby::BotDifficultyForQueue(queueId);
    ASSERT_TRUE(none.IsFailure());
    EXPECT_EQ(none.GetFailure().Code(), 0);
    EXPECT_STREQ(none.Message(), "No bot difficulty for given queue");
  }
}

TEST(ArrangedTeamLobbyControllerTest, TheLocalLobbyHasTheQueuesShapeAndOnlyTheLocalOwner) {
  ControllerRig rig;
  rig.CreateLobby(420);
  EXPECT_EQ(rig.StateName(), "SoloLobby");
  const Api::Lobby& lobby = rig.V1Lobby();
  EXPECT_EQ(lobby.queueId, 420);
  EXPECT_EQ(lobby.mapId, 11);
  EXPECT_EQ(lobby.gameMode, "CLASSIC");
  EXPECT_EQ(lobby.maximumParticipantListSize, 5u);
  EXPECT_TRUE(lobby.invitationId.empty());
  ASSERT_EQ(lobby.members.size(), 1u);
  EXPECT_EQ(lobby.members[0].id, kLocalSummonerId);
  EXPECT_TRUE(lobby.members[0].isOwner);
  EXPECT_TRUE(lobby.members[0].canInviteOthers);
  EXPECT_EQ(lobby.localMember.id, kLocalSummonerId);
  EXPECT_TRUE(lobby.localMember.isOwner);
  EXPECT_TRUE(rig.legacy.Invocations().empty()) << "a local lobby only";

  Api::Lobby missing;
  missing.queueId = 999;
  const MaybeType<Failure, Api::Lobby> refused = rig.Arranged().CreateLobby(missing);
  ASSERT_TRUE(refused.IsFailure());
  EXPECT_EQ(refused.GetFailure().Code(), 400);
  EXPECT_STREQ(refused.Message(),
               "Requested matchmaking queue 999 does not exist. Lobby will not be created. Error: "
               "Queue not found");
}

TEST(ArrangedTeamLobbyControllerTest, APlatformLobbyIsMadeForTheQueueWithItsBotsWhenItHasThem) {
  struct Row {
    std::int32_t queueId;
    const char* method;
    const char* other;
    const char* arguments;
  };
  const std::vector<Row> rows = {
      {31, "createArrangedBotTeamLobby", "createArrangedTeamLobby", R"([31,"INTRO"])"},
      {420, "createArrangedTeamLobby", "createArrangedBotTeamLobby", "[420]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.queueId);
    ControllerRig rig;
    rig.CreateLobby(row.queueId);
    rig.ScriptStatus(row.method, "INV-" + std::to_string(row.queueId), row.queueId);
    const std::size_t mark = rig.Mark();
    const MaybeType<Failure, Api::Lobby> made = rig.Plugin().CreatePlatformLobby(rig.V1Lobby());
    ASSERT_TRUE(made.HasValue()) << made.Message();
    EXPECT_EQ(rig.LegacyCalls(row.method), Names{row.arguments});
    EXPECT_EQ(rig.LegacyCalls(row.other), Names{});
    EXPECT_EQ(
        rig.Entries({LogEntry("LobbyFlow: entering state"), LogEntry("LobbyFlow: exiting state")},
                    mark),
        (Names{Entering("GroupLobbyRequested"), Exiting("GroupLobbyRequested"),
               Exiting("SoloLobby"), Entering("GroupLobby"), Entering("Owner")}))
        << "SoloLobby, GroupLobbyRequested, Owner";
    EXPECT_EQ(rig.StateName(), "Owner");
    const Api::Lobby& lobby = rig.V1Lobby();
    EXPECT_EQ(lobby.invitationId, "INV-" + std::to_string(row.queueId));
    EXPECT_EQ(lobby.queueId, row.queueId);
    EXPECT_EQ(lobby.chatRoomKey, "key-INV-" + std::to_string(row.queueId));
    EXPECT_TRUE(lobby.chatRoomId.starts_with("ag~")) << lobby.chatRoomId;
    ASSERT_EQ(lobby.members.size(), 1u);
    EXPECT_TRUE(lobby.members[0].isOwner);
    EXPECT_TRUE(lobby.invitations.empty()) << "the creator is no invitee";
  }
}

TEST(ArrangedTeamLobbyControllerTest, ALegacyFailureKeepsItsMessageAndReturnsToTheSoloLobby) {
  ControllerRig rig;
  rig.CreateLobby(420);
  rig.ScriptLegacyFailure("createArrangedTeamLobby", "com.x.ArrangedLobbyException: full");
  const std::size_t mark = rig.Mark();
  const MaybeType<Failure, Api::Lobby> made = rig.Plugin().CreatePlatformLobby(rig.V1Lobby());
  ASSERT_TRUE(made.IsFailure());
  EXPECT_EQ(made.GetFailure().Code(), 0);
  EXPECT_NE(std::string(made.Message()).find("com.x.ArrangedLobbyException: full"),
            std::string::npos)
      << made.Message();
  EXPECT_EQ(rig.StateName(), "SoloLobby");
  EXPECT_EQ(rig.GameflowEvents(mark), Names{"FAILED_LOBBY"});
  EXPECT_TRUE(rig.V1Lobby().invitationId.empty()) << "the local lobby stays";
}

TEST(ArrangedTeamLobbyControllerTest, LeavingAPlatformLobbyCallsLeaveFromTheBackendAndOnExit) {
  struct Row {
    const char* label;
    bool fails;
  };
  for (const Row& row : {Row{"leave succeeds", false}, Row{"first leave fails", true}}) {
    SCOPED_TRACE(row.label);
    ControllerRig rig;
    rig.CreateLobby(420);
    rig.ScriptStatus("createArrangedTeamLobby", "INV-7", 420);
    ASSERT_TRUE(rig.Plugin().CreatePlatformLobby(rig.V1Lobby()).HasValue());
    rig.host.RunDue();
    if (row.fails) {
      rig.ScriptLegacyFailure("leave", "com.x.LeaveException: gone");
    } else {
      rig.legacy.Script(kInviteService, "leave", Host::LcdsAnswer{});
    }
    const std::size_t logsBefore = rig.host.Records().logs.size();
    const HttpResponse reply = rig.Plugin().HandleDeleteLobby();
    std::vector<Host::LogLine> logs(rig.host.Records().logs.begin() + logsBefore,
                                    rig.host.Records().logs.end());
    std::vector<std::pair<std::uint32_t, std::string>> leaving;
    for (const Host::LogLine& line : logs) {
      if (line.message.find("Platform lobby") != std::string::npos) {
        leaving.emplace_back(line.level, line.message);
      }
    }
    if (row.fails) {
      EXPECT_EQ(reply.status.status, 400);
      EXPECT_EQ(reply.message, "Failed to leave lobby");
      EXPECT_EQ(rig.LegacyCalls("leave"), Names{"[]"});
      ASSERT_EQ(leaving.size(), 2u);
      EXPECT_EQ(leaving[0], (std::pair<std::uint32_t, std::string>{3, "Leaving Platform lobby"}));
      EXPECT_EQ(leaving[1].first, 1u);
      EXPECT_TRUE(leaving[1].second.starts_with("Failed to leave Platform lobby: "))
          << leaving[1].second;
      EXPECT_NE(leaving[1].second.find("com.x.LeaveException: gone"), std::string::npos);
      EXPECT_EQ(rig.StateName(), "Owner") << "no QUIT_LOBBY";
    } else {
      EXPECT_TRUE(reply.ok) << reply.message;
      EXPECT_EQ(rig.LegacyCalls("leave"), (Names{"[]", "[]"}))
          << "from the backend, then from the legacy lobby's exit";
      EXPECT_EQ(leaving.size(), 2u);
      for (const auto& line : leaving) {
        EXPECT_EQ(line, (std::pair<std::uint32_t, std::string>{3, "Leaving Platform lobby"}));
      }
      EXPECT_EQ(rig.StateName(), "OutOfLobby");
    }
  }
}

TEST(ArrangedTeamLobbyControllerTest, KickAndPromoteGoToTheInviteServiceForMembersOnly) {
  ControllerRig rig;
  rig.CreateLobby(420);
  Api::LobbyMember other;
  other.id = 77;
  rig.V1Lobby().members.push_back(other);
  rig.legacy.Script(kInviteService, "kick", Host::LcdsAnswer{});
  rig.legacy.Script(kInviteService, "transferOwnership", Host::LcdsAnswer{});

  const std::size_t requestsBefore = rig.host.Records().requests.size();
  for (Lobby::LobbyController* controller :
       {static_cast<Lobby::LobbyController*>(&rig.Arranged()),
        static_cast<Lobby::LobbyController*>(&rig.TeamBuilder())}) {
    const BindingHttpResult stranger = controller->KickPlayer(99);
    EXPECT_EQ(stranger.StatusPart().status, 404);
    EXPECT_EQ(stranger.Result().ErrorMessage(), "Not found");
  }
  EXPECT_EQ(rig.Requests(requestsBefore), Names{}) << "nothing sent for a stranger";

  EXPECT_TRUE(rig.Arranged().KickPlayer(77).IsOk());
  EXPECT_TRUE(rig.Arranged().PromotePlayer(77).IsOk());
  EXPECT_EQ(rig.LegacyCalls("kick"), Names{"[77]"});
  EXPECT_EQ(rig.LegacyCalls("transferOwnership"), Names{"[77]"});

  const MaybeType<Failure, void> positions =
      Lobby::LobbyPluginTesting::GetPlatformBackend(rig.Plugin())->SetPositionPreferences({});
  ASSERT_TRUE(positions.IsFailure());
  EXPECT_EQ(positions.GetFailure().Code(), 500);
  EXPECT_STREQ(positions.Message(),
               "Couldn't select position preferences: Can't specify position preferences from "
               "any legacy lobby -- that feature is specific to Team Builder queues.");
}

}  // namespace
}  // namespace Zarn::Client::Testing
