#include "host/ScriptWorld.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace Zarn::Host {

std::optional<std::string> WorldNamedBy(std::string_view firstLine) {
  constexpr std::string_view kBlanks = " \t\r";
  constexpr std::string_view kKey = "world:";
  std::string_view rest = firstLine;
  if (!rest.starts_with('#')) return std::nullopt;
  rest.remove_prefix(1);
  rest.remove_prefix(std::min(rest.find_first_not_of(kBlanks), rest.size()));
  if (!rest.starts_with(kKey)) return std::nullopt;
  rest.remove_prefix(kKey.size());
  rest.remove_prefix(std::min(rest.find_first_not_of(kBlanks), rest.size()));
  rest = rest.substr(0, rest.find_last_not_of(kBlanks) + 1);
  if (rest.empty()) return std::nullopt;
  return std::string(rest);
}

bool IsNamedWorld(const std::string& named, const std::string& scriptPath,
                  const std::string& world) {
  namespace fs = std::filesystem;
  if (world.empty()) return false;
  std::error_code fault;
  // The repository's root is any directory above the script, or the current one.
  const auto sameFile = [&](const fs::path& root) {
    return fs::equivalent(root / named, world, fault);
  };
  if (sameFile(fs::current_path(fault))) return true;
  if (!scriptPath.empty()) {
    fs::path directory = fs::absolute(scriptPath, fault).parent_path();
    for (; !directory.empty(); directory = directory.parent_path()) {
      if (sameFile(directory)) return true;
      if (directory == directory.parent_path()) break;
    }
  }
  return fs::path(named).filename() == fs::path(world).filename();
}

}  // namespace Zarn::Host
