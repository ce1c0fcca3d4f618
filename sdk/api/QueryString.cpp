#include "sdk/api/QueryString.h"

#include <cstddef>

#include "sdk/base/Format.h"
#include "sdk/base/StringUtil.h"

namespace Zarn {

MaybeType<Failure, std::string> UrlDecode(std::string_view text) {
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
      const int high = DigitValue(text[i + 1], 16);
      const int low = DigitValue(text[i + 2], 16);
      if (high < 0 || low < 0) {
        decoded.append(text.substr(i, 3));
      } else if (high == 0 && low == 0) {
        return Failure(0, "The text holds a NUL character");
      } else {
        decoded.push_back(static_cast<char>(high * 16 + low));
      }
      i += 2;
    }
  }
  return decoded;
}

Failure RefusedArgumentText(std::string_view name) {
  return Failure(Format("Argument '%1' may not hold a NUL character.", std::string(name)));
}

MaybeType<Failure, TextMap> ParseQuery(std::string_view query) {
  TextMap arguments;
  while (true) {
    const std::size_t end = query.find('&');
    const std::string_view piece = query.substr(0, end);
    const std::size_t equals = piece.find('=');
    MaybeType<Failure, std::string> key = UrlDecode(piece.substr(0, equals));
    if (key.IsFailure()) return RefusedArgumentText(piece.substr(0, equals));
    MaybeType<Failure, std::string> value =
        equals == std::string_view::npos ? std::string() : UrlDecode(piece.substr(equals + 1));
    if (value.IsFailure()) return RefusedArgumentText(*key);
    arguments.insert_or_assign(std::move(*key), std::move(*value));
    if (end == std::string_view::npos) break;
    query.remove_prefix(end + 1);
  }
  return arguments;
}

}  // namespace Zarn
