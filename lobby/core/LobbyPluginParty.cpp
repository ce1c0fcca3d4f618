// The party-active flag as a route reads it.
#include "lobby/core/LobbyPlugin.h"

namespace Zarn::Client::Lobby {

// The flag as last published, not recomputed: the route and the event agree.
bool LobbyPlugin::HandleGetPartyActive() { return viewModel_.PartyActive(); }

}  // namespace Zarn::Client::Lobby
