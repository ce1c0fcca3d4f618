#include "tests/host/LobbyFlowTrace.h"

#include <map>

#include "lobby/core/LobbyFlow.h"

namespace Zarn::Host::Testing {

namespace {

using Client::Lobby::LobbyState;

// Each state's parent by name, read from the tree itself; the root's parent is empty.
const std::map<std::string, std::string>& Parents() {
  namespace F = Client::Lobby::LobbyFlow;
  static const std::map<std::string, std::string> parents = [] {
    std::map<std::string, std::string> map;
    for (const LobbyState* state :
         {&F::kLobbyFlow, &F::kOutOfLobby, &F::kLobbyRequested, &F::kInLobby, &F::kPartyLobby,
          &F::kLegacyLobby, &F::kSoloLobby, &F::kGroupLobbyRequested, &F::kGroupLobby, &F::kOwner,
          &F::kInviter, &F::kMember, &F::kChangingLobby}) {
      map[state->name] = state->parent != nullptr ? state->parent->name : std::string();
    }
    return map;
  }();
  return parents;
}

// The state a line names after `prefix`, or empty when the line is not such a line.
std::string StateAfter(const std::string& line, const std::string& prefix) {
  const std::size_t at = line.find(prefix);
  if (at == std::string::npos) return {};
  const std::size_t start = at + prefix.size();
  const std::size_t end = line.find('\'', start);
  return end == std::string::npos ? std::string() : line.substr(start, end - start);
}

}  // namespace

void ReplayLobbyFlow(const std::vector<std::string>& log, LobbyFlowReplay& replay) {
  for (const std::string& line : log) {
    if (!replay.fault.empty()) return;
    const std::string entered = StateAfter(line, "LobbyFlow: entering state '");
    const std::string exited = StateAfter(line, "LobbyFlow: exiting state '");
    if (entered.empty() && exited.empty()) continue;
    const std::string innermost = replay.active.empty() ? std::string() : replay.active.back();
    bool nests = false;
    if (!entered.empty()) {
      const auto parent = Parents().find(entered);
      nests = parent != Parents().end() && parent->second == innermost;
      if (nests) replay.active.push_back(entered);
    } else {
      nests = !replay.active.empty() && innermost == exited;
      if (nests) replay.active.pop_back();
    }
    if (!nests) replay.fault = line + " (innermost active: '" + innermost + "')";
  }
}

std::vector<std::string> LegacyLobbyLeft(const std::vector<std::string>& log) {
  const std::string abandon = "AddToAbandonedLobbyInvitationIds: ";
  std::vector<std::string> left;
  for (const std::string& line : log) {
    if (const std::size_t at = line.find(abandon); at != std::string::npos) {
      left.push_back("abandon " + line.substr(at + abandon.size()));
    } else if (line.find("Leaving Platform lobby") != std::string::npos) {
      left.push_back("leave");
    }
  }
  return left;
}

bool IsLobbyFlowStateIn(const std::string& state, const std::string& ancestor) {
  for (std::string s = state; !s.empty();) {
    if (s == ancestor) return true;
    const auto parent = Parents().find(s);
    if (parent == Parents().end()) return false;
    s = parent->second;
  }
  return false;
}

}  // namespace Zarn::Host::Testing
