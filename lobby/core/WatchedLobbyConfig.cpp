#include "lobby/core/WatchedLobbyConfig.h"

#include <algorithm>
#include <utility>

namespace Zarn::Client::Lobby {

void WatchedLobbyConfig::Watch(AppModule& module, Listeners listeners) {
  matchmakingSearch_.SetDefault(Api::MatchmakingSearchResource{});
  matchmakingSearch_.WatchThrough(module, "/jyx-matchmaking/v1/search",
                                  std::move(listeners.matchmakingSearch));
  autofill_.SetDefault(Api::AutoFillDto{});
  autofill_.WatchThrough(module, "/jyx-summoner/v1/current-summoner/autofill",
                         std::move(listeners.autofill));
  blockedPlayers_.WatchThrough(module, "/jyx-chat/v1/blocked-players",
                               std::move(listeners.blockedPlayers));
  queues_.WatchThrough(module, "/jyx-game-queues/v1/queues", std::move(listeners.queues));
  currentSummoner_.WatchThrough(module, "/jyx-summoner/v1/current-summoner",
                                std::move(listeners.currentSummoner));
  platformId_.WatchThrough(module, "/jyx-platform-config/v1/namespaces/LoginDataPacket/platformId",
                           [] {});
}

void WatchedLobbyConfig::Drop() {
  currentSummoner_.Drop();
  platformId_.Drop();
}

MaybeType<Failure, Api::Queue> WatchedLobbyConfig::FindQueue(std::int32_t queueId) const {
  const std::vector<Api::Queue>* queues = queues_.Effective();
  if (queues != nullptr) {
    auto found = std::find_if(queues->begin(), queues->end(),
                              [queueId](const Api::Queue& queue) { return queue.id == queueId; });
    if (found != queues->end()) return *found;
  }
  return Failure(404, "Queue not found");
}

}  // namespace Zarn::Client::Lobby
