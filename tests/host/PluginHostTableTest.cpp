// The host's function table as a plugin sees it, driven directly, without a plugin loaded.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/HostValue.h"
#include "host/PluginHost.h"

namespace Zarn::Host {
namespace {

PluginHost::Options TestOptions() {
  PluginHost::Options options;
  options.pluginPath = "/nonexistent/libjyx_lobby.so";
  options.hostContext = 77;
  return options;
}

// What the C callbacks below saw.
struct Seen {
  std::vector<std::string> events;  // "name payload userData"
  std::vector<std::string> callbacks;
};
Seen* seen = nullptr;

void RecordEvent(PluginHostEvent* event) {
  rapidjson::Document payload;
  std::string error;
  EXPECT_TRUE(HostObjectToJson(event->payload, payload, payload.GetAllocator(), &error));
  seen->events.push_back(std::string(event->name) + " " + JsonText(payload) + " " +
                         static_cast<const char*>(event->userData));
}

void RecordCallback(void* context) { seen->callbacks.push_back(static_cast<const char*>(context)); }

class PluginHostTableTest : public ::testing::Test {
 protected:
  void SetUp() override { seen = &seen_; }
  void TearDown() override { seen = nullptr; }

  PluginHost host_{TestOptions()};
  PluginHostApi* api_ = host_.Table();
  Seen seen_;
  char userA_[2] = "A";
  char userB_[2] = "B";
};

TEST_F(PluginHostTableTest, KeepsSubscriptionsByNameAndContext) {
  api_->subscribe(api_, "OnX", 77, &RecordEvent, userA_, 1);
  api_->subscribe(api_, "OnX", 78, &RecordEvent, userB_, 0);
  api_->subscribe(api_, "OnY", 77, &RecordEvent, userA_, 0);
  api_->subscribe(api_, "OnX", 77, &RecordEvent, userB_, 1);  // replaces the first
  EXPECT_EQ(host_.Subscriptions().size(), 3u);

  host_.DeliverEvent("OnX", R"({"v":1})");
  EXPECT_TRUE(seen_.events.empty()) << "deliveries wait for the host's own turn";
  host_.RunDue();
  EXPECT_EQ(seen_.events, (std::vector<std::string>{R"(OnX {"v":1} B)", R"(OnX {"v":1} B)"}));

  api_->unsubscribe(api_, "OnX", 77);
  api_->unsubscribe(api_, "OnX", 99);  // not subscribed: recorded, nothing else
  ASSERT_EQ(host_.Records().unsubscribes.size(), 2u);
  EXPECT_EQ(host_.Records().unsubscribes[0].name, "OnX");
  EXPECT_EQ(host_.Records().unsubscribes[0].hostContext, 77u);
  EXPECT_EQ(host_.Subscriptions(),
            (std::vector<std::pair<std::string, uint32_t>>{{"OnX", 78}, {"OnY", 77}}));
  ASSERT_EQ(host_.Records().subscribes.size(), 4u);
  EXPECT_EQ(host_.Records().subscribes[0].flag, 1u);
}

TEST_F(PluginHostTableTest, PublishedEventsAreRecordedAndDelivered) {
  api_->subscribe(api_, "OnJsonApiEvent_a_b_c", 77, &RecordEvent, userA_, 0);
  char name[] = "OnJsonApiEvent_a_b_c";
  char uri[] = "/a/b/c/d";
  ApiObjectEntry entry{};
  entry.name = uri;  // any text: the host copies what it keeps
  entry.value.kind = kApiObjectBorrowedString;
  entry.value.a.text = uri;
  entry.value.b = static_cast<uint32_t>(std::strlen(uri));
  PluginHostEvent event{};
  event.name = name;
  event.payload.kind = kApiObjectStructure;
  event.payload.a.entries = &entry;
  event.payload.b = 1;
  api_->publishEvent(api_, &event);
  std::memset(uri, 'x', sizeof uri - 1);  // the plugin may reuse its memory at once

  const std::vector<PublishedEvent> published = host_.TakeNewEvents();
  ASSERT_EQ(published.size(), 1u);
  EXPECT_EQ(published[0].name, "OnJsonApiEvent_a_b_c");
  EXPECT_EQ(published[0].payload, R"({"/a/b/c/d":"/a/b/c/d"})");
  EXPECT_TRUE(host_.TakeNewEvents().empty());
  host_.RunDue();
  EXPECT_EQ(seen_.events,
            (std::vector<std::string>{R"(OnJsonApiEvent_a_b_c {"/a/b/c/d":"/a/b/c/d"} A)"}));
}

TEST_F(PluginHostTableTest, ResourcesDeliverTheirEvents) {
  api_->subscribe(api_, "OnJsonApiEvent_jyx-login_v1_session", 77, &RecordEvent, userA_, 0);
  host_.SetResource("/jyx-login/v1/session", R"({"state":"IN_PROGRESS"})");
  host_.SetResource("/jyx-login/v1/session", R"({"state":"SUCCEEDED"})");
  EXPECT_TRUE(host_.DeleteResource("/jyx-login/v1/session"));
  EXPECT_FALSE(host_.DeleteResource("/jyx-login/v1/session"));
  host_.RunDue();
  const std::string prefix = "OnJsonApiEvent_jyx-login_v1_session ";
  EXPECT_EQ(
      seen_.events,
      (std::vector<std::string>{
          prefix +
              R"({"uri":"/jyx-login/v1/session","eventType":"Create","data":{"state":"IN_PROGRESS"}} A)",
          prefix +
              R"({"uri":"/jyx-login/v1/session","eventType":"Update","data":{"state":"SUCCEEDED"}} A)",
          prefix + R"({"uri":"/jyx-login/v1/session","eventType":"Delete","data":null} A)"}));
}

TEST_F(PluginHostTableTest, CallbacksRunOnTheVirtualClock) {
  char late[] = "late";
  char first[] = "first";
  char second[] = "second";
  api_->scheduleCallback(api_, "late", &RecordCallback, late, 2.0, 0);
  api_->scheduleCallback(api_, "first", &RecordCallback, first, 1.0, 0);
  api_->scheduleCallback(api_, "second", &RecordCallback, second, 1.0, 0);
  EXPECT_EQ(host_.RunDue(), 0);
  // A yield with nothing due moves the clock to the next due work and runs that round.
  api_->yield(api_);
  EXPECT_EQ(seen_.callbacks, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(host_.Advance(0.5), 0);
  EXPECT_EQ(host_.Advance(0.5), 1);
  EXPECT_EQ(seen_.callbacks, (std::vector<std::string>{"first", "second", "late"}));
  EXPECT_EQ(host_.Records().scheduledLabels, (std::vector<std::string>{"late", "first", "second"}));
  EXPECT_EQ(host_.Records().yields, 1);
}

TEST_F(PluginHostTableTest, AWaitWithoutProgressStalls) {
  std::vector<std::string> stalls;
  PluginHost::Options options = TestOptions();
  options.maxIdleYields = 3;
  options.onStall = [&](const std::string& why) { stalls.push_back(why); };
  PluginHost host(options);
  PluginHostApi* api = host.Table();
  char context[] = "work";
  api->scheduleCallback(api, "work", &RecordCallback, context, 10.0, 0);
  api->yield(api);  // runs the work: progress
  api->yield(api);
  api->yield(api);
  EXPECT_TRUE(stalls.empty());
  api->yield(api);
  EXPECT_EQ(stalls, (std::vector<std::string>{"a wait made no progress in 3 yields"}));

  // In a wait, the report names the request the plugin made before it began (rather than the
  // plugin's label), and what is scripted for a later yield.
  ApiCallRequest request{};
  request.method = 2;
  request.path = "/jyx-x/v1/answer";
  ApiCallResult reply{};
  EXPECT_EQ(api->sendCoreRequest(api, &reply, &request), 404u);
  const ApiCallResultReleaseEntry release = reply.release;
  release(&reply);
  host.OnYield(
      10, [] {}, "the answer");
  api->beginWait(api, "Wait: future<#088402A7>", 0);
  for (int i = 0; i < 3; ++i) api->yield(api);
  EXPECT_EQ(stalls.back(),
            "a wait made no progress in 3 yields (the wait began after the request GET "
            "/jyx-x/v1/answer); the answer is scripted for yield 14, and this is yield 7");

  // A request made in a callback belongs to that call: a wait begun after it returned is not
  // named by it.
  (void)api->endWait(api);
  api->scheduleCallback(
      api, "elsewhere",
      [](void* context) {
        auto* table = static_cast<PluginHostApi*>(context);
        ApiCallRequest other{};
        other.method = 2;
        other.path = "/jyx-x/v1/elsewhere";
        ApiCallResult answer{};
        (void)table->sendCoreRequest(table, &answer, &other);
        const ApiCallResultReleaseEntry done = answer.release;
        done(&answer);
      },
      api, 0.0, 0);
  EXPECT_EQ(host.RunDue(), 1);
  EXPECT_EQ(host.Records().requests.back().path, "/jyx-x/v1/elsewhere");
  api->beginWait(api, "Wait: again", 0);
  for (int i = 0; i < 3; ++i) api->yield(api);
  EXPECT_NE(stalls.back().find("(the wait began after the request GET /jyx-x/v1/answer)"),
            std::string::npos)
      << stalls.back();
}

// A timer that schedules itself again an hour later, as the plugin's heartbeats do.
struct Hourly {
  PluginHostApi* api = nullptr;
  int runs = 0;
};
void HourlyTick(void* context) {
  auto* hourly = static_cast<Hourly*>(context);
  ++hourly->runs;
  hourly->api->scheduleCallback(hourly->api, "hourly", &HourlyTick, context, 3600.0, 0);
}

// Work due more than a day after a wait began does not run during it: a periodic timer cannot
// keep alive a wait that nothing answers. An inner wait that ends gives the outer no more time.
TEST_F(PluginHostTableTest, APeriodicTimerDoesNotKeepAWaitAlive) {
  std::vector<std::string> stalls;
  PluginHost::Options options = TestOptions();
  options.maxIdleYields = 3;
  options.onStall = [&](const std::string& why) { stalls.push_back(why); };
  PluginHost host(options);
  Hourly hourly{host.Table()};
  PluginHostApi* api = hourly.api;
  api->scheduleCallback(api, "hourly", &HourlyTick, &hourly, 3600.0, 0);
  api->beginWait(api, "Wait: reply", 0);
  for (int i = 0; i < 22; ++i) api->yield(api);
  api->beginWait(api, "Wait: inner", 0);
  api->yield(api);
  (void)api->endWait(api);
  for (int i = 0; i < 10 && stalls.empty(); ++i) api->yield(api);
  EXPECT_EQ(hourly.runs, 24);
  EXPECT_EQ(host.Scheduler().Now(), int64_t{24} * 3600 * 1'000'000'000);
  EXPECT_EQ(stalls, (std::vector<std::string>{
                        "a wait made no progress in 3 yields after 23 callbacks ran in it, and "
                        "nothing of the plugin falls due within 86400 s of virtual time (Wait: "
                        "reply)"}));
  (void)api->endWait(api);
  // The next wait has a day of its own.
  api->beginWait(api, "Wait: next", 0);
  api->yield(api);
  EXPECT_EQ(hourly.runs, 25);
}

TEST(PluginApiVersionTest, ParsesThreeDecimalWordsOnly) {
  struct Case {
    const char* text;
    std::optional<std::vector<uint32_t>> words;
  };
  const Case cases[] = {
      {"18.3.1", std::vector<uint32_t>{18, 3, 1}},
      {"0.0.0", std::vector<uint32_t>{0, 0, 0}},
      {"4294967295.007.1", std::vector<uint32_t>{4294967295u, 7, 1}},
      {"-1.2.3", std::nullopt},
      {"+1.2.3", std::nullopt},
      {"4294967296.0.0", std::nullopt},
      {"99999999999999999999.0.0", std::nullopt},
      {"18.3", std::nullopt},
      {"18.3.1.0", std::nullopt},
      {"18.3.1x", std::nullopt},
      {"18..1", std::nullopt},
      {" 18.3.1", std::nullopt},
      {"18.3.1 ", std::nullopt},
      {"0x12.0.0", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<PluginApiVersionWords> parsed = ParsePluginApiVersion(c.text);
    ASSERT_EQ(parsed.has_value(), c.words.has_value());
    if (parsed) {
      EXPECT_EQ((std::vector<uint32_t>{parsed->major, parsed->minor, parsed->patch}), *c.words);
    }
  }
}

// Under a record window each list keeps only its latest entries; events dropped before they
// were read are counted until the next read, and what was read is forgotten.
TEST_F(PluginHostTableTest, ARecordWindowKeepsTheLatest) {
  PluginHost::Options options = TestOptions();
  options.recordWindow = 2;
  PluginHost host(options);
  PluginHostApi* api = host.Table();
  for (int i = 0; i < 7; ++i) {
    const std::string text = std::to_string(i);
    PluginHostEvent event{};
    event.name = text.c_str();
    api->publishEvent(api, &event);
    api->writeLog(api, 0, text.c_str());
  }
  const HostRecords& records = host.Records();
  EXPECT_EQ(records.logs.size(), 4u);
  EXPECT_EQ(records.logs.front().message, "3");
  EXPECT_EQ(host.DroppedEvents(), 3u);
  std::vector<std::string> names;
  for (const PublishedEvent& event : host.TakeNewEvents()) names.push_back(event.name);
  EXPECT_EQ(names, (std::vector<std::string>{"3", "4", "5", "6"}));
  EXPECT_EQ(host.DroppedEvents(), 0u);
  EXPECT_TRUE(records.published.empty());
  EXPECT_EQ(host.RetainedRecords(), 4u);
}

TEST_F(PluginHostTableTest, RecordsTheOperationsItOnlyWitnesses) {
  std::vector<std::string> forwarded;
  PluginHost::Options options = TestOptions();
  options.onLog = [&](const LogLine& line) { forwarded.push_back(line.message); };
  PluginHost host(options);
  PluginHostApi* api = host.Table();
  EXPECT_EQ(api->hostOp1(api, 5, 6), 0u);
  api->beginWait(api, "Wait: yield", 0);
  EXPECT_EQ(api->endWait(api), 0u);
  api->writeLog(api, 2, "an error");
  api->writeLog(api, 0, nullptr);

  const HostRecords& records = host.Records();
  ASSERT_EQ(records.hostOp1Calls.size(), 1u);
  EXPECT_EQ(records.hostOp1Calls[0].first, 5u);
  EXPECT_EQ(records.hostOp1Calls[0].second, 6u);
  ASSERT_EQ(records.beginWaits.size(), 1u);
  EXPECT_EQ(records.beginWaits[0].label, "Wait: yield");
  EXPECT_EQ(records.endWaits, 1);
  ASSERT_EQ(records.logs.size(), 2u);
  EXPECT_EQ(records.logs[0].level, 2u);
  EXPECT_EQ(forwarded, (std::vector<std::string>{"an error", ""}));
}

TEST_F(PluginHostTableTest, CoreRequestsGoToComponentsByPrefix) {
  host_.AddComponent("/jyx-gameflow/", [](const CoreRequest& request) {
    return CoreReply{200, R"({"path":")" + request.path + R"("})", std::nullopt};
  });
  host_.AddComponent("/jyx-gameflow/v1/session", [](const CoreRequest& request) {
    return CoreReply{423, std::nullopt, "locked " + std::to_string(request.arguments.size())};
  });
  host_.SetResource("/jyx-summoner/v1/current-summoner", R"({"summonerId":7})");
  // Runs while the first request of the summoner waits, which then answers as usual.
  host_.OnRequest("/jyx-summoner/v1/current-summoner", [&] {
    host_.SeedResource("/jyx-summoner/v1/current-summoner", R"({"summonerId":8})");
  });

  struct Case {
    uint32_t method;
    const char* path;
    uint32_t status;
    const char* error;  // null: a value is expected
    const char* value;
  };
  const Case cases[] = {
      {2, "/jyx-gameflow/v1/availability", 200, nullptr,
       R"({"path":"/jyx-gameflow/v1/availability"})"},
      {6, "/jyx-gameflow/v1/session/request-lobby", 423, "locked 1", nullptr},
      {2, "/jyx-summoner/v1/current-summoner", 200, nullptr, R"({"summonerId":8})"},
      {6, "/jyx-summoner/v1/current-summoner", 200, nullptr, "5"},
      {2, "/jyx-summoner/v1/current-summoner", 200, nullptr, "5"},
      {2, "/unknown", 404, "No component of the host serves /unknown", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ApiObject argument{};
    argument.kind = kApiObjectSigned;
    argument.a.word = 5;
    ApiNamedValue named{};
    named.value = argument;
    ApiCallRequest request{};
    request.method = c.method;
    request.path = c.path;
    request.namedValues = &named;
    request.namedValueCount = 1;
    request.callWord = 77;
    ApiCallResult reply{};
    EXPECT_EQ(api_->sendCoreRequest(api_, &reply, &request), c.status);
    // The record is packed: its fields are copied out before they are compared.
    const uint32_t status = reply.status;
    const char* errorText = reply.errorText;
    const ApiCallResultReleaseEntry release = reply.release;
    EXPECT_EQ(status, c.status);
    ASSERT_NE(release, nullptr);
    if (c.error != nullptr) {
      ASSERT_NE(errorText, nullptr);
      EXPECT_STREQ(errorText, c.error);
    } else {
      EXPECT_EQ(errorText, nullptr);
      rapidjson::Document value;
      std::string error;
      ASSERT_TRUE(HostObjectToJson(reply.value, value, value.GetAllocator(), &error));
      EXPECT_EQ(JsonText(value), c.value);
    }
    release(&reply);
    const char* released = reply.errorText;
    EXPECT_EQ(released, nullptr);
    EXPECT_EQ(reply.value.kind, 0u);
  }
  ASSERT_EQ(host_.Records().requests.size(), 6u);
  EXPECT_EQ(host_.Records().requests[1].arguments, (std::vector<std::string>{"5"}));
  EXPECT_EQ(host_.Records().requests[1].callWord, 77u);
}

}  // namespace
}  // namespace Zarn::Host
