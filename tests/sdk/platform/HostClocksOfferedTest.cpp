// A process that offers the host clock function, as the stand-in host does: adopting it makes it
// the source of both clocks.
#include <gtest/gtest.h>

#include <cstdint>

#include "sdk/platform/HostClocks.h"
#include "sdk/platform/SteadyClock.h"
#include "sdk/platform/WallClock.h"

namespace {

int64_t hostSteady = 0;
int64_t hostWall = 0;

}  // namespace

// Exported from this test program (see tests/sdk/platform/CMakeLists.txt).
extern "C" __attribute__((visibility("default"))) int64_t jyx_host_clock_now(uint32_t clock) {
  return clock == 0 ? hostSteady : clock == 1 ? hostWall : 0;
}

namespace Zarn::Platform {
namespace {

TEST(HostClocksOfferedTest, TheOfferedFunctionFeedsBothClocks) {
  ASSERT_TRUE(AdoptHostClocks());
  hostSteady = 7;
  hostWall = 1'767'225'600'000'000'000;
  EXPECT_EQ(SteadyClockNow(), 7);
  EXPECT_EQ(WallClockNow(), 1'767'225'600'000'000'000);
  hostSteady = 3'000'000'007;
  hostWall += 3'000'000'000;
  EXPECT_EQ(SteadyClockNow(), 3'000'000'007);
  EXPECT_EQ(WallClockNow(), 1'767'225'603'000'000'000);
  SetSteadyClockSource(nullptr, nullptr);
  SetWallClockSource(nullptr, nullptr);
}

}  // namespace
}  // namespace Zarn::Platform
