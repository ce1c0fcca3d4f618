// A plugin with the fixture legacy and service-proxy records, initialized in-process on the
// stand-in host's table, with the host's legacy platform and service proxy, on the host's
// virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"
#include "tests/sdk/platform/SteadyClockTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"
#include "tests/sdk/runtime/LegacyRecordsTesting.h"

namespace Zarn::Client::Testing {

// Records the module's wait operations, then forwards them.
class RemotePlugin : public LegacyPlugin {
 public:
  using AppModule::shuttingDown_;

  void YieldToHost() override {
    ++yields;
    LegacyPlugin::YieldToHost();
  }
  void BeginWait(const char* label, int32_t value) override {
    waits.emplace_back(label);
    LegacyPlugin::BeginWait(label, value);
  }

  int yields = 0;
  std::vector<std::string> waits;
};

class RemoteCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PluginLoadResult record{};
    record.major = 18;
    ASSERT_TRUE(LoadPlugin(&plugin_, &record, "tester"));
    plugin_.RegisterFixtures();
    ASSERT_TRUE(plugin_.Initialize(&init_));
  }

  static Host::PluginHost::Options Options() {
    Host::PluginHost::Options options;
    options.pluginPath = "/nonexistent";
    options.hostContext = kTestHostContext;
    options.maxIdleYields = 50;
    return options;
  }

  [[nodiscard]] const Host::HostRecords& Records() const { return host_.Records(); }
  // The log lines the host received, as "level message", that contain `part`.
  [[nodiscard]] std::vector<std::string> HostLogs(const std::string& part) const {
    std::vector<std::string> lines;
    for (const auto& line : host_.Records().logs) {
      if (line.message.find(part) != std::string::npos) {
        lines.push_back(std::to_string(line.level) + " " + line.message);
      }
    }
    return lines;
  }

  Host::PluginHost host_{Options()};
  Host::LegacyPlatform legacy_{host_};
  Host::ServiceProxyService proxy_{host_};
  VirtualClock clock_{&host_.Scheduler()};
  Platform::ScopedSteadyClockSource clockSource_{&VirtualClock::Read, &clock_};
  PluginHostInit init_{host_.Table(), kTestHostContext};
  RemotePlugin plugin_;
};

}  // namespace Zarn::Client::Testing
