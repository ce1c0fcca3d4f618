// What the lobby's type registrars register into, and the declaration that every record and
// enum header uses to give its types their ids, static names and registration functions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "sdk/base/Fnv1a.h"
#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/TypeId.h"

namespace Zarn {
class BindingRegistry;
struct BindingTypeInfo;
}  // namespace Zarn

namespace Zarn::Client::Lobby {

// Legacy class names by registered type name, and by type id.
using LcdsClassByType =
    std::unordered_map<std::string, std::string, Fnv1aStringHash, std::equal_to<>>;
using LcdsClassByTypeId = std::unordered_map<std::uint32_t, std::string, BindingIdHash>;

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
  // Not owned; when not null, each legacy record enters its class name here before it is
  // registered, overwriting an earlier entry.
  LcdsClassByType* lcdsClassByType = nullptr;
  LcdsClassByTypeId* lcdsClassByTypeId = nullptr;
};

// Picks the registration function of one type by overload.
template <typename T>
struct TypeTag {};

}  // namespace Zarn::Client::Lobby

// Fixes the id and static name of a type of namespace Zarn::Client::Lobby::`Scope`, both taken
// from its qualified name, and declares its registration function. Use at global namespace
// scope, after the type; `Keyword` is struct or enum.
#define ZARN_LOBBY_TYPE_IN(Scope, Keyword, Name)                                 \
  namespace Zarn::Client::Lobby {                                                \
  void RegisterType(LobbyTypeContext& context, TypeTag<Scope Name>);             \
  }                                                                              \
  ZARN_TYPE_ID(Zarn::Client::Lobby::Scope Name,                                  \
               ::Zarn::Fnv1a32(#Keyword " Zarn::Client::Lobby::" #Scope #Name)); \
  ZARN_STATIC_TYPE_NAME(Zarn::Client::Lobby::Scope Name,                         \
                        #Keyword " Zarn::Client::Lobby::" #Scope #Name)

#define ZARN_LOBBY_API_TYPE(Keyword, Name) ZARN_LOBBY_TYPE_IN(Api::, Keyword, Name)
#define ZARN_LOBBY_API_RECORD(Name) ZARN_LOBBY_API_TYPE(struct, Name)
#define ZARN_LOBBY_API_ENUM(Name) ZARN_LOBBY_API_TYPE(enum, Name)
#define ZARN_LOBBY_LCDS_RECORD(Name) ZARN_LOBBY_TYPE_IN(LCDS::, struct, Name)
#define ZARN_LOBBY_LCDS_ENUM(Name) ZARN_LOBBY_TYPE_IN(LCDS::, enum, Name)
// A record of namespace Zarn::Client::Lobby itself.
#define ZARN_LOBBY_RECORD(Name) ZARN_LOBBY_TYPE_IN(, struct, Name)
