// The factory the library's export hands the plugin: it makes the real backends and controllers.
#pragma once

#include <memory>

#include "lobby/core/LobbyComponentFactory.h"

namespace Zarn::Client::Lobby {

class BackendComponentFactory final : public LobbyComponentFactory {
 public:
  // A PartiesLobbyBackend.
  [[nodiscard]] std::unique_ptr<PartiesBackend> MakePartiesBackend() override;
  // A PlatformLobbyBackend.
  [[nodiscard]] std::unique_ptr<PlatformBackend> MakePlatformBackend() override;
  [[nodiscard]] std::shared_ptr<LobbyController> MakeTeamBuilderController(
      LobbyServices* services) override;
  [[nodiscard]] std::shared_ptr<LobbyController> MakeArrangedTeamController(
      LobbyServices* services) override;
  [[nodiscard]] std::shared_ptr<LobbyController> MakeCustomGameController(
      LobbyServices* services) override;
  [[nodiscard]] std::shared_ptr<LobbyController> MakeInvalidController(
      LobbyServices* services) override;
};

}  // namespace Zarn::Client::Lobby
