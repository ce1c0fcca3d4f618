// 32-bit FNV-1a, the string hash of every lookup table of the SDK.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Zarn {

inline constexpr std::uint32_t kFnv1a32OffsetBasis = 2166136261u;
inline constexpr std::uint32_t kFnv1a32Prime = 16777619u;

// FNV-1a over the bytes of `text` (no terminator), starting from `seed`: each byte is XORed in,
// then the hash is multiplied by the prime modulo 2^32. The empty text hashes to `seed`.
[[nodiscard]] constexpr std::uint32_t Fnv1a32(std::string_view text,
                                              std::uint32_t seed = kFnv1a32OffsetBasis) noexcept {
  std::uint32_t hash = seed;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= kFnv1a32Prime;
  }
  return hash;
}

// The hasher of the SDK's string-keyed tables; transparent, so a lookup by string_view needs no
// copy of the key.
struct Fnv1aStringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const noexcept { return Fnv1a32(text); }
};

}  // namespace Zarn
