// The parties telemetry in-process on the stand-in host's table with fake backends: every event
// as the host's sink receives it, compared whole; each missing input's line; the toggle session.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lobby/core/LobbyAnalytics.h"
#include "sdk/binding/JsonText.h"
#include "tests/lobby/core/GameflowAnswers.h"
#include "tests/lobby/core/LobbyAnalyticsTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"
#include "tests/sdk/platform/WallClockTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using Testing::LobbyRig;
using Map = std::map<std::string, std::string>;

constexpr char kEventData[] = R"({"partyId":"p1","partyType":"open","queueId":420})";

Api::PartyMemberDto PartyMember(const std::string& puuid, std::uint64_t summonerId,
                                Api::PartyMemberRoleEnum role, const std::string& partyId = "p1") {
  Api::PartyMemberDto member;
  member.puuid = puuid;
  member.summonerId = summonerId;
  member.role = role;
  member.partyId = partyId;
  return member;
}

Api::ChatFriend Friend(std::uint64_t summonerId, const std::string& presence = "") {
  Api::ChatFriend chatFriend;
  chatFriend.summonerId = summonerId;
  if (!presence.empty()) chatFriend.jyx["pty"] = presence;
  return chatFriend;
}

AnalyticsEventFields Fields(const std::string& eventType) {
  AnalyticsEventFields fields;
  fields.eventType = eventType;
  fields.eventData = ParseJson(kEventData).Value();
  fields.eventTimestamp = 1000;
  return fields;
}

// A party lobby of party "p1" ("open", queue 420, started at 1000) led by the player 11 ("pu-11")
// with member 22 and invitee 44, on platform "KV1", with two friends, their counts, two party
// invitations and one legacy invitation; the wall clock under the test's control.
class AnalyticsTest : public ::testing::Test {
 public:
  void SetUp() override { Populate(); }
  // A fresh plugin in the same world; one rig lives at a time.
  void Renew() {
    rig_.reset();
    rig_ = std::make_unique<LobbyRig>();
    Populate();
  }
  void Populate() {
    LobbyPlugin& plugin = *rig().plugin;
    LobbyPluginTesting::PlatformId(plugin).Update(PluginResourceEventType::Create, "KV1");
    Api::Summoner summoner;
    summoner.summonerId = 11;
    summoner.puuid = "pu-11";
    LobbyPluginTesting::CurrentSummoner(plugin).Update(PluginResourceEventType::Create, summoner);
    LobbyAnalyticsTesting::Friends(Analytics())
        .Update(PluginResourceEventType::Create,
                {Friend(22, R"({"partyId":"p9","queueId":420,"summoners":[22]})"), Friend(33)});
    Api::ChatFriendCounts counts;
    counts.numFriends = 10;
    counts.numFriendsOnline = 6;
    counts.numFriendsAvailable = 3;
    counts.numFriendsAway = 1;
    counts.numFriendsInQueue = 7;
    counts.numFriendsInChampSelect = 8;
    counts.numFriendsInGame = 2;
    counts.numFriendsMobile = 4;
    LobbyAnalyticsTesting::FriendCounts(Analytics())
        .Update(PluginResourceEventType::Create, counts);

    Api::PlayerDto& player = Lobby::PartiesBackendTesting::Player(*rig().factory->parties);
    player.puuid = "pu-11";
    player.summonerId = 11;
    player.createdAt = 1;
    Api::PartyDto party;
    party.partyId = "p1";
    party.partyType = "open";
    party.gameMode.queueId = 420;
    party.activityStartedUtcMillis = 1000;
    party.players = {PartyMember("pu-11", 11, Api::PartyMemberRoleEnum::LEADER),
                     PartyMember("pu-22", 22, Api::PartyMemberRoleEnum::MEMBER),
                     PartyMember("pu-44", 44, Api::PartyMemberRoleEnum::INVITED)};
    player.currentParty = party;
    player.parties = std::vector<Api::PartyMemberDto>{
        PartyMember("pu-11", 11, Api::PartyMemberRoleEnum::LEADER),
        PartyMember("pu-11", 11, Api::PartyMemberRoleEnum::INVITED, "p2"),
        PartyMember("pu-11", 11, Api::PartyMemberRoleEnum::HOLD, "p3"),
        PartyMember("pu-11", 11, Api::PartyMemberRoleEnum::DECLINED, "p4")};
    rig().factory->parties->openParties = 1;
    LobbyPluginTesting::ReceivedInvitations(plugin).emplace_back();

    Api::LobbyDto view;
    for (const auto& [puuid, id] : std::vector<std::pair<std::string, std::uint64_t>>{
             {"pu-11", 11}, {"pu-22", 22}, {"pu-55", 55}}) {
      Api::LobbyParticipantDto member;
      member.puuid = puuid;
      member.summonerId = id;
      view.members.push_back(member);
    }
    rig().factory->parties->getLobbyResult = view;
    Host::Testing::AnswerLobbyRequests(rig().host);
    ASSERT_TRUE(plugin.SetPartyLobbyActive(true));
    ASSERT_EQ(plugin.ActiveBackend(), plugin.GetPartiesBackend());
  }

