// The plugin as the export builds it: its backends are the real ones, which the host sees at
// start and at shutdown while their building is still ahead.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/PluginHost.h"

namespace Zarn::Host {
namespace {

std::vector<std::string> NotBuiltBackendLines(const HostRecords& records) {
  std::vector<std::string> lines;
  for (const LogLine& line : records.logs) {
    if (line.message.find("Not built: P") != std::string::npos &&
        line.message.find("LobbyBackend::") != std::string::npos) {
      lines.push_back(line.message);
    }
  }
  return lines;
}

TEST(LoadedPluginTest, StartsAndShutsDownTheRealPartiesBackend) {
  PluginHost host(PluginHost::Options{});
  const PluginHost::LoadOutcome outcome = host.Load();
  ASSERT_TRUE(outcome.accepted) << outcome.error;
  EXPECT_TRUE(NotBuiltBackendLines(host.Records()).empty());
  ASSERT_TRUE(host.Initialize());
  std::vector<std::string> lines = NotBuiltBackendLines(host.Records());
  // The platform backend's plugin pointer is built; its lobby operations are not called at start.
  // The start's closing rebuild asks the parties backend for the presence update, which is built.
  EXPECT_EQ(lines, (std::vector<std::string>{"Not built: PartiesLobbyBackend::Start"}));
  host.Shutdown();
  lines = NotBuiltBackendLines(host.Records());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Not built: PartiesLobbyBackend::DeregisterPlayer");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Not built: PartiesLobbyBackend::Start"), 1);
}

}  // namespace
}  // namespace Zarn::Host
