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
  for (const char byte : value) {
    const auto c = static_cast<unsigned char>(byte);
    if (IsUnreserved(c)) {
      path->push_back(byte);
    } else {
      AppendEscaped(path, c);
    }
  }
}

SegmentFault FindSegmentFault(std::string_view value) noexcept {
  bool onlyDots = !value.empty();
  for (const char byte : value) {
    const auto c = static_cast<unsigned char>(byte);
    if (c < 0x20 || c == 0x7F) return SegmentFault::kControlByte;
    onlyDots = onlyDots && c == '.';
  }
  return onlyDots ? SegmentFault::kOnlyDots : SegmentFault::kNone;
}

std::string PathSegment(std::string_view value) {
  std::string segment;
  AppendPathSegment(&segment, value);
  return segment;
}

}  // namespace Zarn
