// Queue definitions of the game-queues plugin and a player's eligibility for a queue.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/model/LobbyTypeContext.h"
#include "sdk/binding/KeyedMap.h"

namespace Zarn::Client::Lobby::Api {

// Why a player may not play a queue.
enum class EligibilityRestrictionCode : std::int32_t {
  QueueDisabled = 0,
  QueueUnsupported = 1,
  PlayerLevelRestriction = 2,
  PlayerTimedRestriction = 3,
  PlayerBannedRestriction = 4,
  PlayerAvailableChampionRestriction = 5,
  TeamDivisionRestriction = 6,
  TeamMaxSizeRestriction = 7,
  TeamMinSizeRestriction = 8,
  PlayerBingeRestriction = 9,
  PlayerDodgeRestriction = 10,
  PlayerInGameRestriction = 11,
  PlayerLeaverBustedRestriction = 12,
  PlayerLeaverTaintedWarningRestriction = 13,
  PlayerMaxLevelRestriction = 14,
  PlayerMinLevelRestriction = 15,
  PlayerMinorRestriction = 16,
  PlayerRankedSuspensionRestriction = 17,
  TeamHighMMRMaxSizeRestriction = 18,
  TeamSizeRestriction = 19,
  PrerequisiteQueuesNotPlayedRestriction = 20,
  UnknownRestriction = 21,
};

struct EligibilityRestriction {
  // A restriction built by hand without a code is the unsupported-queue one, not code 0.
  EligibilityRestrictionCode restrictionCode = EligibilityRestrictionCode::QueueUnsupported;
  // Keys depend on the code.
  KeyedMap<std::string> restrictionArgs;
  std::uint64_t expiredTimestamp = 0;
  // The players the restriction is about.
  std::vector<std::uint64_t> summonerIds;
};

struct Eligibility {
  std::int32_t queueId = 0;
  bool eligible = false;
  std::vector<EligibilityRestriction> restrictions;
};

enum class QueueGameCategory : std::int32_t {
  None = 0,
  Custom = 1,
  PvP = 2,
  VersusAi = 3,
};

enum class QueueAvailability : std::int32_t {
  Available = 0,
  PlatformDisabled = 1,
  DoesntMeetRequirements = 2,
};

// What playing a queue earns.
struct QueueReward {
  bool isIpEnabled = false;
  bool isXpEnabled = false;
  bool isChampionPointsEnabled = false;
  std::vector<std::int32_t> partySizeIpRewards;
};

// Picking and banning rules of a queue.
struct QueueGameTypeConfig {
  std::int64_t id = 0;
  std::string name;
  std::int32_t maxAllowableBans = 0;
  bool allowTrades = false;
  bool exclusivePick = false;
  bool duplicatePick = false;
  bool teamChampionPool = false;
  bool crossTeamChampionPool = false;
  bool advancedLearningQuests = false;
  bool battleBoost = false;
  bool deathMatch = false;
  bool doNotRemove = false;
  bool learningQuests = false;
  bool onboardCoopBeginner = false;
  bool reroll = false;
  std::int32_t mainPickTimerDuration = 0;
  std::int32_t postPickTimerDuration = 0;
  std::int32_t banTimerDuration = 0;
  std::string pickMode;
  std::string banMode;
  std::optional<std::string> gameModeOverride;
  std::optional<std::int32_t> numPlayersPerTeamOverride;
};

// One queue of the game-queues plugin.
struct Queue {
  std::int32_t id = -1;
  std::int32_t mapId = 0;
  std::string name;
  std::string shortName;
  std::string description;
  std::string detailedDescription;
  std::string type;
  std::string gameMode;
  std::string gameMutator;
  std::string assetMutator;
  QueueGameCategory category = QueueGameCategory::None;
  QueueGameTypeConfig gameTypeConfig;
  std::int32_t numPlayersPerTeam = 0;
  std::int32_t minimumParticipantListSize = 0;
  std::int32_t maximumParticipantListSize = 0;
  std::uint32_t minLevel = 0;
  std::uint32_t maxSummonerLevelForFirstWinOfTheDay = 0;
  bool isRanked = false;
  bool isTeamOnly = false;
  bool areFreeChampionsAllowed = false;
  bool isTeamBuilderManaged = false;
  QueueAvailability queueAvailability = QueueAvailability::Available;
  QueueReward queueRewards;
  bool spectatorEnabled = false;
  std::vector<std::int32_t> allowablePremadeSizes;
  bool showPositionSelector = false;
  std::uint32_t championsRequiredToPlay = 0;
};

// Who may watch a custom game.
enum class QueueCustomGameSpectatorPolicy : std::int32_t {
  NotAllowed = 0,
  LobbyAllowed = 1,
  FriendsAllowed = 2,
  AllAllowed = 3,
};

// The custom-game queue as the game-queues plugin reports it.
struct QueueCustomGame {
  QueueAvailability queueAvailability = QueueAvailability::Available;
};

}  // namespace Zarn::Client::Lobby::Api

ZARN_LOBBY_API_ENUM(EligibilityRestrictionCode);
ZARN_LOBBY_API_RECORD(EligibilityRestriction);
ZARN_LOBBY_API_RECORD(Eligibility);
ZARN_LOBBY_API_ENUM(QueueGameCategory);
ZARN_LOBBY_API_ENUM(QueueAvailability);
ZARN_LOBBY_API_RECORD(QueueReward);
ZARN_LOBBY_API_RECORD(QueueGameTypeConfig);
ZARN_LOBBY_API_RECORD(Queue);
ZARN_LOBBY_API_ENUM(QueueCustomGameSpectatorPolicy);
ZARN_LOBBY_API_RECORD(QueueCustomGame);
