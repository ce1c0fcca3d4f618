// The converter of each native field type: how a field of that type is read from a value and
// written into one. Records, enums, lists, maps and optionals nest: a list of records reads each
// element with the record's reader.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "sdk/binding/BindingConvert.h"
#include "sdk/binding/BindingFieldConverter.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/BindingResult.h"
#include "sdk/binding/TypeId.h"

namespace Zarn {

template <typename T>
struct IsStdOptional : std::false_type {};
template <typename T>
struct IsStdOptional<std::optional<T>> : std::true_type {};

template <typename T>
struct IsStdVector : std::false_type {};
template <typename T>
struct IsStdVector<std::vector<T>> : std::true_type {};

template <typename T>
struct IsStringMap : std::false_type {};
template <typename T, typename Hash, typename Equal>
struct IsStringMap<std::unordered_map<std::string, T, Hash, Equal>> : std::true_type {};

// A native record: any class that is not one of the value types the converters know.
template <typename T>
inline constexpr bool kIsBindingRecord =
    std::is_class_v<T> && !std::is_same_v<T, std::string> && !std::is_same_v<T, BindingProperty> &&
    !std::is_same_v<T, Long32> && !IsStdOptional<T>::value && !IsStdVector<T>::value &&
    !IsStringMap<T>::value;

// Reads and writes one native value. `type` is the registered record or enum type of the value,
// of a list's elements or of a map's values (null when there is none or it was never
// registered). Read does nothing once `result` has failed. Write sets a failure into `status`;
// `out` may lie inside `status`'s value, so nothing touches `out` after a failure.
template <typename T>
struct ValueCodec {
  static_assert(!std::is_same_v<T, std::vector<bool>>, "a list of bools has no element storage");

  static void Read(BindingResult& result, T& target, const BindingProperty& source,
                   std::string_view name, const BindingTypeInfo* type,
                   const BindingRegistry& registry, std::uint32_t context) {
    if (!result.IsOk()) return;
    using Limits32 = std::numeric_limits<std::int32_t>;
    using Limits64 = std::numeric_limits<std::int64_t>;
    if constexpr (std::is_same_v<T, bool>) {
      target = BindingConvert::AssignBool(result, source, name);
    } else if constexpr (std::is_same_v<T, std::int32_t> || std::is_same_v<T, Long32>) {
      target = static_cast<std::int32_t>(BindingConvert::AssignSigned(
          result, source, name, Limits32::min(), Limits32::max(), "int32"));
    } else if constexpr (std::is_same_v<T, std::uint32_t>) {
      target = static_cast<std::uint32_t>(BindingConvert::AssignUnsigned(
          result, source, name, std::numeric_limits<std::uint32_t>::max(), "uint32"));
    } else if constexpr (std::is_same_v<T, std::int64_t>) {
      target = BindingConvert::AssignSigned(result, source, name, Limits64::min(), Limits64::max(),
                                            "int64");
    } else if constexpr (std::is_same_v<T, std::uint64_t>) {
      target = BindingConvert::AssignUnsigned(result, source, name,
                                              std::numeric_limits<std::uint64_t>::max(), "uint64");
    } else if constexpr (std::is_same_v<T, double>) {
      target =
          BindingConvert::AssignFloat(result, source, name, std::numeric_limits<double>::lowest(),
                                      std::numeric_limits<double>::max(), "double");
    } else if constexpr (std::is_same_v<T, std::string>) {
      target = BindingConvert::AssignString(result, source, name, registry);
    } else if constexpr (std::is_enum_v<T>) {
      static_assert(sizeof(T) == 4, "enums are stored in 32 bits");
      target = static_cast<T>(BindingConvert::AssignEnum(result, source, name, type));
    } else if constexpr (std::is_same_v<T, BindingProperty>) {
      target.Reset();
      target.CopyFrom(source);
    } else if constexpr (IsStdOptional<T>::value) {
      ReadOptional(result, target, source, name, type, registry, context);
    } else if constexpr (IsStdVector<T>::value) {
      ReadVector(result, target, source, name, type, registry, context);
    } else if constexpr (IsStringMap<T>::value) {
      ReadMap(result, target, source, name, type, registry, context);
    } else {
      static_assert(kIsBindingRecord<T>, "no converter for this field type");
      BindingConvert::RequireValue(result, &target, source, name, type, registry, context);
    }
  }

