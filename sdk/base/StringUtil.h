// Splitting, tokenizing, joining, lower-casing and replacing in texts; reading digits.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Zarn {

// The pieces of `text` between occurrences of `separator`, empty pieces included: "a,b," gives
// "a", "b" and "", and the empty text one empty piece. An empty `separator` gives the whole text
// as one piece.
[[nodiscard]] std::vector<std::string> SplitString(std::string_view text,
                                                   std::string_view separator);

// The maximal runs of characters of `text` that are not in `delimiters`, in order; never an
// empty token ("/a//b/" on "/" gives "a" and "b").
[[nodiscard]] std::vector<std::string> Tokenize(std::string_view text, std::string_view delimiters);

// parts[first] up to parts[first + count - 1] (stopping at the last part) joined by
// `separator`; empty when `first` is past the end or `count` is 0.
[[nodiscard]] std::string JoinStrings(const std::vector<std::string>& parts,
                                      std::string_view separator, std::size_t first,
                                      std::size_t count);

// A copy with each byte passed through the C library's tolower.
[[nodiscard]] std::string ToLower(std::string_view text);

// A copy of `text` with every occurrence of `pattern` replaced, found left to right without
// overlap; a replacement is never searched again. An empty `pattern` changes nothing.
[[nodiscard]] std::string ReplaceAll(std::string_view text, std::string_view pattern,
                                     std::string_view replacement);

// The value of `c` as a digit of `base` (2 to 16, letters in either case), or -1.
[[nodiscard]] constexpr int DigitValue(char c, unsigned base) noexcept {
  int value = -1;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  }
  return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

}  // namespace Zarn
