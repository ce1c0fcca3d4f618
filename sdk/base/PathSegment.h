// Values put into a request's or an event's path as one segment of it.
#pragma once

#include <string>
#include <string_view>

namespace Zarn {

// `value` as one path segment: every byte other than an ASCII letter, a digit, '-', '.', '_' or
// '~' becomes "%" and two upper-case hexadecimal digits (a NUL "%00", a multi-byte character each
// of its bytes), and a value that is only "." or ".." has its dots escaped too ("%2E", "%2E%2E"),
// so that no reader takes it for the directory itself or the one above. A value of unreserved
// characters alone comes back unchanged; the empty value stays empty.
[[nodiscard]] std::string PathSegment(std::string_view value);

// Appends PathSegment(`value`) to `*path`.
void AppendPathSegment(std::string* path, std::string_view value);

// What keeps a value from naming anything as a segment, however it is encoded.
enum class SegmentFault {
  kNone,
  // Only dots: a reader that decodes "%2E" before it removes dot segments takes one or two for
  // the directory itself or the one above, and no id is more of them.
  kOnlyDots,
  // A control byte (below 0x20, or 0x7F), which no id holds.
  kControlByte,
};

// The fault of `value`; kNone for the empty value, which names what has no id.
[[nodiscard]] SegmentFault FindSegmentFault(std::string_view value) noexcept;

}  // namespace Zarn
