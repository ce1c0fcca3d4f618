// The legacy platform's side of the lobby as the plugin core sees it.
#pragma once

#include "lobby/core/LobbyBackend.h"

namespace Zarn::Client::Lobby {

class LobbyPlugin;

class PlatformBackend : public LobbyBackend {
 public:
  // The plugin whose lobby records the backend reads and changes; null until the plugin's start
  // hook sets it. Not owned; it must outlive the backend.
  virtual void SetPlugin(LobbyPlugin* plugin) = 0;
};

}  // namespace Zarn::Client::Lobby
