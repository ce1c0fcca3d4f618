// The telemetry client posting through the module to the stand-in host's telemetry sink.
#include "sdk/runtime/Telemetry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <unordered_map>

#include "tests/sdk/base/FailureTesting.h"
#include "tests/sdk/runtime/HostedModule.h"

namespace Zarn::Client {
namespace {

using ::testing::ElementsAre;
using Zarn::Testing::FailsWith;
using Zarn::Testing::HasAttribute;

class TelemetryTest : public Testing::HostedModuleTest {};

TEST_F(TelemetryTest, PostsEachEventWithItsTableAsOneStructure) {
  struct Case {
    const char* name;
    std::unordered_map<std::string, std::string> data;
    const char* argument;
  };
  const Case cases[] = {
      {"parties-invitations", {{"count", "3"}}, R"({"count":"3"})"},
      {"", {}, "{}"},
      {"a b/c?d", {{"k", "v"}, {"e", ""}}, R"({"e":"","k":"v"})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plugin_.calls.clear();
    std::future<MaybeType<Failure, void>> sent = plugin_.Telemetry()->SendEvent(c.name, c.data);
    ASSERT_EQ(sent.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    EXPECT_TRUE(plugin_.Await(std::move(sent)).HasValue());
    EXPECT_TRUE(plugin_.calls.empty()) << "nothing yields";
    const Host::CoreRequest& request = Records().requests.back();
    EXPECT_EQ(request.method, 6u);
    EXPECT_EQ(request.path, std::string("/telemetry/v1/events/") + c.name);
    EXPECT_THAT(request.arguments, ElementsAre(c.argument));
    ASSERT_FALSE(Records().telemetry.empty());
    EXPECT_EQ(Records().telemetry.back().name, c.name);
  }
}

TEST_F(TelemetryTest, FailuresComeBackInsideTheFuture) {
  Host::ScriptedReply refused;
  refused.status = 429;
  refused.error = "slow down";
  host_.ScriptReply("/telemetry/v1/events/busy", refused);
  const auto result = plugin_.Telemetry()->SendEvent("busy", {{"a", "b"}}).get();
  EXPECT_THAT(result,
              FailsWith(429, "Error response for POST /telemetry/v1/events/busy: slow down"));
  EXPECT_THAT(result, HasAttribute("error", FailureAttribute("slow down")));
}

TEST_F(TelemetryTest, ASecondInitializeReplacesTheClient) {
  TelemetryInterface* first = plugin_.Telemetry();
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(plugin_.Initialize(&init_));
  TelemetryInterface* second = plugin_.Telemetry();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_TRUE(second->SendEvent("again", {}).get().HasValue());
  EXPECT_EQ(Records().telemetry.size(), 1u);
}

}  // namespace
}  // namespace Zarn::Client
