// Percent-decoding and query-string parsing of request paths.
#pragma once

#include <string>
#include <string_view>

#include "sdk/api/TextMap.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"

namespace Zarn {

// Decodes `text`: "+" becomes a space and "%" with two hexadecimal digits becomes the byte they
// spell. A "%" followed by two characters that are not both hexadecimal digits is kept with them
// as it is; a "%" with fewer than two characters after it is dropped and what follows is kept.
// Fails when the text spells a NUL ("%00"): whatever reads the decoded text as a C string would
// take only what comes before it, so that "a%00b" would name "a".
[[nodiscard]] MaybeType<Failure, std::string> UrlDecode(std::string_view text);

// The failure of a request whose argument `name` (a query key or a path parameter) UrlDecode
// refused; `name` is shown as given.
[[nodiscard]] Failure RefusedArgumentText(std::string_view name);

// Splits `query` (the text after the "?") at every "&"; each piece is "key=value" (split at the
// first "=") or a bare key with an empty value. Keys and values are URL-decoded; the map holds
// the keys in the order written, a repeated key in its first place with its last value. Empty
// pieces give the empty key. Fails, naming the argument, at the first
// key or value that UrlDecode refuses (a key that is refused is named as written).
[[nodiscard]] MaybeType<Failure, TextMap> ParseQuery(std::string_view query);

}  // namespace Zarn
