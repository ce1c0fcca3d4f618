#include "sdk/binding/PluginTypeDeclaration.h"

#include "sdk/binding/BindingRegistry.h"

namespace Zarn {

BindingTypeBuilder DeclarePluginType(BindingRegistry& registry, std::string_view prefix,
                                     const std::vector<std::string>& tags,
                                     std::string_view typeName, std::uint32_t size,
                                     const TypeIdentity& identity, bool isEnum) {
  std::string name(prefix);
  name.append(typeName);
  BindingTypeBuilder builder = registry.RegisterType(size, name.c_str(), identity, isEnum);
  builder.AddTags(tags);
  return builder;
}

}  // namespace Zarn
