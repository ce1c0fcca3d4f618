// The characters of UTF-8 text. Header only: the stand-in host, which links none of the plugin's
// libraries, reads its output with it too.
#pragma once

#include <cstddef>
#include <string_view>

namespace Zarn {

// The length in bytes (1 to 4) of the character of valid UTF-8 that `text` begins with; 0 when it
// begins with none: an empty text, a byte that starts no character, an overlong form, a surrogate,
// a code point above U+10FFFF, or a character cut short.
[[nodiscard]] inline std::size_t Utf8CharacterLength(std::string_view text) noexcept {
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

// Where the first `count` bytes of `text` are cut without a part of a character: `count`, or the
// start of the character they end inside. `text` is UTF-8 from its first byte on; bytes past
// `count` need not be readable.
[[nodiscard]] inline std::size_t Utf8CharacterBoundary(const char* text,
                                                       std::size_t count) noexcept {
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
