// The gameflow link's records, for tests to set.
#pragma once

#include <optional>

#include "lobby/core/LobbyGameflow.h"

namespace Zarn::Client::Lobby {

class LobbyGameflowTesting {
 public:
  static std::optional<Api::GameflowSession>& Session(LobbyGameflow& gameflow) {
    return gameflow.session_;
  }
  static Api::PlayerStatus& MutablePlayerStatus(LobbyGameflow& gameflow) {
    return gameflow.playerStatus_;
  }
  static const std::optional<Api::LobbyStatus>& CachedLobbyStatus(const LobbyGameflow& gameflow) {
    return gameflow.cachedLobbyStatus_;
  }
};

}  // namespace Zarn::Client::Lobby
