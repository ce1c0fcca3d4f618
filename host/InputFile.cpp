#include "host/InputFile.h"

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <system_error>

namespace Zarn::Host {

namespace {

// How much of an input an error text repeats.
constexpr std::size_t kMaxEcho = 300;

}  // namespace

bool OpenInputFile(const std::string& path, const std::string& what, std::ifstream* file,
                   std::string* error) {
  std::error_code fault;
  // A directory opens as a stream that fails only at its first read.
  const bool directory = std::filesystem::is_directory(path, fault);
  errno = 0;
  if (!directory) file->open(path, std::ios::binary);
  if (!directory && file->is_open() && *file) return true;
  // Why, as the system says it: "No such file or directory", "Permission denied", ...
  const int cause = errno;
  std::string why;
  if (directory) {
    why = ": it is a directory";
  } else if (cause != 0) {
    why = ": " + std::generic_category().message(cause);
  }
  *error = "cannot read the " + what + " " + EchoOf(path) + why;
  return false;
}

std::string EchoOf(const std::string& input) {
  if (input.size() <= kMaxEcho) return input;
  // Cut before a byte that continues a UTF-8 sequence, so that no sequence is split.
  std::size_t cut = kMaxEcho;
  while (cut > 0 && (static_cast<unsigned char>(input[cut]) & 0xC0) == 0x80) --cut;
  return input.substr(0, cut) + "... (" + std::to_string(input.size()) + " bytes)";
}

}  // namespace Zarn::Host
