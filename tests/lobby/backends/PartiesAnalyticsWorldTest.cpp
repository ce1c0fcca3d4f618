// The parties telemetry with the plugin's real backends in-process on the stand-in host, in the
// default world with friends and their counts: the player's party changed by the service's
// "player" messages and by the lobby's routes, and every event compared whole as the sink got it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "tests/lobby/backends/PartiesStateTesting.h"
#include "tests/lobby/core/LobbyAnalyticsTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"
#include "tests/sdk/base/FailureTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using namespace PartiesStateTesting;
using Role = Api::PartyMemberRoleEnum;
using Map = std::map<std::string, std::string>;
using Strings = std::vector<std::string>;
using Zarn::Testing::FailsWith;

constexpr char kOther[] = "puuid-other";
constexpr std::uint64_t kOtherId = 77;
constexpr char kLocalPuuid[] = "\"puuid-stand-in\"";

struct Event {
  std::string name;
  Map map;
};

// The analytics events the sink received from `from` on, each map read back.
std::vector<Event> EventsSince(const PartiesWorld& w, std::size_t from) {
  static const std::vector<std::string> names = {
      "parties-friend-availability", "parties-premade-relationship", "parties-invitations",
      "parties-invitation",          "parties-open-party-join",      "parties-open-party-toggle"};
  std::vector<Event> events;
  const std::vector<Host::TelemetryEvent>& sent = w.host_.Records().telemetry;
  for (std::size_t i = from; i < sent.size(); ++i) {
    if (std::find(names.begin(), names.end(), sent[i].name) == names.end()) continue;
    Event event{sent[i].name, {}};
    const BindingProperty map = ParseJson(sent[i].arguments.at(0)).Value();
    for (auto member = map.MembersBegin(); member != map.MembersEnd(); ++member) {
      event.map[member.Name().Text()] = std::string(member.Value().GetString());
    }
    events.push_back(std::move(event));
  }
  return events;
}

std::size_t TelemetryMark(const PartiesWorld& w) { return w.host_.Records().telemetry.size(); }

