// Conversions of whole native values (registered records, lists of them, enums) to and from
// values and JSON text, for the rest of the system.
#pragma once

#include <cstdint>
#include <string>

#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/FieldConverter.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypeRegistry.h"

namespace Zarn {

// The registered type that describes a native T (its record or enum type, or its elements'),
// or null.
template <typename T>
const BindingTypeInfo* LookupValueType(const BindingRegistry& registry) {
  using Nested = typename MemberNestedType<T>::Type;
  if constexpr (std::is_void_v<Nested>) {
    return nullptr;
  } else {
    return BindingRegistry::LookupType(TypeId<Nested>(), registry);
  }
}

// Writes `value` into the result's value; a failure is set into `result`.
template <typename T>
void WriteValue(BindingResult& result, const T& value, const BindingRegistry& registry) {
  ValueCodec<T>::Write(result.Value(), result, value, LookupValueType<T>(registry), registry);
}

// Reads `target` from `source` under the name "<value>". An empty source fails with "A value for
// '<value>' is required." for a record; `context` is the host context of the conversion.
template <typename T>
void ReadValue(BindingResult& result, T& target, const BindingProperty& source,
               const BindingRegistry& registry, std::uint32_t context = 0) {
  if (!result.IsOk()) return;
  if (source.IsEmpty()) {
    BindingConvert::FailRequired(result, BindingConvert::kValueName);
    return;
  }
  ValueCodec<T>::Read(result, target, source, BindingConvert::kValueName,
                      LookupValueType<T>(registry), registry, context);
}

// True on success; only then is `destination` replaced by the converted value.
template <typename T>
[[nodiscard]] bool ToBindingProperty(const T& value, BindingProperty& destination,
                                     const BindingRegistry& registry) {
  BindingResult result;
  WriteValue(result, value, registry);
  if (!result.IsOk()) return false;
  destination = std::move(result.Value());
  return true;
}

// Compact JSON text of `value`, with enum values by name; empty when the conversion fails.
template <typename T>
[[nodiscard]] std::string ToJsonString(const T& value, const BindingRegistry& registry) {
  BindingResult result;
  WriteValue(result, value, registry);
  if (!result.IsOk()) return {};
  return SerializeJson(result.Value(), &registry, nullptr);
}

// The registered name of an enum value, or null. Valid while the enum stays registered.
template <typename E>
[[nodiscard]] const char* EnumToString(E value, const BindingRegistry& registry) {
  static_assert(std::is_enum_v<E>);
  return registry.EnumValueName(TypeId<E>().id, static_cast<std::int32_t>(value));
}

// Reads the record `target` from `source` under the name "<value>"; the ok flag.
template <typename T>
[[nodiscard]] bool ReadRequiredValue(T& target, const BindingProperty& source,
                                     const BindingRegistry& registry) {
  BindingResult result;
  ReadValue(result, target, source, registry);
  return result.IsOk();
}

}  // namespace Zarn
