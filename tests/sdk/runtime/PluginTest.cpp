// The plugin base in-process, with the stand-in host's table.
#include "sdk/runtime/Plugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "sdk/base/LogApi.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/PluginManagerTypes.h"
#include "tests/sdk/base/LogTesting.h"

namespace Zarn::Client {
namespace {

struct Watch {
  bool shuttingDownInShutdown = false;
  bool destroyed = false;
  bool startResult = true;
  bool throwOnStart = false;
};

class TestPlugin : public Plugin {
 public:
  explicit TestPlugin(Watch* watch) : watch_(watch) {}
  ~TestPlugin() override { watch_->destroyed = true; }

  bool OnStart() override {
    if (watch_->throwOnStart) throw std::runtime_error("boom");
    return watch_->startResult;
  }
  void Shutdown() override {
    watch_->shuttingDownInShutdown = IsShuttingDown();
    Plugin::Shutdown();
  }

 private:
  Watch* watch_;
};

Host::PluginHost::Options HostOptions() {
  Host::PluginHost::Options options;
  options.pluginPath = "/nonexistent";
  options.hostContext = 77;
  return options;
}

class InitializedPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_ = std::make_unique<TestPlugin>(&watch_);
    init_ = PluginHostInit{host_.Table(), 77};
  }

  Watch watch_;
  Host::PluginHost host_{HostOptions()};
  PluginHostInit init_{};
  std::unique_ptr<TestPlugin> plugin_;
};

TEST_F(InitializedPluginTest, InitializeHandsTheLogToTheHostAndSubscribes) {
  ASSERT_TRUE(Plugin::InitializeEntry(plugin_.get(), &init_));
  EXPECT_EQ(plugin_->HostContext(), 77u);
  EXPECT_NE(plugin_->Telemetry(), nullptr);

  const std::vector<std::string> names = {"OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent",
                                          "OnServiceProxyAsyncEvent"};
  ASSERT_EQ(host_.Records().subscribes.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(host_.Records().subscribes[i].name, names[i]);
    EXPECT_EQ(host_.Records().subscribes[i].flag, 1u);
    EXPECT_EQ(host_.Records().subscribes[i].hostContext, 77u);
    EXPECT_TRUE(plugin_->HasEventHandler(names[i]));
  }

  const LogApi* log = LogApi::GetTable();
  EXPECT_EQ(log->GetLevel(), 0);
  EXPECT_EQ(log->GetExcludeMask(), 4u);
  for (LogTargetInterface* builtin :
       {log->GetStdOutTarget(), log->GetStdErrTarget(), log->GetDebuggerTarget()}) {
    EXPECT_FALSE(builtin->IsAttached(builtin));
  }
  LogTargetInterface* target = log->FindTarget("PluginLogTarget");
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->GetLevel(target), 0);
  EXPECT_EQ(target->GetIncludeMask(target), 0u);
  EXPECT_EQ(target->GetExcludeMask(target), 0u);

  // Lines reach slot 9 as level and message only; the excluded channel does not.
  LogPrintf(0, 2, 0, "hello %d", 5);
  LogPrintf(2, 4, 0, "extra");
  LogPrintf(3, 0, 1, "high channel");
  const auto& logs = host_.Records().logs;
  ASSERT_EQ(logs.size(), 2u);
  EXPECT_EQ(logs[0].level, 0u);
  EXPECT_EQ(logs[0].message, "hello 5");
  EXPECT_EQ(logs[1].level, 3u);
  EXPECT_EQ(logs[1].message, "high channel");
}

TEST_F(InitializedPluginTest, InitializingTwiceKeepsTheTargetAndTheSettings) {
  ASSERT_TRUE(plugin_->Initialize(&init_));
  const PluginLogTarget* first = plugin_->LogTargetForHost();
  const LogApi* log = LogApi::GetTable();
  log->SetLevel(1);
  log->SetExcludeMask(6, 0);
  ASSERT_TRUE(plugin_->Initialize(&init_));
  EXPECT_EQ(plugin_->LogTargetForHost(), first);
  EXPECT_EQ(log->GetLevel(), 1);
  EXPECT_EQ(log->GetExcludeMask(), 6u);
  EXPECT_EQ(host_.Records().subscribes.size(), 6u);
}

