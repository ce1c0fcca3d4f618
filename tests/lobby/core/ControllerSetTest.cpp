// The plugin's controller set, the creation of legacy lobbies with it, the lobby built from a
// legacy status and the queue list's listener, in-process on the stand-in host with fakes.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/LegacyPlatform.h"
#include "lobby/core/LegacyChatRoomName.h"
#include "lobby/core/LobbyController.h"
#include "sdk/runtime/LcdsCall.h"
#include "tests/lobby/core/LobbyControllerTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/lobby/core/WatchedConfigValueTesting.h"
#include "tests/sdk/base/FailureTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using Testing::FakeLobbyController;
using Testing::LobbyRig;
using Testing::LogEntry;
using Zarn::Testing::FailsWith;

constexpr std::uint64_t kLocalId = 123;
constexpr char kChatSuffix[] = "@sec.lobby-chat.jyx.invalid";

Api::Queue MakeQueue(std::int32_t id, bool teamBuilder = false, std::uint32_t minLevel = 0) {
  Api::Queue queue;
  queue.id = id;
  queue.isTeamBuilderManaged = teamBuilder;
  queue.minLevel = minLevel;
  return queue;
}

// Hands `queues` to the plugin as the queue list's observer would, and runs its listener.
void DeliverQueues(LobbyRig& rig, std::vector<Api::Queue> queues) {
  WatchedConfigValue<std::vector<Api::Queue>>& watched = LobbyPluginTesting::Queues(*rig.plugin);
  WatchedConfigValueTesting::Store(watched, std::move(queues));
  rig.plugin->OnQueuesChanged();
}

Host::ScriptedReply Answer(const std::string& json) {
  Host::ScriptedReply reply;
  reply.json = json;
  return reply;
}

Host::ScriptedReply Refusal(std::uint32_t status, const std::string& error) {
  Host::ScriptedReply reply;
  reply.status = status;
  reply.error = error;
  return reply;
}

std::string Sha1RoomName(const std::string& id) { return MakeLegacyChatRoomName(id, "ag"); }

TEST(ControllerSetTest, TheControllerFollowsTheQueueListAndTheCustomFlag) {
  LobbyRig rig;
  Testing::FakeComponentFactory& made = *rig.factory;
  struct Row {
    const char* label;
    bool isCustom;
    std::int32_t queueId;
    LobbyController* expected;
  };
  const auto check = [&](const std::vector<Row>& rows) {
    for (const Row& row : rows) {
      SCOPED_TRACE(row.label);
      EXPECT_EQ(rig.plugin->GetLobbyController(row.isCustom, row.queueId).get(), row.expected);
    }
  };
  check({{"no list", false, 420, made.invalid.get()},
         {"no list, custom", true, 420, made.invalid.get()}});
  DeliverQueues(rig, {MakeQueue(420, true), MakeQueue(430)});
  check({{"team-builder managed", false, 420, made.teamBuilder.get()},
         {"matchmade", false, 430, made.arranged.get()},
         {"custom over a listed queue", true, 420, made.custom.get()},
         {"custom without a queue", true, -1, made.custom.get()},
         {"unlisted", false, 999, made.invalid.get()}});
  const long uses = made.arranged.use_count();
  {
    const std::shared_ptr<LobbyController> held = rig.plugin->GetLobbyController(false, 430);
    EXPECT_EQ(made.arranged.use_count(), uses + 1);
  }
  DeliverQueues(rig, {});
  check({{"empty list", false, 430, made.invalid.get()},
         {"empty list, custom", true, 430, made.invalid.get()}});
}

