// Declaring functions: the invoker and request handler generated per handler signature, and the
// two DefineFunction templates that create them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "sdk/api/ApiRegistry.h"
#include "sdk/api/ApiRequestHandler.h"
#include "sdk/api/BindingHttpResult.h"
#include "sdk/api/SignatureCall.h"
#include "sdk/binding/BindingInvoker.h"
#include "sdk/binding/BindingRegistry.h"

namespace Zarn {

template <typename Signature>
class BindingFunction;

// The invoker of a bound function with a handler of signature R(Args...). The function record
// owns it.
template <typename R, typename... Args>
class BindingFunction<R(Args...)> final : public BindingInvoker {
  using Call = SignatureCall<R, Args...>;

 public:
  BindingFunction(BindingFunctionInfo* function, BindingRegistry* registry,
                  const std::function<R(Args...)>& callable)
      : BindingInvoker(function, registry), callable_(callable) {}

  void* ParseArguments(BindingResult& result, std::span<const BindingProperty> arguments,
                       std::uint32_t callWord) override {
    return Call::Parse(result, arguments, function_, *registry_, callWord);
  }
  void Invoke(BindingResult& result, void* holder, std::uint32_t /*callWord*/) override {
    BindingHttpResult answer;
    Call::Run(answer, callable_, holder, function_, *registry_);
    result = std::move(answer.Result());
  }
  void FreeArguments(void* holder) override { Call::Free(holder); }
  const void* GetCallable() const override { return &callable_; }

 private:
  std::function<R(Args...)> callable_;
};

template <typename Signature>
class ApiFunctionHandler;

// The request handler of a served function with a handler of signature R(Args...). The
// function's ApiFunctionRecord owns it.
template <typename R, typename... Args>
class ApiFunctionHandler<R(Args...)> final : public ApiRequestHandler {
  using Call = SignatureCall<R, Args...>;

 public:
  ApiFunctionHandler(ApiFunctionRecord* record, ApiRegistry* registry,
                     const std::function<R(Args...)>& callable)
      : record_(record), registry_(registry), callable_(callable) {}

  void* ParseArguments(BindingHttpResult& result, std::span<const BindingProperty> values,
                       std::uint32_t callWord) override {
    return Call::Parse(result.Result(), values, record_->function, *registry_, callWord);
  }
  void HandleRequest(BindingHttpResult& result, const void* /*request*/, void* holder,
                     std::uint32_t /*callWord*/) override {
    Call::Run(result, callable_, holder, record_->function, *registry_);
  }
  void FreeArguments(void* holder) noexcept override { Call::Free(holder); }
  const void* GetCallable() const noexcept override { return &callable_; }
  const TypeIdentity& GetRequestType() const noexcept override { return TypeId<void>(); }

 private:
  ApiFunctionRecord* record_;
  ApiRegistry* registry_;
  std::function<R(Args...)> callable_;
};

template <typename R, typename... Args>
BindingFunctionBuilder BindingRegistry::DefineFunction(const char* name,
                                                       const std::function<R(Args...)>& handler) {
  const char* const text = name != nullptr ? name : "";
  BindingFunctionInfo* function = FindFunction(text);
  const bool existed = function != nullptr;
  if (!existed) {
    function = RegisterFunction(text, sizeof...(Args), false);
    function->returnType = ReturnDescriptorOf<R>(*this);
    SignatureCall<R, Args...>::DescribeArguments(*function, *this);
    function->invoker = std::make_unique<BindingFunction<R(Args...)>>(function, this, handler);
  }
  return BindingFunctionBuilder(function, existed);
}

template <typename R, typename... Args>
FunctionBuilder ApiRegistry::DefineFunction(const char* name,
                                            const std::function<R(Args...)>& handler) {
  BindingFunctionBuilder bound = BindingRegistry::DefineFunction(name, handler);
  BindingFunctionInfo* function = bound.Function();
  ApiFunctionRecord* record = Find(function);
  const bool inert = record != nullptr;
  if (!inert) {
    record = AddFunction(function);
    record->handler = std::make_unique<ApiFunctionHandler<R(Args...)>>(record, this, handler);
  }
  return FunctionBuilder(function, inert, record);
}

}  // namespace Zarn
