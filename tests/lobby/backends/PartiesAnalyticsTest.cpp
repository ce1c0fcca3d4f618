// The parties backend's telemetry in-process on the stand-in host's table: what each change of the
// player record sends, and the open parties counted from friends' presences. The plugin's fake
// parties backend mirrors the real one's player, which the analytics read through the plugin.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "sdk/binding/JsonText.h"
#include "tests/lobby/backends/PartiesLobbyBackendTesting.h"
#include "tests/lobby/core/GameflowAnswers.h"
#include "tests/lobby/core/LobbyAnalyticsTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"
#include "tests/sdk/platform/WallClockTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using Testing::LobbyRig;
using Role = Api::PartyMemberRoleEnum;
using Strings = std::vector<std::string>;

// The player "pu-11" (summoner 11) in party "p1" ("open", queue `queueId`), with `role`, beside
// the member "pu-22".
Api::PlayerDto Player(Role role, bool locked, std::int32_t queueId = 420) {
  Api::PlayerDto player;
  player.puuid = "pu-11";
  player.summonerId = 11;
  player.createdAt = 1;
  Api::PartyDto party;
  party.partyId = "p1";
  party.partyType = "open";
  party.gameMode.queueId = queueId;
  party.activityLocked = locked;
  party.activityStartedUtcMillis = 1000;
  Api::PartyMemberDto self;
  self.puuid = "pu-11";
  self.summonerId = 11;
  self.role = role;
  Api::PartyMemberDto other;
  other.puuid = "pu-22";
  other.summonerId = 22;
  other.role = role == Role::LEADER ? Role::MEMBER : Role::LEADER;
  party.players = {self, other};
  player.currentParty = party;
  return player;
}

class PartiesAnalyticsTest : public ::testing::Test {
 protected:
  PartiesAnalyticsTest() {
    PartiesLobbyBackendTesting::Attach(backend, *rig.plugin);
    LobbyPlugin& plugin = *rig.plugin;
    LobbyPluginTesting::PlatformId(plugin).Update(PluginResourceEventType::Create, "KV1");
    Api::Summoner summoner;
    summoner.summonerId = 11;
    summoner.puuid = "pu-11";
    LobbyPluginTesting::CurrentSummoner(plugin).Update(PluginResourceEventType::Create, summoner);
    LobbyAnalytics& analytics = plugin.GetAnalytics();
    Api::ChatFriend chatFriend;
    chatFriend.summonerId = 22;
    LobbyAnalyticsTesting::Friends(analytics).Update(PluginResourceEventType::Create, {chatFriend});
    LobbyAnalyticsTesting::FriendCounts(analytics).Update(PluginResourceEventType::Create,
                                                          Api::ChatFriendCounts{});
    Api::LobbyDto view;
    view.members.resize(2);
    view.members[0].puuid = "pu-11";
    view.members[1].puuid = "pu-22";
    view.members[1].summonerId = 22;
    rig.factory->parties->getLobbyResult = view;
    Host::Testing::AnswerLobbyRequests(rig.host);
    EXPECT_TRUE(plugin.SetPartyLobbyActive(true));
    Store(Player(Role::MEMBER, false, -1));
  }

  // Tells the analytics of the change from the stored state to `player`, then stores it, in the
  // order the backend accepts a state; what the sink received meanwhile, as "<name> <eventType>
  // [<endTransition>]".
  Strings Apply(const Api::PlayerDto& player) {
    const std::size_t mark = rig.host.Records().telemetry.size();
    backend.SendPartyTransitionAnalytics(
        player, Api::PlayerDto(Lobby::PartiesBackendTesting::Player(backend)));
    Store(player);
    Strings sent;
    const std::vector<Host::TelemetryEvent>& events = rig.host.Records().telemetry;
    for (std::size_t i = mark; i < events.size(); ++i) {
      const BindingProperty map = ParseJson(events[i].arguments.at(0)).Value();
      std::string entry =
          events[i].name + " " + std::string(map.FindMember("eventType").GetString());
      const std::string end(map.FindMember("endTransition").GetString());
      if (!end.empty()) entry += " " + end;
      sent.push_back(entry);
    }
    return sent;
  }
  void Store(const Api::PlayerDto& player) {
    Lobby::PartiesBackendTesting::Player(backend) = player;
    Lobby::PartiesBackendTesting::Player(*rig.factory->parties) = player;
  }
  [[nodiscard]] Strings WarnLines(std::size_t from) const {
    Strings lines;
    const std::vector<Host::LogLine>& logs = rig.host.Records().logs;
    for (std::size_t i = from; i < logs.size(); ++i) {
      if (logs[i].level == 1 || logs[i].level == 2) lines.push_back(logs[i].message);
    }
    return lines;
  }
  [[nodiscard]] const LobbyAnalytics& Analytics() const { return rig.plugin->GetAnalytics(); }

  static std::int64_t ReadWall(void* context) {
    return *static_cast<std::int64_t*>(context) * 1'000'000;
  }

