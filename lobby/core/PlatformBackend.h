// The legacy platform's side of the lobby as the plugin core sees it.
#pragma once

#include "lobby/core/LobbyBackend.h"

namespace Zarn::Client::Lobby {

class LobbyServices;

class PlatformBackend : public LobbyBackend {
 public:
  // The plugin's services, through which the backend reads and changes the lobby records; null
  // until the plugin's start hook sets them. Not owned; they must outlive the backend.
  virtual void SetServices(LobbyServices* services) = 0;
};

}  // namespace Zarn::Client::Lobby
