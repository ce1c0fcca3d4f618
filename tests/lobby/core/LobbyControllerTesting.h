// Test access to a controller's services and countdown periods.
#pragma once

#include <cstdint>

#include "lobby/core/LobbyController.h"

namespace Zarn::Client::Lobby {

class LobbyControllerTesting {
 public:
  [[nodiscard]] static LobbyServices* Services(const LobbyController& controller) {
    return controller.services_;
  }
  static void SetCountdownPeriods(LobbyController& controller, std::int64_t lifetimeSeconds,
                                  std::int64_t warningSeconds) {
    controller.lobbyLifetime_ = lifetimeSeconds;
    controller.warningPeriod_ = warningSeconds;
  }
};

}  // namespace Zarn::Client::Lobby
