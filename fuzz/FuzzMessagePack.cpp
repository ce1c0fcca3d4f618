// Decodes arbitrary bytes as MessagePack: no crash, no read past the input, no leak, and a
// consumed count that stays within the input and covers the whole value: decoding just the
// consumed bytes again gives the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sdk/binding/MessagePackDecoder.h"
#include "tests/sdk/binding/BindingPropertyTesting.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using Zarn::MessagePackDecoder;
  const MessagePackDecoder::Decoded decoded = MessagePackDecoder::Decode(data, size);
  if (decoded.consumed > size) std::abort();
  if (!decoded.result.IsOk()) {
    if (decoded.result.ErrorMessage().empty()) std::abort();
    return 0;
  }
  const MessagePackDecoder::Decoded again = MessagePackDecoder::Decode(data, decoded.consumed);
  if (!again.result.IsOk() || again.consumed != decoded.consumed ||
      Zarn::Testing::Describe(again.result.Value()) !=
          Zarn::Testing::Describe(decoded.result.Value())) {
    std::abort();
  }
  return 0;
}
