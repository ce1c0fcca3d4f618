#include "sdk/base/LogPrintf.h"

#include <cstdarg>

#include "sdk/base/LogApi.h"

namespace Zarn {

void LogPrintf(std::int32_t level, std::uint32_t maskLow, std::uint32_t maskHigh,
               const char* format, ...) noexcept {
  va_list arguments;
  va_start(arguments, format);
  LogApi::GetTable()->Write(level, maskLow, maskHigh, format, arguments);
  va_end(arguments);
}

}  // namespace Zarn
