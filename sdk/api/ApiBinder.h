// Declaring REST routes: a function named after its method and path, with its route template,
// method and the plugin's tags, returned as a FunctionBuilder on which the caller declares the
// handler's arguments.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sdk/api/ApiRegistry.h"
#include "sdk/api/DefineFunction.h"
#include "sdk/api/FunctionBuilder.h"
#include "sdk/api/FunctionName.h"

namespace Zarn {

// The context of one route declaration. Neither member is owned; both outlive the declaration.
struct ApiRegistrar {
  ApiRegistry* registry;
  const std::vector<std::string>& tags;
};

class ApiBinder {
 public:
  ApiBinder() = delete;

  // Each declares the route `path` (NUL-terminated) served by a copy of `handler`.
  template <typename R, typename... Args>
  static FunctionBuilder Get(const ApiRegistrar& registrar, const char* path,
                             const std::function<R(Args...)>& handler) {
    return Declare(HttpMethod::Get, registrar, path, handler);
  }
  template <typename R, typename... Args>
  static FunctionBuilder Post(const ApiRegistrar& registrar, const char* path,
                              const std::function<R(Args...)>& handler) {
    return Declare(HttpMethod::Post, registrar, path, handler);
  }
  template <typename R, typename... Args>
  static FunctionBuilder Put(const ApiRegistrar& registrar, const char* path,
                             const std::function<R(Args...)>& handler) {
    return Declare(HttpMethod::Put, registrar, path, handler);
  }
  template <typename R, typename... Args>
  static FunctionBuilder Delete(const ApiRegistrar& registrar, const char* path,
                                const std::function<R(Args...)>& handler) {
    return Declare(HttpMethod::Delete, registrar, path, handler);
  }

 private:
  template <typename R, typename... Args>
  static FunctionBuilder Declare(HttpMethod method, const ApiRegistrar& registrar, const char* path,
                                 const std::function<R(Args...)>& handler) {
    const std::string route = path != nullptr ? path : "";
    FunctionBuilder builder = registrar.registry->DefineFunction(
        MakeFunctionNameFromMethod(method, route).c_str(), handler);
    builder.SetPath(route).SetMethod(method).AddTags(registrar.tags);
    return builder;
  }
};

}  // namespace Zarn
