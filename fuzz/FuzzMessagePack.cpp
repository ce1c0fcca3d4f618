// Decodes arbitrary bytes as MessagePack: no crash, no read past the input, no leak, and a
// consumed count that stays within the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sdk/binding/MessagePackDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Zarn::MessagePackDecoder::Decoded decoded = Zarn::MessagePackDecoder::Decode(data, size);
  if (decoded.consumed > size) std::abort();
  if (!decoded.result.IsOk() && decoded.result.ErrorMessage().empty()) std::abort();
  return 0;
}
