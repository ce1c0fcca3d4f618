#include "host/RouteCaller.h"

#include <rapidjson/document.h>

#include <cstring>

#include "host/HostValue.h"

namespace Zarn::Host {

namespace {

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// Reads the reply into copies, then gives it (and any stream) back to the plugin.
RouteAnswer TakeReply(ApiCallResult& reply, int* releaseCalls) {
  RouteAnswer answer;
  answer.status = reply.status;
  const char* errorText = reply.errorText;
  if (errorText != nullptr) answer.error = errorText;
  rapidjson::Document value;
  std::string error;
  if (!HostObjectToJson(reply.value, value, value.GetAllocator(), &error) && !answer.error) {
    answer.error = "the plugin's reply could not be read: " + error;
  }
  answer.body = JsonText(value);
  // Streamed bodies are not read by this host; the stream still goes back to its owner.
  const ApiStreamReleaseEntry releaseStream = reply.streamRelease;
  void* stream = reply.stream;
  if (releaseStream != nullptr && stream != nullptr) {
    releaseStream(stream);
    ++*releaseCalls;
  }
  const ApiCallResultReleaseEntry release = reply.release;
  if (release != nullptr) {
    release(&reply);
    ++*releaseCalls;
  }
  return answer;
}

}  // namespace

std::vector<HostRoute> RoutesOf(const ApiRegistrySnapshot* snapshot) {
  std::vector<HostRoute> routes;
  if (snapshot == nullptr) return routes;
  const auto* route = reinterpret_cast<const ApiRouteDescriptor*>(snapshot->functions);
  for (uint32_t i = 0; route != nullptr && i < snapshot->functionCount; ++i) {
    routes.push_back({route->callEntry, route->function.userData, Text(route->function.name),
                      Text(route->routeTemplate), route->method});
    route = reinterpret_cast<const ApiRouteDescriptor*>(route->function.next);
  }
  return routes;
}

uint32_t HostMethodCode(const std::string& method) {
  static const char* const kMethods[] = {"DELETE", "GET",  "HEAD", "OPTIONS",
                                         "PATCH",  "POST", "PUT"};
  for (uint32_t i = 0; i < 7; ++i) {
    if (method == kMethods[i]) return i + 1;
  }
  return 0;
}

RouteAnswer CallRoute(const std::vector<HostRoute>& routes, uint32_t method,
                      const std::string& path, const std::string& bodyJson, uint32_t callWord,
                      int* releaseCalls) {
  for (const HostRoute& route : routes) {
    if (route.entry == nullptr) continue;
    ApiCallRequest request;
    std::memset(&request, 0, sizeof request);
    request.method = method;
    request.path = path.c_str();
    request.userData = route.userData;
    request.contentType = bodyJson.empty() ? "" : "application/json";
    request.body = bodyJson.empty() ? nullptr : bodyJson.data();
    request.bodyLength = static_cast<uint32_t>(bodyJson.size());
    request.callWord = callWord;
    ApiCallResult reply;
    std::memset(&reply, 0, sizeof reply);
    route.entry(&reply, &request);
    RouteAnswer answer = TakeReply(reply, releaseCalls);
    if (answer.status == 404 && answer.error == "Invalid function") continue;
    return answer;
  }
  RouteAnswer none;
  none.status = 404;
  none.error = "No route of the plugin serves " + path;
  return none;
}

}  // namespace Zarn::Host
