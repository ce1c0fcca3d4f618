// The local wall-clock time, split into fields or formatted.
#pragma once

#include "sdk/base/BoundaryRecords.h"
#include "sdk/base/SmallString.h"

namespace Zarn {

// Fills `time` (not null) with the current local time.
void GetLocalTime(LogTime* time) noexcept;

// Formats the current local time with the strftime `pattern` (not null) into `out`. A result
// longer than 255 characters, or a time that cannot be split into fields, gives the empty text.
void FormatLocalTime(const char* pattern, SmallString* out) noexcept;

}  // namespace Zarn
