#include "host/RouteCaller.h"

#include <rapidjson/document.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/EditDistance.h"
#include "host/HostValue.h"

namespace Zarn::Host {

namespace {

// The named methods, by host code from 1.
const char* const kMethods[] = {"DELETE", "GET", "HEAD", "OPTIONS", "PATCH", "POST", "PUT"};

// The most of a streamed body the host reads.
constexpr uint64_t kMaxStreamBytes = 1 << 20;

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
  answer.statusText = Text(reply.statusText);
  const ApiHeader* headers = reply.headers;
  for (uint32_t i = 0; headers != nullptr && i < reply.headerCount; ++i) {
    answer.headers.emplace_back(Text(headers[i].name), Text(headers[i].value));
  }
  const ApiStreamReleaseEntry releaseStream = reply.streamRelease;
  const ApiStreamReadEntry readStream = reply.streamRead;
  void* stream = reply.stream;
  if (readStream != nullptr && stream != nullptr) {
    // At most the size the reply announced, and never more than the host is willing to hold.
    const uint64_t announced = reply.streamSize;  // copied: the record is packed
    const uint64_t size = std::min(announced, kMaxStreamBytes);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t offset = 0;
    while (offset < bytes.size()) {
      const uint32_t read = readStream(stream, reinterpret_cast<std::uintptr_t>(&bytes[offset]),
                                       bytes.size() - offset, offset);
      if (read == 0 || read > bytes.size() - offset) break;
      offset += read;
    }
    bytes.resize(offset);
    answer.stream = std::move(bytes);
  }
  if (releaseStream != nullptr && stream != nullptr) {
    releaseStream(stream);
    if (releaseCalls != nullptr) ++*releaseCalls;
  }
  const ApiCallResultReleaseEntry release = reply.release;
  if (release != nullptr) {
    release(&reply);
    if (releaseCalls != nullptr) ++*releaseCalls;
  }
  return answer;
}

// The named methods of the routes that `picks` picks, "DELETE, GET, POST" (in the order of their
// host codes).
template <typename Picks>
std::string MethodsOf(const std::vector<HostRoute>& routes, Picks picks) {
  std::vector<bool> taken(std::size(kMethods) + 1);
  for (const HostRoute& route : routes) {
    if (route.method < taken.size() && picks(route)) taken[route.method] = true;
  }
  std::string methods;
  for (uint32_t code = 1; code < taken.size(); ++code) {
    if (taken[code]) methods += (methods.empty() ? "" : ", ") + HostMethodName(code);
  }
  return methods;
}

// The segments of `text` between its "/"s.
std::vector<std::string_view> Segments(std::string_view text) {
  std::vector<std::string_view> segments;
  for (std::size_t begin = 0;;) {
    const std::size_t end = std::min(text.find('/', begin), text.size());
    segments.push_back(text.substr(begin, end - begin));
    if (end == text.size()) return segments;
    begin = end + 1;
  }
}

// What NearestTemplates compares of `routeTemplate` and `path`: both with the segments that the
// template's parameters take left empty, and without the rest from a "{+name}" or "{#name}" on.
void FixedParts(std::string_view routeTemplate, std::string_view path, std::string* fixedTemplate,
                std::string* fixedPath) {
  const std::vector<std::string_view> templateSegments = Segments(routeTemplate);
  const std::vector<std::string_view> pathSegments = Segments(path);
  const auto add = [](std::string* to, std::size_t at, std::string_view segment) {
    if (at > 0) to->push_back('/');
    to->append(segment);
  };
  for (std::size_t at = 0; at < std::max(templateSegments.size(), pathSegments.size()); ++at) {
    const std::string_view segment = at < templateSegments.size() ? templateSegments[at] : "";
    const std::size_t open = segment.find('{');
    const bool parameter = open != std::string_view::npos;
    if (parameter && open + 1 < segment.size() &&
        (segment[open + 1] == '+' || segment[open + 1] == '#')) {
      return;
    }
    if (at < templateSegments.size()) add(fixedTemplate, at, parameter ? "" : segment);
    if (at < pathSegments.size()) add(fixedPath, at, parameter ? "" : pathSegments[at]);
  }
}

// The error of a request that no route serves: it names the methods of the routes that serve
// its path, if any, for a call made with the wrong one, else the nearest templates and the
// command that lists the routes.
std::string Unserved(const std::vector<HostRoute>& routes, const RouteRequest& call) {
  const std::string methods = MethodsServing(routes, call.path);
  if (methods.empty()) {
    const std::vector<std::string> nearest = NearestTemplates(routes, call.path);
    std::string named;
    for (std::size_t i = 0; i < nearest.size(); ++i) {
      if (i == 0) {
        named = nearest.size() == 1 ? "; the nearest route is " : "; the nearest routes are ";
      } else {
        named += i + 1 == nearest.size() ? " or " : ", ";
      }
      named += nearest[i];
      const auto ofTemplate = [&](const HostRoute& route) {
        return route.routeTemplate == nearest[i];
      };
      const bool takesMethod = std::any_of(routes.begin(), routes.end(), [&](const HostRoute& r) {
        return ofTemplate(r) && r.method == call.method;
      });
      if (const std::string taken = MethodsOf(routes, ofTemplate); !takesMethod && !taken.empty()) {
        named += " (takes " + taken + ")";
      }
    }
    return "No route of the plugin serves " + call.path + named +
           "; routes lists the plugin's routes";
  }
  const std::string method = HostMethodName(call.method);
  return "No route of the plugin serves " +
         (method.empty() ? "method " + std::to_string(call.method) : method) + " " + call.path +
         "; the path's routes take " + methods;
}

}  // namespace

