// What the plugin subscribes to at start and the handlers that live beside the subscriptions,
// run in-process on the stand-in host with fake backends.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Testing {
namespace {

using Lobby::LobbyPluginTesting;
using Names = std::vector<std::string>;

constexpr char kSearchPath[] = "/jyx-matchmaking/v1/search";
constexpr char kAutofillPath[] = "/jyx-summoner/v1/current-summoner/autofill";
constexpr char kBlockedPath[] = "/jyx-chat/v1/blocked-players";
constexpr char kQueuesPath[] = "/jyx-game-queues/v1/queues";
constexpr char kSummonerPath[] = "/jyx-summoner/v1/current-summoner";
constexpr char kAutoGrantPath[] =
    "/jyx-platform-config/v1/namespaces/WqxLobby/AutoGrantInviteEnabled";
constexpr char kPreShutdownPath[] = "/zarnclient/pre-shutdown/begin";

// A rebuild of the view model, as the fakes' journal shows it: the presence update that every
// rebuild schedules.
bool IsRebuild(const std::string& call) { return call == "parties.SchedulePresenceUpdate"; }
int Rebuilds(const LobbyRig& rig, std::size_t from) {
  int count = 0;
  for (std::size_t i = from; i < rig.journal->calls.size(); ++i) {
    if (IsRebuild(rig.journal->calls[i])) ++count;
  }
  return count;
}

// Sets the resource and delivers its event now.
void Set(LobbyRig& rig, const std::string& path, const std::string& json) {
  rig.host.SetResource(path, json);
  rig.host.RunDue();
}
void Remove(LobbyRig& rig, const std::string& path) {
  ASSERT_TRUE(rig.host.DeleteResource(path));
  rig.host.RunDue();
}

TEST(SubscriptionTest, WatchedResourcesKeepTheirDefaultsUntilAValueArrivesAndAfterItGoes) {
  LobbyRig rig;
  Lobby::LobbyPlugin& plugin = *rig.plugin;
  const auto* search = LobbyPluginTesting::MatchmakingSearch(plugin).Effective();
  ASSERT_NE(search, nullptr) << "absent, the search has its default";
  EXPECT_EQ(search->searchState, Lobby::Api::MatchmakingSearchResource{}.searchState);
  const auto* autofill = LobbyPluginTesting::Autofill(plugin).Effective();
  ASSERT_NE(autofill, nullptr) << "absent, the autofill has its default";
  EXPECT_TRUE(autofill->autoFillQueues.empty());
  EXPECT_FALSE(LobbyPluginTesting::MatchmakingSearch(plugin).HasValue());
  EXPECT_EQ(LobbyPluginTesting::Queues(plugin).Effective(), nullptr);
  EXPECT_EQ(LobbyPluginTesting::BlockedPlayers(plugin).Effective(), nullptr);

  Set(rig, kAutofillPath, R"({"autoFillQueues":[{"queueId":420}]})");
  ASSERT_EQ(LobbyPluginTesting::Autofill(plugin).Effective()->autoFillQueues.size(), 1u);
  Remove(rig, kAutofillPath);
  EXPECT_TRUE(LobbyPluginTesting::Autofill(plugin).Effective()->autoFillQueues.empty())
      << "a Delete brings the default back";

  Set(rig, kQueuesPath, R"([{"id":420},{"id":430}])");
  ASSERT_NE(LobbyPluginTesting::Queues(plugin).Effective(), nullptr);
  EXPECT_EQ(LobbyPluginTesting::Queues(plugin).Effective()->size(), 2u);
  Remove(rig, kQueuesPath);
  EXPECT_EQ(LobbyPluginTesting::Queues(plugin).Effective(), nullptr) << "no default, no list";
}

TEST(SubscriptionTest, EachListenerRunsAfterItsValueIsStored) {
  struct Case {
    const char* path;
    const char* json;
    const char* listenerLine;  // the journal entry of the listener's first call; null for a rebuild
    std::function<bool(Lobby::LobbyPlugin&)> stored;
  };
  const Case cases[] = {
      {kSearchPath, R"({"searchState":"Searching"})", "parties.IsClashParty",
       [](Lobby::LobbyPlugin& p) { return LobbyPluginTesting::MatchmakingSearch(p).HasValue(); }},
      {kAutofillPath, R"({"autoFillQueues":[{"queueId":420}]})", nullptr,
       [](Lobby::LobbyPlugin& p) {
         return LobbyPluginTesting::Autofill(p).Effective()->autoFillQueues.size() == 1;
       }},
      {kBlockedPath, R"([{"id":7,"name":"x"}])", "parties.BuildReceivedInvitations",
       [](Lobby::LobbyPlugin& p) { return LobbyPluginTesting::BlockedPlayers(p).HasValue(); }},
      {kSummonerPath, R"({"summonerId":77})", nullptr,
       [](Lobby::LobbyPlugin& p) {
         return LobbyPluginTesting::CurrentSummoner(p).HasValue() &&
                LobbyPluginTesting::CurrentSummoner(p).Value().summonerId == 77;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    LobbyRig rig;
    int runs = 0;
    bool storedFirst = false;
    rig.journal->onCall = [&](const std::string& call) {
      if (c.listenerLine != nullptr ? call != c.listenerLine : !IsRebuild(call)) return;
      ++runs;
      storedFirst = c.stored(*rig.plugin);
    };
    Set(rig, c.path, c.json);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(storedFirst);
  }
}

TEST(SubscriptionTest, AQueueListThatDoesNotConvertReachesNothingAndLogsNothing) {
  LobbyRig rig;
  const std::size_t mark = rig.Mark();
  Set(rig, kQueuesPath, R"("not a list")");
  EXPECT_FALSE(LobbyPluginTesting::Queues(*rig.plugin).HasValue());
  // Neither a log line nor anything a listener of the queues would do.
  EXPECT_EQ(rig.Entries({"log ", "publish ", "request ", "parties.", "platform."}, mark), Names{});
}

TEST(SubscriptionTest, AutoGrantFollowsTheKeyAndComesBackOnWhenItIsDeleted) {
  LobbyRig rig;
  Lobby::LobbyPlugin& plugin = *rig.plugin;
  EXPECT_TRUE(LobbyPluginTesting::AutoGrantInviteEnabled(plugin));
  Set(rig, kAutoGrantPath, "true");
  EXPECT_TRUE(LobbyPluginTesting::AutoGrantInviteEnabled(plugin));
  Set(rig, kAutoGrantPath, "false");
  EXPECT_FALSE(LobbyPluginTesting::AutoGrantInviteEnabled(plugin));
  Remove(rig, kAutoGrantPath);
  EXPECT_TRUE(LobbyPluginTesting::AutoGrantInviteEnabled(plugin)) << "Delete means on";
}

TEST(SubscriptionTest, OnlyAnUpdateOfThePreShutdownNoticeDeregisters) {
  LobbyRig rig(false);
  rig.host.SeedResource(kPreShutdownPath, "{}");
  ASSERT_TRUE(rig.plugin->Initialize(&rig.init));
  EXPECT_EQ(rig.Entries({"parties.DeregisterPlayer"}), Names{}) << "the initial read is a Create";
  Remove(rig, kPreShutdownPath);
  EXPECT_EQ(rig.Entries({"parties.DeregisterPlayer"}), Names{});
  Set(rig, kPreShutdownPath, "{}");  // a Create again: the Delete took the value away
  EXPECT_EQ(rig.Entries({"parties.DeregisterPlayer"}), Names{});
  Set(rig, kPreShutdownPath, R"({"reason":"exit"})");
  EXPECT_EQ(rig.Entries({"parties.DeregisterPlayer"}), Names{"parties.DeregisterPlayer"});
}

TEST(SubscriptionTest, StartRebuildsOnceWhenItsBatchCloses) {
  LobbyRig rig(false);
  // Both rebuilding listeners see a value while the start's batch is open.
  rig.host.SeedResource(kAutofillPath, R"({"autoFillQueues":[]})");
  rig.host.SeedResource(kSummonerPath, R"({"summonerId":77})");
  std::size_t requestsAtRebuild = 0;
  rig.journal->onCall = [&](const std::string& call) {
    if (IsRebuild(call)) requestsAtRebuild = rig.Entries({"request "}).size();
  };
  ASSERT_TRUE(rig.plugin->Initialize(&rig.init));
  EXPECT_EQ(Rebuilds(rig, 0), 1);
  // The last read of the start, the chat's friend counts, came before the one rebuild.
  const Names requests = rig.Entries({"request "});
  ASSERT_FALSE(requests.empty());
  const auto friendCounts =
      std::find(requests.begin(), requests.end(), "request /jyx-chat/v1/friend-counts");
  ASSERT_NE(friendCounts, requests.end());
  EXPECT_GT(requestsAtRebuild, static_cast<std::size_t>(friendCounts - requests.begin()));
  EXPECT_TRUE(LobbyPluginTesting::CurrentSummoner(*rig.plugin).HasValue());
}

TEST(SubscriptionTest, AnAutofillUpdateDuringABatchedWaitRebuildsOnceWhenTheBatchCloses) {
  LobbyRig rig;
  // The gameflow plugin's answer arrives in one-byte reads, each a yield of the batched
  // operation; at the first, the autofill changes.
  rig.host.ScriptReply("/jyx-gameflow/v1/session/request-lobby", StreamedInOneByteReads("true"));
  const std::size_t mark = rig.Mark();
  rig.host.OnYield(
      1, [&] { rig.host.SetResource(kAutofillPath, R"({"autoFillQueues":[{"queueId":420}]})"); });
  int depthAtRebuild = -1;
  std::size_t queuesAtRebuild = 0;
  rig.journal->onCall = [&](const std::string& call) {
    if (!IsRebuild(call)) return;
    depthAtRebuild = LobbyPluginTesting::BatchDepth(*rig.plugin);
    queuesAtRebuild = LobbyPluginTesting::Autofill(*rig.plugin).Effective()->autoFillQueues.size();
  };
  static_cast<void>(rig.plugin->SetPartyLobbyActive(true));
  // An update delivered after the batch closed would have rebuilt a second time.
  EXPECT_EQ(Rebuilds(rig, mark), 1);
  EXPECT_EQ(queuesAtRebuild, 1u) << "the update arrived inside the batch, before its rebuild";
  EXPECT_EQ(depthAtRebuild, 0);
}

}  // namespace
}  // namespace Zarn::Client::Testing
