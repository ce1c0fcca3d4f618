#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/BindingTypeInfo.h"
#include "tests/lobby/model/LobbyTypesTesting.h"

namespace Zarn::Client::Lobby {
namespace {

// Every type the five registrars register, in order, written out by hand from the record and
// enum tables of the wire format: a header line per type, then its fields (key, value type and
// an optional mark) or its values (name and number, in the order the tables list them).
constexpr const char* kExpectedTypes = R"(
enum JyxLobbyEligibilityRestrictionCode
  QueueDisabled 0
  QueueUnsupported 1
  PlayerLevelRestriction 2
  PlayerTimedRestriction 3
  PlayerBannedRestriction 4
  PlayerAvailableChampionRestriction 5
  TeamDivisionRestriction 6
  TeamMaxSizeRestriction 7
  TeamMinSizeRestriction 8
  PlayerBingeRestriction 9
  PlayerDodgeRestriction 10
  PlayerInGameRestriction 11
  PlayerLeaverBustedRestriction 12
  PlayerLeaverTaintedWarningRestriction 13
  PlayerMaxLevelRestriction 14
  PlayerMinLevelRestriction 15
  PlayerMinorRestriction 16
  PlayerRankedSuspensionRestriction 17
  TeamHighMMRMaxSizeRestriction 18
  TeamSizeRestriction 19
  PrerequisiteQueuesNotPlayedRestriction 20
  UnknownRestriction 21
record JyxLobbyEligibilityRestriction
  restrictionCode JyxLobbyEligibilityRestrictionCode
  restrictionArgs map of string to string
  expiredTimestamp uint64
  summonerIds list of uint64
record JyxLobbyEligibility
  queueId int32
  eligible bool
  restrictions list of JyxLobbyEligibilityRestriction
enum JyxLobbyQueueGameCategory
  None 0
  Custom 1
  PvP 2
  VersusAi 3
enum JyxLobbyQueueAvailability
  Available 0
  PlatformDisabled 1
  DoesntMeetRequirements 2
record JyxLobbyQueueReward
  isIpEnabled bool
  isXpEnabled bool
  isChampionPointsEnabled bool
  partySizeIpRewards list of int32
record JyxLobbyQueueGameTypeConfig
  id int64
  name string
  maxAllowableBans int32
  allowTrades bool
  exclusivePick bool
  duplicatePick bool
  teamChampionPool bool
  crossTeamChampionPool bool
  advancedLearningQuests bool
  battleBoost bool
  deathMatch bool
  doNotRemove bool
  learningQuests bool
  onboardCoopBeginner bool
  reroll bool
  mainPickTimerDuration int32
  postPickTimerDuration int32
  banTimerDuration int32
  pickMode string
  banMode string
  gameModeOverride string optional
  numPlayersPerTeamOverride int32 optional
record JyxLobbyQueue
  id int32
  mapId int32
  name string
  shortName string
  description string
  detailedDescription string
  type string
  gameMode string
  gameMutator string
  assetMutator string
  category JyxLobbyQueueGameCategory
  gameTypeConfig JyxLobbyQueueGameTypeConfig
  numPlayersPerTeam int32
  minimumParticipantListSize int32
  maximumParticipantListSize int32
  minLevel uint32
  maxSummonerLevelForFirstWinOfTheDay uint32
  isRanked bool
  isTeamOnly bool
  areFreeChampionsAllowed bool
  isTeamBuilderManaged bool
  queueAvailability JyxLobbyQueueAvailability
  queueRewards JyxLobbyQueueReward
  spectatorEnabled bool
  allowablePremadeSizes list of int32
  showPositionSelector bool
  championsRequiredToPlay uint32
enum JyxLobbyQueueCustomGameSpectatorPolicy
  NotAllowed 0
  LobbyAllowed 1
  FriendsAllowed 2
  AllAllowed 3
record JyxLobbyQueueCustomGame
  queueAvailability JyxLobbyQueueAvailability
record JyxLobbyLobbyLastQueuedMember
  id uint64
record JyxLobbyLobbyLastQueuedLobby
  queueId int32
  wasOwner bool
  canPlayAgain bool
  members list of JyxLobbyLobbyLastQueuedMember
enum JyxLobbyLobbyPartyRewardType
  Ip 1
  Icon 2
  None 9999
record JyxLobbyPartyReward
  premadeSize int32
  type JyxLobbyLobbyPartyRewardType
  value string
record JyxLobbyLobbyPartyRewards
  isEnabled bool
  queueId int32
  isCustom bool
  partyRewards list of JyxLobbyPartyReward
record JyxLobbyLobbyPositionPreferences
  firstPreference string
  secondPreference string
enum JyxLobbyLobbyBotDifficulty
  NONE -1
  EASY 0
  MEDIUM 1
  HARD 2
  UBER 3
  TUTORIAL 4
  INTRO 5
record JyxLobbyLobbyBotParams
  championId int32
  botDifficulty JyxLobbyLobbyBotDifficulty
  teamId string
record JyxLobbyLobbyBotChampion
  active bool
  id int32
  name string
  botDifficulties list of JyxLobbyLobbyBotDifficulty
enum JyxLobbyLobbyInvitationState
  Requested 0
  Pending 1
  Accepted 2
  Joined 3
  Declined 4
  Kicked 5
  OnHold 6
  Error 7
record JyxLobbyLobbyInvitation
  id string
  fromSummonerId uint64
  toSummonerId uint64
  state JyxLobbyLobbyInvitationState
  errorType string
  timestamp string
  invitationMetaData any value
  eligibility JyxLobbyEligibility
  fromSummonerName string
  toSummonerName string
record JyxLobbyLobbyCustomGameConfiguration
  mapId int32
  gameMode string
  gameMutator string
  mutators JyxLobbyQueueGameTypeConfig
  gameTypeConfig JyxLobbyQueueGameTypeConfig
  spectatorPolicy JyxLobbyQueueCustomGameSpectatorPolicy
  teamSize int32
  maxPlayerCount uint32
  tournamentGameMode string
  tournamentPassbackUrl string
  tournamentPassbackDataPacket string
  gameServerRegion string
record JyxLobbyLobbyCustomGame
  id uint64
  gameType string
  mapId int32
  ownerSummonerName string
  spectatorPolicy string
  filledSpectatorSlots int32
  maxSpectatorSlots uint64
  filledPlayerSlots int32
  maxPlayerSlots int32
  lobbyName string
  hasPassword bool
  passbackUrl string
record JyxLobbyLobbyCustomJoinParameters
  password string optional
  asSpectator bool optional
record JyxLobbyLobbyCustomFailedPlayer
  summonerId uint64
  summonerName string
  reason string
record JyxLobbyLobbyCustomChampSelectStartResponse
  success bool
  failedPlayers list of JyxLobbyLobbyCustomFailedPlayer
enum JyxLobbyLobbyRemovedFromGameReason
  None 0
  Kicked 1
  Disbanded 2
  Left 3
  ServiceError 4
  Other 5
  Timeout 6
  GameStartError 7
  ServiceShutdown 8
record JyxLobbyLobbyMember
  id uint64
  isOwner bool
  isSpectator bool
  canInviteOthers bool
  positionPreferences JyxLobbyLobbyPositionPreferences
  excludedPositionPreference string optional
  summonerInternalName string
  showPositionExcluder bool
  autoFillEligible bool
  autoFillProtectedForStreaking bool
  autoFillProtectedForPromos bool
  autoFillProtectedForSoloing bool
  isBot bool
  botDifficulty JyxLobbyLobbyBotDifficulty
  botChampionId int32
record JyxLobbyLobbyCustomGameLobby
  lobbyName string
  lobbyPassword string
  configuration JyxLobbyLobbyCustomGameConfiguration
  teamOne list of JyxLobbyLobbyMember
  teamTwo list of JyxLobbyLobbyMember
  spectators list of JyxLobbyLobbyMember
  practiceGameRewardsDisabledReasons list of string
  gameId uint64
record JyxLobbyLobby
  queueId int32
  mapId int32
  gameMode string
  invitationId string
  chatRoomId string
  chatRoomKey string
  members list of JyxLobbyLobbyMember
  localMember JyxLobbyLobbyMember
  invitations list of JyxLobbyLobbyInvitation
  wasKicked bool
  removalReason JyxLobbyLobbyRemovedFromGameReason
  canStartMatchmaking bool
  showPositionSelector bool
  showPositionExcluder bool
  specifiablePositionPreferences list of string
  autoFillEligible bool
  customGameLobby JyxLobbyLobbyCustomGameLobby optional
  isCustom bool
  autoFillProtectedForStreaking bool
  autoFillProtectedForPromos bool
  isTeamBuilderManaged bool
  maximumParticipantListSize uint32
  premadeSizeAllowed bool
  requiredPositionCoverageMet bool
  allowablePremadeSizes list of int32
  queueAvailability JyxLobbyQueueAvailability
record JyxLobbyLobbyChangeQueue
  queueId int32
  isCustom bool
  customGameLobby JyxLobbyLobbyCustomGameLobby optional
enum JyxLobbyLoginSessionStates
  IN_PROGRESS 0
  ERROR 3
  SUCCEEDED 1
  LOGGING_OUT 2
record JyxLobbyLoginSession
  state JyxLobbyLoginSessionStates
  username string
  userAuthToken string
  gasToken any value
  accountId uint64
  summonerId uint64
  idToken string
  puuid string
  isNewPlayer bool
  connected bool
enum JyxLobbyGameflowPhase
  None 0
  Lobby 1
  Matchmaking 2
  CheckedIntoTournament 3
  ReadyCheck 4
  ChampSelect 5
  GameStart 6
  FailedToLaunch 7
  InProgress 8
  Reconnect 9
  WaitingForStats 10
  PreEndOfGame 11
  EndOfGame 12
  TerminatedInError 13
enum JyxLobbyMatchmakingDodgeState
  Invalid 48
  PartyDodged 49
  StrangerDodged 50
record JyxLobbyGameflowGameClient
  running bool
record JyxLobbyGameflowGameDodge
  state JyxLobbyMatchmakingDodgeState
  dodgeIds list of uint64
  phase JyxLobbyGameflowPhase
record JyxLobbyGameflowSession
  phase JyxLobbyGameflowPhase
  gameClient JyxLobbyGameflowGameClient
  gameDodge JyxLobbyGameflowGameDodge
record JyxLobbyCollectionsChampion
  active bool
  botEnabled bool
  id int32
  name string
record JyxLobbySummoner
  summonerId uint64
  summonerLevel uint32
  accountId uint64
  puuid string
  profileIconId int32
  displayName string
  internalName string
  lastSeasonHighestRank string
record JyxLobbyGameDataChampionSummary
  id int32
  alias string
record JyxLobbyLcdsGameMetaData
  gameId uint64
  mapId int32
record JyxLobbyLcdsPartyRewardsConfig
  Enabled bool
record JyxLobbyLcdsDynamicClientConfig
  PartyRewards JyxLobbyLcdsPartyRewardsConfig
record JyxLobbyTeamBuilderCountdownTimer
  phaseName string
  timer int64
  counter int32
record JyxLobbyChatBlockedPlayerResource
  id uint64
  name string
record JyxLobbyReceivedInvitationGameConfigDto
  gameMode string
  gameMutator string
  queueId int32
  mapId int32
  inviteGameType string
record JyxLobbyReceivedInvitationDto
  invitationId string
  fromSummonerId uint64
  state JyxLobbyLobbyInvitationState
  timestamp string
  fromSummonerName string
  canAcceptInvitation bool
  restrictions list of JyxLobbyEligibilityRestriction
  gameConfig JyxLobbyReceivedInvitationGameConfigDto
record JyxLobbyLobbyInvitationDto
  invitationId string
  toSummonerId uint64
  state JyxLobbyLobbyInvitationState
  timestamp string
  toSummonerName string
record JyxLobbyLobbyParticipantDto
  summonerId uint64
  summonerIconId int32
  summonerName string
  summonerInternalName string
  puuid string
  summonerLevel uint32
  lastSeasonHighestRank string
  allowedStartActivity bool
  allowedChangeActivity bool
  allowedToggleInvite bool
  allowedKickOthers bool
  allowedInviteOthers bool
  isLeader bool
  isSpectator bool
  teamId int32
  firstPositionPreference string
  secondPositionPreference string
  ready bool
  showGhostedBanner bool
  autoFillEligible bool
  autoFillProtectedForStreaking bool
  autoFillProtectedForPromos bool
  autoFillProtectedForSoloing bool
  isBot bool
  botId string
  botDifficulty JyxLobbyLobbyBotDifficulty
  botChampionId int32
record JyxLobbyLobbyGameConfigDto
  gameMode string
  gameMutator string
  mapId int32
  queueId int32
  pickType string
  maxTeamSize int32
  maxLobbySize int32
  maxHumanPlayers int32
  allowablePremadeSizes list of int32
  premadeSizeAllowed bool
  isTeamBuilderManaged bool
  isCustom bool
  showPositionSelector bool
  isLobbyFull bool
  customLobbyName string
  customMutatorName string
  customTeam100 list of JyxLobbyLobbyParticipantDto
  customTeam200 list of JyxLobbyLobbyParticipantDto
  customSpectators list of JyxLobbyLobbyParticipantDto
  customSpectatorPolicy JyxLobbyQueueCustomGameSpectatorPolicy
  customRewardsDisabledReasons list of string
record JyxLobbyLobbyDto
  partyId string
  partyType string
  members list of JyxLobbyLobbyParticipantDto
  localMember JyxLobbyLobbyParticipantDto
  invitations list of JyxLobbyLobbyInvitationDto
  canStartActivity bool
  restrictions list of JyxLobbyEligibilityRestriction optional
  gameConfig JyxLobbyLobbyGameConfigDto
  chatRoomId string
  chatRoomKey string
record JyxLobbyLobbyNotification
  notificationId string
  notificationReason string
  summonerIds list of uint64
  timestamp uint64
record JyxLobbyLobbyChangeGameDto
  queueId int32
  isCustom bool
  customGameLobby JyxLobbyLobbyCustomGameLobby optional
record JyxLobbyLobbyStatus
  queueId int32
  isCustom bool
  isPracticeTool bool
  isLeader bool
  isSpectator bool
  allowedPlayAgain bool
  memberSummonerIds list of uint64
  invitedSummonerIds list of uint64
  lobbyId string optional
  customSpectatorPolicy JyxLobbyQueueCustomGameSpectatorPolicy
record JyxLobbyPlayerStatus
  currentLobbyStatus JyxLobbyLobbyStatus optional
  lastQueuedLobbyStatus JyxLobbyLobbyStatus optional
  canInviteOthersAtEog bool
record JyxLobbyLobbyTimer
  enabled bool
  countdown int64
enum JyxLobbyInvitationType
  invalid 0
  lobby 1
  party 2
enum JyxLobbyLobbyMatchmakingSearchState
  Invalid 0
  AbandonedLowPriorityQueue 1
  Canceled 2
  Searching 3
  Found 4
  Error 5
  ServiceError 6
  ServiceShutdown 7
record JyxLobbyLobbyMatchmakingSearchErrorResource
  id int32
  errorType string
  penalizedSummonerId uint64
  penaltyTimeRemaining double
  message string
record JyxLobbyLobbyMatchmakingLowPriorityDataResource
  penalizedSummonerIds list of uint64
  penaltyTime double
  penaltyTimeRemaining double
  bustedLeaverAccessToken string
record JyxLobbyLobbyMatchmakingSearchResource
  searchState JyxLobbyLobbyMatchmakingSearchState
  lowPriorityData JyxLobbyLobbyMatchmakingLowPriorityDataResource
  errors list of JyxLobbyLobbyMatchmakingSearchErrorResource
record JyxLobbyAutoFillQueueDto
  queueId int32
  autoFillEligible bool
  autoFillProtectedForStreaking bool
  autoFillProtectedForPromos bool
record JyxLobbyAutoFillDto
  autoFillQueues list of JyxLobbyAutoFillQueueDto
record JyxLobbyChampCounts
  championsOwned uint32
  championsRented uint32
  championsFreeToPlay uint32
  championsFreeToPlayReward uint32
record JyxLobbyLeague
  queueType string
  leagueTier string
record JyxLobbyChatFriendCounts
  numFriends uint32
  numFriendsOnline uint32
  numFriendsAvailable uint32
  numFriendsAway uint32
  numFriendsInQueue uint32
  numFriendsInChampSelect uint32
  numFriendsInGame uint32
  numFriendsMobile uint32
record JyxLobbyChatFriend
  summonerId uint64
  jyx map of string to string
record JyxLobbyFriendAvailabilityAnalytics
  puuid string
  summonerId uint64
  platformId string
  eventType string
  eventData any value
  eventTimestamp uint64
  numFriends uint32
  numFriendsOnline uint32
  numFriendsAvailable uint32
  numFriendsAway uint32
  numFriendsInGame uint32
  numFriendsMobile uint32
record JyxLobbyPremadeRelationshipAnalytics
  puuid string
  summonerId uint64
  platformId string
  eventType string
  eventData any value
  eventTimestamp uint64
  premadePlayers list of string
  friendPlayers list of string
record JyxLobbyPartiesInvitationPlayerAnalytics
  puuid string
  summonerId uint64
  role string
record JyxLobbyPartiesInvitationAnalytics
  partyId string
  platformId string
  eventType string
  eventData any value
  eventTimestamp uint64
  players list of JyxLobbyPartiesInvitationPlayerAnalytics
record JyxLobbyJoinPartyAnalytics
  partyId string
  platformId string
  eventType string
  eventData any value
  eventTimestamp uint64
  numOpenParties int32
  numPartyInvites int32
  numOtherInvites int32
  numTotalInvites int32
  numFriendsOnline int32
  partySize int32
  gameMode string
record JyxLobbyOpenPartyToggleAnalytics
  partyId string
  platformId string
  eventType string
  eventData any value
  eventTimestamp uint64
  playerId string
  initialState string
  finalState string
  numOfToggles int32
  startTimestamp uint64
  endTimestamp uint64
  elapsedTime uint64
  endTransition string
  gameMode string
record JyxLobbyPartyInviteAnalytics
  partyId string
  platformId string
  eventType string
  eventData any value
  eventTimestamp uint64
  fromSummonerId uint64
  toSummonerId uint64
  partyType string
  gameMode string
enum JyxLobbyPartyMemberRoleEnum
  LEADER 0
  MEMBER 1
  INVITED 2
  HOLD 3
  KICKED 4
  DECLINED 5
  NONE 6
record JyxLobbyGameModeDto
  gameType string
  maxPartySize int32
  botDifficulty string optional
  queueId int32
record JyxLobbyPartyChatDto
  jid string
record JyxLobbyPartyMemberMetadataDto
  positionPref list of string
record JyxLobbyPartyMemberDto
  platformId string
  puuid string
  accountId uint64
  summonerId uint64
  partyId string
  role JyxLobbyPartyMemberRoleEnum
  gameMode JyxLobbyGameModeDto optional
  ready bool optional
  metadata JyxLobbyPartyMemberMetadataDto
  invitedBySummonerId uint64 optional
  inviteTimestamp uint64 optional
  canInvite bool optional
record JyxLobbyPremadeMemberDto
  displayName string
  puuid string
  partyId string
  summonerId uint64
  role JyxLobbyPartyMemberRoleEnum
record JyxLobbyPremadePartyDto
  partyId string
  players map of string to JyxLobbyPremadeMemberDto
record JyxLobbyGatekeeperRestrictionDto
  accountId uint64
  reason string
  remainingMillis int64
  payload string
  queueId int32
record JyxLobbyQueueRestrictionDto
  gatekeeperRestrictions list of JyxLobbyGatekeeperRestrictionDto
record JyxLobbyPartyDto
  partyId string
  platformId string
  players list of JyxLobbyPartyMemberDto
  chat JyxLobbyPartyChatDto
  maxPartySize int32
  partyType string
  gameMode JyxLobbyGameModeDto
  activityLocked bool
  version uint64
  activityStartedUtcMillis uint64
  activityResumeUtcMillis uint64
  activeRestrictions JyxLobbyQueueRestrictionDto
  eligibilityHash int64
  eligibilityRestrictions list of JyxLobbyGatekeeperRestrictionDto optional
record JyxLobbyPlayerDto
  puuid string
  platformId string
  accountId uint64
  summonerId uint64
  eligibilityHash int64
  serverUtcMillis int64
  accountToken string optional
  leaguesToken string optional
  inventoryToken string optional
  summonerToken string optional
  parties list of JyxLobbyPartyMemberDto optional
  currentParty JyxLobbyPartyDto optional
  createdAt uint64
  version uint64
record JyxLobbyPlayerCollectionDto
  players list of JyxLobbyPlayerDto
record JyxLobbyPartyInviteDto
  partyId string
  partyVersion int32
  state string
  invitedByPuuid string
  gameMode JyxLobbyGameModeDto
record JyxLobbyPartyNotificationEnvelopeDto
  player JyxLobbyPlayerDto optional
  queueRestriction JyxLobbyQueueRestrictionDto optional
record JyxLobbyReadyDto
  ready bool
record JyxLobbyZarnMessagingServiceMessage
  resource string
  service string
  version string
  timestamp int64
  payload string
enum JyxLobbyPlayerUpdateType
  None 0
  Direct 1
  ServiceProxy 2
  ZMS 3
record JyxLobbyUserResource
  summonerId uint64
  jyx map of string to string
record JyxLobbyPartyPresenceData
  partyId string
  queueId int32
  summoners list of uint64
record LobbyClientDynamicConfigurationNotification
  configs string
  delta bool
enum LcdsInviteeState
  CREATOR 0
  PENDING 1
  DECLINED 2
  ACCEPTED 3
  ACCEPT_FAILED 4
  JOINED 5
  QUIT 6
  KICKED 7
  BANNED 8
enum LcdsInvitationState
  ACTIVE 0
  ON_HOLD 1
  REVOKED 2
enum LcdsRemovalReason
  KICKED 0
  DESTROYED 1
  PROGRESSED 2
record LcdsPlayer
  summonerId uint64
  summonerName string
record LcdsMember
  summonerId uint64
  summonerName string
  hasDelegatedInvitePower bool
record LcdsInvitee
  summonerId uint64
  summonerName string
  inviteeState LcdsInviteeState
record LcdsLobbyStatus
  invitationId string
  owner LcdsPlayer
  chatKey string
  members list of LcdsMember
  invitees list of LcdsInvitee
  gameMetaData string
record LcdsInviter
  summonerId uint64
  summonerName string
  previousSeasonHighestTier string
record LcdsInvitationRequest
  invitationId string
  owner LcdsPlayer
  inviter LcdsInviter
  invitationState LcdsInvitationState
  gameMetaData string
  inviteType string
  invitePayload string
record LcdsGameInviteBaseRuntimeException
  rootCauseClassname string
record LcdsInviteFailed
  summonerId uint64
  summonerName string
  exception LcdsGameInviteBaseRuntimeException
record LcdsRemovedFromLobbyNotification
  removalReason LcdsRemovalReason
record LcdsInvitePrivileges
  canInvite bool
record LcdsGameMap
  mapId int32
  name string
  displayName string
  description string
  minCustomPlayers int32
  totalPlayers int32
record LcdsPracticeGameConfig
  gameName string
  gameMode string
  gameMap LcdsGameMap
  maxNumPlayers int32
  gameTypeConfig int32
  gamePassword string
  allowSpectators string
  passbackUrl string optional
  passbackDataPacket string optional
  gameMutators list of string
  region string
record LcdsPlayerParticipant
  summonerId uint64
  summonerName string
  summonerInternalName string
  botSkillLevel int32
record LcdsBotParticipant
  summonerId uint64
  summonerName string
  summonerInternalName string
  botSkillLevel int32
  teamId string
record LcdsGameDTO
  id int64
  name string
  mapId int32
  gameTypeConfigId int32
  gameType string
  gameMode string
  maxNumPlayers int32
  spectatorsAllowed string
  ownerSummary LcdsPlayerParticipant
  teamOne list of LcdsPlayerParticipant
  teamTwo list of LcdsPlayerParticipant
  observers list of LcdsPlayerParticipant
  practiceGameRewardsDisabledReasons list of string
  gameMutators list of string
  roomName string
  roomPassword string
  passbackUrl string
  passbackDataPacket string
  optimisticLock int64
  gameState string
record LcdsSummoner
  sumId uint64
  name string
record LcdsFailedJoinPlayer
  summoner LcdsSummoner
  reasonFailed string
record LcdsStartChampSelectDto
  invalidPlayers list of LcdsFailedJoinPlayer
record LcdsGameNotification
  type string
  messageCode string
  messageArgument string
record LcdsPracticeGameSearchResult
  id uint64
  name string
  owner LcdsPlayerParticipant
  maxNumPlayers int32
  privateGame bool
  team1Count int32
  team2Count int32
  spectatorCount int32
  gameMap LcdsGameMap
  gameMapId int32
  gameMode string
  pickType string
  allowSpectators string
record JyxLobbyServiceProxyPayload
  method string
  url string
  body string
record JyxLobbyAmbassadorMessage
  httpStatus int32
  errorCode string
  message string
  implementationDetails string
  payload any value
)";

const std::vector<std::string> kPluginTags = {"Plugins", "Plugin jyx-lobby"};

// The plugin's types carry its prefix and its tags; the legacy records neither.
std::vector<std::string> ExpectedTags(const BindingTypeInfo& type) {
  return type.name.rfind("JyxLobby", 0) == 0 ? kPluginTags : std::vector<std::string>{};
}

struct TypeBlock {
  std::string header;
  std::vector<std::string> lines;
};

std::vector<TypeBlock> ExpectedTypes() {
  std::vector<TypeBlock> blocks;
  std::istringstream in(kExpectedTypes);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (line.rfind("  ", 0) == 0) {
      blocks.back().lines.push_back(line.substr(2));
    } else {
      blocks.push_back({line, {}});
    }
  }
  // A type describes its enumerators in byte-wise name order, whatever the order of their
  // registration. The space after each name sorts below every character of a name.
  for (TypeBlock& block : blocks) {
    if (block.header.rfind("enum ", 0) == 0) std::sort(block.lines.begin(), block.lines.end());
  }
  return blocks;
}

