// The lobby plugin object: the one plugin of this library.
#pragma once

#include "lobby/model/LobbyTypeContext.h"
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

  // The lobby's types, then its routes.
  void RegisterEndpoints();

  // The lobby's records and enums, into the plugin's API registry. Each runs once, while the
  // plugin is loaded, in this order. The legacy records also enter their legacy classes in the
  // module's class tables.
  void RegisterApiTypes();
  void RegisterV2ApiTypes();
  void RegisterPartiesTypes();
  void RegisterLcdsTypes();
  void RegisterServiceProxyTypes();

 private:
  // The plugin's registry, CamelCase name, help categories and legacy class tables, as the
  // registrars take them.
  [[nodiscard]] LobbyTypeContext TypeContext();
};

}  // namespace Zarn::Client::Lobby
