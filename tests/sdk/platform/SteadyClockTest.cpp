#include "sdk/platform/SteadyClock.h"

#include <gtest/gtest.h>

#include "tests/sdk/platform/SteadyClockTesting.h"

namespace Zarn::Platform {
namespace {

int64_t ReadCounter(void* context) { return *static_cast<int64_t*>(context); }
int64_t Minus(void* context) { return -*static_cast<int64_t*>(context); }

TEST(SteadyClockTest, ReplacedSourcesNestAndRestore) {
  int64_t outer = 5;
  int64_t inner = 7;
  {
    ScopedSteadyClockSource first(&ReadCounter, &outer);
    EXPECT_EQ(SteadyClockNow(), 5);
    outer = 1'000'000'000'000;
    EXPECT_EQ(SteadyClockNow(), 1'000'000'000'000);
    {
      ScopedSteadyClockSource second(&Minus, &inner);
      EXPECT_EQ(SteadyClockNow(), -7);
    }
    EXPECT_EQ(SteadyClockNow(), 1'000'000'000'000);
  }
  void* context = &outer;
  EXPECT_EQ(GetSteadyClockSource(&context), nullptr);
  EXPECT_EQ(context, nullptr);
  // Back on the system clock, which is far from the values the sources gave.
  EXPECT_NE(SteadyClockNow(), 1'000'000'000'000);
}

}  // namespace
}  // namespace Zarn::Platform
