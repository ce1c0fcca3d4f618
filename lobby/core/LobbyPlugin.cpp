#include "lobby/core/LobbyPlugin.h"

#include "lobby/model/ApiTypeRegistrars.h"

namespace Zarn::Client::Lobby {

LobbyPlugin::LobbyPlugin() = default;
LobbyPlugin::~LobbyPlugin() = default;

void LobbyPlugin::Shutdown() { Plugin::Shutdown(); }

// The lobby's routes are added here as they are built.
void LobbyPlugin::RegisterEndpoints() {
  RegisterApiTypes();
  RegisterV2ApiTypes();
}

void LobbyPlugin::RegisterApiTypes() {
  LobbyTypeContext context = TypeContext();
  Zarn::Client::Lobby::RegisterApiTypes(context);
}

void LobbyPlugin::RegisterV2ApiTypes() {
  LobbyTypeContext context = TypeContext();
  Zarn::Client::Lobby::RegisterV2ApiTypes(context);
}

LobbyTypeContext LobbyPlugin::TypeContext() {
  return LobbyTypeContext{&GetRegistry(), CamelCaseName(), HelpCategories(), nullptr};
}

bool LobbyPlugin::OnStart() { return true; }

}  // namespace Zarn::Client::Lobby
