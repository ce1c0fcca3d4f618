#include "sdk/api/HttpMethod.h"

namespace Zarn {

const char* HttpMethodToString(HttpMethod method) noexcept {
  static constexpr const char* kTexts[] = {"",      "DELETE", "GET", "HEAD", "OPTIONS",
                                           "PATCH", "POST",   "PUT", ""};
  const auto code = static_cast<std::uint32_t>(method);
  return code < sizeof(kTexts) / sizeof(kTexts[0]) ? kTexts[code] : "";
}

HttpMethod ToHostMethodCode(std::uint32_t code) noexcept {
  return code >= 1 && code <= 8 ? static_cast<HttpMethod>(code) : HttpMethod::Any;
}

}  // namespace Zarn
