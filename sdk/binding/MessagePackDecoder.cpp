#include "sdk/binding/MessagePackDecoder.h"

#include <array>
#include <cstring>
#include <utility>

#include "sdk/base/Format.h"

namespace Zarn {
namespace {

// One category per row of the format table; the values are the table's own numbering.
enum Category : std::uint8_t {
  kFixInt = 0,
  kFixMap = 1,
  kFixArray = 2,
  kFixStr = 3,
  kNil = 4,
  kUnused = 5,
  kFalse = 6,
  kTrue = 7,
  kBin8 = 8,
  kBin16 = 9,
  kBin32 = 10,
  kExt8 = 11,
  kExt16 = 12,
  kExt32 = 13,
  kFloat32 = 14,
  kFloat64 = 15,
  kUint8 = 16,
  kUint16 = 17,
  kUint32 = 18,
  kUint64 = 19,
  kInt8 = 20,
  kInt16 = 21,
  kInt32 = 22,
  kInt64 = 23,
  kFixExt1 = 24,
  kFixExt2 = 25,
  kFixExt4 = 26,
  kFixExt8 = 27,
  kFixExt16 = 28,
  kStr8 = 29,
  kStr16 = 30,
  kStr32 = 31,
  kArray16 = 32,
  kArray32 = 33,
  kMap16 = 34,
  kMap32 = 35,
};

constexpr std::array<std::uint8_t, 256> MakeCategories() {
  std::array<std::uint8_t, 256> table{};
  for (int b = 0x00; b <= 0x7F; ++b) table[b] = kFixInt;
  for (int b = 0x80; b <= 0x8F; ++b) table[b] = kFixMap;
  for (int b = 0x90; b <= 0x9F; ++b) table[b] = kFixArray;
  for (int b = 0xA0; b <= 0xBF; ++b) table[b] = kFixStr;
  // 0xC0 to 0xDF follow the table's order one byte per category.
  constexpr std::uint8_t kSingles[32] = {
      kNil,      kUnused, kFalse,   kTrue,    kBin8,    kBin16,   kBin32,   kExt8,
      kExt16,    kExt32,  kFloat32, kFloat64, kUint8,   kUint16,  kUint32,  kUint64,
      kInt8,     kInt16,  kInt32,   kInt64,   kFixExt1, kFixExt2, kFixExt4, kFixExt8,
      kFixExt16, kStr8,   kStr16,   kStr32,   kArray16, kArray32, kMap16,   kMap32};
  for (int b = 0; b < 32; ++b) table[0xC0 + b] = kSingles[b];
  for (int b = 0xE0; b <= 0xFF; ++b) table[b] = kFixInt;
  return table;
}

constexpr std::array<std::uint8_t, 256> kCategories = MakeCategories();

bool IsContainerCategory(std::uint8_t category) {
  return category == kFixMap || category == kFixArray ||
         (category >= kArray16 && category <= kMap32);
}

}  // namespace

MessagePackDecoder::MessagePackDecoder(const std::uint8_t* bytes, std::size_t count)
    : bytes_(bytes), count_(bytes == nullptr ? 0 : count) {
  frames_.reserve(16);
}

MessagePackDecoder::Decoded MessagePackDecoder::Decode(const std::uint8_t* bytes,
                                                       std::size_t count) {
  MessagePackDecoder decoder(bytes, count);
  decoder.ReadValues();
  return Decoded{std::move(decoder.result_), decoder.position_};
}

void MessagePackDecoder::ReadValues() {
  frames_.emplace_back(&result_.Value());
  while (result_.IsOk()) {
    if (position_ >= count_) return;
    Frame* frame = CurrentFrame();
    if (frame == nullptr) return;
    const std::uint8_t format = bytes_[position_++];
    if (frame->container) {
      // A structure waiting for a key.
      const std::uint8_t category = kCategories[format];
      if (category != kFixStr && (category < kStr8 || category > kStr32)) {
        return FailInvalid(position_, true);
      }
      std::uint32_t length = 0;
      if (!ReadStringLength(format, length) || !ReadString(length, frame->key)) return;
      continue;
    }
    DecodeInto(*frame, format);
  }
}

MessagePackDecoder::Frame* MessagePackDecoder::CurrentFrame() {
  while (!frames_.empty()) {
    Frame& top = frames_.back();
    if (!top.container) return &top;
    if (top.index >= top.count) {
      frames_.pop_back();
      continue;
    }
    BindingProperty& target = *top.target;
    if (target.IsCollection()) {
      // Beyond what a collection can hold (the value would throw): refuse the data instead.
      if (top.index >= BindingProperty::kMaxCollectionSize) {
        FailInvalid(position_);
        return nullptr;
      }
      BindingProperty& element = target.At(static_cast<std::size_t>(top.index));
      ++top.index;
      frames_.emplace_back(&element);
      return &frames_.back();
    }
    if (top.index % 2 == 0) {
      ++top.index;
      return &top;
    }
    BindingProperty& member = target.Member(top.key);
    ++top.index;
    frames_.emplace_back(&member);
    return &frames_.back();
  }
  return nullptr;
}

void MessagePackDecoder::OpenContainer(Frame& frame, bool structure, std::uint64_t count) {
  if (structure) {
    frame.target->MakeStructure();
  } else {
    frame.target->MakeCollection();
  }
  frame.container = true;
  frame.count = count;
  frame.index = 0;
}

void MessagePackDecoder::DecodeInto(Frame& frame, std::uint8_t format) {
  BindingProperty& target = *frame.target;
  const std::uint8_t category = kCategories[format];
  std::uint64_t number = 0;
  std::uint32_t length = 0;
  // Every frame below the current one is an open container, so a container read here would be
  // one level deeper than the stack.
  if (IsContainerCategory(category) && frames_.size() > kMaxDepth) return FailInvalid(position_);
  switch (category) {
    case kFixInt:
      target.SetInt64(static_cast<std::int8_t>(format));
      break;
    case kNil:
      target.Reset();
      break;
    case kFalse:
    case kTrue:
      target.SetBool(category == kTrue);
      break;
    case kFloat32: {
      if (!ReadBigEndian(4, number)) return;
      const std::uint32_t bits = static_cast<std::uint32_t>(number);
      float value;
      std::memcpy(&value, &bits, sizeof value);
      target.SetDouble(value);
      break;
    }
    case kFloat64: {
      if (!ReadBigEndian(8, number)) return;
      double value;
      std::memcpy(&value, &number, sizeof value);
      target.SetDouble(value);
      break;
    }
    case kUint8:
    case kUint16:
    case kUint32:
    case kUint64:
      if (!ReadBigEndian(std::size_t{1} << (category - kUint8), number)) return;
      target.SetUint64(number);
      break;
    case kInt8:
    case kInt16:
    case kInt32:
    case kInt64: {
      const std::size_t width = std::size_t{1} << (category - kInt8);
      if (!ReadBigEndian(width, number)) return;
      // Sign-extends from the top bit of the field.
      const unsigned shift = static_cast<unsigned>(64 - 8 * width);
      target.SetInt64(static_cast<std::int64_t>(number << shift) >> shift);
      break;
    }
    case kFixStr:
    case kStr8:
    case kStr16:
    case kStr32: {
      std::string text;
      if (!ReadStringLength(format, length) || !ReadString(length, text)) return;
      target.SetString(std::move(text));
      break;
    }
    case kBin8:
    case kBin16:
    case kBin32: {
      std::vector<std::uint8_t> raw;
      if (!ReadLength(std::size_t{1} << (category - kBin8), length) || !ReadRaw(length, raw)) {
        return;
      }
      target.SetBlob(std::move(raw));
      break;
    }
    case kFixArray:
      return OpenContainer(frame, false, format & 0x0Fu);
    case kFixMap:
      return OpenContainer(frame, true, 2u * (format & 0x0Fu));
    case kArray16:
    case kArray32:
    case kMap16:
    case kMap32: {
      const bool structure = category == kMap16 || category == kMap32;
      const bool wide = category == kArray32 || category == kMap32;
      if (!ReadBigEndian(wide ? 4 : 2, number)) return;
      // Kept in 64 bits: twice a 32-bit member count does not fit 32.
      return OpenContainer(frame, structure, structure ? 2 * number : number);
    }
    default:
      return FailInvalid(position_);
  }
  // A scalar, string or bin completes its frame.
  frames_.pop_back();
}

bool MessagePackDecoder::ReadBigEndian(std::size_t width, std::uint64_t& value) {
  if (count_ - position_ < width) {
    const char* message =
        width == 1   ? "Invalid MessagePack data. 8-bit integer value at position %1 is truncated."
        : width == 2 ? "Invalid MessagePack data. 16-bit integer value at position %1 is truncated."
        : width == 4
            ? "Invalid MessagePack data. 32-bit integer value at position %1 is truncated."
            : "Invalid MessagePack data. 64-bit integer value at position %1 is truncated.";
    result_.SetFailure(Format(message, position_));
    return false;
  }
  value = 0;
  for (std::size_t i = 0; i < width; ++i) value = value << 8 | bytes_[position_++];
  return true;
}

bool MessagePackDecoder::ReadLength(std::size_t width, std::uint32_t& length) {
  std::uint64_t wide = 0;
  if (!ReadBigEndian(width, wide)) return false;
  length = static_cast<std::uint32_t>(wide);
  return true;
}

bool MessagePackDecoder::ReadStringLength(std::uint8_t format, std::uint32_t& length) {
  switch (kCategories[format]) {
    case kFixStr:
      length = format & 0x1Fu;
      return true;
    case kStr8:
      return ReadLength(1, length);
    case kStr16:
      return ReadLength(2, length);
    default:
      return ReadLength(4, length);
  }
}

bool MessagePackDecoder::ReadString(std::uint32_t length, std::string& text) {
  if (count_ - position_ < length) {
    result_.SetFailure(
        Format("Invalid MessagePack data. String of size %1 at position %2 is truncated.", length,
               position_));
    return false;
  }
  text.assign(reinterpret_cast<const char*>(bytes_ + position_), length);
  position_ += length;
  return true;
}

bool MessagePackDecoder::ReadRaw(std::uint32_t length, std::vector<std::uint8_t>& bytes) {
  if (count_ - position_ < length) {
    result_.SetFailure(
        Format("Invalid MessagePack data. Raw bytes of size %1 at position %2 are truncated.",
               length, position_));
    return false;
  }
  bytes.assign(bytes_ + position_, bytes_ + position_ + length);
  position_ += length;
  return true;
}

void MessagePackDecoder::FailInvalid(std::size_t position, bool mapKey) {
  result_.SetFailure(mapKey ? Format("Invalid MessagePack data at position %1. Map keys must be "
                                     "strings.",
                                     position)
                            : Format("Invalid MessagePack data at position %1.", position));
}

bool IsMessagePackContainer(const std::uint8_t* bytes, std::size_t count) {
  if (bytes == nullptr || count == 0) return false;
  return (bytes[0] >= 0x80 && bytes[0] <= 0x9F) || (bytes[0] >= 0xDC && bytes[0] <= 0xDF);
}

}  // namespace Zarn
