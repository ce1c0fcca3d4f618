// Files that lobby-host is given to read: a script, a world.
#pragma once

#include <fstream>
#include <string>

namespace Zarn::Host {

// Opens `*file` on `path` for reading. False, with `*error` set to "cannot read the <what>
// <path>: <why>" (the path as EchoOf gives it; why as the system says it, "No such file or
// directory" say, or "it is a directory"), when it cannot.
[[nodiscard]] bool OpenInputFile(const std::string& path, const std::string& what,
                                 std::ifstream* file, std::string* error);

// `input` as an error text repeats it: whole up to a few hundred bytes, else its beginning (no
// UTF-8 sequence split) and a note of its full length.
[[nodiscard]] std::string EchoOf(const std::string& input);

}  // namespace Zarn::Host
