// The scope of one lobby operation that changes state. Batches nest: the view model is rebuilt
// and published once, when the outermost one closes.
#pragma once

#include "lobby/core/LobbyPlugin.h"

namespace Zarn::Client::Lobby {

class LobbyUpdateBatch {
 public:
  // `plugin` must outlive the batch.
  explicit LobbyUpdateBatch(LobbyPlugin& plugin) : plugin_(plugin) { ++plugin_.updateBatchDepth_; }
  LobbyUpdateBatch(const LobbyUpdateBatch&) = delete;
  LobbyUpdateBatch& operator=(const LobbyUpdateBatch&) = delete;
  ~LobbyUpdateBatch() {
    if (--plugin_.updateBatchDepth_ == 0) plugin_.UpdateLobbyViewModel();
  }

 private:
  LobbyPlugin& plugin_;
};

}  // namespace Zarn::Client::Lobby
