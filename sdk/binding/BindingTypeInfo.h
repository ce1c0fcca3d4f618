// The registry's records of bound native record and enum types, their fields and enumerators.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/binding/BindingFieldConverter.h"
#include "sdk/binding/BindingTypeCode.h"
#include "sdk/binding/TypeId.h"

namespace Zarn {

class BindingRegistry;
struct BindingTypeInfo;

// Field flags.
inline constexpr std::uint32_t kBindingFieldOmitEmpty = 1;  // omit on output when empty
inline constexpr std::uint32_t kBindingFieldRequired = 2;   // required on input

struct BindingFieldInfo {
  std::string name;
  // The name of the field's member: `name` up to its first NUL, cut once at registration. The
  // hash is FNV-1a 32 of that member name.
  std::uint32_t memberNameSize = 0;
  std::uint32_t nameHash = 0;
  std::string description;
  const TypeIdentity* identity = nullptr;  // the field's native type
  std::uint32_t offset = 0;                // byte offset in the native record
  BindingTypeDescriptor descriptor;
  // All zero unless given with a non-zero kind; when set, the host descriptions use it.
  BindingTypeDescriptor secondDescriptor;
  std::uint32_t flags = 0;
  std::unique_ptr<BindingFieldConverter> converter;  // may be null
  BindingTypeInfo* owner = nullptr;
  bool optional = false;

  [[nodiscard]] std::string_view MemberName() const noexcept {
    return std::string_view(name).substr(0, memberNameSize);
  }
};

struct BindingEnumValueInfo {
  std::int32_t value = 0;
  std::string name;
  std::string description;
  BindingTypeInfo* owner = nullptr;
};

// Owned by the registry from registration until Reset.
struct BindingTypeInfo {
  std::uint32_t size = 0;  // native size in bytes
  bool isEnum = false;
  std::string name;
  std::uint32_t id = 0;
  const TypeIdentity* identity = nullptr;
  std::string nameSpace;
  std::string description;
  std::vector<std::string> tags;
  std::vector<BindingFieldInfo> fields;  // in registration order
  // Ordered by byte-wise comparison of the names.
  std::map<std::string, BindingEnumValueInfo> enumValues;
  BindingRegistry* registry = nullptr;
};

}  // namespace Zarn
