// The names under which the host delivers resource events and legacy-platform (LCDS) messages,
// and the path patterns that wildcard observers of resources use.
#pragma once

#include <string>
#include <string_view>

namespace Zarn::Client {

// "OnJsonApiEvent" joined by "_" with the first three non-empty segments of `path` (five when
// the first segment is "jyx-platform-config"): /jyx-lobby/v2/lobby/members/x gives
// OnJsonApiEvent_jyx-lobby_v2_lobby; a path without segments gives OnJsonApiEvent.
[[nodiscard]] std::string MakeJsonApiEventName(std::string_view path);

// "OnLcdsEvent_" followed by `className`, with every "." replaced by "_".
[[nodiscard]] std::string MakeLcdsEventName(std::string_view className);

// Whether `path` matches `pattern`, in which "*" stands for a run of characters without "/"
// (at least one when the "*" ends the pattern) and every other character for itself: /a/*
// matches /a/b but neither /a/ nor /a/b/c; /a/*/c matches /a/b/c and /a//c.
[[nodiscard]] bool MatchesObserverPattern(std::string_view pattern, std::string_view path);

}  // namespace Zarn::Client