TEST(ControllerSetTest, StartMakesFourControllersSubscribesThreeAndASecondSetReplacesThem) {
  LobbyRig rig;
  EXPECT_EQ(rig.Entries({"factory.Make.", "teamBuilder.", "arranged.", "custom.", "invalid."}),
            (std::vector<std::string>{"factory.Make.teamBuilder", "factory.Make.arranged",
                                      "factory.Make.custom", "factory.Make.invalid",
                                      "teamBuilder.Subscribe", "arranged.Subscribe",
                                      "custom.Subscribe"}));
  for (LobbyController* controller : {static_cast<LobbyController*>(rig.factory->teamBuilder.get()),
                                      static_cast<LobbyController*>(rig.factory->invalid.get())}) {
    EXPECT_EQ(LobbyControllerTesting::Services(*controller), rig.plugin.get());
  }
  DeliverQueues(rig, {MakeQueue(420, true), MakeQueue(430)});
  const std::shared_ptr<FakeLobbyController> oldArranged = rig.factory->arranged;
  rig.host.SetResource("/jyx-login/v1/session",
                       R"({"state":"SUCCEEDED","accountId":1,"summonerId":123})");
  rig.host.RunDue();
  const std::size_t mark = rig.Mark();
  rig.plugin->CreateControllers();
  // The old set lets go of its observations before the new one takes them, and the new custom
  // game controller follows the logged-in player's bot configuration as the old one did.
  EXPECT_EQ(
      rig.Entries({"factory.Make.", "teamBuilder.", "arranged.", "custom.", "invalid."}, mark),
      (std::vector<std::string>{
          "teamBuilder.Unsubscribe", "arranged.Unsubscribe", "custom.Unsubscribe",
          "invalid.Unsubscribe", "factory.Make.teamBuilder", "factory.Make.arranged",
          "factory.Make.custom", "factory.Make.invalid", "teamBuilder.Subscribe",
          "arranged.Subscribe", "custom.Subscribe", "custom.FetchCustomBotsConfig(123)"}));
  EXPECT_NE(rig.factory->arranged, oldArranged);
  // The queue map serves the new set at once.
  EXPECT_EQ(rig.plugin->GetLobbyController(false, 430).get(), rig.factory->arranged.get());
  EXPECT_EQ(rig.plugin->GetLobbyController(false, 420).get(), rig.factory->teamBuilder.get());
  EXPECT_EQ(oldArranged.use_count(), 1);
}

TEST(ControllerSetTest, CreatingWithAControllerFailsBeforeTheControllerAndPublishesNothing) {
  const std::string kSummonerPath = "/jyx-summoner/v1/summoners/123";
  struct Row {
    const char* label;
    bool isCustom;
    std::int32_t queueId;
    std::uint32_t minLevel;
    std::optional<Host::ScriptedReply> summoner;  // none: no script
    std::int32_t code;
    std::string message;
  };
  const std::string levelFailure = "Summoner does not meet the level requirements";
  // A check that passes reaches the controller, which fails on purpose here.
  const std::string reached = "Error creating lobby: teapot";
  const std::vector<Row> rows = {
      {"custom queues down", true, -1, 0, std::nullopt, 503,
       "Cannot create custom lobby: Error response for GET /jyx-game-queues/v1/custom: down"},
      {"unlisted queue", false, 999, 0, std::nullopt, 404,
       "Requested matchmaking queue 999 does not exist. Lobby will not be created. Error: Queue "
       "not found"},
      {"level below the minimum", false, 420, 30, Answer(R"({"summonerLevel":10})"), 500,
       levelFailure},
      {"level at the minimum", false, 420, 30, Answer(R"({"summonerLevel":30})"), 418, reached},
      {"level unknown (0)", false, 420, 30, Answer(R"({"summonerLevel":0})"), 418, reached},
      {"no minimum", false, 420, 0, Answer(R"({"summonerLevel":1})"), 418, reached},
      {"summoner lookup failed", false, 420, 30, Refusal(500, "no summoner"), 418, reached},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    LobbyRig rig;
    LobbyPluginTesting::LocalSummonerId(*rig.plugin) = kLocalId;
    rig.host.ScriptReply("/jyx-game-queues/v1/custom", Refusal(503, "down"));
    if (row.summoner.has_value()) rig.host.ScriptReply(kSummonerPath, *row.summoner);
    DeliverQueues(rig, {MakeQueue(420, false, row.minLevel)});
    rig.factory->arranged->createLobbyResult = Failure(418, "teapot");
    Api::Lobby requested;
    requested.isCustom = row.isCustom;
    requested.queueId = row.queueId;
    const std::size_t mark = rig.Mark();
    EXPECT_THAT(rig.plugin->CreateLobbyWithController(requested), FailsWith(row.code, row.message));
    EXPECT_TRUE(rig.Entries({"publish "}, mark).empty());
    EXPECT_EQ(rig.Entries({"request " + kSummonerPath}, mark).size(),
              row.summoner.has_value() ? 1u : 0u);
  }
}

