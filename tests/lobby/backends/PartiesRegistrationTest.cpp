// The parties backend's start, registration, deregistration and configuration, with the plugin's
// real backends in-process on the stand-in host in the default world.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lobby/core/LobbyTimerNames.h"
#include "tests/lobby/backends/PartiesLobbyBackendTesting.h"
#include "tests/lobby/backends/PartiesStateTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using ::testing::Contains;
using ::testing::DoubleNear;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace PartiesStateTesting;
using Texts = std::vector<std::string>;

constexpr char kPut[] = "7 ";
constexpr char kDelete[] = "1 ";

// The PUTs of the player's registration from the `from`-th parties request on.
std::size_t Registrations(const PartiesWorld& w, std::size_t from = 0) {
  std::size_t count = 0;
  for (const std::string& sent : w.PartiesSent(from)) {
    count += sent == "PUT v1/players/puuid-stand-in" ? 1 : 0;
  }
  return count;
}

// Takes `path` out of the world before start; its event reaches no one.
void RemoveResource(PartiesWorld& w, const std::string& path) {
  ASSERT_TRUE(w.host_.DeleteResource(path));
  w.host_.RunDue();
}

using PartiesRegistrationTest = PartiesWorldTest;

TEST_F(PartiesRegistrationTest, StartWatchesTheKeysInOrderThenTheNotificationsAndBeatsHourly) {
  PartiesWorld& w = Fresh();
  w.Start();
  const Texts watched = {
      std::string(kConfig) + "ServiceProxySamplingPercentage",
      std::string(kConfig) + "Enabled",
      std::string(kConfig) + "EnabledForTeamBuilderQueues",
      std::string(kConfig) + "OpenPartyEnable",
      "/jyx-platform-config/v1/namespace/Parties/PublishPresenceDelay",
      std::string(kConfig) + "RegistrationRetryInterval",
      "/jyx-settings/v1/account/parties-settings",
      std::string(kConfig) + "NotificationDelaySamplingPercentage",
      kNotificationsPath,
  };
  Texts order;
  for (const Host::CoreRequest& request : w.host_.Records().requests) {
    if (request.method != static_cast<uint32_t>(HttpMethod::Get)) continue;
    for (const std::string& path : watched) {
      if (request.path == path) order.push_back(path);
    }
  }
  EXPECT_EQ(order, watched);
  EXPECT_THAT(w.TimerDelays(kPartiesHeartbeat), ElementsAre(DoubleNear(3600.0, 1e-6)));

  const std::size_t mark = w.PartiesMark();
  w.host_.Advance(3599.0);
  EXPECT_THAT(w.PartiesSent(mark), ElementsAre());
  w.host_.Advance(1.0);
  EXPECT_THAT(w.PartiesSent(mark), ElementsAre("GET v1/players/puuid-stand-in"));
  w.host_.Advance(3600.0);
  EXPECT_EQ(w.PartiesSent(mark).size(), 2u);
}

TEST_F(PartiesRegistrationTest, ACompleteWorldRegistersDuringStartAndTakesTheShutdownLock) {
  PartiesWorld& w = Fresh();
  w.Start();
  const Texts registering = w.Logged("Registering party player: ");
  ASSERT_EQ(registering.size(), 1u);
  EXPECT_EQ(registering[0].rfind("3|Registering party player: {", 0), 0u) << registering[0];
  EXPECT_THAT(registering[0], HasSubstr(R"("puuid":"puuid-stand-in")"));
  EXPECT_THAT(registering[0], HasSubstr(R"("platformId":"KV1")"));

  ASSERT_EQ(Registrations(w), 1u);
  const std::string& body = w.parties_.Records().front().body;
  const std::int64_t hash = *w.Plugin().GetEligibilityRules().EligibilityHash();
  EXPECT_NE(hash, 0);
  for (const std::string& field :
       {std::string(R"("puuid": "puuid-stand-in")"), std::string(R"("platformId": "KV1")"),
        std::string(R"("accountId": 9001)"), std::string(R"("summonerId": 2046)"),
        R"("eligibilityHash": )" + std::to_string(hash)}) {
    EXPECT_THAT(body, HasSubstr(field));
  }
  EXPECT_THAT(w.SentWithMethods(kLockPath), ElementsAre(std::string(kPut)));
  EXPECT_THAT(w.Logged("shutdown lock"), ElementsAre("3|Registered shutdown lock with jyx-login"));
  EXPECT_NE(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
  EXPECT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).puuid, kPuuid);
}

