// A reply body that the host reads piece by piece.
#pragma once

#include <cstdint>

namespace Zarn {

// Owned by whichever reply holds it; this system never makes one, it only passes one on to the
// host or destroys it.
class ResponseBodyStream {
 public:
  // The three words come from the host unchanged; so does the meaning of the answer.
  virtual std::uint32_t Read(std::uintptr_t first, std::uintptr_t second, std::uintptr_t third) = 0;
  [[nodiscard]] virtual std::uint32_t GetSize() = 0;
  virtual ~ResponseBodyStream() = default;
};

}  // namespace Zarn