TEST(ControllerSetTest, TheLevelCheckKeepsTheQueueFoundBeforeAListDeliveredWhileItWaits) {
  LobbyRig rig;
  LobbyPluginTesting::LocalSummonerId(*rig.plugin) = kLocalId;
  DeliverQueues(rig, {MakeQueue(420, false, 30)});
  rig.host.ScriptReply("/jyx-summoner/v1/summoners/123",
                       Testing::StreamedInOneByteReads(R"({"summonerLevel":10})"));
  bool delivered = false;
  rig.host.OnYield(1, [&] {
    delivered = true;
    // A new list without the level floor, delivered through the plugin's own subscription,
    // replaces the one the check copied its queue from.
    std::string relaxed = "[";
    for (int id = 400; id < 440; ++id) {
      relaxed += (id == 400 ? "" : ",") + std::string(R"({"id":)") + std::to_string(id) + "}";
    }
    rig.host.SetResource("/jyx-game-queues/v1/queues", relaxed + "]");
  });
  Api::Lobby requested;
  requested.queueId = 420;
  EXPECT_THAT(rig.plugin->CreateLobbyWithController(requested),
              FailsWith(500, "Summoner does not meet the level requirements"));
  EXPECT_TRUE(delivered);
  EXPECT_EQ(rig.plugin->FindQueue(420)->minLevel, 0u);
}

TEST(ControllerSetTest, InviteServiceOperationsCallTheInvitationServiceWithTheId) {
  LobbyRig rig;
  Host::LegacyPlatform legacy(rig.host);
  LobbyController& controller = *rig.factory->arranged;
  legacy.Script("lcdsGameInvitationService", "grantInvitePrivileges", Host::LcdsAnswer{});
  BindingHttpResult granted = controller.GrantInvitePrivileges(123);
  EXPECT_TRUE(granted.IsOk()) << granted.Result().ErrorMessage();
  ASSERT_EQ(legacy.Invocations().size(), 1u);
  EXPECT_EQ(legacy.Invocations()[0].destination, "lcdsGameInvitationService");
  EXPECT_EQ(legacy.Invocations()[0].method, "grantInvitePrivileges");
  EXPECT_EQ(legacy.Invocations()[0].arguments, "[123]");

  Host::LcdsAnswer refused;
  refused.exception = "com.zarnworks.platform.game.GameNotFoundException: no lobby";
  legacy.Script("lcdsGameInvitationService", "revokeInvitePrivileges", refused);
  const std::string legacyMessage =
      rig.plugin
          ->LcdsCallSync<void>("lcdsGameInvitationService", "revokeInvitePrivileges",
                               std::uint64_t{123})
          .Message();
  BindingHttpResult revoked = controller.RevokeInvitePrivileges(123);
  EXPECT_FALSE(revoked.IsOk());
  EXPECT_EQ(revoked.StatusPart().status, 500);
  EXPECT_EQ(revoked.Result().ErrorMessage(),
            "Error requesting revokeInvitePrivileges for 123: " + legacyMessage);
}