TEST_F(PartiesRegistrationTest, RegistrationFollowsTheFlagItsOverrideAndThePlatformId) {
  struct Case {
    const char* label;
    const char* removed;  // a resource of the world taken away before start
    std::function<void(PartiesWorld&)> after;
    std::size_t registrations;
    const char* logged;  // a line that must be logged, at level 0
  };
  const std::vector<Case> cases = {
      {"Parties/Enabled never set", "/jyx-platform-config/v1/namespaces/Parties/Enabled", nullptr,
       0, nullptr},
      {"the override of Parties/Enabled", "/jyx-platform-config/v1/namespaces/Parties/Enabled",
       [](PartiesWorld& w) {
         EXPECT_EQ(Registrations(w), 0u);
         const Host::RouteAnswer answer =
             w.Call("POST", "/jyx-lobby/v2/parties/overrides/Enabled?enabled=true");
         EXPECT_FALSE(answer.error.has_value());
       },
       1, nullptr},
      {"no platform id", "/jyx-platform-config/v1/namespaces/LoginDataPacket/platformId", nullptr,
       0, "Parties configuration not available ( PlatformId )"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PartiesWorld& w = Fresh();
    RemoveResource(w, c.removed);
    w.Start();
    if (c.after) c.after(w);
    EXPECT_EQ(Registrations(w), c.registrations);
    if (c.logged != nullptr) {
      EXPECT_THAT(w.Logged(c.logged), Contains(std::string("0|") + c.logged));
    }
    if (c.registrations == 0) {
      EXPECT_THAT(w.SentWithMethods(kLockPath), ElementsAre());
    }
  }
}

TEST_F(PartiesRegistrationTest, AFailedRegistrationEmptiesTheStateAndRetriesUntilOneSucceeds) {
  struct Case {
    const char* label;
    const char* configured;  // the interval's JSON; null: not configured
    double retry;
  };
  const std::vector<Case> cases = {
      {"configured 15", "15", 15.0},
      {"not configured", nullptr, 60.0},
      {"configured 0", "0", 60.0},
      {"configured -5", "-5", 60.0},
  };
  const std::string intervalPath = std::string(kConfig) + "RegistrationRetryInterval";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PartiesWorld& w = Fresh();
    if (c.configured != nullptr) {
      w.host_.SeedResource(intervalPath, c.configured);
    } else {
      RemoveResource(w, intervalPath);
    }
    w.Script("PUT", "v1/players/*", 500, "BROKEN");
    w.Start();
    ASSERT_EQ(Registrations(w), 1u);
    EXPECT_THAT(w.Logged("Parties registration failure"),
                ElementsAre("2|Parties registration failure: BROKEN"));
    EXPECT_THAT(w.Telemetry("parties-service"), Contains(HasSubstr("register_player")));
    EXPECT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
    EXPECT_TRUE(Lobby::PartiesBackendTesting::Player(w.Backend()).puuid.empty());
    EXPECT_THAT(w.SentWithMethods(kLockPath), ElementsAre());
    EXPECT_THAT(w.TimerDelays(kRegistrationRetryTimer), ElementsAre(DoubleNear(c.retry, 1e-6)));

    w.host_.Advance(c.retry - 1.0);
    EXPECT_EQ(Registrations(w), 1u);
    w.host_.Advance(1.0);
    EXPECT_EQ(Registrations(w), 2u);
    EXPECT_NE(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
    // The success ended the retries.
    w.host_.Advance(c.retry * 3);
    EXPECT_EQ(Registrations(w), 2u);
  }
}

TEST_F(PartiesRegistrationTest, ASessionWithoutSummonerDeregistersOutOfThePartyLobby) {
  struct Case {
    const char* label;
    const char* phase;
    bool deleteSent;
  };
  const std::vector<Case> cases = {{"in the lobby", "Lobby", true},
                                   {"in a game", "InProgress", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PartiesWorld& w = Fresh();
    w.AllowLobbies();
    w.Start();
    ASSERT_NE(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
    ASSERT_TRUE(w.Plugin().SetPartyLobbyActive(true));
    ASSERT_EQ(w.State(), "PartyLobby");
    w.SetPhase(c.phase);
    const std::size_t mark = w.PartiesMark();
    const std::size_t requests = w.Mark();
    const std::size_t logs = w.LogMark();
    w.host_.SetResource(
        kSessionPath,
        R"({"state":"SUCCEEDED","summonerId":0,"accountId":9001,"puuid":"puuid-stand-in"})");
    w.host_.RunDue();
    if (c.deleteSent) {
      EXPECT_THAT(w.PartiesSent(mark), ElementsAre("DELETE v1/players/puuid-stand-in"));
      EXPECT_THAT(w.Logged("Deleted parties registration", logs),
                  ElementsAre("3|Deleted parties registration for player puuid-stand-in"));
    } else {
      EXPECT_THAT(w.PartiesSent(mark), ElementsAre());
    }
    EXPECT_THAT(w.SentWithMethods(kLockPath, requests), ElementsAre(std::string(kDelete)));
    EXPECT_THAT(w.Logged("shutdown lock", logs),
                ElementsAre("3|Removed shutdown lock from jyx-login"));
    EXPECT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
    EXPECT_TRUE(Lobby::PartiesBackendTesting::Player(w.Backend()).puuid.empty());
    EXPECT_EQ(w.State(), "OutOfLobby");
  }
}

TEST_F(PartiesRegistrationTest, ThePreShutdownNoticeAndTheShutdownDeregister) {
  PartiesWorld& w = Fresh();
  w.host_.SeedResource("/zarnclient/pre-shutdown/begin", "{}");
  w.Start();
  ASSERT_NE(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
  std::size_t mark = w.PartiesMark();
  std::size_t requests = w.Mark();
  w.host_.SetResource("/zarnclient/pre-shutdown/begin", R"({"begun":true})");
  w.host_.RunDue();
  EXPECT_THAT(w.PartiesSent(mark), ElementsAre("DELETE v1/players/puuid-stand-in"));
  EXPECT_THAT(w.SentWithMethods(kLockPath, requests), ElementsAre(std::string(kDelete)));
  EXPECT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);

  // Registered again, then the host's shutdown: the service is out of reach by then.
  w.Backend().OnRegistrationInputChanged();
  ASSERT_NE(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
  mark = w.PartiesMark();
  requests = w.Mark();
  const std::size_t logs = w.LogMark();
  w.ShutDown();
  EXPECT_THAT(w.PartiesSent(mark), ElementsAre());
  EXPECT_THAT(w.Logged("Parties deregistration failure", logs),
              ElementsAre("2|Parties deregistration failure: Finalizing"));
  EXPECT_THAT(w.SentWithMethods(kLockPath, requests), ElementsAre(std::string(kDelete)));
  EXPECT_THAT(w.Logged("shutdown lock", logs),
              ElementsAre("3|Removed shutdown lock from jyx-login"));
}

TEST_F(PartiesRegistrationTest, ANewEligibilityHashIsSentWithTheStoredPlayer) {
  for (const bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "the update fails" : "the update succeeds");
    PartiesWorld& w = Fresh();
    w.Start();
    ASSERT_NE(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
    const std::uint64_t createdAt = Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt;
    const std::int64_t before = *w.Plugin().GetEligibilityRules().EligibilityHash();
    if (fails) w.Script("PUT", "v1/players/*", 500, "BROKEN");
    const std::size_t mark = w.PartiesMark();
    const std::size_t failures = w.Telemetry("parties-service").size();
    const std::size_t logs = w.LogMark();
    w.host_.SetResource("/jyx-leagues/v1/summoner-leagues/2046",
                        R"([{"queueType":"LADDER_SINGLE","leagueTier":"MIRVESK"}])");
    w.host_.RunDue();
    const std::int64_t after = *w.Plugin().GetEligibilityRules().EligibilityHash();
    ASSERT_NE(after, before);
    ASSERT_EQ(w.PartiesSent(mark), (Texts{"PUT v1/players/puuid-stand-in"}));
    const std::string& body = w.parties_.Records().back().body;
    EXPECT_THAT(body, HasSubstr(R"("eligibilityHash": )" + std::to_string(after)));
    EXPECT_THAT(body, HasSubstr(R"("createdAt": )" + std::to_string(createdAt)));
    EXPECT_THAT(body, HasSubstr(R"("currentParty": {)"));
    if (fails) {
      EXPECT_THAT(w.Logged("eligibility hash update", logs),
                  ElementsAre("2|Parties eligibility hash update failed: BROKEN"));
      EXPECT_EQ(w.Telemetry("parties-service").size(), failures);
      EXPECT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).eligibilityHash, before);
    } else {
      EXPECT_THAT(w.Logged("eligibility hash update", logs), ElementsAre());
      EXPECT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).eligibilityHash, after);
    }
  }
}

TEST_F(PartiesRegistrationTest, TheSettingsGiveTheDefaultPartyType) {
  struct Case {
    const char* settings;
    const char* type;
  };
  const std::vector<Case> cases = {
      {R"({"data":{"Parties":{"defaultPartyType":"open"}}})", "open"},
      {R"({"data":{"Parties":{"defaultPartyType":"closed"}}})", "closed"},
      {R"({"data":{"Parties":{"defaultPartyType":"CLOSED"}}})", "open"},
      {R"({"data":{"Parties":{"defaultPartyType":7}}})", "open"},
      {R"({"data":{}})", "open"},
  };
  PartiesWorld& w = Fresh();
  w.Start();
  EXPECT_EQ(PartiesLobbyBackendTesting::DefaultPartyType(w.Backend()), "closed");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    PartiesLobbyBackendTesting::DefaultPartyType(w.Backend()) = "unset";
    w.host_.SetResource("/jyx-settings/v1/account/parties-settings", c.settings);
    w.host_.RunDue();
    EXPECT_EQ(PartiesLobbyBackendTesting::DefaultPartyType(w.Backend()), c.type);
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
