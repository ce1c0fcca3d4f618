// lobby-host: loads the plugin into the stand-in host and runs commands from standard input or
// a script file, one per line, answering each with one line of JSON.
//
//   lobby-host [--plugin PATH] [--core MAJOR.MINOR.PATCH] [--world FILE] [SCRIPT]
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "host/CommandShell.h"
#include "host/PluginHost.h"
#include "host/WorldFile.h"

namespace {

bool ParseCoreVersion(const std::string& text, Zarn::Host::PluginApiVersionWords* core) {
  unsigned major = 0, minor = 0, patch = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%u.%u.%u%c", &major, &minor, &patch, &tail) != 3) return false;
  *core = {major, minor, patch};
  return true;
}

int Usage() {
  std::cerr << "usage: lobby-host [--plugin PATH] [--core MAJOR.MINOR.PATCH] [--world FILE] "
               "[SCRIPT]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace Zarn::Host;
  PluginHost::Options options;
  PluginApiVersionWords core;
  std::string script;
  std::string world;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--plugin" && i + 1 < argc) {
      options.pluginPath = argv[++i];
    } else if (arg == "--world" && i + 1 < argc) {
      world = argv[++i];
    } else if (arg == "--core" && i + 1 < argc) {
      if (!ParseCoreVersion(argv[++i], &core)) return Usage();
    } else if (!arg.empty() && arg[0] != '-' && script.empty()) {
      script = arg;
    } else {
      return Usage();
    }
  }
  options.onLog = [](const LogLine& line) {
    std::cerr << "[plugin " << line.level << "] " << line.message << "\n";
  };

  std::ifstream file;
  if (!script.empty()) {
    file.open(script);
    if (!file) {
      std::cout << ErrorJson("cannot read the script " + script) << std::endl;
      return 1;
    }
  }
  std::istream& input = script.empty() ? std::cin : file;

  PluginHost host(options);
  CommandShell shell(host);
  if (!world.empty()) {
    std::string error;
    if (!LoadWorldFile(host, world, &error, {&shell.Legacy(), &shell.Proxy()})) {
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
  std::string output;
  while (std::getline(input, line)) {
    const bool more = shell.Execute(line, &output);
    if (!output.empty()) std::cout << output << std::endl;
    if (!more) break;
  }
  host.Shutdown();
  return 0;
}
