// Texts for tests of tables that outside texts key: many that share one FNV-1a hash or one hash of
// the standard library's, and as many others of the same length.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/base/Fnv1a.h"

namespace Zarn::Testing {

inline constexpr std::string_view kKeyCharacters =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The 2^n texts of `prefix` and, for each of the n pairs in turn, one of its two blocks.
inline std::vector<std::string> Combinations(
    std::string_view prefix, const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::vector<std::string> keys;
  for (std::uint32_t choice = 0; choice < (1u << pairs.size()); ++choice) {
    std::string key(prefix);
    for (std::size_t i = 0; i < pairs.size(); ++i)
      key += (choice >> i & 1) != 0 ? pairs[i].second : pairs[i].first;
    keys.push_back(std::move(key));
  }
  return keys;
}

// Two blocks of four letters or digits that take FNV-1a from `state` to one same state. The last
// byte is XORed in just before the last multiplication, so two blocks collide when the states
// after their first three bytes differ in no more than the low seven bits, by a difference that
// two last characters make up: a birthday search over three-character beginnings in a fixed order.
// None when none of them collide.
inline std::optional<std::pair<std::string, std::string>> CollidingBlocks(std::uint32_t state) {
  constexpr auto kCount = static_cast<std::uint32_t>(kKeyCharacters.size());
  constexpr std::uint32_t kSlots = 1u << 19;
  const auto beginning = [](std::uint32_t index) {
    return std::string{kKeyCharacters[index % kCount], kKeyCharacters[index / kCount % kCount],
                       kKeyCharacters[index / kCount / kCount]};
  };
  const auto character = [](std::uint32_t value) -> char {
    for (const char c : kKeyCharacters) {
      if (static_cast<unsigned char>(c) == value) return c;
    }
    return '\0';
  };
  std::vector<std::uint64_t> slots(kSlots, 0);  // state after the beginning << 32 | (index + 1)
  for (std::uint32_t index = 0; index < kCount * kCount * kCount; ++index) {
    const std::uint32_t reached = Fnv1a32(beginning(index), state);
    std::uint32_t slot = ((reached >> 7) * 0x9E3779B1u) >> 13;
    for (; slots[slot] != 0; slot = (slot + 1) % kSlots) {
      const auto earlier = static_cast<std::uint32_t>(slots[slot] >> 32);
      if ((earlier >> 7) != (reached >> 7)) continue;
      const std::uint32_t difference = earlier ^ reached;
      for (const char last : kKeyCharacters) {
        const char other = character(static_cast<unsigned char>(last) ^ difference);
        if (other == '\0') continue;
        return std::make_pair(beginning(static_cast<std::uint32_t>(slots[slot]) - 1) + last,
                              beginning(index) + other);
      }
    }
    slots[slot] = (std::uint64_t{reached} << 32) | (index + 1);
  }
  return std::nullopt;
}

// 2^blocks texts of `prefix` and 4 × blocks letters and digits that all hash alike (empty when the
// search failed): each four letters are one of a pair that CollidingBlocks found from the state the
// text before them leaves. A long prefix makes every comparison of two of them long.
inline std::vector<std::string> CollidingKeys(std::string_view prefix, int blocks) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::uint32_t state = Fnv1a32(prefix);
  for (int i = 0; i < blocks; ++i) {
    std::optional<std::pair<std::string, std::string>> pair = CollidingBlocks(state);
    if (!pair) return {};
    state = Fnv1a32(pair->first, state);
    pairs.push_back(std::move(*pair));
  }
  return Combinations(prefix, pairs);
}

// 2^blocks texts of `prefix` (whole words long) and `blocks` blocks that share one
// std::hash<std::string> where that is libstdc++'s MurmurHash2 (of the word's size, fixed seed);
// empty where the texts do not. Each word is mixed by a bijection before it enters the hash, and
// two words whose mixes differ in the top bit only leave hashes that differ in that bit only,
// which the next two such words cancel, whatever came before: a block is one word of letters and
// digits twice, or its partner twice. A partner holds bytes above 0x7F but no control byte, quote
// or backslash, so that a JSON string holds it as it is.
inline std::vector<std::string> StdHashCollidingKeys(std::string_view prefix, int blocks) {
  using Word = std::size_t;
  constexpr Word kTop = Word{1} << (8 * sizeof(Word) - 1);
  constexpr Word kMultiplier =
      sizeof(Word) == 8 ? static_cast<Word>(0xC6A4A7935BD1E995u) : static_cast<Word>(0x5BD1E995u);
  constexpr int kShift = sizeof(Word) == 8 ? 47 : 24;
  Word inverse = kMultiplier;  // by Newton's iteration, each step doubling the bits that are right
  for (int i = 0; i < 6; ++i) inverse *= 2 - kMultiplier * inverse;
  const auto mix = [](Word word) {
    word *= kMultiplier;
    return (word ^ word >> kShift) * kMultiplier;
  };
  const auto unmix = [inverse](Word mixed) {
    mixed *= inverse;
    return (mixed ^ mixed >> kShift) * inverse;
  };
  std::mt19937 random(20260102);
  std::vector<std::pair<std::string, std::string>> pairs;
  for (int tries = 0; pairs.size() < static_cast<std::size_t>(blocks); ++tries) {
    if (tries == 1 << 20) return {};
    std::string word(sizeof(Word), ' ');
    for (char& c : word) c = kKeyCharacters[random() % kKeyCharacters.size()];
    Word value;
    std::memcpy(&value, word.data(), sizeof value);
    const Word partner = unmix(mix(value) ^ kTop);
    std::string other(sizeof(Word), ' ');
    std::memcpy(other.data(), &partner, sizeof partner);
    const bool plain = std::all_of(other.begin(), other.end(), [](char c) {
      return static_cast<unsigned char>(c) >= 0x20 && c != '"' && c != '\\';
    });
    if (plain) pairs.emplace_back(word + word, other + other);
  }
  std::vector<std::string> keys = Combinations(prefix, pairs);
  const std::hash<std::string> hash;
  for (const std::string& key : keys) {
    if (hash(key) != hash(keys[0])) return {};
  }
  return keys;
}

// `count` texts of `prefix` and `letters` random lowercase letters, from a fixed seed.
inline std::vector<std::string> RandomKeys(std::string_view prefix, std::size_t count,
                                           std::size_t letters) {
  std::mt19937 random(20260101);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < count; ++i) {
    std::string key(prefix);
    for (std::size_t j = 0; j < letters; ++j) key += static_cast<char>(letter(random));
    keys.push_back(std::move(key));
  }
  return keys;
}

// The blocks of colliding keys a test makes: `fallback`, or JYX_COLLIDING_KEY_BLOCKS when set
// (16 gives 65,536 keys).
inline int CollidingKeyBlocks(int fallback) {
  const char* text = std::getenv("JYX_COLLIDING_KEY_BLOCKS");
  const int blocks = text != nullptr ? std::atoi(text) : 0;
  return blocks > 0 && blocks <= 20 ? blocks : fallback;
}

// The seconds that the fastest of `runs` calls of `work` took.
template <class Work>
double FastestSeconds(int runs, Work&& work) {
  double fastest = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (i == 0 || took.count() < fastest) fastest = took.count();
  }
  return fastest;
}

}  // namespace Zarn::Testing
