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
  RegisterPartiesTypes();
  RegisterLcdsTypes();
  RegisterServiceProxyTypes();
}

void LobbyPlugin::RegisterApiTypes() {
  LobbyTypeContext context = TypeContext();
  Zarn::Client::Lobby::RegisterApiTypes(context);
}

void LobbyPlugin::RegisterV2ApiTypes() {
  LobbyTypeContext context = TypeContext();
  Zarn::Client::Lobby::RegisterV2ApiTypes(context);
}

void LobbyPlugin::RegisterPartiesTypes() {
  LobbyTypeContext context = TypeContext();
  Zarn::Client::Lobby::RegisterPartiesTypes(context);
}

void LobbyPlugin::RegisterLcdsTypes() {
  LobbyTypeContext context = TypeContext();
  Zarn::Client::Lobby::RegisterLcdsTypes(context);
}

void LobbyPlugin::RegisterServiceProxyTypes() {
  LobbyTypeContext context = TypeContext();
  Zarn::Client::Lobby::RegisterServiceProxyTypes(context);
}

LobbyTypeContext LobbyPlugin::TypeContext() {
  return LobbyTypeContext{&GetRegistry(), CamelCaseName(),   HelpCategories(),
                          nullptr,        &lcdsClassByType_, &lcdsClassByTypeId_};
}

bool LobbyPlugin::OnStart() { return true; }

}  // namespace Zarn::Client::Lobby