  LobbyAnalytics& Analytics() { return rig().plugin->GetAnalytics(); }

  struct Sent {
    std::string name;
    std::string json;  // the map as the sink received it
    Map map;
  };
  // The telemetry events from `from` on, each map read back; a map that is no structure of texts
  // fails the test.
  [[nodiscard]] std::vector<Sent> SentSince(std::size_t from) const {
    std::vector<Sent> sent;
    const std::vector<Host::TelemetryEvent>& events = rig().host.Records().telemetry;
    for (std::size_t i = from; i < events.size(); ++i) {
      EXPECT_EQ(events[i].arguments.size(), 1u) << events[i].name;
      if (events[i].arguments.size() != 1) continue;
      Sent entry{events[i].name, events[i].arguments[0], {}};
      BindingResult parsed = ParseJson(entry.json);
      EXPECT_TRUE(parsed.IsOk() && parsed.Value().IsStructure()) << entry.json;
      for (auto member = parsed.Value().MembersBegin(); member != parsed.Value().MembersEnd();
           ++member) {
        EXPECT_EQ(member.Value().Kind(), BindingPropertyKind::String) << member.Name().Text();
        entry.map[member.Name().Text()] = std::string(member.Value().GetString());
      }
      sent.push_back(std::move(entry));
    }
    return sent;
  }
  [[nodiscard]] std::size_t TelemetryMark() const { return rig().host.Records().telemetry.size(); }
  // The log lines at `level` from the journal mark `from` on.
  [[nodiscard]] std::vector<std::string> Lines(std::uint32_t level, std::size_t logsFrom) const {
    std::vector<std::string> lines;
    const std::vector<Host::LogLine>& logs = rig().host.Records().logs;
    for (std::size_t i = logsFrom; i < logs.size(); ++i) {
      if (logs[i].level == level) lines.push_back(logs[i].message);
    }
    return lines;
  }
  [[nodiscard]] std::size_t LogMark() const { return rig().host.Records().logs.size(); }

  static std::int64_t ReadWall(void* context) {
    return *static_cast<std::int64_t*>(context) * 1'000'000;
  }

  LobbyRig& rig() const { return *rig_; }

  std::int64_t wallMillis = 5000;
  Platform::ScopedWallClockSource wall{&ReadWall, &wallMillis};
  std::unique_ptr<LobbyRig> rig_ = std::make_unique<LobbyRig>();
};

// The fields every record copies, as the sink receives them.
Map Common(const std::string& eventType) {
  return {{"platformId", "\"KV1\""},
          {"eventType", "\"" + eventType + "\""},
          {"eventData", kEventData},
          {"eventTimestamp", "1000"}};
}

Map With(Map map, const Map& more) {
  for (const auto& [key, value] : more) map[key] = value;
  return map;
}

