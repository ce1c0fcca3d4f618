// Reports of broken invariants, logged as errors on the "DBG" channel.
#pragma once

#include <cstdint>

namespace Zarn {

// Builds the report text into `buffer` (`size` bytes, cut and always terminated):
//   "Assertion failed!\n\n"
//   "File: <file>\n"                 when the file is not empty
//   "Line: <line>\n\n"               when the line is not 0
//   "Function: <function>\n\n"       when the function is not empty
//   "Expression: <expression>"       when the expression is not empty
//   "\n\nDescription: <description>" when the description is not empty
// Any text may be null, which counts as empty.
void FormatAssertionMessage(char* buffer, std::uint32_t size, const char* expression,
                            const char* description, const char* file, std::int32_t line,
                            const char* function) noexcept;

// Logs the report at level 2 (" ERROR") on channel "DBG" with the format "%s" and returns; what
// follows is the caller's decision.
void ReportAssertion(const char* expression, const char* description, const char* file,
                     std::int32_t line, const char* function) noexcept;

}  // namespace Zarn
