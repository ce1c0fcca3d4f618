// The premade-eligibility rules: derive the eligibility hash that the parties service compares
// from the summoner's level, champion counts and leagues, and tell the hash's listeners when it
// changes.
#pragma once

#include <cstdint>
#include <vector>

#include "lobby/core/WatchedConfigValue.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"

namespace Zarn::Client::Lobby {

class LobbyPlugin;

class EligibilityRules {
 public:
  EligibilityRules() = default;
  EligibilityRules(const EligibilityRules&) = delete;
  EligibilityRules& operator=(const EligibilityRules&) = delete;

  // The plugin's start step: points the rules and the hash at `owner` (not null, outlives the
  // rules), gives the hash the default 0, then follows `queues` and `summoner`, after the
  // listeners those already have.
  void Start(LobbyPlugin* owner, WatchedConfigValue<std::vector<Api::Queue>>& queues,
             WatchedConfigValue<Api::Summoner>& summoner);

  // Not observed from a path: set by the rules, read and followed by the parties backend.
  WatchedConfigValue<std::int64_t> eligibilityHash;
  // The plugin; not owned, null before Start.
  LobbyPlugin* owner = nullptr;
  // Observed once the current summoner is known; the plugin's shutdown drops both.
  WatchedConfigValue<Api::ChampCounts> championCounts;
  WatchedConfigValue<std::vector<Api::League>> leagues;
};

}  // namespace Zarn::Client::Lobby