TEST_F(AnalyticsTest, EverySenderPostsItsRecordsKeysAsCompactJsonTexts) {
  const AnalyticsEventFields fields = Fields("jyx-enter-matchmaking");
  const Map common = Common("jyx-enter-matchmaking");
  struct Row {
    const char* name;
    std::function<void()> send;
    Map expected;
  };
  const std::vector<Row> rows = {
      {"parties-friend-availability", [&] { Analytics().SendFriendAvailabilityAnalytics(fields); },
       With(common, {{"puuid", "\"pu-11\""},
                     {"summonerId", "11"},
                     {"numFriends", "10"},
                     {"numFriendsOnline", "6"},
                     {"numFriendsAvailable", "3"},
                     {"numFriendsAway", "1"},
                     {"numFriendsInGame", "2"},
                     {"numFriendsMobile", "4"}})},
      {"parties-premade-relationship",
       [&] { Analytics().SendPremadeRelationshipAnalytics(fields); },
       With(common, {{"puuid", "\"pu-11\""},
                     {"summonerId", "11"},
                     {"premadePlayers", R"(["pu-11","pu-22","pu-55"])"},
                     {"friendPlayers", R"(["pu-22"])"}})},
      {"parties-invitations", [&] { Analytics().SendPartiesInvitationsAnalytics(fields); },
       With(common, {{"partyId", "\"p1\""},
                     {"players", R"([{"puuid":"pu-11","role":"LEADER","summonerId":11},)"
                                 R"({"puuid":"pu-22","role":"MEMBER","summonerId":22},)"
                                 R"({"puuid":"pu-44","role":"INVITED","summonerId":44}])"}})},
      {"parties-invitation", [&] { Analytics().SendInviteAnalytics(33, fields); },
       With(common, {{"partyId", "\"p1\""},
                     {"fromSummonerId", "11"},
                     {"toSummonerId", "33"},
                     {"partyType", "\"open\""},
                     {"gameMode", "\"420\""}})},
      {"parties-open-party-join", [&] { Analytics().SendJoinOpenPartyAnalytics(fields); },
       With(common, {{"partyId", "\"p1\""},
                     {"numOpenParties", "1"},
                     {"numPartyInvites", "2"},
                     {"numOtherInvites", "1"},
                     {"numTotalInvites", "3"},
                     {"numFriendsOnline", "6"},
                     {"partySize", "2"},
                     {"gameMode", "\"420\""}})},
      {"parties-open-party-toggle",
       [&] {
         Analytics().StartOpenPartyAnalytics("became-leader");
         wallMillis = 7500;
         Analytics().SendOpenPartyToggleAnalytics("entered-matchmaking", fields);
       },
       With(common, {{"partyId", "\"p1\""},
                     {"playerId", "\"pu-11\""},
                     {"initialState", "\"open\""},
                     {"finalState", "\"open\""},
                     {"numOfToggles", "0"},
                     {"startTimestamp", "5000"},
                     {"endTimestamp", "7500"},
                     {"elapsedTime", "2500"},
                     {"endTransition", "\"entered-matchmaking\""},
                     {"gameMode", "\"\""}})},
  };
  const std::vector<std::size_t> keyCounts = {12, 8, 6, 9, 12, 14};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].name);
    const std::size_t mark = TelemetryMark();
    const std::size_t logs = LogMark();
    rows[i].send();
    const std::vector<Sent> sent = SentSince(mark);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].name, rows[i].name);
    EXPECT_EQ(sent[0].map, rows[i].expected);
    EXPECT_EQ(sent[0].map.size(), keyCounts[i]);
    EXPECT_EQ(Lines(1, logs), std::vector<std::string>{});
  }
}

TEST_F(AnalyticsTest, AnInvitationFromAPartyLobbyIsOneEventPerSummonerAsTheSinkReceivesIt) {
  const std::size_t mark = TelemetryMark();
  Analytics().SendInviteAnalytics(22, Fields("parties-invitation"));
  Analytics().SendInviteAnalytics(33, Fields("parties-invitation"));
  const std::vector<Sent> sent = SentSince(mark);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].name, "parties-invitation");
  EXPECT_EQ(sent[0].json,
            R"({"eventData":"{\"partyId\":\"p1\",\"partyType\":\"open\",\"queueId\":420}",)"
            R"("eventTimestamp":"1000","eventType":"\"parties-invitation\"",)"
            R"("fromSummonerId":"11","gameMode":"\"420\"","partyId":"\"p1\"",)"
            R"("partyType":"\"open\"","platformId":"\"KV1\"","toSummonerId":"22"})");
  EXPECT_EQ(sent[1].map.at("toSummonerId"), "33");
}

TEST_F(AnalyticsTest, AnEmptyMemberIsSentAsAnEmptyTextWithALine) {
  BindingProperty value;
  value.MakeStructure();
  value.Member("b").SetInt64(1);
  value.Member("a");
  value.Member("c").SetString("");
  const std::size_t mark = TelemetryMark();
  const std::size_t logs = LogMark();
  Analytics().SendEvent("custom-event", value);
  const std::vector<Sent> sent = SentSince(mark);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].name, "custom-event");
  EXPECT_EQ(sent[0].map, (Map{{"a", ""}, {"b", "1"}, {"c", "\"\""}}));
  EXPECT_EQ(Lines(1, logs),
            std::vector<std::string>{"LobbyAnalytics::SendEvent: key/val (a) is empty"});
}

