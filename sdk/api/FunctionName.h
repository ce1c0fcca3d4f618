// Names of functions derived from route paths.
#pragma once

#include <string>
#include <string_view>

#include "sdk/api/HttpMethod.h"

namespace Zarn {

// CamelCase name of a route: the prefix (first character as given, the rest lower-cased, then
// "/") followed by the path, with each of "!+-./_" dropped and capitalising the next character,
// "{" written as "By" (capitalising the next), "}" dropped, and the first character capitalised.
// MakeFunctionName("", "jyx-lobby") is "JyxLobby".
[[nodiscard]] std::string MakeFunctionName(std::string_view prefix, std::string_view path);

// MakeFunctionName with the method's text as the prefix: GET /x-y/v1/z/{id} is GetXYV1ZById; a
// method without text gives the path's name alone.
[[nodiscard]] std::string MakeFunctionNameFromMethod(HttpMethod method, std::string_view path);

}  // namespace Zarn
