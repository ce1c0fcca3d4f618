#include "sdk/binding/BindingFunctionInfo.h"

namespace Zarn {

void BindingFunctionInfo::SetArgumentType(std::uint32_t index,
                                          const BindingTypeDescriptor& descriptor,
                                          bool isOptional) {
  // A declaration sizes the list first; growing keeps a stray index from writing out of bounds.
  if (arguments.size() <= index) arguments.resize(index + 1);
  BindingArgumentInfo& argument = arguments[index];
  argument.descriptor = descriptor;
  argument.optional = isOptional;
  argument.owner = this;
}

}  // namespace Zarn
