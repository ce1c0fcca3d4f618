// LobbyFlow: the state tree that records which kind of lobby the player is in, its events and
// its actions. Everything here is built once, when the library loads, and never changes.
#pragma once

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

}  // namespace Zarn::Client::Lobby
