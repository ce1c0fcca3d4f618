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
    backend.client_.Attach(services.Runtime(), "parties.service", "proxy");
  }
  [[nodiscard]] static PartiesServiceClient& Client(PartiesLobbyBackend& backend) {
    return backend.client_;
  }
  [[nodiscard]] static WatchedConfigValue<bool>& OpenPartyFlag(PartiesLobbyBackend& backend) {
    return backend.openPartyFlag_;
  }
  [[nodiscard]] static bool PresencePending(const PartiesLobbyBackend& backend) {
    return backend.presencePending_;
  }
  [[nodiscard]] static std::optional<Api::PartyPresenceData>& LastPublishedPresence(
      PartiesLobbyBackend& backend) {
    return backend.lastPublishedPresence_;
  }
  [[nodiscard]] static std::string& DefaultPartyType(PartiesLobbyBackend& backend) {
    return backend.defaultPartyType_;
  }
};

}  // namespace Zarn::Client::Lobby
