// The plugin's steady clock: nanoseconds of a monotonic clock. Deadlines of scheduled callbacks
// and timers are taken on it. Tests and the stand-in host replace its source with a virtual clock
// so that the delays handed to a host are exact.
#pragma once

#include <cstdint>

#include "sdk/platform/ClockSource.h"

namespace Zarn::Platform {

using SteadyClockSource = ClockSource;

// The present time in nanoseconds, from the installed source or, when none is installed, from
// the system's monotonic clock (which never decreases).
[[nodiscard]] int64_t SteadyClockNow() noexcept;

// Installs `source` with `context` (null restores the system clock). Install and restore while
// no other thread reads the clock: the pair is not replaced as one.
void SetSteadyClockSource(SteadyClockSource source, void* context) noexcept;

// The installed source and its context; null when the system clock is in use.
[[nodiscard]] SteadyClockSource GetSteadyClockSource(void** context) noexcept;

}  // namespace Zarn::Platform
