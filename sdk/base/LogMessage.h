// The message of a log line, formatted from the printf format and arguments its writer gave.
#pragma once

#include <cstdarg>
#include <cstdint>

namespace Zarn {

// Formats `format` with `arguments` into `buffer` as vsnprintf does, cut to size - 1 characters and
// terminated (nothing is written when `size` is 0), except for the texts that "%s" conversions
// substitute: their control bytes are written escaped, "\n", "\r" and "\t" for line feed, carriage
// return and tab, "\xHH" for every other byte below 0x20 and for 0x7F, and so are the UTF-8 forms
// of the Unicode line ends U+0085, U+2028 and U+2029, as "\u0085", "\u2028" and "\u2029" (every
// other byte, of valid UTF-8 or not, is copied). Those texts come from callers and peers, and none
// may start a line of its own in a log. A backslash stays as it is, so that texts that hold escapes
// already (JSON) read as they always did. The format itself is copied as it is. A conversion that
// takes its argument by position ("%1$s") or that the C library does not know ends the message
// there; "%n" writes nothing.
void FormatLogMessage(char* buffer, std::uint32_t size, const char* format,
                      va_list arguments) noexcept;

}  // namespace Zarn
