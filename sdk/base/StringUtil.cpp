#include "sdk/base/StringUtil.h"

#include <algorithm>
#include <cctype>

namespace Zarn {

std::vector<std::string> SplitString(std::string_view text, std::string_view separator) {
  if (separator.empty()) return {std::string(text)};
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t found = text.find(separator, start);
    if (found == std::string_view::npos) {
      pieces.emplace_back(text.substr(start));
      return pieces;
    }
    pieces.emplace_back(text.substr(start, found - start));
    start = found + separator.size();
  }
}

std::vector<std::string> Tokenize(std::string_view text, std::string_view delimiters) {
  std::vector<std::string> tokens;
  std::size_t start = text.find_first_not_of(delimiters);
  while (start != std::string_view::npos) {
    const std::size_t end = text.find_first_of(delimiters, start);
    tokens.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    start = text.find_first_not_of(delimiters, end);
  }
  return tokens;
}

std::string JoinStrings(const std::vector<std::string>& parts, std::string_view separator,
                        std::size_t first, std::size_t count) {
  std::string joined;
  if (first >= parts.size() || count == 0) return joined;
  const std::size_t last = first + std::min(count, parts.size() - first);
  for (std::size_t i = first; i < last; ++i) {
    if (i != first) joined += separator;
    joined += parts[i];
  }
  return joined;
}

std::string ToLower(std::string_view text) {
  std::string lower(text);
  // Through unsigned char: tolower of a negative char (bytes 0x80 and up) is undefined.
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
  if (text.empty() || pattern.empty() || pattern == replacement) return std::string(text);
  std::string out;
  std::size_t start = 0;
  for (std::size_t found; (found = text.find(pattern, start)) != std::string_view::npos;
       start = found + pattern.size()) {
    out.append(text.substr(start, found - start));
    out.append(replacement);
  }
  out.append(text.substr(start));
  return out;
}

std::size_t Utf8CharacterLength(std::string_view text) noexcept {
  if (text.empty()) return 0;
  const auto byte = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  // The second byte's range rules out the overlong forms, the surrogates and what lies beyond
  // U+10FFFF.
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

std::size_t Utf8CharacterBoundary(const char* text, std::size_t count) noexcept {
  // The last byte that is no continuation byte, among the last three: the character it starts
  // either ends by `count` or is left out whole.
  for (std::size_t back = 1; back <= 3 && back <= count; ++back) {
    const auto byte = static_cast<unsigned char>(text[count - back]);
    if ((byte & 0xC0) == 0x80) continue;
    const std::size_t length = byte < 0xC0 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
    return length > back ? count - back : count;
  }
  return count;
}

}  // namespace Zarn
