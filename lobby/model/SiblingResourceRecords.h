// The resources of sibling plugins that the lobby reads: only the keys it uses are registered,
// so other keys of those resources are ignored on reading.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/model/LobbyTypeContext.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/KeyedMap.h"

namespace Zarn::Client::Lobby::Api {

// Registered in this order, which is not the order of the numbers.
enum class LoginSessionStates : std::int32_t {
  IN_PROGRESS = 0,
  ERROR = 3,
  SUCCEEDED = 1,
  LOGGING_OUT = 2,
};

// The login plugin's session.
struct LoginSession {
  LoginSessionStates state = LoginSessionStates::IN_PROGRESS;
  std::string username;
  std::string userAuthToken;
  BindingProperty gasToken;  // kept as given
  std::uint64_t accountId = 0;
  std::uint64_t summonerId = 0;
  std::string idToken;
  std::string puuid;
  bool isNewPlayer = false;
  bool connected = false;  // the legacy platform connection is up
};

enum class GameflowPhase : std::int32_t {
  None = 0,
  Lobby = 1,
  Matchmaking = 2,
  CheckedIntoTournament = 3,
  ReadyCheck = 4,
  ChampSelect = 5,
  GameStart = 6,
  FailedToLaunch = 7,
  InProgress = 8,
  Reconnect = 9,
  WaitingForStats = 10,
  PreEndOfGame = 11,
  EndOfGame = 12,
  TerminatedInError = 13,
};

// The gameflow plugin sends the character codes of "0", "1" and "2".
enum class MatchmakingDodgeState : std::int32_t {
  Invalid = 48,
  PartyDodged = 49,
  StrangerDodged = 50,
};

struct GameflowGameClient {
  bool running = false;
};

// Whether a ready check was dodged, and by whom.
struct GameflowGameDodge {
  // 0 names no state; it is written as the number.
  MatchmakingDodgeState state{};
  std::vector<std::uint64_t> dodgeIds;  // summoner ids of the players who dodged
  GameflowPhase phase = GameflowPhase::None;
};

// The gameflow plugin's session.
struct GameflowSession {
  GameflowPhase phase = GameflowPhase::None;
  GameflowGameClient gameClient;
  GameflowGameDodge gameDodge;
};

// One champion of the summoner's minimal champion inventory.
struct CollectionsChampion {
  bool active = false;
  bool botEnabled = false;
  std::int32_t id = 0;
  std::string name;
};

struct Summoner {
  std::uint64_t summonerId = 0;
  std::uint32_t summonerLevel = 0;
  std::uint64_t accountId = 0;
  std::string puuid;
  std::int32_t profileIconId = -1;
  std::string displayName;
  std::string internalName;  // the legacy platform's internal form of the name
  std::string lastSeasonHighestRank;
};

// One entry of the game data's champion summary.
struct GameDataChampionSummary {
  std::int32_t id = 0;
  std::string alias;
};

// The team builder's lobby countdown.
struct TeamBuilderCountdownTimer {
  std::string phaseName;
  std::int64_t timer = 0;
  std::int32_t counter = 0;
};

// One player blocked in chat.
struct ChatBlockedPlayerResource {
  std::uint64_t id = 0;
  std::string name;
};

// The player's auto-fill state for one queue.
struct AutoFillQueueDto {
  std::int32_t queueId = 0;
  bool autoFillEligible = false;
  bool autoFillProtectedForStreaking = false;
  bool autoFillProtectedForPromos = false;
};

struct AutoFillDto {
  std::vector<AutoFillQueueDto> autoFillQueues;
};

// The summoner's playable champion counts.
struct ChampCounts {
  std::uint32_t championsOwned = 0;
  std::uint32_t championsRented = 0;
  std::uint32_t championsFreeToPlay = 0;
  std::uint32_t championsFreeToPlayReward = 0;
};

// One league of the summoner.
struct League {
  std::string queueType;
  std::string leagueTier;
};

struct ChatFriendCounts {
  std::uint32_t numFriends = 0;
  std::uint32_t numFriendsOnline = 0;
  std::uint32_t numFriendsAvailable = 0;
  std::uint32_t numFriendsAway = 0;
  std::uint32_t numFriendsInQueue = 0;
  std::uint32_t numFriendsInChampSelect = 0;
  std::uint32_t numFriendsInGame = 0;
  std::uint32_t numFriendsMobile = 0;
};

// One chat friend.
struct ChatFriend {
  std::uint64_t summonerId = 0;
  // The product's chat data; its key "pty" holds the friend's party presence as JSON text.
  KeyedMap<std::string> jyx;
};

}  // namespace Zarn::Client::Lobby::Api

ZARN_LOBBY_API_ENUM(LoginSessionStates);
ZARN_LOBBY_API_RECORD(LoginSession);
ZARN_LOBBY_API_ENUM(GameflowPhase);
ZARN_LOBBY_API_ENUM(MatchmakingDodgeState);
ZARN_LOBBY_API_RECORD(GameflowGameClient);
ZARN_LOBBY_API_RECORD(GameflowGameDodge);
ZARN_LOBBY_API_RECORD(GameflowSession);
ZARN_LOBBY_API_RECORD(CollectionsChampion);
ZARN_LOBBY_API_RECORD(Summoner);
ZARN_LOBBY_API_RECORD(GameDataChampionSummary);
ZARN_LOBBY_API_RECORD(TeamBuilderCountdownTimer);
ZARN_LOBBY_API_RECORD(ChatBlockedPlayerResource);
ZARN_LOBBY_API_RECORD(AutoFillQueueDto);
ZARN_LOBBY_API_RECORD(AutoFillDto);
ZARN_LOBBY_API_RECORD(ChampCounts);
ZARN_LOBBY_API_RECORD(League);
ZARN_LOBBY_API_RECORD(ChatFriendCounts);
ZARN_LOBBY_API_RECORD(ChatFriend);
