// Calls a registry's routes through its snapshot and C entry, as the host does, and reads the
// reply back into plain values. For tests only.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/api/ApiRegistry.h"
#include "sdk/binding/ApiObject.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/HostValueConversion.h"

namespace Zarn::Testing {

struct ApiTestRequest {
  std::uint32_t method = 2;  // GET
  std::string path;
  std::vector<std::pair<std::string, std::string>> headers;
  const char* contentType = nullptr;
  std::optional<std::string> body;
  // A name, or none for a positional value, and the value.
  std::vector<std::pair<std::optional<std::string>, BindingProperty>> namedValues;
  std::uint32_t callWord = 0;
  const char* customMethod = nullptr;
};

struct ApiTestReply {
  bool hasError = false;
  std::string error;
  std::uint32_t status = 0;
  std::string statusText;
  std::map<std::string, std::string> headers;
  std::uint8_t flag = 0;
  std::uint32_t kind = 0;
  BindingProperty value;  // the reply's host value, converted back
  bool hasStream = false;
  std::uint64_t streamSize = 0;
};

class ApiTestClient {
 public:
  // Builds the registry's snapshot; the registry must outlive the client.
  explicit ApiTestClient(ApiRegistry& registry) : snapshot_(registry.BuildSnapshot()) {}

  [[nodiscard]] const ApiRegistrySnapshot& Snapshot() const { return snapshot_; }

  // The route descriptor of the function `name`, or null.
  [[nodiscard]] const ApiRouteDescriptor* FindRoute(std::string_view name) const {
    for (const ApiFunctionDescriptor* function = snapshot_.functions; function != nullptr;
         function = function->next) {
      if (function->name != nullptr && name == function->name) {
        return reinterpret_cast<const ApiRouteDescriptor*>(function);
      }
    }
    return nullptr;
  }

  // Calls `route` with `request` into `reply` (released first by the entry, as a host reuses
  // one) and leaves `reply` as the entry wrote it.
  static void CallInto(const ApiRouteDescriptor& route, const ApiTestRequest& request,
                       ApiCallResult& reply) {
    std::vector<ApiHeader> headers;
    for (const auto& [name, value] : request.headers) {
      headers.push_back(
          ApiHeader{const_cast<char*>(name.c_str()), const_cast<char*>(value.c_str())});
    }
    std::vector<ApiNamedValue> named(request.namedValues.size());
    for (std::size_t i = 0; i < named.size(); ++i) {
      const auto& [name, value] = request.namedValues[i];
      named[i].name = name ? name->c_str() : nullptr;
      named[i].value = ApiObject{};
      (void)PropertyToApiObject(named[i].value, value, nullptr);
    }
    ApiCallRequest call{};
    call.method = request.method;
    call.path = request.path.c_str();
    call.namedValues = named.empty() ? nullptr : named.data();
    call.namedValueCount = static_cast<std::uint32_t>(named.size());
    call.userData = route.function.userData;
    call.headers = headers.empty() ? nullptr : headers.data();
    call.headerCount = static_cast<std::uint32_t>(headers.size());
    call.contentType = request.contentType;
    call.body = request.body ? request.body->data() : nullptr;
    call.bodyLength = request.body ? static_cast<std::uint32_t>(request.body->size()) : 0;
    call.callWord = request.callWord;
    call.customMethod = request.customMethod;
    route.callEntry(&reply, &call);
    for (ApiNamedValue& value : named) DestroyApiObject(value.value);
  }

  // Reads `reply` into plain values; leaves it unreleased.
  static ApiTestReply Read(const ApiCallResult& reply) {
    ApiTestReply read;
    read.hasError = reply.ownsError == 1;
    read.error = reply.errorText != nullptr ? reply.errorText : "";
    read.status = reply.status;
    read.statusText = reply.statusText != nullptr ? reply.statusText : "";
    read.flag = reply.flag;
    read.kind = reply.kind;
    for (std::uint32_t i = 0; i < reply.headerCount; ++i) {
      read.headers[reply.headers[i].name] = reply.headers[i].value;
    }
    ApiCallResult conversion{};
    (void)ApiObjectToProperty(conversion, read.value, reply.value, "<result>");
    DestroyApiObject(conversion.value);
    read.hasStream = reply.stream != nullptr;
    read.streamSize = reply.streamSize;
    return read;
  }

  // One whole call: the reply is read, its stream released through its release entry, then
  // the reply through its own.
  [[nodiscard]] ApiTestReply Call(std::string_view name, const ApiTestRequest& request) const {
    const ApiRouteDescriptor* route = FindRoute(name);
    if (route == nullptr) {
      ApiTestReply missing;
      missing.hasError = true;
      missing.error = "no route " + std::string(name);
      return missing;
    }
    ApiCallResult reply{};
    CallInto(*route, request, reply);
    ApiTestReply read = Read(reply);
    if (reply.stream != nullptr && reply.streamRelease != nullptr)
      reply.streamRelease(reply.stream);
    if (reply.release != nullptr) reply.release(&reply);
    return read;
  }

 private:
  ApiRegistrySnapshot snapshot_;
};

}  // namespace Zarn::Testing
