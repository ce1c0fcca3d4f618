// The world a script names on its first line, "# world: host/worlds/parties.json", and whether
// a run gives it that world.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Zarn::Host {

// The world that `firstLine`, a script's first line (without its byte order mark), names: the
// path after "# world:", blanks around it dropped. None when the line is no world line or names
// no path.
[[nodiscard]] std::optional<std::string> WorldNamedBy(std::string_view firstLine);

// Whether `world`, the world file a run loads (empty for none), is the world `named` on the
// first line of the script at `scriptPath` (empty for standard input). `named` is a path from
// the repository root: it is looked for from every directory that holds the script and from the
// current directory, and the two match when they are the same file there or, failing that,
// files of the same name.
[[nodiscard]] bool IsNamedWorld(const std::string& named, const std::string& scriptPath,
                                const std::string& world);

}  // namespace Zarn::Host
