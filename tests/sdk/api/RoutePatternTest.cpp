#include "sdk/api/RoutePattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/api/TextMap.h"

namespace Zarn {
namespace {

// The captures by name, and "(refused)" under the name of the first that did not decode; each
// distinct name is stored once.
TextMap AsMap(const PathCaptures& captures) {
  TextMap map;
  for (std::size_t i = 0; i < captures.size(); ++i) {
    EXPECT_TRUE(map.emplace(captures.At(i).name, captures.At(i).value).second);
  }
  if (captures.Refused()) {
    EXPECT_TRUE(map.emplace(*captures.Refused(), "(refused)").second);
  }
  return map;
}

TEST(RoutePatternTest, TemplateToRegex) {
  using Kind = RouteParameterKind;
  struct Case {
    std::string_view routeTemplate;
    std::string_view expression;
    std::vector<std::pair<Kind, std::string>> parameters;
  };
  const Case cases[] = {
      {"/jyx-lobby/v2/lobby", "/jyx-lobby/v2/lobby", {}},
      {"/a/{id}/b", "/a/([^/]*)/b", {{Kind::Plain, "id"}}},
      {"/files/{+path}", "/files/(.*)", {{Kind::Reserved, "path"}}},
      {"/doc{#frag}", "/doc#(.*)", {{Kind::Fragment, "frag"}}},
      {"/x/{a+b#c}", "/x/([^/]*)", {{Kind::Plain, "a+b#c"}}},
      {"/{}", "/([^/]*)", {{Kind::Plain, ""}}},
      {"/a.b(c)[d]|e^f$g*h+i?j\\k", "/a\\.b\\(c\\)\\[d\\]\\|e\\^f\\$g\\*h\\+i\\?j\\\\k", {}},
      {"/{a}{b}", "/([^/]*)([^/]*)", {{Kind::Plain, "a"}, {Kind::Plain, "b"}}},
      // Unbalanced braces: a stray "}" adds an unnamed entry, an open "{" adds nothing.
      {"/a}/{b", "/a/", {{Kind::None, ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.routeTemplate));
    std::vector<RouteParameter> parameters;
    EXPECT_EQ(RoutePattern::TemplateToRegex(c.routeTemplate, parameters), c.expression);
    ASSERT_EQ(parameters.size(), c.parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      EXPECT_EQ(parameters[i].kind, c.parameters[i].first);
      EXPECT_EQ(parameters[i].name, c.parameters[i].second);
    }
  }
}

TEST(RoutePatternTest, ExtractParameters) {
  struct Case {
    std::string_view routeTemplate;
    std::string_view path;
    bool matches;
    TextMap captures;
  };
  const Case cases[] = {
      {"/a/{id}/b", "/a/x%20y/b", true, {{"id", "x y"}}},
      {"/a/{id}/b", "/a/b/c/b", false, {}},
      {"/a/{id}/b", "/a//b", true, {{"id", ""}}},
      {"/a/{id}", "/a/x%2Fy", true, {{"id", "x/y"}}},
      {"/a/{id}", "/a/1+2%2B3", true, {{"id", "1 2+3"}}},
      // A NUL is refused, not cut at: the route matches and binding answers for the capture.
      {"/a/{id}/b", "/a/x%00y/b", true, {{"id", "(refused)"}}},
      {"/{a}/{b}", "/%00/v", true, {{"a", "(refused)"}, {"b", "v"}}},
      {"/{a}/{b}", "/%00/%00", true, {{"a", "(refused)"}}},
      {"/files/{+path}", "/files/a/b", true, {{"path", "a/b"}}},
      {"/files/{+path}", "/files/a\nb", false, {}},
      {"/doc{#frag}", "/doc#top/x", true, {{"frag", "top/x"}}},
      {"/doc{#frag}", "/doctop", false, {}},
      {"/a.{x}", "/a.b", true, {{"x", "b"}}},
      {"/a.{x}", "/aXb", false, {}},
      {"/({x})", "/(y)", true, {{"x", "y"}}},
      {"/{}", "/v", true, {{"", "v"}}},
      {"/{a}/{a}", "/1/2", true, {{"a", "2"}}},
      {"/{a}-{b}", "/x-y-z", true, {{"a", "x-y"}, {"b", "z"}}},
      // A stray "}" names no group: the captures keep their own names.
      {"/a}/{b}", "/a/v", true, {{"b", "v"}}},
      {"/}{a}/}{b}", "/1/2", true, {{"a", "1"}, {"b", "2"}}},
      {"/{+a}/{b}", "/x/y/z", true, {{"a", "x/y"}, {"b", "z"}}},
      // More captures than a match keeps in place, one name repeated past them.
      {"/{a}/{b}/{c}/{d}/{e}/{a}/{f}",
       "/1/2/3/4/5/6/7",
       true,
       {{"a", "6"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}, {"f", "7"}}},
      // Literal templates match the identical text only, up to the query.
      {"/jyx-lobby/v2/lobby", "/jyx-lobby/v2/lobby", true, {}},
      {"/jyx-lobby/v2/lobby", "/jyx-lobby/v2/lobby/", false, {}},
      {"/jyx-lobby/v2/lobby", "/jyx-lobby/v2/Lobby", false, {}},
      {"/jyx-lobby/v2/lobby", "/jyx-lobby/v2/lobby?x=1", true, {}},
      {"/jyx-lobby/v2/lobby", "/jyx-lobby/v2/lobby/?x=1", false, {}},
      // The query never reaches a capture, nor a literal after the last one.
      {"/a/{id}", "/a/5?a=1", true, {{"id", "5"}}},
      {"/a/{id}/b", "/a/5/b?x=/b", true, {{"id", "5"}}},
      {"/files/{+path}", "/files/a?b/c", true, {{"path", "a"}}},
      {"", "", false, {}},
      {"", "?", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.routeTemplate) + " against " + std::string(c.path));
    const RoutePattern pattern(nullptr, nullptr, c.routeTemplate);
    PathCaptures captures;
    EXPECT_EQ(RoutePattern::ExtractParameters(captures, c.path, pattern), c.matches);
    EXPECT_EQ(AsMap(captures), c.captures);
  }
}

TEST(RoutePatternTest, LongPathNeedsNoDeepStack) {
  // A backtracking engine recurses per character here; the matcher must not.
  const RoutePattern pattern(nullptr, nullptr, "/files/{+path}/end");
  std::string path = "/files/" + std::string(1 << 20, 'x') + "/end";
  PathCaptures captures;
  ASSERT_TRUE(RoutePattern::ExtractParameters(captures, path, pattern));
  EXPECT_EQ(AsMap(captures)["path"].size(), std::size_t{1} << 20);
  path.back() = 'x';
  EXPECT_FALSE(RoutePattern::ExtractParameters(captures, path, pattern));
}

}  // namespace
}  // namespace Zarn
