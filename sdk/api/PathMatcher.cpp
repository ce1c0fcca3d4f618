#include "sdk/api/PathMatcher.h"

#include <memory>

namespace Zarn {
namespace {

constexpr std::size_t kLocalTable = 512;

bool InGroup(PathMatcher::Group group, char c) {
  if (group == PathMatcher::Group::Segment) return c != '/';
  return c != '\n' && c != '\r';
}

bool LiteralAt(std::string_view path, std::size_t at, std::string_view literal) {
  return path.size() - at >= literal.size() && path.compare(at, literal.size(), literal) == 0;
}

}  // namespace

void PathMatcher::AppendLiteral(char c) {
  if (groups_.empty()) {
    head_.push_back(c);
  } else {
    groups_.back().literalAfter.push_back(c);
  }
}

void PathMatcher::AppendGroup(Group group) { groups_.push_back(GroupStep{group, {}}); }

bool PathMatcher::FullMatch(std::string_view path, std::span<std::string_view> captures) const {
  if (!LiteralAt(path, 0, head_)) return false;
  const std::size_t count = groups_.size();
  if (count == 0) return path.size() == head_.size();

  // rest[k * stride + p]: groups k.. with their literals match path[p..] exactly. Only positions
  // behind the head are ever asked for. A route's path mostly fits the buffer on the stack.
  const std::size_t length = path.size();
  const std::size_t stride = length + 1;
  char local[kLocalTable];
  std::unique_ptr<char[]> heap;
  char* rest = local;
  if (count * stride > kLocalTable) {
    heap = std::make_unique<char[]>(count * stride);
    rest = heap.get();
  }
  // Whether group k may end at `at`: its literal follows there and the remaining groups match.
  const auto endsAt = [&](std::size_t k, std::size_t at) {
    const std::string& literal = groups_[k].literalAfter;
    if (!LiteralAt(path, at, literal)) return false;
    const std::size_t next = at + literal.size();
    return k + 1 == count ? next == length : rest[(k + 1) * stride + next] != 0;
  };
  for (std::size_t k = count; k-- > 0;) {
    char* row = &rest[k * stride];
    row[length] = endsAt(k, length);
    for (std::size_t p = length; p-- > head_.size();) {
      row[p] = endsAt(k, p) || (InGroup(groups_[k].group, path[p]) && row[p + 1]);
    }
  }
  if (!rest[head_.size()]) return false;

  // Greedy: each group takes the longest run after which the rest still matches.
  std::size_t position = head_.size();
  for (std::size_t k = 0; k < count; ++k) {
    std::size_t end = position;
    while (end < length && InGroup(groups_[k].group, path[end])) ++end;
    while (!endsAt(k, end)) --end;  // stops at `position` at the latest, since rest[k][position]
    captures[k] = path.substr(position, end - position);
    position = end + groups_[k].literalAfter.size();
  }
  return true;
}

}  // namespace Zarn
