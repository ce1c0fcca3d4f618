// The simulated parties service alone: its players and parties, the routes, the proxied payloads
// and scripts, its world section and its commands.
#include "host/PartiesService.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/pointer.h>

#include <string>
#include <vector>

#include "host/CommandShell.h"
#include "host/HostValue.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"
#include "host/WorldFile.h"

namespace Zarn::Host {
namespace {

PluginHost::Options Options() {
  PluginHost::Options options;
  options.pluginPath = "/nonexistent";
  return options;
}

class PartiesServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [puuid, summonerId] :
         std::vector<std::pair<std::string, uint64_t>>{{"a", 1}, {"b", 2}, {"c", 3}}) {
      PartiesPlayer player;
      player.puuid = puuid;
      player.platformId = "XEM1";
      player.summonerId = summonerId;
      ASSERT_TRUE(parties_.AddPlayer(player));
    }
    parties_.SetLocalPlayer("a");
  }

  // The player's JSON, parsed.
  rapidjson::Document Player(const std::string& puuid) {
    rapidjson::Document json;
    std::string error;
    EXPECT_TRUE(ParseHostJson(parties_.PlayerJson(puuid), &json, &error)) << error;
    return json;
  }
  std::string PartyOf(const std::string& puuid) {
    const PartiesPlayer* player = parties_.FindPlayer(puuid);
    return player == nullptr ? "" : player->currentPartyId;
  }
  std::string RoleIn(const std::string& partyId, const std::string& puuid) {
    const PartiesParty* party = parties_.FindParty(partyId);
    if (party == nullptr) return "no party";
    for (const PartiesMember& member : party->players) {
      if (member.puuid == puuid) return member.role;
    }
    return "none";
  }
  // A proxied request of the plugin's player, as the proxy hands it over.
  ProxyScript Proxied(const std::string& method, const std::string& url, const std::string& body) {
    rapidjson::Document payload(rapidjson::kObjectType);
    auto& allocator = payload.GetAllocator();
    payload.AddMember("body", rapidjson::Value(body.c_str(), allocator), allocator);
    payload.AddMember("method", rapidjson::Value(method.c_str(), allocator), allocator);
    payload.AddMember("url", rapidjson::Value(url.c_str(), allocator), allocator);
    ProxyRequest request;
    request.payload = JsonText(payload);
    return parties_.Respond(request);
  }

  PluginHost host_{Options()};
  ServiceProxyService proxy_{host_};
  PartiesService parties_{host_, proxy_};
};

TEST_F(PartiesServiceTest, ARegisteredPlayerLeadsAClosedPartyOfItsOwnWithoutQueue) {
  const rapidjson::Document a = Player("a");
  EXPECT_EQ(a["createdAt"].GetUint64(), 1'767'225'600'000u);
  EXPECT_EQ(a["summonerId"].GetUint64(), 1u);
  const rapidjson::Value& party = a["currentParty"];
  EXPECT_STREQ(party["partyType"].GetString(), "closed");
  EXPECT_EQ(party["gameMode"]["queueId"].GetInt(), -1);
  ASSERT_EQ(party["players"].Size(), 1u);
  EXPECT_STREQ(party["players"][0]["role"].GetString(), "LEADER");
  EXPECT_TRUE(party["players"][0]["canInvite"].GetBool());
  EXPECT_EQ(a["parties"].Size(), 1u);

  // Registering again keeps the party and the creation time and raises the version.
  const uint64_t version = a["version"].GetUint64();
  const PartiesReply again = parties_.Act("a", "PUT", "v1/players/a",
                                          R"({"puuid":"a","platformId":"XEM1","summonerId":1,
                                              "eligibilityHash":77})");
  ASSERT_EQ(again.httpStatus, 200);
  const rapidjson::Document updated = Player("a");
  EXPECT_GT(updated["version"].GetUint64(), version);
  EXPECT_EQ(updated["eligibilityHash"].GetInt64(), 77);
  EXPECT_STREQ(updated["currentParty"]["partyId"].GetString(), party["partyId"].GetString());

  // Deleted and registered again at the same time, it is a newer player in a new party.
  ASSERT_EQ(parties_.Act("a", "DELETE", "v1/players/a", "").httpStatus, 204);
  ASSERT_EQ(
      parties_.Act("a", "PUT", "v1/players/a", R"({"puuid":"a","platformId":"XEM1"})").httpStatus,
      200);
  const rapidjson::Document recreated = Player("a");
  EXPECT_GT(recreated["createdAt"].GetUint64(), a["createdAt"].GetUint64());
  EXPECT_STRNE(recreated["currentParty"]["partyId"].GetString(), party["partyId"].GetString());
}

