// The command language of lobby-host: one command per line, one JSON object per answer.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PartiesService.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"
#include "host/TeamBuilderPlugin.h"

namespace Zarn::Host {

// The longest command line the shell reads, bodies included: far above any real payload, far
// below what would strain the host's own JSON reading.
inline constexpr std::size_t kMaxCommandLine = 1 << 20;
// The longest `advance`, in seconds (a year); the clock itself ends after a century
// (HostScheduler::kEnd).
inline constexpr double kMaxAdvanceSeconds = 365.0 * 24 * 3600;
// The most callbacks one `advance` runs before it stops with an error.
inline constexpr int kMaxAdvanceCallbacks = 1'000'000;
// How deep commands armed with on-request nest: one that an armed command arms, or one that runs
// inside another's run, is one deeper than that one. Deeper ones are refused with an error line,
// so that a script cannot make the host's stack and memory grow with its length.
inline constexpr int kMaxArmedNesting = 64;

// Reads the next line of `input` (without its "\n") into `*line`, keeping at most
// kMaxCommandLine + 1 of its bytes, and its full length into `*length`; what lies beyond is read
// and dropped, so that a line of any length costs no more memory. False at the end of input
// (or when it cannot be read).
[[nodiscard]] bool ReadCommandLine(std::istream& input, std::string* line, std::size_t* length);

class CommandShell {
 public:
  // Serves the legacy platform, the service proxy and the parties service behind it, and the
  // team-builder plugin, on `host` from now on.
  explicit CommandShell(PluginHost& host)
      : host_(host), legacy_(host), proxy_(host), parties_(host, proxy_), teamBuilder_(host) {}

  // Runs one command line and sets `*output` to its answer: one line of JSON, or for `routes`,
  // `help` and `type` without a name one line of JSON per route, command or type, the lines apart
  // by "\n". A blank line and a comment (a line whose first byte after blanks is "#") answer
  // nothing. Returns false when the command was a "quit" that ran. Bad commands answer
  // {"error":"..."} and the shell goes on; so do lines longer than kMaxCommandLine (`length` gives
  // the full length of a line read cut short) and lines holding a NUL byte. After every command the
  // host runs the work that is due. Every line is valid JSON: bytes that are not UTF-8 print as the
  // text \xHH, and echoes of input are cut.
  bool Execute(const std::string& line, std::string* output, std::size_t length = 0);

  // Commands that failed to run (answered {"error":...} by the shell). A route's own error
  // answer is not one of them.
  [[nodiscard]] int Failures() const { return failures_; }

  // The answers of the commands armed with on-request that ran since the last call, in the order
  // they finished; each is one line, as Execute's.
  std::vector<std::string> TakeArmedAnswers();

  // Whether `word` names one of the shell's commands.
  [[nodiscard]] static bool IsCommand(const std::string& word) { return Find(word) != nullptr; }

  // The simulated components, for a world file to script.
  LegacyPlatform& Legacy() { return legacy_; }
  ServiceProxyService& Proxy() { return proxy_; }
  PartiesService& Parties() { return parties_; }
  [[nodiscard]] const TeamBuilderPlugin& TeamBuilder() const { return teamBuilder_; }

