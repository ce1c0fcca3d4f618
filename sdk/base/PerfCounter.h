// The process clock: seconds elapsed on the performance counter since its first reading.
#pragma once

#include <cstdint>

namespace Zarn {

class PerfCounter {
 public:
  PerfCounter() = delete;

  // Counter ticks per second, read once and cached.
  [[nodiscard]] static std::int64_t Frequency() noexcept;

  // Seconds since the first call in the process (that call gives about 0); never decreases.
  [[nodiscard]] static double Now() noexcept;
};

}  // namespace Zarn