// The service reads each segment percent-decoded, as a web service would: an id escaped into one
// segment names the same player as the id itself.
TEST_F(PartiesServiceTest, EachSegmentIsReadPercentDecoded) {
  ASSERT_EQ(
      parties_.Act("a/b", "PUT", "v1/players/a%2Fb%2e%2E", R"({"platformId":"XEM1"})").httpStatus,
      200);
  ASSERT_NE(parties_.FindPlayer("a/b.."), nullptr);
  EXPECT_EQ(parties_.Act("a/b", "GET", "/v1/players/a%2fb..", "").httpStatus, 200);
  // A "%" without two hexadecimal digits stays as it is.
  ASSERT_EQ(parties_.Act("c", "PUT", "v1/players/%zz%4", R"({"platformId":"XEM1"})").httpStatus,
            200);
  EXPECT_NE(parties_.FindPlayer("%zz%4"), nullptr);
  EXPECT_EQ(parties_.Act("a", "GET", "v1/players/a/b", "").errorCode, "ROUTE_NOT_FOUND");
}

TEST_F(PartiesServiceTest, RolesMoveThePlayersBetweenParties) {
  const std::string partyA = PartyOf("a");
  const std::string partyB = PartyOf("b");
  const std::string partyC = PartyOf("c");

  // b invites a: an INVITED membership in a's parties, named by b's summoner id.
  const uint64_t before = parties_.FindPlayer("a")->version;
  ASSERT_EQ(parties_.Invite("b", "a").httpStatus, 200);
  EXPECT_GT(parties_.FindPlayer("a")->version, before);
  rapidjson::Document a = Player("a");
  ASSERT_EQ(a["parties"].Size(), 2u);
  const rapidjson::Value* invitation = rapidjson::Pointer("/parties/1").Get(a);
  if (std::string((*invitation)["role"].GetString()) != "INVITED") {
    invitation = rapidjson::Pointer("/parties/0").Get(a);
  }
  EXPECT_STREQ((*invitation)["role"].GetString(), "INVITED");
  EXPECT_STREQ((*invitation)["partyId"].GetString(), partyB.c_str());
  EXPECT_EQ((*invitation)["invitedBySummonerId"].GetUint64(), 2u);
  EXPECT_TRUE((*invitation)["inviteTimestamp"].IsUint64());

  struct Step {
    const char* label;
    std::string actor, method, url, body;
    int32_t status;
    std::string errorCode;
  };
  const auto role = [](const std::string& party, const std::string& who) {
    return "v1/parties/" + party + "/members/" + who + "/role";
  };
  const std::vector<Step> steps = {
      {"c joins b's closed party uninvited", "c", "PUT", role(partyB, "c"), "\"MEMBER\"", 403,
       "NOT_INVITED"},
      {"a accepts", "a", "PUT", role(partyB, "a"), "\"MEMBER\"", 200, ""},
      {"a, not leader, kicks b", "a", "PUT", role(partyB, "b"), "\"KICKED\"", 403,
       "NOT_AUTHORIZED"},
      {"b makes a leader", "b", "PUT", "/" + role(partyB, "a"), "\"LEADER\"", 200, ""},
      {"a makes the party open", "a", "PUT", "/v1/parties/" + partyB + "/partytype", "\"open\"",
       200, ""},
      {"c joins the open party", "c", "PUT", role(partyB, "c"), "\"MEMBER\"", 200, ""},
      {"a kicks c", "a", "PUT", role(partyB, "c"), "\"KICKED\"", 200, ""},
      {"an unknown role", "a", "PUT", role(partyB, "b"), "\"BOSS\"", 400, "INVALID_ROLE"},
      {"an unknown party", "a", "PUT", role("nowhere", "a"), "\"MEMBER\"", 404, "PARTY_NOT_FOUND"},
      {"an unknown route", "a", "PUT", "v1/parties/" + partyB + "/colour", "\"red\"", 404,
       "ROUTE_NOT_FOUND"},
      {"a body that is no JSON", "a", "PUT", role(partyB, "a"), "MEMBER", 400, "INVALID_ROLE"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    const PartiesReply reply = parties_.Act(step.actor, step.method, step.url, step.body);
    EXPECT_EQ(reply.httpStatus, step.status);
    EXPECT_EQ(reply.errorCode, step.errorCode);
  }
  // a's own party ended when it joined; b was demoted; c got a party of its own when kicked.
  EXPECT_EQ(parties_.FindParty(partyA), nullptr);
  EXPECT_EQ(PartyOf("a"), partyB);
  EXPECT_EQ(RoleIn(partyB, "a"), "LEADER");
  EXPECT_EQ(RoleIn(partyB, "b"), "MEMBER");
  EXPECT_EQ(RoleIn(partyB, "c"), "none");
  EXPECT_EQ(parties_.FindParty(partyC), nullptr);
  EXPECT_NE(PartyOf("c"), "");
  EXPECT_EQ(RoleIn(PartyOf("c"), "c"), "LEADER");

  // The leader leaves: b leads what is left, a leads a party of its own.
  ASSERT_EQ(parties_.Leave("a").httpStatus, 200);
  EXPECT_EQ(RoleIn(partyB, "b"), "LEADER");
  EXPECT_NE(PartyOf("a"), partyB);
  EXPECT_EQ(RoleIn(PartyOf("a"), "a"), "LEADER");

  // A declined invitation is gone; a clash join gives a clash party.
  ASSERT_EQ(parties_.Invite("b", "a").httpStatus, 200);
  EXPECT_EQ(RoleIn(partyB, "a"), "INVITED");
  ASSERT_EQ(parties_.Decline("a", partyB).httpStatus, 200);
  EXPECT_EQ(RoleIn(partyB, "a"), "none");
  ASSERT_EQ(parties_.Act("a", "POST", "/v1/clash-parties/join", "\"t1\"").httpStatus, 200);
  ASSERT_EQ(parties_.Act("c", "POST", "v1/clash-parties/join", "\"t1\"").httpStatus, 200);
  EXPECT_EQ(PartyOf("a"), "clash-t1");
  EXPECT_EQ(parties_.FindParty("clash-t1")->partyType, "clash");
  EXPECT_EQ(RoleIn("clash-t1", "c"), "MEMBER");
}

TEST_F(PartiesServiceTest, PartyAndMemberFieldsChangeAndRaiseTheVersions) {
  const std::string party = PartyOf("a");
  const std::string members = "v1/parties/" + party + "/members/a/";
  const uint64_t partyVersion = parties_.FindParty(party)->version;
  struct Step {
    std::string method, url, body;
  };
  const std::vector<Step> steps = {
      {"PUT", "/v1/parties/" + party + "/gamemode",
       R"({"botDifficulty":"EASY","gameType":"x","maxPartySize":5,"queueId":420})"},
      {"PUT", members + "metadata", R"({"positionPref":["NORTH","CENTRE"]})"},
      {"PUT", members + "ready", "true"},
      {"PUT", members + "canInvite", "false"},
      {"PUT", "v1/parties/" + party + "/activityLocked", "true"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.url);
    EXPECT_EQ(parties_.Act("a", step.method, step.url, step.body).httpStatus, 200);
  }
  const PartiesParty& locked = *parties_.FindParty(party);
  EXPECT_EQ(locked.version, partyVersion + steps.size());
  EXPECT_EQ(locked.queueId, 420);
  EXPECT_EQ(locked.botDifficulty.value_or(""), "EASY");
  EXPECT_TRUE(locked.activityLocked);
  EXPECT_EQ(locked.players[0].positionPref, (std::vector<std::string>{"NORTH", "CENTRE"}));
  EXPECT_EQ(locked.players[0].ready, std::optional<bool>(true));
  EXPECT_EQ(locked.players[0].canInvite, std::optional<bool>(false));

  ASSERT_TRUE(parties_.SetActivityResume(party, 1'767'225'660'000u));
  EXPECT_EQ(Player("a")["currentParty"]["activityResumeUtcMillis"].GetUint64(), 1'767'225'660'000u);
  EXPECT_EQ(parties_.Act("a", "POST", "/v1/parties/" + party + "/resumeActivity", "").httpStatus,
            200);
  EXPECT_FALSE(parties_.FindParty(party)->activityLocked);
  EXPECT_EQ(parties_.FindParty(party)->activityResumeUtcMillis, 0u);

  // Health and token are texts; a deleted player is gone.
  EXPECT_EQ(parties_.Act("a", "GET", "v1/health", "").payload, "\"OK\"");
  EXPECT_EQ(parties_.Act("a", "GET", "comms/v1/parties/" + party + "/members/a/token", "").payload,
            "\"" + party + ".a\"");
  EXPECT_EQ(parties_.Act("a", "DELETE", "v1/players/a", "").httpStatus, 204);
  EXPECT_EQ(parties_.Act("a", "GET", "v1/players/a", "").errorCode, "PLAYER_NOT_FOUND");
}

TEST_F(PartiesServiceTest, ProxiedRequestsAreRecordedAndAnsweredAsScripted) {
  const std::string party = PartyOf("a");
  struct Case {
    const char* label;
    PartiesScript::Kind kind;
    std::string payload;  // the proxy reply's payload text
    std::string error;
  };
  const std::vector<Case> cases = {
      {"status", PartiesScript::Kind::Status, EnvelopeJson({409, "CONFLICT", "", ""}), ""},
      {"empty payload", PartiesScript::Kind::EmptyPayload, "", ""},
      {"no envelope", PartiesScript::Kind::NotEnvelope, "[\"no envelope\"]", ""},
      {"no player", PartiesScript::Kind::NotPlayer, EnvelopeJson({200, "", "[\"no player\"]", ""}),
       ""},
      {"proxy error", PartiesScript::Kind::ProxyError, "", "CONFLICT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PartiesScript script;
    script.method = "PUT";
    script.path = "/v1/parties/*/members/*/ready";
    script.kind = c.kind;
    script.httpStatus = 409;
    script.errorCode = "CONFLICT";
    script.timing = ProxyScript::Timing::OnYield;
    script.yield = 3;
    parties_.AddScript(script);
    const uint64_t version = parties_.FindParty(party)->version;
    const ProxyScript answer =
        Proxied("PUT", "v1/parties/" + party + "/members/a/ready", "true\r\n");
    EXPECT_EQ(answer.reply.payload, c.payload);
    EXPECT_EQ(answer.reply.error, c.error);
    EXPECT_EQ(answer.timing, ProxyScript::Timing::OnYield);
    EXPECT_EQ(answer.yield, 3);
    EXPECT_EQ(parties_.FindParty(party)->version, version) << "a script stands in for the change";
    ASSERT_FALSE(parties_.Records().empty());
    EXPECT_EQ(parties_.Records().back().body, "true\r\n");
    // Used up: the next request gets the service's own answer.
    const ProxyScript own = Proxied("PUT", "v1/parties/" + party + "/members/a/ready", "true");
    EXPECT_EQ(own.reply.payload.find(R"("httpStatus":200)") != std::string::npos, true);
    EXPECT_EQ(own.timing, ProxyScript::Timing::DuringPost);
  }

  // A script that applies makes the change and still answers as scripted.
  PartiesScript noContent;
  noContent.path = "v1/parties/*/partytype";
  noContent.kind = PartiesScript::Kind::Status;
  noContent.httpStatus = 204;
  noContent.apply = true;
  parties_.AddScript(noContent);
  EXPECT_EQ(Proxied("PUT", "/v1/parties/" + party + "/partytype", "\"open\"").reply.payload,
            EnvelopeJson({204, "", "", ""}));
  EXPECT_EQ(parties_.FindParty(party)->partyType, "open");

  // A reply delivered later carries the player as it is then.
  PartiesScript late;
  late.path = "v1/players/*";
  late.timing = ProxyScript::Timing::OnYield;
  late.yield = 2;
  parties_.AddScript(late);
  const ProxyScript fetched = Proxied("GET", "v1/players/a", "");
  ASSERT_TRUE(fetched.payloadAtDelivery);
  EXPECT_EQ(fetched.reply.payload.find("INVITED"), std::string::npos);
  ASSERT_EQ(parties_.Invite("b", "a").httpStatus, 200);
  EXPECT_NE(fetched.payloadAtDelivery().find("\"role\":\"INVITED\""), std::string::npos);

  // A payload that is no proxied request is refused and not recorded.
  const std::size_t recorded = parties_.Records().size();
  ProxyRequest bad;
  bad.payload = R"({"method":"GET","url":5})";
  EXPECT_EQ(parties_.Respond(bad).reply.payload, EnvelopeJson({400, "BAD_REQUEST", "", ""}));
  EXPECT_EQ(parties_.Records().size(), recorded);
}

// Under a record window the service keeps only the latest requests, and `parties-requests` says
// how many it dropped since it last printed them, as `events` does.
TEST_F(PartiesServiceTest, PartiesRequestsCountsWhatTheWindowDropped) {
  PluginHost::Options options = Options();
  options.recordWindow = 2;
  PluginHost host(options);
  CommandShell shell(host);
  const auto request = [&](int i) {
    ProxyRequest proxied;
    proxied.payload = R"({"method":"GET","url":"v1/health","body":")" + std::to_string(i) + "\"}";
    (void)shell.Parties().Respond(proxied);
  };
  for (int i = 0; i < 7; ++i) request(i);
  std::string output;
  EXPECT_TRUE(shell.Execute("parties-requests", &output));
  std::string listed;
  for (int i = 3; i < 7; ++i) {
    listed += std::string(listed.empty() ? "" : ",") +
              R"({"method":"GET","url":"v1/health","body":")" + std::to_string(i) + "\"}";
  }
  EXPECT_EQ(output, R"({"requests":[)" + listed + R"(],"dropped":3})");
  request(7);
  EXPECT_TRUE(shell.Execute("parties-requests", &output));
  EXPECT_EQ(output, R"({"requests":[{"method":"GET","url":"v1/health","body":"7"}]})");
}

