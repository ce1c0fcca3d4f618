// What the invoker and the request handler of one handler signature share: the native argument
// holder, converting values into it, and calling the handler with it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

#include "sdk/api/BindingHttpResult.h"
#include "sdk/api/HandlerResult.h"
#include "sdk/binding/BindingFunctionInfo.h"
#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/FieldConverter.h"

namespace Zarn {

// The one holder of every signature without parameters; never freed.
[[nodiscard]] void* SharedEmptyArgumentHolder() noexcept;

template <typename R, typename... Args>
struct SignatureCall {
  using Callable = std::function<R(Args...)>;
  using Holder = std::tuple<std::remove_cvref_t<Args>...>;
  static constexpr bool kHasParameters = sizeof...(Args) > 0;

  // The descriptor and optional flag of each parameter written into `function`'s arguments,
  // which exist already.
  static void DescribeArguments(BindingFunctionInfo& function, const BindingRegistry& registry) {
    DescribeEach(function, registry, std::index_sequence_for<Args...>{});
  }

  // A holder with every parameter converted from `values` (a missing value is empty); the first
  // failure stands in `result` and later parameters stay default.
  static void* Parse(BindingResult& result, std::span<const BindingProperty> values,
                     const BindingFunctionInfo* function, const BindingRegistry& registry,
                     std::uint32_t callWord) {
    if constexpr (!kHasParameters) {
      return SharedEmptyArgumentHolder();
    } else {
      auto holder = std::make_unique<Holder>();
      ParseEach(result, *holder, values, function, registry, callWord,
                std::index_sequence_for<Args...>{});
      return holder.release();
    }
  }

  static void Free(void* holder) noexcept {
    if constexpr (kHasParameters) delete static_cast<Holder*>(holder);
  }

  // Calls `callable` with the holder's arguments and stores its answer. Throws
  // std::bad_function_call when `callable` is empty.
  static void Run(BindingHttpResult& result, const Callable& callable, void* holder,
                  const BindingFunctionInfo* function, const BindingRegistry& registry) {
    if (!callable) throw std::bad_function_call();
    Holder& arguments = *static_cast<Holder*>(holder);
    if constexpr (std::is_void_v<R>) {
      std::apply(callable, arguments);
    } else {
      const BindingTypeInfo* type = function != nullptr ? function->returnType.type : nullptr;
      StoreHandlerResult(result, std::apply(callable, arguments), type, registry);
    }
  }

 private:
  template <std::size_t... I>
  static void DescribeEach(BindingFunctionInfo& function, const BindingRegistry& registry,
                           std::index_sequence<I...>) {
    (function.SetArgumentType(static_cast<std::uint32_t>(I),
                              MakeMemberDescriptor<std::tuple_element_t<I, Holder>>(registry),
                              IsStdOptional<std::tuple_element_t<I, Holder>>::value),
     ...);
  }

  template <std::size_t... I>
  static void ParseEach(BindingResult& result, Holder& holder,
                        std::span<const BindingProperty> values,
                        const BindingFunctionInfo* function, const BindingRegistry& registry,
                        std::uint32_t callWord, std::index_sequence<I...>) {
    (ParseOne(result, std::get<I>(holder), I, values, function, registry, callWord), ...);
  }

  template <typename T>
  static void ParseOne(BindingResult& result, T& target, std::size_t index,
                       std::span<const BindingProperty> values, const BindingFunctionInfo* function,
                       const BindingRegistry& registry, std::uint32_t callWord) {
    const BindingProperty& value =
        index < values.size() ? values[index] : BindingProperty::EmptyValue();
    const BindingArgumentInfo* argument = function != nullptr && index < function->arguments.size()
                                              ? &function->arguments[index]
                                              : nullptr;
    ValueCodec<T>::Read(result, target, value, argument != nullptr ? argument->name : "",
                        argument != nullptr ? argument->descriptor.type : nullptr, registry,
                        callWord);
  }
};

}  // namespace Zarn
