// Test access to a parties backend's state and observed values, to set them as the service and
// the configuration would.
#pragma once

#include "lobby/core/PartiesBackend.h"

namespace Zarn::Client::Lobby {

class PartiesBackendTesting {
 public:
  [[nodiscard]] static Api::PlayerDto& Player(PartiesBackend& backend) { return backend.player_; }
  [[nodiscard]] static WatchedConfigValue<Api::LoginSession>& LoginSession(
      PartiesBackend& backend) {
    return backend.loginSession_;
  }
};

}  // namespace Zarn::Client::Lobby
