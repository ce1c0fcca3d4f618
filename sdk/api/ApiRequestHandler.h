// The object that the API registry keeps per served function to call its native handler from
// argument values: one subclass per handler signature.
#pragma once

#include <cstdint>
#include <span>

#include "sdk/binding/TypeId.h"

namespace Zarn {

class BindingHttpResult;
class BindingProperty;

class ApiRequestHandler {
 public:
  ApiRequestHandler() = default;
  ApiRequestHandler(const ApiRequestHandler&) = delete;
  ApiRequestHandler& operator=(const ApiRequestHandler&) = delete;

  // Converts one value per parameter into a native argument holder. Returns the holder in every
  // case, to be released by FreeArguments; the first conversion failure is written into
  // `result` and later parameters are left default.
  virtual void* ParseArguments(BindingHttpResult& result, std::span<const BindingProperty> values,
                               std::uint32_t callWord) = 0;
  // Calls the handler with the holder's arguments and writes its answer into `result`.
  // `request` is always null in this system. Throws std::bad_function_call when the held
  // callable is empty.
  virtual void HandleRequest(BindingHttpResult& result, const void* request, void* holder,
                             std::uint32_t callWord) = 0;
  virtual void FreeArguments(void* holder) noexcept = 0;
  // The address of the held callable.
  [[nodiscard]] virtual const void* GetCallable() const noexcept = 0;
  // The type of the request record the handler reads; no type (TypeId<void>) in this system.
  [[nodiscard]] virtual const TypeIdentity& GetRequestType() const noexcept = 0;
  virtual ~ApiRequestHandler() = default;
};

}  // namespace Zarn
