// The last queued lobby's record, for tests.
#pragma once

#include "lobby/core/LastQueuedLobby.h"

namespace Zarn::Client::Lobby {

class LastQueuedLobbyTesting {
 public:
  static Api::LobbyLastQueuedLobby& Record(LastQueuedLobby& last) { return last.record_; }
};

}  // namespace Zarn::Client::Lobby
