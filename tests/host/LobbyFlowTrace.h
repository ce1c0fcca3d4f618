// LobbyFlow as the plugin's log shows it: each "LobbyFlow: entering state 'X'" and "LobbyFlow:
// exiting state 'X'" line replayed against the state tree, so that a test can tell which states
// are active and whether every state was entered only under its active parent and left only as
// the innermost active one. For tests only.
#pragma once

#include <string>
#include <vector>

namespace Zarn::Host::Testing {

struct LobbyFlowReplay {
  std::vector<std::string> active;  // the active states, the root first
  std::string fault;                // the first line that broke the nesting; empty when none
};

// Replays the LobbyFlow lines among `log` (other lines are passed over) on top of `replay`.
void ReplayLobbyFlow(const std::vector<std::string>& log, LobbyFlowReplay& replay);

// What the legacy lobby's exit did, as `log` shows it: "abandon <invitation id>" for a lobby
// abandoned and "leave" for the legacy platform's leave sent, in order.
[[nodiscard]] std::vector<std::string> LegacyLobbyLeft(const std::vector<std::string>& log);

// Whether `state` is `ancestor` or lies below it in LobbyFlow's tree; false for unknown names.
[[nodiscard]] bool IsLobbyFlowStateIn(const std::string& state, const std::string& ancestor);

}  // namespace Zarn::Host::Testing
