// The members of a custom game's lobby, made from the legacy game's participants.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "lobby/model/LcdsRecords.h"
#include "lobby/model/LobbyRecords.h"

namespace Zarn::Client::Lobby {

// Appends to `members` one record per
// participant, a human also to `players` unless `spectators` is set; a bot (summoner id 0) gets
// its champion from `championAliases` by its internal name.
void BuildLobbyMembers(std::vector<Api::LobbyMember>& members,
                       std::vector<Api::LobbyMember>& players,
                       const std::vector<LCDS::PlayerParticipant>& participants,
                       std::uint64_t ownerId, const std::vector<std::uint64_t>& inviterIds,
                       bool spectators, const std::map<std::string, std::int32_t>& championAliases);
// The champion of the bot named `internalName` ("bot_<alias>_<team>") by its alias; 0, logged,
// when the name has not three parts or the alias is not known.
[[nodiscard]] std::int32_t ResolveBotChampionId(
    const std::string& internalName, const std::map<std::string, std::int32_t>& championAliases);

}  // namespace Zarn::Client::Lobby
