// The view model's records, for tests to set.
#pragma once

#include <optional>

#include "lobby/core/LobbyViewModel.h"

namespace Zarn::Client::Lobby {

class LobbyViewModelTesting {
 public:
  static std::optional<Api::LobbyDto>& PublishedLobby(LobbyViewModel& model) {
    return model.publishedLobby_;
  }
  static Api::QueueAvailability& LobbyAvailability(LobbyViewModel& model) {
    return model.lobbyAvailability_;
  }
};

}  // namespace Zarn::Client::Lobby
