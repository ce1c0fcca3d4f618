// Hostile input end to end, through the plugin library as the stand-in host loads it, in the world
// host/worlds/parties.json: ids that would leave their path segment, whether a caller of the
// lobby's routes, a pushed parties state, a pushed invitation or the login session gives them;
// a state pushed for another player; more pending legacy invitations than are kept; keys chosen to
// share a hash; a caller's line break in a logged text; more invitations in one call than are
// sent; a streamed reply that announces more than it holds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "host/CommandShell.h"
#include "host/HostValue.h"
#include "host/LegacyPlatform.h"
#include "host/PartiesService.h"
#include "host/PluginHost.h"
#include "host/WorldFile.h"
#include "tests/host/PartiesScenario.h"
#include "tests/sdk/base/Fnv1aTesting.h"

namespace Zarn::Host {
namespace {

using ::testing::Contains;
using ::testing::Each;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace PartiesScenarioTesting;

constexpr char kInvitationClass[] = "com.zarnworks.platform.gameinvite.contract.InvitationRequest";
constexpr char kReceivedV1[] = "/jyx-lobby/v1/received-invitations/";

// An id as given, the one segment it must travel as, and, for one that names nothing (only dots,
// a control byte), how a caller's is refused (a received invitation of it is dropped). No NUL: a
// route's argument holding one is refused before any handler runs, and every text the plugin's
// values hold, whatever brought it, ends at its first NUL (the segment encoder's own table has NUL
// rows).
struct Hostile {
  std::string id;
  std::string segment;
  const char* refusal = nullptr;
};

constexpr char kOnlyDots[] = "may not be only dots.";
constexpr char kControl[] = "may not hold a control character.";

const std::vector<Hostile>& HostileIds() {
  static const std::vector<Hostile> ids = {
      {"/", "%2F"},
      {"..", "%2E%2E", kOnlyDots},
      {".", "%2E", kOnlyDots},
      {"...", "...", kOnlyDots},
      {"\n[plugin error] x", "%0A%5Bplugin%20error%5D%20x", kControl},
      {"x\x7F", "x%7F", kControl},
      {"?", "%3F"},
      {"#", "%23"},
      {"%", "%25"},
      {" ", "%20"},
      {"\xC3\xA9", "%C3%A9"},
      {"x/../../../v2/lobby", "x%2F..%2F..%2F..%2Fv2%2Flobby"},
  };
  return ids;
}

rapidjson::Value Text(const std::string& text, rapidjson::Document::AllocatorType& allocator) {
  return rapidjson::Value(text.data(), static_cast<rapidjson::SizeType>(text.size()), allocator);
}

// What the plugin did since the last look: its parties requests ("METHOD url"), the legacy
// received invitations' events ("Kind uri") and its log lines.
struct Seen {
  int status = 0;
  std::string error;
  Texts sent;
  Texts events;
  Texts log;
};

Seen Look(Scenario& s) {
  Seen seen;
  for (const PartiesRecord& record : s.Parties().Records()) {
    seen.sent.push_back(record.method + " " + record.url);
  }
  for (const PublishedEvent& event : s.Host().Records().published) {
    rapidjson::Document json;
    std::string error;
    if (event.name != "OnJsonApiEvent" || !ParseHostJson(event.payload, &json, &error)) continue;
    const std::string uri(json["uri"].GetString(), json["uri"].GetStringLength());
    if (uri.starts_with(kReceivedV1)) {
      seen.events.push_back(std::string(json["eventType"].GetString()) + " " + uri);
    }
  }
  for (const LogLine& line : s.Host().Records().logs) seen.log.push_back(line.message);
  static_cast<void>(s.Take());
  return seen;
}

// The ids of the received invitations listed, in the list's order.
Texts ListedInvitationIds(Scenario& s) {
  const RouteAnswer listed = s.Host().CallRoute("GET", "/jyx-lobby/v2/received-invitations", "");
  rapidjson::Document list;
  std::string error;
  EXPECT_TRUE(ParseHostJson(listed.body, &list, &error)) << error;
  Texts ids;
  if (!list.IsArray()) return ids;
  for (const rapidjson::Value& invitation : list.GetArray()) {
    ids.push_back(invitation["invitationId"].GetString());
  }
  return ids;
}

// Whether a line of `log` begins with `drop`.
bool ContainsDrop(const Texts& log, const std::string& drop) {
  return std::any_of(log.begin(), log.end(),
                     [&drop](const std::string& line) { return line.starts_with(drop); });
}

Seen Route(Scenario& s, const std::string& method, const std::string& path,
           const std::string& body = "") {
  const RouteAnswer answer = s.Host().CallRoute(method, path, body);
  s.Host().RunDue();
  Seen seen = Look(s);
  seen.status = answer.status;
  seen.error = answer.error.value_or("");
  return seen;
}

// Pushes a legacy invitation message of `state` for the invitation `id`.
void PushInvitation(Scenario& s, const std::string& id, const char* state) {
  rapidjson::Document json;
  std::string error;
  ASSERT_TRUE(ParseHostJson(
      R"({"owner":{"summonerId":77},"inviter":{"summonerId":77},"invitationState":"ACTIVE",)"
      R"("gameMetaData":"{\"queueId\":430,\"gameType\":\"VARNEL_GAME\"}"})",
      &json, &error));
  json.AddMember("invitationId", Text(id, json.GetAllocator()), json.GetAllocator());
  json["invitationState"].SetString(state, json.GetAllocator());
  ASSERT_TRUE(s.Legacy().Push(kInvitationClass, JsonText(json)));
  s.Host().RunDue();
}

// Pushes `player` as the service's notification, its version and its party's raised past the
// stored ones. (A notification's payload is JSON text that the plugin reads itself: a NUL in it
// reaches the plugin, where the host's values, texts that end at a NUL, could not carry one.)
void PushPlayer(Scenario& s, rapidjson::Document& player) {
  player["version"].SetUint64(player["version"].GetUint64() + 100);
  if (player["currentParty"].IsObject()) {
    rapidjson::Value& party = player["currentParty"];
    party["version"].SetUint64(party["version"].GetUint64() + 100);
  }
  ASSERT_TRUE(s.Parties().PushPlayer(JsonText(player)));
  s.Host().RunDue();
}

rapidjson::Document PlayerOf(Scenario& s, const std::string& puuid) {
  rapidjson::Document json;
  std::string error;
  EXPECT_TRUE(ParseHostJson(s.Parties().PlayerJson(puuid), &json, &error)) << error;
  return json;
}

// The hostile id arrives as a legacy invitation's, is declined by a caller, revoked; then as the
// id of the player's party and of a member's puuid in a pushed state, with an invitation into a
// party of that id; each route that builds a parties path from one of them is called, and from
// the caller's id for the routes that take one. An id that names nothing is a dropped invitation
// and a caller's refused argument, with nothing sent or published.
TEST(UnsafeInputEndToEndTest, AnIdStaysOnePathSegmentWhereverItComesFrom) {
  for (const Hostile& hostile : HostileIds()) {
    const std::string& id = hostile.id;
    const std::string& seg = hostile.segment;
    SCOPED_TRACE(testing::PrintToString(id));
    Scenario s(PartiesPush::Message, "", /*withLegacy=*/true);
    s.Legacy().Script("lcdsGameInvitationService", "decline", LcdsAnswer{});
    const bool dropped = hostile.refusal != nullptr;
    const auto refusal = [&hostile](const char* argument) {
      return "Argument '" + std::string(argument) + "' " + hostile.refusal;
    };

    const std::string received = kReceivedV1 + seg;
    PushInvitation(s, id, "ACTIVE");
    const Seen pushed = Look(s);
    EXPECT_THAT(pushed.events, dropped ? Texts{} : Texts{"Create " + received});
    EXPECT_EQ(ContainsDrop(pushed.log, "Dropping received invitation \"" + seg + "\""), dropped);
    const Seen declined =
        Route(s, "POST", "/jyx-lobby/v2/received-invitations/" + seg + "/decline");
    EXPECT_EQ(declined.status, 0);
    EXPECT_EQ(declined.error, dropped ? refusal("invitationId") : "");
    EXPECT_THAT(declined.events, dropped ? Texts{} : Texts{"Update " + received});
    PushInvitation(s, id, "REVOKED");
    EXPECT_THAT(Look(s).events, dropped ? Texts{} : Texts{"Delete " + received});

    // The player's party lobby of 420 with puuid-b (summoner 10) in it.
    ASSERT_EQ(Route(s, "POST", kLobby, R"({"queueId":420,"isCustom":false})").status, 0);
    const std::string party = PlayerOf(s, "puuid-a")["currentParty"]["partyId"].GetString();
    ASSERT_EQ(s.Parties().Invite("puuid-a", "puuid-b").httpStatus, 200);
    ASSERT_EQ(s.Parties().Accept("puuid-b", party).httpStatus, 200);
    s.Host().RunDue();
    Look(s);

    rapidjson::Document player = PlayerOf(s, "puuid-a");
    auto& allocator = player.GetAllocator();
    rapidjson::Value& current = player["currentParty"];
    current["partyId"] = Text(id, allocator);
    for (rapidjson::Value& member : current["players"].GetArray()) {
      member["partyId"] = Text(id, allocator);
      if (std::string(member["puuid"].GetString()) == "puuid-b")
        member["puuid"] = Text(id, allocator);
    }
    rapidjson::Value invitation(rapidjson::kObjectType);
    invitation.CopyFrom(current["players"][0], allocator);
    invitation["role"] = "INVITED";
    invitation["invitedBySummonerId"] = 11;
    rapidjson::Value mode(rapidjson::kObjectType);
    mode.CopyFrom(current["gameMode"], allocator);
    invitation["gameMode"] = mode;
    player["parties"].SetArray();
    player["parties"].PushBack(invitation, allocator);
    PushPlayer(s, player);
    EXPECT_EQ(ContainsDrop(Look(s).log, "Dropping 1 party invitations of a parties state"),
              dropped);
    // The service refuses every request from now on: the pushed state stays.
    for (const char* route : {"v1/parties/*/*", "v1/parties/*/members/*/*",
                              "comms/v1/parties/*/members/*/*", "v1/players/*"}) {
      PartiesScript script;
      script.path = route;
      script.kind = PartiesScript::Kind::Status;
      script.httpStatus = 409;
      script.errorCode = "SCRIPTED";
      script.uses = -1;
      s.Parties().AddScript(script);
    }

    // The party's members' paths, written relative and from the root.
    const std::string relative = "v1/parties/" + seg + "/members/";
    const std::string members = "/" + relative;
    struct Row {
      std::string method;
      std::string path;
      std::string body;
      std::string sent;
      const char* argument = nullptr;  // that of the caller's id
    };
    const std::vector<Row> rows = {
        {"PUT", "/jyx-lobby/v1/parties/ready", "true", "PUT " + members + "puuid-a/ready"},
        {"PUT", "/jyx-lobby/v1/parties/active", "true",
         "PUT /v1/parties/" + seg + "/activityLocked"},
        {"PUT", "/jyx-lobby/v1/parties/queue", "440", "PUT /v1/parties/" + seg + "/gamemode"},
        {"PUT", "/jyx-lobby/v1/parties/metadata", R"({"positionPref":[]})",
         "PUT " + members + "puuid-a/metadata"},
        {"GET", "/jyx-lobby/v2/comms/token", "", "GET comms" + members + "puuid-a/token"},
        {"POST", "/jyx-lobby/v2/lobby/members/10/kick", "", "PUT " + members + seg + "/role"},
        {"POST", "/jyx-lobby/v2/lobby/members/10/promote", "", "PUT " + members + seg + "/role"},
        {"POST", "/jyx-lobby/v2/lobby/members/10/grant-invite", "",
         "PUT " + members + seg + "/canInvite"},
        {"POST", "/jyx-lobby/v2/lobby/invitations", R"([{"toSummonerId":11}])",
         "POST v1/parties/" + seg + "/bulkInvite"},
        {"POST", "/jyx-lobby/v2/lobby/matchmaking/search", "",
         "PUT v1/parties/" + seg + "/activityLocked"},
        {"DELETE", "/jyx-lobby/v2/lobby/matchmaking/search", "",
         "PUT v1/parties/" + seg + "/activityLocked"},
        {"POST", "/jyx-lobby/v2/received-invitations/" + seg + "/accept", "",
         "PUT " + relative + "puuid-a/role", "invitationId"},
        {"POST", "/jyx-lobby/v2/received-invitations/" + seg + "/decline", "",
         "PUT " + relative + "puuid-a/role", "invitationId"},
        {"POST", "/jyx-lobby/v2/party/" + seg + "/join", "", "PUT " + relative + "puuid-a/role",
         "partyId"},
        {"PUT", "/jyx-lobby/v1/parties/" + seg + "/members/" + seg + "/role", R"("MEMBER")",
         "PUT " + members + seg + "/role", "partyId"},
        {"PUT", "/jyx-lobby/v1/parties/party-x/members/" + seg + "/role", R"("MEMBER")",
         "PUT /v1/parties/party-x/members/" + seg + "/role", "puuid"},
        {"DELETE", kLobby, "", "PUT " + members + "puuid-a/role"},
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(row.method + " " + row.path);
      const Seen seen = Route(s, row.method, row.path, row.body);
      if (dropped && row.argument != nullptr) {
        EXPECT_EQ(seen.error, refusal(row.argument));
        EXPECT_THAT(seen.sent, Texts{});
      } else {
        EXPECT_THAT(seen.sent, Contains(row.sent));
      }
    }
  }
}

// The login session's puuid: the registration, a request of the player's own and the
// deregistration all carry it as one segment.
TEST(UnsafeInputEndToEndTest, TheSessionsPuuidStaysOnePathSegment) {
  for (const Hostile& hostile : HostileIds()) {
    SCOPED_TRACE(testing::PrintToString(hostile.id));
    rapidjson::Document world;
    std::string error;
    ASSERT_TRUE(ParseHostJson(
        R"({"resources":{"/jyx-login/v1/session":{"state":"SUCCEEDED","summonerId":9,)"
        R"("accountId":7,"connected":true},"/jyx-summoner/v1/current-summoner":{"summonerId":9,)"
        R"("accountId":7,"displayName":"Ann","summonerLevel":30}},"parties":{}})",
        &world, &error));
    auto& allocator = world.GetAllocator();
    rapidjson::Value& resources = world["resources"];
    resources["/jyx-login/v1/session"].AddMember("puuid", Text(hostile.id, allocator), allocator);
    resources["/jyx-summoner/v1/current-summoner"].AddMember("puuid", Text(hostile.id, allocator),
                                                             allocator);
    world["parties"].AddMember("local", Text(hostile.id, allocator), allocator);
    Scenario s(PartiesPush::Notification, JsonText(world));
    const PartiesPlayer* registered = s.Parties().FindPlayer(hostile.id);
    if (registered == nullptr) {
      ADD_FAILURE() << "not registered";
      continue;
    }
    const std::string party = registered->currentPartyId;

    EXPECT_THAT(Route(s, "PUT", "/jyx-lobby/v1/parties/ready", "true").sent,
                Contains("PUT /v1/parties/" + party + "/members/" + hostile.segment + "/ready"));
    rapidjson::Value& session = resources["/jyx-login/v1/session"];
    session["state"] = "LOGGING_OUT";
    s.Host().SetResource("/jyx-login/v1/session", JsonText(session));
    s.Host().RunDue();
    EXPECT_THAT(Look(s).sent, Contains("DELETE v1/players/" + hostile.segment));
    session["state"] = "SUCCEEDED";
    s.Host().SetResource("/jyx-login/v1/session", JsonText(session));
    s.Host().RunDue();
    EXPECT_THAT(Look(s).sent, Contains("PUT v1/players/" + hostile.segment));
  }
}

// Once registered, the player does not become another whose state the service pushes: its
// requests and its logout name only itself.
TEST(UnsafeInputEndToEndTest, AStatePushedForAnotherPlayerIsIgnored) {
  Scenario s(PartiesPush::Notification);
  rapidjson::Document other = PlayerOf(s, "puuid-b");
  PushPlayer(s, other);
  EXPECT_THAT(Look(s).log,
              Contains(HasSubstr("Ignoring a parties state pushed for another player")));
  Texts sent = Route(s, "PUT", "/jyx-lobby/v1/parties/ready", "true").sent;
  s.Host().SetResource(
      "/jyx-login/v1/session",
      R"({"state":"LOGGING_OUT","summonerId":9,"accountId":7,"puuid":"puuid-a","connected":true})");
  s.Host().RunDue();
  for (const std::string& request : Look(s).sent) sent.push_back(request);
  EXPECT_THAT(sent, Contains(HasSubstr("/members/puuid-a/ready")));
  EXPECT_THAT(sent, Contains("DELETE v1/players/puuid-a"));
  EXPECT_THAT(sent, Not(Contains(HasSubstr("puuid-b"))));
}

// Pending legacy invitations are kept to the newest hundred: each one beyond drops the oldest,
// whose Delete is published and logged. One without an id is never kept.
TEST(UnsafeInputEndToEndTest, OnlyTheNewestHundredLegacyInvitationsAreKept) {
  Scenario s(PartiesPush::Notification, "", /*withLegacy=*/true);
  Texts ids;
  Texts deletes;
  Texts drops;
  PushInvitation(s, "", "ACTIVE");
  Seen seen = Look(s);
  EXPECT_THAT(seen.events, Texts{});
  EXPECT_TRUE(ContainsDrop(seen.log, "Dropping received invitation \"\""));
  for (int i = 0; i < 150; ++i) {
    char id[16];
    std::snprintf(id, sizeof id, "inv-%03d", i);
    ids.push_back(id);
    PushInvitation(s, id, "ACTIVE");
    seen = Look(s);
    for (const std::string& event : seen.events) {
      if (event.starts_with("Delete ")) deletes.push_back(event);
    }
    for (const std::string& line : seen.log) {
      if (line.starts_with("Dropping the oldest received invitation")) drops.push_back(line);
    }
  }
  Texts expectedDeletes;
  for (int i = 0; i < 50; ++i)
    expectedDeletes.push_back("Delete " + std::string(kReceivedV1) + ids[i]);
  EXPECT_THAT(deletes, ElementsAreArray(expectedDeletes));
  EXPECT_EQ(drops.size(), 50u);
  EXPECT_THAT(ListedInvitationIds(s), ElementsAreArray(Texts(ids.begin() + 50, ids.end())));
}

// A pushed state's party invitations are kept to the hundred with the greatest invitation time
// (none the oldest, the earlier of a tie first), after those whose party id names nothing; each
// kind of drop is logged once.
TEST(UnsafeInputEndToEndTest, OnlyTheNewestHundredPartyInvitationsOfAStateAreKept) {
  Scenario s(PartiesPush::Notification);
  // The 99 newest are every 80th from 40 but the last; 5 and 7960 tie for the hundredth; three
  // newer still name nothing; the others are older, or have no time.
  std::string parties;
  Texts kept;
  for (int i = 0; i < 8000; ++i) {
    std::string id = "p-" + std::to_string(10000 + i).substr(1);
    std::string time;
    if (i >= 1 && i <= 3) {
      id = std::vector<std::string>{"", "..", "x\\u001F"}[i - 1];
      time = "9999";
    } else if (i % 80 == 40 && i != 7960) {
      time = std::to_string(5000 + i);
    } else if (i == 5 || i == 7960) {
      time = "4000";
    } else if (i % 3 != 0) {
      time = std::to_string(1 + (i * 7919) % 3999);
    }
    if ((i % 80 == 40 && i != 7960) || i == 5) kept.push_back(id);
    parties += std::string(parties.empty() ? "[" : ",") + R"({"partyId":")" + id + R"(","role":")" +
               (i % 2 == 0 ? "INVITED" : "HOLD") + R"(","invitedBySummonerId":11)" +
               (time.empty() ? "" : R"(,"inviteTimestamp":)" + time) + "}";
  }
  rapidjson::Document player = PlayerOf(s, "puuid-a");
  rapidjson::Document memberships;
  std::string error;
  ASSERT_TRUE(ParseHostJson(parties + "]", &memberships, &error)) << error;
  player["parties"].CopyFrom(memberships, player.GetAllocator());
  PushPlayer(s, player);
  Texts drops;
  for (const std::string& line : Look(s).log) {
    if (line.find("party invitations of a parties state") != std::string::npos) {
      drops.push_back(line.substr(0, line.find(':')));
    }
  }
  EXPECT_THAT(drops, ElementsAreArray({"Dropping 3 party invitations of a parties state",
                                       "Dropping the 7897 oldest party invitations of a parties "
                                       "state"}));
  EXPECT_THAT(ListedInvitationIds(s), ElementsAreArray(kept));
}

