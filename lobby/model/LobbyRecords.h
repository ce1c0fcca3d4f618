// The records of the version 1 lobby API: the lobby with its members and invitations, custom
// games, bots, party rewards and the lobby last queued from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/model/LobbyTypeContext.h"
#include "lobby/model/QueueRecords.h"
#include "sdk/binding/BindingProperty.h"

namespace Zarn::Client::Lobby::Api {

// One member of the lobby in which the player last entered matchmaking.
struct LobbyLastQueuedMember {
  std::uint64_t id = 0;  // summoner id
};

// The lobby in which the player last entered matchmaking, kept for play again.
struct LobbyLastQueuedLobby {
  std::int32_t queueId = 0;
  bool wasOwner = false;
  bool canPlayAgain = false;
  std::vector<LobbyLastQueuedMember> members;
};

enum class LobbyPartyRewardType : std::int32_t {
  Ip = 1,
  Icon = 2,
  None = 9999,
};

// One reward for playing in a party of a given size.
struct PartyReward {
  std::int32_t premadeSize = 0;
  // 0 names no reward type; it is written as the number.
  LobbyPartyRewardType type{};
  std::string value;
};

struct LobbyPartyRewards {
  bool isEnabled = false;
  std::int32_t queueId = 0;
  bool isCustom = false;
  std::vector<PartyReward> partyRewards;
};

struct LobbyPositionPreferences {
  std::string firstPreference;
  std::string secondPreference;
};

enum class LobbyBotDifficulty : std::int32_t {
  NONE = -1,
  EASY = 0,
  MEDIUM = 1,
  HARD = 2,
  UBER = 3,
  TUTORIAL = 4,
  INTRO = 5,
};

// The body that adds or changes a custom game bot; a key left out keeps the value here.
struct LobbyBotParams {
  std::int32_t championId = 0;
  LobbyBotDifficulty botDifficulty = LobbyBotDifficulty::NONE;
  std::string teamId = "100";
};

// A champion that bots may play, with the difficulties offered for it.
struct LobbyBotChampion {
  bool active = false;
  std::int32_t id = 0;
  std::string name;
  std::vector<LobbyBotDifficulty> botDifficulties;
};

enum class LobbyInvitationState : std::int32_t {
  Requested = 0,
  Pending = 1,
  Accepted = 2,
  Joined = 3,
  Declined = 4,
  Kicked = 5,
  OnHold = 6,
  Error = 7,
};

// An invitation sent from the lobby.
struct LobbyInvitation {
  std::string id;
  std::uint64_t fromSummonerId = 0;
  std::uint64_t toSummonerId = 0;
  LobbyInvitationState state = LobbyInvitationState::Pending;
  std::string errorType;
  std::string timestamp;
  // Free-form data that travels with the invitation.
  BindingProperty invitationMetaData;
  // The invitee's eligibility counts as given until the queue says otherwise.
  Eligibility eligibility = [] {
    Eligibility unchecked;
    unchecked.queueId = -1;
    unchecked.eligible = true;
    return unchecked;
  }();
  std::string fromSummonerName;
  std::string toSummonerName;
};

struct LobbyCustomGameConfiguration {
  std::int32_t mapId = 0;
  std::string gameMode;
  std::string gameMutator;
  // The game type configuration of the chosen mutator.
  QueueGameTypeConfig mutators;
  QueueGameTypeConfig gameTypeConfig;
  QueueCustomGameSpectatorPolicy spectatorPolicy = QueueCustomGameSpectatorPolicy::NotAllowed;
  std::int32_t teamSize = 0;
  std::uint32_t maxPlayerCount = 0;
  std::string tournamentGameMode;
  std::string tournamentPassbackUrl;
  std::string tournamentPassbackDataPacket;
  std::string gameServerRegion;
};

// One custom game of the list of custom games.
struct LobbyCustomGame {
  std::uint64_t id = 0;  // legacy platform game id
  std::string gameType;
  std::int32_t mapId = 0;
  std::string ownerSummonerName;
  std::string spectatorPolicy;
  std::int32_t filledSpectatorSlots = 0;
  std::uint64_t maxSpectatorSlots = 0;
  std::int32_t filledPlayerSlots = 0;
  std::int32_t maxPlayerSlots = 0;
  std::string lobbyName;
  bool hasPassword = false;
  std::string passbackUrl;
};

// The body that joins a custom game.
struct LobbyCustomJoinParameters {
  std::optional<std::string> password;  // unset when the game has none
  std::optional<bool> asSpectator;      // unset joins as a player
};

// A player who kept a custom game from entering champion select.
struct LobbyCustomFailedPlayer {
  std::uint64_t summonerId = 0;
  std::string summonerName;
  std::string reason;
};

struct LobbyCustomChampSelectStartResponse {
  bool success = false;
  std::vector<LobbyCustomFailedPlayer> failedPlayers;
};

// Why the local player is no longer in the lobby.
enum class LobbyRemovedFromGameReason : std::int32_t {
  None = 0,
  Kicked = 1,
  Disbanded = 2,
  Left = 3,
  ServiceError = 4,
  Other = 5,
  Timeout = 6,
  GameStartError = 7,
  ServiceShutdown = 8,
};

// One member of the lobby, human or bot.
struct LobbyMember {
  std::uint64_t id = 0;  // summoner id
  bool isOwner = false;
  bool isSpectator = false;
  bool canInviteOthers = false;
  LobbyPositionPreferences positionPreferences;
  std::optional<std::string> excludedPositionPreference;  // unset when none
  std::string summonerInternalName;
  bool showPositionExcluder = false;
  bool autoFillEligible = false;
  bool autoFillProtectedForStreaking = false;
  bool autoFillProtectedForPromos = false;
  bool autoFillProtectedForSoloing = false;
  bool isBot = false;
  LobbyBotDifficulty botDifficulty = LobbyBotDifficulty::NONE;  // bots only
  std::int32_t botChampionId = 0;                               // bots only
};

// The custom game part of a lobby, and of a request to create one.
struct LobbyCustomGameLobby {
  std::string lobbyName;
  std::string lobbyPassword;
  // Open to every spectator unless the creator says otherwise.
  LobbyCustomGameConfiguration configuration = [] {
    LobbyCustomGameConfiguration open;
    open.spectatorPolicy = QueueCustomGameSpectatorPolicy::AllAllowed;
    return open;
  }();
  std::vector<LobbyMember> teamOne;
  std::vector<LobbyMember> teamTwo;
  std::vector<LobbyMember> spectators;
  std::vector<std::string> practiceGameRewardsDisabledReasons;
  std::uint64_t gameId = 0;  // legacy platform game id
};

// The version 1 lobby resource.
struct Lobby {
  std::int32_t queueId = -1;  // no queue
  std::int32_t mapId = 0;
  std::string gameMode;
  std::string invitationId;  // legacy platform invitation id
  std::string chatRoomId;
  std::string chatRoomKey;
  std::vector<LobbyMember> members;  // the local player included
  LobbyMember localMember;
  std::vector<LobbyInvitation> invitations;
  bool wasKicked = false;
  LobbyRemovedFromGameReason removalReason = LobbyRemovedFromGameReason::None;
  // A new lobby may start matchmaking until its controller says otherwise.
  bool canStartMatchmaking = true;
  bool showPositionSelector = false;
  bool showPositionExcluder = false;
  std::vector<std::string> specifiablePositionPreferences;
  bool autoFillEligible = false;
  std::optional<LobbyCustomGameLobby> customGameLobby;  // custom games only
  bool isCustom = false;
  bool autoFillProtectedForStreaking = false;
  bool autoFillProtectedForPromos = false;
  bool isTeamBuilderManaged = false;
  std::uint32_t maximumParticipantListSize = 0;
  bool premadeSizeAllowed = true;
  bool requiredPositionCoverageMet = true;
  std::vector<std::int32_t> allowablePremadeSizes;
  QueueAvailability queueAvailability = QueueAvailability::Available;
};

// Registered for the description of types only; the same keys as the v2 change body.
struct LobbyChangeQueue {
  std::int32_t queueId = 0;
  bool isCustom = false;
  std::optional<LobbyCustomGameLobby> customGameLobby;
};

}  // namespace Zarn::Client::Lobby::Api

