// Scheduled callbacks and timers through the stand-in host's slot 5 and its virtual clock.
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "sdk/base/LogChannels.h"
#include "tests/sdk/base/LogTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client {
namespace {

constexpr int64_t kSecond = 1000000000;

class TimersTest : public Testing::HostedPluginTest {
 protected:
  // A callable that records the virtual second at which it ran under `label`.
  AppModule::Callback Record(std::string label) {
    return [this, label] { fired_.push_back(label + "@" + std::to_string(Seconds())); };
  }
  static std::string At(const std::string& label, double seconds) {
    return label + "@" + std::to_string(seconds);
  }
  [[nodiscard]] std::vector<std::string> TimerLogs() const {
    std::vector<std::string> lines;
    for (const auto& line : host_.Records().logs) {
      if (line.message.find("Couldn't find timer") != std::string::npos) {
        lines.push_back(std::to_string(line.level) + " " + line.message);
      }
    }
    return lines;
  }

  std::vector<std::string> fired_;
};

TEST_F(TimersTest, FiresEveryPeriodFromTheStartOfEachFiring) {
  plugin_->SetTimer("T.TIMER", 2.0, Record("T"));
  ASSERT_EQ(host_.Records().scheduledLabels, (std::vector<std::string>{"Timer: T.TIMER"}));
  EXPECT_EQ(host_.Records().scheduledDelays.back(), 2.0);
  host_.Advance(1.999);
  EXPECT_TRUE(fired_.empty());
  host_.Advance(6.001);
  EXPECT_EQ(fired_, (std::vector<std::string>{At("T", 2), At("T", 4), At("T", 6), At("T", 8)}));
  EXPECT_EQ(host_.Records().scheduledLabels.size(), 5u);
  EXPECT_EQ(plugin_->CancelTimer("T.TIMER"), 1u);
  EXPECT_EQ(plugin_->CancelTimer("T.TIMER"), 0u);
  EXPECT_EQ(plugin_->CancelTimer("NEVER.SET.TIMER"), 0u);
}

TEST_F(TimersTest, ReplacingBeforeTheFiringRunsOnlyTheNewSchedule) {
  plugin_->SetTimer("T", 2.0, Record("old"));
  host_.Advance(1.0);
  plugin_->SetTimer("T", 3.0, Record("new"));
  host_.Advance(9.0);
  EXPECT_EQ(fired_, (std::vector<std::string>{At("new", 4), At("new", 7), At("new", 10)}));
  EXPECT_TRUE(TimerLogs().empty()) << "a replaced firing ends without a line";
}

TEST_F(TimersTest, AFiringForACancelledTimerLogsAWarning) {
  Zarn::Testing::RecordingLogTarget recorder;
  LogTargetSettings settings;
  settings.level = 0;
  recorder.Configure(settings);

  plugin_->SetTimer("T", 1.0, Record("T"));
  host_.Advance(0.5);
  EXPECT_EQ(plugin_->CancelTimer("T"), 1u);
  host_.Advance(5.0);
  EXPECT_TRUE(fired_.empty());
  EXPECT_EQ(TimerLogs(), (std::vector<std::string>{"1 tester: Couldn't find timer named T"}));
  bool seen = false;
  for (const auto& line : recorder.Lines()) {
    if (line.message != "tester: Couldn't find timer named T") continue;
    seen = true;
    EXPECT_EQ(line.level, kLogLevelWarn);
    EXPECT_EQ(line.channels, 0x41u);
  }
  EXPECT_TRUE(seen);
}

// What a timer's own callable does on its first firing, and the firings that follow.
TEST_F(TimersTest, ACallableMayCancelOrSetItsOwnTimer) {
  struct Case {
    const char* name;
    bool cancel;
    bool setAgain;
    std::vector<int64_t> firings;  // seconds after SetTimer, within 7 seconds
    std::size_t schedules;         // callbacks handed to the host meanwhile
  };
  const Case cases[] = {
      {"CANCEL.TIMER", true, false, {1}, 1},
      {"SET.AGAIN.TIMER", false, true, {1, 3, 5, 7}, 5},
      {"CANCEL.THEN.SET.TIMER", true, true, {1, 3, 5, 7}, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t schedulesBefore = host_.Records().scheduledLabels.size();
    const std::size_t logsBefore = TimerLogs().size();
    const int64_t start = Now();
    std::vector<int64_t> firings;
    const std::string name = c.name;
    auto note = [&] { firings.push_back((Now() - start) / kSecond); };
    bool first = true;
    plugin_->SetTimer(name, 1.0, [&] {
      note();
      if (!first) return;
      first = false;
      if (c.cancel) {
        EXPECT_EQ(plugin_->CancelTimer(name), 1u);
      }
      if (c.setAgain) plugin_->SetTimer(name, 2.0, note);
    });
    host_.Advance(7.0);
    EXPECT_EQ(firings, c.firings);
    EXPECT_EQ(host_.Records().scheduledLabels.size() - schedulesBefore, c.schedules);
    EXPECT_EQ(TimerLogs().size(), logsBefore);
    plugin_->CancelTimer(name);
    host_.Advance(2.0);  // the pending firing of the cancelled timer ends here
  }
}

TEST_F(TimersTest, AStaleFiringNeverPassesForATimerSetAgain) {
  plugin_->SetTimer("T", 1.0, Record("first"));
  host_.Advance(0.5);
  ASSERT_EQ(plugin_->CancelTimer("T"), 1u);
  plugin_->SetTimer("T", 1.0, Record("second"));
  host_.Advance(3.0);
  // The firing of the cancelled timer, due at 1, must not run the new one: one firing a period.
  EXPECT_EQ(fired_,
            (std::vector<std::string>{At("second", 1.5), At("second", 2.5), At("second", 3.5)}));
}

TEST_F(TimersTest, APeriodOfZeroReArmsAtOnce) {
  int count = 0;
  plugin_->SetTimer("ZERO", 0.0, [&] {
    if (++count == 3) plugin_->CancelTimer("ZERO");
  });
  host_.RunDue();
  EXPECT_EQ(count, 3);
  EXPECT_EQ(host_.Records().scheduledDelays, (std::vector<double>{0.0, 0.0, 0.0}));
  EXPECT_EQ(Seconds(), 0.0);
}

TEST_F(TimersTest, TheNextDeadlineIsTakenBeforeTheCallableRuns) {
  plugin_->SetTimer("SLOW", 1.0, [&] { clock_.skew += 300000000; });  // the callable takes 0.3 s
  host_.Advance(1.0);
  ASSERT_EQ(host_.Records().scheduledDelays.size(), 2u);
  EXPECT_DOUBLE_EQ(host_.Records().scheduledDelays[1], 0.7);
}

TEST_F(TimersTest, ScheduledCallbacksRunOnceInIdOrderAndLeaveTheTable) {
  std::vector<uint64_t> ids;
  std::vector<std::string> ran;
  ids.push_back(plugin_->ScheduleCallback(
      "a", [&] { ran.push_back("a"); }, Now() + 2 * kSecond));
  ids.push_back(plugin_->ScheduleCallback(
      "b",
      [&] {
        ran.push_back("b");
        // A callable may schedule further work, and may fail without harming the others.
        ids.push_back(plugin_->ScheduleCallback(
            "c", [&] { ran.push_back("c"); }, Now()));
        throw std::runtime_error("b failed");
      },
      Now() - 5 * kSecond));
  ids.push_back(plugin_->ScheduleCallback(
      "d", [&] { ran.push_back("d"); }, Now() + kSecond / 2));
  EXPECT_EQ(host_.Records().scheduledLabels, (std::vector<std::string>{"a", "b", "d"}));
  EXPECT_EQ(host_.Records().scheduledDelays, (std::vector<double>{2.0, 0.0, 0.5}));
  EXPECT_EQ(plugin_->scheduledCallbacks_.size(), 3u);

  host_.Advance(3.0);
  EXPECT_EQ(ran, (std::vector<std::string>{"b", "c", "d", "a"}));
  EXPECT_EQ(ids, (std::vector<uint64_t>{1, 2, 3, 4}));
  EXPECT_TRUE(plugin_->scheduledCallbacks_.empty());
  bool logged = false;
  for (const auto& line : host_.Records().logs) {
    logged |= line.level == 2 && line.message == "tester: Scheduled callback 2 failed: b failed";
  }
  EXPECT_TRUE(logged);
}

TEST_F(TimersTest, PeriodsBeyondTheClockSaturateInsteadOfOverflowing) {
  struct Case {
    const char* name;
    double seconds;
    double delay;
  };
  const Case cases[] = {
      {"HUGE", 1e300, 9223372036.854775807},
      {"NAN", std::numeric_limits<double>::quiet_NaN(), 0.0},
      {"NEGATIVE", -4.0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plugin_->SetTimer(c.name, c.seconds, [] {});
    EXPECT_DOUBLE_EQ(host_.Records().scheduledDelays.back(), c.delay);
    plugin_->CancelTimer(c.name);
  }
}

}  // namespace
}  // namespace Zarn::Client
