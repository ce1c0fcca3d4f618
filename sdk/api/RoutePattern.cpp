#include "sdk/api/RoutePattern.h"

#include <algorithm>
#include <array>
#include <span>

#include "sdk/api/ApiFunctionRecord.h"
#include "sdk/api/QueryString.h"

namespace Zarn {
namespace {

bool IsExpressionSpecial(char c) {
  switch (c) {
    case '^':
    case '$':
    case '.':
    case '*':
    case '+':
    case '?':
    case '(':
    case ')':
    case '[':
    case ']':
    case '|':
    case '\\':
      return true;
    default:
      return false;
  }
}

// One walk of the template yields both the expression text and the matcher that behaves like it.
std::string Compile(std::string_view routeTemplate, std::vector<RouteParameter>& parameters,
                    PathMatcher* matcher) {
  std::string expression;
  expression.reserve(routeTemplate.size());
  RouteParameter current;
  for (const char c : routeTemplate) {
    if (c == '{') {
      current = RouteParameter{RouteParameterKind::Plain, {}};
    } else if (c == '}') {
      switch (current.kind) {
        case RouteParameterKind::Plain:
          expression += "([^/]*)";
          if (matcher) matcher->AppendGroup(PathMatcher::Group::Segment);
          break;
        case RouteParameterKind::Reserved:
          expression += "(.*)";
          if (matcher) matcher->AppendGroup(PathMatcher::Group::Any);
          break;
        case RouteParameterKind::Fragment:
          expression += "#(.*)";
          if (matcher) {
            matcher->AppendLiteral('#');
            matcher->AppendGroup(PathMatcher::Group::Any);
          }
          break;
        case RouteParameterKind::None:
          break;
      }
      parameters.push_back(std::move(current));
      current = RouteParameter{};
    } else if (current.kind != RouteParameterKind::None) {
      if (current.kind == RouteParameterKind::Plain && current.name.empty() && c == '+') {
        current.kind = RouteParameterKind::Reserved;
      } else if (current.kind == RouteParameterKind::Plain && current.name.empty() && c == '#') {
        current.kind = RouteParameterKind::Fragment;
      } else {
        current.name.push_back(c);
      }
    } else {
      if (IsExpressionSpecial(c)) expression.push_back('\\');
      expression.push_back(c);
      if (matcher) matcher->AppendLiteral(c);
    }
  }
  return expression;
}

}  // namespace

RoutePattern::RoutePattern(const BindingFunctionInfo* function, const ApiFunctionRecord* record,
                           std::string_view routeTemplate)
    : function_(function), record_(record) {
  if (!routeTemplate.empty() && routeTemplate.find('{') != std::string_view::npos) {
    matcher_.emplace();
    (void)Compile(routeTemplate, parameters_, &*matcher_);
  } else {
    literal_ = routeTemplate;
  }
}

std::string RoutePattern::TemplateToRegex(std::string_view routeTemplate,
                                          std::vector<RouteParameter>& parameters) {
  return Compile(routeTemplate, parameters, nullptr);
}

bool RoutePattern::ExtractParameters(PathCaptures& captures, std::string_view path,
                                     const RoutePattern& pattern) {
  // The query belongs to argument binding, not to the route.
  path = path.substr(0, path.find('?'));
  if (!pattern.matcher_) return !pattern.literal_.empty() && path == pattern.literal_;
  // A route has few groups: their views stay on the stack.
  constexpr std::size_t kLocalGroups = 8;
  std::array<std::string_view, kLocalGroups> local;
  std::vector<std::string_view> heap;
  const std::size_t count = pattern.matcher_->GroupCount();
  if (count > kLocalGroups) heap.resize(count);
  const std::span<std::string_view> groups = count > kLocalGroups
                                                 ? std::span<std::string_view>(heap)
                                                 : std::span<std::string_view>(local.data(), count);
  if (!pattern.matcher_->FullMatch(path, groups)) return false;
  // A stray "}" left an entry without a group: groups pair with the parameters that have one.
  std::size_t group = 0;
  for (const RouteParameter& parameter : pattern.parameters_) {
    if (group == groups.size()) break;
    if (parameter.kind == RouteParameterKind::None) continue;
    captures.insert_or_assign(parameter.name, UrlDecode(groups[group++]));
  }
  return true;
}

bool RoutePattern::Match(RequestMatch& match, const RoutePattern& pattern) {
  PathCaptures captures;
  if (!ExtractParameters(captures, match.path, pattern)) return false;
  if (pattern.record_ != nullptr && pattern.record_->method != HttpMethod::Any &&
      (pattern.record_->method != match.method ||
       pattern.record_->methodName != match.methodName)) {
    return false;
  }
  match.function = pattern.function_;
  match.record = pattern.record_;
  match.captures = std::move(captures);
  return true;
}

}  // namespace Zarn
