// How far one name is from another, to point from a mistyped name to the one meant.
#pragma once

#include <cstddef>
#include <string_view>

namespace Zarn::Host {

// The edits that turn `a` into `b`, letters compared in either case: insertions, deletions,
// substitutions and swaps of two neighbours ("GTE" is one from "GET"). Takes time and memory in
// proportion to the product and the length of the two: callers skip names far apart in length.
[[nodiscard]] std::size_t EditDistance(std::string_view a, std::string_view b);

}  // namespace Zarn::Host
