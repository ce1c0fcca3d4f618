// The records exchanged with the parties service and its messaging: players, parties, the bodies
// the plugin sends, the notification envelope and the party presence shared through chat. The
// service leaves many members out; those are optional and written as null when unset.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/model/LobbyTypeContext.h"
#include "sdk/binding/KeyedMap.h"
#include "sdk/binding/TypeId.h"

namespace Zarn::Client::Lobby::Api {

enum class PartyMemberRoleEnum : std::int32_t {
  LEADER = 0,
  MEMBER = 1,
  INVITED = 2,
  HOLD = 3,
  KICKED = 4,
  DECLINED = 5,
  NONE = 6,
};

// The game mode of a party; also the body that sets it.
struct GameModeDto {
  std::string gameType;
  std::int32_t maxPartySize = 0;
  std::optional<std::string> botDifficulty;  // set for bot games
  std::int32_t queueId = 0;
};

struct PartyChatDto {
  std::string jid;  // chat room address
};

// What a member tells the party about itself; also the body that sets it.
struct PartyMemberMetadataDto {
  std::vector<std::string> positionPref;  // first, then second
};

// One player of a party, in any role.
struct PartyMemberDto {
  std::string platformId;
  std::string puuid;
  std::uint64_t accountId = 0;
  std::uint64_t summonerId = 0;
  std::string partyId;
  PartyMemberRoleEnum role = PartyMemberRoleEnum::LEADER;
  std::optional<GameModeDto> gameMode;
  std::optional<bool> ready;
  PartyMemberMetadataDto metadata;
  std::optional<std::uint64_t> invitedBySummonerId;  // invitees only
  std::optional<std::uint64_t> inviteTimestamp;      // invitees only
  std::optional<bool> canInvite;
};

struct PremadeMemberDto {
  std::string displayName;
  std::string puuid;
  std::string partyId;
  std::uint64_t summonerId = 0;
  PartyMemberRoleEnum role = PartyMemberRoleEnum::LEADER;
};

// The premade party of the comms resource.
struct PremadePartyDto {
  std::string partyId;
  KeyedMap<PremadeMemberDto> players;  // by puuid
};

// A restriction the service's gatekeeper places on a player for a queue.
struct GatekeeperRestrictionDto {
  std::uint64_t accountId = 0;
  std::string reason;
  std::int64_t remainingMillis = 0;
  std::string payload;
  std::int32_t queueId = 0;
};

struct QueueRestrictionDto {
  std::vector<GatekeeperRestrictionDto> gatekeeperRestrictions;
};

// A party as the service holds it.
struct PartyDto {
  std::string partyId;
  std::string platformId;
  std::vector<PartyMemberDto> players;
  PartyChatDto chat;
  std::int32_t maxPartySize = 0;
  std::string partyType;
  GameModeDto gameMode;
  bool activityLocked = false;  // locked for matchmaking
  std::uint64_t version = 0;
  std::uint64_t activityStartedUtcMillis = 0;
  std::uint64_t activityResumeUtcMillis = 0;
  QueueRestrictionDto activeRestrictions;
  std::int64_t eligibilityHash = 0;
  std::optional<std::vector<GatekeeperRestrictionDto>> eligibilityRestrictions;
};

// The player as the service holds it: the registration body and reply, and the payload of the
// service's replies about the player.
struct PlayerDto {
  std::string puuid;
  std::string platformId;
  std::uint64_t accountId = 0;
  std::uint64_t summonerId = 0;
  std::int64_t eligibilityHash = 0;
  std::int64_t serverUtcMillis = 0;
  std::optional<std::string> accountToken;
  std::optional<std::string> leaguesToken;
  std::optional<std::string> inventoryToken;
  std::optional<std::string> summonerToken;
  std::optional<std::vector<PartyMemberDto>> parties;  // the player's memberships
  std::optional<PartyDto> currentParty;
  std::uint64_t createdAt = 0;
  std::uint64_t version = 0;
};

// Registered only: nothing takes or gives it.
struct PlayerCollectionDto {
  std::vector<PlayerDto> players;
};

// Registered only: nothing takes or gives it.
struct PartyInviteDto {
  std::string partyId;
  Long32 partyVersion;
  std::string state;
  std::string invitedByPuuid;
  GameModeDto gameMode;
};

// The payload of a parties notification: the player, the queue restrictions, or both.
struct PartyNotificationEnvelopeDto {
  std::optional<PlayerDto> player;
  std::optional<QueueRestrictionDto> queueRestriction;
};

// Registered only: nothing takes or gives it.
struct ReadyDto {
  bool ready = false;
};

// A message of the messaging service.
struct ZarnMessagingServiceMessage {
  std::string resource;
  std::string service;
  std::string version;
  std::int64_t timestamp = 0;
  std::string payload;  // JSON text of a PartyNotificationEnvelopeDto
};

// How an update of the player arrived.
enum class PlayerUpdateType : std::int32_t {
  None = 0,
  Direct = 1,
  ServiceProxy = 2,
  ZMS = 3,
};

// The local player's chat resource.
struct UserResource {
  std::uint64_t summonerId = 0;
  KeyedMap<std::string> jyx;  // the product's chat data
};

// A player's party presence, carried as JSON text in the chat data.
struct PartyPresenceData {
  std::string partyId;
  std::int32_t queueId = 0;
  std::vector<std::uint64_t> summoners;
};

}  // namespace Zarn::Client::Lobby::Api

ZARN_LOBBY_API_ENUM(PartyMemberRoleEnum);
ZARN_LOBBY_API_RECORD(GameModeDto);
ZARN_LOBBY_API_RECORD(PartyChatDto);
ZARN_LOBBY_API_RECORD(PartyMemberMetadataDto);
ZARN_LOBBY_API_RECORD(PartyMemberDto);
ZARN_LOBBY_API_RECORD(PremadeMemberDto);
ZARN_LOBBY_API_RECORD(PremadePartyDto);
ZARN_LOBBY_API_RECORD(GatekeeperRestrictionDto);
ZARN_LOBBY_API_RECORD(QueueRestrictionDto);
ZARN_LOBBY_API_RECORD(PartyDto);
ZARN_LOBBY_API_RECORD(PlayerDto);
ZARN_LOBBY_API_RECORD(PlayerCollectionDto);
ZARN_LOBBY_API_RECORD(PartyInviteDto);
ZARN_LOBBY_API_RECORD(PartyNotificationEnvelopeDto);
ZARN_LOBBY_API_RECORD(ReadyDto);
ZARN_LOBBY_API_RECORD(ZarnMessagingServiceMessage);
ZARN_LOBBY_API_ENUM(PlayerUpdateType);
ZARN_LOBBY_API_RECORD(UserResource);
ZARN_LOBBY_API_RECORD(PartyPresenceData);