// The value type of a field kind, in the words of the tables; a record or enum by the name of
// the registration the field refers to.
std::string KindText(BindingTypeCode kind, const BindingTypeInfo* type) {
  const char* scalar = nullptr;
  switch (kind) {
    case BindingTypeCode::Bool:
      scalar = "bool";
      break;
    case BindingTypeCode::Int32:
      scalar = "int32";
      break;
    case BindingTypeCode::Uint32:
      scalar = "uint32";
      break;
    case BindingTypeCode::Int64:
      scalar = "int64";
      break;
    case BindingTypeCode::Uint64:
      scalar = "uint64";
      break;
    case BindingTypeCode::Double:
      scalar = "double";
      break;
    case BindingTypeCode::String:
      scalar = "string";
      break;
    case BindingTypeCode::Object:
      scalar = "any value";
      break;
    case BindingTypeCode::Enum:
      return type != nullptr && type->isEnum ? type->name : "<enum without its registration>";
    case BindingTypeCode::Struct:
      return type != nullptr && !type->isEnum ? type->name : "<record without its registration>";
    default:
      return "<kind " + std::to_string(static_cast<std::uint32_t>(kind)) + ">";
  }
  return type == nullptr ? scalar : std::string(scalar) + " <refers to " + type->name + ">";
}

