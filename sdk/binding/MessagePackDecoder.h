// Reads one MessagePack value into a BindingProperty tree. Only decoding exists: the system
// never writes MessagePack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sdk/binding/BindingResult.h"

namespace Zarn {

class MessagePackDecoder {
 public:
  struct Decoded {
    // Failed (with the message in member "error") or the value read.
    BindingResult result;
    // Bytes read: the whole value on success (the caller decides about any bytes after it),
    // the point where reading stopped on failure.
    std::size_t consumed = 0;
  };

  // Decodes the first value of `bytes[0, count)`; `bytes` may be null only when `count` is 0.
  // Input that ends between items is not a failure: containers keep the items read so far.
  // Input that ends inside a number, length, string or bin fails. Extension types and the
  // reserved byte are refused, and so is nesting deeper than kMaxDepth containers.
  [[nodiscard]] static Decoded Decode(const std::uint8_t* bytes, std::size_t count);

  static constexpr std::size_t kMaxDepth = 512;

 private:
  struct Frame {
    explicit Frame(BindingProperty* value) : target(value) {}

    BindingProperty* target;
    // Elements of a collection, or twice the members of a structure (one step per key and per
    // value); meaningful only once `container` is set.
    std::uint64_t count = 0;
    std::uint64_t index = 0;
    // Set when the target was opened as a container by this frame. A frame whose target was
    // already a container (a repeated map key) still has its own value to read.
    bool container = false;
    std::string key;
  };

  MessagePackDecoder(const std::uint8_t* bytes, std::size_t count);

  void ReadValues();
  // The frame whose value or key is read next, or null when the root value is complete. May
  // create the element or member that the next value fills.
  Frame* CurrentFrame();
  void DecodeInto(Frame& frame, std::uint8_t format);
  void OpenContainer(Frame& frame, bool structure, std::uint64_t count);

  // Each reader consumes its bytes or fails the result with its truncation message and returns
  // false.
  // A big-endian number of 1, 2, 4 or 8 bytes.
  [[nodiscard]] bool ReadBigEndian(std::size_t width, std::uint64_t& value);
  // A length field of 1, 2 or 4 bytes.
  [[nodiscard]] bool ReadLength(std::size_t width, std::uint32_t& length);
  // The length of a string whose format byte is `format` (fixstr or str 8, 16, 32).
  [[nodiscard]] bool ReadStringLength(std::uint8_t format, std::uint32_t& length);
  // Reads `length` bytes into `text`, replacing its content.
  [[nodiscard]] bool ReadString(std::uint32_t length, std::string& text);
  [[nodiscard]] bool ReadRaw(std::uint32_t length, std::vector<std::uint8_t>& bytes);

  void FailInvalid(std::size_t position, bool mapKey = false);

  const std::uint8_t* bytes_;
  std::size_t count_;
  std::size_t position_ = 0;
  BindingResult result_;
  std::vector<Frame> frames_;
};

// True when `count` is not 0 and the first byte opens a MessagePack map or array: how an
// argument text is recognised as MessagePack.
[[nodiscard]] bool IsMessagePackContainer(const std::uint8_t* bytes, std::size_t count);

}  // namespace Zarn
