// lobby-host: loads the plugin into the stand-in host and runs commands from standard input or
// a script file, one per line, answering each with one line of JSON.
//
//   lobby-host [--plugin PATH] [--core MAJOR.MINOR.PATCH] [--world FILE] [SCRIPT]
//
// Exit status: 0 when every command ran (a route may still have answered an error); 1 when a
// command failed to run or the plugin did not load; 2 for bad arguments; 3 when a wait of the
// plugin could never end.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "host/CommandShell.h"
#include "host/InputFile.h"
#include "host/PluginHost.h"
#include "host/RecordWindow.h"
#include "host/WorldFile.h"

namespace {

// The plugin's log levels by name.
const char* LevelName(uint32_t level) {
  static const char* const kNames[] = {"info", "warning", "error", "always"};
  return level < 4 ? kNames[level] : "level?";
}

int Usage() {
  std::cerr << "usage: lobby-host [--plugin PATH] [--core MAJOR.MINOR.PATCH] [--world FILE] "
               "[SCRIPT]\n";
  return 2;
}

constexpr int kStalled = 3;

// At most this many unanswered requests are named in a stall's line.
constexpr std::size_t kMaxNamedRequests = 5;

// Reports a wait that can never end as one error line naming what it waits for, shuts the plugin
// down as far as it can and ends the process without returning into the plugin.
[[noreturn]] void EndStalled(Zarn::Host::PluginHost* host, Zarn::Host::CommandShell* shell,
                             const std::string& why) {
  using namespace Zarn::Host;
  static bool stalled = false;
  if (!stalled) {
    stalled = true;
    std::string text = "a wait can never end: " + why;
    if (shell != nullptr) {
      const std::vector<ProxyRequest> unanswered = shell->Proxy().Unanswered();
      for (std::size_t i = 0; i < unanswered.size() && i < kMaxNamedRequests; ++i) {
        text += "; unanswered service-proxy request " + unanswered[i].uuid + " (" +
                EchoOf(ProxyRequestName(unanswered[i])) + ")";
      }
      if (unanswered.size() > kMaxNamedRequests) {
        text += "; and " + std::to_string(unanswered.size() - kMaxNamedRequests) + " more";
      }
    }
    std::cout << ErrorJson(text) << std::endl;
    // A wait inside the shutdown that stalls again comes back here and ends at once.
    if (host != nullptr) host->Shutdown();
  }
  std::cout.flush();
  std::fflush(stderr);
  std::_Exit(kStalled);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace Zarn::Host;
  // Standard input read through the C library's stream, a character at a time, is ten times
  // slower than a file; every answer still leaves at once (std::endl), error lines too (std::cerr
  // is unbuffered).
  std::ios::sync_with_stdio(false);
  PluginHost::Options options;
  PluginApiVersionWords core;
  std::string script;
  std::string world;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--plugin" && i + 1 < argc) {
      options.pluginPath = argv[++i];
      // A name without a slash is the caller's file, not one for the loader to search for.
      if (options.pluginPath.find('/') == std::string::npos) {
        options.pluginPath = "./" + options.pluginPath;
      }
    } else if (arg == "--world" && i + 1 < argc) {
      world = argv[++i];
    } else if (arg == "--core" && i + 1 < argc) {
      const std::optional<PluginApiVersionWords> parsed = ParsePluginApiVersion(argv[++i]);
      if (!parsed) return Usage();
      core = *parsed;
    } else if (!arg.empty() && arg[0] != '-' && script.empty()) {
      script = arg;
    } else {
      return Usage();
    }
  }
  options.onLog = [](const LogLine& line) {
    std::cerr << "[plugin " << LevelName(line.level) << "] " << line.message << "\n";
  };
  // A run of any length keeps only the latest of what the plugin did.
  options.recordWindow = kLobbyHostRecordWindow;
  PluginHost* stallingHost = nullptr;
  CommandShell* stallingShell = nullptr;
  options.onStall = [&](const std::string& why) { EndStalled(stallingHost, stallingShell, why); };

  std::ifstream file;
  if (std::string error;
      !script.empty() && !OpenInputFile(script, "script", &file, &error, EchoOf(script))) {
    std::cout << ErrorJson(error) << std::endl;
    return 1;
  }
  std::istream& input = script.empty() ? std::cin : file;

  PluginHost host(options);
  CommandShell shell(host);
  stallingHost = &host;
  stallingShell = &shell;
  if (!world.empty()) {
    std::string error;
    if (!LoadWorldFile(host, world, &error, {&shell.Legacy(), &shell.Proxy(), &shell.Parties()})) {
      std::cout << ErrorJson(error) << std::endl;
      return 1;
    }
  }
  const PluginHost::LoadOutcome outcome = host.Load(core);
  if (!outcome.accepted) {
    std::cout << ErrorJson(outcome.error) << std::endl;
    return 1;
  }
  const bool started = host.Initialize();
  host.RunDue();
  std::cout << StartJson(host.ShortName(), started) << std::endl;

  std::string line;
  std::size_t length = 0;
  std::string output;
  while (ReadCommandLine(input, &line, &length)) {
    const bool more = shell.Execute(line, &output, length);
    if (!output.empty()) std::cout << output << std::endl;
    for (const std::string& answer : shell.TakeArmedAnswers()) std::cout << answer << std::endl;
    if (!more) break;
  }
  if (input.bad()) {
    std::cout << ErrorJson("cannot read the commands any further") << std::endl;
    host.Shutdown();
    return 1;
  }
  host.Shutdown();
  return shell.Failures() == 0 ? 0 : 1;
}
