#include "sdk/base/LocalTime.h"

#include <ctime>
#include <exception>
#include <string_view>

#include "sdk/platform/LocalTime.h"

namespace Zarn {

void GetLocalTime(LogTime* time) noexcept {
  if (time == nullptr) {
    return;
  }
  Platform::SystemTime now;
  Platform::GetLocalTime(&now);
  *time = LogTime{now.year, now.month, now.day, now.hour, now.minute, now.second, now.milliseconds};
}

void FormatLocalTime(const char* pattern, SmallString* out) noexcept {
  if (out == nullptr) {
    return;
  }
  char text[256];
  std::size_t length = 0;
  std::tm fields{};
  if (pattern != nullptr && Platform::ReadLocalTime(&fields, nullptr)) {
    // strftime gives 0, with the buffer's contents undefined, when the text does not fit.
    length = std::strftime(text, sizeof(text), pattern, &fields);
  }
  try {
    out->Assign(std::string_view(text, length));
  } catch (const std::exception&) {
    out->Assign(std::string_view());
  }
}

}  // namespace Zarn
