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
    LobbyServices* services) {
  return std::make_shared<TeamBuilderLobbyController>(services);
}

std::shared_ptr<LobbyController> BackendComponentFactory::MakeArrangedTeamController(
    LobbyServices* services) {
  return std::make_shared<ArrangedTeamLobbyController>(services);
}

std::shared_ptr<LobbyController> BackendComponentFactory::MakeCustomGameController(
    LobbyServices* services) {
  return std::make_shared<CustomGameLobbyController>(services);
}

std::shared_ptr<LobbyController> BackendComponentFactory::MakeInvalidController(
    LobbyServices* services) {
  return std::make_shared<InvalidLobbyController>(services);
}

}  // namespace Zarn::Client::Lobby
