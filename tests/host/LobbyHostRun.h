// Runs the lobby-host program on a script, as a user would. For tests only.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace Zarn::Host::Testing {

// Runs `program` (with `--plugin pluginPath` when one is given) on a script file holding
// `script`; the lines it printed, or none when it did not exit with 0. `name` keeps the files of
// different tests apart.
inline std::optional<std::vector<std::string>> RunLobbyHost(const std::string& program,
                                                            const std::string& pluginPath,
                                                            const std::string& name,
                                                            const std::string& script) {
  const std::string dir = ::testing::TempDir();
  const std::string scriptPath = dir + name + "-script.txt";
  const std::string outputPath = dir + name + "-output.txt";
  std::ofstream(scriptPath) << script;
  std::string command = "'" + program + "'";
  if (!pluginPath.empty()) command += " --plugin '" + pluginPath + "'";
  command += " '" + scriptPath + "' > '" + outputPath + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  std::ifstream in(outputPath);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace Zarn::Host::Testing
