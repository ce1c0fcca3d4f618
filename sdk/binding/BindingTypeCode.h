// The codes by which fields, arguments and results describe their native type, and the
// three-word type descriptor built from them.
#pragma once

#include <cstdint>

namespace Zarn {

struct BindingTypeInfo;

enum class BindingTypeCode : std::uint32_t {
  None = 0,
  Bool = 1,
  Int8 = 2,
  Uint8 = 3,
  Int16 = 4,
  Uint16 = 5,
  Int32 = 6,
  Uint32 = 7,
  Int64 = 8,
  Uint64 = 9,
  Float = 10,
  Double = 11,
  String = 12,
  Object = 13,  // a free-form Zarn::BindingProperty
  Blob = 14,
  Vector = 15,
  Enum = 16,
  Struct = 17,
  Callback = 18,
  Map = 19,
};

// "bool" .. "map" for codes 1 to 19; "" for any other code. Never null. Inline, so that a host
// that links none of the SDK names the codes it reads as the SDK does.
[[nodiscard]] constexpr const char* BindingTypeName(BindingTypeCode code) noexcept {
  constexpr const char* kNames[] = {
      "",       "bool",   "int8",   "uint8",  "int16",    "uint16", "int32",
      "uint32", "int64",  "uint64", "float",  "double",   "string", "object",
      "blob",   "vector", "enum",   "struct", "callback", "map",
  };
  const auto index = static_cast<std::uint32_t>(code);
  return index < sizeof(kNames) / sizeof(kNames[0]) ? kNames[index] : "";
}

// What a field, argument or result holds. All zero means no type.
struct BindingTypeDescriptor {
  BindingTypeCode kind = BindingTypeCode::None;
  // The element's code for a vector, the value's code for a map, None otherwise.
  BindingTypeCode elementKind = BindingTypeCode::None;
  // The record or enum type itself for Struct and Enum; the element's or value's record or enum
  // type for a Vector or Map of them; null otherwise. Not owned.
  BindingTypeInfo* type = nullptr;

  friend bool operator==(const BindingTypeDescriptor&, const BindingTypeDescriptor&) = default;
};

}  // namespace Zarn
