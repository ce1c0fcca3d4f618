// Test access to a platform backend's services pointer.
#pragma once

#include "lobby/backends/PlatformLobbyBackend.h"

namespace Zarn::Client::Lobby {

class PlatformLobbyBackendTesting {
 public:
  // Null until SetServices.
  [[nodiscard]] static LobbyServices* Services(const PlatformLobbyBackend& backend) {
    return backend.services_;
  }
};

}  // namespace Zarn::Client::Lobby