std::string ValueTypeText(const BindingFieldInfo& field) {
  const BindingTypeDescriptor& descriptor = field.descriptor;
  std::string text;
  if (descriptor.kind == BindingTypeCode::Vector) {
    text = "list of " + KindText(descriptor.elementKind, descriptor.type);
  } else if (descriptor.kind == BindingTypeCode::Map) {
    text = "map of string to " + KindText(descriptor.elementKind, descriptor.type);
  } else {
    text = KindText(descriptor.kind, descriptor.type);
    if (descriptor.elementKind != BindingTypeCode::None) text += " <with an element kind>";
  }
  if (field.optional) text += " optional";
  return text;
}

TypeBlock Describe(const BindingTypeInfo& type) {
  TypeBlock block{(type.isEnum ? "enum " : "record ") + type.name, {}};
  if (type.isEnum) {
    for (const auto& [name, value] : type.enumValues) {
      block.lines.push_back(name + " " + std::to_string(value.value));
    }
  } else {
    for (const BindingFieldInfo& field : type.fields) {
      block.lines.push_back(field.name + " " + ValueTypeText(field));
    }
  }
  return block;
}

std::vector<std::string> Headers(const std::vector<TypeBlock>& blocks) {
  std::vector<std::string> headers;
  for (const TypeBlock& block : blocks) headers.push_back(block.header);
  return headers;
}