std::string MethodsServing(const std::vector<HostRoute>& routes, std::string_view path) {
  return MethodsOf(routes, [&](const HostRoute& route) {
    return RouteTemplateMatches(route.routeTemplate, path);
  });
}

std::vector<std::string> NearestTemplates(const std::vector<HostRoute>& routes,
                                          std::string_view path) {
  path = path.substr(0, path.find('?'));
  std::vector<std::string> nearest;
  if (path.size() > kMaxComparedPath) return nearest;
  std::size_t best = NearEdits(path);
  for (const HostRoute& route : routes) {
    if (route.routeTemplate.empty() ||
        std::find(nearest.begin(), nearest.end(), route.routeTemplate) != nearest.end()) {
      continue;
    }
    std::string fixedTemplate;
    std::string fixedPath;
    FixedParts(route.routeTemplate, path, &fixedTemplate, &fixedPath);
    const std::size_t apart = std::max(fixedTemplate.size(), fixedPath.size()) -
                              std::min(fixedTemplate.size(), fixedPath.size());
    if (apart > best) continue;
    const std::size_t distance = EditDistance(fixedPath, fixedTemplate);
    if (distance > best) continue;
    if (distance < best) {
      best = distance;
      nearest.clear();
    }
    nearest.push_back(route.routeTemplate);
  }
  return nearest;
}

bool RouteTemplateMatches(std::string_view routeTemplate, std::string_view path) {
  path = path.substr(0, path.find('?'));
  if (routeTemplate.find('{') == std::string_view::npos) {
    return !routeTemplate.empty() && path == routeTemplate;
  }
  // The template as steps: a literal byte, or a group that takes one segment or anything. A "}"
  // outside a parameter stands for nothing, and so does a parameter left open.
  enum class Kind : uint8_t { Literal, Segment, Any };
  struct Step {
    Kind kind;
    char literal;
  };
  std::vector<Step> steps;
  enum class Parameter : uint8_t { None, Plain, Reserved, Fragment } parameter = Parameter::None;
  bool named = false;  // the open parameter has a byte of its name
  for (const char c : routeTemplate) {
    if (c == '{') {
      parameter = Parameter::Plain;
      named = false;
    } else if (c == '}') {
      if (parameter == Parameter::Fragment) steps.push_back({Kind::Literal, '#'});
      if (parameter != Parameter::None) {
        steps.push_back({parameter == Parameter::Plain ? Kind::Segment : Kind::Any, '\0'});
      }
      parameter = Parameter::None;
    } else if (parameter == Parameter::None) {
      steps.push_back({Kind::Literal, c});
    } else if (parameter == Parameter::Plain && !named && (c == '+' || c == '#')) {
      parameter = c == '+' ? Parameter::Reserved : Parameter::Fragment;
    } else {
      named = true;
    }
  }
  // Matched as a set of positions among the steps, all of them at once, so that no path makes it
  // backtrack: a group's position stays while it takes a byte, and also stands for the next one.
  std::vector<std::size_t> now;
  std::vector<std::size_t> next;
  std::vector<bool> in(steps.size() + 1);
  const auto add = [&](std::vector<std::size_t>& set, std::size_t at) {
    for (; !in[at]; ++at) {
      in[at] = true;
      set.push_back(at);
      if (at == steps.size() || steps[at].kind == Kind::Literal) break;
    }
  };
  add(now, 0);
  for (const char c : path) {
    for (const std::size_t at : now) in[at] = false;
    next.clear();
    for (const std::size_t at : now) {
      if (at == steps.size()) continue;
      const Step& step = steps[at];
      if (step.kind == Kind::Literal) {
        if (c == step.literal) add(next, at + 1);
      } else if (step.kind == Kind::Segment ? c != '/' : c != '\n' && c != '\r') {
        add(next, at);
      }
    }
    if (next.empty()) return false;
    now.swap(next);
  }
  return in[steps.size()];
}

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
  for (uint32_t i = 0; i < std::size(kMethods); ++i) {
    if (method == kMethods[i]) return i + 1;
  }
  return 0;
}

