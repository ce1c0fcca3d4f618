#include "lobby/model/LcdsRecords.h"

#include "lobby/model/LegacyClassNames.h"
#include "lobby/model/RecordRegistration.h"

#define ZARN_GAME_INVITE "com.zarnworks.platform.gameinvite.contract."
#define ZARN_GAME "com.zarnworks.platform.game."

namespace Zarn::Client::Lobby {
namespace {

template <typename T>
void EnterLcdsClass(LobbyTypeContext& context, const char* typeName, const char* className) {
  if (context.lcdsClassByType != nullptr) (*context.lcdsClassByType)[typeName] = className;
  if (context.lcdsClassByTypeId != nullptr) {
    (*context.lcdsClassByTypeId)[TypeId<T>().id] = className;
  }
}

// Enters the record's legacy class, then registers it; the context carries no prefix or tags.
template <typename Record, std::size_t kOffWire = 0, typename... Members>
void RegisterLcdsRecord(LobbyTypeContext& context, const char* typeName, const char* className,
                        FieldSpec<Record, Members>... fields) {
  EnterLcdsClass<Record>(context, typeName, className);
  RegisterRecord<Record, kOffWire>(context, typeName, fields...);
}

template <typename Enum>
void RegisterLcdsEnum(LobbyTypeContext& context, const char* typeName, const char* className,
                      std::initializer_list<EnumSpec<Enum>> values) {
  EnterLcdsClass<Enum>(context, typeName, className);
  RegisterEnum<Enum>(context, typeName, values);
}

}  // namespace

void RegisterType(LobbyTypeContext& context,
                  TypeTag<LCDS::LobbyClientDynamicConfigurationNotification>) {
  using R = LCDS::LobbyClientDynamicConfigurationNotification;
  RegisterLcdsRecord<R>(context, "LobbyClientDynamicConfigurationNotification",
                        kDynamicConfigurationClass, Field("configs", &R::configs),
                        Field("delta", &R::delta));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::InviteeState>) {
  using enum LCDS::InviteeState;
  RegisterLcdsEnum<LCDS::InviteeState>(context, "LcdsInviteeState", ZARN_GAME_INVITE "InviteeState",
                                       {{"CREATOR", CREATOR},
                                        {"PENDING", PENDING},
                                        {"DECLINED", DECLINED},
                                        {"ACCEPTED", ACCEPTED},
                                        {"ACCEPT_FAILED", ACCEPT_FAILED},
                                        {"JOINED", JOINED},
                                        {"QUIT", QUIT},
                                        {"KICKED", KICKED},
                                        {"BANNED", BANNED}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::InvitationState>) {
  using enum LCDS::InvitationState;
  RegisterLcdsEnum<LCDS::InvitationState>(
      context, "LcdsInvitationState", ZARN_GAME_INVITE "InvitationState",
      {{"ACTIVE", ACTIVE}, {"ON_HOLD", ON_HOLD}, {"REVOKED", REVOKED}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::RemovalReason>) {
  using enum LCDS::RemovalReason;
  RegisterLcdsEnum<LCDS::RemovalReason>(
      context, "LcdsRemovalReason", ZARN_GAME_INVITE "RemovalReason",
      {{"KICKED", KICKED}, {"DESTROYED", DESTROYED}, {"PROGRESSED", PROGRESSED}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::Player>) {
  using R = LCDS::Player;
  RegisterLcdsRecord<R>(context, "LcdsPlayer", ZARN_GAME_INVITE "Player",
                        Field("summonerId", &R::summonerId),
                        Field("summonerName", &R::summonerName));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::Member>) {
  using R = LCDS::Member;
  RegisterLcdsRecord<R>(context, "LcdsMember", ZARN_GAME_INVITE "Member",
                        Field("summonerId", &R::summonerId),
                        Field("summonerName", &R::summonerName),
                        Field("hasDelegatedInvitePower", &R::hasDelegatedInvitePower));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::Invitee>) {
  using R = LCDS::Invitee;
  RegisterLcdsRecord<R>(
      context, "LcdsInvitee", ZARN_GAME_INVITE "Invitee", Field("summonerId", &R::summonerId),
      Field("summonerName", &R::summonerName), Field("inviteeState", &R::inviteeState));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::LobbyStatus>) {
  using R = LCDS::LobbyStatus;
  RegisterLcdsRecord<R>(context, "LcdsLobbyStatus", kLobbyStatusClass,
                        Field("invitationId", &R::invitationId), Field("owner", &R::owner),
                        Field("chatKey", &R::chatKey), Field("members", &R::members),
                        Field("invitees", &R::invitees), Field("gameMetaData", &R::gameMetaData));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::Inviter>) {
  using R = LCDS::Inviter;
  RegisterLcdsRecord<R>(context, "LcdsInviter", ZARN_GAME_INVITE "Inviter",
                        Field("summonerId", &R::summonerId),
                        Field("summonerName", &R::summonerName),
                        Field("previousSeasonHighestTier", &R::previousSeasonHighestTier));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::InvitationRequest>) {
  using R = LCDS::InvitationRequest;
  RegisterLcdsRecord<R>(
      context, "LcdsInvitationRequest", kInvitationRequestClass,
      Field("invitationId", &R::invitationId), Field("owner", &R::owner),
      Field("inviter", &R::inviter), Field("invitationState", &R::invitationState),
      Field("gameMetaData", &R::gameMetaData), Field("inviteType", &R::inviteType),
      Field("invitePayload", &R::invitePayload));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::GameInviteBaseRuntimeException>) {
  using R = LCDS::GameInviteBaseRuntimeException;
  RegisterLcdsRecord<R>(context, "LcdsGameInviteBaseRuntimeException",
                        ZARN_GAME_INVITE "error.GameInvitationBaseRuntimeException",
                        Field("rootCauseClassname", &R::rootCauseClassname));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::InviteFailed>) {
  using R = LCDS::InviteFailed;
  RegisterLcdsRecord<R>(context, "LcdsInviteFailed", ZARN_GAME_INVITE "InviteFailed",
                        Field("summonerId", &R::summonerId),
                        Field("summonerName", &R::summonerName), Field("exception", &R::exception));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::RemovedFromLobbyNotification>) {
  using R = LCDS::RemovedFromLobbyNotification;
  RegisterLcdsRecord<R>(context, "LcdsRemovedFromLobbyNotification", kRemovedFromLobbyClass,
                        Field("removalReason", &R::removalReason));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::InvitePrivileges>) {
  using R = LCDS::InvitePrivileges;
  RegisterLcdsRecord<R>(context, "LcdsInvitePrivileges", kInvitePrivilegesClass,
                        Field("canInvite", &R::canInvite));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::GameMap>) {
  using R = LCDS::GameMap;
  RegisterLcdsRecord<R>(context, "LcdsGameMap", ZARN_GAME "map.GameMap", Field("mapId", &R::mapId),
                        Field("name", &R::name), Field("displayName", &R::displayName),
                        Field("description", &R::description),
                        Field("minCustomPlayers", &R::minCustomPlayers),
                        Field("totalPlayers", &R::totalPlayers));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::PracticeGameConfig>) {
  using R = LCDS::PracticeGameConfig;
  RegisterLcdsRecord<R>(
      context, "LcdsPracticeGameConfig", ZARN_GAME "PracticeGameConfig",
      Field("gameName", &R::gameName), Field("gameMode", &R::gameMode),
      Field("gameMap", &R::gameMap), Field("maxNumPlayers", &R::maxNumPlayers),
      Field("gameTypeConfig", &R::gameTypeConfig), Field("gamePassword", &R::gamePassword),
      Field("allowSpectators", &R::allowSpectators), Field("passbackUrl", &R::passbackUrl),
      Field("passbackDataPacket", &R::passbackDataPacket), Field("gameMutators", &R::gameMutators),
      Field("region", &R::region));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::PlayerParticipant>) {
  using R = LCDS::PlayerParticipant;
  RegisterLcdsRecord<R>(context, "LcdsPlayerParticipant", ZARN_GAME "PlayerParticipant",
                        Field("summonerId", &R::summonerId),
                        Field("summonerName", &R::summonerName),
                        Field("summonerInternalName", &R::summonerInternalName),
                        Field("botSkillLevel", &R::botSkillLevel));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::BotParticipant>) {
  using R = LCDS::BotParticipant;
  // championId stays off the wire.
  RegisterLcdsRecord<R, 1>(context, "LcdsBotParticipant", ZARN_GAME "BotParticipant",
                           Field("summonerId", &R::summonerId),
                           Field("summonerName", &R::summonerName),
                           Field("summonerInternalName", &R::summonerInternalName),
                           Field("botSkillLevel", &R::botSkillLevel), Field("teamId", &R::teamId));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::GameDTO>) {
  using R = LCDS::GameDTO;
  RegisterLcdsRecord<R>(
      context, "LcdsGameDTO", kGameDtoClass, Field("id", &R::id), Field("name", &R::name),
      Field("mapId", &R::mapId), Field("gameTypeConfigId", &R::gameTypeConfigId),
      Field("gameType", &R::gameType), Field("gameMode", &R::gameMode),
      Field("maxNumPlayers", &R::maxNumPlayers), Field("spectatorsAllowed", &R::spectatorsAllowed),
      Field("ownerSummary", &R::ownerSummary), Field("teamOne", &R::teamOne),
      Field("teamTwo", &R::teamTwo), Field("observers", &R::observers),
      Field("practiceGameRewardsDisabledReasons", &R::practiceGameRewardsDisabledReasons),
      Field("gameMutators", &R::gameMutators), Field("roomName", &R::roomName),
      Field("roomPassword", &R::roomPassword), Field("passbackUrl", &R::passbackUrl),
      Field("passbackDataPacket", &R::passbackDataPacket),
      Field("optimisticLock", &R::optimisticLock), Field("gameState", &R::gameState));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::Summoner>) {
  using R = LCDS::Summoner;
  RegisterLcdsRecord<R>(context, "LcdsSummoner", "com.zarnworks.platform.summoner.Summoner",
                        Field("sumId", &R::sumId), Field("name", &R::name));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::FailedJoinPlayer>) {
  using R = LCDS::FailedJoinPlayer;
  RegisterLcdsRecord<R>(context, "LcdsFailedJoinPlayer", ZARN_GAME "FailedJoinPlayer",
                        Field("summoner", &R::summoner), Field("reasonFailed", &R::reasonFailed));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::StartChampSelectDto>) {
  using R = LCDS::StartChampSelectDto;
  RegisterLcdsRecord<R>(context, "LcdsStartChampSelectDto", ZARN_GAME "StartChampSelectDTO",
                        Field("invalidPlayers", &R::invalidPlayers));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::GameNotification>) {
  using R = LCDS::GameNotification;
  RegisterLcdsRecord<R>(context, "LcdsGameNotification", kGameNotificationClass,
                        Field("type", &R::type), Field("messageCode", &R::messageCode),
                        Field("messageArgument", &R::messageArgument));
}

void RegisterType(LobbyTypeContext& context, TypeTag<LCDS::PracticeGameSearchResult>) {
  using R = LCDS::PracticeGameSearchResult;
  RegisterLcdsRecord<R>(
      context, "LcdsPracticeGameSearchResult", ZARN_GAME "practice.PracticeGameSearchResult",
      Field("id", &R::id), Field("name", &R::name), Field("owner", &R::owner),
      Field("maxNumPlayers", &R::maxNumPlayers), Field("privateGame", &R::privateGame),
      Field("team1Count", &R::team1Count), Field("team2Count", &R::team2Count),
      Field("spectatorCount", &R::spectatorCount), Field("gameMap", &R::gameMap),
      Field("gameMapId", &R::gameMapId), Field("gameMode", &R::gameMode),
      Field("pickType", &R::pickType), Field("allowSpectators", &R::allowSpectators));
}

}  // namespace Zarn::Client::Lobby
