#include "lobby/model/LobbyRecords.h"

#include "lobby/model/RecordRegistration.h"

namespace Zarn::Client::Lobby {

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyLastQueuedMember>) {
  using R = Api::LobbyLastQueuedMember;
  RegisterRecord<R>(context, "LobbyLastQueuedMember", Field("id", &R::id));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyLastQueuedLobby>) {
  using R = Api::LobbyLastQueuedLobby;
  RegisterRecord<R>(context, "LobbyLastQueuedLobby", Field("queueId", &R::queueId),
                    Field("wasOwner", &R::wasOwner), Field("canPlayAgain", &R::canPlayAgain),
                    Field("members", &R::members));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyPartyRewardType>) {
  using enum Api::LobbyPartyRewardType;
  RegisterEnum<Api::LobbyPartyRewardType>(context, "LobbyPartyRewardType",
                                          {{"Ip", Ip}, {"Icon", Icon}, {"None", None}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartyReward>) {
  using R = Api::PartyReward;
  RegisterRecord<R>(context, "PartyReward", Field("premadeSize", &R::premadeSize),
                    Field("type", &R::type), Field("value", &R::value));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyPartyRewards>) {
  using R = Api::LobbyPartyRewards;
  RegisterRecord<R>(context, "LobbyPartyRewards", Field("isEnabled", &R::isEnabled),
                    Field("queueId", &R::queueId), Field("isCustom", &R::isCustom),
                    Field("partyRewards", &R::partyRewards));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyPositionPreferences>) {
  using R = Api::LobbyPositionPreferences;
  RegisterRecord<R>(context, "LobbyPositionPreferences",
                    Field("firstPreference", &R::firstPreference),
                    Field("secondPreference", &R::secondPreference));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyBotDifficulty>) {
  using enum Api::LobbyBotDifficulty;
  RegisterEnum<Api::LobbyBotDifficulty>(context, "LobbyBotDifficulty",
                                        {{"NONE", NONE},
                                         {"EASY", EASY},
                                         {"MEDIUM", MEDIUM},
                                         {"HARD", HARD},
                                         {"UBER", UBER},
                                         {"TUTORIAL", TUTORIAL},
                                         {"INTRO", INTRO}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyBotParams>) {
  using R = Api::LobbyBotParams;
  RegisterRecord<R>(context, "LobbyBotParams", Field("championId", &R::championId),
                    Field("botDifficulty", &R::botDifficulty), Field("teamId", &R::teamId));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyBotChampion>) {
  using R = Api::LobbyBotChampion;
  RegisterRecord<R>(context, "LobbyBotChampion", Field("active", &R::active), Field("id", &R::id),
                    Field("name", &R::name), Field("botDifficulties", &R::botDifficulties));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyInvitationState>) {
  using enum Api::LobbyInvitationState;
  RegisterEnum<Api::LobbyInvitationState>(context, "LobbyInvitationState",
                                          {{"Requested", Requested},
                                           {"Pending", Pending},
                                           {"Accepted", Accepted},
                                           {"Joined", Joined},
                                           {"Declined", Declined},
                                           {"Kicked", Kicked},
                                           {"OnHold", OnHold},
                                           {"Error", Error}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyInvitation>) {
  using R = Api::LobbyInvitation;
  RegisterRecord<R>(
      context, "LobbyInvitation", Field("id", &R::id), Field("fromSummonerId", &R::fromSummonerId),
      Field("toSummonerId", &R::toSummonerId), Field("state", &R::state),
      Field("errorType", &R::errorType), Field("timestamp", &R::timestamp),
      Field("invitationMetaData", &R::invitationMetaData), Field("eligibility", &R::eligibility),
      Field("fromSummonerName", &R::fromSummonerName), Field("toSummonerName", &R::toSummonerName));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyCustomGameConfiguration>) {
  using R = Api::LobbyCustomGameConfiguration;
  RegisterRecord<R>(context, "LobbyCustomGameConfiguration", Field("mapId", &R::mapId),
                    Field("gameMode", &R::gameMode), Field("gameMutator", &R::gameMutator),
                    Field("mutators", &R::mutators), Field("gameTypeConfig", &R::gameTypeConfig),
                    Field("spectatorPolicy", &R::spectatorPolicy), Field("teamSize", &R::teamSize),
                    Field("maxPlayerCount", &R::maxPlayerCount),
                    Field("tournamentGameMode", &R::tournamentGameMode),
                    Field("tournamentPassbackUrl", &R::tournamentPassbackUrl),
                    Field("tournamentPassbackDataPacket", &R::tournamentPassbackDataPacket),
                    Field("gameServerRegion", &R::gameServerRegion));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyCustomGame>) {
  using R = Api::LobbyCustomGame;
  RegisterRecord<R>(context, "LobbyCustomGame", Field("id", &R::id),
                    Field("gameType", &R::gameType), Field("mapId", &R::mapId),
                    Field("ownerSummonerName", &R::ownerSummonerName),
                    Field("spectatorPolicy", &R::spectatorPolicy),
                    Field("filledSpectatorSlots", &R::filledSpectatorSlots),
                    Field("maxSpectatorSlots", &R::maxSpectatorSlots),
                    Field("filledPlayerSlots", &R::filledPlayerSlots),
                    Field("maxPlayerSlots", &R::maxPlayerSlots), Field("lobbyName", &R::lobbyName),
                    Field("hasPassword", &R::hasPassword), Field("passbackUrl", &R::passbackUrl));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyCustomJoinParameters>) {
  using R = Api::LobbyCustomJoinParameters;
  RegisterRecord<R>(context, "LobbyCustomJoinParameters", Field("password", &R::password),
                    Field("asSpectator", &R::asSpectator));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyCustomFailedPlayer>) {
  using R = Api::LobbyCustomFailedPlayer;
  RegisterRecord<R>(context, "LobbyCustomFailedPlayer", Field("summonerId", &R::summonerId),
                    Field("summonerName", &R::summonerName), Field("reason", &R::reason));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyCustomChampSelectStartResponse>) {
  using R = Api::LobbyCustomChampSelectStartResponse;
  RegisterRecord<R>(context, "LobbyCustomChampSelectStartResponse", Field("success", &R::success),
                    Field("failedPlayers", &R::failedPlayers));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyRemovedFromGameReason>) {
  using enum Api::LobbyRemovedFromGameReason;
  RegisterEnum<Api::LobbyRemovedFromGameReason>(context, "LobbyRemovedFromGameReason",
                                                {{"None", None},
                                                 {"Kicked", Kicked},
                                                 {"Disbanded", Disbanded},
                                                 {"Left", Left},
                                                 {"ServiceError", ServiceError},
                                                 {"Other", Other},
                                                 {"Timeout", Timeout},
                                                 {"GameStartError", GameStartError},
                                                 {"ServiceShutdown", ServiceShutdown}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyMember>) {
  using R = Api::LobbyMember;
  RegisterRecord<R>(context, "LobbyMember", Field("id", &R::id), Field("isOwner", &R::isOwner),
                    Field("isSpectator", &R::isSpectator),
                    Field("canInviteOthers", &R::canInviteOthers),
                    Field("positionPreferences", &R::positionPreferences),
                    Field("excludedPositionPreference", &R::excludedPositionPreference),
                    Field("summonerInternalName", &R::summonerInternalName),
                    Field("showPositionExcluder", &R::showPositionExcluder),
                    Field("autoFillEligible", &R::autoFillEligible),
                    Field("autoFillProtectedForStreaking", &R::autoFillProtectedForStreaking),
                    Field("autoFillProtectedForPromos", &R::autoFillProtectedForPromos),
                    Field("autoFillProtectedForSoloing", &R::autoFillProtectedForSoloing),
                    Field("isBot", &R::isBot), Field("botDifficulty", &R::botDifficulty),
                    Field("botChampionId", &R::botChampionId));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyCustomGameLobby>) {
  using R = Api::LobbyCustomGameLobby;
  RegisterRecord<R>(
      context, "LobbyCustomGameLobby", Field("lobbyName", &R::lobbyName),
      Field("lobbyPassword", &R::lobbyPassword), Field("configuration", &R::configuration),
      Field("teamOne", &R::teamOne), Field("teamTwo", &R::teamTwo),
      Field("spectators", &R::spectators),
      Field("practiceGameRewardsDisabledReasons", &R::practiceGameRewardsDisabledReasons),
      Field("gameId", &R::gameId));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::Lobby>) {
  using R = Api::Lobby;
  RegisterRecord<R>(context, "Lobby", Field("queueId", &R::queueId), Field("mapId", &R::mapId),
                    Field("gameMode", &R::gameMode), Field("invitationId", &R::invitationId),
                    Field("chatRoomId", &R::chatRoomId), Field("chatRoomKey", &R::chatRoomKey),
                    Field("members", &R::members), Field("localMember", &R::localMember),
                    Field("invitations", &R::invitations), Field("wasKicked", &R::wasKicked),
                    Field("removalReason", &R::removalReason),
                    Field("canStartMatchmaking", &R::canStartMatchmaking),
                    Field("showPositionSelector", &R::showPositionSelector),
                    Field("showPositionExcluder", &R::showPositionExcluder),
                    Field("specifiablePositionPreferences", &R::specifiablePositionPreferences),
                    Field("autoFillEligible", &R::autoFillEligible),
                    Field("customGameLobby", &R::customGameLobby), Field("isCustom", &R::isCustom),
                    Field("autoFillProtectedForStreaking", &R::autoFillProtectedForStreaking),
                    Field("autoFillProtectedForPromos", &R::autoFillProtectedForPromos),
                    Field("isTeamBuilderManaged", &R::isTeamBuilderManaged),
                    Field("maximumParticipantListSize", &R::maximumParticipantListSize),
                    Field("premadeSizeAllowed", &R::premadeSizeAllowed),
                    Field("requiredPositionCoverageMet", &R::requiredPositionCoverageMet),
                    Field("allowablePremadeSizes", &R::allowablePremadeSizes),
                    Field("queueAvailability", &R::queueAvailability));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LobbyChangeQueue>) {
  using R = Api::LobbyChangeQueue;
  RegisterRecord<R>(context, "LobbyChangeQueue", Field("queueId", &R::queueId),
                    Field("isCustom", &R::isCustom), Field("customGameLobby", &R::customGameLobby));
}

}  // namespace Zarn::Client::Lobby
