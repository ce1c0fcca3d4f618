// The legacy game platform's records: parameters and results of its calls and the messages it
// pushes. They are registered under their bare names, each with its legacy class name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/model/LobbyTypeContext.h"

namespace Zarn::Client::Lobby::LCDS {

// A change of the client's dynamic configuration.
struct LobbyClientDynamicConfigurationNotification {
  std::string configs;  // JSON text of an Api::LcdsDynamicClientConfig
  bool delta = false;
};

enum class InviteeState : std::int32_t {
  CREATOR = 0,
  PENDING = 1,
  DECLINED = 2,
  ACCEPTED = 3,
  ACCEPT_FAILED = 4,
  JOINED = 5,
  QUIT = 6,
  KICKED = 7,
  BANNED = 8,
};

enum class InvitationState : std::int32_t {
  ACTIVE = 0,
  ON_HOLD = 1,
  REVOKED = 2,
};

enum class RemovalReason : std::int32_t {
  KICKED = 0,
  DESTROYED = 1,
  PROGRESSED = 2,
};

struct Player {
  std::uint64_t summonerId = 0;
  std::string summonerName;
};

struct Member {
  std::uint64_t summonerId = 0;
  std::string summonerName;
  bool hasDelegatedInvitePower = false;
};

struct Invitee {
  std::uint64_t summonerId = 0;
  std::string summonerName;
  InviteeState inviteeState = InviteeState::CREATOR;
};

// A legacy lobby, as a call result and as a message.
struct LobbyStatus {
  std::string invitationId;
  Player owner;
  std::string chatKey;
  std::vector<Member> members;
  std::vector<Invitee> invitees;
  std::string gameMetaData;  // JSON text of an Api::LcdsGameMetaData
};

struct Inviter {
  std::uint64_t summonerId = 0;
  std::string summonerName;
  std::string previousSeasonHighestTier;
};

// An invitation received on the legacy platform.
struct InvitationRequest {
  std::string invitationId;
  Player owner;
  Inviter inviter;
  InvitationState invitationState = InvitationState::ACTIVE;
  std::string gameMetaData;  // JSON text about the game
  std::string inviteType;
  std::string invitePayload;
};

struct GameInviteBaseRuntimeException {
  std::string rootCauseClassname;  // class of the failure on the legacy platform
};

// One invitation that the legacy platform refused.
struct InviteFailed {
  std::uint64_t summonerId = 0;
  std::string summonerName;
  GameInviteBaseRuntimeException exception;
};

struct RemovedFromLobbyNotification {
  RemovalReason removalReason = RemovalReason::KICKED;
};

// The local player's invite privilege changed.
struct InvitePrivileges {
  bool canInvite = false;
};

struct GameMap {
  std::int32_t mapId = 0;
  std::string name;
  std::string displayName;
  std::string description;
  std::int32_t minCustomPlayers = 0;
  std::int32_t totalPlayers = 0;
};

// The configuration a custom (practice) game is created with.
struct PracticeGameConfig {
  std::string gameName;
  std::string gameMode;
  // Player counts unknown until the map is chosen.
  GameMap gameMap{.mapId = 0,
                  .name = {},
                  .displayName = {},
                  .description = {},
                  .minCustomPlayers = -1,
                  .totalPlayers = -1};
  std::int32_t maxNumPlayers = 0;
  std::int32_t gameTypeConfig = 0;  // id of the game type configuration
  std::string gamePassword;
  std::string allowSpectators;
  std::optional<std::string> passbackUrl;
  std::optional<std::string> passbackDataPacket;
  std::vector<std::string> gameMutators;
  std::string region;
};

struct PlayerParticipant {
  std::uint64_t summonerId = 0;
  std::string summonerName;
  std::string summonerInternalName;
  std::int32_t botSkillLevel = 0;  // bots only
};

// A bot of a legacy game.
struct BotParticipant {
  std::uint64_t summonerId = 0;
  std::string summonerName;
  std::string summonerInternalName;
  std::int32_t botSkillLevel = -1;
  std::string teamId = "100";
  // The bot's champion; kept beside the record, never sent.
  std::int32_t championId = 0;
};

// A custom (practice) game on the legacy platform.
struct GameDTO {
  std::int64_t id = 0;
  std::string name;
  std::int32_t mapId = 0;
  std::int32_t gameTypeConfigId = 0;
  std::string gameType;
  std::string gameMode;
  std::int32_t maxNumPlayers = 0;
  std::string spectatorsAllowed;
  PlayerParticipant ownerSummary{
      .summonerId = 0, .summonerName = {}, .summonerInternalName = {}, .botSkillLevel = -1};
  std::vector<PlayerParticipant> teamOne;
  std::vector<PlayerParticipant> teamTwo;
  std::vector<PlayerParticipant> observers;
  std::vector<std::string> practiceGameRewardsDisabledReasons;
  std::vector<std::string> gameMutators;
  std::string roomName;
  std::string roomPassword;
  std::string passbackUrl;
  std::string passbackDataPacket;
  std::int64_t optimisticLock = 0;  // version of the game record
  std::string gameState;
};

struct Summoner {
  std::uint64_t sumId = 0;
  std::string name;
};

struct FailedJoinPlayer {
  Summoner summoner;
  std::string reasonFailed;
};

// The result of starting champion select in a custom game.
struct StartChampSelectDto {
  std::vector<FailedJoinPlayer> invalidPlayers;
};

struct GameNotification {
  std::string type;
  std::string messageCode;
  std::string messageArgument;
};

// One custom game of the legacy platform's game list.
struct PracticeGameSearchResult {
  std::uint64_t id = 0;
  std::string name;
  PlayerParticipant owner;
  std::int32_t maxNumPlayers = 0;
  bool privateGame = false;
  std::int32_t team1Count = 0;
  std::int32_t team2Count = 0;
  std::int32_t spectatorCount = 0;
  GameMap gameMap;
  std::int32_t gameMapId = 0;
  std::string gameMode;
  std::string pickType;
  std::string allowSpectators;
};

}  // namespace Zarn::Client::Lobby::LCDS

