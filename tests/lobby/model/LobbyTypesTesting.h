// Registers the lobby's types the way the plugin does, for tests only.
#pragma once

#include <vector>

#include "lobby/model/ApiTypeRegistrars.h"
#include "lobby/model/LobbyTypeContext.h"
#include "sdk/binding/BindingRegistry.h"

namespace Zarn::Client::Lobby {

// The context of the plugin "jyx-lobby": its prefix and its two help categories.
inline LobbyTypeContext MakeTestTypeContext(BindingRegistry& registry,
                                            std::vector<const BindingTypeInfo*>* registered) {
  return LobbyTypeContext{&registry, "JyxLobby", {"Plugins", "Plugin jyx-lobby"}, registered};
}

// The five registrars, in the plugin's order. `registered` (may be null) receives every type;
// the class tables (may be null) receive the legacy records' classes.
inline void RegisterLobbyApiTypes(BindingRegistry& registry,
                                  std::vector<const BindingTypeInfo*>* registered = nullptr,
                                  LcdsClassByType* classByType = nullptr,
                                  LcdsClassByTypeId* classByTypeId = nullptr) {
  LobbyTypeContext context = MakeTestTypeContext(registry, registered);
  context.lcdsClassByType = classByType;
  context.lcdsClassByTypeId = classByTypeId;
  RegisterApiTypes(context);
  RegisterV2ApiTypes(context);
  RegisterPartiesTypes(context);
  RegisterLcdsTypes(context);
  RegisterServiceProxyTypes(context);
}

}  // namespace Zarn::Client::Lobby
