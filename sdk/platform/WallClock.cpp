#include "sdk/platform/WallClock.h"

#include <chrono>

namespace Zarn::Platform {

namespace {

ClockSourceSlot& Slot() {
  static ClockSourceSlot slot;
  return slot;
}

int64_t SystemWallNow() {
  return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count());
}

}  // namespace

int64_t WallClockNow() noexcept { return Slot().Now(&SystemWallNow); }

void SetWallClockSource(WallClockSource source, void* context) noexcept {
  Slot().Set(source, context);
}

WallClockSource GetWallClockSource(void** context) noexcept { return Slot().Get(context); }

}  // namespace Zarn::Platform
