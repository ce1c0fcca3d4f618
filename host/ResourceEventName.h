// How the host names the events of a resource path.
#pragma once

#include <string>
#include <string_view>

namespace Zarn::Host {

// "OnJsonApiEvent" joined by "_" with the path's first three non-empty segments (five when the
// first is "jyx-platform-config"): the name under which subscribers of a path listen.
[[nodiscard]] std::string ResourceEventName(std::string_view path);

}  // namespace Zarn::Host
