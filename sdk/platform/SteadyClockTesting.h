// Test helper: replaces the steady clock's source for the helper's lifetime.
#pragma once

#include "sdk/platform/ClockSourceTesting.h"
#include "sdk/platform/SteadyClock.h"

namespace Zarn::Platform {

using ScopedSteadyClockSource = ScopedClockSource<&GetSteadyClockSource, &SetSteadyClockSource>;

}  // namespace Zarn::Platform
