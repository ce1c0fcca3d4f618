#include "sdk/platform/PerformanceCounter.h"

#include <chrono>

namespace Zarn::Platform {

namespace {
using Clock = std::chrono::steady_clock;
using Tick = std::chrono::nanoseconds;
}  // namespace

std::int64_t QueryPerformanceFrequency() noexcept {
  return static_cast<std::int64_t>(Tick::period::den / Tick::period::num);
}

std::int64_t QueryPerformanceCounter() noexcept {
  return static_cast<std::int64_t>(
      std::chrono::duration_cast<Tick>(Clock::now().time_since_epoch()).count());
}

}  // namespace Zarn::Platform