std::vector<TypeBlock> DescribeAll(const std::vector<const BindingTypeInfo*>& types) {
  std::vector<TypeBlock> blocks;
  for (const BindingTypeInfo* type : types) blocks.push_back(Describe(*type));
  return blocks;
}

TEST(TypeRegistrationTest, RegistersEveryTypeInOrderWithItsFieldsAndValues) {
  BindingRegistry registry;
  std::vector<const BindingTypeInfo*> registered;
  RegisterLobbyApiTypes(registry, &registered);

  const std::vector<TypeBlock> expected = ExpectedTypes();
  const std::vector<TypeBlock> actual = DescribeAll(registered);
  ASSERT_EQ(Headers(actual), Headers(expected));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].header);
    EXPECT_EQ(actual[i].lines, expected[i].lines);
  }
}

TEST(TypeRegistrationTest, EveryTypeIsTaggedAndFoundByIdAndNoFieldIsFlagged) {
  BindingRegistry registry;
  std::vector<const BindingTypeInfo*> registered;
  RegisterLobbyApiTypes(registry, &registered);

  for (const BindingTypeInfo* type : registered) {
    SCOPED_TRACE(type->name);
    EXPECT_EQ(type->tags, ExpectedTags(*type));
    EXPECT_EQ(registry.FindTypeById(type->id), type);
    if (type->isEnum) {
      EXPECT_EQ(type->size, 4u);
    }
    for (const auto& [name, value] : type->enumValues) EXPECT_EQ(value.description, "") << name;
    for (const BindingFieldInfo& field : type->fields) {
      SCOPED_TRACE(field.name);
      EXPECT_EQ(field.description, "");
      EXPECT_EQ(field.flags, 0u) << "no field is left out when empty or required";
      EXPECT_EQ(field.owner, type);
      EXPECT_NE(field.converter, nullptr);
    }
  }
}