TEST_F(AnalyticsTest, EachMissingInputLogsItsLineAndSendsNothing) {
  struct Row {
    const char* label;
    std::function<void(AnalyticsTest&)> remove;
    std::function<void(LobbyAnalytics&)> send;
    std::string line;
  };
  const AnalyticsEventFields fields = Fields("jyx-enter-matchmaking");
  const auto outOfLobby = [](AnalyticsTest& t) {
    ASSERT_FALSE(t.rig().plugin->SetPartyLobbyActive(false));
  };
  const auto noCounts = [](AnalyticsTest& t) {
    LobbyAnalyticsTesting::FriendCounts(t.Analytics()).Update(PluginResourceEventType::Delete, {});
  };
  const auto noFriends = [](AnalyticsTest& t) {
    LobbyAnalyticsTesting::Friends(t.Analytics()).Update(PluginResourceEventType::Delete, {});
  };
  const auto noPlatform = [](AnalyticsTest& t) {
    LobbyPluginTesting::PlatformId(*t.rig().plugin).Update(PluginResourceEventType::Delete, "");
  };
  const auto noSummoner = [](AnalyticsTest& t) {
    LobbyPluginTesting::CurrentSummoner(*t.rig().plugin)
        .Update(PluginResourceEventType::Delete, {});
  };
  const auto noParty = [](AnalyticsTest& t) {
    Lobby::PartiesBackendTesting::Player(*t.rig().factory->parties).currentParty.reset();
  };
  const auto lobbyFails = [](AnalyticsTest& t) {
    t.rig().factory->parties->getLobbyResult = Failure(400, "NO_QUEUE_SELECTED");
  };
  const auto friendsSend = [&](LobbyAnalytics& a) { a.SendFriendAvailabilityAnalytics(fields); };
  const auto premadeSend = [&](LobbyAnalytics& a) { a.SendPremadeRelationshipAnalytics(fields); };
  const auto invitationsSend = [&](LobbyAnalytics& a) {
    a.SendPartiesInvitationsAnalytics(fields);
  };
  const auto inviteSend = [&](LobbyAnalytics& a) { a.SendInviteAnalytics(33, fields); };
  const auto joinSend = [&](LobbyAnalytics& a) { a.SendJoinOpenPartyAnalytics(fields); };
  const auto toggleSend = [&](LobbyAnalytics& a) {
    a.SendOpenPartyToggleAnalytics("lobby-deleted", fields);
  };
  const std::string fa = "LobbyAnalytics::SendFriendAvailabilityAnalytics: can't send";
  const std::string pr = "LobbyAnalytics::SendPremadeRelationshipAnalytics: can't send";
  const std::vector<Row> rows = {
      {"availability, no lobby", outOfLobby, friendsSend, fa + ", LobbyController does not exist"},
      {"availability, no counts", noCounts, friendsSend, fa + ", friend counts data missing"},
      {"availability, no platform", noPlatform, friendsSend, pr + ", platform data missing"},
      {"availability, no summoner", noSummoner, friendsSend, fa + ", summoner data missing"},
      {"premade, no lobby", outOfLobby, premadeSend, pr + ", LobbyController does not exist"},
      {"premade, no friends", noFriends, premadeSend, pr + ", friends data missing"},
      {"premade, no platform", noPlatform, premadeSend, pr + ", platform data missing"},
      {"premade, lobby fails", lobbyFails, premadeSend, fa + ": NO_QUEUE_SELECTED"},
      {"invitations, no platform", noPlatform, invitationsSend, pr + ", platform data missing"},
      {"invitations, no party", noParty, invitationsSend, pr + ", party data missing"},
      {"invite, no platform", noPlatform, inviteSend,
       "LobbyAnalytics::SendInviteAnalytics: can't send, platform data missing"},
      {"invite, no party", noParty, inviteSend,
       "LobbyAnalytics::SendInviteAnalytics: can't send, party data missing"},
      {"join, no friends", noFriends, joinSend,
       "LobbyAnalytics::SendJoinOpenPartyAnalytics: can't send, friends data missing"},
      {"join, no platform", noPlatform, joinSend,
       "LobbyAnalytics::SendJoinOpenPartyAnalytics: can't send, platform data missing"},
      {"join, no party", noParty, joinSend,
       "LobbyAnalytics::SendJoinOpenPartyAnalytics: can't send, party data missing"},
      {"toggle, no platform", noPlatform, toggleSend,
       "LobbyAnalytics::SendOpenPartyToggleAnalytics: can't send, platform data missing"},
      {"toggle, no party", noParty, toggleSend,
       "LobbyAnalytics::SendOpenPartyToggleAnalytics: can't send, party data missing"},
      {"toggle start, no party", noParty,
       [](LobbyAnalytics& a) { a.StartOpenPartyAnalytics("create-party"); },
       "LobbyAnalytics::StartOpenPartyAnalytics: can't initialize, no current party"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    // A fresh plugin per row; the toggle rows have a session under way.
    Renew();
    Analytics().StartOpenPartyAnalytics("create-party");
    row.remove(*this);
    const std::size_t mark = TelemetryMark();
    const std::size_t logs = LogMark();
    row.send(Analytics());
    EXPECT_EQ(SentSince(mark).size(), 0u);
    EXPECT_EQ(Lines(1, logs), std::vector<std::string>{row.line});
  }
}

TEST_F(AnalyticsTest, AToggleEndWithoutASessionSendsNothingAndLogsNothing) {
  const std::size_t mark = TelemetryMark();
  const std::size_t logs = LogMark();
  Analytics().SendOpenPartyToggleAnalytics("entered-matchmaking", Fields("jyx-toggle-open-party"));
  EXPECT_EQ(SentSince(mark).size(), 0u);
  EXPECT_EQ(LogMark(), logs);
}

TEST_F(AnalyticsTest, ASessionSendsEachEndFromItsStartAndNeverAClockSetBack) {
  Analytics().StartOpenPartyAnalytics("create-party");
  EXPECT_EQ(LobbyAnalyticsTesting::ToggleSession(Analytics()).numOfToggles, 0);
  EXPECT_EQ(LobbyAnalyticsTesting::ToggleStartTransition(Analytics()), "create-party");
  LobbyAnalyticsTesting::ToggleSession(Analytics()).numOfToggles += 2;
  Lobby::PartiesBackendTesting::Player(*rig().factory->parties).currentParty->partyType = "closed";
  const AnalyticsEventFields fields = Fields("jyx-toggle-open-party");
  const std::size_t mark = TelemetryMark();
  struct End {
    std::int64_t wall;
    const char* transition;
    const char* elapsed;
  };
  const std::vector<End> ends = {{6000, "demoted-from-leader", "1000"},
                                 {9500, "lobby-deleted", "4500"},
                                 {4000, "lobby-deleted", "0"}};
  for (const End& end : ends) {
    wallMillis = end.wall;
    Analytics().SendOpenPartyToggleAnalytics(end.transition, fields);
  }
  const std::vector<Sent> sent = SentSince(mark);
  ASSERT_EQ(sent.size(), ends.size());
  for (std::size_t i = 0; i < ends.size(); ++i) {
    SCOPED_TRACE(ends[i].wall);
    EXPECT_EQ(sent[i].name, "parties-open-party-toggle");
    EXPECT_EQ(sent[i].map, With(Common("jyx-toggle-open-party"),
                                {{"partyId", "\"p1\""},
                                 {"playerId", "\"pu-11\""},
                                 {"initialState", "\"open\""},
                                 {"finalState", "\"closed\""},
                                 {"numOfToggles", "2"},
                                 {"startTimestamp", "5000"},
                                 {"endTimestamp", std::to_string(ends[i].wall)},
                                 {"elapsedTime", ends[i].elapsed},
                                 {"endTransition", std::string("\"") + ends[i].transition + "\""},
                                 {"gameMode", "\"\""}}));
  }
  // A new start begins a new count.
  Analytics().StartOpenPartyAnalytics("became-leader");
  EXPECT_EQ(LobbyAnalyticsTesting::ToggleSession(Analytics()).numOfToggles, 0);
  EXPECT_EQ(LobbyAnalyticsTesting::ToggleSession(Analytics()).initialState, "closed");
}

}  // namespace
}  // namespace Zarn::Client::Lobby
