// Runs the lobby-host program on a script, as a user would. For tests only.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace Zarn::Host::Testing {

struct LobbyHostRun {
  int exitStatus = -1;  // -1 when the program did not exit normally
  std::vector<std::string> lines;
  // With the log kept: standard error's lines, and of those the ones after the answer to "quit"
  // (what the plugin logged while it shut down).
  std::vector<std::string> log;
  std::vector<std::string> shutdownLog;
};

// Runs `program` (with `--plugin pluginPath` and `--world worldPath` when they are given) on a
// script file holding `script`: its exit status and the lines it printed, and with `keepLog` its
// log. `name` keeps the files of different tests apart. With `stackKb`, the program's stack holds
// at most that many KB: a recursion that should not be there overflows it sooner.
inline LobbyHostRun RunLobbyHost(const std::string& program, const std::string& pluginPath,
                                 const std::string& name, const std::string& script,
                                 const std::string& worldPath = "", bool keepLog = false,
                                 int stackKb = 0) {
  const std::string dir = ::testing::TempDir();
  const std::string scriptPath = dir + name + "-script.txt";
  const std::string outputPath = dir + name + "-output.txt";
  std::ofstream(scriptPath, std::ios::binary) << script;
  std::string command = "'" + program + "'";
  if (stackKb > 0) command = "ulimit -s " + std::to_string(stackKb) + " && " + command;
  if (!pluginPath.empty()) command += " --plugin '" + pluginPath + "'";
  if (!worldPath.empty()) command += " --world '" + worldPath + "'";
  // Both streams leave a line at once, so one file keeps their order.
  command += " '" + scriptPath + "' > '" + outputPath + "' " + (keepLog ? "2>&1" : "2>/dev/null");
  LobbyHostRun run;
  const int status = std::system(command.c_str());
  if (status != -1 && WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  std::ifstream in(outputPath, std::ios::binary);
  bool quit = false;
  for (std::string line; std::getline(in, line);) {
    if (!keepLog || !line.starts_with("[plugin ")) {
      run.lines.push_back(line);
      quit = quit || line == R"({"quit":true})";
      continue;
    }
    run.log.push_back(line);
    if (quit) run.shutdownLog.push_back(line);
  }
  return run;
}

}  // namespace Zarn::Host::Testing