// Fields are registered in the order of the record's members, so their places only grow.
TEST(TypeRegistrationTest, FieldsLieInTheirRecordInRegistrationOrder) {
  BindingRegistry registry;
  std::vector<const BindingTypeInfo*> registered;
  RegisterLobbyApiTypes(registry, &registered);

  for (const BindingTypeInfo* type : registered) {
    SCOPED_TRACE(type->name);
    for (std::size_t i = 0; i < type->fields.size(); ++i) {
      SCOPED_TRACE(type->fields[i].name);
      EXPECT_LT(type->fields[i].offset, type->size);
      if (i > 0) {
        EXPECT_GT(type->fields[i].offset, type->fields[i - 1].offset);
      }
    }
  }
}

TEST(TypeRegistrationTest, RegisteringASecondTimeChangesNothing) {
  BindingRegistry registry;
  std::vector<const BindingTypeInfo*> first;
  RegisterLobbyApiTypes(registry, &first);
  const std::vector<TypeBlock> before = DescribeAll(first);
  const std::size_t typeCount = registry.GetTypes().size();

  std::vector<const BindingTypeInfo*> second;
  RegisterLobbyApiTypes(registry, &second);
  EXPECT_EQ(second, first) << "each name hands back its first record";
  EXPECT_EQ(registry.GetTypes().size(), typeCount);
  const std::vector<TypeBlock> after = DescribeAll(second);
  ASSERT_EQ(Headers(after), Headers(before));
  for (std::size_t i = 0; i < before.size(); ++i) {
    SCOPED_TRACE(before[i].header);
    EXPECT_EQ(after[i].lines, before[i].lines);
    EXPECT_EQ(second[i]->tags, ExpectedTags(*second[i]));
  }
}

