#include "sdk/api/HttpMethod.h"

namespace Zarn {

const char* HttpMethodToString(HttpMethod method) noexcept {
  switch (method) {
    case HttpMethod::Delete:
      return "DELETE";
    case HttpMethod::Get:
      return "GET";
    case HttpMethod::Head:
      return "HEAD";
    case HttpMethod::Options:
      return "OPTIONS";
    case HttpMethod::Patch:
      return "PATCH";
    case HttpMethod::Post:
      return "POST";
    case HttpMethod::Put:
      return "PUT";
    default:
      return "";
  }
}

HttpMethod ToHostMethodCode(std::uint32_t code) noexcept {
  return code >= 1 && code <= 8 ? static_cast<HttpMethod>(code) : HttpMethod::Any;
}

}  // namespace Zarn
