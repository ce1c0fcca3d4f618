#include "lobby/backends/BackendComponentFactory.h"

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/backends/PlatformLobbyBackend.h"

namespace Zarn::Client::Lobby {

std::unique_ptr<PartiesBackend> BackendComponentFactory::MakePartiesBackend() {
  return std::make_unique<PartiesLobbyBackend>();
}

std::unique_ptr<PlatformBackend> BackendComponentFactory::MakePlatformBackend() {
  return std::make_unique<PlatformLobbyBackend>();
}

}  // namespace Zarn::Client::Lobby
