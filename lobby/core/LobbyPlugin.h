// The lobby plugin object: the one plugin of this library.
#pragma once

#include "sdk/runtime/Plugin.h"

namespace Zarn::Client::Lobby {

class LobbyPlugin : public Zarn::Client::Plugin {
 public:
  LobbyPlugin();
  ~LobbyPlugin() override;

  // Ends with the module's shutdown.
  void Shutdown() override;
  // Registers the lobby's types and routes.
  void OnRegisterApi() override { RegisterEndpoints(); }
  // Starts the lobby; always true.
  bool OnStart() override;

  void RegisterEndpoints();
};

}  // namespace Zarn::Client::Lobby