  LobbyRig rig;
  PartiesLobbyBackend backend;
  std::int64_t wallMillis = 5000;
  Platform::ScopedWallClockSource wall{&ReadWall, &wallMillis};
};

constexpr char kPremade[] = "parties-premade-relationship \"jyx-enter-matchmaking\"";
constexpr char kAvailability[] = "parties-friend-availability \"jyx-enter-matchmaking\"";
constexpr char kInvitations[] = "parties-invitations \"jyx-enter-matchmaking\"";

TEST_F(PartiesAnalyticsTest, EachChangeOfThePlayerSendsAndStartsWhatItTells) {
  struct Step {
    const char* label;
    Api::PlayerDto player;
    Strings sent;
    std::string session;  // the start transition afterwards
  };
  const std::vector<Step> steps = {
      {"a member enters matchmaking",
       Player(Role::MEMBER, true, -1),
       {kPremade, kAvailability, kInvitations},
       ""},
      {"the lock is released", Player(Role::MEMBER, false, -1), {}, "left-activity-locked"},
      {"the queue becomes known", Player(Role::MEMBER, false, 420), {}, "create-party"},
      {"promoted", Player(Role::LEADER, false), {}, "became-leader"},
      {"the leader enters matchmaking",
       Player(Role::LEADER, true),
       {kPremade, kAvailability, kInvitations,
        "parties-open-party-toggle \"jyx-toggle-open-party\" \"entered-matchmaking\""},
       "became-leader"},
      {"the lock is released again", Player(Role::LEADER, false), {}, "left-activity-locked"},
      {"demoted",
       Player(Role::MEMBER, false),
       {"parties-open-party-toggle \"jyx-toggle-open-party\" \"demoted-from-leader\""},
       "left-activity-locked"},
      {"nothing that counts changes", Player(Role::MEMBER, false), {}, "left-activity-locked"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    const std::size_t logs = rig.host.Records().logs.size();
    EXPECT_EQ(Apply(step.player), step.sent);
    EXPECT_EQ(LobbyAnalyticsTesting::ToggleStartTransition(Analytics()), step.session);
    EXPECT_EQ(WarnLines(logs), Strings{});
  }
}

TEST_F(PartiesAnalyticsTest, ALeaderWithoutASessionSendsNoToggleAndLogsNothing) {
  Store(Player(Role::LEADER, false));
  const std::size_t logs = rig.host.Records().logs.size();
  EXPECT_EQ(Apply(Player(Role::LEADER, true)), (Strings{kPremade, kAvailability, kInvitations}));
  EXPECT_EQ(WarnLines(logs), Strings{});
  EXPECT_FALSE(Analytics().HasToggleSession());
}

TEST_F(PartiesAnalyticsTest, AnUnregisteredPlayerLogsOnceForEachSendingItCannotDo) {
  Store(Player(Role::LEADER, false));
  rig.plugin->GetAnalytics().StartOpenPartyAnalytics("became-leader");
  Api::PlayerDto unregistered = Player(Role::LEADER, false);
  unregistered.createdAt = 0;
  Store(unregistered);
  unregistered.currentParty->activityLocked = true;
  const std::size_t logs = rig.host.Records().logs.size();
  EXPECT_EQ(Apply(unregistered), Strings{});
  EXPECT_EQ(WarnLines(logs), (Strings{"Not sending parties analytics, invalid party state",
                                      "Not sending parties analytics, invalid party state"}))
      << "the entering events, then the toggle";
}

TEST_F(PartiesAnalyticsTest, OpenPartiesAreTheDistinctPartyIdsFriendsAdvertise) {
  const auto withPresence = [](std::uint64_t id, const std::string& presence) {
    Api::ChatFriend chatFriend;
    chatFriend.summonerId = id;
    chatFriend.jyx["pty"] = presence;
    chatFriend.jyx["other"] = "{}";
    return chatFriend;
  };
  Api::ChatFriend without;
  without.summonerId = 9;
  const std::vector<Api::ChatFriend> friends = {
      withPresence(1, R"({"partyId":"a","queueId":420,"summoners":[1]})"),
      withPresence(2, R"({"partyId":"a","queueId":420,"summoners":[2]})"),
      withPresence(3, R"({"partyId":"b"})"),
      withPresence(4, R"({"partyId":""})"),
      withPresence(5, "not json"),
      withPresence(6, R"({"partyId":7})"),
      without,
  };
  const std::size_t logs = rig.host.Records().logs.size();
  EXPECT_EQ(backend.DeserializePartyPresence(friends), 2u);
  EXPECT_EQ(WarnLines(logs), (Strings{"Failed to deserialize party presence: not json",
                                      R"(Failed to deserialize party presence: {"partyId":7})"}));
  for (std::size_t i = logs; i < rig.host.Records().logs.size(); ++i) {
    EXPECT_EQ(rig.host.Records().logs[i].level, 2u);
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
