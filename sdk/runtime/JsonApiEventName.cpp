#include "sdk/runtime/JsonApiEventName.h"

#include <cstddef>
#include <vector>

#include "sdk/base/StringUtil.h"

namespace Zarn::Client {

namespace {

constexpr std::string_view kJsonApiEventPrefix = "OnJsonApiEvent";
constexpr std::string_view kLcdsEventPrefix = "OnLcdsEvent_";
// The platform configuration is observed per key, so its events keep the namespace and key.
constexpr std::string_view kPlatformConfigSegment = "jyx-platform-config";
constexpr std::size_t kKeptSegments = 3;
constexpr std::size_t kKeptPlatformConfigSegments = 5;

}  // namespace

std::string MakeJsonApiEventName(std::string_view path) {
  const std::vector<std::string> segments = Tokenize(path, "/");
  std::size_t kept = kKeptSegments;
  if (!segments.empty() && segments.front() == kPlatformConfigSegment) {
    kept = kKeptPlatformConfigSegments;
  }
  std::string name(kJsonApiEventPrefix);
  for (std::size_t i = 0; i < segments.size() && i < kept; ++i) {
    name += '_';
    name += segments[i];
  }
  return name;
}

std::string MakeLcdsEventName(std::string_view className) {
  std::string name(kLcdsEventPrefix);
  name += className;
  for (char& c : name) {
    if (c == '.') c = '_';
  }
  return name;
}

bool MatchesObserverPattern(std::string_view pattern, std::string_view path) {
  std::size_t p = 0;
  std::size_t s = 0;
  while (p < pattern.size() && s < path.size()) {
    if (pattern[p] != '*') {
      if (pattern[p] != path[s]) return false;
      ++p;
      ++s;
    } else if (path[s] != '/') {
      // The star takes this character; at the path's end it is used up.
      if (++s == path.size()) ++p;
    } else {
      ++p;
    }
  }
  return p == pattern.size() && s == path.size();
}

}  // namespace Zarn::Client
