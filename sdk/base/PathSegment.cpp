#include "sdk/base/PathSegment.h"

namespace Zarn {

namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

void AppendEscaped(std::string* path, unsigned char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  path->push_back('%');
  path->push_back(kHex[c >> 4]);
  path->push_back(kHex[c & 0xF]);
}

}  // namespace

void AppendPathSegment(std::string* path, std::string_view value) {
  if (value == "." || value == "..") {
    for (const char c : value) AppendEscaped(path, static_cast<unsigned char>(c));
    return;
  }
  // Ids are nearly always plain: they go out in one append.
  std::size_t plain = 0;
  while (plain < value.size() && IsUnreserved(static_cast<unsigned char>(value[plain]))) ++plain;
  path->append(value.data(), plain);
  for (std::size_t i = plain; i < value.size(); ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    if (IsUnreserved(c)) {
      path->push_back(static_cast<char>(c));
    } else {
      AppendEscaped(path, c);
    }
  }
}

std::string PathSegment(std::string_view value) {
  std::string segment;
  AppendPathSegment(&segment, value);
  return segment;
}

}  // namespace Zarn
