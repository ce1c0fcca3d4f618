// Type identities: a fixed 32-bit id and a display name for every native type that crosses the
// binding layer. Lookups in the registry go by id only; the name is for messages.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/base/Fnv1a.h"
#include "sdk/binding/KeyedMap.h"

namespace Zarn {

class BindingProperty;

// One record per native type, created on first request and never freed. Not copyable: `name`
// may point into the record's own `text`.
struct TypeIdentity {
  // `staticName` must be null or a text that lives as long as the process.
  TypeIdentity(std::uint32_t id, const char* staticName) noexcept;
  TypeIdentity(const TypeIdentity&) = delete;
  TypeIdentity& operator=(const TypeIdentity&) = delete;

  std::uint32_t id;
  // The static name when the type has one, else `text`. Never null.
  const char* name;
  // "#%08X" of `id` (upper-case digits) for a type without a static name; empty otherwise.
  char text[10];
};

// The fixed id of a native type. Specialize it (or use ZARN_TYPE_ID) with
// `static constexpr std::uint32_t kId`. A type without an id does not compile.
template <typename T>
struct TypeIdTraits;

// A type's static name, when it has one: specialize with `static constexpr const char* Name`.
template <typename T>
struct StaticType {};

template <typename T>
concept HasStaticTypeName = requires {
  { StaticType<T>::Name } -> std::convertible_to<const char*>;
};

// FNV-1a 32 over the four bytes of an id, lowest first, continuing from `seed`.
constexpr std::uint32_t HashTypeId(std::uint32_t id,
                                   std::uint32_t seed = kFnv1a32OffsetBasis) noexcept {
  const char bytes[4] = {static_cast<char>(id & 0xFFu), static_cast<char>((id >> 8) & 0xFFu),
                         static_cast<char>((id >> 16) & 0xFFu),
                         static_cast<char>((id >> 24) & 0xFFu)};
  return Fnv1a32(std::string_view(bytes, 4), seed);
}

// The id of a wrapper (list, map, optional) of a type: the wrapper's name hashed on with the
// element's id. Fixed at build time like every other id. A record or enum type can take
// `Fnv1a32` of its qualified name as its id.
constexpr std::uint32_t WrapperTypeId(std::string_view wrapper, std::uint32_t elementId) noexcept {
  return HashTypeId(elementId, Fnv1a32(wrapper));
}

// Lists, optionals and maps without a fixed id of their own take one derived from their element.
template <typename T>
struct TypeIdTraits<std::vector<T>> {
  static constexpr std::uint32_t kId = WrapperTypeId("std::vector", TypeIdTraits<T>::kId);
};
template <typename T>
struct TypeIdTraits<std::optional<T>> {
  static constexpr std::uint32_t kId = WrapperTypeId("std::optional", TypeIdTraits<T>::kId);
};
template <typename T>
struct TypeIdTraits<KeyedMap<T>> {
  static constexpr std::uint32_t kId =
      WrapperTypeId("std::unordered_map<std::string>", TypeIdTraits<T>::kId);
};

// The identity of `T`, created on first call (a thread-safe function-local static). Never fails.
template <typename T>
const TypeIdentity& TypeId() noexcept {
  if constexpr (HasStaticTypeName<T>) {
    static const TypeIdentity identity(TypeIdTraits<T>::kId, StaticType<T>::Name);
    return identity;
  } else {
    static const TypeIdentity identity(TypeIdTraits<T>::kId, nullptr);
    return identity;
  }
}

// A signed 32-bit integer with an identity of its own, distinct from `int32_t` (used by members
// such as a party's version). It is 32 bits in every build and converts to and from `int32_t`.
struct Long32 {
  constexpr Long32() noexcept = default;
  constexpr Long32(std::int32_t v) noexcept : value(v) {}
  constexpr operator std::int32_t() const noexcept { return value; }
  friend constexpr bool operator==(Long32, Long32) noexcept = default;

  std::int32_t value = 0;
};
static_assert(sizeof(Long32) == 4);

}  // namespace Zarn

// Fixes the id of a native type; use at global namespace scope with a fully qualified type.
#define ZARN_TYPE_ID(Type, Id)                 \
  template <>                                  \
  struct Zarn::TypeIdTraits<Type> {            \
    static constexpr std::uint32_t kId = (Id); \
  }

// Gives a native type its static display name; use at global namespace scope.
#define ZARN_STATIC_TYPE_NAME(Type, Text)       \
  template <>                                   \
  struct Zarn::StaticType<Type> {               \
    static constexpr const char* Name = (Text); \
  }

ZARN_TYPE_ID(void, 0x1BE7EF8Eu);
ZARN_TYPE_ID(bool, 0x6AB1187Cu);
ZARN_TYPE_ID(std::int32_t, 0x1C4DE261u);
ZARN_TYPE_ID(std::uint32_t, 0x3494B562u);
ZARN_TYPE_ID(Zarn::Long32, 0x844BAF8Au);
ZARN_TYPE_ID(std::int64_t, 0x7B2B1131u);
ZARN_TYPE_ID(std::uint64_t, 0xC647E802u);
ZARN_TYPE_ID(double, 0xBDCD4E3Bu);
ZARN_TYPE_ID(std::string, 0x2757680Bu);
ZARN_TYPE_ID(Zarn::BindingProperty, 0xAF98C378u);
ZARN_TYPE_ID(std::vector<Zarn::BindingProperty>, 0xE980F126u);
ZARN_TYPE_ID(std::optional<bool>, 0x3925D5E7u);
ZARN_TYPE_ID(std::optional<std::int32_t>, 0x660AD9B2u);
ZARN_TYPE_ID(std::optional<std::uint64_t>, 0x84C81DB9u);
ZARN_TYPE_ID(std::optional<std::string>, 0xCCA74F06u);

ZARN_STATIC_TYPE_NAME(bool, "bool");
ZARN_STATIC_TYPE_NAME(double, "double");
ZARN_STATIC_TYPE_NAME(std::string, "class std::string");
ZARN_STATIC_TYPE_NAME(Zarn::BindingProperty, "class Zarn::BindingProperty");
ZARN_STATIC_TYPE_NAME(std::vector<Zarn::BindingProperty>,
                      "class std::vector<class Zarn::BindingProperty>");