TEST_F(InitializedPluginTest, TheStartHookDecidesTheAnswer) {
  struct Case {
    bool result;
    bool throws;
    bool answer;
  };
  for (const Case& c :
       {Case{true, false, true}, Case{false, false, false}, Case{true, true, false}}) {
    SCOPED_TRACE(std::to_string(c.result) + std::to_string(c.throws));
    watch_.startResult = c.result;
    watch_.throwOnStart = c.throws;
    EXPECT_EQ(Plugin::InitializeEntry(plugin_.get(), &init_), c.answer);
  }
  const auto& logs = host_.Records().logs;
  ASSERT_FALSE(logs.empty());
  EXPECT_EQ(logs.back().level, 2u);
  EXPECT_EQ(logs.back().message, "Plugin initialize failed: boom");
  EXPECT_FALSE(Plugin::InitializeEntry(plugin_.get(), nullptr));
}

TEST_F(InitializedPluginTest, HostOperationsReachTheirSlots) {
  ASSERT_TRUE(plugin_->Initialize(&init_));
  ApiCallRequest request{};
  request.method = 2;
  request.path = "/nowhere";
  ApiCallResult reply{};
  EXPECT_EQ(plugin_->SendCoreRequest(&reply, &request), 404u);
  const ApiCallResultReleaseEntry release = reply.release;  // copied: the record is packed
  ASSERT_NE(release, nullptr);
  release(&reply);
  EXPECT_EQ(plugin_->HostOp1(5, 6), 0u);
  PluginHostEvent event{};
  event.name = "OnSomething";
  event.flag = 3;
  plugin_->PublishHostEvent(&event);
  plugin_->SubscribeHostEvent("OnExtra", 77, &AppModule::OnJsonApiEventCallback, plugin_.get(), 0);
  plugin_->UnsubscribeHostEvent("OnExtra", 77);
  plugin_->ScheduleHostCallback(
      "later", [](void*) {}, nullptr, 5.0, 0);
  EXPECT_EQ(plugin_->WaitYield(), 0u);

  const Host::HostRecords& records = host_.Records();
  ASSERT_EQ(records.requests.size(), 1u);
  EXPECT_EQ(records.requests[0].path, "/nowhere");
  ASSERT_EQ(records.hostOp1Calls.size(), 1u);
  EXPECT_EQ(records.hostOp1Calls[0].second, 6u);
  ASSERT_EQ(records.published.size(), 1u);
  EXPECT_EQ(records.published[0].name, "OnSomething");
  EXPECT_EQ(records.published[0].flag, 3u);
  EXPECT_EQ(records.subscribes.back().name, "OnExtra");
  ASSERT_EQ(records.unsubscribes.size(), 1u);
  EXPECT_EQ(records.unsubscribes[0].name, "OnExtra");
  EXPECT_EQ(records.scheduledLabels, (std::vector<std::string>{"later"}));
  ASSERT_EQ(records.beginWaits.size(), 1u);
  EXPECT_EQ(records.beginWaits[0].label, "Wait: yield");
  EXPECT_EQ(records.beginWaits[0].value, 0);
  EXPECT_EQ(records.yields, 1);
  EXPECT_EQ(records.endWaits, 1);
}

TEST_F(InitializedPluginTest, ShutdownDropsEverySubscriptionOnceAndDeletesThePlugin) {
  ASSERT_TRUE(plugin_->Initialize(&init_));
  plugin_->AddEventHandler(
      "OnJsonApiEvent_a_b_c", [](const Resource&) {}, 0);
  plugin_->AddEventHandler(
      "OnJsonApiEvent_a_b_c", [](const Resource&) {}, 0);  // replaces
  Plugin::ShutdownEntry(plugin_.release());

  EXPECT_TRUE(watch_.shuttingDownInShutdown);
  EXPECT_TRUE(watch_.destroyed);
  std::vector<std::string> dropped;
  for (const auto& call : host_.Records().unsubscribes) {
    EXPECT_EQ(call.hostContext, 77u);
    dropped.push_back(call.name);
  }
  std::sort(dropped.begin(), dropped.end());
  EXPECT_EQ(dropped,
            (std::vector<std::string>{"OnJsonApiEvent_a_b_c", "OnServiceProxyAsyncEvent",
                                      "OnServiceProxyMethodEvent", "OnServiceProxyUuidEvent"}));
  EXPECT_TRUE(host_.Subscriptions().empty());
  EXPECT_EQ(LogApi::GetTable()->FindTarget("PluginLogTarget"), nullptr);
}

}  // namespace
}  // namespace Zarn::Client
