#include "lobby/backends/BackendComponentFactory.h"

#include "lobby/backends/ArrangedTeamLobbyController.h"
#include "lobby/backends/CustomGameLobbyController.h"
#include "lobby/backends/InvalidLobbyController.h"
#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/backends/PlatformLobbyBackend.h"
#include "lobby/backends/TeamBuilderLobbyController.h"

namespace Zarn::Client::Lobby {

std::unique_ptr<PartiesBackend> BackendComponentFactory::MakePartiesBackend() {
  return std::make_unique<PartiesLobbyBackend>();
}

std::unique_ptr<PlatformBackend> BackendComponentFactory::MakePlatformBackend() {
  return std::make_unique<PlatformLobbyBackend>();
}

std::shared_ptr<LobbyController> BackendComponentFactory::MakeTeamBuilderController(
    LobbyPlugin* plugin) {
  return std::make_shared<TeamBuilderLobbyController>(plugin);
}

std::shared_ptr<LobbyController> BackendComponentFactory::MakeArrangedTeamController(
    LobbyPlugin* plugin) {
  return std::make_shared<ArrangedTeamLobbyController>(plugin);
}

std::shared_ptr<LobbyController> BackendComponentFactory::MakeCustomGameController(
    LobbyPlugin* plugin) {
  return std::make_shared<CustomGameLobbyController>(plugin);
}

std::shared_ptr<LobbyController> BackendComponentFactory::MakeInvalidController(
    LobbyPlugin* plugin) {
  return std::make_shared<InvalidLobbyController>(plugin);
}

}  // namespace Zarn::Client::Lobby
