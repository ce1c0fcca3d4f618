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

}  // namespace Zarn::Client::Lobby