  static void Write(BindingProperty& out, BindingResult& status, const T& source,
                    const BindingTypeInfo* type, const BindingRegistry& registry) {
    if (!status.IsOk()) return;
    if constexpr (std::is_same_v<T, bool>) {
      out.SetBool(source);
    } else if constexpr (std::is_same_v<T, std::int32_t> || std::is_same_v<T, Long32> ||
                         std::is_same_v<T, std::int64_t>) {
      out.SetInt64(static_cast<std::int64_t>(source));
    } else if constexpr (std::is_same_v<T, std::uint32_t> || std::is_same_v<T, std::uint64_t>) {
      out.SetUint64(source);
    } else if constexpr (std::is_same_v<T, double>) {
      out.SetDouble(source);
    } else if constexpr (std::is_same_v<T, std::string>) {
      out.SetString(source);
    } else if constexpr (std::is_enum_v<T>) {
      out.SetEnum(BindingEnumValue{static_cast<std::int32_t>(source), TypeId<T>().id});
    } else if constexpr (std::is_same_v<T, BindingProperty>) {
      out.CopyFrom(source);
    } else if constexpr (IsStdOptional<T>::value) {
      // A disengaged optional leaves the value empty.
      if (source.has_value()) {
        ValueCodec<typename T::value_type>::Write(out, status, *source, type, registry);
      }
    } else if constexpr (IsStdVector<T>::value) {
      out.MakeCollection();
      out.Reserve(source.size());
      for (const auto& element : source) {
        ValueCodec<typename T::value_type>::Write(out.Append(), status, element, type, registry);
        if (!status.IsOk()) return;
      }
    } else if constexpr (IsStringMap<T>::value) {
      out.MakeStructure();
      for (const auto& [key, value] : source) {
        ValueCodec<typename T::mapped_type>::Write(out.Member(key), status, value, type, registry);
        if (!status.IsOk()) return;
      }
    } else {
      static_assert(kIsBindingRecord<T>, "no converter for this field type");
      BindingConvert::WriteStruct(out, status, &source, type, registry);
    }
  }

 private:
  // An empty source or a failed read leaves the optional as it was.
  static void ReadOptional(BindingResult& result, T& target, const BindingProperty& source,
                           std::string_view name, const BindingTypeInfo* type,
                           const BindingRegistry& registry, std::uint32_t context) {
    if (source.IsEmpty()) return;
    typename T::value_type value{};
    ValueCodec<typename T::value_type>::Read(result, value, source, name, type, registry, context);
    if (!result.IsOk()) return;
    if (target.has_value()) {
      *target = std::move(value);
    } else {
      target.emplace(std::move(value));
    }
  }

  // Sized once from the source; a null element keeps its default, so the length is kept.
  static void ReadVector(BindingResult& result, T& target, const BindingProperty& source,
                         std::string_view name, const BindingTypeInfo* type,
                         const BindingRegistry& registry, std::uint32_t context) {
    target.clear();
    if (!source.IsCollection()) {
      BindingConvert::FailNotCollection(result, name);
      return;
    }
    const std::size_t count = source.Size();
    target.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      const BindingProperty& element = source.At(i);
      if (element.IsEmpty()) continue;
      ValueCodec<typename T::value_type>::Read(result, target[i], element, name, type, registry,
                                               context);
      if (!result.IsOk()) return;
    }
  }

  static void ReadMap(BindingResult& result, T& target, const BindingProperty& source,
                      std::string_view name, const BindingTypeInfo* type,
                      const BindingRegistry& registry, std::uint32_t context) {
    target.clear();
    if (!source.IsStructure()) {
      BindingConvert::FailNotStructure(result, name);
      return;
    }
    target.reserve(source.Size());
    for (auto member = source.MembersBegin(); member != source.MembersEnd(); ++member) {
      const BindingProperty& value = member.Value();
      if (value.IsEmpty()) continue;
      ValueCodec<typename T::mapped_type>::Read(result, target[member.Name().Text()], value, name,
                                                type, registry, context);
      if (!result.IsOk()) return;
    }
  }
};

// The converter object that a registered field of native type T owns. Holds no data.
template <typename T>
class FieldConverter final : public BindingFieldConverter {
 public:
  void Assign(BindingResult& result, void* target, const BindingProperty& source,
              std::string_view name, const BindingTypeInfo* type, const BindingRegistry& registry,
              std::uint32_t context) const override {
    ValueCodec<T>::Read(result, *static_cast<T*>(target), source, name, type, registry, context);
  }

  void ToProperty(BindingResult& destination, const void* source, const BindingTypeInfo* type,
                  const BindingRegistry& registry) const override {
    ValueCodec<T>::Write(destination.Value(), destination, *static_cast<const T*>(source), type,
                         registry);
  }

  void WriteInto(BindingProperty& out, BindingResult& status, const void* source,
                 const BindingTypeInfo* type, const BindingRegistry& registry) const override {
    ValueCodec<T>::Write(out, status, *static_cast<const T*>(source), type, registry);
  }
};

}  // namespace Zarn