std::string HostMethodName(uint32_t code) {
  return code >= 1 && code <= std::size(kMethods) ? kMethods[code - 1] : "";
}

RouteAnswer CallRoute(const std::vector<HostRoute>& routes, uint32_t method,
                      const std::string& path, const std::string& bodyJson, uint32_t callWord,
                      int* releaseCalls) {
  RouteRequest request;
  request.method = method;
  request.path = path;
  if (!bodyJson.empty()) {
    request.contentType = "application/json";
    request.body = bodyJson;
  }
  request.callWord = callWord;
  return CallRoute(routes, request, releaseCalls);
}

RouteAnswer CallRoute(const std::vector<HostRoute>& routes, const RouteRequest& call,
                      int* releaseCalls) {
  RouteAnswer refused;
  std::vector<ApiNamedValue> named(call.namedValues.size());
  for (std::size_t i = 0; i < named.size(); ++i) {
    std::memset(&named[i], 0, sizeof named[i]);
    const auto& [name, json] = call.namedValues[i];
    rapidjson::Document value;
    std::string error;
    if (!ParseHostJson(json, &value, &error) || !JsonToHostObject(value, &named[i].value)) {
      refused.error = "named value " + std::to_string(i) + ": " +
                      (error.empty() ? std::string("nested too deeply") : error);
      break;
    }
    named[i].name = name ? name->c_str() : nullptr;
  }
  // The texts go to the plugin as C strings: a NUL would silently cut them.
  const auto holdsNul = [](const std::string& text) {
    return text.find('\0') != std::string::npos;
  };
  bool nul = holdsNul(call.path) || (call.contentType && holdsNul(*call.contentType)) ||
             (call.customMethod && holdsNul(*call.customMethod));
  for (const auto& [name, value] : call.headers) nul = nul || holdsNul(name) || holdsNul(value);
  for (const auto& [name, json] : call.namedValues) nul = nul || (name && holdsNul(*name));
  if (nul && !refused.error) refused.error = "a path, header or name holds a NUL byte";
  std::vector<ApiHeader> headers;
  for (const auto& [name, value] : call.headers) {
    headers.push_back(ApiHeader{const_cast<char*>(name.c_str()), const_cast<char*>(value.c_str())});
  }

  std::optional<RouteAnswer> answer;
  for (const HostRoute& route : routes) {
    if (refused.error || route.entry == nullptr) continue;
    ApiCallRequest request;
    std::memset(&request, 0, sizeof request);
    request.method = call.method;
    request.path = call.path.c_str();
    request.namedValues = named.empty() ? nullptr : named.data();
    request.namedValueCount = static_cast<uint32_t>(named.size());
    request.userData = route.userData;
    request.headers = headers.empty() ? nullptr : headers.data();
    request.headerCount = static_cast<uint32_t>(headers.size());
    request.contentType = call.contentType ? call.contentType->c_str() : nullptr;
    request.body = call.body ? call.body->data() : nullptr;
    request.bodyLength = call.body ? static_cast<uint32_t>(call.body->size()) : 0;
    request.callWord = call.callWord;
    request.customMethod = call.customMethod ? call.customMethod->c_str() : nullptr;
    ApiCallResult reply;
    std::memset(&reply, 0, sizeof reply);
    route.entry(&reply, &request);
    RouteAnswer taken = TakeReply(reply, releaseCalls);
    if (taken.status == 404 && taken.error == "Invalid function") continue;
    answer = std::move(taken);
    break;
  }
  for (ApiNamedValue& value : named) FreeHostObject(&value.value);
  if (refused.error) return refused;
  if (answer) return *std::move(answer);
  RouteAnswer none;
  none.status = 404;
  none.error = Unserved(routes, call);
  return none;
}

}  // namespace Zarn::Host
