#include "sdk/base/PerfCounter.h"

#include "sdk/platform/PerformanceCounter.h"

namespace Zarn {

namespace {

struct ProcessClock {
  double secondsPerTick;
  std::int64_t start;
};

const ProcessClock& Clock() noexcept {
  static const ProcessClock clock{1.0 / static_cast<double>(PerfCounter::Frequency()),
                                  Platform::QueryPerformanceCounter()};
  return clock;
}

}  // namespace

std::int64_t PerfCounter::Frequency() noexcept {
  static const std::int64_t frequency = Platform::QueryPerformanceFrequency();
  return frequency;
}

double PerfCounter::Now() noexcept {
  const ProcessClock& clock = Clock();
  const std::int64_t ticks = Platform::QueryPerformanceCounter() - clock.start;
  return static_cast<double>(ticks) * clock.secondsPerTick;
}

}  // namespace Zarn
