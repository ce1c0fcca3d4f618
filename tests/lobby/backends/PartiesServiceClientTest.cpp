// The parties client in the plugin, in-process on the stand-in host's table, talking to the
// host's simulated parties service through its service proxy.
#include "lobby/backends/PartiesServiceClient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "host/PartiesService.h"
#include "host/PluginClock.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"
#include "lobby/core/LobbyBackendTesting.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/base/FailureTesting.h"
#include "sdk/base/MemoryTesting.h"
#include "sdk/platform/SteadyClockTesting.h"
#include "sdk/platform/WallClockTesting.h"
#include "sdk/runtime/ResourceObservation.h"
#include "sdk/runtime/ServiceProxy.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using ::testing::HasSubstr;
using Zarn::Testing::FailsWith;
using Kind = Host::PartiesScript::Kind;
using Timing = Host::ProxyScript::Timing;

constexpr int64_t kMillis = 1'000'000;

// Lines joined as the client writes them.
std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

// `path` with "%1" and "%2" filled in order.
std::string Fill(std::string path, const std::vector<std::string>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string mark = "%" + std::to_string(i + 1);
    path.replace(path.find(mark), mark.size(), values[i]);
  }
  return path;
}

Api::PlayerDto Identity(int64_t eligibilityHash) {
  Api::PlayerDto player;
  player.puuid = "puuid-a";
  player.platformId = "EUW1";
  player.accountId = 7;
  player.summonerId = 9;
  player.eligibilityHash = eligibilityHash;
  return player;
}

std::string IdentityText(int64_t eligibilityHash) {
  return Lines({"{", "    \"accountId\": 7,", "    \"accountToken\": null,",
                "    \"createdAt\": 0,", "    \"currentParty\": null,",
                "    \"eligibilityHash\": " + std::to_string(eligibilityHash) + ",",
                "    \"inventoryToken\": null,", "    \"leaguesToken\": null,",
                "    \"parties\": null,", "    \"platformId\": \"EUW1\",",
                "    \"puuid\": \"puuid-a\",", "    \"serverUtcMillis\": 0,",
                "    \"summonerId\": 9,", "    \"summonerToken\": null,", "    \"version\": 0",
                "}"});
}

Api::GameModeDto GameMode(int32_t queueId, int32_t maxPartySize) {
  Api::GameModeDto mode;
  mode.queueId = queueId;
  mode.maxPartySize = maxPartySize;
  return mode;
}

std::string GameModeText(int32_t queueId, int32_t maxPartySize) {
  return Lines({"{", "    \"botDifficulty\": null,", "    \"gameType\": \"\",",
                "    \"maxPartySize\": " + std::to_string(maxPartySize) + ",",
                "    \"queueId\": " + std::to_string(queueId), "}"});
}

using Body = std::variant<Api::GameModeDto, Api::PartyMemberMetadataDto, std::string,
                          BindingProperty, bool, Api::PlayerDto, std::vector<std::string>>;

// One request of the parties table, all seven columns, with the body text it must arrive as.
struct Row {
  const char* operation;
  const char* method;
  const char* path;
  std::vector<std::string> fill;
  const char* action;  // "" where the row names none
  Body body;
  const char* wrapperAndReply;
  std::string bodyText;
};

