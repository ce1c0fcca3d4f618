// Test helper: replaces the wall clock's source for the helper's lifetime.
#pragma once

#include "sdk/platform/WallClock.h"
#include "tests/sdk/platform/ClockSourceTesting.h"

namespace Zarn::Platform {

using ScopedWallClockSource = ScopedClockSource<&GetWallClockSource, &SetWallClockSource>;

}  // namespace Zarn::Platform
