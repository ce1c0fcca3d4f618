// The lobby's side of the gameflow plugin: the session it last delivered and its phase, the
// lobby's questions and events to it, and the player status it is told (the status of the
// player's lobby, the status of the lobby last queued with whether it may play again, and whether
// the player may invite others after the game).
#pragma once

#include <optional>

#include "lobby/core/LobbyServices.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/runtime/PluginManagerTypes.h"

namespace Zarn::Client::Lobby {

class LobbyBackend;
class PartiesBackend;

// Whether the player has left the lobby for a game in `phase`.
[[nodiscard]] bool IsProgressedPhase(Api::GameflowPhase phase);

// The backends the gameflow link reads, looked up at each use: a wait may change them.
class GameflowBackends {
 public:
  // The backend in use; null outside a lobby.
  [[nodiscard]] virtual LobbyBackend* ActiveBackend() const = 0;
  // Null after Shutdown.
  [[nodiscard]] virtual PartiesBackend* GetPartiesBackend() const = 0;

 protected:
  ~GameflowBackends() = default;
};

class LobbyGameflow {
 public:
  // Asks and posts through `services`' runtime, and reads its machine and whether the gameflow
  // plugin is available. Both must outlive this object.
  LobbyGameflow(LobbyServices& services, const GameflowBackends& backends)
      : services_(services), backends_(backends) {}
  LobbyGameflow(const LobbyGameflow&) = delete;
  LobbyGameflow& operator=(const LobbyGameflow&) = delete;

  // Whether the gameflow plugin lets a lobby be made; any failure is false.
  [[nodiscard]] bool RequestGameflowLobby();
  // Tells the gameflow plugin which queue `published` (the v2 lobby published) plays: a custom
  // game's from the v1 lobby's configuration, else the known queue of its id (none: nothing sent).
  void SendGameflowGameConfiguration(const std::optional<Api::LobbyDto>& published);
  // POST "/jyx-gameflow/v1/session/event" with `event` as body; the result is ignored.
  void PostGameflowEvent(const char* event);

  // Stores the session of a Create or an Update and takes the phase of any event but a Delete,
  // which forgets the stored session and answers false.
  bool StoreSession(PluginResourceEventType type, const Api::GameflowSession& session);
  // The stored session's phase; None without one.
  [[nodiscard]] Api::GameflowPhase SessionPhase() const;
  // No session and the phase None until one arrives.
  [[nodiscard]] const std::optional<Api::GameflowSession>& StoredGameflowSession() const {
    return session_;
  }
  [[nodiscard]] Api::GameflowPhase CurrentGameflowPhase() const { return phase_; }

  [[nodiscard]] const Api::PlayerStatus& PlayerStatus() const { return playerStatus_; }
  // Posts the player status; one the call gate stops is owed.
  void SetGameflowPlayerStatus();
  // Takes the active backend's lobby status; a change, or a post owed, also takes the backend's
  // end-of-game availability and is posted.
  void UpdatePlayerLobbyStatus();
  // The lobby's status becomes the last queued one; whether it may play again is recomputed
  // and the status posted.
  void KeepLastQueuedLobbyStatus();
  // Whether the last queued lobby may play again (`notify` posts a change).
  void UpdateLastQueuedLobbyStatusAllowedPlayAgain(bool notify);
  // Copies the active backend's end-of-game availability and withdraws the play-again offer.
  void RefreshEogState();

 private:
  friend class LobbyGameflowTesting;

  // Copies the active backend's end-of-game availability; nothing without a backend.
  void TakeEogAvailability();

  LobbyServices& services_;
  const GameflowBackends& backends_;
  std::optional<Api::GameflowSession> session_;
  Api::GameflowPhase phase_ = Api::GameflowPhase::None;
  Api::PlayerStatus playerStatus_;
  // The lobby status taken last, and whether a post of the player status was stopped since.
  std::optional<Api::LobbyStatus> cachedLobbyStatus_;
  bool statusOwed_ = false;
};

}  // namespace Zarn::Client::Lobby
