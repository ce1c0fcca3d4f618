// The lobby notifications: short notices about what happened to the player's lobby, kept oldest
// first and at most 30, published whole whenever one is added.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/runtime/Plugin.h"

namespace Zarn::Client::Lobby {

class LobbyNotifications {
 public:
  // Publishes through `runtime`, which must outlive this list; its registry names the records
  // and enums logged and published.
  explicit LobbyNotifications(Plugin& runtime) : runtime_(runtime) {}
  LobbyNotifications(const LobbyNotifications&) = delete;
  LobbyNotifications& operator=(const LobbyNotifications&) = delete;

  // A new notification of `reason` about `summonerIds`, stamped now (wall-clock milliseconds,
  // 0 before 1970), with the next id. Lists nothing.
  [[nodiscard]] Api::LobbyNotification MakeLobbyNotification(
      std::string reason, std::vector<std::uint64_t> summonerIds);
  // The notification of a dodge, named by its state.
  [[nodiscard]] Api::LobbyNotification CreateDodgeNotification(const Api::GameflowGameDodge& dodge);
  // Lists `notification`, dropping the oldest beyond 30, and publishes the list; false, listing
  // and publishing nothing, when a notification with the same id is listed already.
  bool AddLobbyNotification(Api::LobbyNotification notification);
  // Removes every notification with `notificationId`, publishing nothing; whether any was.
  bool EraseNotification(const std::string& notificationId);
  // Publishes the list as it stands.
  void Publish();
  // A copy of the list, oldest first.
  [[nodiscard]] std::vector<Api::LobbyNotification> List() const { return notifications_; }

 private:
  Plugin& runtime_;
  std::vector<Api::LobbyNotification> notifications_;
  // The number the next notification is named by.
  std::uint32_t counter_ = 0;
};

}  // namespace Zarn::Client::Lobby
