// Byte-to-text encodings: Base64 for binary values in JSON, lower-case hexadecimal for digests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace Zarn {

// Standard Base64 (RFC 4648, "+/" alphabet, "=" padding) of `length` bytes at `bytes`. `bytes`
// may be null only when `length` is 0, which gives the empty string.
[[nodiscard]] std::string Base64Encode(const void* bytes, std::size_t length);

// Two lower-case hexadecimal digits per byte, high nibble first.
[[nodiscard]] std::string BytesToHex(std::span<const std::uint8_t> bytes);

}  // namespace Zarn
