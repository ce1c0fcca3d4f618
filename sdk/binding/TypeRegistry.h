// Typed member registration: from a member's native type, its kind code, type descriptor,
// identity, converter and optional marker, so that a registrar names only the member, its offset
// and its description.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>

#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/FieldConverter.h"

namespace Zarn {

// The kind code under which a member of native type T is described; an optional is described
// as what it holds.
template <typename T>
constexpr BindingTypeCode MemberKindOf() {
  if constexpr (IsStdOptional<T>::value) {
    return MemberKindOf<typename T::value_type>();
  } else if constexpr (std::is_same_v<T, bool>) {
    return BindingTypeCode::Bool;
  } else if constexpr (std::is_same_v<T, std::int32_t> || std::is_same_v<T, Long32>) {
    return BindingTypeCode::Int32;
  } else if constexpr (std::is_same_v<T, std::uint32_t>) {
    return BindingTypeCode::Uint32;
  } else if constexpr (std::is_same_v<T, std::int64_t>) {
    return BindingTypeCode::Int64;
  } else if constexpr (std::is_same_v<T, std::uint64_t>) {
    return BindingTypeCode::Uint64;
  } else if constexpr (std::is_same_v<T, double>) {
    return BindingTypeCode::Double;
  } else if constexpr (std::is_same_v<T, std::string>) {
    return BindingTypeCode::String;
  } else if constexpr (std::is_same_v<T, BindingProperty>) {
    return BindingTypeCode::Object;
  } else if constexpr (std::is_enum_v<T>) {
    return BindingTypeCode::Enum;
  } else if constexpr (IsStdVector<T>::value) {
    return BindingTypeCode::Vector;
  } else if constexpr (IsStringMap<T>::value) {
    return BindingTypeCode::Map;
  } else {
    static_assert(kIsBindingRecord<T>, "no member kind for this type");
    return BindingTypeCode::Struct;
  }
}

// The kind of a list's elements or a map's values; None for every other member.
template <typename T>
constexpr BindingTypeCode MemberElementKindOf() {
  if constexpr (IsStdOptional<T>::value) {
    return MemberElementKindOf<typename T::value_type>();
  } else if constexpr (IsStdVector<T>::value) {
    return MemberKindOf<typename T::value_type>();
  } else if constexpr (IsStringMap<T>::value) {
    return MemberKindOf<typename T::mapped_type>();
  } else {
    return BindingTypeCode::None;
  }
}

// The record or enum type whose registration a member's descriptor refers to: the member's own
// type, or what its optional, list or map holds; void when there is none.
template <typename T>
struct MemberNestedType {
  using Type = std::conditional_t<std::is_enum_v<T> || kIsBindingRecord<T>, T, void>;
};
template <typename T>
struct MemberNestedType<std::optional<T>> : MemberNestedType<T> {};
template <typename T>
struct MemberNestedType<std::vector<T>> : MemberNestedType<T> {};
template <typename T, typename Hash, typename Equal>
struct MemberNestedType<std::unordered_map<std::string, T, Hash, Equal>> : MemberNestedType<T> {};

// The descriptor of a member of type T. The nested type is looked up now: one registered after
// this call leaves the descriptor without a type.
template <typename T>
BindingTypeDescriptor MakeMemberDescriptor(const BindingRegistry& registry) {
  BindingTypeDescriptor descriptor;
  descriptor.kind = MemberKindOf<T>();
  descriptor.elementKind = MemberElementKindOf<T>();
  using Nested = typename MemberNestedType<T>::Type;
  if constexpr (!std::is_void_v<Nested>) {
    descriptor.type = BindingRegistry::LookupType(TypeId<Nested>(), registry);
  }
  return descriptor;
}

// Chains the members of one registered record:
//   TypeRegistry(registry.RegisterType(sizeof(Foo), "Foo", TypeId<Foo>(), false))
//       .AddMember<std::int32_t>("count", offsetof(Foo, count), "")
//       .AddMember<std::vector<Bar>>("bars", offsetof(Foo, bars), "");
// Members keep the order of the calls, which is the order records are read and written in.
class TypeRegistry {
 public:
  explicit TypeRegistry(BindingTypeBuilder&& builder) noexcept : builder_(std::move(builder)) {}

  // Adds nothing when the type existed before RegisterType: the first member list stays.
  // `flags`: 1 omit the member on output when empty, 2 the member is required on input.
  template <typename T>
  TypeRegistry& AddMember(std::string_view name, std::uint32_t offset, std::string_view description,
                          std::uint32_t flags = 0,
                          const BindingTypeDescriptor& secondDescriptor = {}) {
    if (builder_.Exists() || builder_.Registry() == nullptr) return *this;
    builder_.AddField(name, description, offset, &TypeId<T>(),
                      MakeMemberDescriptor<T>(*builder_.Registry()), secondDescriptor, flags,
                      std::make_unique<FieldConverter<T>>(), IsStdOptional<T>::value);
    return *this;
  }

  [[nodiscard]] BindingTypeBuilder& Builder() noexcept { return builder_; }

 private:
  BindingTypeBuilder builder_;
};

}  // namespace Zarn