std::vector<Row> PartiesTable() {
  const std::vector<std::string> party = {"party-1"};
  const std::vector<std::string> self = {"party-1", "puuid-a"};
  const std::vector<std::string> member = {"party-1", "puuid-b"};
  Api::PartyMemberMetadataDto metadata;
  metadata.positionPref = {"TOP", "UTILITY"};
  const std::string metadataText = Lines(
      {"{", "    \"positionPref\": [", "        \"TOP\",", "        \"UTILITY\"", "    ]", "}"});
  const auto text = [](const char* role) { return std::string("\"") + role + "\""; };
  return {
      {"ChangeLobby", "PUT", "/v1/parties/%1/gamemode", party, "set game mode", GameMode(440, 5),
       "RoR, PlayerDto", GameModeText(440, 5)},
      {"HandlePutQueue", "PUT", "/v1/parties/%1/gamemode", party, "set game mode", GameMode(420, 0),
       "Req, PlayerDto", GameModeText(420, 0)},
      {"HandlePutMetadata", "PUT", "/v1/parties/%1/members/%2/metadata", self, "set metadata",
       metadata, "Req, PlayerDto", metadataText},
      {"HandlePutRole", "PUT", "/v1/parties/%1/members/%2/role", member, "set role",
       std::string("MEMBER"), "Req, PlayerDto", text("MEMBER")},
      {"KickMember", "PUT", "/v1/parties/%1/members/%2/role", member, "kick member",
       std::string("KICKED"), "Req", text("KICKED")},
      {"LeaveLobby", "PUT", "/v1/parties/%1/members/%2/role", self, "leave party",
       std::string("DECLINED"), "Req, then re-register on failure", text("DECLINED")},
      {"PromoteMember", "PUT", "/v1/parties/%1/members/%2/role", member, "promote member",
       std::string("LEADER"), "Req", text("LEADER")},
      {"SetRoleRequest",
       "PUT",
       "v1/parties/%1/members/%2/role",
       {"party-2", "puuid-a"},
       "accepted invitation",
       std::string("MEMBER"),
       "RoR, PlayerDto",
       text("MEMBER")},
      {"SetPartyTypeRequest", "PUT", "/v1/parties/%1/partytype", party, "set partytype",
       std::string("open"), "Req, then re-register on failure", text("open")},
      {"SetCanInvite", "PUT", "/v1/parties/%1/members/%2/canInvite", member, "set canInvite", true,
       "Req", "true"},
      {"SetReadyRequest", "PUT", "/v1/parties/%1/members/%2/ready", self, "set ready", true, "Req",
       "true"},
      {"HandlePutActive", "PUT", "/v1/parties/%1/activityLocked", party, "set activity", false,
       "Req", "false"},
      {"StartMatchmaking", "PUT", "v1/parties/%1/activityLocked", party, "activity_locked", true,
       "Send, AmbassadorMessage", "true"},
      {"CancelMatchmaking", "PUT", "v1/parties/%1/activityLocked", party, "cancel matchmaking",
       false, "RoR", "false"},
      {"JoinClashParty",
       "POST",
       "/v1/clash-parties/join",
       {},
       "join clash party",
       std::string("clash-7"),
       "Req, then re-register on failure",
       text("clash-7")},
      {"ProcessEnteredGame", "POST", "/v1/parties/%1/enteredGame", party, "process entered game",
       BindingProperty(), "RoR", ""},
      {"OnResumeActivityResponse", "POST", "/v1/parties/%1/resumeActivity", party,
       "resume activity", BindingProperty(), "RoR", ""},
      {"HandleGetHealth", "GET", "v1/health", {}, "get health", BindingProperty(), "RoR", ""},
      {"FetchPartiesState",
       "GET",
       "v1/players/%1",
       {"puuid-a"},
       "fetchPartiesState",
       BindingProperty(),
       "Req, then re-register on failure",
       ""},
      {"RegisterPlayer",
       "PUT",
       "v1/players/%1",
       {"puuid-a"},
       "register_player",
       Identity(42),
       "Send, PlayerDto",
       IdentityText(42)},
      {"UpdateEligibilityHash",
       "PUT",
       "v1/players/%1",
       {"puuid-a"},
       "",
       Identity(43),
       "Send, PlayerDto",
       IdentityText(43)},
      {"DeregisterPlayer",
       "DELETE",
       "v1/players/%1",
       {"puuid-a"},
       "deregister_player",
       BindingProperty(),
       "Send, none",
       ""},
      {"SendInvitations", "POST", "v1/parties/%1/bulkInvite", party, "bulk_invite",
       std::vector<std::string>{"puuid-b"}, "Send, none", Lines({"[", "    \"puuid-b\"", "]"})},
      {"HandleGetCommsToken", "GET", "comms/v1/parties/%1/members/%2/token", self, "get_comms_jwt",
       BindingProperty(), "Send, string", ""},
  };
}

class PartiesServiceClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PluginLoadResult record{};
    record.major = 18;
    ASSERT_TRUE(LoadPlugin(&plugin_, &record, "jyx-lobby"));
    ASSERT_TRUE(plugin_.Initialize(&init_));
    client_.serviceName = "parties.service";
    client_.methodName = "proxy";
    client_.plugin = &plugin_;
    AddPlayer("puuid-a", 9);
    AddPlayer("puuid-b", 10);
    parties_.SetLocalPlayer("puuid-a");
  }
  void TearDown() override { plugin_.Shutdown(); }

  void AddPlayer(const std::string& puuid, uint64_t summonerId) {
    Host::PartiesPlayer player;
    player.puuid = puuid;
    player.platformId = "EUW1";
    player.summonerId = summonerId;
    ASSERT_TRUE(parties_.AddPlayer(player));
  }
  void Script(const std::string& path, Kind kind, int32_t status = 500, std::string code = "",
              Timing timing = Timing::DuringPost, int yield = 1) {
    Host::PartiesScript script;
    script.path = path;
    script.kind = kind;
    script.httpStatus = status;
    script.errorCode = std::move(code);
    script.timing = timing;
    script.yield = yield;
    parties_.AddScript(script);
  }
  MaybeType<Failure, Api::PlayerDto> FetchPlayer() {
    return client_.SendRequest("GET", "v1/players/puuid-a", BindingProperty());
  }
  [[nodiscard]] std::vector<std::string> AwaitEvents() const {
    std::vector<std::string> events;
    for (const Host::TelemetryEvent& event : host_.Records().telemetry) {
      if (event.name == "parties-service-proxy-await") events.push_back(event.arguments.at(0));
    }
    return events;
  }
  static int64_t ReadWall(void* context) {
    auto* test = static_cast<PartiesServiceClientTest*>(context);
    return Host::kPluginWallClockStart + test->host_.Scheduler().Now() + test->wallSkew_;
  }
  static Host::PluginHost::Options Options() {
    Host::PluginHost::Options options;
    options.pluginPath = "/nonexistent";
    options.hostContext = Client::Testing::kTestHostContext;
    options.maxIdleYields = 50;
    return options;
  }

  Host::PluginHost host_{Options()};
  Host::ServiceProxyService proxy_{host_};
  Host::PartiesService parties_{host_, proxy_};
  Client::Testing::VirtualClock clock_{&host_.Scheduler()};
  Platform::ScopedSteadyClockSource clockSource_{&Client::Testing::VirtualClock::Read, &clock_};
  int64_t wallSkew_ = 0;
  Platform::ScopedWallClockSource wallSource_{&ReadWall, this};
  PluginHostInit init_{host_.Table(), Client::Testing::kTestHostContext};
  LobbyPlugin plugin_{std::make_unique<Client::Testing::FakeComponentFactory>()};
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
  client_.samplingPercentage.Set(100.0);
  client_.enabled = false;
  const std::size_t proxied = proxy_.Requests().size();
  EXPECT_THAT(FetchPlayer(), FailsWith(500, "SERVICE_DISABLED"));
  EXPECT_THAT(client_.SendBoolRequestRaw("PUT", "v1/parties/party-1/activityLocked", true),
              FailsWith(500, "SERVICE_DISABLED"));
  EXPECT_EQ(proxy_.Requests().size(), proxied);
  EXPECT_TRUE(AwaitEvents().empty());
  client_.enabled = true;
  EXPECT_TRUE(FetchPlayer().HasValue());
  EXPECT_EQ(AwaitEvents().size(), 1u);
}

TEST_F(PartiesServiceClientTest, AwaitsAreSampledByThePercentageWithTheirDelay) {
  // None at 0.0.
  client_.samplingPercentage.Set(0.0);
  Script("v1/players/*", Kind::Status, 500, "BOOM");
  EXPECT_THAT(FetchPlayer(), FailsWith(500, "BOOM"));
  EXPECT_TRUE(FetchPlayer().HasValue());
  EXPECT_TRUE(AwaitEvents().empty());

  // One per call sent at 100.0, failures included; the delay is the wall clock's.
  client_.samplingPercentage.Set(100.0);
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
  client_.samplingPercentage.Set(50.0);
  for (const double drawn : {0.49, 0.5}) {
    SCOPED_TRACE(drawn);
    client_.draw = [drawn] { return drawn; };
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
  client_.samplingPercentage.Set(100.0);
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
