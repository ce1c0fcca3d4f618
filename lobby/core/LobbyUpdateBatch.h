// The scope of one lobby operation that changes state. Batches nest: the view model is rebuilt
// and published once, when the outermost one closes.
#pragma once

#include "lobby/core/LobbyServices.h"

namespace Zarn::Client::Lobby {

class LobbyUpdateBatch {
 public:
  // `services` must outlive the batch.
  explicit LobbyUpdateBatch(LobbyServices& services) : services_(services) {
    services_.OpenUpdateBatch();
  }
  LobbyUpdateBatch(const LobbyUpdateBatch&) = delete;
  LobbyUpdateBatch& operator=(const LobbyUpdateBatch&) = delete;
  ~LobbyUpdateBatch() { services_.CloseUpdateBatch(); }

 private:
  LobbyServices& services_;
};

}  // namespace Zarn::Client::Lobby
