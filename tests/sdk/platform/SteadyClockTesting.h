// Test helper: replaces the steady clock's source for the helper's lifetime.
#pragma once

#include "sdk/platform/SteadyClock.h"
#include "tests/sdk/platform/ClockSourceTesting.h"

namespace Zarn::Platform {

using ScopedSteadyClockSource = ScopedClockSource<&GetSteadyClockSource, &SetSteadyClockSource>;

}  // namespace Zarn::Platform
