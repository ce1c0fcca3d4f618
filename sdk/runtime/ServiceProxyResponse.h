// What a service-proxy request yields: the reply's JSON payload read as a value (with the reply's
// method name and status) or as a list of values.
#pragma once

#include <string>
#include <vector>

#include "sdk/base/Fnv1a.h"
#include "sdk/base/MaybeType.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/TypeId.h"
#include "sdk/runtime/PluginManagerTypes.h"

namespace Zarn {

class BindingRegistry;

namespace Client {

// The raw result of a service-proxy request (AppModule::ServiceProxyRawResponse).
struct ServiceProxyRawResponse {
  std::string methodName;
  BindingProperty payload;  // the reply's payload, parsed from JSON
  std::string status;

  ServiceProxyRawResponse() = default;
  ServiceProxyRawResponse(const ServiceProxyRawResponse& other);
  ServiceProxyRawResponse& operator=(const ServiceProxyRawResponse& other);
  // The source's texts are left empty.
  ServiceProxyRawResponse(ServiceProxyRawResponse&& other) noexcept;
  ServiceProxyRawResponse& operator=(ServiceProxyRawResponse&& other);
  ~ServiceProxyRawResponse() = default;
};

}  // namespace Client

// The result that DeserializeResponsePayload<T> gives: T = BindingProperty keeps the reply's
// method name and status beside the value; T = std::vector<BindingProperty> is the list.
template <typename T>
struct ResponsePayload;
template <>
struct ResponsePayload<BindingProperty> {
  using Result = Client::ServiceProxyRawResponse;
};
template <>
struct ResponsePayload<std::vector<BindingProperty>> {
  using Result = std::vector<BindingProperty>;
};

// Parses the reply's payload as JSON text and reads it as T under the name "<value>" with
// `registry`. Fails with "Failed to deserialize response payload \"{payload}\" to a {type}"
// ({type}: the name of TypeId<T>) when the text is not JSON or the value is not a T; an empty
// payload is the empty value, which only T = BindingProperty accepts.
template <typename T>
[[nodiscard]] MaybeType<Failure, typename ResponsePayload<T>::Result> DeserializeResponsePayload(
    const PluginServiceProxyResponse& response, const BindingRegistry& registry);

template <>
[[nodiscard]] MaybeType<Failure, Client::ServiceProxyRawResponse>
DeserializeResponsePayload<BindingProperty>(const PluginServiceProxyResponse& response,
                                            const BindingRegistry& registry);
template <>
[[nodiscard]] MaybeType<Failure, std::vector<BindingProperty>>
DeserializeResponsePayload<std::vector<BindingProperty>>(const PluginServiceProxyResponse& response,
                                                         const BindingRegistry& registry);

}  // namespace Zarn

ZARN_TYPE_ID(Zarn::Client::ServiceProxyRawResponse,
             Zarn::Fnv1a32("Zarn::Client::AppModule::ServiceProxyRawResponse"));
ZARN_STATIC_TYPE_NAME(Zarn::Client::ServiceProxyRawResponse,
                      "struct Zarn::Client::AppModule::ServiceProxyRawResponse");
