// The plugin as the export builds it: its backends are the real ones, which the host sees at
// start and at shutdown.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "host/ResourceEventName.h"

namespace Zarn::Host {
namespace {

TEST(LoadedPluginTest, StartsAndShutsDownTheRealPartiesBackend) {
  PluginHost host(PluginHost::Options{});
  const PluginHost::LoadOutcome outcome = host.Load();
  ASSERT_TRUE(outcome.accepted) << outcome.error;
  ASSERT_TRUE(host.Initialize());
  // The parties backend started: it follows the parties notifications and beats hourly.
  const std::string notifications =
      ResourceEventName("/zarn-messaging-service/v1/message/parties/v1/notifications");
  const std::vector<SubscribeCall>& subscribes = host.Records().subscribes;
  EXPECT_TRUE(std::any_of(subscribes.begin(), subscribes.end(),
                          [&](const SubscribeCall& call) { return call.name == notifications; }));
  const std::vector<std::string>& labels = host.Records().scheduledLabels;
  EXPECT_EQ(std::count(labels.begin(), labels.end(), "Timer: jyx-lobby.parties-heartbeat"), 1);

  host.Shutdown();
  // Never registered (no login in this world), the backend still removes the shutdown lock.
  const std::vector<CoreRequest>& requests = host.Records().requests;
  EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const CoreRequest& request) {
    return request.path == "/jyx-login/v1/shutdown-locks/jyx-lobby" && request.method == 1;
  }));
}

}  // namespace
}  // namespace Zarn::Host
