// How far one name is from another, to point from a mistyped name to the one meant.
#pragma once

#include <cstddef>
#include <string_view>

namespace Zarn::Host {

// The edits that turn `a` into `b`, letters compared in either case: insertions, deletions,
// substitutions and swaps of two neighbours ("GTE" is one from "GET"). Takes time and memory in
// proportion to the product and the length of the two: callers skip names far apart in length.
[[nodiscard]] std::size_t EditDistance(std::string_view a, std::string_view b);

// The most edits by which a mistyped `word` still names the name meant: one for a word of four
// letters or fewer, two for a longer one, so that a short word does not name every short name.
[[nodiscard]] std::size_t NearEdits(std::string_view word);

}  // namespace Zarn::Host