 private:
  // One command: its name, its arguments and what it does as `help` lists them, and what runs it
  // (given the command's name and the rest of its line).
  struct Command {
    const char* name;
    const char* arguments;
    const char* effect;
    std::string (*run)(CommandShell& shell, const std::string& command, const std::string& rest);
    bool quits = false;  // the shell ends after its answer
  };
  // Every command, in the order `help` lists them: the one table Execute looks commands up in.
  static const std::vector<Command>& Commands();
  // The command of that name in Commands(); null for none.
  static const Command* Find(const std::string& name);
  // The refusal of a command word the table does not hold; for a route method written in
  // another case ("get"), it says that route methods are written in capitals, for another
  // shell's word for quitting ("exit", "q") it names quit, for a command run into its path
  // ("POST/p") it says that a space is missing, else it names the nearest command when one is
  // near ("GTE": GET); and always that `help` lists the commands.
  static std::string UnknownCommand(const std::string& word);
  // The command a word nearly names (a letter or two off, or two letters swapped); null for none.
  static const Command* Nearest(const std::string& word);
  // One line per command: {"command":"advance","arguments":"seconds","effect":"moves ..."}.
  static std::string Help();
  // One line per route the plugin's snapshot described at load: {"method":"GET","path":"/p/{id}",
  // "arguments":[{"name":"id","source":"path","type":"string"}]}.
  std::string Routes();
  // The fields of the record type `name` names in the same snapshot, each with its type as
  // Routes() names an argument's: {"type":"R","fields":[{"name":"id","type":"int32"}]}; or an
  // enum's values, {"type":"E","values":["A","B"]}. A list's or a map's name, "vector<R>",
  // answers what it holds. With no name, the snapshot's types by name, one line each:
  // {"type":"R"}.
  std::string Type(const std::string& name);

  // Counts a failed command and gives its error line.
  std::string Fail(const std::string& message);
  // Fail for a command given arguments it does not take: "parties-player takes puuid", its
  // arguments named as `help` names them, or "routes takes no argument"; then "; " and `why`,
  // when given ("parties-player takes puuid; no parties player x").
  std::string Refuse(const std::string& name, const std::string& why = "");
  std::string Call(const std::string& method, const std::string& rest);
  std::string AdvanceClock(const std::string& rest);
  // The events not shown yet whose path or name begins with `prefix` (every one for an empty
  // prefix), in the order published; the others stay for a later call.
  std::string Events(const std::string& prefix);
  std::string Set(const std::string& rest);
  std::string Delete(const std::string& rest);
  std::string Stats();
  // lcds <class> <json>: pushes a legacy message of a class that a subscriber of the plugin
  // takes; another class is refused, naming the nearest one taken.
  std::string PushLcds(const std::string& rest);
  // lcds-answer <destination> <method> <class> [json] | lcds-throw <destination> <method>
  // <status> <text>: how the legacy platform answers that call from now on.
  std::string AnswerLcds(const std::string& rest, bool exception);
  // proxy-reply <uuid|next> <payload text>: the reply to an unanswered request.
  std::string ProxyReply(const std::string& rest);
  // proxy-method|proxy-async <service> <method> <payload text>: a method event or a message.
  std::string ProxyEvent(const std::string& command, const std::string& rest);
  // on-request <path> <command>: runs the command inside the plugin's next request for the path,
  // while it waits for its answer.
  std::string ArmOnRequest(const std::string& rest);
  // Runs a command armed `depth` deep and keeps its answer, or its refusal when it would nest
  // deeper than kMaxArmedNesting.
  void RunArmed(const std::string& command, int depth);
  // The parties-* commands (README): the simulated parties service's players, scripts, pushes
  // and other players' actions.
  std::string Parties(const std::string& command, const std::string& rest);

  PluginHost& host_;
  LegacyPlatform legacy_;
  ServiceProxyService proxy_;
  PartiesService parties_;
  TeamBuilderPlugin teamBuilder_;
  std::vector<PublishedEvent> unshown_;  // taken from the host, not shown by `events` yet
  std::size_t unshownDropped_ = 0;       // events dropped before any `events` showed them
  int failures_ = 0;
  std::vector<std::string> armedAnswers_;
  int depth_ = 0;  // how deep the command running now is armed: 0 for a line of the commands
};

// {"plugin":"<name>","started":<started>}: the first line of lobby-host.
[[nodiscard]] std::string StartJson(const std::string& shortName, bool started);

// {"error":"<message>"} with the message escaped.
[[nodiscard]] std::string ErrorJson(const std::string& message);

}  // namespace Zarn::Host
