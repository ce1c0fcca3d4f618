// The v1 lobby's bookkeeping, for tests.
#pragma once

#include <set>
#include <string>

#include "lobby/core/V1LobbyRecords.h"

namespace Zarn::Client::Lobby {

class V1LobbyRecordsTesting {
 public:
  static const std::set<std::string>& AbandonedLobbyInvitationIds(const V1LobbyRecords& records) {
    return records.abandonedLobbyInvitationIds_;
  }
  static bool& IsCustomGame(V1LobbyRecords& records) { return records.isCustomGame_; }
};

}  // namespace Zarn::Client::Lobby
