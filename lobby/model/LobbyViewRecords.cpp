#include "lobby/model/LobbyViewRecords.h"

#include "lobby/model/RecordRegistration.h"

namespace Zarn::Client::Lobby {

void RegisterType(LobbyTypeContext& context, TypeTag<Api::ReceivedInvitationGameConfigDto>) {
  using R = Api::ReceivedInvitationGameConfigDto;
  RegisterRecord<R>(context, "ReceivedInvitationGameConfigDto", Field("gameMode", &R::gameMode),
                    Field("gameMutator", &R::gameMutator), Field("queueId", &R::queueId),
                    Field("mapId", &R::mapId), Field("inviteGameType", &R::inviteGameType));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::ReceivedInvitationDto>) {
  using R = Api::ReceivedInvitationDto;
  RegisterRecord<R, 1>(
      context, "ReceivedInvitationDto", Field("invitationId", &R::invitationId),
      Field("fromSummonerId", &R::fromSummonerId), Field("state", &R::state),
      Field("timestamp", &R::timestamp), Field("fromSummonerName", &R::fromSummonerName),
      Field("canAcceptInvitation", &R::canAcceptInvitation),
      Field("restrictions", &R::restrictions), Field("gameConfig", &R::gameConfig));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyInvitationDto>) {
  using R = Api::LobbyInvitationDto;
  RegisterRecord<R>(context, "LobbyInvitationDto", Field("invitationId", &R::invitationId),
                    Field("toSummonerId", &R::toSummonerId), Field("state", &R::state),
                    Field("timestamp", &R::timestamp), Field("toSummonerName", &R::toSummonerName));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyParticipantDto>) {
  using R = Api::LobbyParticipantDto;
  RegisterRecord<R>(
      context, "LobbyParticipantDto", Field("summonerId", &R::summonerId),
      Field("summonerIconId", &R::summonerIconId), Field("summonerName", &R::summonerName),
      Field("summonerInternalName", &R::summonerInternalName), Field("puuid", &R::puuid),
      Field("summonerLevel", &R::summonerLevel),
      Field("lastSeasonHighestRank", &R::lastSeasonHighestRank),
      Field("allowedStartActivity", &R::allowedStartActivity),
      Field("allowedChangeActivity", &R::allowedChangeActivity),
      Field("allowedToggleInvite", &R::allowedToggleInvite),
      Field("allowedKickOthers", &R::allowedKickOthers),
      Field("allowedInviteOthers", &R::allowedInviteOthers), Field("isLeader", &R::isLeader),
      Field("isSpectator", &R::isSpectator), Field("teamId", &R::teamId),
      Field("firstPositionPreference", &R::firstPositionPreference),
      Field("secondPositionPreference", &R::secondPositionPreference), Field("ready", &R::ready),
      Field("showGhostedBanner", &R::showGhostedBanner),
      Field("autoFillEligible", &R::autoFillEligible),
      Field("autoFillProtectedForStreaking", &R::autoFillProtectedForStreaking),
      Field("autoFillProtectedForPromos", &R::autoFillProtectedForPromos),
      Field("autoFillProtectedForSoloing", &R::autoFillProtectedForSoloing),
      Field("isBot", &R::isBot), Field("botId", &R::botId),
      Field("botDifficulty", &R::botDifficulty), Field("botChampionId", &R::botChampionId));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyGameConfigDto>) {
  using R = Api::LobbyGameConfigDto;
  RegisterRecord<R>(
      context, "LobbyGameConfigDto", Field("gameMode", &R::gameMode),
      Field("gameMutator", &R::gameMutator), Field("mapId", &R::mapId),
      Field("queueId", &R::queueId), Field("pickType", &R::pickType),
      Field("maxTeamSize", &R::maxTeamSize), Field("maxLobbySize", &R::maxLobbySize),
      Field("maxHumanPlayers", &R::maxHumanPlayers),
      Field("allowablePremadeSizes", &R::allowablePremadeSizes),
      Field("premadeSizeAllowed", &R::premadeSizeAllowed),
      Field("isTeamBuilderManaged", &R::isTeamBuilderManaged), Field("isCustom", &R::isCustom),
      Field("showPositionSelector", &R::showPositionSelector),
      Field("isLobbyFull", &R::isLobbyFull), Field("customLobbyName", &R::customLobbyName),
      Field("customMutatorName", &R::customMutatorName), Field("customTeam100", &R::customTeam100),
      Field("customTeam200", &R::customTeam200), Field("customSpectators", &R::customSpectators),
      Field("customSpectatorPolicy", &R::customSpectatorPolicy),
      Field("customRewardsDisabledReasons", &R::customRewardsDisabledReasons));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyDto>) {
  using R = Api::LobbyDto;
  RegisterRecord<R>(context, "LobbyDto", Field("partyId", &R::partyId),
                    Field("partyType", &R::partyType), Field("members", &R::members),
                    Field("localMember", &R::localMember), Field("invitations", &R::invitations),
                    Field("canStartActivity", &R::canStartActivity),
                    Field("restrictions", &R::restrictions), Field("gameConfig", &R::gameConfig),
                    Field("chatRoomId", &R::chatRoomId), Field("chatRoomKey", &R::chatRoomKey));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyNotification>) {
  using R = Api::LobbyNotification;
  RegisterRecord<R>(context, "LobbyNotification", Field("notificationId", &R::notificationId),
                    Field("notificationReason", &R::notificationReason),
                    Field("summonerIds", &R::summonerIds), Field("timestamp", &R::timestamp));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyChangeGameDto>) {
  using R = Api::LobbyChangeGameDto;
  RegisterRecord<R>(context, "LobbyChangeGameDto", Field("queueId", &R::queueId),
                    Field("isCustom", &R::isCustom), Field("customGameLobby", &R::customGameLobby));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyStatus>) {
  using R = Api::LobbyStatus;
  RegisterRecord<R>(
      context, "LobbyStatus", Field("queueId", &R::queueId), Field("isCustom", &R::isCustom),
      Field("isPracticeTool", &R::isPracticeTool), Field("isLeader", &R::isLeader),
      Field("isSpectator", &R::isSpectator), Field("allowedPlayAgain", &R::allowedPlayAgain),
      Field("memberSummonerIds", &R::memberSummonerIds),
      Field("invitedSummonerIds", &R::invitedSummonerIds), Field("lobbyId", &R::lobbyId),
      Field("customSpectatorPolicy", &R::customSpectatorPolicy));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PlayerStatus>) {
  using R = Api::PlayerStatus;
  RegisterRecord<R>(context, "PlayerStatus", Field("currentLobbyStatus", &R::currentLobbyStatus),
                    Field("lastQueuedLobbyStatus", &R::lastQueuedLobbyStatus),
                    Field("canInviteOthersAtEog", &R::canInviteOthersAtEog));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyTimer>) {
  using R = Api::LobbyTimer;
  RegisterRecord<R>(context, "LobbyTimer", Field("enabled", &R::enabled),
                    Field("countdown", &R::countdown));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::InvitationType>) {
  using enum Api::InvitationType;
  RegisterEnum<Api::InvitationType>(context, "InvitationType",
                                    {{"invalid", invalid}, {"lobby", lobby}, {"party", party}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyMatchmakingSearchState>) {
  using enum Api::LobbyMatchmakingSearchState;
  RegisterEnum<Api::LobbyMatchmakingSearchState>(
      context, "LobbyMatchmakingSearchState",
      {{"Invalid", Invalid},
       {"AbandonedLowPriorityQueue", AbandonedLowPriorityQueue},
       {"Canceled", Canceled},
       {"Searching", Searching},
       {"Found", Found},
       {"Error", Error},
       {"ServiceError", ServiceError},
       {"ServiceShutdown", ServiceShutdown}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyMatchmakingSearchErrorResource>) {
  using R = Api::LobbyMatchmakingSearchErrorResource;
  RegisterRecord<R>(
      context, "LobbyMatchmakingSearchErrorResource", Field("id", &R::id),
      Field("errorType", &R::errorType), Field("penalizedSummonerId", &R::penalizedSummonerId),
      Field("penaltyTimeRemaining", &R::penaltyTimeRemaining), Field("message", &R::message));
}

void RegisterType(LobbyTypeContext& context,
                  TypeTag<Api::LobbyMatchmakingLowPriorityDataResource>) {
  using R = Api::LobbyMatchmakingLowPriorityDataResource;
  RegisterRecord<R>(context, "LobbyMatchmakingLowPriorityDataResource",
                    Field("penalizedSummonerIds", &R::penalizedSummonerIds),
                    Field("penaltyTime", &R::penaltyTime),
                    Field("penaltyTimeRemaining", &R::penaltyTimeRemaining),
                    Field("bustedLeaverAccessToken", &R::bustedLeaverAccessToken));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::MatchmakingSearchResource>) {
  using R = Api::MatchmakingSearchResource;
  RegisterRecord<R>(context, "LobbyMatchmakingSearchResource",
                    Field("searchState", &R::searchState),
                    Field("lowPriorityData", &R::lowPriorityData), Field("errors", &R::errors));
}

}  // namespace Zarn::Client::Lobby
