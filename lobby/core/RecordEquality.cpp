#include "lobby/core/RecordEquality.h"

#include <algorithm>

namespace Zarn::Client::Lobby {

namespace {

template <class T>
bool ListsEqual(const std::vector<T>& a, const std::vector<T>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const T& left, const T& right) { return RecordsEqual(left, right); });
}

}  // namespace

bool RecordsEqual(const Api::QueueReward& a, const Api::QueueReward& b) {
  return a.isIpEnabled == b.isIpEnabled && a.isXpEnabled == b.isXpEnabled &&
         a.isChampionPointsEnabled == b.isChampionPointsEnabled &&
         a.partySizeIpRewards == b.partySizeIpRewards;
}

bool RecordsEqual(const Api::QueueGameTypeConfig& a, const Api::QueueGameTypeConfig& b) {
  return a.id == b.id && a.name == b.name && a.maxAllowableBans == b.maxAllowableBans &&
         a.allowTrades == b.allowTrades && a.exclusivePick == b.exclusivePick &&
         a.duplicatePick == b.duplicatePick && a.teamChampionPool == b.teamChampionPool &&
         a.crossTeamChampionPool == b.crossTeamChampionPool &&
         a.advancedLearningQuests == b.advancedLearningQuests && a.battleBoost == b.battleBoost &&
         a.deathMatch == b.deathMatch && a.doNotRemove == b.doNotRemove &&
         a.learningQuests == b.learningQuests && a.onboardCoopBeginner == b.onboardCoopBeginner &&
         a.reroll == b.reroll && a.mainPickTimerDuration == b.mainPickTimerDuration &&
         a.postPickTimerDuration == b.postPickTimerDuration &&
         a.banTimerDuration == b.banTimerDuration && a.pickMode == b.pickMode &&
         a.banMode == b.banMode && a.gameModeOverride == b.gameModeOverride &&
         a.numPlayersPerTeamOverride == b.numPlayersPerTeamOverride;
}

bool RecordsEqual(const Api::Queue& a, const Api::Queue& b) {
  return a.id == b.id && a.mapId == b.mapId && a.name == b.name && a.shortName == b.shortName &&
         a.description == b.description && a.detailedDescription == b.detailedDescription &&
         a.type == b.type && a.gameMode == b.gameMode && a.gameMutator == b.gameMutator &&
         a.assetMutator == b.assetMutator && a.category == b.category &&
         RecordsEqual(a.gameTypeConfig, b.gameTypeConfig) &&
         a.numPlayersPerTeam == b.numPlayersPerTeam &&
         a.minimumParticipantListSize == b.minimumParticipantListSize &&
         a.maximumParticipantListSize == b.maximumParticipantListSize && a.minLevel == b.minLevel &&
         a.maxSummonerLevelForFirstWinOfTheDay == b.maxSummonerLevelForFirstWinOfTheDay &&
         a.isRanked == b.isRanked && a.isTeamOnly == b.isTeamOnly &&
         a.areFreeChampionsAllowed == b.areFreeChampionsAllowed &&
         a.isTeamBuilderManaged == b.isTeamBuilderManaged &&
         a.queueAvailability == b.queueAvailability &&
         RecordsEqual(a.queueRewards, b.queueRewards) && a.spectatorEnabled == b.spectatorEnabled &&
         a.allowablePremadeSizes == b.allowablePremadeSizes &&
         a.showPositionSelector == b.showPositionSelector &&
         a.championsRequiredToPlay == b.championsRequiredToPlay;
}

bool RecordsEqual(const std::vector<Api::Queue>& a, const std::vector<Api::Queue>& b) {
  return ListsEqual(a, b);
}

