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

}  // namespace Zarn
