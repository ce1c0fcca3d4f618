// The clocks a plugin reads while the stand-in host runs it: the host exports
// jyx_host_clock_now (sdk/platform/HostClocks.h gives the contract), which the plugin looks up at
// load, and answers from the virtual clock of the host that loaded a plugin last. Steady time is
// that host's virtual time, continued from the last reading of an earlier host so that it never
// decreases within the process; wall time is kPluginWallClockStart plus the steady time.
#pragma once

#include <cstdint>

#include "host/HostScheduler.h"

namespace Zarn::Host {

// 2026-01-01 00:00:00 UTC, in nanoseconds since 1970: the wall clock when the first host starts.
inline constexpr int64_t kPluginWallClockStart = 1'767'225'600'000'000'000;

// The plugin's clocks follow `scheduler` (not null) from now on; it must outlive the following
// or be released first.
void FollowPluginClock(const HostScheduler* scheduler);
// Stops following `scheduler` when it is the one followed: the clocks then stand still.
void ReleasePluginClock(const HostScheduler* scheduler);

// The plugin's present steady and wall time, in nanoseconds.
[[nodiscard]] int64_t PluginSteadyNow();
[[nodiscard]] int64_t PluginWallNow();

}  // namespace Zarn::Host
