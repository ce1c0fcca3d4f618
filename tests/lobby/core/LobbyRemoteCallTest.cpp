// The lobby's real service-proxy and legacy records through the stand-in host's service proxy
// and legacy platform.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/model/LcdsRecords.h"
#include "lobby/model/PartiesRecords.h"
#include "lobby/model/ServiceProxyRecords.h"
#include "sdk/runtime/LcdsCall.h"
#include "sdk/runtime/ServiceProxy.h"
#include "tests/lobby/core/LobbyBackendTesting.h"
#include "tests/sdk/base/FailureTesting.h"
#include "tests/sdk/binding/BindingPropertyTesting.h"
#include "tests/sdk/platform/SteadyClockTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using Zarn::Testing::Describe;
using Zarn::Testing::FailsWith;
using Raw = AppModule::ServiceProxyRawResponse;
using Timing = Host::ProxyScript::Timing;

constexpr const char* kUuidPath = "/jyx-login/v1/service-proxy-uuid-requests";
constexpr const char* kInvite = "com.zarnworks.platform.gameinvite.contract.";

class LobbyRemoteCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PluginLoadResult record{};
    record.major = 18;
    ASSERT_TRUE(LoadPlugin(&plugin_, &record, "jyx-lobby"));
    ASSERT_TRUE(plugin_.Initialize(&init_));
  }
  void TearDown() override { plugin_.Shutdown(); }

  static Host::PluginHost::Options Options() {
    Host::PluginHost::Options options;
    options.pluginPath = "/nonexistent";
    options.hostContext = Client::Testing::kTestHostContext;
    options.maxIdleYields = 50;
    return options;
  }
  void Script(Timing timing, std::string payload, std::string error = "", int yield = 1) {
    Host::ProxyScript script;
    script.timing = timing;
    script.yield = yield;
    script.reply.payload = std::move(payload);
    script.reply.error = std::move(error);
    proxy_.Script("parties", "getPlayer", script);
  }
  MaybeType<Failure, Raw> InvokeRaw() {
    return ServiceProxy::InvokeAndAwait<Raw>(plugin_, "parties", "getPlayer", payload_);
  }

  Host::PluginHost host_{Options()};
  Host::LegacyPlatform legacy_{host_};
  Host::ServiceProxyService proxy_{host_};
  Client::Testing::VirtualClock clock_{&host_.Scheduler()};
  Platform::ScopedSteadyClockSource clockSource_{&Client::Testing::VirtualClock::Read, &clock_};
  PluginHostInit init_{host_.Table(), Client::Testing::kTestHostContext};
  LobbyPlugin plugin_{std::make_unique<Testing::FakeComponentFactory>()};
  ServiceProxyPayload payload_{"PUT", "/parties/v1/players/p1", R"({"ready":true})"};
};

constexpr const char* kPlayer =
    R"({"puuid":"p1","platformId":"XEM1","accountId":7,"summonerId":9,)"
    R"("parties":[{"puuid":"p1","partyId":"party-1","summonerId":9,"ready":true},)"
    R"({"puuid":"p1","partyId":"party-2","summonerId":9}]})";

