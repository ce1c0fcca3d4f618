// The compiled form of a route template: literal text with capture groups between, matched
// against a whole path without recursion.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Zarn {

// Matches like the ECMAScript expression made of the same literals and groups, "([^/]*)" or
// "(.*)", anchored at both ends: greedy groups with backtracking, the leftmost group taking the
// most it can. Unlike a backtracking regular-expression engine it uses no stack per character of
// the path: time and memory are linear in the path length times the group count.
class PathMatcher {
 public:
  enum class Group : std::uint8_t {
    Segment,  // any characters except "/"
    Any,      // any characters except "\n" and "\r" (the "." of the expression)
  };

  void AppendLiteral(char c);
  void AppendGroup(Group group);
  [[nodiscard]] std::size_t GroupCount() const noexcept { return groups_.size(); }

  // True when the whole of `path` matches; then `captures`, which holds exactly GroupCount()
  // views (so that a caller can keep them on its stack), holds one view into `path` per group, in
  // order. On a mismatch their values are unspecified.
  [[nodiscard]] bool FullMatch(std::string_view path, std::span<std::string_view> captures) const;

 private:
  struct GroupStep {
    Group group;
    std::string literalAfter;  // the literal text between this group and the next
  };

  std::string head_;  // the literal text before the first group
  std::vector<GroupStep> groups_;
};

}  // namespace Zarn
