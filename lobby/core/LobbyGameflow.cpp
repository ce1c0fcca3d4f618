#include "lobby/core/LobbyGameflow.h"

#include <string>
#include <utility>

#include "lobby/core/LobbyBackend.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlowGate.h"
#include "lobby/core/PartiesBackend.h"
#include "lobby/core/RecordEquality.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

using Api::GameflowPhase;

constexpr char kGameflowEventPath[] = "/jyx-gameflow/v1/session/event";
constexpr char kPlayerStatusPath[] = "/jyx-gameflow/v1/gameflow-metadata/player-status";

}  // namespace

bool IsProgressedPhase(GameflowPhase phase) {
  return phase == GameflowPhase::GameStart || phase == GameflowPhase::FailedToLaunch ||
         phase == GameflowPhase::InProgress || phase == GameflowPhase::Reconnect;
}

bool LobbyGameflow::RequestGameflowLobby() {
  MaybeType<Failure, bool> allowed =
      services_.Runtime().Request<bool>(HttpMethod::Post, "/jyx-gameflow/v1/session/request-lobby");
  return allowed.HasValue() && allowed.Value();
}

void LobbyGameflow::SendGameflowGameConfiguration(const std::optional<Api::LobbyDto>& published) {
  Api::Queue queue;
  if (published.has_value()) {
    if (published->gameConfig.isCustom) {
      // A v1 lobby that lost its custom part meanwhile reads as a default one.
      static const Api::LobbyCustomGameLobby kNoCustomLobby;
      const Api::Lobby& v1 = services_.V1Lobby();
      const Api::LobbyCustomGameConfiguration& configuration =
          (v1.customGameLobby.has_value() ? *v1.customGameLobby : kNoCustomLobby).configuration;
      queue.mapId = configuration.mapId;
      queue.gameMode = configuration.gameMode;
      queue.type = "PRACTICE_GAME";
      queue.category = Api::QueueGameCategory::Custom;
      queue.gameTypeConfig = configuration.gameTypeConfig;
      queue.numPlayersPerTeam = configuration.teamSize;
      queue.maximumParticipantListSize = configuration.teamSize;
      queue.minimumParticipantListSize = 0;
      queue.areFreeChampionsAllowed = true;
    } else {
      const std::int32_t queueId = published->gameConfig.queueId;
      MaybeType<Failure, Api::Queue> found = services_.FindQueue(queueId);
      if (found.IsFailure()) {
        LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Couldn't find queue with id %d", queueId);
        return;
      }
      queue = std::move(found).Value();
    }
  }
  static_cast<void>(services_.Runtime().Request<void>(
      HttpMethod::Post, "/jyx-gameflow/v1/session/game-configuration", queue));
}

void LobbyGameflow::PostGameflowEvent(const char* event) {
  static_cast<void>(
      services_.Runtime().Request<void>(HttpMethod::Post, kGameflowEventPath, std::string(event)));
}

bool LobbyGameflow::StoreSession(PluginResourceEventType type,
                                 const Api::GameflowSession& session) {
  if (type == PluginResourceEventType::Delete) {
    session_.reset();
    return false;
  }
  if (type == PluginResourceEventType::Create || type == PluginResourceEventType::Update) {
    session_ = session;
  }
  phase_ = session.phase;
  return true;
}

GameflowPhase LobbyGameflow::SessionPhase() const {
  return session_.has_value() ? session_->phase : GameflowPhase::None;
}

void LobbyGameflow::SetGameflowPlayerStatus() {
  // A post the gate stops is owed, and the next lobby status taken makes it.
  statusOwed_ = services_.FlowGate().Stops(CallGate::Act::kSend, {"POST", kPlayerStatusPath});
  if (statusOwed_) return;
  // A copy: the status may change while the request waits.
  const Api::PlayerStatus status = playerStatus_;
  MaybeType<Failure, void> posted =
      services_.Runtime().Request<void>(HttpMethod::Post, kPlayerStatusPath, status);
  if (posted.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Failed to set player status on gameflow: %s",
              posted.Message());
  }
}

void LobbyGameflow::UpdatePlayerLobbyStatus() {
  std::optional<Api::LobbyStatus> status;
  if (backends_.ActiveBackend() != nullptr) status = backends_.ActiveBackend()->GetLobbyStatus();
  if (status.has_value()) {
    if (!statusOwed_ && cachedLobbyStatus_.has_value() &&
        RecordsEqual(*cachedLobbyStatus_, *status)) {
      return;
    }
    cachedLobbyStatus_ = status;
    playerStatus_.currentLobbyStatus = std::move(status);
  } else {
    if (!statusOwed_ && !cachedLobbyStatus_.has_value()) return;
    cachedLobbyStatus_.reset();
    playerStatus_.currentLobbyStatus.reset();
  }
  TakeEogAvailability();
  SetGameflowPlayerStatus();
}

void LobbyGameflow::TakeEogAvailability() {
  if (backends_.ActiveBackend() != nullptr) {
    playerStatus_.canInviteOthersAtEog = backends_.ActiveBackend()->GetAvailabilityFlag();
  }
}

void LobbyGameflow::KeepLastQueuedLobbyStatus() {
  playerStatus_.lastQueuedLobbyStatus = playerStatus_.currentLobbyStatus;
  UpdateLastQueuedLobbyStatusAllowedPlayAgain(false);
  SetGameflowPlayerStatus();
}

void LobbyGameflow::UpdateLastQueuedLobbyStatusAllowedPlayAgain(bool notify) {
  if (!playerStatus_.lastQueuedLobbyStatus.has_value()) return;
  PartiesBackend* parties = backends_.GetPartiesBackend();
  if (parties != nullptr && parties->IsClashParty()) {
    LogPrintf(kLogLevelOkay, kDodgeLogChannel, 0,
              "UpdateLastQueuedLobbyStatusAllowedPlayAgain short circuiting because clash party");
    return;
  }
  bool allowed = false;
  if (services_.IsInLobbyState(LobbyFlow::kPartyLobby)) {
    allowed = IsProgressedPhase(phase_) || services_.IsGameflowAvailable();
  } else {
    const Api::LobbyStatus& status = *playerStatus_.lastQueuedLobbyStatus;
    allowed = !status.isCustom && status.isLeader && services_.IsGameflowAvailable();
  }
  if (allowed == playerStatus_.lastQueuedLobbyStatus->allowedPlayAgain) return;
  playerStatus_.lastQueuedLobbyStatus->allowedPlayAgain = allowed;
  if (!notify) return;
  TakeEogAvailability();
  SetGameflowPlayerStatus();
}

void LobbyGameflow::RefreshEogState() {
  TakeEogAvailability();
  // Read again: the backend may have waited.
  if (playerStatus_.lastQueuedLobbyStatus.has_value() &&
      playerStatus_.lastQueuedLobbyStatus->allowedPlayAgain) {
    playerStatus_.lastQueuedLobbyStatus->allowedPlayAgain = false;
    SetGameflowPlayerStatus();
  }
}

}  // namespace Zarn::Client::Lobby
