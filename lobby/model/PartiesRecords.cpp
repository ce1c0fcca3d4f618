#include "lobby/model/PartiesRecords.h"

#include "lobby/model/RecordRegistration.h"

namespace Zarn::Client::Lobby {

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartyMemberRoleEnum>) {
  using enum Api::PartyMemberRoleEnum;
  RegisterEnum<Api::PartyMemberRoleEnum>(context, "PartyMemberRoleEnum",
                                         {{"LEADER", LEADER},
                                          {"MEMBER", MEMBER},
                                          {"INVITED", INVITED},
                                          {"HOLD", HOLD},
                                          {"KICKED", KICKED},
                                          {"DECLINED", DECLINED},
                                          {"NONE", NONE}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::GameModeDto>) {
  using R = Api::GameModeDto;
  RegisterRecord<R>(context, "GameModeDto", Field("gameType", &R::gameType),
                    Field("maxPartySize", &R::maxPartySize),
                    Field("botDifficulty", &R::botDifficulty), Field("queueId", &R::queueId));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartyChatDto>) {
  using R = Api::PartyChatDto;
  RegisterRecord<R>(context, "PartyChatDto", Field("jid", &R::jid));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartyMemberMetadataDto>) {
  using R = Api::PartyMemberMetadataDto;
  RegisterRecord<R>(context, "PartyMemberMetadataDto", Field("positionPref", &R::positionPref));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartyMemberDto>) {
  using R = Api::PartyMemberDto;
  RegisterRecord<R>(
      context, "PartyMemberDto", Field("platformId", &R::platformId), Field("puuid", &R::puuid),
      Field("accountId", &R::accountId), Field("summonerId", &R::summonerId),
      Field("partyId", &R::partyId), Field("role", &R::role), Field("gameMode", &R::gameMode),
      Field("ready", &R::ready), Field("metadata", &R::metadata),
      Field("invitedBySummonerId", &R::invitedBySummonerId),
      Field("inviteTimestamp", &R::inviteTimestamp), Field("canInvite", &R::canInvite));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PremadeMemberDto>) {
  using R = Api::PremadeMemberDto;
  RegisterRecord<R>(context, "PremadeMemberDto", Field("displayName", &R::displayName),
                    Field("puuid", &R::puuid), Field("partyId", &R::partyId),
                    Field("summonerId", &R::summonerId), Field("role", &R::role));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PremadePartyDto>) {
  using R = Api::PremadePartyDto;
  RegisterRecord<R>(context, "PremadePartyDto", Field("partyId", &R::partyId),
                    Field("players", &R::players));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::GatekeeperRestrictionDto>) {
  using R = Api::GatekeeperRestrictionDto;
  RegisterRecord<R>(context, "GatekeeperRestrictionDto", Field("accountId", &R::accountId),
                    Field("reason", &R::reason), Field("remainingMillis", &R::remainingMillis),
                    Field("payload", &R::payload), Field("queueId", &R::queueId));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::QueueRestrictionDto>) {
  using R = Api::QueueRestrictionDto;
  RegisterRecord<R>(context, "QueueRestrictionDto",
                    Field("gatekeeperRestrictions", &R::gatekeeperRestrictions));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartyDto>) {
  using R = Api::PartyDto;
  RegisterRecord<R>(context, "PartyDto", Field("partyId", &R::partyId),
                    Field("platformId", &R::platformId), Field("players", &R::players),
                    Field("chat", &R::chat), Field("maxPartySize", &R::maxPartySize),
                    Field("partyType", &R::partyType), Field("gameMode", &R::gameMode),
                    Field("activityLocked", &R::activityLocked), Field("version", &R::version),
                    Field("activityStartedUtcMillis", &R::activityStartedUtcMillis),
                    Field("activityResumeUtcMillis", &R::activityResumeUtcMillis),
                    Field("activeRestrictions", &R::activeRestrictions),
                    Field("eligibilityHash", &R::eligibilityHash),
                    Field("eligibilityRestrictions", &R::eligibilityRestrictions));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PlayerDto>) {
  using R = Api::PlayerDto;
  RegisterRecord<R>(
      context, "PlayerDto", Field("puuid", &R::puuid), Field("platformId", &R::platformId),
      Field("accountId", &R::accountId), Field("summonerId", &R::summonerId),
      Field("eligibilityHash", &R::eligibilityHash), Field("serverUtcMillis", &R::serverUtcMillis),
      Field("accountToken", &R::accountToken), Field("leaguesToken", &R::leaguesToken),
      Field("inventoryToken", &R::inventoryToken), Field("summonerToken", &R::summonerToken),
      Field("parties", &R::parties), Field("currentParty", &R::currentParty),
      Field("createdAt", &R::createdAt), Field("version", &R::version));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PlayerCollectionDto>) {
  using R = Api::PlayerCollectionDto;
  RegisterRecord<R>(context, "PlayerCollectionDto", Field("players", &R::players));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartyInviteDto>) {
  using R = Api::PartyInviteDto;
  RegisterRecord<R>(context, "PartyInviteDto", Field("partyId", &R::partyId),
                    Field("partyVersion", &R::partyVersion), Field("state", &R::state),
                    Field("invitedByPuuid", &R::invitedByPuuid), Field("gameMode", &R::gameMode));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartyNotificationEnvelopeDto>) {
  using R = Api::PartyNotificationEnvelopeDto;
  RegisterRecord<R>(context, "PartyNotificationEnvelopeDto", Field("player", &R::player),
                    Field("queueRestriction", &R::queueRestriction));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::ReadyDto>) {
  using R = Api::ReadyDto;
  RegisterRecord<R>(context, "ReadyDto", Field("ready", &R::ready));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::ZarnMessagingServiceMessage>) {
  using R = Api::ZarnMessagingServiceMessage;
  RegisterRecord<R>(context, "ZarnMessagingServiceMessage", Field("resource", &R::resource),
                    Field("service", &R::service), Field("version", &R::version),
                    Field("timestamp", &R::timestamp), Field("payload", &R::payload));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PlayerUpdateType>) {
  using enum Api::PlayerUpdateType;
  RegisterEnum<Api::PlayerUpdateType>(
      context, "PlayerUpdateType",
      {{"None", None}, {"Direct", Direct}, {"ServiceProxy", ServiceProxy}, {"ZMS", ZMS}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::UserResource>) {
  using R = Api::UserResource;
  RegisterRecord<R>(context, "UserResource", Field("summonerId", &R::summonerId),
                    Field("jyx", &R::jyx));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartyPresenceData>) {
  using R = Api::PartyPresenceData;
  RegisterRecord<R>(context, "PartyPresenceData", Field("partyId", &R::partyId),
                    Field("queueId", &R::queueId), Field("summoners", &R::summoners));
}

}  // namespace Zarn::Client::Lobby