TEST_F(LobbyRemoteCallTest, APayloadRecordTravelsAsJsonTextAndItsRepliesComplete) {
  struct Case {
    const char* label;
    Timing timing;
    const char* payload;
    const char* error;
    std::string failure;  // empty: completes with the payload
  };
  const std::vector<Case> cases = {
      {"a reply on a later yield", Timing::OnYield, R"({"puuid":"p1"})", "", ""},
      {"a reply with an error", Timing::OnYield, R"({"puuid":"p1"})", "404 no such player",
       "404 no such player"},
      {"an error during the POST", Timing::DuringPost, "", "503 parties unavailable",
       "503 parties unavailable"},
      {"a reply that is not JSON", Timing::OnYield, "{oops", "",
       "Failed to deserialize response payload \"{oops\" to a class Zarn::BindingProperty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Script(c.timing, c.payload, c.error, 2);
    const std::size_t before = proxy_.Requests().size();
    MaybeType<Failure, Raw> raw = InvokeRaw();
    ASSERT_EQ(proxy_.Requests().size(), before + 1);
    const Host::ProxyRequest& request = proxy_.Requests().back();
    EXPECT_EQ(request.service, "parties");
    EXPECT_EQ(request.method, "getPlayer");
    EXPECT_EQ(request.payload,
              R"({"body":"{\"ready\":true}","method":"PUT","url":"/parties/v1/players/p1"})");
    EXPECT_EQ(host_.Records().requests.back().path, kUuidPath);
    if (!c.failure.empty()) {
      EXPECT_THAT(raw, FailsWith(0, c.failure));
      continue;
    }
    ASSERT_TRUE(raw.HasValue()) << raw.Message();
    EXPECT_EQ(Describe(raw->payload), "{puuid:\"p1\"}");
  }
}

TEST_F(LobbyRemoteCallTest, PlayerMessagesReachTheHandlerConvertedFromTheScheduledCallback) {
  std::vector<Api::PlayerDto> players;
  plugin_.SubscribeServiceProxyAsync<Api::PlayerDto>(
      "parties", "playerChanged", [&](const Api::PlayerDto& player) { players.push_back(player); });
  EXPECT_EQ(host_.Records().requests.back().path,
            "/jyx-login/v1/service-proxy-async-requests/parties/playerChanged");

  proxy_.SendAsyncEvent("parties", "playerChanged", Host::ProxyMessage{kPlayer, "", ""});
  EXPECT_TRUE(players.empty()) << "the handler ran inside the event";
  host_.RunDue();
  ASSERT_EQ(players.size(), 1u);
  const Api::PlayerDto& player = players[0];
  EXPECT_EQ(player.puuid, "p1");
  EXPECT_EQ(player.platformId, "XEM1");
  EXPECT_EQ(player.accountId, 7u);
  EXPECT_EQ(player.summonerId, 9u);
  EXPECT_FALSE(player.currentParty.has_value());
  ASSERT_TRUE(player.parties.has_value());
  ASSERT_EQ(player.parties->size(), 2u);
  EXPECT_EQ((*player.parties)[0].partyId, "party-1");
  EXPECT_EQ((*player.parties)[0].ready, std::optional<bool>(true));
  EXPECT_EQ((*player.parties)[1].partyId, "party-2");
  EXPECT_FALSE((*player.parties)[1].ready.has_value());

  // Not JSON, a field of the wrong kind, parties that are not a list: dropped.
  for (const char* payload : {"{broken", R"({"puuid":"p2","accountId":"seven"})",
                              R"({"puuid":"p3","parties":{"partyId":"x"}})"}) {
    SCOPED_TRACE(payload);
    proxy_.SendAsyncEvent("parties", "playerChanged", Host::ProxyMessage{payload, "", ""});
    host_.RunDue();
    EXPECT_EQ(players.size(), 1u);
  }
}

TEST_F(LobbyRemoteCallTest, ALegacyRecordReplyIsAcceptedOnlyWithItsOwnClass) {
  struct Case {
    const char* label;
    const char* method;
    std::string answerClass;
    std::string failure;  // empty: accepted
  };
  const std::string status = std::string(kInvite) + "LobbyStatus";
  const std::string invitation = std::string(kInvite) + "InvitationRequest";
  const std::vector<Case> cases = {
      {"status as status", "getLobbyStatus", status, ""},
      {"invitation as status", "getLobbyStatus", invitation,
       "Expected '" + status +
           "' as LCDS response for lcdsGameInvitationService.getLobbyStatus, "
           "but got '" +
           invitation + "'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Host::LcdsAnswer answer;
    answer.typeName = c.answerClass;
    answer.body = R"({"invitationId":"inv-1","owner":{"summonerId":5,"summonerName":"Ann"},)"
                  R"("members":[{"summonerId":5}],"invitees":[]})";
    legacy_.Script("lcdsGameInvitationService", c.method, answer);
    MaybeType<Failure, LCDS::LobbyStatus> got =
        plugin_.LcdsCallSync<LCDS::LobbyStatus>("lcdsGameInvitationService", c.method);
    if (!c.failure.empty()) {
      ASSERT_FALSE(got.HasValue());
      EXPECT_EQ(std::string(got.Message()), c.failure);
      continue;
    }
    ASSERT_TRUE(got.HasValue()) << got.Message();
    EXPECT_EQ(got->invitationId, "inv-1");
    EXPECT_EQ(got->owner.summonerName, "Ann");
    ASSERT_EQ(got->members.size(), 1u);
    EXPECT_EQ(got->members[0].summonerId, 5u);
  }

  Host::LcdsAnswer answer;
  answer.typeName = invitation;
  answer.body =
      R"({"invitationId":"inv-2","inviter":{"summonerId":8},"invitationState":"ON_HOLD"})";
  legacy_.Script("lcdsGameInvitationService", "accept", answer);
  MaybeType<Failure, LCDS::InvitationRequest> request =
      plugin_.LcdsCallSync<LCDS::InvitationRequest>("lcdsGameInvitationService", "accept",
                                                    std::string("inv-2"));
  ASSERT_TRUE(request.HasValue()) << request.Message();
  EXPECT_EQ(request->invitationId, "inv-2");
  EXPECT_EQ(request->inviter.summonerId, 8u);
  EXPECT_EQ(request->invitationState, LCDS::InvitationState::ON_HOLD);
}

}  // namespace
}  // namespace Zarn::Client::Lobby
