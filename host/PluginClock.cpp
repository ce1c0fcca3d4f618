#include "host/PluginClock.h"

#include <limits>
#include <mutex>

namespace Zarn::Host {

namespace {

struct Followed {
  std::mutex lock;
  const HostScheduler* scheduler = nullptr;
  int64_t base = 0;  // steady time when the scheduler's clock stood at 0
  int64_t last = 0;  // the last steady reading given
};

Followed& State() {
  static Followed state;
  return state;
}

// a + b, held at the ends of 64 bits: a process whose hosts together ran past a century must
// still read a clock that never goes back.
int64_t SaturatedSum(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

}  // namespace

void FollowPluginClock(const HostScheduler* scheduler) {
  Followed& state = State();
  std::lock_guard<std::mutex> lock(state.lock);
  if (state.scheduler == scheduler) return;
  state.scheduler = scheduler;
  state.base = state.last - scheduler->Now();
}

void ReleasePluginClock(const HostScheduler* scheduler) {
  Followed& state = State();
  std::lock_guard<std::mutex> lock(state.lock);
  if (state.scheduler == scheduler) state.scheduler = nullptr;
}

int64_t PluginSteadyNow() {
  Followed& state = State();
  std::lock_guard<std::mutex> lock(state.lock);
  if (state.scheduler != nullptr) state.last = SaturatedSum(state.base, state.scheduler->Now());
  return state.last;
}

int64_t PluginWallNow() { return SaturatedSum(kPluginWallClockStart, PluginSteadyNow()); }

}  // namespace Zarn::Host

// The host's half of the clock contract of sdk/platform/HostClocks.h; exported from every
// executable that links the host (see host/CMakeLists.txt). Any other clock number answers 0.
extern "C" __attribute__((visibility("default"))) int64_t jyx_host_clock_now(uint32_t clock) {
  switch (clock) {
    case 0:
      return Zarn::Host::PluginSteadyNow();
    case 1:
      return Zarn::Host::PluginWallNow();
    default:
      return 0;
  }
}
