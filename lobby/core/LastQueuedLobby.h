// The last queued lobby: the queue and members of the lobby the player last took into
// matchmaking, whether the player owned it, and whether it may play again (the owner, while the
// gameflow plugin is available); published at "/jyx-lobby/v1/last-queued-lobby".
#pragma once

#include <cstdint>
#include <vector>

#include "lobby/model/LobbyRecords.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/runtime/AppModule.h"

namespace Zarn::Client::Lobby {

class LastQueuedLobby {
 public:
  // Asks and publishes through `runtime`, which must outlive this object.
  explicit LastQueuedLobby(AppModule& runtime) : runtime_(runtime) {}
  LastQueuedLobby(const LastQueuedLobby&) = delete;
  LastQueuedLobby& operator=(const LastQueuedLobby&) = delete;

  // Takes `lobby` (a copy; its queue and members) as the last queued lobby, then asks the
  // gameflow plugin whether it is available: only then may the owner play again. A failed
  // question counts as unavailable. Publishes nothing.
  void Snapshot(const Api::Lobby& lobby, std::uint64_t localSummonerId);
  // A custom game never plays again; publishes nothing.
  void DenyPlayAgain() { record_.canPlayAgain = false; }
  // Takes the gameflow plugin's availability from its resource and publishes the record when
  // whether it may play again changed.
  void OnGameflowAvailability(const BindingProperty& availability);
  // Publishes a copy of the record.
  void Publish();

  // The gameflow plugin's availability as last read; false until it is.
  [[nodiscard]] bool IsGameflowAvailable() const { return gameflowAvailable_; }
  // Queue -1 until the player first enters matchmaking.
  [[nodiscard]] std::int32_t QueueId() const { return record_.queueId; }
  [[nodiscard]] std::vector<std::uint64_t> MemberIds() const;

 private:
  friend class LastQueuedLobbyTesting;

  AppModule& runtime_;
  Api::LobbyLastQueuedLobby record_ = [] {
    Api::LobbyLastQueuedLobby none;
    none.queueId = -1;
    return none;
  }();
  bool gameflowAvailable_ = false;
};

}  // namespace Zarn::Client::Lobby
