// Linux stand-ins for the platform's high-resolution performance counter.
#pragma once

#include <cstdint>

namespace Zarn::Platform {

// Ticks per second of QueryPerformanceCounter; constant for the life of the process.
[[nodiscard]] std::int64_t QueryPerformanceFrequency() noexcept;

// The current tick count of a monotonic clock; never decreases.
[[nodiscard]] std::int64_t QueryPerformanceCounter() noexcept;

}  // namespace Zarn::Platform
