// The premade-eligibility rules: derive the eligibility hash that the parties service compares
// from the summoner's level, champion counts and leagues, and tell the hash's listeners when it
// changes. They also keep the copy of the queue list that gatekeeper restrictions are read
// against.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "lobby/core/WatchedConfigValue.h"
#include "lobby/model/PartiesRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"
#include "sdk/binding/KeyedMap.h"
#include "sdk/runtime/Plugin.h"

namespace Zarn::Client::Lobby {

// The queue-eligibility service's answer for summoners and queues.
inline constexpr char kEligibilityPath[] = "/jyx-queue-eligibility/v3/eligibility";

class EligibilityRules {
 public:
  EligibilityRules() = default;
  EligibilityRules(const EligibilityRules&) = delete;
  EligibilityRules& operator=(const EligibilityRules&) = delete;

  // The plugin's start step: points the rules and the hash at `runtime`, the plugin's runtime
  // (not null, outlives the rules), gives the hash the default 0, then follows `queues` and
  // `summoner` (both outlive the rules), after the listeners those already have. Values they
  // already hold are taken at once.
  void Start(Plugin* runtime, WatchedConfigValue<std::vector<Api::Queue>>& queues,
             WatchedConfigValue<Api::Summoner>& summoner);
  // The plugin's shutdown step: stops observing the champion counts and the leagues.
  void DropObservations() {
    championCounts_.Drop();
    leagues_.Drop();
  }

  // Listener of the current summoner, the champion counts and the leagues: observes the counts
  // and leagues of the first summoner seen, and once all three inputs are there recomputes the
  // hash, telling the hash's listeners when it changed. May run nested inside itself when a
  // listener or an observation waits.
  void UpdatePremadeConfiguration();
  // Listener of the plugin's queue list: replaces the copy and marks the eligibility cache dirty
  // when the list changed; a list that is not present changes nothing.
  void UpdateQueues();

  // The eligibility of `summonerIds` for the copied queues; an answer asked under `key` (not 0)
  // is served again while the queues stay as they were. A failure without a queue list or Start.
  [[nodiscard]] MaybeType<Failure, std::vector<Api::Eligibility>> RequestPremadeEligibility(
      std::vector<std::uint64_t> summonerIds, std::uint64_t key);

  // The restriction the parties service's `restriction` stands for. `queues` are looked up for the
  // restriction's queue to add its arguments; `party`'s players name the restricted summoners.
  [[nodiscard]] static Api::EligibilityRestriction MapGatekeeperReason(
      const Api::GatekeeperRestrictionDto& restriction, const std::vector<Api::Queue>& queues,
      const Api::PartyDto& party);
  // Adds to `args` the one argument that `code` takes from `queue`, as decimal text; other codes
  // take none.
  static void BuildRestrictions(Api::EligibilityRestrictionCode code, const Api::Queue& queue,
                                KeyedMap<std::string>& args);

  // The hash of the eligibility inputs, which the parties backend sends and follows; null before
  // Start. Valid until the next change.
  [[nodiscard]] const std::int64_t* EligibilityHash() const { return eligibilityHash_.Effective(); }
  // Runs `listener` after every change of the hash, after the listeners added before it.
  void AddHashListener(std::function<void()> listener) {
    eligibilityHash_.AddListener(std::move(listener));
  }

 private:
  // Reads and sets the state below.
  friend class EligibilityRulesTesting;

  // The premade eligibility answers kept for the party: dirty once the queues they were asked
  // for changed.
  struct PremadeEligibilityCache {
    bool dirty = false;
    // The last answer and the key it was asked under; key 0 is never served from here.
    std::vector<Api::Eligibility> result;
    std::uint64_t key = 0;
  };

  // Not observed from a path: set by the rules.
  WatchedConfigValue<std::int64_t> eligibilityHash_;
  // The plugin's runtime; not owned, null before Start.
  Plugin* runtime_ = nullptr;
  // The copy of the plugin's queue list, present once a list arrived.
  bool hasQueues_ = false;
  std::vector<Api::Queue> queues_;
  // Observed once the current summoner is known; the plugin's shutdown drops both.
  WatchedConfigValue<Api::ChampCounts> championCounts_;
  WatchedConfigValue<std::vector<Api::League>> leagues_;
  // The inputs of the last hash; level 0 before the first.
  std::uint32_t lastLevel_ = 0;
  Api::ChampCounts lastCounts_;
  std::vector<Api::League> lastLeagues_;
  PremadeEligibilityCache premadeEligibilityCache_;
  // The two watched values Start follows; not owned, null before Start.
  WatchedConfigValue<std::vector<Api::Queue>>* watchedQueues_ = nullptr;
  WatchedConfigValue<Api::Summoner>* watchedSummoner_ = nullptr;
};

}  // namespace Zarn::Client::Lobby
