#include "lobby/core/LobbyFlowGate.h"

#include <utility>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyReplyTexts.h"

namespace Zarn::Client::Lobby {

namespace {

// Whether `uri` is `resource` or lies below it.
bool IsAtOrBelow(std::string_view uri, std::string_view resource) {
  return uri.substr(0, resource.size()) == resource &&
         (uri.size() == resource.size() || uri[resource.size()] == '/');
}

}  // namespace

LobbyFlowGate::LobbyFlowGate(const LobbyStateMachine& machine,
                             std::function<bool()> customGamesListed)
    : CallGate("LobbyFlow", Refusal{409, kTransitionInProgress}, Refusal{409, kRequestOvertaken},
               machine.Moves()),
      machine_(machine),
      customGamesListed_(std::move(customGamesListed)) {}

bool LobbyFlowGate::Withholds(std::string_view uri) const {
  return IsAtOrBelow(uri, kV1LobbyPath) || uri == "/jyx-lobby/v2/lobby/countdown" ||
         uri == "/jyx-lobby/v2/lobby/custom/available-bots" ||
         uri == "/jyx-lobby/v2/lobby/custom/bots-enabled";
}

bool LobbyFlowGate::ReadChangesPlugin(std::string_view path) const {
  const std::string_view route = path.substr(0, path.find('?'));
  if (route == "/jyx-lobby/v1/custom-games") return !customGamesListed_();
  return route == "/jyx-lobby/v1/parties/health" || route == "/jyx-lobby/v2/comms/token" ||
         route == "/jyx-lobby/v2/comms/members";
}

std::string LobbyFlowGate::StateName() const {
  const LobbyState* state = machine_.GetCurrentState();
  return state != nullptr ? state->name : std::string("none");
}

}  // namespace Zarn::Client::Lobby