Strings Names(const std::vector<Event>& events) {
  Strings names;
  for (const Event& event : events) names.push_back(event.name);
  return names;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The stored state made one step newer and changed by `change`, sent as a "player" message.
template <class Change>
void SendPlayer(PartiesWorld& w, Change change) {
  Api::PlayerDto player = Lobby::PartiesBackendTesting::Player(w.Backend());
  player.version += 1;
  player.currentParty->version += 1;
  change(player);
  w.proxy_.SendAsyncEvent(
      "parties", "player",
      Host::ProxyMessage{ToJsonString(player, w.Plugin().GetRegistry()), "200", ""});
  w.host_.RunDue();
}

void SetRoles(Api::PlayerDto& player, Role local, Role other) {
  std::vector<Api::PartyMemberDto>& players = player.currentParty->players;
  players.resize(1);
  players[0].role = local;
  Api::PartyMemberDto second;
  second.puuid = kOther;
  second.summonerId = kOtherId;
  second.partyId = player.currentParty->partyId;
  second.role = other;
  players.push_back(second);
}

// A world whose player has friends 77 and 78 (both advertising the party "pty-a"), 79 (whose
// presence is no JSON) and 80 (none), with their counts, open parties enabled and queue 420
// known; started, and in a party lobby of queue 420 (the queue's change starts a toggle session).
class PartiesAnalyticsWorldTest : public PartiesWorldTest {
 protected:
  PartiesWorld& StartInLobby() {
    PartiesWorld& w = Fresh();
    w.host_.SeedResource(
        "/jyx-chat/v1/friends",
        R"([{"summonerId":77,"jyx":{"pty":"{\"partyId\":\"pty-a\",\"queueId\":420}"}},)"
        R"({"summonerId":78,"jyx":{"pty":"{\"partyId\":\"pty-a\"}"}},)"
        R"({"summonerId":79,"jyx":{"pty":"oops"}},{"summonerId":80,"jyx":{}}])");
    w.host_.SeedResource(
        "/jyx-chat/v1/friend-counts",
        R"({"numFriends":4,"numFriendsOnline":3,"numFriendsAvailable":2,"numFriendsAway":1,)"
        R"("numFriendsInQueue":5,"numFriendsInChampSelect":6,"numFriendsInGame":7,)"
        R"("numFriendsMobile":8})");
    w.host_.SeedResource("/jyx-platform-config/v1/namespaces/Parties/OpenPartyEnable", "true");
    w.host_.SeedResource(
        "/jyx-game-queues/v1/queues",
        R"([{"id":420,"isTeamBuilderManaged":true,"queueAvailability":"Available",)"
        R"("maximumParticipantListSize":5}])");
    w.AllowLobbies();
    w.Start();
    const Host::RouteAnswer created = w.Call("POST", "/jyx-lobby/v2/lobby", R"({"queueId":420})");
    EXPECT_FALSE(created.error.has_value()) << created.error.value_or("");
    EXPECT_EQ(w.State(), "PartyLobby");
    partyId = Lobby::PartiesBackendTesting::Player(w.Backend()).currentParty->partyId;
    return w;
  }

  // What every record copies from the party: `eventType`, and the party's fields as stored.
  Map Common(PartiesWorld& w, const std::string& eventType) const {
    const Api::PartyDto& party = *Lobby::PartiesBackendTesting::Player(w.Backend()).currentParty;
    return {
        {"platformId", "\"KV1\""},
        {"eventType", Quoted(eventType)},
        {"eventData", R"({"partyId":")" + party.partyId + R"(","partyType":")" + party.partyType +
                          R"(","queueId":)" + std::to_string(party.gameMode.queueId) + "}"},
        {"eventTimestamp", std::to_string(party.activityStartedUtcMillis)}};
  }
  static Map With(Map map, const Map& more) {
    for (const auto& [key, value] : more) map[key] = value;
    return map;
  }
  // The toggle session's record with `end` and the session's own fields.
  Map Toggle(PartiesWorld& w, const std::string& eventType, const std::string& initial,
             const std::string& final, int toggles, std::uint64_t start, std::uint64_t end,
             std::uint64_t elapsed, const std::string& transition) const {
    return With(Common(w, eventType), {{"partyId", Quoted(partyId)},
                                       {"playerId", kLocalPuuid},
                                       {"initialState", Quoted(initial)},
                                       {"finalState", Quoted(final)},
                                       {"numOfToggles", std::to_string(toggles)},
                                       {"startTimestamp", std::to_string(start)},
                                       {"endTimestamp", std::to_string(end)},
                                       {"elapsedTime", std::to_string(elapsed)},
                                       {"endTransition", Quoted(transition)},
                                       {"gameMode", "\"\""}});
  }
  static std::uint64_t Wall(PartiesWorld& w) {
    return static_cast<std::uint64_t>(PartiesWorld::ReadWall(&w) / 1'000'000);
  }

  std::string partyId;
};

