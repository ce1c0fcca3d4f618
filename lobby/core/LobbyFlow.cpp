#include "lobby/core/LobbyFlow.h"

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

namespace LobbyFlow {

namespace {

using namespace LobbyEvents;
using A = LobbyFlowActions;

constexpr LobbyTransition::Action kEnteredAction = &A::OnEnteredLobbyAction;
constexpr LobbyTransition::Action kFailedAction = &A::FailedLobbyAction;

// A row handled in place.
LobbyTransition Stay(const LobbyEvent& event) { return LobbyTransition{event, nullptr, nullptr}; }
LobbyTransition To(const LobbyEvent& event, const LobbyState& target,
                   LobbyTransition::Action action = nullptr) {
  return LobbyTransition{event, &target, action};
}
LobbyTransition Initial(const LobbyState& target) {
  return LobbyTransition{LobbyEvent{}, &target, nullptr};
}

}  // namespace

const LobbyState kLobbyFlow{
    "LobbyFlow",          nullptr,
    &A::LogEntering,      &A::LogExiting,
    Initial(kOutOfLobby), {To(kLogout, kOutOfLobby), To(kLobbyFailed, kOutOfLobby, kFailedAction)}};

const LobbyState kOutOfLobby{
    "OutOfLobby",
    &kLobbyFlow,
    &A::LogEntering,
    &A::LogExiting,
    {},
    {To(kAcceptedLegacyInvite, kMember), To(kAcceptedPartyInvite, kPartyLobby),
     To(kPartyLobbyRequested, kLobbyRequested), To(kNewLobbyRequested, kLobbyRequested),
     To(kNewCustomLobbyRequested, kLobbyRequested), To(kJoiningCustomLobby, kLobbyRequested),
     Stay(kPartyLobbyInactive)}};

const LobbyState kLobbyRequested{
    "LobbyRequested",
    &kOutOfLobby,
    &A::LogEntering,
    &A::LogExiting,
    {},
    {To(kPartyLobbySucceeded, kPartyLobby), To(kNewLobbySucceeded, kSoloLobby),
     To(kNewCustomLobbySucceeded, kOwner), To(kJoinedCustomLobby, kMember),
     To(kLobbyFailed, kOutOfLobby, kFailedAction)}};

const LobbyState kInLobby{
    "InLobby",
    &kLobbyFlow,
    &A::LogEntering,
    &A::ExitInLobby,
    {},
    {To(kAcceptedLegacyInvite, kMember, kEnteredAction),
     To(kAcceptedPartyInvite, kPartyLobby, kEnteredAction), To(kQuitLobby, kOutOfLobby),
     To(kKicked, kOutOfLobby), To(kPartyLobbyRequested, kChangingLobby),
     To(kNewLobbyRequested, kChangingLobby), To(kNewCustomLobbyRequested, kChangingLobby),
     To(kJoiningCustomLobby, kChangingLobby), To(kProgressed, kOutOfLobby)}};

const LobbyState kPartyLobby{"PartyLobby",
                             &kInLobby,
                             &A::EnterPartyLobby,
                             &A::ExitPartyLobby,
                             {},
                             {To(kPartyLobbyInactive, kOutOfLobby), Stay(kPartyLobbyActive),
                              Stay(kLobbyDestroyed), Stay(kTransferOwnership), Stay(kGetPromoted),
                              Stay(kGainInvitePrivilege), Stay(kLoseInvitePrivilege)}};

const LobbyState kLegacyLobby{"LegacyLobby",
                              &kInLobby,
                              &A::EnterLegacyLobby,
                              &A::ExitLegacyLobby,
                              Initial(kSoloLobby),
                              {To(kLobbyDestroyed, kOutOfLobby), To(kPartyLobbyActive, kPartyLobby),
                               Stay(kPartyLobbyInactive)}};

const LobbyState kSoloLobby{"SoloLobby",
                            &kLegacyLobby,
                            &A::LogEntering,
                            &A::LogExiting,
                            {},
                            {To(kPlatformLobbyRequested, kGroupLobbyRequested)}};

const LobbyState kGroupLobbyRequested{
    "GroupLobbyRequested",
    &kSoloLobby,
    &A::LogEntering,
    &A::LogExiting,
    {},
    {To(kPlatformLobbySucceeded, kOwner), To(kLobbyFailed, kSoloLobby, kFailedAction)}};

const LobbyState kGroupLobby{"GroupLobby", &kLegacyLobby, &A::LogEntering, &A::LogExiting, {}, {}};

const LobbyState kOwner{
    "Owner",        &kGroupLobby, &A::LogEntering,
    &A::LogExiting, {},           {To(kTransferOwnership, kMember), Stay(kGetPromoted)}};

const LobbyState kInviter{
    "Inviter",      &kGroupLobby, &A::LogEntering,
    &A::LogExiting, {},           {To(kGetPromoted, kOwner), To(kLoseInvitePrivilege, kMember)}};

const LobbyState kMember{
    "Member",       &kGroupLobby, &A::LogEntering,
    &A::LogExiting, {},           {To(kGetPromoted, kOwner), To(kGainInvitePrivilege, kInviter)}};

const LobbyState kChangingLobby{"ChangingLobby",
                                &kInLobby,
                                &A::LogEntering,
                                &A::LogExiting,
                                {},
                                {To(kPartyLobbySucceeded, kPartyLobby, kEnteredAction),
                                 To(kNewLobbySucceeded, kSoloLobby, kEnteredAction),
                                 To(kNewCustomLobbySucceeded, kOwner, kEnteredAction),
                                 To(kJoinedCustomLobby, kMember, kEnteredAction),
                                 To(kLobbyFailed, kOutOfLobby, kFailedAction)}};

}  // namespace LobbyFlow

namespace {

const char* CurrentStateName(const LobbyStateMachine& machine) {
  const LobbyState* state = machine.GetCurrentState();
  return state != nullptr ? state->name.c_str() : "";
}

}  // namespace

void LobbyFlowActions::LogEntering(const LobbyStateMachine& machine) {
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "LobbyFlow: entering state '%s'",
            CurrentStateName(machine));
}

void LobbyFlowActions::LogExiting(const LobbyStateMachine& machine) {
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "LobbyFlow: exiting state '%s'",
            CurrentStateName(machine));
}

void LobbyFlowActions::EnterLegacyLobby(const LobbyStateMachine& machine) {
  LogEntering(machine);
  machine.GetOwner()->EnterLegacyLobby();
}

void LobbyFlowActions::EnterPartyLobby(const LobbyStateMachine& machine) {
  LogEntering(machine);
  machine.GetOwner()->EnterPartyLobby();
}

void LobbyFlowActions::ExitInLobby(const LobbyStateMachine& machine) {
  LogExiting(machine);
  machine.GetOwner()->ExitInLobby();
}

void LobbyFlowActions::ExitLegacyLobby(const LobbyStateMachine& machine) {
  LogExiting(machine);
  machine.GetOwner()->AddToAbandonedLobbyInvitationIds();
}

void LobbyFlowActions::ExitPartyLobby(const LobbyStateMachine& machine) {
  LogExiting(machine);
  machine.GetOwner()->ExitPartyLobby();
}

void LobbyFlowActions::OnEnteredLobbyAction(const LobbyStateMachine& machine) {
  machine.GetOwner()->OnEnteredLobby();
}

void LobbyFlowActions::FailedLobbyAction(const LobbyStateMachine& machine) {
  machine.GetOwner()->PostGameflowEvent("GAMEFLOW_EVENT.FAILED_LOBBY");
}

}  // namespace Zarn::Client::Lobby
