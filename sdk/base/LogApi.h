// Writing log lines through the process-wide logging state. The state's C table, LogApi, is
// declared in BoundaryRecords.h; LogApi::GetTable (defined with these functions) returns it.
#pragma once

#include <cstdarg>
#include <cstdint>

namespace Zarn {

// Writes one line: creates the state when missing (dropping the line when it cannot), filters
// by the state's disabled flag, threshold and exclusion mask, formats the message (cut to 4095
// characters), stamps it with the local time and hands it to every attached target that lets
// it through. A null `format` writes nothing. Never throws, never allocates.
void WriteLogMessage(std::int32_t level, std::uint64_t channels, const char* format,
                     va_list arguments) noexcept;

}  // namespace Zarn