TEST_F(PartiesServiceTest, AWorldSeedsTheServiceAndCommandsDriveIt) {
  PluginHost host(Options());
  CommandShell shell(host);
  std::string error;
  ASSERT_TRUE(LoadWorld(host, R"({"parties": {
      "players": [{"puuid": "p", "platformId": "KV1", "accountId": 5, "summonerId": 6},
                  {"puuid": "q", "summonerId": 8}],
      "local": "p", "push": "message", "health": "slow", "commsToken": "jwt",
      "scripts": [{"method": "GET", "path": "v1/players/*", "kind": "status",
                   "httpStatus": 503, "errorCode": "DOWN", "timing": "yield", "yield": 2,
                   "uses": -1}]}})",
                        &error, {&shell.Legacy(), &shell.Proxy(), &shell.Parties()}))
      << error;
  PartiesService& parties = shell.Parties();
  EXPECT_EQ(parties.LocalPlayer(), "p");
  ASSERT_NE(parties.FindPlayer("q"), nullptr);
  EXPECT_EQ(parties.FindPlayer("p")->accountId, 5u);
  EXPECT_EQ(parties.Act("p", "GET", "v1/health", "").payload, "\"slow\"");

  struct Command {
    std::string line;
    std::string answer;  // a prefix of the answer
  };
  const std::string partyQ = parties.FindPlayer("q")->currentPartyId;
  const std::vector<Command> commands = {
      {"parties-invite q p", R"({"errorCode":"","httpStatus":200,)"},
      {"parties-accept p " + partyQ, R"({"errorCode":"","httpStatus":200,)"},
      {"parties-act q PUT v1/parties/" + partyQ + "/members/p/role \"KICKED\"",
       R"({"errorCode":"","httpStatus":200,)"},
      {"parties-leave nobody", R"({"errorCode":"PLAYER_NOT_FOUND","httpStatus":404,)"},
      {"parties-player q", R"({"accountId":0,)"},
      {"parties-act q GET v1/health", R"({"errorCode":"","httpStatus":200,)"},
      {"parties-health bad\xff", R"({"set":true})"},
      {"parties-act q GET v1/health", R"({"errorCode":"","httpStatus":200,)"
                                      R"("implementationDetails":"","message":"",)"
                                      R"("payload":"bad\\xFF"})"},
      {"parties-push notification", R"({"push":true})"},
      {"parties-restriction {\"gatekeeperRestrictions\":[]}", R"({"sent":true})"},
      {"parties-notify {\"puuid\":\"q\",\"version\":99}", R"({"sent":true})"},
      {"parties-notify [1]",
       R"({"error":"parties-notify takes json; a player state is a JSON object"})"},
      {"parties-resume " + partyQ + " 1767225660000", R"({"locked":true})"},
      {R"(parties-script {"path": "v1/health", "kind": "empty"})", R"({"scripted":true})"},
      {"parties-requests", R"({"requests":[]})"},
      {"parties-push sometimes", R"({"error":"parties-push takes none|notification|message"})"},
      {"parties-script {\"kind\": \"empty\"}",
       R"({"error":"parties-script takes json; a parties script must be an object with a )"
       R"(\"path\" text"})"},
      {"parties-script {\"kind\": \"bogus\"}",
       R"({"error":"parties-script takes json; a parties script's kind must be \"normal\", )"
       R"(\"status\", \"empty\", \"not-envelope\", \"not-player\" or \"proxy-error\""})"},
      {"parties-script {bad",
       R"({"error":"parties-script takes json; invalid JSON at offset 1: a member's name in )"
       R"(double quotes was expected"})"},
      {R"(parties-script {"path": "v1/health", "timing": "yield", "yield": 1001})",
       R"({"error":"parties-script takes json; a script's yield must be a count from 1 to 1000: )"
       R"(a wait with nothing else to do ends after 1000 yields"})"},
      {"parties-resume " + partyQ + " -5",
       R"({"error":"parties-resume takes party utc-ms; utc-ms is a count of milliseconds since )"
       R"j(1970 (UTC)"})j"},
      {"parties-player nobody",
       R"({"error":"parties-player takes puuid; no parties player nobody"})"},
      {"parties-leave", R"({"error":"parties-leave takes puuid"})"},
  };
  for (const Command& command : commands) {
    SCOPED_TRACE(command.line);
    std::string output;
    EXPECT_TRUE(shell.Execute(command.line, &output));
    EXPECT_EQ(output.substr(0, command.answer.size()), command.answer) << output;
  }
  EXPECT_EQ(shell.Failures(), 9);

  const char* const invalid[] = {
      R"({"parties": []})",
      R"({"parties": {"players": [{"platformId": "x"}]}})",
      R"({"parties": {"push": "loud"}})",
      R"({"parties": {"scripts": [{"path": "v1/health", "kind": "odd"}]}})",
      R"({"parties": {"scripts": [{"path": "v1/health", "uses": 0}]}})",
      R"({"parties": {"scripts": [{"path": "v1/health", "timing": "soon"}]}})",
  };
  for (const char* text : invalid) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(
        LoadWorld(host, text, &error, {&shell.Legacy(), &shell.Proxy(), &shell.Parties()}));
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(LoadWorld(host, R"({"parties": {}})", &error, {}));
}

}  // namespace
}  // namespace Zarn::Host
