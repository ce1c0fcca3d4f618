#include "sdk/base/KeyedHash.h"

#include <chrono>
#include <cstring>
#include <random>

namespace Zarn {
namespace {

struct SipKey {
  std::uint64_t k0;
  std::uint64_t k1;
};

SipKey DrawKey() noexcept {
  SipKey key{};
  try {
    std::random_device device;
    key.k0 = (std::uint64_t{device()} << 32) | device();
    key.k1 = (std::uint64_t{device()} << 32) | device();
  } catch (...) {
    // No random device: the clock and where this runs still differ from run to run.
    const auto ticks =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    key.k0 = ticks ^ 0x9E3779B97F4A7C15u;
    key.k1 = reinterpret_cast<std::uintptr_t>(&key) * 0xBF58476D1CE4E5B9u;
  }
  return key;
}

constexpr std::uint64_t Rotate(std::uint64_t x, int bits) noexcept {
  return (x << bits) | (x >> (64 - bits));
}

struct SipState {
  std::uint64_t v0, v1, v2, v3;

  void Round() noexcept {
    v0 += v1;
    v1 = Rotate(v1, 13) ^ v0;
    v0 = Rotate(v0, 32);
    v2 += v3;
    v3 = Rotate(v3, 16) ^ v2;
    v0 += v3;
    v3 = Rotate(v3, 21) ^ v0;
    v2 += v1;
    v1 = Rotate(v1, 17) ^ v2;
    v2 = Rotate(v2, 32);
  }
  void Absorb(std::uint64_t word) noexcept {
    v3 ^= word;
    Round();
    v0 ^= word;
  }
};

}  // namespace

std::uint64_t KeyedHash(std::string_view text) noexcept {
  static const SipKey key = DrawKey();
  SipState s{0x736F6D6570736575u ^ key.k0, 0x646F72616E646F6Du ^ key.k1,
             0x6C7967656E657261u ^ key.k0, 0x7465646279746573u ^ key.k1};
  const std::size_t whole = text.size() & ~std::size_t{7};
  for (std::size_t i = 0; i < whole; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    s.Absorb(word);
  }
  std::uint64_t last = static_cast<std::uint64_t>(text.size()) << 56;
  for (std::size_t i = whole; i < text.size(); ++i) {
    last |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * (i - whole));
  }
  s.Absorb(last);
  s.v2 ^= 0xFF;
  s.Round();
  s.Round();
  s.Round();
  return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

}  // namespace Zarn
