// The parties client in the plugin, in-process on the stand-in host's table, talking to the
// host's simulated parties service through its service proxy.
#include "lobby/backends/PartiesServiceClient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "lobby/core/LobbyPlugin.h"
#include "sdk/runtime/ResourceObservation.h"
#include "sdk/runtime/ServiceProxy.h"
#include "tests/lobby/backends/PartiesHostTesting.h"
#include "tests/lobby/backends/PartiesServiceClientTesting.h"
#include "tests/sdk/base/FailureTesting.h"
#include "tests/sdk/base/MemoryTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using ::testing::HasSubstr;
using Zarn::Testing::FailsWith;
using namespace PartiesTesting;

constexpr int64_t kMillis = 1'000'000;

class PartiesServiceClientTest : public PartiesTesting::PartiesHostTest {
 protected:
  void SetUp() override {
    PartiesHostTest::SetUp();
    client_.Attach(plugin_, "parties.service", "proxy");
  }

  MaybeType<Failure, Api::PlayerDto> FetchPlayer() {
    return client_.SendRequest("GET", "v1/players/puuid-a", BindingProperty());
  }
  [[nodiscard]] std::vector<std::string> AwaitEvents() const {
    return Events("parties-service-proxy-await");
  }

  PartiesServiceClient client_;
};

TEST_F(PartiesServiceClientTest, EveryRowOfThePartiesTableArrivesByteForByte) {
  const std::vector<Row> rows = PartiesTable();
  ASSERT_EQ(rows.size(), 24u);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.operation);
    const std::string url = Fill(row.path, row.fill);
    const std::string reply = row.wrapperAndReply;
    const std::size_t before = parties_.Records().size();
    bool transported = true;  // the proxy carried it and the envelope was read
    const auto check = [&](const Failure* failure) {
      transported = failure == nullptr || failure->Code() != 0;
    };
    std::visit(
        [&](const auto& body) {
          using T = std::decay_t<decltype(body)>;
          if constexpr (std::is_same_v<T, bool>) {
            if (reply.find("AmbassadorMessage") != std::string::npos) {
              check(Zarn::Testing::FailureOf(client_.SendBoolRequestRaw(row.method, url, body)));
            } else {
              check(Zarn::Testing::FailureOf(client_.SendBoolRequest(row.method, url, body)));
            }
          } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
            check(Zarn::Testing::FailureOf(client_.SendStatusRequest(row.method, url, body)));
          } else if (reply == "Send, none") {
            check(Zarn::Testing::FailureOf(client_.SendStatusRequest(row.method, url, body)));
          } else if constexpr (std::is_same_v<T, BindingProperty>) {
            if (reply == "Send, string" || std::string(row.operation) == "HandleGetHealth") {
              check(Zarn::Testing::FailureOf(client_.SendTextRequest(row.method, url, body)));
            } else {
              check(Zarn::Testing::FailureOf(client_.SendRequest(row.method, url, body)));
            }
          } else {
            check(Zarn::Testing::FailureOf(client_.SendRequest(row.method, url, body)));
          }
        },
        row.body);
    EXPECT_TRUE(transported);
    ASSERT_EQ(parties_.Records().size(), before + 1);
    const Host::PartiesRecord& got = parties_.Records().back();
    EXPECT_EQ(got.method, row.method);
    EXPECT_EQ(got.url, url);
    EXPECT_EQ(got.body, row.bodyText);
  }
}