// A type whose id another type already has would replace it in the registry's table by id, so
// every id must be told apart: the lobby's records and enums, their lists, optionals and maps,
// every field's type, and the types the SDK registers itself.
TEST(TypeRegistrationTest, TypeIdsAreDistinct) {
  BindingRegistry registry;
  registry.Initialize();
  const std::vector<BindingTypeInfo*> builtins = registry.GetTypes();
  std::vector<const BindingTypeInfo*> registered;
  RegisterLobbyApiTypes(registry, &registered);

  std::map<std::uint32_t, std::string> seen;
  auto add = [&](std::uint32_t id, const std::string& what) {
    auto [entry, inserted] = seen.emplace(id, what);
    if (!inserted && entry->second != what) {
      ADD_FAILURE() << what << " has the id " << id << " of " << entry->second;
    }
  };
  add(TypeId<void>().id, "void");
  add(TypeId<bool>().id, "bool");
  add(TypeId<std::int32_t>().id, "int32");
  add(TypeId<std::uint32_t>().id, "uint32");
  add(TypeId<Long32>().id, "long");
  add(TypeId<std::int64_t>().id, "int64");
  add(TypeId<std::uint64_t>().id, "uint64");
  add(TypeId<double>().id, "double");
  add(TypeId<std::string>().id, "string");
  add(TypeId<BindingProperty>().id, "any value");
  add(TypeId<std::vector<BindingProperty>>().id, "list of any value");
  for (const BindingTypeInfo* type : builtins) add(type->id, type->name);

  for (const BindingTypeInfo* type : registered) {
    add(type->id, type->name);
    add(WrapperTypeId("std::vector", type->id), "list of " + type->name);
    add(WrapperTypeId("std::optional", type->id), type->name + " optional");
    add(WrapperTypeId("std::unordered_map<std::string>", type->id),
        "map of string to " + type->name);
  }
  for (const BindingTypeInfo* type : registry.GetTypes()) {
    for (const BindingFieldInfo& field : type->fields) {
      if (field.identity == nullptr) continue;
      // A party's version is the 32-bit type with an identity of its own.
      const bool isLong = field.identity->id == TypeId<Long32>().id;
      add(field.identity->id, isLong ? "long" : ValueTypeText(field));
    }
  }
  EXPECT_GE(seen.size(), 4 * registered.size());
}

}  // namespace
}  // namespace Zarn::Client::Lobby