TEST(ControllerSetTest, ALobbyForAQueueIsBuiltFromTheLegacyStatus) {
  struct Row {
    const char* label;
    std::string metaData;
    std::optional<Host::ScriptedReply> queueReply;
    bool asked;
    std::int32_t queueId;
    std::int32_t mapId;
    std::string gameMode;
    std::string failure;  // empty: a lobby
  };
  const std::vector<Row> rows = {
      {"a queue id", R"({"queueId":420,"mapId":12})",
       Answer(R"({"id":420,"mapId":11,"gameMode":"CLASSIC"})"), true, 420, 11, "CLASSIC", ""},
      {"no meta-data", "", std::nullopt, false, -1, 0, "", ""},
      {"meta-data that is not JSON", "{queueId:420", std::nullopt, false, -1, 0, "", ""},
      {"a queue id as text", R"({"queueId":"420"})", std::nullopt, false, -1, 0, "", ""},
      {"a queue id beyond 32 bits", R"({"queueId":4294967716})", std::nullopt, false, -1, 0, "",
       ""},
      {"an unknown queue", R"({"queueId":420})", Refusal(404, "gone"), true, 420, 0, "",
       "Requested matchmaking queue 420 does not exist. Lobby will not be created. Error: Error "
       "response for GET /jyx-game-queues/v1/queues/420: gone"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    LobbyRig rig;
    LobbyPluginTesting::LocalSummonerId(*rig.plugin) = kLocalId;
    if (row.queueReply.has_value()) {
      rig.host.ScriptReply("/jyx-game-queues/v1/queues/420", *row.queueReply);
    }
    LCDS::LobbyStatus status;
    status.invitationId = "INV-1";
    status.chatKey = "key";
    status.owner.summonerId = 5;
    status.members = {{5, "owner", false}, {kLocalId, "me", false}, {7, "helper", true}};
    status.invitees = {{5, "owner", LCDS::InviteeState::CREATOR},
                       {8, "asked", LCDS::InviteeState::PENDING}};
    status.gameMetaData = row.metaData;
    const std::size_t mark = rig.Mark();
    MaybeType<Failure, Api::Lobby> built = rig.factory->arranged->CreateLobbyForQueue(status);
    EXPECT_EQ(rig.Entries({"request /jyx-game-queues/v1/queues/"}, mark).size(),
              row.asked ? 1u : 0u);
    if (!row.failure.empty()) {
      EXPECT_THAT(built, FailsWith(400, row.failure));
      continue;
    }
    ASSERT_TRUE(built.HasValue()) << built.Message();
    const Api::Lobby& lobby = built.Value();
    EXPECT_EQ(lobby.queueId, row.queueId);
    EXPECT_EQ(lobby.mapId, row.mapId);
    EXPECT_EQ(lobby.gameMode, row.gameMode);
    EXPECT_EQ(lobby.invitationId, "INV-1");
    EXPECT_EQ(lobby.chatRoomKey, "key");
    EXPECT_EQ(lobby.chatRoomId, Sha1RoomName("inv-1") + kChatSuffix);
    ASSERT_EQ(lobby.members.size(), 3u);
    EXPECT_TRUE(lobby.members[0].isOwner);
    EXPECT_TRUE(lobby.members[0].canInviteOthers);
    EXPECT_FALSE(lobby.members[1].isOwner);
    EXPECT_FALSE(lobby.members[1].canInviteOthers);
    EXPECT_FALSE(lobby.members[2].isOwner);
    EXPECT_TRUE(lobby.members[2].canInviteOthers);
    EXPECT_EQ(lobby.localMember.id, kLocalId);
    ASSERT_EQ(lobby.invitations.size(), 1u);
    EXPECT_EQ(lobby.invitations[0].toSummonerId, 8u);
  }
}

TEST(ControllerSetTest, LegacyInviteeStatesMapToInvitationStatesWithoutTheCreator) {
  LobbyRig rig;
  using LCDS::InviteeState;
  using State = Api::LobbyInvitationState;
  const std::vector<std::pair<InviteeState, State>> rows = {
      {InviteeState::PENDING, State::Pending},         {InviteeState::ACCEPTED, State::Accepted},
      {InviteeState::JOINED, State::Joined},           {InviteeState::DECLINED, State::Declined},
      {InviteeState::ACCEPT_FAILED, State::Declined},  {InviteeState::QUIT, State::Declined},
      {InviteeState::KICKED, State::Kicked},           {InviteeState::BANNED, State::Kicked},
      {static_cast<InviteeState>(42), State::Pending},
  };
  std::vector<LCDS::Invitee> invitees = {{1, "creator", InviteeState::CREATOR}};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    invitees.push_back({100 + i, "invitee", rows[i].first});
  }
  Api::Lobby lobby;
  lobby.invitations.resize(4);  // replaced, not appended to
  const std::size_t mark = rig.Mark();
  MapPlatformState(lobby, invitees);
  ASSERT_EQ(lobby.invitations.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(static_cast<int>(rows[i].first));
    const Api::LobbyInvitation& invitation = lobby.invitations[i];
    EXPECT_EQ(invitation.state, rows[i].second);
    EXPECT_EQ(invitation.id, std::to_string(100 + i));
    EXPECT_EQ(invitation.toSummonerId, 100 + i);
    EXPECT_EQ(invitation.fromSummonerId, 0u);
  }
  const std::string unknown = "Unrecognized platformState defaulting to pending";
  EXPECT_EQ(rig.Entries({"log "}, mark), std::vector<std::string>{LogEntry(unknown)});
  const auto& logs = rig.host.Records().logs;
  ASSERT_FALSE(logs.empty());
  EXPECT_EQ(logs.back().message, unknown);
  EXPECT_EQ(logs.back().level, 3u);
}

TEST(ControllerSetTest, ChatRoomNamesFoldCapitalsAndNeedEveryPart) {
  const std::string abc = "ag~a9993e364706816aba3e25717850c26c9cd0d89d";
  EXPECT_EQ(MakeLegacyChatRoomName("ABC", "ag"), abc);
  EXPECT_EQ(MakeLegacyChatRoomName("abc", "ag"), abc);
  EXPECT_EQ(MakeLegacyChatRoomName("", "ag"), "");
  EXPECT_EQ(MakeLegacyChatRoomName("ABC", ""), "");
  EXPECT_EQ(LobbyPlugin::MakePlatformHostName("ABC", "ag", "@sec"), abc + kChatSuffix);
  EXPECT_EQ(LobbyPlugin::MakePlatformHostName("", "ag", "@sec"), "");
  EXPECT_EQ(LobbyPlugin::MakePlatformHostName("ABC", "", "@sec"), "");
  EXPECT_EQ(LobbyPlugin::MakePlatformHostName("ABC", "ag", ""), "");
}

