// The login plugin's session as the lobby follows it: the local summoner's id at login, a
// resynchronisation after the platform connection comes back, and quitting the lobby at logout.
#include <optional>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/LcdsCall.h"

namespace Zarn::Client::Lobby {

void LobbyPlugin::OnLoginSession(const ResourceUpdate<Api::LoginSession>& event) {
  // A copy: the resynchronisation below waits, and the host may deliver the next session then.
  const Api::LoginSession session = event.value;
  switch (event.eventType) {
    case PluginResourceEventType::Delete:
      loggedIn_ = false;
      localSummonerId_ = 0;
      break;
    case PluginResourceEventType::Create:
    case PluginResourceEventType::Update: {
      const bool wasLoggedIn = loggedIn_;
      loggedIn_ = session.state == Api::LoginSessionStates::SUCCEEDED && session.accountId != 0 &&
                  session.summonerId != 0;
      const bool wasConnected = connected_;
      connected_ = session.connected;
      const bool loginCompleted = !wasLoggedIn && loggedIn_;
      // Stored before the resynchronisation, which must already know whose lobby it reads.
      if (loginCompleted) localSummonerId_ = session.summonerId;
      if (!wasConnected && connected_) ResynchronizeAfterReconnect();
      if (loginCompleted) {
        FetchCustomBotsConfig(session.summonerId);
      } else if (session.state == Api::LoginSessionStates::LOGGING_OUT &&
                 (IsInLobby() || stateMachine_.IsInState(&LobbyFlow::kLobbyRequested))) {
        // A legacy lobby's exit opens no batch of its own; without one the quit lobby would stay
        // published. A party lobby's exit opens the outermost batch itself, so that its view is
        // rebuilt before the lobby's exit is told to the gameflow plugin. A lobby asked for is
        // never made: the call that asked for it waits meanwhile, and the logout's move stops it.
        std::optional<LobbyUpdateBatch> batch;
        if (!stateMachine_.IsInState(&LobbyFlow::kPartyLobby)) batch.emplace(*this);
        LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Player is logging out");
        ProcessLobbyEvent(IsInLobby() ? LobbyEvents::kQuitLobby : LobbyEvents::kLogout);
      }
      break;
    }
    default:
      break;
  }
  if (session.state != Api::LoginSessionStates::IN_PROGRESS && backends_.Parties() != nullptr) {
    backends_.Parties()->UpdateLoginSession(session);
  }
}

void LobbyPlugin::ResynchronizeAfterReconnect() {
  if (backends_.Active() != nullptr && backends_.Active() == backends_.Parties()) {
    static_cast<void>(backends_.Parties()->CancelMatchmaking());
    // Looked up again after each call: a shutdown during a wait deletes the backend.
    if (backends_.Parties() != nullptr) backends_.Parties()->UpdateSearchAfterCancel();
    if (backends_.Parties() != nullptr) backends_.Parties()->FetchPartiesState();
    return;
  }
  GetPendingInvitations();
  MaybeType<Failure, LCDS::LobbyStatus> status =
      LcdsCallSync<LCDS::LobbyStatus>("lcdsGameInvitationService", "getLobbyStatus");
  if (status.HasValue()) {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Detected reconnect, updating LobbyStatus");
    OnLobbyStatus(status.Value());
  } else if (IsInLobby() && gameflow_.CurrentGameflowPhase() != Api::GameflowPhase::ChampSelect) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Detected reconnect, lobby destroyed or we were removed");
    LCDS::RemovedFromLobbyNotification removal;
    removal.removalReason = LCDS::RemovalReason::KICKED;
    OnRemovedFromLobbyNotification(removal);
  }
}

}  // namespace Zarn::Client::Lobby
