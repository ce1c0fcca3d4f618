// Files that lobby-host is given to read: a script, a world.
#pragma once

#include <fstream>
#include <string>

namespace Zarn::Host {

// Opens `*file` on `path` for reading. False, with `*error` set to "cannot read the <what>
// <shown>" (and ": it is a directory" for one), when it cannot; `shown` is how the path is named,
// the path itself when empty.
[[nodiscard]] bool OpenInputFile(const std::string& path, const std::string& what,
                                 std::ifstream* file, std::string* error,
                                 const std::string& shown = "");

}  // namespace Zarn::Host
