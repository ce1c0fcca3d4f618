// A route template such as /jyx-lobby/v1/custom-games/{id}/join, made matchable against request
// paths: a literal when it has no parameter, else a compiled pattern with one capture group per
// parameter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/api/PathCaptures.h"
#include "sdk/api/PathMatcher.h"
#include "sdk/api/RequestMatch.h"

namespace Zarn {

struct ApiFunctionRecord;
struct BindingFunctionInfo;

enum class RouteParameterKind : std::uint32_t {
  None = 0,      // a "}" outside any parameter
  Plain = 1,     // {name}: one path segment, possibly empty
  Reserved = 2,  // {+name}: anything, "/" included
  Fragment = 3,  // {#name}: a "#" followed by anything
};

struct RouteParameter {
  RouteParameterKind kind = RouteParameterKind::None;
  std::string name;
};

class RoutePattern {
 public:
  // Neither pointer is owned; both may be null (then every method is accepted).
  RoutePattern(const BindingFunctionInfo* function, const ApiFunctionRecord* record,
               std::string_view routeTemplate);

  // The ECMAScript expression of `routeTemplate` (without anchors; a match is always against the
  // whole path); appends the template's parameters to `parameters` in template order.
  [[nodiscard]] static std::string TemplateToRegex(std::string_view routeTemplate,
                                                   std::vector<RouteParameter>& parameters);

  // True when `path`, up to its first "?", matches `pattern`; then each capture, URL-decoded, is
  // stored in `captures` under the name of the parameter at its position (a repeated name keeps
  // the later value); a capture that UrlDecode refuses names its parameter as
  // `captures.Refused()`. A literal pattern matches its exact text; an empty template nothing.
  [[nodiscard]] static bool ExtractParameters(PathCaptures& captures, std::string_view path,
                                              const RoutePattern& pattern);

  // True when the request's path (as ExtractParameters) and method match: a record's method
  // Any accepts every request; otherwise the codes must be equal and so must the custom method
  // names. Then the match takes the pattern's function, record and captures.
  [[nodiscard]] static bool Match(RequestMatch& match, const RoutePattern& pattern);

  [[nodiscard]] const std::vector<RouteParameter>& Parameters() const noexcept {
    return parameters_;
  }

 private:
  const BindingFunctionInfo* function_;
  const ApiFunctionRecord* record_;
  std::string literal_;  // the template when it has no "{"
  std::optional<PathMatcher> matcher_;
  std::vector<RouteParameter> parameters_;
};

}  // namespace Zarn