// Keys that share one FNV-1a hash, in a query, in the headers, as a JSON body's member names and
// as a YAML body's keys and anchors, and keys that share one hash of the standard library's, as
// the keys of a map that a body fills (an invitation's restriction arguments) and as the party ids
// that friends' presences name (counted when an open party is joined), cost no more than five
// times as many random keys of the same length (the fastest of three calls each). A long common
// beginning makes every comparison of two keys long. JYX_COLLIDING_KEY_BLOCKS=14 makes 16,384 keys
// (12: 4,096; the standard library's, four times as many).
TEST(UnsafeInputEndToEndTest, KeysChosenToCollideCostNoMoreThanOthers) {
  struct Keys {
    Texts colliding;
    Texts random;
  };
  const auto keys = [](Texts colliding) {
    const std::size_t letters = colliding.empty() ? 0 : colliding[0].size() - 64;
    Texts random = Testing::RandomKeys(std::string(64, 'k'), colliding.size(), letters);
    return Keys{std::move(colliding), std::move(random)};
  };
  const int blocks = Testing::CollidingKeyBlocks(12);
  const Keys fnv = keys(Testing::CollidingKeys(std::string(64, 'k'), blocks));
  ASSERT_EQ(fnv.colliding.size(), std::size_t{1} << blocks);
  // Fewer keys than this cost the standard library's map too little to tell apart.
  const Keys standard = keys(Testing::StdHashCollidingKeys(std::string(64, 'k'), blocks + 2));
  ASSERT_EQ(standard.colliding.size(), std::size_t{1} << (blocks + 2));
  const auto body = [](const char* path, const char* type, std::string text) {
    RouteRequest request;
    request.method = HostMethodCode("POST");
    request.path = path;
    request.contentType = type;
    request.body = std::move(text);
    return request;
  };
  struct Row {
    const char* label;
    const Keys& keys;
    std::function<RouteRequest(const Texts&)> request;
  };
  Scenario s(PartiesPush::Notification);
  // Bob's party is open: the player joins it.
  const std::string open = PlayerOf(s, "puuid-b")["currentParty"]["partyId"].GetString();
  ASSERT_EQ(s.Parties()
                .Act("puuid-b", "PUT", "v1/parties/" + open + "/partytype", R"("open")")
                .httpStatus,
            200);
  const Row rows[] = {
      {"query", fnv,
       [](const Texts& keys) {
         RouteRequest request;
         request.method = HostMethodCode("GET");
         request.path = std::string(kLobby) + "?";
         for (const std::string& key : keys) request.path += key + "=1&";
         return request;
       }},
      {"headers", fnv,
       [](const Texts& keys) {
         RouteRequest request;
         request.method = HostMethodCode("GET");
         request.path = kLobby;
         for (const std::string& key : keys) request.headers.emplace_back(key, "1");
         return request;
       }},
      {"JSON body", fnv,
       [&](const Texts& keys) {
         std::string text = R"({"queueId":"x")";
         for (const std::string& key : keys) text += ",\"" + key + "\":0";
         return body(kLobby, "application/json", text + "}");
       }},
      {"YAML body", fnv,
       [&](const Texts& keys) {
         std::string text = "queueId: x\n";
         for (const std::string& key : keys) text += key + ": &" + key + " 0\n";
         return body(kLobby, "application/x-yaml", text);
       }},
      {"restriction arguments", standard,
       [&](const Texts& keys) {
         std::string text = R"({"eligibility":{"restrictions":[{"restrictionArgs":{"a":"1")";
         for (const std::string& key : keys) text += ",\"" + key + "\":\"1\"";
         return body("/jyx-lobby/v1/lobby/invitations", "application/json", text + "}}]}}");
       }},
      {"friends' party ids", standard,
       [&](const Texts& keys) {
         std::string friends;
         for (std::size_t i = 0; i < keys.size(); ++i) {
           friends += (i == 0 ? "[" : ",") + (R"({"summonerId":)" + std::to_string(100 + i)) +
                      R"(,"jyx":{"pty":"{\"partyId\":\")" + keys[i] + R"(\"}"}})";
         }
         s.Host().SetResource("/jyx-chat/v1/friends", friends + "]");
         s.Host().RunDue();
         RouteRequest request;
         request.method = HostMethodCode("POST");
         request.path = "/jyx-lobby/v2/party/" + open + "/join";
         return request;
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    double seconds[2];
    std::uint32_t status[2];
    for (int set = 0; set < 2; ++set) {
      const RouteRequest request = row.request(set == 0 ? row.keys.colliding : row.keys.random);
      seconds[set] =
          Testing::FastestSeconds(3, [&] { status[set] = s.Host().CallRoute(request).status; });
    }
    std::printf("%s: %zu colliding keys %.4f s, random keys %.4f s\n", row.label,
                row.keys.colliding.size(), seconds[0], seconds[1]);
    EXPECT_EQ(status[0], status[1]);
    EXPECT_LT(seconds[0], 5 * seconds[1]);
  }
}

