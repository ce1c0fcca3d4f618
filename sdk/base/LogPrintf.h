// The printf-style entry through which the plugin, the SDK and the lobby write log lines.
#pragma once

#include <cstdint>

namespace Zarn {

// Hands `level`, the channel mask (low half first), `format` and the arguments unchanged to
// the logging table's Write entry. Never fails and never throws.
void LogPrintf(std::int32_t level, std::uint32_t maskLow, std::uint32_t maskHigh,
               const char* format, ...) noexcept __attribute__((format(printf, 4, 5)));

}  // namespace Zarn
