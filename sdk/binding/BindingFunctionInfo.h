// The registry's records of bound functions, their arguments, and events.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "sdk/binding/BindingInvoker.h"
#include "sdk/binding/BindingTypeCode.h"

namespace Zarn {

class BindingRegistry;
struct BindingFunctionInfo;
struct BindingTypeInfo;

// Carried with an argument when its declaration gives one; not interpreted by the registry.
using BindingArgumentContainer = std::unordered_map<std::string, std::string>;

struct BindingArgumentInfo {
  std::string name;
  std::uint32_t nameHash = 0;  // FNV-1a 32 of `name`
  std::string description;
  bool optional = false;
  BindingTypeDescriptor descriptor;  // written by SetArgumentType
  // The descriptor given by the declaration, if any; when its kind is set the host descriptions
  // use it.
  BindingTypeDescriptor secondDescriptor;
  BindingFunctionInfo* owner = nullptr;
  std::optional<BindingArgumentContainer> container;
};

// Owned by the registry from registration until removal or Reset.
struct BindingFunctionInfo {
  // Writes argument `index`'s descriptor, optional flag and owner. `index` must be below the
  // argument count.
  void SetArgumentType(std::uint32_t index, const BindingTypeDescriptor& descriptor,
                       bool isOptional);

  std::string name;
  std::vector<BindingArgumentInfo> arguments;  // by position
  BindingTypeDescriptor returnType;
  // All zero unless set; when its kind is set the host descriptions use it.
  BindingTypeDescriptor secondReturnType;
  std::vector<std::string> tags;
  std::string nameSpace;
  std::string description;
  std::string help;
  bool threadSafe = false;
  bool async = false;
  std::unique_ptr<BindingInvoker> invoker;  // may be null
  BindingRegistry* registry = nullptr;
};

// Owned by the registry from registration until Reset.
struct BindingEventInfo {
  std::string name;
  BindingTypeInfo* payload = nullptr;  // not owned; may be null
  std::string nameSpace;
  std::string description;
  std::vector<std::string> tags;
};

}  // namespace Zarn
