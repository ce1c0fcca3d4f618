// Test access to a parties backend that runs without Start.
#pragma once

#include "lobby/backends/PartiesLobbyBackend.h"

namespace Zarn::Client::Lobby {

class PartiesLobbyBackendTesting {
 public:
  // Points `backend` and its client at `plugin` as Start would, watching nothing.
  static void Attach(PartiesLobbyBackend& backend, LobbyPlugin& plugin) {
    backend.plugin_ = &plugin;
    backend.client.serviceName = "parties.service";
    backend.client.methodName = "proxy";
    backend.client.plugin = &plugin;
  }
};

}  // namespace Zarn::Client::Lobby
