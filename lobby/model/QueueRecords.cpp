#include "lobby/model/QueueRecords.h"

#include "lobby/model/RecordRegistration.h"

namespace Zarn::Client::Lobby {

void RegisterType(LobbyTypeContext& context, TypeTag<Api::EligibilityRestrictionCode>) {
  using enum Api::EligibilityRestrictionCode;
  RegisterEnum<Api::EligibilityRestrictionCode>(
      context, "EligibilityRestrictionCode",
      {{"QueueDisabled", QueueDisabled},
       {"QueueUnsupported", QueueUnsupported},
       {"PlayerLevelRestriction", PlayerLevelRestriction},
       {"PlayerTimedRestriction", PlayerTimedRestriction},
       {"PlayerBannedRestriction", PlayerBannedRestriction},
       {"PlayerAvailableChampionRestriction", PlayerAvailableChampionRestriction},
       {"TeamDivisionRestriction", TeamDivisionRestriction},
       {"TeamMaxSizeRestriction", TeamMaxSizeRestriction},
       {"TeamMinSizeRestriction", TeamMinSizeRestriction},
       {"PlayerBingeRestriction", PlayerBingeRestriction},
       {"PlayerDodgeRestriction", PlayerDodgeRestriction},
       {"PlayerInGameRestriction", PlayerInGameRestriction},
       {"PlayerLeaverBustedRestriction", PlayerLeaverBustedRestriction},
       {"PlayerLeaverTaintedWarningRestriction", PlayerLeaverTaintedWarningRestriction},
       {"PlayerMaxLevelRestriction", PlayerMaxLevelRestriction},
       {"PlayerMinLevelRestriction", PlayerMinLevelRestriction},
       {"PlayerMinorRestriction", PlayerMinorRestriction},
       {"PlayerRankedSuspensionRestriction", PlayerRankedSuspensionRestriction},
       {"TeamHighMMRMaxSizeRestriction", TeamHighMMRMaxSizeRestriction},
       {"TeamSizeRestriction", TeamSizeRestriction},
       {"PrerequisiteQueuesNotPlayedRestriction", PrerequisiteQueuesNotPlayedRestriction},
       {"UnknownRestriction", UnknownRestriction}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::EligibilityRestriction>) {
  using R = Api::EligibilityRestriction;
  RegisterRecord<R>(
      context, "EligibilityRestriction", Field("restrictionCode", &R::restrictionCode),
      Field("restrictionArgs", &R::restrictionArgs),
      Field("expiredTimestamp", &R::expiredTimestamp), Field("summonerIds", &R::summonerIds));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::Eligibility>) {
  using R = Api::Eligibility;
  RegisterRecord<R>(context, "Eligibility", Field("queueId", &R::queueId),
                    Field("eligible", &R::eligible), Field("restrictions", &R::restrictions));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::QueueGameCategory>) {
  using enum Api::QueueGameCategory;
  RegisterEnum<Api::QueueGameCategory>(
      context, "QueueGameCategory",
      {{"None", None}, {"Custom", Custom}, {"PvP", PvP}, {"VersusAi", VersusAi}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::QueueAvailability>) {
  using enum Api::QueueAvailability;
  RegisterEnum<Api::QueueAvailability>(context, "QueueAvailability",
                                       {{"Available", Available},
                                        {"PlatformDisabled", PlatformDisabled},
                                        {"DoesntMeetRequirements", DoesntMeetRequirements}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::QueueReward>) {
  using R = Api::QueueReward;
  RegisterRecord<R>(context, "QueueReward", Field("isIpEnabled", &R::isIpEnabled),
                    Field("isXpEnabled", &R::isXpEnabled),
                    Field("isChampionPointsEnabled", &R::isChampionPointsEnabled),
                    Field("partySizeIpRewards", &R::partySizeIpRewards));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::QueueGameTypeConfig>) {
  using R = Api::QueueGameTypeConfig;
  RegisterRecord<R>(
      context, "QueueGameTypeConfig", Field("id", &R::id), Field("name", &R::name),
      Field("maxAllowableBans", &R::maxAllowableBans), Field("allowTrades", &R::allowTrades),
      Field("exclusivePick", &R::exclusivePick), Field("duplicatePick", &R::duplicatePick),
      Field("teamChampionPool", &R::teamChampionPool),
      Field("crossTeamChampionPool", &R::crossTeamChampionPool),
      Field("advancedLearningQuests", &R::advancedLearningQuests),
      Field("battleBoost", &R::battleBoost), Field("deathMatch", &R::deathMatch),
      Field("doNotRemove", &R::doNotRemove), Field("learningQuests", &R::learningQuests),
      Field("onboardCoopBeginner", &R::onboardCoopBeginner), Field("reroll", &R::reroll),
      Field("mainPickTimerDuration", &R::mainPickTimerDuration),
      Field("postPickTimerDuration", &R::postPickTimerDuration),
      Field("banTimerDuration", &R::banTimerDuration), Field("pickMode", &R::pickMode),
      Field("banMode", &R::banMode), Field("gameModeOverride", &R::gameModeOverride),
      Field("numPlayersPerTeamOverride", &R::numPlayersPerTeamOverride));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::Queue>) {
  using R = Api::Queue;
  RegisterRecord<R>(
      context, "Queue", Field("id", &R::id), Field("mapId", &R::mapId), Field("name", &R::name),
      Field("shortName", &R::shortName), Field("description", &R::description),
      Field("detailedDescription", &R::detailedDescription), Field("type", &R::type),
      Field("gameMode", &R::gameMode), Field("gameMutator", &R::gameMutator),
      Field("assetMutator", &R::assetMutator), Field("category", &R::category),
      Field("gameTypeConfig", &R::gameTypeConfig),
      Field("numPlayersPerTeam", &R::numPlayersPerTeam),
      Field("minimumParticipantListSize", &R::minimumParticipantListSize),
      Field("maximumParticipantListSize", &R::maximumParticipantListSize),
      Field("minLevel", &R::minLevel),
      Field("maxSummonerLevelForFirstWinOfTheDay", &R::maxSummonerLevelForFirstWinOfTheDay),
      Field("isRanked", &R::isRanked), Field("isTeamOnly", &R::isTeamOnly),
      Field("areFreeChampionsAllowed", &R::areFreeChampionsAllowed),
      Field("isTeamBuilderManaged", &R::isTeamBuilderManaged),
      Field("queueAvailability", &R::queueAvailability), Field("queueRewards", &R::queueRewards),
      Field("spectatorEnabled", &R::spectatorEnabled),
      Field("allowablePremadeSizes", &R::allowablePremadeSizes),
      Field("showPositionSelector", &R::showPositionSelector),
      Field("championsRequiredToPlay", &R::championsRequiredToPlay));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::QueueCustomGameSpectatorPolicy>) {
  using enum Api::QueueCustomGameSpectatorPolicy;
  RegisterEnum<Api::QueueCustomGameSpectatorPolicy>(context, "QueueCustomGameSpectatorPolicy",
                                                    {{"NotAllowed", NotAllowed},
                                                     {"LobbyAllowed", LobbyAllowed},
                                                     {"FriendsAllowed", FriendsAllowed},
                                                     {"AllAllowed", AllAllowed}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::QueueCustomGame>) {
  using R = Api::QueueCustomGame;
  RegisterRecord<R>(context, "QueueCustomGame", Field("queueAvailability", &R::queueAvailability));
}

}  // namespace Zarn::Client::Lobby