ZARN_LOBBY_LCDS_RECORD(LobbyClientDynamicConfigurationNotification);
ZARN_LOBBY_LCDS_ENUM(InviteeState);
ZARN_LOBBY_LCDS_ENUM(InvitationState);
ZARN_LOBBY_LCDS_ENUM(RemovalReason);
ZARN_LOBBY_LCDS_RECORD(Player);
ZARN_LOBBY_LCDS_RECORD(Member);
ZARN_LOBBY_LCDS_RECORD(Invitee);
ZARN_LOBBY_LCDS_RECORD(LobbyStatus);
ZARN_LOBBY_LCDS_RECORD(Inviter);
ZARN_LOBBY_LCDS_RECORD(InvitationRequest);
ZARN_LOBBY_LCDS_RECORD(GameInviteBaseRuntimeException);
ZARN_LOBBY_LCDS_RECORD(InviteFailed);
ZARN_LOBBY_LCDS_RECORD(RemovedFromLobbyNotification);
ZARN_LOBBY_LCDS_RECORD(InvitePrivileges);
ZARN_LOBBY_LCDS_RECORD(GameMap);
ZARN_LOBBY_LCDS_RECORD(PracticeGameConfig);
ZARN_LOBBY_LCDS_RECORD(PlayerParticipant);
ZARN_LOBBY_LCDS_RECORD(BotParticipant);
ZARN_LOBBY_LCDS_RECORD(GameDTO);
ZARN_LOBBY_LCDS_RECORD(Summoner);
ZARN_LOBBY_LCDS_RECORD(FailedJoinPlayer);
ZARN_LOBBY_LCDS_RECORD(StartChampSelectDto);
ZARN_LOBBY_LCDS_RECORD(GameNotification);
ZARN_LOBBY_LCDS_RECORD(PracticeGameSearchResult);
