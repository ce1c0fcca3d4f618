#include "lobby/core/CustomGameMembers.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "lobby/core/LobbyConventions.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

void BuildLobbyMembers(std::vector<Api::LobbyMember>& members,
                       std::vector<Api::LobbyMember>& players,
                       const std::vector<LCDS::PlayerParticipant>& participants,
                       std::uint64_t ownerId, const std::vector<std::uint64_t>& inviterIds,
                       bool spectators,
                       const std::map<std::string, std::int32_t>& championAliases) {
  constexpr std::int32_t kLowestDifficulty = -1;
  constexpr std::int32_t kHighestDifficulty = 5;
  for (const LCDS::PlayerParticipant& participant : participants) {
    Api::LobbyMember member;
    member.summonerInternalName = participant.summonerInternalName;
    if (participant.summonerId != 0) {
      member.id = participant.summonerId;
      member.isOwner = participant.summonerId == ownerId;
      member.isSpectator = spectators;
      member.canInviteOthers = std::find(inviterIds.begin(), inviterIds.end(),
                                         participant.summonerId) != inviterIds.end();
      if (member.isOwner && spectators) {
        LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Spectators are not expected to own lobbies");
      }
      if (!spectators) players.push_back(member);
      members.push_back(std::move(member));
      continue;
    }
    member.isBot = true;
    member.botChampionId = ResolveBotChampionId(participant.summonerInternalName, championAliases);
    std::int32_t difficulty = participant.botSkillLevel;
    if (difficulty < kLowestDifficulty || difficulty > kHighestDifficulty) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Bot skill level outside expected bounds: %d",
                static_cast<int>(difficulty));
      difficulty = kLowestDifficulty;
    }
    member.botDifficulty = static_cast<Api::LobbyBotDifficulty>(difficulty);
    members.push_back(std::move(member));
  }
}

std::int32_t ResolveBotChampionId(const std::string& internalName,
                                  const std::map<std::string, std::int32_t>& championAliases) {
  std::vector<std::string_view> pieces;
  std::string_view rest(internalName);
  for (;;) {
    const std::size_t cut = rest.find('_');
    pieces.push_back(rest.substr(0, cut));
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  if (pieces.size() != 3) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Unable to parse bot champion ID from internal name: %s", internalName.c_str());
    return 0;
  }
  const auto found = championAliases.find(std::string(pieces[1]));
  if (found == championAliases.end()) {
    const std::string alias(pieces[1]);
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Unable to lookup bot champion: %s",
              alias.c_str());
    return 0;
  }
  return found->second;
}

}  // namespace Zarn::Client::Lobby
