#include "sdk/runtime/ServiceProxyResponse.h"

#include <string_view>
#include <utility>

#include "sdk/binding/BindingConvert.h"
#include "sdk/binding/FieldConverter.h"
#include "sdk/binding/JsonText.h"

namespace Zarn {

namespace Client {

ServiceProxyRawResponse::ServiceProxyRawResponse(const ServiceProxyRawResponse& other) = default;
ServiceProxyRawResponse& ServiceProxyRawResponse::operator=(const ServiceProxyRawResponse& other) =
    default;

ServiceProxyRawResponse::ServiceProxyRawResponse(ServiceProxyRawResponse&& other) noexcept
    : methodName(std::exchange(other.methodName, {})),
      payload(std::move(other.payload)),
      status(std::exchange(other.status, {})) {}

ServiceProxyRawResponse& ServiceProxyRawResponse::operator=(ServiceProxyRawResponse&& other) {
  if (this != &other) {
    methodName = std::exchange(other.methodName, {});
    payload = std::move(other.payload);
    status = std::exchange(other.status, {});
  }
  return *this;
}

}  // namespace Client

namespace {

constexpr const char* kDeserializeFailed =
    "Failed to deserialize response payload \"{payload}\" to a {type}";

// The payload read as T, or the failure that names the payload and T.
template <typename T>
MaybeType<Failure, T> ReadPayload(const PluginServiceProxyResponse& response,
                                  const BindingRegistry& registry) {
  BindingResult parsed = ParseJson(response.payload);
  T value{};
  if (parsed.IsOk()) {
    BindingResult read;
    ValueCodec<T>::Read(read, value, parsed.Value(), BindingConvert::kValueName, nullptr, registry,
                        0);
    if (read.IsOk()) return value;
  }
  return Failure::Make2(kDeserializeFailed, response.payload, TypeId<T>().name);
}

}  // namespace

template <>
MaybeType<Failure, Client::ServiceProxyRawResponse> DeserializeResponsePayload<BindingProperty>(
    const PluginServiceProxyResponse& response, const BindingRegistry& registry) {
  MaybeType<Failure, BindingProperty> value = ReadPayload<BindingProperty>(response, registry);
  if (value.IsFailure()) return std::move(value).GetFailure();
  Client::ServiceProxyRawResponse raw;
  raw.methodName = response.methodName;
  raw.payload = std::move(value).Value();
  raw.status = response.status;
  return raw;
}

template <>
MaybeType<Failure, std::vector<BindingProperty>>
DeserializeResponsePayload<std::vector<BindingProperty>>(const PluginServiceProxyResponse& response,
                                                         const BindingRegistry& registry) {
  return ReadPayload<std::vector<BindingProperty>>(response, registry);
}

}  // namespace Zarn