TEST_F(PartiesAnalyticsWorldTest, EnteringMatchmakingAsAMemberSendsTheThreeEventsAndNoToggle) {
  PartiesWorld& w = StartInLobby();
  SendPlayer(w, [](Api::PlayerDto& p) { SetRoles(p, Role::MEMBER, Role::LEADER); });
  std::size_t mark = TelemetryMark(w);
  // The stored state is the one the events describe: the change is told before it is stored.
  const Map common = Common(w, "jyx-enter-matchmaking");
  SendPlayer(w, [](Api::PlayerDto& p) {
    p.currentParty->activityLocked = true;
    p.currentParty->activityStartedUtcMillis = 1000;
  });
  const std::vector<Event> events = EventsSince(w, mark);
  ASSERT_EQ(Names(events), (Strings{"parties-premade-relationship", "parties-friend-availability",
                                    "parties-invitations"}));
  EXPECT_EQ(events[0].map, With(common, {{"puuid", kLocalPuuid},
                                         {"summonerId", "2046"},
                                         {"premadePlayers", R"(["puuid-stand-in","puuid-other"])"},
                                         {"friendPlayers", R"(["puuid-other"])"}}));
  EXPECT_EQ(events[1].map, With(common, {{"puuid", kLocalPuuid},
                                         {"summonerId", "2046"},
                                         {"numFriends", "4"},
                                         {"numFriendsOnline", "3"},
                                         {"numFriendsAvailable", "2"},
                                         {"numFriendsAway", "1"},
                                         {"numFriendsInGame", "7"},
                                         {"numFriendsMobile", "8"}}));
  EXPECT_EQ(events[2].map,
            With(common, {{"partyId", Quoted(partyId)},
                          {"players", R"([{"puuid":"puuid-stand-in","role":"MEMBER",)"
                                      R"("summonerId":2046},{"puuid":"puuid-other",)"
                                      R"("role":"LEADER","summonerId":77}])"}}));

  mark = TelemetryMark(w);
  const Host::RouteAnswer cancelled = w.Call("DELETE", "/jyx-lobby/v2/lobby/matchmaking/search");
  EXPECT_FALSE(cancelled.error.has_value()) << cancelled.error.value_or("");
  const std::vector<Event> quit = EventsSince(w, mark);
  ASSERT_EQ(Names(quit), Strings{"parties-premade-relationship"});
  EXPECT_EQ(quit[0].map.at("eventType"), "\"jyx-quit-matchmaking\"");
}

TEST_F(PartiesAnalyticsWorldTest, AToggleSessionCountsTypeChangesAndEndsWhenThePlayerLeaves) {
  PartiesWorld& w = StartInLobby();
  const LobbyAnalytics& analytics = w.Plugin().GetAnalytics();
  EXPECT_EQ(LobbyAnalyticsTesting::ToggleStartTransition(analytics), "create-party");
  EXPECT_EQ(LobbyAnalyticsTesting::ToggleSession(analytics).numOfToggles, 0);
  EXPECT_EQ(LobbyAnalyticsTesting::ToggleSession(analytics).initialState, "closed");
  const std::uint64_t start = LobbyAnalyticsTesting::ToggleSession(analytics).startTimestamp;
  EXPECT_EQ(start, Wall(w));

  EXPECT_FALSE(w.Call("PUT", "/jyx-lobby/v2/lobby/partyType", "\"open\"").error.has_value());
  w.Script("PUT", "v1/parties/*/partytype", 500, "BOOM");
  EXPECT_TRUE(w.Call("PUT", "/jyx-lobby/v2/lobby/partyType", "\"closed\"").error.has_value());
  EXPECT_EQ(LobbyAnalyticsTesting::ToggleSession(analytics).numOfToggles, 2)
      << "the failed one counts too";

  w.host_.Advance(5.0);
  const std::size_t mark = TelemetryMark(w);
  const Map expected = Toggle(w, "parties-open-party-toggle", "closed", "open", 2, start,
                              start + 5000, 5000, "lobby-deleted");
  EXPECT_FALSE(w.Call("DELETE", "/jyx-lobby/v2/lobby").error.has_value());
  const std::vector<Event> events = EventsSince(w, mark);
  ASSERT_EQ(Names(events), Strings{"parties-open-party-toggle"});
  EXPECT_EQ(events[0].map, expected);
}

