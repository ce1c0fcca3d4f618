#include "host/HostScheduler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
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

// The clock ends after a century: work due later is kept but never runs, so that a repeating
// timer near the end cannot keep falling due, and the clock never nears the end of its 64 bits.
TEST(HostSchedulerTest, TheClockStopsAtItsEnd) {
  HostScheduler scheduler;
  for (int i = 0; i < 5; ++i) scheduler.Advance(std::numeric_limits<double>::infinity());
  EXPECT_EQ(scheduler.Now(), HostScheduler::kEnd);
  EXPECT_LT(HostScheduler::kEnd, std::numeric_limits<int64_t>::max() / 2);

  HostScheduler nearEnd;
  int hourly = 0;
  std::function<void()> nearTick = [&] {
    ++hourly;
    nearEnd.Schedule("hourly", 3600.0, nearTick);
  };
  nearEnd.Advance(static_cast<double>(HostScheduler::kEnd) / 1e9 - 2.5 * 3600);
  nearEnd.Schedule("hourly", 3600.0, nearTick);
  EXPECT_EQ(nearEnd.Advance(std::numeric_limits<double>::infinity()), 2);
  EXPECT_EQ(hourly, 2);
  EXPECT_EQ(nearEnd.Pending(), 1u) << "the timer past the end stays queued";
  EXPECT_EQ(nearEnd.RunNext(), 0);
  EXPECT_EQ(nearEnd.Advance(1.0), 0);
  EXPECT_EQ(nearEnd.Now(), HostScheduler::kEnd);
}

TEST(HostSchedulerTest, AdvanceStopsAfterTheRunsItIsAllowed) {
  HostScheduler scheduler;
  int runs = 0;
  std::function<void()> again = [&] {
    ++runs;
    scheduler.Schedule("again", 0.0, again);
  };
  scheduler.Schedule("again", 0.5, again);
  const HostScheduler::Advanced cut = scheduler.AdvanceBy(1.0, 10);
  EXPECT_EQ(cut.ran, 10);
  EXPECT_TRUE(cut.stopped);
  EXPECT_EQ(scheduler.Now(), 500'000'000) << "the clock stays where the runs stopped";
  scheduler.Clear();
  scheduler.Schedule("once", 0.25, [&] { ++runs; });
  const HostScheduler::Advanced whole = scheduler.AdvanceBy(1.0, 10);
  EXPECT_EQ(whole.ran, 1);
  EXPECT_FALSE(whole.stopped);
  EXPECT_EQ(scheduler.Now(), 1'500'000'000);

  // RunNext does not jump past its limit.
  scheduler.Schedule("later", 10.0, [&] { ++runs; });
  EXPECT_EQ(scheduler.RunNext(scheduler.Now() + 5'000'000'000), 0);
  EXPECT_EQ(scheduler.Now(), 1'500'000'000);
  EXPECT_EQ(scheduler.RunNext(scheduler.Now() + 10'000'000'000), 1);
  EXPECT_EQ(runs, 12);
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
