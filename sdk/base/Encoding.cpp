#include "sdk/base/Encoding.h"

namespace Zarn {
namespace {

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHexDigits[] = "0123456789abcdef";

}  // namespace

std::string Base64Encode(const void* bytes, std::size_t length) {
  std::string out;
  if (length == 0) return out;
  out.reserve(4 * ((length + 2) / 3));
  const auto* in = static_cast<const std::uint8_t*>(bytes);
  std::size_t i = 0;
  for (; i + 3 <= length; i += 3) {
    const std::uint32_t group = (std::uint32_t{in[i]} << 16) | (in[i + 1] << 8) | in[i + 2];
    out += kBase64Alphabet[(group >> 18) & 63];
    out += kBase64Alphabet[(group >> 12) & 63];
    out += kBase64Alphabet[(group >> 6) & 63];
    out += kBase64Alphabet[group & 63];
  }
  if (const std::size_t rest = length - i; rest != 0) {
    const std::uint32_t group = (std::uint32_t{in[i]} << 16) | (rest == 2 ? in[i + 1] << 8 : 0);
    out += kBase64Alphabet[(group >> 18) & 63];
    out += kBase64Alphabet[(group >> 12) & 63];
    out += rest == 2 ? kBase64Alphabet[(group >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string BytesToHex(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve(2 * bytes.size());
  for (const std::uint8_t byte : bytes) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 15];
  }
  return out;
}

}  // namespace Zarn
