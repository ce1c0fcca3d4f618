// Queue feature names, game mutators and spectator policies: the texts the legacy platform and
// the game-queues plugin use for what a queue's records hold as flags and enums.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lobby/model/QueueRecords.h"
#include "sdk/binding/BindingProperty.h"

namespace Zarn::Client::Lobby {

// The names of the feature flags set in `config`, in the fixed order "AdvancedLearningQuests",
// "LearningQuests", "OnboardCoopBeginner", "BattleBoost", "ReRoll", "DEATHMATCH", "DoNotRemove".
[[nodiscard]] std::vector<std::string> GameTypeConfigFeatureNames(
    const Api::QueueGameTypeConfig& config);

// Sets in `config` the flag of every feature name in `names` (flags already set stay set), and
// sets `gameMutator` to the last of `names` that is "FRENZY", "OneForAll", "6v6", "CounterPick"
// or "PracticeTool"; `gameMutator` is left alone when there is none. Other names are ignored.
void ApplyGameTypeFeatureNames(const std::vector<std::string>& names,
                               Api::QueueGameTypeConfig& config, std::string& gameMutator);

// The first element of `value`'s member "gameMutators" (a list, read as text) that is one of
// "6v6", "OneForAll", "CounterPick" or "PracticeTool"; "" when there is none, when the member is
// missing or not a list, or when `value` is not a structure.
[[nodiscard]] std::string FindGameMutator(const BindingProperty& value);

// The legacy platform's text of `policy`: "LOBBYONLY", "DROPINONLY", "ALL", and "NONE" for
// NotAllowed and any value outside the enum.
[[nodiscard]] std::string SpectatorPolicyToLcdsString(Api::QueueCustomGameSpectatorPolicy policy);

// The policy of a legacy text ("NONE", "LOBBYONLY", "DROPINONLY", "ALL", exact case); any other
// text gives NotAllowed.
[[nodiscard]] Api::QueueCustomGameSpectatorPolicy LcdsStringToSpectatorPolicy(
    std::string_view text);

}  // namespace Zarn::Client::Lobby
