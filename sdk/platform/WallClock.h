// The plugin's wall clock: nanoseconds since 1970-01-01 00:00:00 UTC. Timestamps and local times
// are taken on it. Tests and the stand-in host replace its source, as with the steady clock.
#pragma once

#include <cstdint>

#include "sdk/platform/ClockSource.h"

namespace Zarn::Platform {

using WallClockSource = ClockSource;

// The present time in nanoseconds since the Unix epoch, from the installed source or, when none
// is installed, from the system's real-time clock (which may jump).
[[nodiscard]] int64_t WallClockNow() noexcept;

// Installs `source` with `context` (null restores the system clock). Install and restore while
// no other thread reads the clock: the pair is not replaced as one.
void SetWallClockSource(WallClockSource source, void* context) noexcept;

// The installed source and its context; null when the system clock is in use.
[[nodiscard]] WallClockSource GetWallClockSource(void** context) noexcept;

}  // namespace Zarn::Platform
