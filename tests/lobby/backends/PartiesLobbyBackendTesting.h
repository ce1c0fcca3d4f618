// Test access to a parties backend that runs without Start, and to its private state.
#pragma once

#include <optional>
#include <string>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyServices.h"

namespace Zarn::Client::Lobby {

class PartiesLobbyBackendTesting {
 public:
  // Points `backend` and its client at `services` as Start would, watching nothing.
  static void Attach(PartiesLobbyBackend& backend, LobbyServices& services) {
    backend.services_ = &services;
    backend.client.Attach(services.Runtime(), "parties.service", "proxy");
  }
  [[nodiscard]] static PartiesServiceClient& Client(PartiesLobbyBackend& backend) {
    return backend.client;
  }
  [[nodiscard]] static WatchedConfigValue<bool>& OpenPartyFlag(PartiesLobbyBackend& backend) {
    return backend.openPartyFlag;
  }
  [[nodiscard]] static bool PresencePending(const PartiesLobbyBackend& backend) {
    return backend.presencePending;
  }
  [[nodiscard]] static std::optional<Api::PartyPresenceData>& LastPublishedPresence(
      PartiesLobbyBackend& backend) {
    return backend.lastPublishedPresence;
  }
  [[nodiscard]] static std::string& DefaultPartyType(PartiesLobbyBackend& backend) {
    return backend.defaultPartyType;
  }
};

}  // namespace Zarn::Client::Lobby
