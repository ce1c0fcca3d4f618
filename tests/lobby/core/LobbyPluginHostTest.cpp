// The plugin as the stand-in host loads it from the library: the machine enters at start and
// leaves at shutdown, and a cycle gives back what it allocated.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "host/PluginHost.h"

namespace Zarn::Host {
namespace {

std::vector<std::string> FlowLines(const HostRecords& records) {
  std::vector<std::string> lines;
  for (const LogLine& line : records.logs) {
    if (line.message.starts_with("LobbyFlow: ")) lines.push_back(line.message);
  }
  return lines;
}

TEST(LobbyPluginHostTest, StartEntersTwoStatesAndShutdownLeavesThemGivingMemoryBack) {
  PluginHost host(PluginHost::Options{});
  // The first cycle's process-wide objects belong to the baseline.
  ASSERT_TRUE(host.Load().accepted);
  ASSERT_TRUE(host.Initialize());
  host.Shutdown();
  const std::optional<MemoryStats> baseline = host.ReadMemoryStats();
  host.ClearRecords();

  ASSERT_TRUE(host.Load().accepted);
  EXPECT_EQ(FlowLines(host.Records()), std::vector<std::string>{}) << "nothing runs at load";
  ASSERT_TRUE(host.Initialize());
  EXPECT_EQ(FlowLines(host.Records()),
            (std::vector<std::string>{"LobbyFlow: entering state 'LobbyFlow'",
                                      "LobbyFlow: entering state 'OutOfLobby'"}));
  host.ClearRecords();
  host.Shutdown();
  EXPECT_EQ(FlowLines(host.Records()),
            (std::vector<std::string>{"LobbyFlow: exiting state 'OutOfLobby'",
                                      "LobbyFlow: exiting state 'LobbyFlow'"}));
  for (const CoreRequest& request : host.Records().requests) {
    EXPECT_NE(request.path, "/jyx-gameflow/v1/session/event") << "out of a lobby nothing is left";
  }

  const std::optional<MemoryStats> after = host.ReadMemoryStats();
  ASSERT_TRUE(baseline.has_value());
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(after->bytesAllocated - after->bytesFreed,
            baseline->bytesAllocated - baseline->bytesFreed);
  EXPECT_EQ(after->allocations - after->frees, baseline->allocations - baseline->frees);
}

}  // namespace
}  // namespace Zarn::Host
