#include "lobby/core/LobbyBackends.h"

namespace Zarn::Client::Lobby {

LobbyBackend* LobbyBackends::Choose(bool isCustom, std::int32_t queueId) const {
  if (!isCustom && parties_ != nullptr && parties_->IsEnabledForQueue(queueId)) {
    return parties_.get();
  }
  return platform_.get();
}

bool LobbyBackends::Owns(const LobbyBackend* backend) const {
  return backend != nullptr && (backend == parties_.get() || backend == platform_.get());
}

void LobbyBackends::Reset() {
  active_ = nullptr;
  parties_.reset();
  platform_.reset();
}

}  // namespace Zarn::Client::Lobby
