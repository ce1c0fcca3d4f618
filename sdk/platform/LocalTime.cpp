#include "sdk/platform/LocalTime.h"

#include <limits>

#include "sdk/platform/WallClock.h"

namespace Zarn::Platform {

bool ReadLocalTime(std::tm* fields, int* milliseconds) noexcept {
  const int64_t now = WallClockNow();
  // Rounded down, so that an instant before 1970 keeps its milliseconds within 0 to 999.
  const int64_t millis = now / 1000000 - (now % 1000000 < 0 ? 1 : 0);
  const int64_t wholeSeconds = millis / 1000 - (millis % 1000 < 0 ? 1 : 0);
  if (wholeSeconds < std::numeric_limits<time_t>::min() ||
      wholeSeconds > std::numeric_limits<time_t>::max()) {
    return false;
  }
  const time_t seconds = static_cast<time_t>(wholeSeconds);
  *fields = std::tm{};
  if (localtime_r(&seconds, fields) == nullptr) return false;
  if (milliseconds != nullptr) *milliseconds = static_cast<int>(millis - wholeSeconds * 1000);
  return true;
}

void GetLocalTime(SystemTime* out) noexcept {
  *out = SystemTime{};
  std::tm fields{};
  int milliseconds = 0;
  if (!ReadLocalTime(&fields, &milliseconds)) return;
  out->year = static_cast<std::uint16_t>(fields.tm_year + 1900);
  out->month = static_cast<std::uint16_t>(fields.tm_mon + 1);
  out->dayOfWeek = static_cast<std::uint16_t>(fields.tm_wday);
  out->day = static_cast<std::uint16_t>(fields.tm_mday);
  out->hour = static_cast<std::uint16_t>(fields.tm_hour);
  out->minute = static_cast<std::uint16_t>(fields.tm_min);
  out->second = static_cast<std::uint16_t>(fields.tm_sec);
  out->milliseconds = static_cast<std::uint16_t>(milliseconds);
}

}  // namespace Zarn::Platform
