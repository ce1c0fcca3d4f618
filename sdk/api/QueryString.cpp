#include "sdk/api/QueryString.h"

#include <cstddef>

namespace Zarn {
namespace {

// The value of a hexadecimal digit, or -1.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string UrlDecode(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      decoded.push_back(' ');
    } else if (c != '%') {
      decoded.push_back(c);
    } else if (text.size() - i < 3) {
      // Too short to spell a byte: the "%" is dropped, the rest is decoded as usual.
    } else {
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high < 0 || low < 0) {
        decoded.append(text.substr(i, 3));
      } else {
        decoded.push_back(static_cast<char>(high * 16 + low));
      }
      i += 2;
    }
  }
  return decoded;
}

TextMap ParseQuery(std::string_view query) {
  TextMap arguments;
  while (true) {
    const std::size_t end = query.find('&');
    const std::string_view piece = query.substr(0, end);
    const std::size_t equals = piece.find('=');
    std::string key = UrlDecode(piece.substr(0, equals));
    std::string value =
        equals == std::string_view::npos ? std::string() : UrlDecode(piece.substr(equals + 1));
    arguments.insert_or_assign(std::move(key), std::move(value));
    if (end == std::string_view::npos) break;
    query.remove_prefix(end + 1);
  }
  return arguments;
}

}  // namespace Zarn
