// Searches of what the stand-in host recorded of a lobby plugin, whether the plugin runs
// in-process or as the loaded library.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "host/PluginHost.h"

namespace Zarn::Host::Testing {

// The whole payloads of the resource events at `uri`, from the `from`-th publication on. Each event
// also goes out under a name of its own path; the plain name is counted.
[[nodiscard]] inline std::vector<std::string> Payloads(const HostRecords& records,
                                                       const std::string& uri,
                                                       std::size_t from = 0) {
  std::vector<std::string> found;
  const std::string mark = "\"uri\":\"" + uri + "\"";
  for (std::size_t i = from; i < records.published.size(); ++i) {
    const PublishedEvent& event = records.published[i];
    if (event.name == "OnJsonApiEvent" && event.payload.find(mark) != std::string::npos) {
      found.push_back(event.payload);
    }
  }
  return found;
}

// The state machine's entries and exits, as "+State" and "-State".
[[nodiscard]] inline std::vector<std::string> FlowSteps(const HostRecords& records) {
  std::vector<std::string> steps;
  for (const LogLine& line : records.logs) {
    for (const auto& [prefix, mark] : {std::pair{"LobbyFlow: entering state '", "+"},
                                       std::pair{"LobbyFlow: exiting state '", "-"}}) {
      const std::string start = prefix;
      if (!line.message.starts_with(start)) continue;
      steps.push_back(mark +
                      line.message.substr(start.size(), line.message.size() - start.size() - 1));
    }
  }
  return steps;
}

}  // namespace Zarn::Host::Testing