bool RecordsEqual(const Api::LobbyParticipantDto& a, const Api::LobbyParticipantDto& b) {
  return a.summonerId == b.summonerId && a.summonerIconId == b.summonerIconId &&
         a.summonerName == b.summonerName && a.summonerInternalName == b.summonerInternalName &&
         a.puuid == b.puuid && a.summonerLevel == b.summonerLevel &&
         a.lastSeasonHighestRank == b.lastSeasonHighestRank &&
         a.allowedStartActivity == b.allowedStartActivity &&
         a.allowedChangeActivity == b.allowedChangeActivity &&
         a.allowedToggleInvite == b.allowedToggleInvite &&
         a.allowedKickOthers == b.allowedKickOthers &&
         a.allowedInviteOthers == b.allowedInviteOthers && a.isLeader == b.isLeader &&
         a.isSpectator == b.isSpectator && a.teamId == b.teamId &&
         a.firstPositionPreference == b.firstPositionPreference &&
         a.secondPositionPreference == b.secondPositionPreference && a.ready == b.ready &&
         a.showGhostedBanner == b.showGhostedBanner && a.autoFillEligible == b.autoFillEligible &&
         a.autoFillProtectedForStreaking == b.autoFillProtectedForStreaking &&
         a.autoFillProtectedForPromos == b.autoFillProtectedForPromos &&
         a.autoFillProtectedForSoloing == b.autoFillProtectedForSoloing && a.isBot == b.isBot &&
         a.botId == b.botId && a.botDifficulty == b.botDifficulty &&
         a.botChampionId == b.botChampionId;
}

bool RecordsEqual(const std::vector<Api::LobbyParticipantDto>& a,
                  const std::vector<Api::LobbyParticipantDto>& b) {
  return ListsEqual(a, b);
}

bool RecordsEqual(const Api::LobbyInvitationDto& a, const Api::LobbyInvitationDto& b) {
  return a.invitationId == b.invitationId && a.toSummonerId == b.toSummonerId &&
         a.state == b.state && a.timestamp == b.timestamp && a.toSummonerName == b.toSummonerName;
}

bool RecordsEqual(const std::vector<Api::LobbyInvitationDto>& a,
                  const std::vector<Api::LobbyInvitationDto>& b) {
  return ListsEqual(a, b);
}

bool RecordsEqual(const Api::LobbyGameConfigDto& a, const Api::LobbyGameConfigDto& b) {
  return a.gameMode == b.gameMode && a.gameMutator == b.gameMutator && a.mapId == b.mapId &&
         a.queueId == b.queueId && a.pickType == b.pickType && a.maxTeamSize == b.maxTeamSize &&
         a.maxLobbySize == b.maxLobbySize && a.maxHumanPlayers == b.maxHumanPlayers &&
         a.allowablePremadeSizes == b.allowablePremadeSizes &&
         a.premadeSizeAllowed == b.premadeSizeAllowed &&
         a.isTeamBuilderManaged == b.isTeamBuilderManaged && a.isCustom == b.isCustom &&
         a.showPositionSelector == b.showPositionSelector && a.isLobbyFull == b.isLobbyFull &&
         a.customLobbyName == b.customLobbyName && RecordsEqual(a.customTeam100, b.customTeam100) &&
         RecordsEqual(a.customTeam200, b.customTeam200) &&
         RecordsEqual(a.customSpectators, b.customSpectators) &&
         a.customSpectatorPolicy == b.customSpectatorPolicy &&
         a.customRewardsDisabledReasons == b.customRewardsDisabledReasons;
}

bool RecordsEqual(const Api::LobbyDto& a, const Api::LobbyDto& b) {
  return RecordsEqual(a.members, b.members) && a.partyId == b.partyId &&
         a.partyType == b.partyType && RecordsEqual(a.localMember, b.localMember) &&
         RecordsEqual(a.invitations, b.invitations) && a.canStartActivity == b.canStartActivity &&
         a.restrictions.has_value() == b.restrictions.has_value() &&
         (!a.restrictions.has_value() || RecordsEqual(*a.restrictions, *b.restrictions)) &&
         RecordsEqual(a.gameConfig, b.gameConfig) && a.chatRoomId == b.chatRoomId &&
         a.chatRoomKey == b.chatRoomKey;
}

