// The message of a log line, formatted from the printf format and arguments its writer gave.
#pragma once

#include <cstdarg>
#include <cstdint>

namespace Zarn {

// Formats `format` with `arguments` into `buffer` as vsnprintf does, cut to size - 1 characters and
// terminated (nothing is written when `size` is 0), except for the texts that "%s" conversions
// substitute: their control bytes are written escaped, "\n", "\r" and "\t" for line feed, carriage
// return and tab, "\xHH" for every other byte below 0x20 and for 0x7F; so are the C1 controls
// (U+0080 to U+009F) and the Unicode line ends U+2028 and U+2029, as "\u0080" to "\u009f",
// "\u2028" and "\u2029", and every byte that is no part of valid UTF-8 (an overlong form, a
// surrogate, beyond U+10FFFF, a character cut short), as "\xHH"; other characters are copied.
// Those texts come from callers and peers: none may start a line of its own in a log, and the log
// stays UTF-8. A backslash stays as it is, so that texts that hold escapes already (JSON) read as
// they always did. The format itself is copied as it is. A message cut to size ends where a
// character ends. A conversion that takes its argument by position ("%1$s") or that the C library
// does not know ends the message there; "%n" writes nothing.
void FormatLogMessage(char* buffer, std::uint32_t size, const char* format,
                      va_list arguments) noexcept;

}  // namespace Zarn
