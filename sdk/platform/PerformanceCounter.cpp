#include "sdk/platform/PerformanceCounter.h"

#include <chrono>

#include "sdk/platform/SteadyClock.h"

namespace Zarn::Platform {

namespace {
using Tick = std::chrono::nanoseconds;
}  // namespace

std::int64_t QueryPerformanceFrequency() noexcept {
  return static_cast<std::int64_t>(Tick::period::den / Tick::period::num);
}

// Ticks are the steady clock's nanoseconds, so a test that replaces that clock moves this one.
std::int64_t QueryPerformanceCounter() noexcept { return SteadyClockNow(); }

}  // namespace Zarn::Platform
