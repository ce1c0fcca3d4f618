// The payloads of the lobby's telemetry events. Each begins with its identifying keys, then
// the four common keys "platformId", "eventType", "eventData" and "eventTimestamp", then the
// event's own keys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/model/LobbyTypeContext.h"
#include "sdk/binding/BindingProperty.h"

namespace Zarn::Client::Lobby::Api {

// Sent as "parties-friend-availability".
struct FriendAvailabilityAnalytics {
  std::string puuid;
  std::uint64_t summonerId = 0;
  std::string platformId;
  std::string eventType;
  BindingProperty eventData;
  std::uint64_t eventTimestamp = 0;
  std::uint32_t numFriends = 0;
  std::uint32_t numFriendsOnline = 0;
  std::uint32_t numFriendsAvailable = 0;
  std::uint32_t numFriendsAway = 0;
  std::uint32_t numFriendsInGame = 0;
  std::uint32_t numFriendsMobile = 0;
};

// Sent as "parties-premade-relationship".
struct PremadeRelationshipAnalytics {
  std::string puuid;
  std::uint64_t summonerId = 0;
  std::string platformId;
  std::string eventType;
  BindingProperty eventData;
  std::uint64_t eventTimestamp = 0;
  std::vector<std::string> premadePlayers;
  std::vector<std::string> friendPlayers;
};

// One player of a party invitation event.
struct PartiesInvitationPlayerAnalytics {
  std::string puuid;
  std::uint64_t summonerId = 0;
  std::string role;
};

// Sent as "parties-invitations".
struct PartiesInvitationAnalytics {
  std::string partyId;
  std::string platformId;
  std::string eventType;
  BindingProperty eventData;
  std::uint64_t eventTimestamp = 0;
  std::vector<PartiesInvitationPlayerAnalytics> players;
};

// Sent as "parties-open-party-join".
struct JoinPartyAnalytics {
  std::string partyId;
  std::string platformId;
  std::string eventType;
  BindingProperty eventData;
  std::uint64_t eventTimestamp = 0;
  std::int32_t numOpenParties = 0;
  std::int32_t numPartyInvites = 0;
  std::int32_t numOtherInvites = 0;
  std::int32_t numTotalInvites = 0;
  std::int32_t numFriendsOnline = 0;
  std::int32_t partySize = 0;
  std::string gameMode;
};

// Sent as "parties-open-party-toggle": a series of toggles between open and closed.
struct OpenPartyToggleAnalytics {
  std::string partyId;
  std::string platformId;
  std::string eventType;
  BindingProperty eventData;
  std::uint64_t eventTimestamp = 0;
  std::string playerId;
  std::string initialState;
  std::string finalState;
  std::int32_t numOfToggles = 0;
  std::uint64_t startTimestamp = 0;
  std::uint64_t endTimestamp = 0;
  std::uint64_t elapsedTime = 0;
  std::string endTransition;
  std::string gameMode;
};

// Sent as "parties-invitation".
struct PartyInviteAnalytics {
  std::string partyId;
  std::string platformId;
  std::string eventType;
  BindingProperty eventData;
  std::uint64_t eventTimestamp = 0;
  std::uint64_t fromSummonerId = 0;
  std::uint64_t toSummonerId = 0;
  std::string partyType;
  std::string gameMode;
};

}  // namespace Zarn::Client::Lobby::Api

ZARN_LOBBY_API_RECORD(FriendAvailabilityAnalytics);
ZARN_LOBBY_API_RECORD(PremadeRelationshipAnalytics);
ZARN_LOBBY_API_RECORD(PartiesInvitationPlayerAnalytics);
ZARN_LOBBY_API_RECORD(PartiesInvitationAnalytics);
ZARN_LOBBY_API_RECORD(JoinPartyAnalytics);
ZARN_LOBBY_API_RECORD(OpenPartyToggleAnalytics);
ZARN_LOBBY_API_RECORD(PartyInviteAnalytics);
