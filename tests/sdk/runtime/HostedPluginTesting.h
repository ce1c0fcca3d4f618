// A plugin base run in-process against the stand-in host's table, on the host's virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "sdk/binding/TypeRegistry.h"
#include "sdk/runtime/Plugin.h"
#include "sdk/runtime/PluginLoader.h"
#include "tests/sdk/platform/SteadyClockTesting.h"

namespace Zarn::Client::Testing {

// A record of the tests' own, registered as "Thing" by RegisterThing; Unbound is never
// registered.
struct Thing {
  int32_t count = 0;
  std::string label;
};
struct Unbound {
  int32_t count = 0;
};

}  // namespace Zarn::Client::Testing

ZARN_TYPE_ID(Zarn::Client::Testing::Thing, 0x7E570001u);
ZARN_TYPE_ID(Zarn::Client::Testing::Unbound, 0x7E570002u);

namespace Zarn::Client::Testing {

inline void RegisterThing(BindingRegistry& registry) {
  TypeRegistry(registry.RegisterType(sizeof(Thing), "Thing", TypeId<Thing>(), false))
      .AddMember<int32_t>("count", offsetof(Thing, count), "")
      .AddMember<std::string>("label", offsetof(Thing, label), "");
}

// The plugin's steady clock: the host's virtual time plus a skew that a test may add, to stand
// for time spent inside a call.
struct VirtualClock {
  const Host::HostScheduler* scheduler = nullptr;
  int64_t skew = 0;

  static int64_t Read(void* context) {
    const auto* clock = static_cast<const VirtualClock*>(context);
    return clock->scheduler->Now() + clock->skew;
  }
};

// A plugin that lets tests reach the module's tables.
class TablePlugin : public Plugin {
 public:
  using AppModule::eventHandlers_;
  using AppModule::exactObservers_;
  using AppModule::lcdsHandlers_;
  using AppModule::scheduledCallbacks_;
  using AppModule::subscriptionCounts_;
  using AppModule::timers_;
  using AppModule::wildcardObservers_;
};

inline constexpr uint32_t kTestHostContext = 77;

class HostedPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PluginLoadResult record{};
    record.major = 18;
    ASSERT_TRUE(LoadPlugin(plugin_.get(), &record, "tester"));
    init_ = PluginHostInit{host_.Table(), kTestHostContext};
    ASSERT_TRUE(plugin_->Initialize(&init_));
    RegisterThing(plugin_->GetRegistry());
  }

  // Seconds of virtual time.
  [[nodiscard]] double Seconds() const {
    return static_cast<double>(host_.Scheduler().Now()) * 1e-9;
  }
  // The plugin's present time, in nanoseconds.
  [[nodiscard]] int64_t Now() { return VirtualClock::Read(&clock_); }

  static Host::PluginHost::Options Options() {
    Host::PluginHost::Options options;
    options.pluginPath = "/nonexistent";
    options.hostContext = kTestHostContext;
    return options;
  }

  Host::PluginHost host_{Options()};
  VirtualClock clock_{&host_.Scheduler()};
  Platform::ScopedSteadyClockSource clockSource_{&VirtualClock::Read, &clock_};
  PluginHostInit init_{};
  std::unique_ptr<TablePlugin> plugin_ = std::make_unique<TablePlugin>();
};

}  // namespace Zarn::Client::Testing
