#include "lobby/core/LobbyPlugin.h"

namespace Zarn::Client::Lobby {

LobbyPlugin::LobbyPlugin() = default;
LobbyPlugin::~LobbyPlugin() = default;

void LobbyPlugin::Shutdown() { Plugin::Shutdown(); }

// The lobby's types and routes are added here as they are built.
void LobbyPlugin::RegisterEndpoints() {}

bool LobbyPlugin::OnStart() { return true; }

}  // namespace Zarn::Client::Lobby