TEST_F(PartiesAnalyticsWorldTest, LeadershipStartsAndEndsSessionsAndALeaderEntersMatchmaking) {
  PartiesWorld& w = StartInLobby();
  const LobbyAnalytics& analytics = w.Plugin().GetAnalytics();
  const std::uint64_t created = LobbyAnalyticsTesting::ToggleSession(analytics).startTimestamp;

  w.host_.Advance(2.0);
  std::size_t mark = TelemetryMark(w);
  Map demoted = Toggle(w, "jyx-toggle-open-party", "closed", "closed", 0, created, created + 2000,
                       2000, "demoted-from-leader");
  SendPlayer(w, [](Api::PlayerDto& p) { SetRoles(p, Role::MEMBER, Role::LEADER); });
  std::vector<Event> events = EventsSince(w, mark);
  ASSERT_EQ(Names(events), Strings{"parties-open-party-toggle"});
  EXPECT_EQ(events[0].map, demoted);

  w.host_.Advance(1.0);
  SendPlayer(w, [](Api::PlayerDto& p) { SetRoles(p, Role::LEADER, Role::MEMBER); });
  EXPECT_EQ(LobbyAnalyticsTesting::ToggleStartTransition(analytics), "became-leader");
  const std::uint64_t promoted = LobbyAnalyticsTesting::ToggleSession(analytics).startTimestamp;
  EXPECT_EQ(promoted, created + 3000);

  // The wall clock set back before the end: nothing elapsed.
  w.wallSkew_ -= 60'000'000'000;
  mark = TelemetryMark(w);
  const Map entered = Toggle(w, "jyx-toggle-open-party", "closed", "closed", 0, promoted,
                             promoted - 60'000, 0, "entered-matchmaking");
  SendPlayer(w, [](Api::PlayerDto& p) { p.currentParty->activityLocked = true; });
  events = EventsSince(w, mark);
  ASSERT_EQ(Names(events), (Strings{"parties-premade-relationship", "parties-friend-availability",
                                    "parties-invitations", "parties-open-party-toggle"}));
  EXPECT_EQ(events[3].map, entered);

  mark = TelemetryMark(w);
  SendPlayer(w, [](Api::PlayerDto& p) { p.currentParty->activityLocked = false; });
  EXPECT_EQ(EventsSince(w, mark).size(), 0u);
  EXPECT_EQ(LobbyAnalyticsTesting::ToggleStartTransition(analytics), "left-activity-locked");
}

// An invitation that names no summoner the lookup knows (by name alone, or an unknown id) is sent
// to nobody, answers Error, is logged and told to no analytics; with none left, the route fails.
TEST_F(PartiesAnalyticsWorldTest, InvitingFromThePartyLobbySendsOneEventPerSummonerReached) {
  PartiesWorld& w = StartInLobby();
  Host::PartiesPlayer other;
  other.puuid = kOther;
  other.platformId = "KV1";
  other.summonerId = kOtherId;
  ASSERT_TRUE(w.parties_.AddPlayer(other));
  w.host_.SeedResource("/jyx-summoner/v2/summoners",
                       R"([{"summonerId":77,"puuid":"puuid-other","displayName":"Other"}])");
  const Map expected = With(Common(w, "parties-invitation"), {{"partyId", Quoted(partyId)},
                                                              {"fromSummonerId", "2046"},
                                                              {"toSummonerId", "77"},
                                                              {"partyType", "\"closed\""},
                                                              {"gameMode", "\"420\""}});
  struct Case {
    const char* body;
    std::uint32_t status;  // 0: answered with the list
    const char* answer;    // the states answered, or the error
    Strings logged;        // the refusals named
  };
  const std::vector<Case> cases = {
      {R"([{"toSummonerId":77}])", 0, "Pending", {}},
      {R"([{"toSummonerName":"Bob"}])",
       404,
       "SUMMONER_NOT_FOUND",
       {R"(2|Parties send invitation(s) failure: SUMMONER_NOT_FOUND ("Bob", no summoner id))"}},
      {R"([{"toSummonerId":4242}])",
       404,
       "SUMMONER_NOT_FOUND",
       {"2|Parties send invitation(s) failure: SUMMONER_NOT_FOUND (summoner 4242)"}},
      {R"([{"toSummonerId":4242},{"toSummonerId":77},{"toSummonerName":"Bob"}])",
       0,
       "Error Pending Error",
       {"2|Parties send invitation(s) failure: SUMMONER_NOT_FOUND (summoner 4242)",
        R"(2|Parties send invitation(s) failure: SUMMONER_NOT_FOUND ("Bob", no summoner id))"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    const std::size_t mark = TelemetryMark(w);
    const std::size_t logs = w.LogMark();
    const Host::RouteAnswer sent = w.Call("POST", "/jyx-lobby/v2/lobby/invitations", c.body);
    EXPECT_EQ(sent.status, c.status);
    EXPECT_EQ(w.Logged("failure: SUMMONER_NOT_FOUND", logs), c.logged);
    const std::vector<Event> events = EventsSince(w, mark);
    if (c.status != 0) {
      EXPECT_EQ(sent.error.value_or(""), c.answer);
      EXPECT_EQ(
          w.Logged("Unable to send invitations", logs),
          Strings{std::string("2|Unable to send invitations to the current lobby: ") + c.answer});
      EXPECT_TRUE(events.empty());
      continue;
    }
    ASSERT_FALSE(sent.error.has_value()) << *sent.error;
    BindingResult answered = ParseJson(sent.body);
    ASSERT_TRUE(answered.IsOk());
    std::string states;
    for (std::size_t i = 0; i < answered.Value().Size(); ++i) {
      states +=
          (i == 0 ? "" : " ") + std::string(answered.Value().At(i).FindMember("state").GetString());
    }
    EXPECT_EQ(states, c.answer);
    ASSERT_EQ(Names(events), Strings{"parties-invitation"});
    EXPECT_EQ(events[0].map, expected);
  }
}

TEST_F(PartiesAnalyticsWorldTest, JoiningAnOpenPartyCountsFriendsPartiesInvitesAndMembers) {
  PartiesWorld& w = StartInLobby();
  Host::PartiesPlayer other;
  other.puuid = kOther;
  other.platformId = "KV1";
  other.summonerId = kOtherId;
  ASSERT_TRUE(w.parties_.AddPlayer(other));
  const std::string openParty = w.parties_.FindPlayer(kOther)->currentPartyId;
  ASSERT_EQ(w.parties_.Act(kOther, "PUT", "v1/parties/" + openParty + "/partytype", "\"open\"")
                .httpStatus,
            200);
  ASSERT_EQ(w.parties_
                .Act(kOther, "PUT", "v1/parties/" + openParty + "/gamemode",
                     R"({"queueId":420,"maxPartySize":5,"gameType":""})")
                .httpStatus,
            200);
  const std::size_t logs = w.LogMark();
  const std::size_t mark = TelemetryMark(w);
  const Host::RouteAnswer joined = w.Call("POST", "/jyx-lobby/v2/party/" + openParty + "/join");
  EXPECT_FALSE(joined.error.has_value()) << joined.error.value_or("");
  const std::vector<Event> events = EventsSince(w, mark);
  const auto join = std::find_if(events.begin(), events.end(), [](const Event& event) {
    return event.name == "parties-open-party-join";
  });
  ASSERT_NE(join, events.end()) << ::testing::PrintToString(Names(events));
  EXPECT_EQ(join->map, With(Common(w, "jyx-join-open-party"), {{"partyId", Quoted(openParty)},
                                                               {"numOpenParties", "1"},
                                                               {"numPartyInvites", "0"},
                                                               {"numOtherInvites", "0"},
                                                               {"numTotalInvites", "0"},
                                                               {"numFriendsOnline", "3"},
                                                               {"partySize", "2"},
                                                               {"gameMode", "\"420\""}}));
  EXPECT_EQ(w.Logged("Failed to deserialize party presence", logs),
            Strings{"2|Failed to deserialize party presence: oops"});
}

TEST_F(PartiesAnalyticsWorldTest, AnUnregisteredPlayerHasNoFieldsAndNoToggleEvent) {
  PartiesWorld& w = Fresh();
  w.Script("PUT", kPlayerPath, 500, "BOOM", -1);
  w.Start();
  ASSERT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
  EXPECT_THAT(w.Backend().MakePartyAnalyticsFields("jyx-toggle-open-party"),
              FailsWith(500, "INVALID_PARTY"));
  const std::size_t logs = w.LogMark();
  const std::size_t mark = TelemetryMark(w);
  w.Backend().SendOpenPartyToggleEvent("entered-matchmaking");
  EXPECT_EQ(EventsSince(w, mark).size(), 0u);
  EXPECT_EQ(w.Logged("Not sending parties analytics", logs),
            Strings{"1|Not sending parties analytics, invalid party state"});
}

}  // namespace
}  // namespace Zarn::Client::Lobby
