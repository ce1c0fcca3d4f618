// What the custom games of the legacy platform allow: the practice tool's mutator text and the
// maps on which a custom game may have bots.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "lobby/model/LobbyRecords.h"

namespace Zarn::Client::Lobby {

inline constexpr char kPracticeToolMutator[] = "PracticeTool";
// Maps on which custom games may have bots.
inline constexpr std::array<std::int32_t, 2> kBotMapIds = {10, 11};

// Whether `configuration`'s game mutator contains the practice tool's text anywhere.
[[nodiscard]] inline bool HasPracticeToolMutator(
    const Api::LobbyCustomGameConfiguration& configuration) {
  return configuration.gameMutator.find(kPracticeToolMutator) != std::string::npos;
}

}  // namespace Zarn::Client::Lobby
