// The parties scenario rerun for its telemetry: the same steps in the same world, now with the
// player's friends and friend counts, the clock moving one second before each route call, and
// every event the sink got compared whole, name and map, step by step.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "host/HostValue.h"
#include "host/PluginClock.h"
#include "tests/host/PartiesScenario.h"

namespace Zarn::Host {
namespace {

using namespace PartiesScenarioTesting;
using Map = std::map<std::string, std::string>;

struct Sent {
  std::string name;
  Map map;
  bool operator==(const Sent&) const = default;
};

void PrintTo(const Sent& sent, std::ostream* out) {
  *out << sent.name << " {";
  for (const auto& [key, value] : sent.map) *out << "\n  " << key << ": " << value;
  *out << "}";
}

// The events of one take as the sink got them, each map read back.
std::vector<Sent> Read(const std::vector<TelemetryEvent>& events) {
  std::vector<Sent> read;
  for (const TelemetryEvent& event : events) {
    Sent sent{event.name, {}};
    rapidjson::Document json;
    std::string error;
    EXPECT_EQ(event.arguments.size(), 1u) << event.name;
    if (event.arguments.size() == 1 && ParseHostJson(event.arguments[0], &json, &error) &&
        json.IsObject()) {
      for (const auto& member : json.GetObject()) {
        sent.map[member.name.GetString()] =
            member.value.IsString() ? member.value.GetString() : "(not a text)";
      }
    } else {
      ADD_FAILURE() << event.name << ": no structure of texts";
    }
    read.push_back(std::move(sent));
  }
  return read;
}

// B (10) and a stranger to the scenario (50) are friends; C is not.
constexpr char kFriends[] = R"({"resources": {
  "/jyx-chat/v1/friends": [{"summonerId": 10, "jyx": {}}, {"summonerId": 50, "jyx": {}}],
  "/jyx-chat/v1/friend-counts": {"numFriends": 2, "numFriendsOnline": 1,
    "numFriendsAvailable": 3, "numFriendsAway": 4, "numFriendsInQueue": 5,
    "numFriendsInChampSelect": 6, "numFriendsInGame": 7, "numFriendsMobile": 8}}})";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

Map With(Map map, const Map& more) {
  for (const auto& [key, value] : more) map[key] = value;
  return map;
}

// The four keys every record takes from the stored party: the event data names the party, its
// type and its queue; the timestamp is the party's activity start.
Map Fields(const std::string& eventType, const std::string& partyId, int queueId,
           std::uint64_t activityStarted) {
  return {{"platformId", "\"XEM1\""},
          {"eventType", Quoted(eventType)},
          {"eventData", R"({"partyId":")" + partyId + R"(","partyType":"closed","queueId":)" +
                            std::to_string(queueId) + "}"},
          {"eventTimestamp", std::to_string(activityStarted)}};
}

Sent Premade(const Map& fields) {
  return {"parties-premade-relationship",
          With(fields, {{"puuid", "\"puuid-a\""},
                        {"summonerId", "9"},
                        {"premadePlayers", R"(["puuid-a","puuid-b"])"},
                        {"friendPlayers", R"(["puuid-b"])"}})};
}

// A toggle session of `partyId`, closed from start to end.
Sent Toggle(const Map& fields, const std::string& partyId, std::uint64_t start, std::uint64_t end,
            const std::string& transition) {
  return {"parties-open-party-toggle", With(fields, {{"partyId", Quoted(partyId)},
                                                     {"playerId", "\"puuid-a\""},
                                                     {"initialState", "\"closed\""},
                                                     {"finalState", "\"closed\""},
                                                     {"numOfToggles", "0"},
                                                     {"startTimestamp", std::to_string(start)},
                                                     {"endTimestamp", std::to_string(end)},
                                                     {"elapsedTime", std::to_string(end - start)},
                                                     {"endTransition", Quoted(transition)},
                                                     {"gameMode", "\"\""}})};
}

