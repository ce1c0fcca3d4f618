// Linux stand-in for the platform's local wall-clock time split into fields.
#pragma once

#include <cstdint>
#include <ctime>

namespace Zarn::Platform {

// The calendar fields of one instant, as the platform's GetLocalTime yields them.
struct SystemTime {
  std::uint16_t year = 0;       // e.g. 2026
  std::uint16_t month = 0;      // 1..12
  std::uint16_t dayOfWeek = 0;  // 0 = Sunday .. 6
  std::uint16_t day = 0;        // 1..31
  std::uint16_t hour = 0;       // 0..23
  std::uint16_t minute = 0;     // 0..59
  std::uint16_t second = 0;     // 0..60
  std::uint16_t milliseconds = 0;
};

// Splits the wall clock's present time (WallClock.h) into local calendar fields and, when
// `milliseconds` is not null, its milliseconds. False, with `*fields` unspecified, when the time
// zone cannot be applied or the time does not fit the platform's time_t.
[[nodiscard]] bool ReadLocalTime(std::tm* fields, int* milliseconds) noexcept;

// Fills `out` (not null) with the current local time. If the time zone cannot be applied the
// fields stay zero, as a caller that only logs the time can live with.
void GetLocalTime(SystemTime* out) noexcept;

}  // namespace Zarn::Platform