// A caller's text holding a line break, logged by the plugin, stays within its one line: a party
// type, with a line feed or a Unicode line end (written alike as JSON and as the log escapes
// them), and a custom bot's name. Control characters and bytes that are no UTF-8 are written
// escaped too, a party type's and another player's text alike (a friend's party presence).
TEST(UnsafeInputEndToEndTest, ACallersLineBreakStartsNoLogLine) {
  struct Row {
    const char* world;
    Texts commands;
    std::string logged;
  };
  const auto partyType = [](const std::string& given, const std::string& escaped = "") {
    const auto type = [](const std::string& middle) {
      return "open" + middle + "[plugin error] Forged line";
    };
    return Row{JYX_PARTIES_WORLD,
               {"set /jyx-platform-config/v1/namespaces/Parties/OpenPartyEnable true",
                R"(POST /jyx-lobby/v2/lobby {"queueId":420})",
                R"(PUT /jyx-lobby/v2/lobby/partyType ")" + type(given) + "\""},
               "Parties succeeded saving parties-settings defaultPartyType=" +
                   type(escaped.empty() ? given : escaped)};
  };
  const Row rows[] = {
      partyType(R"(\n)"),
      partyType(R"(\u2028)"),
      partyType(R"(\u0085)"),
      partyType("\x85\xC2\x9B\xC0\x8A", R"(\x85\u009b\xC0\x8A)"),
      {JYX_PARTIES_WORLD,
       {R"(set /jyx-chat/v1/friends [{"summonerId":10,"jyx":{"pty":"x\u009d0;y\u0007)"
        "\xF4\x90\x80\x80\xE2\x82\"}}]",
        R"(parties-act puuid-b PUT v1/parties/party-1/partytype "open")",
        "POST /jyx-lobby/v2/party/party-1/join"},
       R"(Failed to deserialize party presence: x\u009d0;y\x07\xF4\x90\x80\x80\xE2\x82)"},
      {JYX_LEGACY_WORLD,
       {R"(POST /jyx-lobby/v2/lobby {"isCustom":true,"customGameLobby":{"lobbyName":"Practice",)"
        R"("configuration":{"mapId":11,"gameMode":"CLASSIC","teamSize":5,"mutators":{"id":1}}}})",
        "DELETE /jyx-lobby/v1/lobby/custom/bots/bot%0D%0A%5Bplugin%20error%5D%20Forged%20line"},
       R"(Unable to delete custom bot, cannot find bot with summonerInternalName )"
       R"(bot\r\n[plugin error] Forged line)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.logged);
    PluginHost host{PluginHost::Options{}};
    CommandShell shell(host);
    std::string error;
    ASSERT_TRUE(
        LoadWorldFile(host, row.world, &error, {&shell.Legacy(), &shell.Proxy(), &shell.Parties()}))
        << error;
    ASSERT_TRUE(host.Load().accepted);
    ASSERT_TRUE(host.Initialize());
    host.RunDue();
    for (const std::string& command : row.commands) {
      std::string answer;
      EXPECT_TRUE(shell.Execute(command, &answer)) << answer;
    }
    Texts log;
    for (const LogLine& line : host.Records().logs) log.push_back(line.message);
    EXPECT_THAT(log, Contains(row.logged));
    for (const char* lineEnd : {"\n", "\r", "\u0085", "\u2028", "\u2029", "\u009b", "\xC0"}) {
      EXPECT_THAT(log, Each(Not(HasSubstr(lineEnd))));
    }
    host.Shutdown();
  }
}