TEST_F(PartiesServiceClientTest, RepliesConvertByTheirReading) {
  struct Case {
    const char* label;
    Kind kind;
    int32_t status;
    const char* code;
    int32_t playerCode;  // the player and text readings' failure (0 with playerText)
    std::string playerText;
    std::optional<std::pair<int32_t, std::string>> statusFailure;  // none: status-only passes
  };
  const std::vector<Case> cases = {
      {"empty payload", Kind::EmptyPayload, 0, "", 503, "SERVICE_UNAVAILABLE",
       std::make_pair(503, std::string("SERVICE_UNAVAILABLE"))},
      {"no envelope", Kind::NotEnvelope, 0, "", 500,
       "AMBASSADOR_MESSAGE_PAYLOAD_DESERIALIZATION_FAILURE",
       std::make_pair(500, std::string("AMBASSADOR_MESSAGE_PAYLOAD_DESERIALIZATION_FAILURE"))},
      {"201 with a code", Kind::Status, 201, "CREATED_LATER", 201, "CREATED_LATER", std::nullopt},
      {"201 without a code", Kind::Status, 201, "", 201, "UNKNOWN", std::nullopt},
      {"404", Kind::Status, 404, "PLAYER_NOT_FOUND", 404, "PLAYER_NOT_FOUND",
       std::make_pair(404, std::string("PLAYER_NOT_FOUND"))},
      {"a negative status", Kind::Status, -200, "", -200, "UNKNOWN",
       std::make_pair(-200, std::string("UNKNOWN"))},
      {"the proxy's error text", Kind::ProxyError, 0, "503 parties are down", 0,
       "503 parties are down", std::make_pair(0, std::string("503 parties are down"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Script("v1/players/*", c.kind, c.status, c.code);
    EXPECT_THAT(FetchPlayer(), FailsWith(c.playerCode, c.playerText));
    Script("comms/v1/parties/*/members/*/token", c.kind, c.status, c.code);
    EXPECT_THAT(client_.SendTextRequest("GET", "comms/v1/parties/party-1/members/puuid-a/token",
                                        BindingProperty()),
                FailsWith(c.playerCode, c.playerText));
    Script("v1/parties/*/bulkInvite", c.kind, c.status, c.code);
    const MaybeType<Failure, void> status = client_.SendStatusRequest(
        "POST", "v1/parties/party-1/bulkInvite", std::vector<std::string>{"puuid-b"});
    if (c.statusFailure) {
      EXPECT_THAT(status, FailsWith(c.statusFailure->first, c.statusFailure->second));
    } else {
      EXPECT_TRUE(status.HasValue()) << status.Message();
    }
  }

  // A 200 whose payload is no player: logged with the payload, then a failure of its own.
  for (const bool text : {false, true}) {
    SCOPED_TRACE(text ? "text reading" : "player reading");
    host_.ClearRecords();
    Script("v1/players/*", Kind::NotPlayer);
    const Failure* failure = nullptr;
    MaybeType<Failure, Api::PlayerDto> player = FetchPlayer();
    MaybeType<Failure, std::string> token;
    if (text) {
      Script("v1/health", Kind::NotPlayer);
      token = client_.SendTextRequest("GET", "v1/health", BindingProperty());
      failure = Zarn::Testing::FailureOf(token);
    } else {
      failure = Zarn::Testing::FailureOf(player);
    }
    ASSERT_NE(failure, nullptr);
    EXPECT_THAT(*failure, FailsWith(500, "SERVICE_PROXY_RESULT_DESERIALIZATION_FAILURE"));
    bool logged = false;
    for (const Host::LogLine& line : host_.Records().logs) {
      if (line.message.find("Service proxy message conversion error") == std::string::npos) {
        continue;
      }
      logged = true;
      EXPECT_EQ(line.level, 2u);
      EXPECT_THAT(line.message, HasSubstr(": [\"no player\"]"));
    }
    EXPECT_TRUE(logged);
  }

  // The service's own answers read as they should.
  MaybeType<Failure, Api::PlayerDto> player = FetchPlayer();
  ASSERT_TRUE(player.HasValue()) << player.Message();
  EXPECT_EQ(player->puuid, "puuid-a");
  ASSERT_TRUE(player->currentParty.has_value());
  EXPECT_EQ(player->currentParty->partyId, "party-1");
  parties_.SetHealth("degraded");
  EXPECT_THAT(client_.SendTextRequest("GET", "/v1/health", BindingProperty()),
              Zarn::Testing::HoldsValue(std::string("degraded")));
}

TEST_F(PartiesServiceClientTest, ADisabledClientSendsNothingAndSamplesNothing) {
  PartiesServiceClientTesting::SamplingPercentage(client_).Set(100.0);
  client_.SetEnabled(false);
  const std::size_t proxied = proxy_.Requests().size();
  EXPECT_THAT(FetchPlayer(), FailsWith(500, "SERVICE_DISABLED"));
  EXPECT_THAT(client_.SendBoolRequestRaw("PUT", "v1/parties/party-1/activityLocked", true),
              FailsWith(500, "SERVICE_DISABLED"));
  EXPECT_EQ(proxy_.Requests().size(), proxied);
  EXPECT_TRUE(AwaitEvents().empty());
  client_.SetEnabled(true);
  EXPECT_TRUE(FetchPlayer().HasValue());
  EXPECT_EQ(AwaitEvents().size(), 1u);
}

TEST_F(PartiesServiceClientTest, AwaitsAreSampledByThePercentageWithTheirDelay) {
  // None at 0.0.
  PartiesServiceClientTesting::SamplingPercentage(client_).Set(0.0);
  Script("v1/players/*", Kind::Status, 500, "BOOM");
  EXPECT_THAT(FetchPlayer(), FailsWith(500, "BOOM"));
  EXPECT_TRUE(FetchPlayer().HasValue());
  EXPECT_TRUE(AwaitEvents().empty());

  // One per call sent at 100.0, failures included; the delay is the wall clock's.
  PartiesServiceClientTesting::SamplingPercentage(client_).Set(100.0);
  Script("v1/players/*", Kind::Status, 500, "BOOM", Timing::OnYield, 1);
  host_.OnYield(1, [this] { wallSkew_ += 250 * kMillis; });
  EXPECT_THAT(FetchPlayer(), FailsWith(500, "BOOM"));
  EXPECT_TRUE(FetchPlayer().HasValue());
  EXPECT_THAT(AwaitEvents(),
              ::testing::ElementsAre(R"({"delayMillis":"250"})", R"({"delayMillis":"0"})"));

  // A wall clock set back during the wait gives no negative delay.
  Script("v1/players/*", Kind::Normal, 0, "", Timing::OnYield, 1);
  host_.OnYield(1, [this] { wallSkew_ -= 100 * kMillis; });
  EXPECT_TRUE(FetchPlayer().HasValue());
  EXPECT_EQ(AwaitEvents().back(), R"({"delayMillis":"0"})");

  // In between, the draw decides.
  PartiesServiceClientTesting::SamplingPercentage(client_).Set(50.0);
  for (const double drawn : {0.49, 0.5}) {
    SCOPED_TRACE(drawn);
    PartiesServiceClientTesting::Draw(client_) = [drawn] { return drawn; };
    const std::size_t before = AwaitEvents().size();
    EXPECT_TRUE(FetchPlayer().HasValue());
    EXPECT_EQ(AwaitEvents().size(), before + (drawn < 0.5 ? 1 : 0));
  }
}

TEST_F(PartiesServiceClientTest, ARequestStartedDuringAnotherWaitIsSentAtOnceAndEachGetsItsReply) {
  struct Case {
    const char* label;
    Timing secondTiming;
    int secondYield;
  };
  const std::vector<Case> cases = {
      {"the second answered first", Timing::DuringPost, 1},
      {"the first answered while the second waits", Timing::OnYield, 3},
  };
  parties_.SetHealth("fine");
  std::optional<MaybeType<Failure, std::string>> second;
  std::size_t sentWhenStarted = 0;
  // The second starts from the handler of an event delivered at the first's first yield.
  plugin_.ObserveResource<BindingProperty>(
      "/test/v1/poke", [&](const ResourceUpdate<BindingProperty>&) {
        sentWhenStarted = parties_.Records().size();
        second = client_.SendTextRequest("GET", "v1/health", BindingProperty());
      });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    parties_.ClearRecords();
    Script("v1/players/*", Kind::Normal, 0, "", Timing::OnYield, 2);
    Script("v1/health", Kind::Normal, 0, "", c.secondTiming, c.secondYield);
    second.reset();
    host_.OnYield(1, [&] { host_.SetResource("/test/v1/poke", "{}"); });
    MaybeType<Failure, Api::PlayerDto> first = FetchPlayer();
    EXPECT_EQ(sentWhenStarted, 1u);
    ASSERT_EQ(parties_.Records().size(), 2u);
    EXPECT_EQ(parties_.Records()[1].url, "v1/health");
    ASSERT_TRUE(first.HasValue()) << first.Message();
    EXPECT_EQ(first->puuid, "puuid-a");
    ASSERT_TRUE(second.has_value());
    EXPECT_THAT(*second, Zarn::Testing::HoldsValue(std::string("fine")));
  }
}

TEST_F(PartiesServiceClientTest, ChangesReachThePluginAsNotificationsOrPlayerMessages) {
  std::vector<ResourceUpdate<Api::ZarnMessagingServiceMessage>> notifications;
  plugin_.ObserveResource<Api::ZarnMessagingServiceMessage>(
      Host::kPartiesNotificationsPath,
      [&](const ResourceUpdate<Api::ZarnMessagingServiceMessage>& update) {
        notifications.push_back(update);
      });
  std::vector<Api::PlayerDto> messages;
  plugin_.SubscribeServiceProxyAsync<Api::PlayerDto>(
      "parties", "player", [&](const Api::PlayerDto& player) { messages.push_back(player); });
  const auto envelope = [&](const std::string& text) {
    Api::PartyNotificationEnvelopeDto read;
    BindingResult parsed = ParseJson(text);
    EXPECT_TRUE(parsed.IsOk());
    EXPECT_TRUE(ReadRequiredValue(read, parsed.Value(), *plugin_.Registry())) << text;
    return read;
  };

  // Nothing while pushing is off.
  ASSERT_EQ(parties_.Invite("puuid-b", "puuid-a").httpStatus, 200);
  host_.RunDue();
  EXPECT_TRUE(notifications.empty());
  EXPECT_TRUE(messages.empty());

  // Another player's invitation, as a notification of the messaging service.
  parties_.SetPush(Host::PartiesPush::Notification);
  ASSERT_EQ(parties_.Invite("puuid-b", "puuid-a").httpStatus, 200);
  host_.RunDue();
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_EQ(notifications[0].eventType, PluginResourceEventType::Update);
  Api::PartyNotificationEnvelopeDto invited = envelope(notifications[0].value.payload);
  ASSERT_TRUE(invited.player.has_value());
  EXPECT_FALSE(invited.queueRestriction.has_value());
  ASSERT_TRUE(invited.player->parties.has_value());
  const auto& memberships = *invited.player->parties;
  ASSERT_EQ(memberships.size(), 2u);
  const Api::PartyMemberDto& invitation =
      memberships[0].partyId == "party-2" ? memberships[0] : memberships[1];
  EXPECT_EQ(invitation.role, Api::PartyMemberRoleEnum::INVITED);
  EXPECT_EQ(invitation.invitedBySummonerId, std::optional<uint64_t>(10));

  // The plugin's own accepting, as an asynchronous player message.
  parties_.SetPush(Host::PartiesPush::Message);
  MaybeType<Failure, Api::PlayerDto> joined =
      client_.SendRequest("PUT", "v1/parties/party-2/members/puuid-a/role", std::string("MEMBER"));
  ASSERT_TRUE(joined.HasValue()) << joined.Message();
  host_.RunDue();
  ASSERT_EQ(messages.size(), 1u);
  ASSERT_TRUE(messages[0].currentParty.has_value());
  EXPECT_EQ(messages[0].currentParty->partyId, "party-2");
  EXPECT_EQ(messages[0].version, joined->version);
  EXPECT_EQ(notifications.size(), 1u);

  // The leader leaves: the plugin's player leads what is left.
  ASSERT_EQ(parties_.Leave("puuid-b").httpStatus, 200);
  host_.RunDue();
  ASSERT_EQ(messages.size(), 2u);
  ASSERT_EQ(messages[1].currentParty->players.size(), 1u);
  EXPECT_EQ(messages[1].currentParty->players[0].role, Api::PartyMemberRoleEnum::LEADER);
  EXPECT_GT(messages[1].version, messages[0].version);

  // A queue restriction always comes as a notification.
  ASSERT_TRUE(parties_.PushQueueRestriction(
      R"({"gatekeeperRestrictions":[{"accountId":7,"reason":"QUEUE_DODGER",)"
      R"("remainingMillis":60000,"payload":"","queueId":420}]})"));
  host_.RunDue();
  ASSERT_EQ(notifications.size(), 2u);
  Api::PartyNotificationEnvelopeDto restricted = envelope(notifications[1].value.payload);
  EXPECT_FALSE(restricted.player.has_value());
  ASSERT_TRUE(restricted.queueRestriction.has_value());
  ASSERT_EQ(restricted.queueRestriction->gatekeeperRestrictions.size(), 1u);
  EXPECT_EQ(restricted.queueRestriction->gatekeeperRestrictions[0].reason, "QUEUE_DODGER");
}

TEST_F(PartiesServiceClientTest, AThousandRequestsLeaveTheAllocatorWhereItWas) {
  PartiesServiceClientTesting::SamplingPercentage(client_).Set(100.0);
  const auto round = [this](int i) {
    if (i % 2 == 1) Script("v1/players/*", Kind::Status, 404, "PLAYER_NOT_FOUND");
    MaybeType<Failure, Api::PlayerDto> player = FetchPlayer();
    EXPECT_EQ(player.HasValue(), i % 2 == 0) << i;
    host_.ClearRecords();
    proxy_.ClearRequests();
    parties_.ClearRecords();
  };
  for (int i = 0; i < 20; ++i) round(i);
  const auto before = Zarn::Testing::CounterValues::ReadProcess();
  for (int i = 0; i < 1000; ++i) round(i);
  const auto delta = Zarn::Testing::CounterValues::ReadProcess() - before;
  EXPECT_GT(delta.allocations, 1000u);
  EXPECT_EQ(delta.bytesAllocated, delta.bytesFreed);
}

}  // namespace
}  // namespace Zarn::Client::Lobby
