// Makes the parts of the lobby that the core sees only through their interfaces. The library's
// export hands the plugin the one that makes the real parts; tests hand fakes.
#pragma once

#include <memory>

#include "lobby/core/LobbyController.h"
#include "lobby/core/PartiesBackend.h"
#include "lobby/core/PlatformBackend.h"

namespace Zarn::Client::Lobby {

class LobbyServices;

// The plugin owns its factory for its whole life: it makes both backends when it is constructed,
// and the lobby controllers when it starts.
class LobbyComponentFactory {
 public:
  LobbyComponentFactory() = default;
  LobbyComponentFactory(const LobbyComponentFactory&) = delete;
  LobbyComponentFactory& operator=(const LobbyComponentFactory&) = delete;
  virtual ~LobbyComponentFactory() = default;

  // A backend not started yet; never null.
  [[nodiscard]] virtual std::unique_ptr<PartiesBackend> MakePartiesBackend() = 0;
  // A backend whose plugin pointer is null; never null itself.
  [[nodiscard]] virtual std::unique_ptr<PlatformBackend> MakePlatformBackend() = 0;

  // The four lobby controllers, each with the default lifetime and warning period and `services`
  // (not null; it outlives them), object and counter in one allocation. Never null.
  [[nodiscard]] virtual std::shared_ptr<LobbyController> MakeTeamBuilderController(
      LobbyServices* services) = 0;
  [[nodiscard]] virtual std::shared_ptr<LobbyController> MakeArrangedTeamController(
      LobbyServices* services) = 0;
  [[nodiscard]] virtual std::shared_ptr<LobbyController> MakeCustomGameController(
      LobbyServices* services) = 0;
  [[nodiscard]] virtual std::shared_ptr<LobbyController> MakeInvalidController(
      LobbyServices* services) = 0;
};

}  // namespace Zarn::Client::Lobby
