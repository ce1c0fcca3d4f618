// The command language of lobby-host: one command per line, one JSON object per answer.
#pragma once

#include <string>

#include "host/PluginHost.h"

namespace Zarn::Host {

class CommandShell {
 public:
  explicit CommandShell(PluginHost& host) : host_(host) {}

  // Runs one command line and sets `*output` to its one-line JSON answer (empty for a blank
  // line). Returns false when the command was "quit". Bad commands answer {"error":"..."} and the
  // shell goes on. After every command the host runs the work that is due.
  bool Execute(const std::string& line, std::string* output);

 private:
  std::string Call(const std::string& method, const std::string& rest);
  std::string AdvanceClock(const std::string& rest);
  std::string Events();
  std::string Set(const std::string& rest);
  std::string Delete(const std::string& rest);
  std::string Stats();

  PluginHost& host_;
};

// {"plugin":"<name>","started":<started>}: the first line of lobby-host.
[[nodiscard]] std::string StartJson(const std::string& shortName, bool started);

// {"error":"<message>"} with the message escaped.
[[nodiscard]] std::string ErrorJson(const std::string& message);

}  // namespace Zarn::Host
