// Registration of a type that belongs to a plugin: its name carries the plugin's prefix and it
// is tagged with the plugin's help categories.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "sdk/binding/BindingBuilders.h"
#include "sdk/binding/TypeId.h"

namespace Zarn {

class BindingRegistry;

// Registers `prefix` + `typeName` with `size`, `identity` and the enum flag, then adds `tags` in
// order. A name registered before gives the builder of its first record, marked as existing,
// and nothing is added to it.
[[nodiscard]] BindingTypeBuilder DeclarePluginType(BindingRegistry& registry,
                                                   std::string_view prefix,
                                                   const std::vector<std::string>& tags,
                                                   std::string_view typeName, std::uint32_t size,
                                                   const TypeIdentity& identity, bool isEnum);

// The same for the native type T: its size (32 bits for an enum), its id and its enum flag.
template <typename T>
[[nodiscard]] BindingTypeBuilder DeclarePluginType(BindingRegistry& registry,
                                                   std::string_view prefix,
                                                   const std::vector<std::string>& tags,
                                                   std::string_view typeName) {
  static_assert(!std::is_enum_v<T> || sizeof(T) == 4, "enums are registered as 32 bits");
  return DeclarePluginType(registry, prefix, tags, typeName, static_cast<std::uint32_t>(sizeof(T)),
                           TypeId<T>(), std::is_enum_v<T>);
}

}  // namespace Zarn
