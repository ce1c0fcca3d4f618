// Registers the lobby's own types the way the plugin does, for tests only.
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

// Both registrars, in the plugin's order. `registered` (may be null) receives every type.
inline void RegisterLobbyApiTypes(BindingRegistry& registry,
                                  std::vector<const BindingTypeInfo*>* registered = nullptr) {
  LobbyTypeContext context = MakeTestTypeContext(registry, registered);
  RegisterApiTypes(context);
  RegisterV2ApiTypes(context);
}

}  // namespace Zarn::Client::Lobby
