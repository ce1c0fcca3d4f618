// The template compiler: turns a template with named brace placeholders ("Error for {url}:
// {error}") into a positional format ("Error for %1: %2") and records each rendered
// placeholder's argument as a named attribute.
#pragma once

#include <cstddef>
#include <string>

#include "sdk/base/FailureAttribute.h"

namespace Zarn {

// Compiles `templateText` (null is the empty template) against `args[0..count)`. Placeholders
// take the arguments in their order of appearance; a name only names the attribute. Inside a
// placeholder: "#" appends the argument's type suffix to the name, "!" drops trailing white
// space instead of printing the argument, "?text" prints `text` for an empty argument, ":spec"
// is a printf specification, "@str"/"@hex" convert the argument to text. "{{" and "}}" stand
// for single braces; "%" conversions pass through with their argument number made explicit.
// The compiled format is appended to `outFormat`; attributes are inserted into `attributes`,
// replacing earlier values of the same name. A placeholder beyond the last argument or left
// open at the end is dropped.
void FormatString(const char* templateText, const FailureAttribute* args, std::size_t count,
                  std::string& outFormat, FailureAttributes& attributes);

// Fills a compiled format with the same arguments (at most 4095 characters). A boolean prints
// as "true" or "false".
[[nodiscard]] std::string FormatAttributes(const char* format, const FailureAttribute* args,
                                           std::size_t count);

}  // namespace Zarn
