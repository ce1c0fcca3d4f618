// Test access to the eligibility rules' hash, observations, queue copy, cache and last inputs.
#pragma once

#include <cstdint>
#include <vector>

#include "lobby/core/EligibilityRules.h"

namespace Zarn::Client::Lobby {

class EligibilityRulesTesting {
 public:
  [[nodiscard]] static WatchedConfigValue<std::int64_t>& Hash(EligibilityRules& rules) {
    return rules.eligibilityHash_;
  }
  [[nodiscard]] static WatchedConfigValue<Api::ChampCounts>& ChampionCounts(
      EligibilityRules& rules) {
    return rules.championCounts_;
  }
  [[nodiscard]] static WatchedConfigValue<std::vector<Api::League>>& Leagues(
      EligibilityRules& rules) {
    return rules.leagues_;
  }
  [[nodiscard]] static bool HasQueues(const EligibilityRules& rules) { return rules.hasQueues_; }
  [[nodiscard]] static const std::vector<Api::Queue>& Queues(const EligibilityRules& rules) {
    return rules.queues_;
  }
  [[nodiscard]] static bool& CacheDirty(EligibilityRules& rules) {
    return rules.premadeEligibilityCache_.dirty;
  }
  [[nodiscard]] static const Api::ChampCounts& LastCounts(const EligibilityRules& rules) {
    return rules.lastCounts_;
  }
};

}  // namespace Zarn::Client::Lobby
