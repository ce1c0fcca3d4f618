#include "sdk/runtime/LcdsCall.h"

namespace Zarn::Client::LcdsDetail {

Failure ParametersNotConverted(const Failure& packing) {
  return Failure::Make1("Couldn't convert LCDS call parameters: {error}", packing.Message());
}

Failure UnexpectedClass(const std::string& expected, const std::string& destination,
                        const std::string& method, const std::string& actual) {
  return Failure::Make4(
      "Expected '{expected}' as LCDS response for {destination}.{method}, but got '{actual}'",
      expected, destination, method, actual);
}

Failure DtoNotConverted(const char* typeName, const BindingProperty& body,
                        const BindingRegistry& registry) {
  return Failure::Make2("Couldn't convert LCDS DTO {name} to C++ from {json}", typeName,
                        SerializeJson(body, &registry, nullptr));
}

}  // namespace Zarn::Client::LcdsDetail
