// Calling the plugin's routes the way the host core does: through the call entries of the route
// descriptors in the plugin's snapshot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/binding/ApiRecords.h"

namespace Zarn::Host {

// One served function as the host keeps it: the plugin's entry and user data as given, the texts
// copied.
struct HostRoute {
  ApiCallEntry entry = nullptr;
  void* userData = nullptr;
  std::string name;
  std::string routeTemplate;
  uint32_t method = 0;
};

// The routes of a snapshot: its function pair holds the route descriptors. Followed at most as
// far as the count, stopping at a null link. A null snapshot has none.
[[nodiscard]] std::vector<HostRoute> RoutesOf(const ApiRegistrySnapshot* snapshot);

// The host's method code of "GET", "POST", ...; 0 for any other text.
[[nodiscard]] uint32_t HostMethodCode(const std::string& method);
// The name of a host method code, "GET" for 2 say; "" for a code of no named method.
[[nodiscard]] std::string HostMethodName(uint32_t code);

// True when `path`, up to its first "?", is one that a route of template `routeTemplate` serves,
// by the SDK's rules: "{name}" stands for one segment (possibly empty), "{+name}" for anything,
// "{#name}" for "#" and anything; a template without "{" is the exact path; an empty template
// serves none. Time is linear in the path's length.
[[nodiscard]] bool RouteTemplateMatches(std::string_view routeTemplate, std::string_view path);

// The named methods of the routes that serve `path`, "DELETE, GET, POST" (in the order of their
// host codes); empty when none does.
[[nodiscard]] std::string MethodsServing(const std::vector<HostRoute>& routes,
                                         std::string_view path);

// The longest path NearestTemplates compares: far above any written by hand, so that a long one
// costs no copy for each template.
inline constexpr std::size_t kMaxComparedPath = 1024;
// The templates of `routes` nearest to `path` (up to its first "?"), for a path that none serves: a
// segment holding a parameter takes the path's segment at its place ("{+name}" and "{#name}" the
// rest of the path), and the parts left are compared as a mistyped command is with the shell's
// commands (EditDistance within NearEdits). Every template equally near, once each, in the order of
// `routes`; none when none is that near, or the path is longer than kMaxComparedPath.
[[nodiscard]] std::vector<std::string> NearestTemplates(const std::vector<HostRoute>& routes,
                                                        std::string_view path);

// A call as a front end makes it. Named values are compact JSON, by name or (with no name) by
// position.
struct RouteRequest {
  uint32_t method = 0;  // host method code
  std::string path;     // may carry a query after "?"
  std::vector<std::pair<std::string, std::string>> headers;
  std::optional<std::string> contentType;
  std::optional<std::string> body;  // bytes as given; none sends no body
  std::vector<std::pair<std::optional<std::string>, std::string>> namedValues;
  std::optional<std::string> customMethod;  // sent with method 8
  uint32_t callWord = 0;
};

struct RouteAnswer {
  uint32_t status = 0;
  std::optional<std::string> error;
  std::string body = "null";  // compact JSON of the reply's value
  std::string statusText;
  std::vector<std::pair<std::string, std::string>> headers;
  // A streamed body, read through the reply's read entry: the host passes a buffer's address,
  // its capacity and the offset read so far, and the entry answers how many bytes it wrote.
  std::optional<std::string> stream;
};

// Offers the request to each route in turn, as the dispatcher decides whether a route serves it:
// a reply of "Invalid function" with status 404 passes the request on to the next route. When
// none serves it, the answer is status 404 with an error that names the methods the path's routes
// take, if any, else the nearest templates (with their methods, when they lack the one given).
// Every reply is read into copies and then handed back through its release entry (and a body stream
// through the stream's), each counted in `*releaseCalls` unless it is null. `bodyJson` (empty for
// none) goes as "application/json"; `callWord` is the host context.
[[nodiscard]] RouteAnswer CallRoute(const std::vector<HostRoute>& routes, uint32_t method,
                                    const std::string& path, const std::string& bodyJson,
                                    uint32_t callWord, int* releaseCalls);
// The same with every part of the request given. A named value that is not JSON, and a text
// holding a NUL byte (which the plugin would read cut short), are refused before any route is
// called, with status 0.
[[nodiscard]] RouteAnswer CallRoute(const std::vector<HostRoute>& routes,
                                    const RouteRequest& request, int* releaseCalls);

}  // namespace Zarn::Host
