// What the lobby's type registrars register into, and the declaration that every record and
// enum header uses to give its types their ids, static names and registration functions.
#pragma once

#include <string>
#include <vector>

#include "sdk/base/Fnv1a.h"
#include "sdk/binding/TypeId.h"

namespace Zarn {
class BindingRegistry;
struct BindingTypeInfo;
}  // namespace Zarn

namespace Zarn::Client::Lobby {

// The registrars' view of the plugin: its registry, the name that prefixes each of its types
// and the help categories that tag them.
struct LobbyTypeContext {
  // Not owned; never null. Every type goes here.
  BindingRegistry* registry = nullptr;
  // Put before each type name ("JyxLobby" for "JyxLobbyLobbyDto").
  std::string prefix;
  // Added to each type, in order.
  std::vector<std::string> tags;
  // When not null, each type registered through this context is appended, in registration
  // order (the registry's own tables keep no order). An already registered name appends the
  // record of its first registration.
  std::vector<const BindingTypeInfo*>* registered = nullptr;
};

// Picks the registration function of one type by overload.
template <typename T>
struct TypeTag {};

}  // namespace Zarn::Client::Lobby

// Fixes the id and static name of a type of namespace Zarn::Client::Lobby::Api, both taken from
// its qualified name, and declares its registration function. Use at global namespace scope,
// after the type; `Keyword` is struct or enum.
#define ZARN_LOBBY_API_TYPE(Keyword, Name)                                     \
  namespace Zarn::Client::Lobby {                                              \
  void RegisterType(LobbyTypeContext& context, TypeTag<Api::Name>);            \
  }                                                                            \
  ZARN_TYPE_ID(Zarn::Client::Lobby::Api::Name,                                 \
               ::Zarn::Fnv1a32(#Keyword " Zarn::Client::Lobby::Api::" #Name)); \
  ZARN_STATIC_TYPE_NAME(Zarn::Client::Lobby::Api::Name,                        \
                        #Keyword " Zarn::Client::Lobby::Api::" #Name)

#define ZARN_LOBBY_API_RECORD(Name) ZARN_LOBBY_API_TYPE(struct, Name)
#define ZARN_LOBBY_API_ENUM(Name) ZARN_LOBBY_API_TYPE(enum, Name)
