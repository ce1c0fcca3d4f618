#include "lobby/model/ApiTypeRegistrars.h"

#include "lobby/model/AnalyticsRecords.h"
#include "lobby/model/LcdsRecords.h"
#include "lobby/model/LegacyDataRecords.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/PartiesRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/ServiceProxyRecords.h"
#include "lobby/model/SiblingResourceRecords.h"

namespace Zarn::Client::Lobby {
namespace {

// Registers the types in the order given. A field finds the type it names only when that type
// was registered before, so the order is fixed.
template <typename... Types>
void RegisterInOrder(LobbyTypeContext& context) {
  (RegisterType(context, TypeTag<Types>{}), ...);
}

}  // namespace

void RegisterApiTypes(LobbyTypeContext& context) {
  using namespace Api;
  RegisterInOrder<EligibilityRestrictionCode, EligibilityRestriction, Eligibility,
                  QueueGameCategory, QueueAvailability, QueueReward, QueueGameTypeConfig, Queue,
                  QueueCustomGameSpectatorPolicy, QueueCustomGame,
                  // The version 1 lobby.
                  LobbyLastQueuedMember, LobbyLastQueuedLobby, LobbyPartyRewardType, PartyReward,
                  LobbyPartyRewards, LobbyPositionPreferences, LobbyBotDifficulty, LobbyBotParams,
                  LobbyBotChampion, LobbyInvitationState, LobbyInvitation,
                  LobbyCustomGameConfiguration, LobbyCustomGame, LobbyCustomJoinParameters,
                  LobbyCustomFailedPlayer, LobbyCustomChampSelectStartResponse,
                  LobbyRemovedFromGameReason, LobbyMember, LobbyCustomGameLobby, Lobby,
                  LobbyChangeQueue,
                  // Sibling plugins' resources, and legacy platform data.
                  LoginSessionStates, LoginSession, GameflowPhase, MatchmakingDodgeState,
                  GameflowGameClient, GameflowGameDodge, GameflowSession, CollectionsChampion,
                  Summoner, GameDataChampionSummary, LcdsGameMetaData, LcdsPartyRewardsConfig,
                  LcdsDynamicClientConfig, TeamBuilderCountdownTimer, ChatBlockedPlayerResource>(
      context);
}

void RegisterV2ApiTypes(LobbyTypeContext& context) {
  using namespace Api;
  RegisterInOrder<ReceivedInvitationGameConfigDto, ReceivedInvitationDto, LobbyInvitationDto,
                  LobbyParticipantDto, LobbyGameConfigDto, LobbyDto, LobbyNotification,
                  LobbyChangeGameDto, LobbyStatus, PlayerStatus, LobbyTimer, InvitationType,
                  LobbyMatchmakingSearchState, LobbyMatchmakingSearchErrorResource,
                  LobbyMatchmakingLowPriorityDataResource, MatchmakingSearchResource,
                  // Sibling plugins' resources.
                  AutoFillQueueDto, AutoFillDto, ChampCounts, League, ChatFriendCounts, ChatFriend,
                  // Telemetry payloads.
                  FriendAvailabilityAnalytics, PremadeRelationshipAnalytics,
                  PartiesInvitationPlayerAnalytics, PartiesInvitationAnalytics, JoinPartyAnalytics,
                  OpenPartyToggleAnalytics, PartyInviteAnalytics>(context);
}

void RegisterPartiesTypes(LobbyTypeContext& context) {
  using namespace Api;
  RegisterInOrder<PartyMemberRoleEnum, GameModeDto, PartyChatDto, PartyMemberMetadataDto,
                  PartyMemberDto, PremadeMemberDto, PremadePartyDto, GatekeeperRestrictionDto,
                  QueueRestrictionDto, PartyDto, PlayerDto, PlayerCollectionDto, PartyInviteDto,
                  PartyNotificationEnvelopeDto, ReadyDto, ZarnMessagingServiceMessage,
                  PlayerUpdateType, UserResource, PartyPresenceData>(context);
}

void RegisterLcdsTypes(LobbyTypeContext& context) {
  LobbyTypeContext bare = context;
  bare.prefix.clear();
  bare.tags.clear();
  using namespace LCDS;
  RegisterInOrder<LobbyClientDynamicConfigurationNotification, InviteeState, InvitationState,
                  RemovalReason, Player, Member, Invitee, LobbyStatus, Inviter, InvitationRequest,
                  GameInviteBaseRuntimeException, InviteFailed, RemovedFromLobbyNotification,
                  InvitePrivileges, GameMap, PracticeGameConfig, PlayerParticipant, BotParticipant,
                  GameDTO, Summoner, FailedJoinPlayer, StartChampSelectDto, GameNotification,
                  PracticeGameSearchResult>(bare);
}

void RegisterServiceProxyTypes(LobbyTypeContext& context) {
  RegisterInOrder<ServiceProxyPayload, AmbassadorMessage>(context);
}

}  // namespace Zarn::Client::Lobby
