// Scheduled callbacks and named periodic timers of AppModule, built on the host's one primitive:
// a callback after a delay.
#include <cmath>
#include <exception>
#include <limits>

#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/platform/SteadyClock.h"
#include "sdk/runtime/AppModule.h"

namespace Zarn::Client {

namespace {

constexpr double kNanosecondsPerSecond = 1000000000.0;
// The channels of the timer's warning.
constexpr uint32_t kTimerLogMask = 0x41;

// `now` plus `seconds`, computed in floating point and truncated. A deadline beyond the clock's
// range saturates, and a period that is not a number counts as none, so no period can overflow
// the conversion back to an integer.
int64_t DeadlineAfter(int64_t now, double seconds) {
  const double deadline = static_cast<double>(now) + seconds * kNanosecondsPerSecond;
  if (std::isnan(deadline)) return now;
  // 2^63 as a double; every double below it converts.
  constexpr double kLimit = 9223372036854775808.0;
  if (deadline >= kLimit) return std::numeric_limits<int64_t>::max();
  if (deadline < -kLimit) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(deadline);
}

// Seconds from `now` until `deadline`; 0.0 for a deadline that has passed.
double DelayUntil(int64_t deadline, int64_t now) {
  int64_t remaining = 0;
  if (__builtin_sub_overflow(deadline, now, &remaining)) {
    remaining = deadline > now ? std::numeric_limits<int64_t>::max() : 0;
  }
  if (remaining <= 0) return 0.0;
  return static_cast<double>(remaining) * 1e-9;
}

}  // namespace

uint64_t AppModule::ScheduleCallback(const std::string& label, Callback callback,
                                     int64_t deadline) {
  const double delay = DelayUntil(deadline, Platform::SteadyClockNow());
  ScheduledCallback* entry = nullptr;
  uint64_t id = 0;
  {
    std::lock_guard<std::mutex> lock(callbackLock_);
    id = nextCallbackId_++;
    // The table's nodes never move, so the host may hold the entry's address until it runs.
    entry = &scheduledCallbacks_[id];
    entry->module = this;
    entry->id = id;
    entry->callback = std::move(callback);
    entry->label = label;
  }
  ScheduleHostCallback(label.c_str(), &RunScheduledCallback, entry, delay, 0);
  return id;
}

void AppModule::RunScheduledCallback(void* context) {
  auto* entry = static_cast<ScheduledCallback*>(context);
  if (entry == nullptr) return;
  AppModule* module = entry->module;
  const uint64_t id = entry->id;
  // This is a C callback: nothing may leave it, not even a failure to take the lock.
  try {
    // The callable is taken out of the table before it runs: it may wait, and while it waits the
    // host may run other callbacks that change the table.
    Callback callback;
    std::string label;
    {
      std::lock_guard<std::mutex> lock(module->callbackLock_);
      callback = std::move(entry->callback);
      label = std::move(entry->label);
    }
    module->RunAtGate(std::move(label), std::move(callback));
  } catch (const std::exception& e) {
    LogPrintf(kLogLevelError, 1, 0, "%s: Scheduled callback %llu failed: %s", module->name_.c_str(),
              static_cast<unsigned long long>(id), e.what());
  } catch (...) {
    LogPrintf(kLogLevelError, 1, 0, "%s: Scheduled callback %llu failed", module->name_.c_str(),
              static_cast<unsigned long long>(id));
  }
  try {
    std::lock_guard<std::mutex> lock(module->callbackLock_);
    module->scheduledCallbacks_.erase(id);
  } catch (const std::exception& e) {
    LogPrintf(kLogLevelError, 1, 0, "%s: Scheduled callback %llu not removed: %s",
              module->name_.c_str(), static_cast<unsigned long long>(id), e.what());
  }
}

void AppModule::SetTimer(const std::string& name, double seconds, Callback callback) {
  TimerEntry& entry = timers_[name];
  entry.name = name;
  entry.period = seconds;
  entry.deadline = DeadlineAfter(Platform::SteadyClockNow(), seconds);
  // Generations are unique across the module, so a firing left from a cancelled timer can never
  // pass for one of a timer set again under the same name.
  entry.generation = ++nextTimerGeneration_;
  const uint64_t generation = entry.generation;
  entry.callback = [this, name, generation, callback = std::move(callback)] {
    FireTimer(name, generation, callback);
  };
  Callback firing = entry.callback;
  const int64_t deadline = entry.deadline;
  ScheduleCallback(Format("Timer: %1", name), std::move(firing), deadline);
}

std::size_t AppModule::CancelTimer(const std::string& name) { return timers_.erase(name); }

void AppModule::FireTimer(const std::string& name, uint64_t generation, const Callback& callback) {
  auto it = timers_.find(name);
  if (it == timers_.end()) {
    LogPrintf(kLogLevelWarn, kTimerLogMask, 0, "%s: Couldn't find timer named %s", name_.c_str(),
              name.c_str());
    return;
  }
  if (it->second.generation != generation) return;  // replaced by a later SetTimer
  // The next firing is measured from the start of this one.
  it->second.deadline = DeadlineAfter(Platform::SteadyClockNow(), it->second.period);
  callback();
  // The callable may have cancelled or set the timer: look it up again.
  it = timers_.find(name);
  if (it == timers_.end() || it->second.generation != generation) return;
  Callback firing = it->second.callback;
  const int64_t deadline = it->second.deadline;
  ScheduleCallback(Format("Timer: %1", name), std::move(firing), deadline);
}

}  // namespace Zarn::Client
