// The records of the version 2 lobby API, the view the front end reads: the lobby with its
// participants, invitations and game configuration, received invitations, notifications, the
// body that creates or changes a lobby, the countdown, the matchmaking search and the lobby
// status told to the gameflow plugin.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyTypeContext.h"
#include "lobby/model/QueueRecords.h"

namespace Zarn::Client::Lobby::Api {

// The game a received invitation is for.
struct ReceivedInvitationGameConfigDto {
  std::string gameMode;
  std::string gameMutator;
  std::int32_t queueId = 0;
  std::int32_t mapId = 0;
  std::string inviteGameType;
};

// The kind of a received invitation, which picks the controller that accepts it.
enum class InvitationType : std::int32_t {
  invalid = 0,
  lobby = 1,
  party = 2,
};

// One invitation the local player received.
struct ReceivedInvitationDto {
  std::string invitationId;
  std::uint64_t fromSummonerId = 0;
  LobbyInvitationState state = LobbyInvitationState::Pending;
  std::string timestamp;
  std::string fromSummonerName;
  bool canAcceptInvitation = false;
  std::vector<EligibilityRestriction> restrictions;  // why it may not be accepted
  // No queue and no map until the invitation names them.
  ReceivedInvitationGameConfigDto gameConfig = [] {
    ReceivedInvitationGameConfigDto unnamed;
    unnamed.queueId = -1;
    unnamed.mapId = -1;
    return unnamed;
  }();
  // Kept in memory only: the JSON form does not carry it.
  InvitationType invitationType = InvitationType::invalid;
};

// One invitation sent from the lobby.
struct LobbyInvitationDto {
  std::string invitationId;
  std::uint64_t toSummonerId = 0;
  LobbyInvitationState state = LobbyInvitationState::Pending;
  std::string timestamp;
  std::string toSummonerName;
};

// One participant, human or bot, with the actions it may take.
struct LobbyParticipantDto {
  std::uint64_t summonerId = 0;
  std::int32_t summonerIconId = -1;
  std::string summonerName;
  std::string summonerInternalName;
  std::string puuid;
  std::uint32_t summonerLevel = 0;
  std::string lastSeasonHighestRank;
  bool allowedStartActivity = false;
  bool allowedChangeActivity = false;
  bool allowedToggleInvite = false;
  bool allowedKickOthers = false;
  bool allowedInviteOthers = false;
  bool isLeader = false;
  bool isSpectator = false;
  std::int32_t teamId = 0;  // custom game team
  std::string firstPositionPreference;
  std::string secondPositionPreference;
  bool ready = false;
  bool showGhostedBanner = false;
  bool autoFillEligible = false;
  bool autoFillProtectedForStreaking = false;
  bool autoFillProtectedForPromos = false;
  bool autoFillProtectedForSoloing = false;
  bool isBot = false;
  std::string botId;  // bots only
  LobbyBotDifficulty botDifficulty = LobbyBotDifficulty::NONE;
  std::int32_t botChampionId = 0;
};

// The game configuration of the view; the keys that begin with "custom" are for custom games.
struct LobbyGameConfigDto {
  std::string gameMode;
  std::string gameMutator;
  std::int32_t mapId = -1;
  std::int32_t queueId = -1;
  std::string pickType;
  std::int32_t maxTeamSize = 0;
  std::int32_t maxLobbySize = 0;
  std::int32_t maxHumanPlayers = 0;
  std::vector<std::int32_t> allowablePremadeSizes;
  bool premadeSizeAllowed = false;  // unlike the version 1 lobby
  bool isTeamBuilderManaged = false;
  bool isCustom = false;
  bool showPositionSelector = false;
  bool isLobbyFull = false;
  std::string customLobbyName;
  std::string customMutatorName;
  std::vector<LobbyParticipantDto> customTeam100;
  std::vector<LobbyParticipantDto> customTeam200;
  std::vector<LobbyParticipantDto> customSpectators;
  QueueCustomGameSpectatorPolicy customSpectatorPolicy = QueueCustomGameSpectatorPolicy::NotAllowed;
  std::vector<std::string> customRewardsDisabledReasons;
};

// The version 2 lobby resource, and the reply to creating or changing a lobby.
struct LobbyDto {
  std::string partyId;
  std::string partyType;
  std::vector<LobbyParticipantDto> members;  // the local player included
  LobbyParticipantDto localMember;
  std::vector<LobbyInvitationDto> invitations;
  bool canStartActivity = false;
  std::optional<std::vector<EligibilityRestriction>> restrictions;  // unset when none are known
  LobbyGameConfigDto gameConfig;
  std::string chatRoomId;
  std::string chatRoomKey;
};

struct LobbyNotification {
  std::string notificationId;
  std::string notificationReason;
  std::vector<std::uint64_t> summonerIds;  // the players it is about
  std::uint64_t timestamp = 0;
};

// The body that creates a lobby or changes its queue.
struct LobbyChangeGameDto {
  std::int32_t queueId = 0;
  bool isCustom = false;
  std::optional<LobbyCustomGameLobby> customGameLobby;  // custom games only
};

// One lobby as the gameflow plugin is told it.
struct LobbyStatus {
  std::int32_t queueId = -1;
  bool isCustom = false;
  bool isPracticeTool = false;
  bool isLeader = false;
  bool isSpectator = false;
  bool allowedPlayAgain = false;
  std::vector<std::uint64_t> memberSummonerIds;
  std::vector<std::uint64_t> invitedSummonerIds;
  std::optional<std::string> lobbyId;  // unset when the lobby has none
  QueueCustomGameSpectatorPolicy customSpectatorPolicy = QueueCustomGameSpectatorPolicy::NotAllowed;
};

// The player's status posted to the gameflow plugin.
struct PlayerStatus {
  std::optional<LobbyStatus> currentLobbyStatus;     // unset when in no lobby
  std::optional<LobbyStatus> lastQueuedLobbyStatus;  // unset when never queued
  bool canInviteOthersAtEog = false;
};

// The lobby's matchmaking countdown.
struct LobbyTimer {
  bool enabled = false;
  std::int64_t countdown = 0;  // remaining time
};

enum class LobbyMatchmakingSearchState : std::int32_t {
  Invalid = 0,
  AbandonedLowPriorityQueue = 1,
  Canceled = 2,
  Searching = 3,
  Found = 4,
  Error = 5,
  ServiceError = 6,
  ServiceShutdown = 7,
};

// One error of the matchmaking search.
struct LobbyMatchmakingSearchErrorResource {
  std::int32_t id = 0;
  std::string errorType;
  std::uint64_t penalizedSummonerId = 0;  // whose penalty blocks the search
  double penaltyTimeRemaining = 0;
  std::string message;
};

// The low-priority queue penalty of the search.
struct LobbyMatchmakingLowPriorityDataResource {
  std::vector<std::uint64_t> penalizedSummonerIds;
  double penaltyTime = 0;
  double penaltyTimeRemaining = 0;
  std::string bustedLeaverAccessToken;  // acknowledges the penalty
};

// The matchmaking search state, registered as "LobbyMatchmakingSearchResource".
struct MatchmakingSearchResource {
  LobbyMatchmakingSearchState searchState = LobbyMatchmakingSearchState::Invalid;
  LobbyMatchmakingLowPriorityDataResource lowPriorityData;
  std::vector<LobbyMatchmakingSearchErrorResource> errors;
};

}  // namespace Zarn::Client::Lobby::Api

ZARN_LOBBY_API_RECORD(ReceivedInvitationGameConfigDto);
ZARN_LOBBY_API_RECORD(ReceivedInvitationDto);
ZARN_LOBBY_API_RECORD(LobbyInvitationDto);
ZARN_LOBBY_API_RECORD(LobbyParticipantDto);
ZARN_LOBBY_API_RECORD(LobbyGameConfigDto);
ZARN_LOBBY_API_RECORD(LobbyDto);
ZARN_LOBBY_API_RECORD(LobbyNotification);
ZARN_LOBBY_API_RECORD(LobbyChangeGameDto);
ZARN_LOBBY_API_RECORD(LobbyStatus);
ZARN_LOBBY_API_RECORD(PlayerStatus);
ZARN_LOBBY_API_RECORD(LobbyTimer);
ZARN_LOBBY_API_ENUM(InvitationType);
ZARN_LOBBY_API_ENUM(LobbyMatchmakingSearchState);
ZARN_LOBBY_API_RECORD(LobbyMatchmakingSearchErrorResource);
ZARN_LOBBY_API_RECORD(LobbyMatchmakingLowPriorityDataResource);
ZARN_LOBBY_API_RECORD(MatchmakingSearchResource);
