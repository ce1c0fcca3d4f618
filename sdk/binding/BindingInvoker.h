// The object that a registered function owns to call its native implementation from values.
#pragma once

#include <cstdint>
#include <span>

namespace Zarn {

class BindingProperty;
class BindingRegistry;
class BindingResult;
struct BindingFunctionInfo;
struct BindingTypeInfo;

class BindingInvoker {
 public:
  // Neither pointer is owned; the function record owns the invoker.
  BindingInvoker(BindingFunctionInfo* function, BindingRegistry* registry) noexcept
      : function_(function), registry_(registry) {}
  BindingInvoker(const BindingInvoker&) = delete;
  BindingInvoker& operator=(const BindingInvoker&) = delete;

  // Converts one value per parameter into a native argument holder. Returns the holder in every
  // case (to be released by FreeArguments); the first conversion failure is written into
  // `result` and later parameters are left default.
  virtual void* ParseArguments(BindingResult& result, std::span<const BindingProperty> arguments,
                               std::uint32_t callWord) = 0;
  // Calls the native function with the holder's arguments and writes its result into `result`.
  virtual void Invoke(BindingResult& result, void* holder, std::uint32_t callWord) = 0;
  virtual void FreeArguments(void* holder) = 0;
  // The address of the held callable.
  virtual const void* GetCallable() const = 0;
  virtual ~BindingInvoker() = default;

  // The name of argument `index`; "" when the function has no such argument. Never null.
  [[nodiscard]] const char* ArgumentName(std::uint32_t index) const noexcept;
  // The record or enum type of argument `index` (its descriptor's `type`), or null.
  [[nodiscard]] BindingTypeInfo* ArgumentType(std::uint32_t index) const noexcept;
  // The record or enum type of the result (the return descriptor's `type`), or null.
  [[nodiscard]] BindingTypeInfo* ReturnType() const noexcept;
  [[nodiscard]] BindingFunctionInfo* Function() const noexcept { return function_; }
  [[nodiscard]] BindingRegistry* Registry() const noexcept { return registry_; }

 protected:
  BindingFunctionInfo* function_;
  BindingRegistry* registry_;
};

}  // namespace Zarn
