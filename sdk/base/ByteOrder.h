// Byte-order reversal, for reading big-endian numbers on a little-endian processor.
#pragma once

#include <cstdint>

namespace Zarn {

[[nodiscard]] constexpr std::uint16_t ByteSwap16(std::uint16_t value) noexcept {
  return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

[[nodiscard]] constexpr std::uint32_t ByteSwap32(std::uint32_t value) noexcept {
  return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) |
         (value << 24);
}

// Swaps each 32-bit half and exchanges the halves.
[[nodiscard]] constexpr std::uint64_t ByteSwap64(std::uint64_t value) noexcept {
  return (static_cast<std::uint64_t>(ByteSwap32(static_cast<std::uint32_t>(value))) << 32) |
         ByteSwap32(static_cast<std::uint32_t>(value >> 32));
}

}  // namespace Zarn
