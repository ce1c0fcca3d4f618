// Percent-decoding and query-string parsing of request paths.
#pragma once

#include <string>
#include <string_view>

#include "sdk/api/TextMap.h"

namespace Zarn {

// Decodes `text`: "+" becomes a space and "%" with two hexadecimal digits becomes the byte they
// spell. A "%" followed by two characters that are not both hexadecimal digits is kept with them
// as it is; a "%" with fewer than two characters after it is dropped and what follows is kept.
[[nodiscard]] std::string UrlDecode(std::string_view text);

// Splits `query` (the text after the "?") at every "&"; each piece is "key=value" (split at the
// first "=") or a bare key with an empty value. Keys and values are URL-decoded; a repeated key
// keeps its last value. Empty pieces give the empty key.
[[nodiscard]] TextMap ParseQuery(std::string_view query);

}  // namespace Zarn
