// Rendering of log lines and times into caller buffers. Every function here cuts its text to
// the buffer and always terminates it (nothing is written when the size is 0).
#pragma once

#include <cstdint>

#include "sdk/base/BoundaryRecords.h"

namespace Zarn {

// The size of the buffers in which a message is formatted and a line rendered.
inline constexpr std::uint32_t kLogLineBufferSize = 4096;

// Renders `record` through the line `format` and ends the line with exactly one line feed.
// Codes: #D time, #E module base name, #G channel names, #H process clock, #L level name,
// #M message, #T thread identifier; "#" before any other character gives that character, and a
// "#" ending the format gives nothing. Two bytes stay reserved for the line feed and the
// terminator; a line that fills the buffer gives up its last two characters for the line feed,
// so in 4096 bytes a full line holds 4091 characters and the line feed, fewer where that would end
// it inside a character of UTF-8. A null format renders as an empty one.
void FormatLine(char* buffer, std::uint32_t size, const char* format,
                const LogRecord* record) noexcept;

// "2026-12-07T08:57:05.123".
void FormatIsoTime(char* buffer, std::uint32_t size, const LogTime* time) noexcept;

// "2026-12-07T08-57-05", usable in file names.
void FormatFileTime(char* buffer, std::uint32_t size, const LogTime* time) noexcept;

}  // namespace Zarn
