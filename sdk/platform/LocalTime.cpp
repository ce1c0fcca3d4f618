#include "sdk/platform/LocalTime.h"

#include <ctime>

namespace Zarn::Platform {

void GetLocalTime(SystemTime* out) noexcept {
  *out = SystemTime{};
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) {
    return;
  }
  std::tm fields{};
  const time_t seconds = now.tv_sec;
  if (localtime_r(&seconds, &fields) == nullptr) {
    return;
  }
  out->year = static_cast<std::uint16_t>(fields.tm_year + 1900);
  out->month = static_cast<std::uint16_t>(fields.tm_mon + 1);
  out->dayOfWeek = static_cast<std::uint16_t>(fields.tm_wday);
  out->day = static_cast<std::uint16_t>(fields.tm_mday);
  out->hour = static_cast<std::uint16_t>(fields.tm_hour);
  out->minute = static_cast<std::uint16_t>(fields.tm_min);
  out->second = static_cast<std::uint16_t>(fields.tm_sec);
  out->milliseconds = static_cast<std::uint16_t>(now.tv_nsec / 1000000);
}

}  // namespace Zarn::Platform
