#include "sdk/binding/BindingInvoker.h"

#include "sdk/binding/BindingFunctionInfo.h"

namespace Zarn {

const char* BindingInvoker::ArgumentName(std::uint32_t index) const noexcept {
  if (function_ == nullptr || index >= function_->arguments.size()) return "";
  return function_->arguments[index].name.c_str();
}

BindingTypeInfo* BindingInvoker::ArgumentType(std::uint32_t index) const noexcept {
  if (function_ == nullptr || index >= function_->arguments.size()) return nullptr;
  return function_->arguments[index].descriptor.type;
}

BindingTypeInfo* BindingInvoker::ReturnType() const noexcept {
  return function_ != nullptr ? function_->returnType.type : nullptr;
}

}  // namespace Zarn
