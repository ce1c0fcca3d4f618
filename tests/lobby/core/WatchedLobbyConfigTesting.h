// The watched values the lobby only reads, for tests to set.
#pragma once

#include <vector>

#include "lobby/core/WatchedLobbyConfig.h"

namespace Zarn::Client::Lobby {

class WatchedLobbyConfigTesting {
 public:
  static WatchedConfigValue<Api::AutoFillDto>& Autofill(WatchedLobbyConfig& config) {
    return config.autofill_;
  }
  static WatchedConfigValue<Api::MatchmakingSearchResource>& MatchmakingSearch(
      WatchedLobbyConfig& config) {
    return config.matchmakingSearch_;
  }
  static WatchedConfigValue<std::vector<Api::ChatBlockedPlayerResource>>& BlockedPlayers(
      WatchedLobbyConfig& config) {
    return config.blockedPlayers_;
  }
};

}  // namespace Zarn::Client::Lobby