TEST(PartiesScenarioAnalyticsTest, EachStepSendsWhatThePartyLivedThroughWhicheverWayStatesArrive) {
  for (const PartiesPush push : {PartiesPush::Notification, PartiesPush::Message}) {
    SCOPED_TRACE(push == PartiesPush::Notification ? "notifications" : "client-proxy messages");
    Scenario s(push, kFriends);
    s.AdvanceBeforeEachCall(1.0);
    // The plugin's wall clock and the service's, in milliseconds, before the first call; the
    // plugin's runs on from an earlier host in this process, the service's from its own start.
    const std::uint64_t plugin = static_cast<std::uint64_t>(PluginWallNow() / 1'000'000);
    const std::uint64_t service = static_cast<std::uint64_t>(
        (kPluginWallClockStart + s.Host().Scheduler().Now()) / 1'000'000);
    const auto atCall = [](std::uint64_t clock, int call) { return clock + 1000u * call; };
    RunScenario(s);

    // The lock taken at the fifth call stamps the party's activity start.
    const std::uint64_t locked = atCall(service, 5);
    const Map enter = Fields("jyx-enter-matchmaking", "party-3", 440, 0);
    const std::vector<std::vector<Sent>> expected = {
        // 1. The party's queue becomes known: a "create-party" session starts, nothing is sent.
        {},
        {},
        // 2. B invited from the party lobby.
        {{"parties-invitation",
          With(Fields("parties-invitation", "party-3", 420, 0), {{"partyId", "\"party-3\""},
                                                                 {"fromSummonerId", "9"},
                                                                 {"toSummonerId", "10"},
                                                                 {"partyType", "\"closed\""},
                                                                 {"gameMode", "\"420\""}})}},
        // 3. B accepts: A's role and the lock unchanged.
        {},
        // 4. The queue change cancels matchmaking first.
        {Premade(Fields("jyx-quit-matchmaking", "party-3", 420, 0))},
        // 5. The lock: the entering events, then, A leading, the session ends.
        {Premade(enter),
         {"parties-friend-availability", With(enter, {{"puuid", "\"puuid-a\""},
                                                      {"summonerId", "9"},
                                                      {"numFriends", "2"},
                                                      {"numFriendsOnline", "1"},
                                                      {"numFriendsAvailable", "3"},
                                                      {"numFriendsAway", "4"},
                                                      {"numFriendsInGame", "7"},
                                                      {"numFriendsMobile", "8"}})},
         {"parties-invitations",
          With(enter, {{"partyId", "\"party-3\""},
                       {"players", R"([{"puuid":"puuid-a","role":"LEADER","summonerId":9},)"
                                   R"({"puuid":"puuid-b","role":"MEMBER","summonerId":10}])"}})},
         Toggle(Fields("jyx-toggle-open-party", "party-3", 440, 0), "party-3", atCall(plugin, 1),
                atCall(plugin, 5), "entered-matchmaking")},
        // The release: cancelled, and a "left-activity-locked" session starts.
        {Premade(Fields("jyx-quit-matchmaking", "party-3", 440, locked))},
        // 6. The lobby left ends that session.
        {Toggle(Fields("parties-open-party-toggle", "party-3", 440, locked), "party-3",
                atCall(plugin, 6), atCall(plugin, 7), "lobby-deleted")},
        // C's party and invitation touch nothing of A's.
        {},
        // 7. A, leader of its own party-4 (no queue) since leaving, joins C's party as member:
        // the queue now known starts a session, and the demotion ends it at once.
        {},
        {Toggle(Fields("jyx-toggle-open-party", "party-4", -1, 0), "party-4", atCall(plugin, 9),
                atCall(plugin, 9), "demoted-from-leader")},
    };
    const std::vector<std::vector<TelemetryEvent>>& takes = s.TelemetryByTake();
    ASSERT_EQ(takes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE("take " + std::to_string(i));
      EXPECT_EQ(Read(takes[i]), expected[i]);
    }
  }
}

}  // namespace
}  // namespace Zarn::Host
