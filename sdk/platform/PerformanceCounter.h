// Linux stand-ins for the platform's high-resolution performance counter.
#pragma once

#include <cstdint>

namespace Zarn::Platform {

// Ticks per second of QueryPerformanceCounter; constant for the life of the process.
[[nodiscard]] std::int64_t QueryPerformanceFrequency() noexcept;

// The current tick count: the steady clock's nanoseconds (SteadyClock.h), so it never decreases
// unless a test installs a clock source that does.
[[nodiscard]] std::int64_t QueryPerformanceCounter() noexcept;

}  // namespace Zarn::Platform
