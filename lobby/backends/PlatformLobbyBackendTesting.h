// Test access to a platform backend's plugin pointer.
#pragma once

#include "lobby/backends/PlatformLobbyBackend.h"

namespace Zarn::Client::Lobby {

class PlatformLobbyBackendTesting {
 public:
  // Null until SetPlugin.
  [[nodiscard]] static LobbyPlugin* Plugin(const PlatformLobbyBackend& backend) {
    return backend.plugin_;
  }
};

}  // namespace Zarn::Client::Lobby