bool RecordsEqual(const Api::LobbyStatus& a, const Api::LobbyStatus& b) {
  return a.queueId == b.queueId && a.isCustom == b.isCustom &&
         a.isPracticeTool == b.isPracticeTool && a.isLeader == b.isLeader &&
         a.isSpectator == b.isSpectator && a.allowedPlayAgain == b.allowedPlayAgain &&
         a.memberSummonerIds == b.memberSummonerIds &&
         a.invitedSummonerIds == b.invitedSummonerIds && a.lobbyId == b.lobbyId &&
         a.customSpectatorPolicy == b.customSpectatorPolicy;
}

bool RecordsEqual(const Api::LobbyMatchmakingLowPriorityDataResource& a,
                  const Api::LobbyMatchmakingLowPriorityDataResource& b) {
  return a.penalizedSummonerIds == b.penalizedSummonerIds && a.penaltyTime == b.penaltyTime &&
         a.penaltyTimeRemaining == b.penaltyTimeRemaining &&
         a.bustedLeaverAccessToken == b.bustedLeaverAccessToken;
}

bool RecordsEqual(const Api::LobbyMatchmakingSearchErrorResource& a,
                  const Api::LobbyMatchmakingSearchErrorResource& b) {
  return a.id == b.id && a.errorType == b.errorType &&
         a.penalizedSummonerId == b.penalizedSummonerId &&
         a.penaltyTimeRemaining == b.penaltyTimeRemaining && a.message == b.message;
}

bool RecordsEqual(const Api::MatchmakingSearchResource& a,
                  const Api::MatchmakingSearchResource& b) {
  return a.searchState == b.searchState && RecordsEqual(a.lowPriorityData, b.lowPriorityData) &&
         ListsEqual(a.errors, b.errors);
}

bool RecordsEqual(const Api::ReceivedInvitationGameConfigDto& a,
                  const Api::ReceivedInvitationGameConfigDto& b) {
  return a.gameMode == b.gameMode && a.gameMutator == b.gameMutator && a.queueId == b.queueId &&
         a.mapId == b.mapId && a.inviteGameType == b.inviteGameType;
}

bool RecordsEqual(const Api::ReceivedInvitationDto& a, const Api::ReceivedInvitationDto& b) {
  return a.invitationId == b.invitationId && a.fromSummonerId == b.fromSummonerId &&
         a.state == b.state && a.timestamp == b.timestamp &&
         a.fromSummonerName == b.fromSummonerName &&
         a.canAcceptInvitation == b.canAcceptInvitation &&
         RecordsEqual(a.restrictions, b.restrictions) && RecordsEqual(a.gameConfig, b.gameConfig) &&
         a.invitationType == b.invitationType;
}

bool RecordsEqual(const Api::EligibilityRestriction& a, const Api::EligibilityRestriction& b) {
  return a.restrictionCode == b.restrictionCode && a.restrictionArgs == b.restrictionArgs &&
         a.expiredTimestamp == b.expiredTimestamp && a.summonerIds == b.summonerIds;
}

bool RecordsEqual(const std::vector<Api::EligibilityRestriction>& a,
                  const std::vector<Api::EligibilityRestriction>& b) {
  return ListsEqual(a, b);
}

bool RecordsEqual(const Api::GatekeeperRestrictionDto& a, const Api::GatekeeperRestrictionDto& b) {
  return a.accountId == b.accountId && a.reason == b.reason &&
         a.remainingMillis == b.remainingMillis && a.payload == b.payload && a.queueId == b.queueId;
}

bool RecordsEqual(const std::vector<Api::GatekeeperRestrictionDto>& a,
                  const std::vector<Api::GatekeeperRestrictionDto>& b) {
  return ListsEqual(a, b);
}

}  // namespace Zarn::Client::Lobby