ZARN_LOBBY_API_RECORD(LobbyLastQueuedMember);
ZARN_LOBBY_API_RECORD(LobbyLastQueuedLobby);
ZARN_LOBBY_API_ENUM(LobbyPartyRewardType);
ZARN_LOBBY_API_RECORD(PartyReward);
ZARN_LOBBY_API_RECORD(LobbyPartyRewards);
ZARN_LOBBY_API_RECORD(LobbyPositionPreferences);
ZARN_LOBBY_API_ENUM(LobbyBotDifficulty);
ZARN_LOBBY_API_RECORD(LobbyBotParams);
ZARN_LOBBY_API_RECORD(LobbyBotChampion);
ZARN_LOBBY_API_ENUM(LobbyInvitationState);
ZARN_LOBBY_API_RECORD(LobbyInvitation);
ZARN_LOBBY_API_RECORD(LobbyCustomGameConfiguration);
ZARN_LOBBY_API_RECORD(LobbyCustomGame);
ZARN_LOBBY_API_RECORD(LobbyCustomJoinParameters);
ZARN_LOBBY_API_RECORD(LobbyCustomFailedPlayer);
ZARN_LOBBY_API_RECORD(LobbyCustomChampSelectStartResponse);
ZARN_LOBBY_API_ENUM(LobbyRemovedFromGameReason);
ZARN_LOBBY_API_RECORD(LobbyMember);
ZARN_LOBBY_API_RECORD(LobbyCustomGameLobby);
ZARN_LOBBY_API_RECORD(Lobby);
ZARN_LOBBY_API_RECORD(LobbyChangeQueue);
