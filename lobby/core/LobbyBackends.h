// The plugin's two lobby backends, the parties backend and the legacy platform's, and the one the
// player's lobby is served by.
#pragma once

#include <cstdint>
#include <memory>

#include "lobby/core/LobbyBackend.h"
#include "lobby/core/LobbyComponentFactory.h"
#include "lobby/core/PartiesBackend.h"
#include "lobby/core/PlatformBackend.h"

namespace Zarn::Client::Lobby {

// The backend in use is always one of the two this object owns, or null.
class LobbyBackends {
 public:
  // Makes the parties backend, then the platform's, with `factory`; either may be null.
  explicit LobbyBackends(LobbyComponentFactory& factory)
      : parties_(factory.MakePartiesBackend()), platform_(factory.MakePlatformBackend()) {}
  LobbyBackends(const LobbyBackends&) = delete;
  LobbyBackends& operator=(const LobbyBackends&) = delete;

  // The backend in use, null outside a lobby; each backend, null after Reset.
  [[nodiscard]] LobbyBackend* Active() const { return active_; }
  [[nodiscard]] PartiesBackend* Parties() const { return parties_.get(); }
  [[nodiscard]] PlatformBackend* Platform() const { return platform_.get(); }
  // Makes the platform's or the parties backend the one in use (null once deleted), or none.
  void ActivatePlatform() { active_ = platform_.get(); }
  void ActivateParties() { active_ = parties_.get(); }
  void Deactivate() { active_ = nullptr; }
  // The backend that serves a new lobby of `queueId`: the parties backend for a queue it is
  // enabled for, unless custom, else the platform's; null after Reset.
  [[nodiscard]] LobbyBackend* Choose(bool isCustom, std::int32_t queueId) const;
  // Whether `backend` is still one of the two (a wait may have deleted it).
  [[nodiscard]] bool Owns(const LobbyBackend* backend) const;
  // At shutdown: none in use, then both deleted, the parties backend first.
  void Reset();

 private:
  LobbyBackend* active_ = nullptr;
  std::unique_ptr<PartiesBackend> parties_;
  std::unique_ptr<PlatformBackend> platform_;
};

}  // namespace Zarn::Client::Lobby
