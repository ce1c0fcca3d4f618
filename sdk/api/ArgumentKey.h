// The keys under which request texts name arguments: an argument name, maybe followed by "." and
// steps into the argument's value ("team.0.name"). A step that starts with a digit is an index
// into a collection; any other names a structure member.
#pragma once

#include <cstdint>
#include <string_view>

namespace Zarn {

enum class IndexStep {
  kIndex,      // a number
  kMalformed,  // characters left over after the number, or no digit first
  kTooLarge,   // beyond 64 bits
};

// True when `step` starts with a digit, so that it is read as an index.
[[nodiscard]] inline bool IsIndexStep(std::string_view step) noexcept {
  return !step.empty() && step[0] >= '0' && step[0] <= '9';
}

// Reads `step` as an unsigned number: hexadecimal after "0x" or "0X", octal after a leading "0",
// decimal otherwise. `index` is written only with kIndex.
[[nodiscard]] IndexStep ParseIndexStep(std::string_view step, std::uint64_t& index) noexcept;

// A total order of keys, step by step, a key before those it is a prefix of: index steps before
// member steps, index steps by value (then by text), member steps by their bytes. Binding keys in
// this order makes every element they name in turn, lowest index first.
[[nodiscard]] bool ArgumentKeyLess(std::string_view a, std::string_view b) noexcept;

}  // namespace Zarn