// One call sends at most a hundred invitations, the lobby's and the end of game's: one more is
// refused before anything is looked up, sent or published, and logged as the route logs a failure.
TEST(UnsafeInputEndToEndTest, OneCallSendsAtMostAHundredInvitations) {
  Scenario s(PartiesPush::Notification);
  ASSERT_EQ(Route(s, "POST", kLobby, R"({"queueId":420})").status, 0);
  const std::string tooMany = "TOO_MANY_INVITATIONS (101 given, at most 100 in one call)";
  const std::pair<const char*, std::string> routes[] = {
      {"/jyx-lobby/v2/lobby/invitations", "Unable to send invitations to the current lobby: "},
      {"/jyx-lobby/v2/eog-invitations", "Unable to send invitations to the current party: "},
  };
  for (const int count : {101, 100}) {
    for (const auto& [route, failure] : routes) {
      SCOPED_TRACE(route + (" " + std::to_string(count)));
      const bool refused = count > 100;
      std::string body;
      for (int i = 0; i < count; ++i) {
        body += (i == 0 ? "[" : ",") + (R"({"toSummonerId":)" + std::to_string(10 + i) + "}");
      }
      const RouteAnswer answer = s.Host().CallRoute("POST", route, body + "]");
      s.Host().RunDue();
      EXPECT_EQ(answer.status, refused ? 400u : 0u);
      EXPECT_EQ(answer.error.value_or(""), refused ? tooMany : "");
      EXPECT_EQ(s.Host().Records().requests.empty(), refused);
      if (refused) {
        EXPECT_THAT(s.Host().Records().published, testing::IsEmpty());
      }
      const Seen seen = Look(s);
      EXPECT_THAT(seen.sent, refused ? Texts{} : Texts{"POST v1/parties/party-3/bulkInvite"});
      if (refused) {
        EXPECT_THAT(seen.log, Texts{failure + tooMany});
      }
    }
  }
}

