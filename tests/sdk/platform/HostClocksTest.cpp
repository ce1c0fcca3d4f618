// A process that does not offer the host clock function: the plugin keeps the system's clocks.
#include "sdk/platform/HostClocks.h"

#include <gtest/gtest.h>

#include <chrono>

#include "sdk/platform/SteadyClock.h"
#include "sdk/platform/WallClock.h"

namespace Zarn::Platform {
namespace {

TEST(HostClocksTest, WithoutAnOfferTheSystemClocksStay) {
  EXPECT_FALSE(AdoptHostClocks());
  EXPECT_EQ(GetSteadyClockSource(nullptr), nullptr);
  EXPECT_EQ(GetWallClockSource(nullptr), nullptr);
  const int64_t system = std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
  EXPECT_LT(std::chrono::nanoseconds(WallClockNow() - system), std::chrono::seconds(5));
}

}  // namespace
}  // namespace Zarn::Platform
