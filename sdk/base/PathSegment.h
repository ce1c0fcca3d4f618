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

}  // namespace Zarn
