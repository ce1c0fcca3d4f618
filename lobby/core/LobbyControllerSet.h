// The lobby controllers, one per kind of legacy lobby, and which of them serves each known queue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "lobby/core/LobbyComponentFactory.h"
#include "lobby/core/LobbyController.h"
#include "lobby/core/WatchedConfigValue.h"
#include "lobby/model/QueueRecords.h"

namespace Zarn::Client::Lobby {

class LobbyServices;

class LobbyControllerSet {
 public:
  // Empty: every lookup answers null until the first Replace.
  LobbyControllerSet();
  LobbyControllerSet(const LobbyControllerSet&) = delete;
  LobbyControllerSet& operator=(const LobbyControllerSet&) = delete;

  // Replaces the four controllers with new ones that `factory` makes for `services` (not null;
  // it outlives them). The replaced ones drop their observations before the new ones subscribe,
  // and the queue map is refilled from `queues` (left as it is while no list is known) before
  // they do. A subscription may wait, and the host may replace the set again meanwhile.
  void Replace(LobbyComponentFactory& factory, LobbyServices* services,
               const WatchedConfigValue<std::vector<Api::Queue>>& queues);
  // Points every queue of `queues` at its controller; an empty list makes every lookup answer
  // the invalid lobby's controller.
  void FillQueueControllers(const std::vector<Api::Queue>& queues);
  // The controller of a lobby of `queueId`: the custom game controller for a custom lobby, the
  // invalid lobby's controller for a queue not known (or while no queue is); null before Replace.
  [[nodiscard]] std::shared_ptr<LobbyController> GetLobbyController(bool isCustom,
                                                                    std::int32_t queueId) const;
  // Null before Replace.
  [[nodiscard]] const std::shared_ptr<LobbyController>& CustomGameController() const {
    return customGameController_;
  }

 private:
  // FNV-1a over the id's four bytes, lowest first.
  struct QueueIdHash {
    std::size_t operator()(std::int32_t queueId) const noexcept;
  };

  std::shared_ptr<LobbyController> invalidLobbyController_;
  std::shared_ptr<LobbyController> arrangedTeamController_;
  std::shared_ptr<LobbyController> customGameController_;
  std::shared_ptr<LobbyController> teamBuilderController_;
  std::unordered_map<std::int32_t, std::shared_ptr<LobbyController>, QueueIdHash> queueControllers_;
  bool queuesKnown_ = false;
};

}  // namespace Zarn::Client::Lobby
