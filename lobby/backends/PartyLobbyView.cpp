#include "lobby/backends/PartyLobbyView.h"

#include <algorithm>
#include <string>
#include <utility>

#include "lobby/core/EligibilityRules.h"
#include "lobby/core/LobbyViews.h"
#include "lobby/core/PositionCoverage.h"
#include "lobby/core/PositionNames.h"

namespace Zarn::Client::Lobby {
namespace {

using Role = Api::PartyMemberRoleEnum;
using Code = Api::EligibilityRestrictionCode;

// The queue whose parties are told when their size does not fit.
constexpr std::int32_t kTeamSizeRestrictedQueue = 440;

// Restrictions the lobby does not show: they are the gameflow's to tell.
bool IsLeftOut(Code code) {
  return code == Code::PlayerDodgeRestriction || code == Code::PlayerInGameRestriction ||
         code == Code::PlayerLeaverBustedRestriction ||
         code == Code::PlayerLeaverTaintedWarningRestriction;
}

const Api::Summoner* FindSummoner(const std::vector<Api::Summoner>& summoners,
                                  std::uint64_t summonerId) {
  const auto found =
      std::find_if(summoners.begin(), summoners.end(),
                   [summonerId](const Api::Summoner& s) { return s.summonerId == summonerId; });
  return found != summoners.end() ? &*found : nullptr;
}

Api::LobbyParticipantDto MakeParticipant(const Api::PartyMemberDto& member,
                                         const Api::Summoner* summoner, bool locked,
                                         bool showPositions) {
  Api::LobbyParticipantDto participant;
  // Kept from the party when the summoner plugin did not answer for it.
  participant.summonerId = member.summonerId;
  participant.puuid = member.puuid;
  if (summoner != nullptr) {
    participant.summonerId = summoner->summonerId;
    participant.summonerIconId = summoner->profileIconId;
    participant.summonerName = summoner->displayName;
    participant.summonerInternalName = summoner->internalName;
    participant.puuid = summoner->puuid;
    participant.summonerLevel = summoner->summonerLevel;
    participant.lastSeasonHighestRank = summoner->lastSeasonHighestRank;
  }
  const bool leader = member.role == Role::LEADER;
  participant.isLeader = leader;
  participant.allowedStartActivity = leader;
  participant.allowedChangeActivity = leader;
  participant.allowedToggleInvite = leader;
  participant.allowedKickOthers = leader;
  participant.allowedInviteOthers = member.canInvite.value_or(false);
  participant.ready = member.ready.value_or(false);
  participant.showGhostedBanner = !locked && !participant.ready;
  if (showPositions) {
    const std::vector<std::string>& positions = member.metadata.positionPref;
    // Two empty preferences are sent as an empty list.
    participant.firstPositionPreference = positions.empty() ? kPositionUnselected : positions[0];
    participant.secondPositionPreference =
        positions.size() >= 2 ? positions[1] : kPositionUnselected;
  }
  return participant;
}

// The party's eligibility restrictions as the lobby shows them: one entry per code, naming every
// restricted summoner.
std::vector<Api::EligibilityRestriction> MergeRestrictions(
    const std::vector<Api::GatekeeperRestrictionDto>& restrictions,
    const std::vector<Api::Queue>& queues, const Api::PartyDto& party) {
  std::vector<Api::EligibilityRestriction> merged;
  for (const Api::GatekeeperRestrictionDto& restriction : restrictions) {
    Api::EligibilityRestriction mapped =
        EligibilityRules::MapGatekeeperReason(restriction, queues, party);
    if (IsLeftOut(mapped.restrictionCode)) continue;
    const auto same = std::find_if(merged.begin(), merged.end(),
                                   [&mapped](const Api::EligibilityRestriction& entry) {
                                     return entry.restrictionCode == mapped.restrictionCode;
                                   });
    if (!mapped.summonerIds.empty() && same != merged.end()) {
      same->summonerIds.push_back(mapped.summonerIds.front());
    } else {
      merged.push_back(std::move(mapped));
    }
  }
  return merged;
}

// A full team starts only when everyone is ready and, where positions are chosen, has chosen.
bool FullTeamCovered(const std::vector<Api::PartyMemberDto>& members, bool showPositions) {
  return std::all_of(members.begin(), members.end(), [showPositions](const auto& member) {
    if (!member.ready.value_or(false)) return false;
    if (!showPositions) return true;
    const std::vector<std::string>& positions = member.metadata.positionPref;
    return !positions.empty() && !positions[0].empty() && positions[0] != kPositionUnselected;
  });
}

// The autofill entry of `queueId` copied into the local participant.
void ApplyAutofill(Api::LobbyParticipantDto& participant, const Api::AutoFillDto& autofill,
                   std::int32_t queueId) {
  for (const Api::AutoFillQueueDto& entry : autofill.autoFillQueues) {
    if (entry.queueId != queueId) continue;
    participant.autoFillEligible = entry.autoFillEligible;
    participant.autoFillProtectedForStreaking = entry.autoFillProtectedForStreaking;
    participant.autoFillProtectedForPromos = entry.autoFillProtectedForPromos;
    return;
  }
}

}  // namespace

bool IsPartyMemberRole(Role role) { return role == Role::LEADER || role == Role::MEMBER; }

bool IsListedPartyRole(Role role) { return role != Role::NONE; }

Api::LobbyDto MakePartyLobbyView(const Api::PartyDto& party, const PartyViewContext& context) {
  Api::LobbyDto lobby;
  std::vector<Api::PartyMemberDto> members;
  AddPartyPlayers(lobby, members, party, context);
  lobby.partyId = party.partyId;
  lobby.chatRoomId = party.chat.jid;
  if (context.showPartyType) lobby.partyType = party.partyType;
  lobby.gameConfig = MakePartyGameConfig(context.queue, party.gameMode.queueId, members.size());
  ApplyPartyRestrictions(lobby, members, party, context.queues);
  ApplyPositionCoverage(lobby, members, context.queue.showPositionSelector);
  return lobby;
}

void AddPartyPlayers(Api::LobbyDto& lobby, std::vector<Api::PartyMemberDto>& members,
                     const Api::PartyDto& party, const PartyViewContext& context) {
  // A player the summoner plugin did not answer for is listed without a name.
  const Api::Summoner unnamed;
  for (const Api::PartyMemberDto& member : party.players) {
    const Api::Summoner* summoner = FindSummoner(context.summoners, member.summonerId);
    lobby.invitations.push_back(
        MakePartyInvitationDto(member, summoner != nullptr ? *summoner : unnamed));
    if (!IsPartyMemberRole(member.role)) continue;
    members.push_back(member);
    Api::LobbyParticipantDto participant =
        MakeParticipant(member, summoner, party.activityLocked, context.queue.showPositionSelector);
    if (member.summonerId == context.localSummonerId) {
      if (context.autofill != nullptr) {
        ApplyAutofill(participant, *context.autofill, party.gameMode.queueId);
      }
      lobby.localMember = participant;
    }
    lobby.members.push_back(std::move(participant));
  }
}

Api::LobbyGameConfigDto MakePartyGameConfig(const Api::Queue& queue, std::int32_t queueId,
                                            std::size_t memberCount) {
  Api::LobbyGameConfigDto config;
  config.gameMode = queue.gameMode;
  config.gameMutator = queue.gameMutator;
  config.mapId = queue.mapId;
  config.allowablePremadeSizes = queue.allowablePremadeSizes;
  config.showPositionSelector = queue.showPositionSelector;
  config.queueId = queueId;
  config.maxTeamSize = queue.numPlayersPerTeam;
  config.maxLobbySize = queue.maximumParticipantListSize;
  config.maxHumanPlayers = 0;
  config.premadeSizeAllowed =
      std::find(queue.allowablePremadeSizes.begin(), queue.allowablePremadeSizes.end(),
                static_cast<std::int32_t>(memberCount)) != queue.allowablePremadeSizes.end();
  config.isLobbyFull = static_cast<std::int64_t>(memberCount) >= config.maxLobbySize;
  return config;
}

void ApplyPartyRestrictions(Api::LobbyDto& lobby, const std::vector<Api::PartyMemberDto>& members,
                            const Api::PartyDto& party, const std::vector<Api::Queue>& queues) {
  if (party.eligibilityRestrictions.has_value()) {
    lobby.restrictions = MergeRestrictions(*party.eligibilityRestrictions, queues, party);
  }

  lobby.canStartActivity =
      !party.activityLocked &&
      std::all_of(members.begin(), members.end(),
                  [](const Api::PartyMemberDto& member) { return member.ready.value_or(false); });

  if (!lobby.gameConfig.premadeSizeAllowed) {
    lobby.canStartActivity = false;
    if (party.eligibilityRestrictions.has_value() && party.eligibilityRestrictions->empty() &&
        party.gameMode.queueId == kTeamSizeRestrictedQueue) {
      const auto listed =
          std::count_if(party.players.begin(), party.players.end(),
                        [](const auto& member) { return IsListedPartyRole(member.role); });
      Api::EligibilityRestriction teamSize;
      teamSize.restrictionCode = Code::TeamSizeRestriction;
      teamSize.restrictionArgs["teamSizeRestriction"] = std::to_string(listed);
      teamSize.expiredTimestamp = 0;
      lobby.restrictions->push_back(std::move(teamSize));
    }
  }
}

void ApplyPositionCoverage(Api::LobbyDto& lobby, const std::vector<Api::PartyMemberDto>& members,
                           bool showPositions) {
  const bool covered = static_cast<std::int64_t>(members.size()) == lobby.gameConfig.maxTeamSize
                           ? FullTeamCovered(members, showPositions)
                           : IsPositionCoverageMet(members, showPositions);
  if (covered) return;
  lobby.canStartActivity = false;
  for (Api::LobbyParticipantDto& participant : lobby.members) {
    participant.allowedStartActivity = false;
  }
  lobby.localMember.allowedStartActivity = false;
}

}  // namespace Zarn::Client::Lobby
