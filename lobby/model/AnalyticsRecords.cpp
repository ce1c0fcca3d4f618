#include "lobby/model/AnalyticsRecords.h"

#include "lobby/model/RecordRegistration.h"

namespace Zarn::Client::Lobby {

void RegisterType(LobbyTypeContext& context, TypeTag<Api::FriendAvailabilityAnalytics>) {
  using R = Api::FriendAvailabilityAnalytics;
  RegisterRecord<R>(
      context, "FriendAvailabilityAnalytics", Field("puuid", &R::puuid),
      Field("summonerId", &R::summonerId), Field("platformId", &R::platformId),
      Field("eventType", &R::eventType), Field("eventData", &R::eventData),
      Field("eventTimestamp", &R::eventTimestamp), Field("numFriends", &R::numFriends),
      Field("numFriendsOnline", &R::numFriendsOnline),
      Field("numFriendsAvailable", &R::numFriendsAvailable),
      Field("numFriendsAway", &R::numFriendsAway), Field("numFriendsInGame", &R::numFriendsInGame),
      Field("numFriendsMobile", &R::numFriendsMobile));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PremadeRelationshipAnalytics>) {
  using R = Api::PremadeRelationshipAnalytics;
  RegisterRecord<R>(context, "PremadeRelationshipAnalytics", Field("puuid", &R::puuid),
                    Field("summonerId", &R::summonerId), Field("platformId", &R::platformId),
                    Field("eventType", &R::eventType), Field("eventData", &R::eventData),
                    Field("eventTimestamp", &R::eventTimestamp),
                    Field("premadePlayers", &R::premadePlayers),
                    Field("friendPlayers", &R::friendPlayers));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartiesInvitationPlayerAnalytics>) {
  using R = Api::PartiesInvitationPlayerAnalytics;
  RegisterRecord<R>(context, "PartiesInvitationPlayerAnalytics", Field("puuid", &R::puuid),
                    Field("summonerId", &R::summonerId), Field("role", &R::role));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartiesInvitationAnalytics>) {
  using R = Api::PartiesInvitationAnalytics;
  RegisterRecord<R>(context, "PartiesInvitationAnalytics", Field("partyId", &R::partyId),
                    Field("platformId", &R::platformId), Field("eventType", &R::eventType),
                    Field("eventData", &R::eventData), Field("eventTimestamp", &R::eventTimestamp),
                    Field("players", &R::players));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::JoinPartyAnalytics>) {
  using R = Api::JoinPartyAnalytics;
  RegisterRecord<R>(
      context, "JoinPartyAnalytics", Field("partyId", &R::partyId),
      Field("platformId", &R::platformId), Field("eventType", &R::eventType),
      Field("eventData", &R::eventData), Field("eventTimestamp", &R::eventTimestamp),
      Field("numOpenParties", &R::numOpenParties), Field("numPartyInvites", &R::numPartyInvites),
      Field("numOtherInvites", &R::numOtherInvites), Field("numTotalInvites", &R::numTotalInvites),
      Field("numFriendsOnline", &R::numFriendsOnline), Field("partySize", &R::partySize),
      Field("gameMode", &R::gameMode));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::OpenPartyToggleAnalytics>) {
  using R = Api::OpenPartyToggleAnalytics;
  RegisterRecord<R>(context, "OpenPartyToggleAnalytics", Field("partyId", &R::partyId),
                    Field("platformId", &R::platformId), Field("eventType", &R::eventType),
                    Field("eventData", &R::eventData), Field("eventTimestamp", &R::eventTimestamp),
                    Field("playerId", &R::playerId), Field("initialState", &R::initialState),
                    Field("finalState", &R::finalState), Field("numOfToggles", &R::numOfToggles),
                    Field("startTimestamp", &R::startTimestamp),
                    Field("endTimestamp", &R::endTimestamp), Field("elapsedTime", &R::elapsedTime),
                    Field("endTransition", &R::endTransition), Field("gameMode", &R::gameMode));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::PartyInviteAnalytics>) {
  using R = Api::PartyInviteAnalytics;
  RegisterRecord<R>(context, "PartyInviteAnalytics", Field("partyId", &R::partyId),
                    Field("platformId", &R::platformId), Field("eventType", &R::eventType),
                    Field("eventData", &R::eventData), Field("eventTimestamp", &R::eventTimestamp),
                    Field("fromSummonerId", &R::fromSummonerId),
                    Field("toSummonerId", &R::toSummonerId), Field("partyType", &R::partyType),
                    Field("gameMode", &R::gameMode));
}

}  // namespace Zarn::Client::Lobby
