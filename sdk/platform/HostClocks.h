// Clocks that a host offers the plugin in place of the system's.
//
// A host that runs the plugin on a clock of its own (the stand-in host's virtual clock, so that
// scripts decide every deadline and timestamp) exports, from its executable's dynamic symbols,
//
//   extern "C" int64_t jyx_host_clock_now(uint32_t clock);
//
// answering, in nanoseconds, kHostSteadyClock: its steady clock (never decreasing) and
// kHostWallClock: its wall clock (since 1970-01-01 00:00:00 UTC). The plugin exports nothing for
// this and the host table is unchanged: the plugin's load function looks the name up, and a host
// that does not offer it leaves the plugin on the system's clocks.
#pragma once

#include <cstdint>

namespace Zarn::Platform {

inline constexpr char kHostClockSymbol[] = "jyx_host_clock_now";
inline constexpr uint32_t kHostSteadyClock = 0;
inline constexpr uint32_t kHostWallClock = 1;

using HostClockFunction = int64_t (*)(uint32_t clock);

// Looks kHostClockSymbol up among the symbols the process offers; when it is there, makes it the
// source of the steady and the wall clock (SteadyClock.h, WallClock.h) and returns true. When it
// is not, changes nothing and returns false.
bool AdoptHostClocks() noexcept;

}  // namespace Zarn::Platform