TEST(ControllerSetTest, AQueueListRepublishesTheLobbyAvailabilityOnlyWhenItChanges) {
  LobbyRig rig;
  // The availability publications from `from` on, as their values.
  const auto published = [&rig](std::size_t from) {
    const std::string uri = R"(","eventType":"Update","uri":"/jyx-lobby/v1/lobby/availability"})";
    const std::string head = R"(publish {"data":")";
    std::vector<std::string> values;
    for (const std::string& entry : rig.Entries({head}, from)) {
      if (entry.ends_with(uri)) {
        values.push_back(entry.substr(head.size(), entry.size() - head.size() - uri.size()));
      }
    }
    return values;
  };
  rig.Drive({LobbyEvents::kNewLobbyRequested, LobbyEvents::kNewLobbySucceeded});
  LobbyPluginTesting::V1Lobby(*rig.plugin).queueId = 420;
  Api::LobbyDto view;
  view.gameConfig.queueId = 420;
  rig.factory->platform->getLobbyResult = view;
  Api::Queue limited = MakeQueue(420);
  limited.queueAvailability = Api::QueueAvailability::DoesntMeetRequirements;
  DeliverQueues(rig, {MakeQueue(420)});

  std::size_t mark = rig.Mark();
  DeliverQueues(rig, {MakeQueue(420)});
  EXPECT_TRUE(published(mark).empty()) << "unchanged";
  DeliverQueues(rig, {limited});
  DeliverQueues(rig, {limited});
  EXPECT_EQ(published(mark), std::vector<std::string>{"DoesntMeetRequirements"});
  EXPECT_EQ(LobbyPluginTesting::LobbyAvailability(*rig.plugin),
            Api::QueueAvailability::DoesntMeetRequirements);

  mark = rig.Mark();
  rig.factory->platform->getLobbyResult = Failure(500, "NOT_FOUND");
  DeliverQueues(rig, {MakeQueue(420)});
  EXPECT_TRUE(published(mark).empty()) << "another failure";
  rig.factory->platform->getLobbyResult = Failure(0, "NO_QUEUE_SELECTED");
  DeliverQueues(rig, {MakeQueue(420)});
  EXPECT_EQ(published(mark), std::vector<std::string>{"PlatformDisabled"});

  // A custom game keeps the availability its custom queue gave, whatever the list says.
  mark = rig.Mark();
  LobbyPluginTesting::LobbyAvailability(*rig.plugin) = Api::QueueAvailability::Available;
  view.gameConfig.isCustom = true;
  view.gameConfig.queueId = -1;
  rig.factory->platform->getLobbyResult = view;
  DeliverQueues(rig, {limited});
  EXPECT_TRUE(published(mark).empty()) << "a custom game";
  EXPECT_EQ(LobbyPluginTesting::LobbyAvailability(*rig.plugin), Api::QueueAvailability::Available);
}

TEST(ControllerSetTest, PartyRewardsSwitchedOffPublishAnEmptyRecordAndFetchNothing) {
  LobbyRig rig;
  LobbyPluginTesting::V1Lobby(*rig.plugin).queueId = 420;
  const std::size_t mark = rig.Mark();
  rig.plugin->UpdatePartyRewards();
  EXPECT_EQ(rig.Entries({"publish ", "request ", "log "}, mark),
            std::vector<std::string>{
                R"(publish {"data":{"isCustom":false,"isEnabled":false,"partyRewards":[],)"
                R"("queueId":-1},"eventType":"Update","uri":"/jyx-lobby/v1/party-rewards"})"});
}

TEST(ControllerSetTest, QueueAvailabilityIsTheKnownQueuesOrPlatformDisabled) {
  LobbyRig rig;
  const LobbyViewModel& model = LobbyPluginTesting::ViewModel(*rig.plugin);
  EXPECT_EQ(model.GetQueueAvailability(420), Api::QueueAvailability::PlatformDisabled);
  Api::Queue limited = MakeQueue(430);
  limited.queueAvailability = Api::QueueAvailability::DoesntMeetRequirements;
  DeliverQueues(rig, {MakeQueue(420), limited});
  EXPECT_EQ(model.GetQueueAvailability(420), Api::QueueAvailability::Available);
  EXPECT_EQ(model.GetQueueAvailability(430), Api::QueueAvailability::DoesntMeetRequirements);
  EXPECT_EQ(model.GetQueueAvailability(440), Api::QueueAvailability::PlatformDisabled);
}

}  // namespace
}  // namespace Zarn::Client::Lobby
