// A plugin object initialized on the stand-in host's table, in-process, for tests of the
// module's exchanges with the host.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "sdk/runtime/Plugin.h"

namespace Zarn::Client::Testing {

// Records the order of the wait operations as the module calls them, then forwards them.
class RecordingPlugin : public Plugin {
 public:
  void YieldToHost() override {
    calls.push_back("YieldToHost");
    Plugin::YieldToHost();
  }
  void BeginWait(const char* label, int32_t value) override {
    calls.push_back(std::string("BeginWait ") + label);
    Plugin::BeginWait(label, value);
  }
  uint64_t EndWait() override {
    calls.push_back("EndWait");
    return Plugin::EndWait();
  }

  std::vector<std::string> calls;
};

inline Host::PluginHost::Options HostedModuleOptions() {
  Host::PluginHost::Options options;
  options.pluginPath = "/nonexistent";
  options.hostContext = 0x51;
  options.maxIdleYields = 50;
  return options;
}

class HostedModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_.SetRegistry(&plugin_.GetRegistry());
    ASSERT_TRUE(plugin_.Initialize(&init_));
  }

  BindingRegistry& Registry() { return plugin_.GetRegistry(); }
  const Host::HostRecords& Records() const { return host_.Records(); }

  Host::PluginHost host_{HostedModuleOptions()};
  PluginHostInit init_{host_.Table(), 0x51};
  RecordingPlugin plugin_;
};

}  // namespace Zarn::Client::Testing
