#include "host/InputFile.h"

#include <filesystem>
#include <system_error>

namespace Zarn::Host {

bool OpenInputFile(const std::string& path, const std::string& what, std::ifstream* file,
                   std::string* error, const std::string& shown) {
  std::error_code fault;
  // A directory opens as a stream that fails only at its first read.
  const bool directory = std::filesystem::is_directory(path, fault);
  if (!directory) file->open(path, std::ios::binary);
  if (!directory && file->is_open() && *file) return true;
  *error = "cannot read the " + what + " " + (shown.empty() ? path : shown) +
           (directory ? ": it is a directory" : "");
  return false;
}

}  // namespace Zarn::Host
