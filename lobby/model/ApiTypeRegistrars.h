// The registrars of the lobby's record and enum types. The plugin calls them once, in this
// order, while it is loaded and before it declares its routes.
#pragma once

#include "lobby/model/LobbyTypeContext.h"

namespace Zarn::Client::Lobby {

// The queue, eligibility, version 1 lobby and sibling-plugin types, and the records that read
// legacy platform data.
void RegisterApiTypes(LobbyTypeContext& context);

// The version 2 lobby view types, the remaining sibling-plugin types and the analytics records.
void RegisterV2ApiTypes(LobbyTypeContext& context);

// The parties service's records.
void RegisterPartiesTypes(LobbyTypeContext& context);

// The legacy platform's records, under their bare names without the context's prefix and tags,
// each with its legacy class entered in the context's class tables.
void RegisterLcdsTypes(LobbyTypeContext& context);

// The service proxy's request and reply envelope.
void RegisterServiceProxyTypes(LobbyTypeContext& context);

}  // namespace Zarn::Client::Lobby
