// What the API registry keeps for each function the plugin serves: its request handler, route
// template, method and the source of each argument.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sdk/api/ApiRequestHandler.h"
#include "sdk/api/HttpMethod.h"

namespace Zarn {

struct BindingFunctionInfo;

// Where an argument's value may come from.
enum class ArgumentSource : std::uint32_t {
  Any = 0,
  Query = 1,
  Path = 2,
  Host = 3,  // passed to the host; never bound here
  Header = 4,
  Body = 5,
};

// Owned by the API registry; unchanged after registration, so a call reads it without a lock.
struct ApiFunctionRecord {
  BindingFunctionInfo* function = nullptr;  // not owned
  std::unique_ptr<ApiRequestHandler> handler;
  std::string routeTemplate;  // empty for a function without a route
  HttpMethod method = HttpMethod::Any;
  std::string methodName;  // the method's name with HttpMethod::Custom
  std::uint8_t extraFlag = 0;
  std::vector<std::vector<std::string>> extraLists;
  std::vector<ArgumentSource> argumentSources;  // one per argument, in argument order

  // The source of argument `index`; Any past the end of the list.
  [[nodiscard]] ArgumentSource SourceOf(std::size_t index) const noexcept {
    return index < argumentSources.size() ? argumentSources[index] : ArgumentSource::Any;
  }
};

}  // namespace Zarn
