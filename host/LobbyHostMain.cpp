// lobby-host: loads the plugin into the stand-in host and runs commands from standard input or
// a script file, one per line, answering each with one line of JSON.
//
//   lobby-host [--plugin PATH] [--core MAJOR.MINOR.PATCH] [--world FILE] [SCRIPT]
//   lobby-host --help (or -h)
//
// Exit status: 0 when every command ran (a route may still have answered an error); 1 when a
// command failed to run or the plugin did not load; 2 for bad arguments (a world given as the
// commands, a script as the world, or commands whose first line names another world, too); 3 when a
// wait of the plugin could never end.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/CommandShell.h"
#include "host/InputFile.h"
#include "host/PluginHost.h"
#include "host/RecordWindow.h"
#include "host/ScriptWorld.h"
#include "host/WorldFile.h"

namespace {

// The plugin's log levels by name.
const char* LevelName(uint32_t level) {
  static const char* const kNames[] = {"info", "warning", "error", "always"};
  return level < 4 ? kNames[level] : "level?";
}

constexpr char kUsage[] =
    "usage: lobby-host [--plugin PATH] [--core MAJOR.MINOR.PATCH] [--world FILE] [SCRIPT]\n";
// What --help prints after the usage line.
constexpr char kHelp[] =
    "Loads the plugin and runs commands, one per line, from SCRIPT or else from standard input,\n"
    "answering each with one line of JSON; the plugin's log goes to standard error.\n"
    "  --plugin PATH   the plugin library to load (by default this build's lobby plugin)\n"
    "  --core X.Y.Z    the core plugin API version handed to the plugin (by default 18.0.0)\n"
    "  --world FILE    what the host simulates around the plugin: host/worlds/default.json,\n"
    "                  host/worlds/parties.json (party lobbies) or host/worlds/legacy.json\n"
    "                  (legacy lobbies); a script's first line names the world it needs\n"
    "Of the commands, help lists the shell's commands and what each does, routes the plugin's\n"
    "routes; quit, or the end of the commands, shuts the plugin down.\n";

// Whether `option` is one followed by its value.
bool TakesValue(const std::string& option) {
  return option == "--plugin" || option == "--world" || option == "--core";
}

// Names what was wrong with the arguments, then how they go: the exit status of bad arguments.
int Usage(const std::string& wrong) {
  std::cerr << "lobby-host: " << wrong << "\n" << kUsage;
  return 2;
}

constexpr int kStalled = 3;

// What a line of commands is before it runs: nothing (blank or a comment), the opening of a JSON
// object (as a world file's first line is, and no command) or a command.
enum class LineKind { kNothing, kJsonObject, kCommand };
LineKind KindOf(const std::string& line) {
  const std::size_t begin = line.find_first_not_of(" \t\r");
  if (begin == std::string::npos || line[begin] == '#') return LineKind::kNothing;
  return line[begin] == '{' ? LineKind::kJsonObject : LineKind::kCommand;
}

// The command that opens `text` when it reads as a script: the first word of its first line that
// is neither blank nor a comment (after a byte order mark), when the shell has such a command;
// empty otherwise, as for every world, which is JSON.
std::string OpeningCommand(std::string_view text) {
  if (constexpr std::string_view kMark = "\xEF\xBB\xBF"; text.starts_with(kMark)) {
    text.remove_prefix(kMark.size());
  }
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string line(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (KindOf(line) == LineKind::kNothing) continue;
    const std::size_t begin = line.find_first_not_of(" \t");
    const std::string word = line.substr(begin, line.find_first_of(" \t\r", begin) - begin);
    return Zarn::Host::CommandShell::IsCommand(word) ? word : std::string();
  }
  return std::string();
}

// Why the commands of `source` (a script's name, or "standard input") do not run in `world`
// (empty for none), when their first line names the world `named`: the world to give instead.
std::string WrongWorld(const std::string& source, const std::string& named,
                       const std::string& world) {
  using Zarn::Host::EchoOf;
  return source + " names the world " + EchoOf(named) + " on its first line, and runs in " +
         (world.empty() ? std::string("none") : EchoOf(world)) + ": give it with --world " +
         EchoOf(named);
}

// At most this many unanswered requests, and paths armed on, are named in one line.
constexpr std::size_t kMaxNamedRequests = 5;

// The paths that commands armed with on-request wait for, "/a, /b" (the first few, then how many
// more); empty when none does.
std::string ArmedPathsNamed(const Zarn::Host::PluginHost& host) {
  const std::vector<std::string> paths = host.ArmedRequestPaths();
  std::string named;
  for (std::size_t i = 0; i < paths.size() && i < kMaxNamedRequests; ++i) {
    named += (named.empty() ? "" : ", ") + Zarn::Host::EchoOf(paths[i]);
  }
  if (paths.size() > kMaxNamedRequests) {
    named += " and " + std::to_string(paths.size() - kMaxNamedRequests) + " more";
  }
  return named;
}

// Prints the answers of the commands armed with on-request that ran since the last call.
void PrintArmedAnswers(Zarn::Host::CommandShell& shell) {
  for (const std::string& answer : shell.TakeArmedAnswers()) std::cout << answer << std::endl;
}

// Reports a wait that can never end as one error line naming what it waits for, after the
// answers of the armed commands that ran before it stalled; shuts the plugin down as far as it
// can and ends the process without returning into the plugin.
[[noreturn]] void EndStalled(Zarn::Host::PluginHost* host, Zarn::Host::CommandShell* shell,
                             const std::string& why) {
  using namespace Zarn::Host;
  static bool stalled = false;
  if (shell != nullptr) PrintArmedAnswers(*shell);
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
    if (host != nullptr) {
      if (const std::string armed = ArmedPathsNamed(*host); !armed.empty()) {
        text += "; a command armed with on-request waits for a request of " + armed;
      }
    }
    std::cout << ErrorJson(text) << std::endl;
    // A wait inside the shutdown that stalls again comes back here and ends at once.
    if (host != nullptr) host->Shutdown();
    if (shell != nullptr) PrintArmedAnswers(*shell);
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
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage << kHelp;
      return 0;
    }
    if (TakesValue(arg)) {
      if (i + 1 == argc) return Usage(arg + " needs a value");
      const std::string value = argv[++i];
      if (arg == "--plugin") {
        // A name without a slash is the caller's file, not one for the loader to search for.
        options.pluginPath = value.find('/') == std::string::npos ? "./" + value : value;
      } else if (arg == "--world") {
        if (value.empty()) return Usage("--world needs a file name, not an empty one");
        world = value;
      } else {
        const std::optional<PluginApiVersionWords> parsed = ParsePluginApiVersion(value);
        if (!parsed) {
          return Usage("--core takes MAJOR.MINOR.PATCH, three decimal numbers, not " +
                       EchoOf(value));
        }
        core = *parsed;
      }
    } else if (!arg.empty() && arg[0] == '-') {
      // "--world=FILE", as other programs take it.
      const std::string option = arg.substr(0, arg.find('='));
      if (option != arg && TakesValue(option)) {
        return Usage("unknown option " + EchoOf(arg) + "; a space is missing: " + option + " " +
                     EchoOf(arg.substr(option.size() + 1)));
      }
      return Usage("unknown option " + EchoOf(arg));
    } else if (arg.empty()) {
      return Usage("a script's name is empty");
    } else if (!script.empty()) {
      return Usage("one script at most: " + EchoOf(arg) + " is one more");
    } else {
      script = arg;
    }
  }
  options.onLog = [](const LogLine& line) {
    std::cerr << "[plugin " << LevelName(line.level) << "] " << line.message << "\n";
  };
  options.onNearMiss = [](const std::string& asked, const std::string& held) {
    std::cerr << "lobby-host: no " << EchoOf(asked) << "; the world has " << EchoOf(held) << "\n";
  };
  // A run of any length keeps only the latest of what the plugin did.
  options.recordWindow = kLobbyHostRecordWindow;
  PluginHost* stallingHost = nullptr;
  CommandShell* stallingShell = nullptr;
  options.onStall = [&](const std::string& why) { EndStalled(stallingHost, stallingShell, why); };

  std::ifstream file;
  if (std::string error; !script.empty() && !OpenInputFile(script, "script", &file, &error)) {
    std::cout << ErrorJson(error) << std::endl;
    return 1;
  }
  std::istream& input = script.empty() ? std::cin : file;
  std::string line;
  std::size_t length = 0;
  bool first = true;
  // The world the commands' first line names, until it has been checked.
  std::optional<std::string> namedWorld;
  // The next line of the commands, without the byte order mark an editor may write at their start.
  const auto readLine = [&] {
    if (!ReadCommandLine(input, &line, &length)) return false;
    if (constexpr std::string_view kMark = "\xEF\xBB\xBF"; first && line.starts_with(kMark)) {
      line.erase(0, kMark.size());
      length -= kMark.size();
    }
    if (first) namedWorld = WorldNamedBy(line);
    first = false;
    return true;
  };
  // A world given as the commands would answer each of its lines "unknown command": a script is
  // read up to its first command before the plugin loads, and that command is held for the loop.
  bool held = false;
  while (!script.empty() && !held && readLine()) {
    const LineKind kind = KindOf(line);
    if (kind == LineKind::kJsonObject) {
      return Usage(EchoOf(script) + " opens a JSON object, as a world file does: give it with " +
                   "--world " + EchoOf(script));
    }
    held = kind == LineKind::kCommand;
  }
  // A script run in another world would end on errors that look plausible.
  if (namedWorld && !IsNamedWorld(*namedWorld, script, world)) {
    return Usage(WrongWorld(EchoOf(script), *namedWorld, world));
  }
  namedWorld.reset();
  // A script given as the world would be refused as JSON that does not parse.
  std::string worldText;
  if (std::string error; !world.empty() && !ReadWorldFile(world, &worldText, &error)) {
    std::cout << ErrorJson(error) << std::endl;
    return 1;
  }
  if (const std::string command = OpeningCommand(worldText); !command.empty()) {
    return Usage(EchoOf(world) + " looks like a script (its first command is " + EchoOf(command) +
                 "), not a world file: give it without --world");
  }
  // Standard input is checked at its first command: a front end may wait for the start line.
  bool checked = !script.empty();
  bool refused = false;

  PluginHost host(options);
  CommandShell shell(host);
  stallingHost = &host;
  stallingShell = &shell;
  if (!world.empty()) {
    std::string error;
    if (!LoadWorldText(host, world, worldText, &error,
                       {&shell.Legacy(), &shell.Proxy(), &shell.Parties()})) {
      std::cout << ErrorJson(error) << std::endl;
      return 1;
    }
    std::string().swap(worldText);
  }
  const PluginHost::LoadOutcome outcome = host.Load(core);
  if (!outcome.accepted) {
    std::cout << ErrorJson(outcome.error) << std::endl;
    return 1;
  }
  const bool started = host.Initialize();
  host.RunDue();
  std::cout << StartJson(host.ShortName(), started) << std::endl;

  std::string output;
  for (; held || readLine(); held = false) {
    if (namedWorld && !IsNamedWorld(*namedWorld, "", world)) {
      std::cout << ErrorJson(WrongWorld("standard input", *namedWorld, world)) << std::endl;
      refused = true;
      break;
    }
    namedWorld.reset();
    if (!checked) {
      const LineKind kind = KindOf(line);
      if (kind == LineKind::kJsonObject) {
        std::cout << ErrorJson(
                         "standard input opens a JSON object, as a world file does: give "
                         "a world with --world FILE")
                  << std::endl;
        refused = true;
        break;
      }
      checked = kind == LineKind::kCommand;
    }
    const bool more = shell.Execute(line, &output, length);
    if (!output.empty()) std::cout << output << std::endl;
    PrintArmedAnswers(shell);
    if (!more) break;
  }
  const bool unread = input.bad();
  if (unread) std::cout << ErrorJson("cannot read the commands any further") << std::endl;
  // The plugin's requests during its shutdown may still run armed commands.
  host.Shutdown();
  PrintArmedAnswers(shell);
  const std::string armed = ArmedPathsNamed(host);
  if (!armed.empty()) {
    std::cout << ErrorJson("a command armed with on-request never ran: no request of " + armed +
                           " came")
              << std::endl;
  }
  if (refused) return 2;
  return unread || shell.Failures() != 0 || !armed.empty() ? 1 : 0;
}
