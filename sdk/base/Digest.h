// SHA-1 and SHA-256 digests, computed by OpenSSL libcrypto.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace Zarn {

// The 20-byte SHA-1 digest of the bytes of `text` (its length, no terminator).
[[nodiscard]] std::vector<std::uint8_t> Sha1Digest(std::string_view text);

// The 32-byte SHA-256 digest of the bytes of `text`.
[[nodiscard]] std::vector<std::uint8_t> Sha256Digest(std::string_view text);

}  // namespace Zarn
