// The sibling resources and configuration keys the lobby follows from start: the current summoner,
// the queue list, the platform id, the matchmaking search, the autofill entries and the blocked
// players, each kept current by observing its path.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lobby/core/WatchedConfigValue.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"
#include "sdk/runtime/AppModule.h"

namespace Zarn::Client::Lobby {

class WatchedLobbyConfig {
 public:
  // What runs after each value's changes, after the listeners the value already has; an empty
  // one adds none.
  struct Listeners {
    std::function<void()> matchmakingSearch;
    std::function<void()> autofill;
    std::function<void()> blockedPlayers;
    std::function<void()> queues;
    std::function<void()> currentSummoner;
  };

  WatchedLobbyConfig() = default;
  WatchedLobbyConfig(const WatchedLobbyConfig&) = delete;
  WatchedLobbyConfig& operator=(const WatchedLobbyConfig&) = delete;

  // Once, at start: the search and the autofill entries get an empty default, then every value
  // is observed through `module` (not owned; it must outlive the observations), in the order
  // above, the platform id last. Values already delivered arrive at once.
  void Watch(AppModule& module, Listeners listeners);
  // At shutdown: stops following the current summoner and the platform id, which the parties
  // registration follows, and forgets their listeners. The other observations end with the
  // module's.
  void Drop();

  // The values the collaborators follow themselves (the eligibility rules, the controllers, the
  // received invitations, the parties registration). They live as long as this object.
  [[nodiscard]] WatchedConfigValue<Api::Summoner>& CurrentSummoner() { return currentSummoner_; }
  [[nodiscard]] WatchedConfigValue<std::vector<Api::Queue>>& Queues() { return queues_; }
  [[nodiscard]] WatchedConfigValue<std::string>& PlatformId() { return platformId_; }
  [[nodiscard]] const WatchedConfigValue<std::vector<Api::ChatBlockedPlayerResource>>&
  BlockedPlayers() const {
    return blockedPlayers_;
  }

  // The effective values; null while neither a value nor a default is known. Valid until the
  // next change.
  [[nodiscard]] const Api::Summoner* EffectiveSummoner() const {
    return currentSummoner_.Effective();
  }
  [[nodiscard]] const std::vector<Api::Queue>* QueueList() const { return queues_.Effective(); }
  [[nodiscard]] const std::string* EffectivePlatformId() const { return platformId_.Effective(); }
  [[nodiscard]] const Api::MatchmakingSearchResource* MatchmakingSearch() const {
    return matchmakingSearch_.Effective();
  }
  [[nodiscard]] const Api::AutoFillDto* AutofillList() const { return autofill_.Effective(); }
  // A copy of the known queue with `queueId`; 404 "Queue not found" without one.
  [[nodiscard]] MaybeType<Failure, Api::Queue> FindQueue(std::int32_t queueId) const;

 private:
  friend class WatchedLobbyConfigTesting;

  WatchedConfigValue<Api::Summoner> currentSummoner_;
  WatchedConfigValue<std::vector<Api::Queue>> queues_;
  WatchedConfigValue<std::string> platformId_;
  WatchedConfigValue<Api::MatchmakingSearchResource> matchmakingSearch_;
  WatchedConfigValue<Api::AutoFillDto> autofill_;
  WatchedConfigValue<std::vector<Api::ChatBlockedPlayerResource>> blockedPlayers_;
};

}  // namespace Zarn::Client::Lobby
