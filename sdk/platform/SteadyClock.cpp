#include "sdk/platform/SteadyClock.h"

#include <chrono>

namespace Zarn::Platform {

namespace {

ClockSourceSlot& Slot() {
  static ClockSourceSlot slot;
  return slot;
}

int64_t SystemSteadyNow() {
  return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                  std::chrono::steady_clock::now().time_since_epoch())
                                  .count());
}

}  // namespace

int64_t SteadyClockNow() noexcept { return Slot().Now(&SystemSteadyNow); }

void SetSteadyClockSource(SteadyClockSource source, void* context) noexcept {
  Slot().Set(source, context);
}

SteadyClockSource GetSteadyClockSource(void** context) noexcept { return Slot().Get(context); }

}  // namespace Zarn::Platform
