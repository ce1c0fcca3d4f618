// A string hash keyed at random once per process, for placing entries in tables whose order
// nothing sees: texts that all land in one place cannot be chosen from outside, as they can for
// FNV-1a.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Zarn {

// SipHash-1-3 of the bytes of `text` under the process's key. The same text hashes alike within a
// run, differently from run to run.
[[nodiscard]] std::uint64_t KeyedHash(std::string_view text) noexcept;

// The hasher of tables keyed by outside texts whose order nothing sees; transparent, like
// Fnv1aStringHash. Not declared noexcept (it throws nothing): a standard library may then keep each
// entry's hash beside it, as libstdc++ does, rather than hash keys again where a bucket ends.
struct KeyedStringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return static_cast<std::size_t>(KeyedHash(text));
  }
};

}  // namespace Zarn
