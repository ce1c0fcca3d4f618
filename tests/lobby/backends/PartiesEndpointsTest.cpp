// The parties routes through the plugin with its real backends in-process on the stand-in host,
// against the simulated parties service: health, the stored player, the setters, the comms token
// and members, and the party-active flag.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/lobby/backends/PartiesEndpointsTesting.h"
#include "tests/lobby/core/GameflowAnswers.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = Host::PartiesScript::Kind;
using Texts = std::vector<std::string>;
using PartiesEndpointsTesting::kConfig;
using PartiesEndpointsTesting::kPlatformIdPath;
using PartiesEndpointsTesting::kSessionPath;

constexpr char kHealth[] = "/jyx-lobby/v1/parties/health";
constexpr char kNotifications[] = "/jyx-lobby/v2/notifications";

class PartiesEndpointsTest : public PartiesEndpointsTesting::PartiesEndpointsTest {};

// An unregistered player's health answer, with what the plugin knows of it.
struct UnregisteredCase {
  const char* label;
  bool session;
  bool platform;
  const char* answer;
};

class PartiesUnregisteredHealthTest : public PartiesEndpointsTest,
                                      public ::testing::WithParamInterface<UnregisteredCase> {};

TEST_P(PartiesUnregisteredHealthTest, NamesWhatIsKnown) {
  const UnregisteredCase& c = GetParam();
  if (!c.session) host_.DeleteResource(kSessionPath);
  if (!c.platform) host_.DeleteResource(kPlatformIdPath);
  // With both known, parties switched off keep the player unregistered.
  if (c.session && c.platform) host_.SeedResource(std::string(kConfig) + "Enabled", "false");
  Start();
  ASSERT_EQ(Lobby::PartiesBackendTesting::Player(Backend()).createdAt, 0u);
  const Host::RouteAnswer answer = Call("GET", kHealth);
  EXPECT_FALSE(answer.error.has_value()) << "the route answers text, never an error";
  EXPECT_EQ(answer.body, c.answer);
  EXPECT_THAT(Logged("Not registered with parties service."),
              ElementsAre("2|Not registered with parties service."));
  EXPECT_THAT(PartiesSent(0, true), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartiesUnregisteredHealthTest,
    ::testing::Values(
        UnregisteredCase{"nothing known", false, false,
                         "\"Not registered with parties service. puuid: ? platformId: ?\""},
        UnregisteredCase{"no platform id", true, false,
                         "\"Not registered with parties service. puuid: puuid-a platformId: ?\""},
        UnregisteredCase{
            "parties switched off", true, true,
            "\"Not registered with parties service. puuid: puuid-a platformId: XEM1\""}));

TEST_F(PartiesEndpointsTest, HealthOfARegisteredPlayerIsTheServicesTextAndChangesNoState) {
  Start();
  ASSERT_NE(Lobby::PartiesBackendTesting::Player(Backend()).createdAt, 0u);
  parties_.SetHealth("all parties well");
  parties_.ClearRecords();
  const std::string before = PlayerJson();
  Host::RouteAnswer answer = Call("GET", kHealth);
  EXPECT_EQ(answer.body, "\"all parties well\"");
  EXPECT_THAT(PartiesSent(0, true), ElementsAre("GET v1/health"));
  EXPECT_EQ(PlayerJson(), before);

  struct Case {
    const char* label;
    Kind kind;
    int status;
    const char* code;
    const char* answer;
    Texts sent;
    Texts telemetry;
  };
  const std::vector<Case> cases = {
      {"204: the empty text, then the state fetched",
       Kind::Status,
       204,
       "",
       "\"\"",
       {"GET v1/health", "GET v1/players/puuid-a"},
       {}},
      {"a failure: its text",
       Kind::Status,
       500,
       "HEALTH_DOWN",
       "\"HEALTH_DOWN\"",
       {"GET v1/health"},
       {R"("failure":"HEALTH_DOWN")"}},
      {"not found: registered again, then its text",
       Kind::Status,
       404,
       "PLAYER_NOT_FOUND",
       "\"PLAYER_NOT_FOUND\"",
       {"GET v1/health", "PUT v1/players/puuid-a"},
       {R"("failure":"PLAYER_NOT_FOUND")"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    parties_.ClearRecords();
    host_.ClearRecords();
    Script("v1/health", c.kind, c.status, c.code);
    answer = Call("GET", kHealth);
    EXPECT_FALSE(answer.error.has_value());
    EXPECT_EQ(answer.body, c.answer);
    Texts sent;
    for (const std::string& line : PartiesSent(0, true))
      sent.push_back(line.substr(0, line.find(" {")));
    EXPECT_EQ(sent, c.sent);
    const Texts telemetry = Telemetry("parties-service");
    ASSERT_EQ(telemetry.size(), c.telemetry.size());
    for (std::size_t i = 0; i < telemetry.size(); ++i) {
      EXPECT_THAT(telemetry[i], ::testing::HasSubstr(R"("request":"get_health")"));
      EXPECT_THAT(telemetry[i], ::testing::HasSubstr(c.telemetry[i]));
    }
  }
}

TEST_F(PartiesEndpointsTest, ThePlayerRouteAnswersTheStoredState) {
  Start();
  const Host::RouteAnswer answer = Call("GET", "/jyx-lobby/v1/parties/player");
  EXPECT_FALSE(answer.error.has_value());
  EXPECT_EQ(answer.body, PlayerJson());
  EXPECT_NE(answer.body.find("\"puuid\":\"puuid-a\""), std::string::npos);
  EXPECT_THAT(PartiesSent(0, true), ElementsAre(::testing::StartsWith("PUT v1/players/puuid-a ")))
      << "only the registration";
}

TEST_F(PartiesEndpointsTest, SettersForwardOneFieldAndAnswerTheServicesFailure) {
  StartInPartyLobby();
  const std::string party = PartyId();
  struct Case {
    const char* label;
    const char* method;
    std::string path;
    const char* body;
    std::string sent;
    std::optional<std::pair<unsigned, std::string>> error;
  };
  const std::vector<Case> cases = {
      {"queue", "PUT", "/jyx-lobby/v1/parties/queue", "420",
       "PUT /v1/parties/" + party +
           "/gamemode {\r\n    \"botDifficulty\": null,\r\n    \"gameType\": \"\",\r\n"
           "    \"maxPartySize\": 0,\r\n    \"queueId\": 420\r\n}",
       std::nullopt},
      {"activity", "PUT", "/jyx-lobby/v1/parties/active", "false",
       "PUT /v1/parties/" + party + "/activityLocked false", std::nullopt},
      {"ready", "PUT", "/jyx-lobby/v1/parties/ready", "true",
       "PUT /v1/parties/" + party + "/members/puuid-a/ready true", std::nullopt},
      {"role in another party: the path's id", "PUT",
       "/jyx-lobby/v1/parties/party-elsewhere/members/puuid-a/role", "\"MEMBER\"",
       "PUT /v1/parties/party-elsewhere/members/puuid-a/role \"MEMBER\"",
       std::make_pair(404u, std::string("PARTY_NOT_FOUND"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    parties_.ClearRecords();
    const Host::RouteAnswer answer = Call(c.method, c.path, c.body);
    if (c.error) {
      EXPECT_EQ(answer.status, c.error->first);
      EXPECT_EQ(answer.error.value_or("none"), c.error->second);
    } else {
      EXPECT_FALSE(answer.error.has_value()) << *answer.error;
    }
    // A refused role is no reason to register again: nothing follows it.
    EXPECT_THAT(PartiesSent(0, true), ElementsAre(c.sent));
  }

  // A failure without a code answers 500 with its text, unchanged.
  parties_.ClearRecords();
  Script("v1/parties/*/activityLocked", Kind::ProxyError, 0, "proxy went away");
  const Host::RouteAnswer failed = Call("PUT", "/jyx-lobby/v1/parties/active", "true");
  EXPECT_EQ(failed.status, 500u);
  EXPECT_EQ(failed.error.value_or("none"), "proxy went away");
}

TEST_F(PartiesEndpointsTest, ASetterBeforeTheFirstStateIsRefusedUnsent) {
  host_.SeedResource(std::string(kConfig) + "Enabled", "false");
  Start();
  for (const auto& [path, body] : std::vector<std::pair<std::string, std::string>>{
           {"/jyx-lobby/v1/parties/queue", "420"},
           {"/jyx-lobby/v1/parties/active", "true"},
           {"/jyx-lobby/v1/parties/ready", "true"},
           {"/jyx-lobby/v1/parties/metadata", R"({"positionPref":["NORTH"]})"},
           {"/jyx-lobby/v1/parties/p/members/u/role", "\"MEMBER\""}}) {
    SCOPED_TRACE(path);
    const Host::RouteAnswer answer = Call("PUT", path, body);
    EXPECT_EQ(answer.status, 400u);
    EXPECT_EQ(answer.error.value_or("none"), "CURRENT_PLAYER_PUUID_NOT_FOUND");
  }
  EXPECT_THAT(PartiesSent(0, true), IsEmpty());
}

TEST_F(PartiesEndpointsTest, TheCommsTokenIsTheServicesTextOrAFailureReported) {
  StartInPartyLobby();
  const std::string party = PartyId();
  parties_.SetCommsToken("jwt-for-a");
  Host::RouteAnswer answer = Call("GET", "/jyx-lobby/v2/comms/token");
  EXPECT_FALSE(answer.error.has_value());
  EXPECT_EQ(answer.body, "\"jwt-for-a\"");
  EXPECT_THAT(PartiesSent(0, true),
              ElementsAre("GET comms/v1/parties/" + party + "/members/puuid-a/token"));

  struct Case {
    const char* label;
    Kind kind;
    int status;
    const char* code;
    unsigned answered;
    const char* logged;
    std::size_t notifications;
  };
  const std::vector<Case> cases = {
      {"503", Kind::Status, 503, "SERVICE_UNAVAILABLE", 503,
       "2|Comms Jwt generation failed: 503 SERVICE_UNAVAILABLE", 1},
      {"403", Kind::Status, 403, "NOT_AUTHORIZED", 403,
       "2|Comms Jwt generation failed: 403 NOT_AUTHORIZED", 0},
      {"no code", Kind::ProxyError, 0, "proxy went away", 500,
       "2|Comms Jwt generation failed: 0 proxy went away", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host_.ClearRecords();
    Script("comms/v1/parties/*/members/*/token", c.kind, c.status, c.code);
    answer = Call("GET", "/jyx-lobby/v2/comms/token");
    EXPECT_EQ(answer.status, c.answered);
    EXPECT_EQ(answer.error.value_or("none"), c.code);
    EXPECT_THAT(Logged("Comms Jwt generation failed"), ElementsAre(c.logged));
    EXPECT_THAT(Telemetry("parties-service"),
                ElementsAre(::testing::AllOf(
                    ::testing::HasSubstr(R"("request":"get_comms_jwt")"),
                    ::testing::HasSubstr(std::string(R"("failure":")") + c.code + "\""))));
    std::size_t unavailable = 0;
    for (const std::string& event : Payloads(kNotifications)) {
      if (event.find("SERVICE_UNAVAILABLE") != std::string::npos) ++unavailable;
    }
    EXPECT_EQ(unavailable, c.notifications);
  }
  const Host::RouteAnswer listed = Call("GET", kNotifications);
  std::size_t listedUnavailable = 0;
  for (std::size_t at = listed.body.find("\"SERVICE_UNAVAILABLE\""); at != std::string::npos;
       at = listed.body.find("\"SERVICE_UNAVAILABLE\"", at + 1)) {
    ++listedUnavailable;
  }
  EXPECT_EQ(listedUnavailable, 1u) << listed.body;
}

TEST_F(PartiesEndpointsTest, CommsMembersAreTheCurrentPartysMembersNamed) {
  StartInPartyLobby();
  const std::string party = PartyId();
  ASSERT_EQ(parties_.Invite("puuid-a", "puuid-b").httpStatus, 200);
  ASSERT_EQ(parties_.Accept("puuid-b", party).httpStatus, 200);
  host_.RunDue();
  const Host::RouteAnswer answer = Call("GET", "/jyx-lobby/v2/comms/members");
  EXPECT_FALSE(answer.error.has_value());
  EXPECT_EQ(answer.body, R"({"partyId":")" + party + R"(","players":{)" +
                             R"("puuid-a":{"displayName":"Ann","partyId":")" + party +
                             R"(","puuid":"puuid-a","role":"LEADER","summonerId":9},)" +
                             R"("puuid-b":{"displayName":"Bob","partyId":")" + party +
                             R"(","puuid":"puuid-b","role":"MEMBER","summonerId":10}}})");
}

TEST_F(PartiesEndpointsTest, PartyActiveIsTheFlagAsPublished) {
  Start();
  EXPECT_EQ(Call("GET", "/jyx-lobby/v2/party-active").body, "false");
  Host::Testing::AnswerLobbyRequests(host_);
  ASSERT_FALSE(Call("POST", "/jyx-lobby/v2/lobby", R"({"queueId":420})").error.has_value());
  EXPECT_EQ(Call("GET", "/jyx-lobby/v2/party-active").body, "true");
  ASSERT_FALSE(Call("DELETE", "/jyx-lobby/v2/lobby").error.has_value());
  EXPECT_EQ(Call("GET", "/jyx-lobby/v2/party-active").body, "false");
}

}  // namespace
}  // namespace Zarn::Client::Lobby
