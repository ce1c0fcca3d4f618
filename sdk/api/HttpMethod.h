// HTTP method codes of routes and requests.
#pragma once

#include <cstdint>

namespace Zarn {

// The host's codes. `Custom` travels with a method name of its own; `Any` (0) on a route accepts
// every method.
enum class HttpMethod : std::uint32_t {
  Any = 0,
  Delete = 1,
  Get = 2,
  Head = 3,
  Options = 4,
  Patch = 5,
  Post = 6,
  Put = 7,
  Custom = 8,
};

// "DELETE", "GET", "HEAD", "OPTIONS", "PATCH", "POST", "PUT"; "" for any other code, Custom
// included. Never null.
[[nodiscard]] const char* HttpMethodToString(HttpMethod method) noexcept;

// The host's codes 1 to 8 as they are; anything else is Any.
[[nodiscard]] HttpMethod ToHostMethodCode(std::uint32_t code) noexcept;

}  // namespace Zarn