// A sibling's streamed reply that announces 2^64 - 1 bytes for four raises the plugin's peak by
// the reservation of at most 1 MiB and what the rest of the call takes, not by the announcement.
TEST(UnsafeInputEndToEndTest, AStreamReservesNoMoreThanItsBoundAhead) {
  Scenario s(PartiesPush::Notification, "", /*withLegacy=*/true);
  ScriptedReply endless;
  endless.stream = ScriptedStream{"[{}]", {}, UINT64_MAX};
  s.Host().ScriptReply("/jyx-summoner/v2/summoners", endless);
  const std::optional<MemoryStats> before = s.Host().ReadMemoryStats();
  ASSERT_TRUE(before.has_value());
  PushInvitation(s, "inv-1", "ACTIVE");
  const std::optional<MemoryStats> after = s.Host().ReadMemoryStats();
  ASSERT_TRUE(after.has_value());
  ASSERT_FALSE(s.Host().Streams().empty());
  EXPECT_GT(s.Host().Streams().back()->Reads(), 0) << "the stream was read";
  const std::uint64_t live = before->bytesAllocated - before->bytesFreed;
  EXPECT_LT(after->peakLiveBytes, std::max(before->peakLiveBytes, live) + (1u << 20) + (1u << 16))
      << "1 MiB and 64 KiB above what was live";
}

}  // namespace
}  // namespace Zarn::Host
