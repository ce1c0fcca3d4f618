// The lobby notifications run in-process with fake backends: the list of at most 30, its
// publication, the three routes, the end-of-game refresh and the notifications other parts make.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/sdk/platform/WallClockTesting.h"

namespace Zarn::Client::Testing {
namespace {

using namespace Lobby::LobbyEvents;
using Lobby::LobbyPluginTesting;
using Names = std::vector<std::string>;

constexpr char kNotificationsUri[] = R"("uri":"/jyx-lobby/v2/notifications"})";
constexpr char kPlayerStatus[] = "request /jyx-gameflow/v1/gameflow-metadata/player-status";

// 1970-01-01 00:00:01.5 UTC.
std::int64_t FixedWallClock(void* /*context*/) { return 1'500'000'000; }

// The publications of the notification list from `from` on.
Names NotificationPublications(const LobbyRig& rig, std::size_t from = 0) {
  Names found;
  for (const std::string& entry : rig.Entries({"publish "}, from)) {
    if (entry.ends_with(kNotificationsUri)) found.push_back(entry);
  }
  return found;
}

std::vector<std::string> Ids(const std::vector<Lobby::Api::LobbyNotification>& list) {
  std::vector<std::string> ids;
  for (const Lobby::Api::LobbyNotification& entry : list) ids.push_back(entry.notificationId);
  return ids;
}

class NotificationsTest : public ::testing::Test {
 protected:
  Lobby::LobbyPlugin& Plugin() { return *rig_.plugin; }
  Lobby::LobbyNotifications& Notifications() { return rig_.plugin->Notifications(); }
  std::vector<Lobby::Api::LobbyNotification> List() {
    return Plugin().HandleGetNotifications().value;
  }

  LobbyRig rig_;
  Platform::ScopedWallClockSource wallClock_{&FixedWallClock, nullptr};
};

TEST_F(NotificationsTest, MadeNotificationsAreNumberedInTurnAndStampedInWallClockMilliseconds) {
  const Lobby::Api::LobbyNotification first = Notifications().MakeLobbyNotification("KICKED", {7});
  const Lobby::Api::LobbyNotification second =
      Notifications().MakeLobbyNotification("DESTROYED", {});
  EXPECT_EQ(first.notificationId, "0");
  EXPECT_EQ(second.notificationId, "1");
  EXPECT_EQ(first.timestamp, 1500u);
  EXPECT_EQ(first.notificationReason, "KICKED");
  EXPECT_EQ(first.summonerIds, std::vector<std::uint64_t>{7});
  EXPECT_TRUE(List().empty()) << "making adds nothing";
}

TEST_F(NotificationsTest, TheListKeepsTheNewestThirtyAndPublishesEachAddition) {
  for (int i = 0; i < 30; ++i) {
    ASSERT_TRUE(
        Notifications().AddLobbyNotification(Notifications().MakeLobbyNotification("R", {})));
  }
  EXPECT_EQ(NotificationPublications(rig_).size(), 30u);
  const std::size_t mark = rig_.Mark();
  EXPECT_TRUE(Notifications().AddLobbyNotification(Notifications().MakeLobbyNotification("R", {})));
  const std::vector<Lobby::Api::LobbyNotification> list = List();
  ASSERT_EQ(list.size(), 30u);
  EXPECT_EQ(list.front().notificationId, "1") << "the oldest is gone";
  EXPECT_EQ(list.back().notificationId, "30");
  const Names published = NotificationPublications(rig_, mark);
  ASSERT_EQ(published.size(), 1u);
  EXPECT_TRUE(published[0].starts_with(R"(publish {"data":[{"notificationId":"1",)"))
      << published[0];
  EXPECT_NE(published[0].find(R"("eventType":"Update")"), std::string::npos);

  // A listed id is refused: nothing changes, nothing is published.
  const std::size_t again = rig_.Mark();
  Lobby::Api::LobbyNotification listed = list[3];
  listed.notificationReason = "other";
  EXPECT_FALSE(Notifications().AddLobbyNotification(listed));
  EXPECT_EQ(Ids(List()), Ids(list));
  EXPECT_EQ(NotificationPublications(rig_, again), Names{});
}

TEST_F(NotificationsTest, PostTakesOnlyTheReasonAndThePlayers) {
  Lobby::Api::LobbyNotification body;
  body.notificationId = "chosen";
  body.notificationReason = "FromFrontEnd";
  body.summonerIds = {4, 5};
  body.timestamp = 99;
  Plugin().HandlePostNotification(body);
  Plugin().HandlePostNotification(body);
  const std::vector<Lobby::Api::LobbyNotification> list = List();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(Ids(list), (std::vector<std::string>{"0", "1"}));
  for (const Lobby::Api::LobbyNotification& entry : list) {
    EXPECT_EQ(entry.notificationReason, "FromFrontEnd");
    EXPECT_EQ(entry.summonerIds, (std::vector<std::uint64_t>{4, 5}));
    EXPECT_EQ(entry.timestamp, 1500u);
  }
}

TEST_F(NotificationsTest, DeleteNeedsAPublishedLobbyAndAListedIdAndPublishesNothing) {
  ASSERT_TRUE(Notifications().AddLobbyNotification(Notifications().MakeLobbyNotification("A", {})));
  ASSERT_TRUE(Notifications().AddLobbyNotification(Notifications().MakeLobbyNotification("B", {})));

  HttpResponse noLobby = Plugin().HandleLobbyNotificationsDelete("0");
  EXPECT_EQ(noLobby.status.status, 404);
  EXPECT_EQ(noLobby.message, "LOBBY_NOT_FOUND");
  EXPECT_EQ(List().size(), 2u) << "nothing erased without a lobby";

  LobbyPluginTesting::PublishedLobby(Plugin()) = Lobby::Api::LobbyDto{};
  HttpResponse unknown = Plugin().HandleLobbyNotificationsDelete("7");
  EXPECT_EQ(unknown.status.status, 404);
  EXPECT_EQ(unknown.message, "LOBBY_NOTIFICATION_NOT_FOUND");

  const std::size_t mark = rig_.Mark();
  HttpResponse erased = Plugin().HandleLobbyNotificationsDelete("0");
  EXPECT_TRUE(erased.ok) << erased.message;
  EXPECT_EQ(Ids(List()), std::vector<std::string>{"1"});
  EXPECT_EQ(NotificationPublications(rig_, mark), Names{}) << "the next addition publishes";
  EXPECT_EQ(rig_.Entries({"log HandleLobbyNotificationsDelete"}, mark),
            Names{LogEntry("HandleLobbyNotificationsDelete \"0\"")});
  EXPECT_FALSE(Plugin().HandleLobbyNotificationsDelete("0").ok) << "gone already";
}

TEST_F(NotificationsTest, ADodgeIsNamedByItsStateAndListsTheDodgers) {
  Lobby::Api::GameflowGameDodge dodge;
  dodge.state = Lobby::Api::MatchmakingDodgeState::StrangerDodged;
  dodge.dodgeIds = {3, 9};
  const Lobby::Api::LobbyNotification made = Notifications().CreateDodgeNotification(dodge);
  EXPECT_EQ(made.notificationReason, "StrangerDodged");
  EXPECT_EQ(made.summonerIds, (std::vector<std::uint64_t>{3, 9}));
  dodge.state = Lobby::Api::MatchmakingDodgeState::PartyDodged;
  EXPECT_EQ(Notifications().CreateDodgeNotification(dodge).notificationReason, "PartyDodged");
}

TEST_F(NotificationsTest, TheEndOfGameRefreshCopiesTheAvailabilityAndWithdrawsPlayAgainOnce) {
  struct Case {
    const char* label;
    bool inLobby;
    bool playAgainOffered;
    bool availability;
    bool expectedFlag;
    std::size_t statusPosts;
  };
  const std::vector<Case> cases = {
      {"in a lobby, play again offered", true, true, true, true, 1},
      {"in a lobby, nothing offered", true, false, true, true, 0},
      {"no backend keeps the flag", false, true, true, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    LobbyRig rig;
    Platform::ScopedWallClockSource wallClock{&FixedWallClock, nullptr};
    Lobby::LobbyPlugin& plugin = *rig.plugin;
    if (c.inLobby) rig.Drive({kNewLobbyRequested, kNewLobbySucceeded});
    ASSERT_EQ(plugin.ActiveBackend() != nullptr, c.inLobby);
    rig.factory->platform->availabilityFlag = c.availability;
    Lobby::Api::PlayerStatus& status = LobbyPluginTesting::MutablePlayerStatus(plugin);
    Lobby::Api::LobbyStatus last;
    last.allowedPlayAgain = c.playAgainOffered;
    status.lastQueuedLobbyStatus = last;
    status.canInviteOthersAtEog = false;

    const std::size_t mark = rig.Mark();
    plugin.AddServiceShutdownNotification();
    EXPECT_EQ(LobbyPluginTesting::PlayerStatus(plugin).canInviteOthersAtEog, c.expectedFlag);
    EXPECT_FALSE(LobbyPluginTesting::PlayerStatus(plugin).lastQueuedLobbyStatus->allowedPlayAgain);
    const Names posts = rig.Entries({kPlayerStatus}, mark);
    ASSERT_EQ(posts.size(), c.statusPosts);
    if (!posts.empty()) {
      EXPECT_NE(posts[0].find(R"("lastQueuedLobbyStatus":{"allowedPlayAgain":false)"),
                std::string::npos)
          << posts[0];
    }
    const std::vector<Lobby::Api::LobbyNotification> list = plugin.HandleGetNotifications().value;
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].notificationReason, "ServiceShutdown");
    EXPECT_TRUE(list[0].summonerIds.empty());

    // Refreshing again posts nothing more: play again is already withdrawn.
    const std::size_t again = rig.Mark();
    plugin.RefreshEogState();
    EXPECT_EQ(rig.Entries({kPlayerStatus}, again), Names{});
  }
}

TEST_F(NotificationsTest, AFailedPlayerStatusPostIsLoggedAndChangesNothing) {
  Host::ScriptedReply refused;
  refused.status = 503;
  refused.error = "gameflow down";
  rig_.host.ScriptReply("/jyx-gameflow/v1/gameflow-metadata/player-status", refused);
  const std::size_t mark = rig_.Mark();
  LobbyPluginTesting::Gameflow(Plugin()).SetGameflowPlayerStatus();
  const Names logged = rig_.Entries({"log Failed to set player status on gameflow: "}, mark);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].find("gameflow down"), std::string::npos) << logged[0];
}

}  // namespace
}  // namespace Zarn::Client::Testing
