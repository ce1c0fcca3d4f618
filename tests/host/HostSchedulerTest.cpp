#include "host/HostScheduler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace Zarn::Host {
namespace {

TEST(HostSchedulerTest, RunsByDueTimeThenInQueueOrder) {
  HostScheduler scheduler;
  std::vector<std::string> ran;
  auto note = [&](std::string what) { return [&ran, what] { ran.push_back(what); }; };
  scheduler.Schedule("late", 2.0, note("late"));
  scheduler.Schedule("a", 1.0, note("a"));
  scheduler.Schedule("b", 1.0, note("b"));
  scheduler.Schedule("now", 0.0, note("now"));
  scheduler.Schedule("c", 1.0, note("c"));

  EXPECT_EQ(scheduler.RunRound(), 1);
  EXPECT_EQ(ran, (std::vector<std::string>{"now"}));
  EXPECT_EQ(scheduler.NextLabel(), "a");
  EXPECT_EQ(scheduler.RunNext(), 3);
  EXPECT_EQ(scheduler.Now(), 1'000'000'000);
  EXPECT_EQ(scheduler.Advance(5.0), 1);
  EXPECT_EQ(ran, (std::vector<std::string>{"now", "a", "b", "c", "late"}));
  EXPECT_EQ(scheduler.Now(), 6'000'000'000);
  EXPECT_EQ(scheduler.Pending(), 0u);
  EXPECT_EQ(scheduler.RunNext(), 0);
}

TEST(HostSchedulerTest, WorkQueuedDuringARoundWaitsForTheNext) {
  HostScheduler scheduler;
  int runs = 0;
  std::function<void()> again = [&] {
    ++runs;
    scheduler.Schedule("again", 0.0, again);
  };
  scheduler.Schedule("again", 0.0, again);
  EXPECT_EQ(scheduler.RunRound(), 1);
  EXPECT_EQ(scheduler.RunRound(), 1);
  EXPECT_EQ(runs, 2);
  // Work that keeps requeueing itself cannot hang RunDue.
  EXPECT_EQ(scheduler.RunDue(10), 10);
  EXPECT_EQ(scheduler.Pending(), 1u);
}

TEST(HostSchedulerTest, AdvanceRunsEachItemAtItsOwnDueTime) {
  HostScheduler scheduler;
  std::vector<int64_t> seenAt;
  scheduler.Schedule("one", 1.5, [&] {
    seenAt.push_back(scheduler.Now());
    scheduler.Schedule("chained", 1.0, [&] { seenAt.push_back(scheduler.Now()); });
  });
  EXPECT_EQ(scheduler.Advance(2.0), 1);
  EXPECT_EQ(scheduler.Advance(1.0), 1);
  EXPECT_EQ(seenAt, (std::vector<int64_t>{1'500'000'000, 2'500'000'000}));
  EXPECT_EQ(scheduler.Now(), 3'000'000'000);
}

TEST(HostSchedulerTest, TheClockStopsAtItsEnd) {
  HostScheduler scheduler;
  int runs = 0;
  for (int i = 0; i < 5; ++i) scheduler.Advance(std::numeric_limits<double>::infinity());
  EXPECT_EQ(scheduler.Now(), std::numeric_limits<int64_t>::max());
  scheduler.Schedule("last", 1.0, [&] { ++runs; });
  EXPECT_EQ(scheduler.RunNext(), 1);
  EXPECT_EQ(runs, 1);
}

TEST(HostSchedulerTest, OddDelaysBecomeSafeTimes) {
  struct Case {
    double seconds;
    int64_t nanoseconds;
  };
  const Case cases[] = {
      {-1.0, 0},
      {std::nan(""), 0},
      {0.25, 250'000'000},
      {std::numeric_limits<double>::infinity(), 3'153'600'000'000'000'000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(SecondsToNanoseconds(c.seconds), c.nanoseconds);
  }
}

}  // namespace
}  // namespace Zarn::Host
