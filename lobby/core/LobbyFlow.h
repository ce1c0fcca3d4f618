// LobbyFlow: the state tree that records which kind of lobby the player is in, its event names,
// and the constant texts the lobby shares. Everything here is built once, when the library loads,
// and never changes.
#pragma once

#include <array>
#include <cstdint>
#include <regex>
#include <string>
#include <string_view>

#include "lobby/core/hsm/StateMachine.h"

namespace Zarn::Client::Lobby {

class LobbyPlugin;

// Events are their names; a handler fires them with the constants below.
using LobbyEvent = std::string_view;
using LobbyState = Hsm::State<LobbyPlugin, LobbyEvent>;
using LobbyTransition = Hsm::Transition<LobbyPlugin, LobbyEvent>;
using LobbyStateMachine = Hsm::StateMachine<LobbyPlugin, LobbyEvent>;

namespace LobbyFlow {

// The thirteen states; each `name` is the state's own name.
extern const LobbyState kLobbyFlow;  // the root
extern const LobbyState kOutOfLobby;
extern const LobbyState kLobbyRequested;
extern const LobbyState kInLobby;
extern const LobbyState kPartyLobby;
extern const LobbyState kLegacyLobby;
extern const LobbyState kSoloLobby;
extern const LobbyState kGroupLobbyRequested;
extern const LobbyState kGroupLobby;
extern const LobbyState kOwner;
extern const LobbyState kInviter;
extern const LobbyState kMember;
extern const LobbyState kChangingLobby;

// The machine's name.
inline constexpr char kMachineName[] = "LobbyStateMachine";

}  // namespace LobbyFlow

// The actions of the tables; the plugin lets them reach its state. Each reaches the plugin
// through the machine's owner, which must not be null.
struct LobbyFlowActions {
  static void LogEntering(const LobbyStateMachine& machine);
  static void LogExiting(const LobbyStateMachine& machine);
  static void EnterLegacyLobby(const LobbyStateMachine& machine);
  static void EnterPartyLobby(const LobbyStateMachine& machine);
  static void ExitInLobby(const LobbyStateMachine& machine);
  static void ExitLegacyLobby(const LobbyStateMachine& machine);
  static void ExitPartyLobby(const LobbyStateMachine& machine);
  static void OnEnteredLobbyAction(const LobbyStateMachine& machine);
  static void FailedLobbyAction(const LobbyStateMachine& machine);
};

// The events, "LOBBY_EVENT." followed by the name.
namespace LobbyEvents {
inline constexpr LobbyEvent kAcceptedLegacyInvite = "LOBBY_EVENT.ACCEPTED_LEGACY_INVITE";
inline constexpr LobbyEvent kAcceptedPartyInvite = "LOBBY_EVENT.ACCEPTED_PARTY_INVITE";
inline constexpr LobbyEvent kGainInvitePrivilege = "LOBBY_EVENT.GAIN_INVITE_PRIVILEGE";
inline constexpr LobbyEvent kLoseInvitePrivilege = "LOBBY_EVENT.LOSE_INVITE_PRIVILEGE";
inline constexpr LobbyEvent kGetPromoted = "LOBBY_EVENT.GET_PROMOTED";
inline constexpr LobbyEvent kTransferOwnership = "LOBBY_EVENT.TRANSFER_OWNERSHIP";
inline constexpr LobbyEvent kJoinedCustomLobby = "LOBBY_EVENT.JOINED_CUSTOM_LOBBY";
inline constexpr LobbyEvent kJoiningCustomLobby = "LOBBY_EVENT.JOINING_CUSTOM_LOBBY";
inline constexpr LobbyEvent kKicked = "LOBBY_EVENT.KICKED";
inline constexpr LobbyEvent kLobbyDestroyed = "LOBBY_EVENT.LOBBY_DESTROYED";
inline constexpr LobbyEvent kProgressed = "LOBBY_EVENT.PROGRESSED";
inline constexpr LobbyEvent kLobbyFailed = "LOBBY_EVENT.LOBBY_FAILED";
inline constexpr LobbyEvent kNewLobbyRequested = "LOBBY_EVENT.NEW_LOBBY_REQUESTED";
inline constexpr LobbyEvent kNewLobbySucceeded = "LOBBY_EVENT.NEW_LOBBY_SUCCEEDED";
inline constexpr LobbyEvent kNewCustomLobbyRequested = "LOBBY_EVENT.NEW_CUSTOM_LOBBY_REQUESTED";
inline constexpr LobbyEvent kNewCustomLobbySucceeded = "LOBBY_EVENT.NEW_CUSTOM_LOBBY_SUCCEEDED";
inline constexpr LobbyEvent kPartyLobbyRequested = "LOBBY_EVENT.PARTY_LOBBY_REQUESTED";
inline constexpr LobbyEvent kPartyLobbySucceeded = "LOBBY_EVENT.PARTY_LOBBY_SUCCEEDED";
inline constexpr LobbyEvent kPartyLobbyActive = "LOBBY_EVENT.PARTY_LOBBY_ACTIVE";
inline constexpr LobbyEvent kPartyLobbyInactive = "LOBBY_EVENT.PARTY_LOBBY_INACTIVE";
inline constexpr LobbyEvent kPlatformLobbyRequested = "LOBBY_EVENT.PLATFORM_LOBBY_REQUESTED";
inline constexpr LobbyEvent kPlatformLobbySucceeded = "LOBBY_EVENT.PLATFORM_LOBBY_SUCCEEDED";
inline constexpr LobbyEvent kQuitLobby = "LOBBY_EVENT.QUIT_LOBBY";
inline constexpr LobbyEvent kLogout = "LOBBY_EVENT.LOGOUT";
}  // namespace LobbyEvents

// Timers and activities.
inline constexpr char kCountdownTimer[] = "LOBBY.TIMEOUT.COUNTDOWN.TIMER";
inline constexpr char kRegistrationRetryTimer[] = "PARTY.REGISTRATION.RETRY.TIMER";
inline constexpr char kPartiesHeartbeat[] = "jyx-lobby.parties-heartbeat";
inline constexpr char kPartiesPresence[] = "jyx-lobby.parties-presence";
inline constexpr char kPartiesResumeActivityCall[] = "jyx-lobby.parties-resume-activity-call";
inline constexpr char kPartiesResumeActivityWait[] = "jyx-lobby.parties-resume-activity-wait";

// Legacy message classes the lobby subscribes to.
inline constexpr char kDynamicConfigurationClass[] =
    "com.zarnworks.platform.client.dynamic.configuration.ClientDynamicConfigurationNotification";
inline constexpr char kGameDtoClass[] = "com.zarnworks.platform.game.GameDTO";
inline constexpr char kGameNotificationClass[] =
    "com.zarnworks.platform.game.message.GameNotification";
inline constexpr char kInvitationRequestClass[] =
    "com.zarnworks.platform.gameinvite.contract.InvitationRequest";
inline constexpr char kInvitePrivilegesClass[] =
    "com.zarnworks.platform.gameinvite.contract.InvitePrivileges";
inline constexpr char kLobbyStatusClass[] =
    "com.zarnworks.platform.gameinvite.contract.LobbyStatus";
inline constexpr char kRemovedFromLobbyClass[] =
    "com.zarnworks.platform.gameinvite.contract.RemovedFromLobbyNotification";

// Gameflow phases the custom game controller compares with.
inline constexpr char kPhaseTeamSelect[] = "TEAM_SELECT";
inline constexpr char kPhaseTerminated[] = "TERMINATED";

// Parties error codes that call for registering again.
inline constexpr char kPartiesNotFound[] = "NOT_FOUND";
inline constexpr char kPartiesPartyNotFound[] = "PARTY_NOT_FOUND";
inline constexpr char kPartiesPlayerNotFound[] = "PLAYER_NOT_FOUND";

// The body of the 423 reply when the gameflow plugin refuses a lobby.
inline constexpr char kGameflowPreventedLobby[] = "Gameflow prevented a lobby.";
// The reply text when no backend or controller holds the lobby a route needs.
inline constexpr char kInvalidLobby[] = "INVALID_LOBBY";
inline constexpr char kLobbyFullException[] = "LobbyFullException";

inline constexpr char kPositionFill[] = "FILL";
inline constexpr char kPositionUnselected[] = "UNSELECTED";

inline constexpr char kPartyTypeClash[] = "clash";
inline constexpr char kPartyTypeOpen[] = "open";
inline constexpr char kPartyTypeClosed[] = "closed";

// A tournament code: a short upper-case prefix and a hexadecimal identifier.
inline constexpr char kTournamentCodePatternText[] =
    "^[A-Z]{2,4}[0-9a-fA-F]{5}-[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-"
    "fA-F]{12}$";
// The pattern above, compiled once (ECMAScript grammar).
[[nodiscard]] const std::regex& TournamentCodePattern();

}  // namespace Zarn::Client::Lobby
