// The gameflow plugin's session handled in the lobby: its phases and dodges and the last queued
// lobby; the lobby updates that controllers deliver, and the legacy game messages (practice game
// updates and bans). Every handler copies what it was given before its
// first wait: the host may deliver the next session or update meanwhile.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/TypedConversions.h"

namespace Zarn::Client::Lobby {

namespace {

using Api::GameflowPhase;

constexpr char kPracticeGame[] = "PRACTICE_GAME";
constexpr char kBannedFromGame[] = "PLAYER_BANNED_FROM_GAME";

bool IsDodge(Api::MatchmakingDodgeState state) {
  return state == Api::MatchmakingDodgeState::PartyDodged ||
         state == Api::MatchmakingDodgeState::StrangerDodged;
}

// The notification reason of a removal that ends the lobby.
const char* RemovalReasonName(Api::LobbyRemovedFromGameReason reason) {
  using Reason = Api::LobbyRemovedFromGameReason;
  switch (reason) {
    case Reason::Disbanded:
      return "Disbanded";
    case Reason::ServiceError:
      return "ServiceError";
    case Reason::Other:
      return "Other";
    case Reason::Timeout:
      return "Timeout";
    case Reason::GameStartError:
      return "GameStartError";
    default:
      return "";
  }
}

}  // namespace

void LobbyPlugin::HandleGameflowSession(const ResourceUpdate<Api::GameflowSession>& event) {
  LobbyUpdateBatch batch(*this);
  // This handler's own copy: a session delivered during a wait below replaces the stored one.
  const Api::GameflowSession session = event.value;
  const GameflowPhase previousPhase = gameflow_.SessionPhase();
  if (!gameflow_.StoreSession(event.eventType, session)) return;
  const GameflowPhase phase = session.phase;
  if (phase != previousPhase && backends_.Parties() != nullptr) {
    backends_.Parties()->ProcessEnteredGame(previousPhase, phase);
  }
  receivedInvitations_.SetGameClientRunning(session.gameClient.running);
  if (IsInLobby()) {
    SnapshotLastQueuedLobby(phase);
    LeaveLobbyOnProgress(phase);
  }
  HandleGameDodge(session.gameDodge, phase, previousPhase);
}

void LobbyPlugin::SnapshotLastQueuedLobby(GameflowPhase phase) {
  if (phase == GameflowPhase::Matchmaking) {
    lastQueued_.Snapshot(V1Lobby(), localSummonerId_);
  } else if (V1Lobby().isCustom) {
    // Read from the v1 lobby, which is reset with the lobby: a flag kept from an earlier custom
    // game would deny play again to the matchmade lobbies after it.
    lastQueued_.DenyPlayAgain();
  } else {
    return;
  }
  gameflow_.KeepLastQueuedLobbyStatus();
  lastQueued_.Publish();
}

void LobbyPlugin::LeaveLobbyOnProgress(GameflowPhase phase) {
  if (IsProgressedPhase(phase)) {
    gameflow_.KeepLastQueuedLobbyStatus();
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Progressing out of lobby.");
    ProcessLobbyEvent(LobbyEvents::kProgressed);
  } else if (phase == GameflowPhase::CheckedIntoTournament) {
    static_cast<void>(HandleDeleteLobby());
  }
}

void LobbyPlugin::HandleGameDodge(const Api::GameflowGameDodge& dodge, GameflowPhase phase,
                                  GameflowPhase previousPhase) {
  if (dodge.state == Api::MatchmakingDodgeState::Invalid) {
    if (phase == GameflowPhase::None && previousPhase == GameflowPhase::ChampSelect) {
      static_cast<void>(HandleDeleteLobby());
    }
    return;
  }
  if (!IsDodge(dodge.state)) return;
  const std::string text = ToJsonString(dodge, GetRegistry());
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "HandleGameflowSession - gameDodge %s",
            text.c_str());
  LogPrintf(kLogLevelOkay, kDodgeLogChannel, 0, "HandleDodgeV2 %s", text.c_str());
  if (IsInLobby()) {
    // While a lobby change waits there is no backend to tell; the lobby being made is not the
    // one that was dodged.
    if (backends_.Active() != nullptr) backends_.Active()->HandleDodge(dodge);
    return;
  }
  PostGameflowEvent("GAMEFLOW_EVENT.EXITED_LOBBY");
  LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
            "Received dodge notification, but lobby does not exist");
}

void LobbyPlugin::OnGameflowAvailability(const ResourceUpdate<BindingProperty>& event) {
  LobbyUpdateBatch batch(*this);
  lastQueued_.OnGameflowAvailability(event.value);
  if (!IsProgressedPhase(gameflow_.CurrentGameflowPhase())) {
    gameflow_.UpdateLastQueuedLobbyStatusAllowedPlayAgain(true);
  }
}

void LobbyPlugin::ApplyLobbyUpdate(const Api::Lobby& lobby) {
  LobbyUpdateBatch batch(*this);
  // A copy: `lobby` may be a controller's record, and the steps below wait.
  const Api::Lobby update = lobby;
  if (v1Lobby_.IgnoresAbandonedLobby(update.invitationId)) return;
  v1Lobby_.SetLobby(update);
  if (update.wasKicked) {
    notifications_.AddLobbyNotification(
        notifications_.MakeLobbyNotification("KICKED", {localSummonerId_}));
    OnRemovedFromLobby(LCDS::RemovalReason::KICKED);
    return;
  }
  using Reason = Api::LobbyRemovedFromGameReason;
  switch (update.removalReason) {
    case Reason::None:
    case Reason::Kicked:
    case Reason::Left:
      PublishV1LobbyParts();
      UpdatePartyRewards();
      break;
    case Reason::ServiceShutdown: {
      if (backends_.Active() == nullptr) break;
      notifications_.AddLobbyNotification(
          notifications_.MakeLobbyNotification("ServiceShutdown", {localSummonerId_}));
      // Looked up again: adding the notification publishes, and the host may call back in.
      if (backends_.Active() != nullptr) static_cast<void>(backends_.Active()->CancelMatchmaking());
      const HttpResponse left = LeaveLobby();
      if (!left.ok) {
        LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
                  "Failed to quit lobby upon receiving service shutdown notification.");
      }
      break;
    }
    case Reason::Disbanded:
    case Reason::ServiceError:
    case Reason::Other:
    case Reason::Timeout:
    case Reason::GameStartError:
      notifications_.AddLobbyNotification(notifications_.MakeLobbyNotification(
          RemovalReasonName(update.removalReason), {localSummonerId_}));
      OnRemovedFromLobby(LCDS::RemovalReason::DESTROYED);
      break;
  }
}

void LobbyPlugin::OnPracticeGameUpdate(const LCDS::GameDTO& game) {
  HandlePracticeGame(game, /*joinsReply=*/false);
}

void LobbyPlugin::HandlePracticeGame(const LCDS::GameDTO& game, bool joinsReply) {
  LobbyUpdateBatch batch(*this);
  const LCDS::GameDTO update = game;
  const bool practiceGame = update.gameType == kPracticeGame;
  // Only a custom game's join is completed by a game's update: any other request makes its lobby
  // from its own replies. Else the update is only for the custom lobby of that game.
  if (practiceGame && !CustomJoinUnderWay()) {
    if (!V1Lobby().isCustom) return;
    // The custom game the player is in is the one its lobby was filled from.
    if (V1Lobby().customGameLobby.has_value() &&
        V1Lobby().customGameLobby->gameId != static_cast<std::uint64_t>(update.id)) {
      return;
    }
  }
  v1Lobby_.SetCustomGame(practiceGame);
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(v1Lobby_.IsCustomGame(), V1Lobby().queueId);
  MaybeType<Failure, void> handled =
      controller != nullptr ? controller->HandleGameDto(v1Lobby_.MutableLobby(), update)
                            : MaybeType<Failure, void>(Failure(500, kInvalidLobby));
  // Asked after the handler's wait, during which a call may have ended the join or begun another
  // request.
  if (!practiceGame || !CustomJoinUnderWay()) {
    if (handled.IsFailure()) {
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Failed to update lobby: %s",
                handled.Message());
    }
    return;
  }
  // The platform completes the join under way. A message during a join's call reports to that
  // call, which it does not overtake; a call it comes during otherwise began no join, and is.
  std::optional<CallGate::OwnReport> report;
  if (!joinsReply && runningJoins_ > 0) report.emplace(gate_);
  if (handled.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Failed to update custom lobby: %s",
              handled.Message());
    ProcessLobbyEvent(LobbyEvents::kLobbyFailed);
    return;
  }
  ProcessLobbyEvent(LobbyEvents::kJoinedCustomLobby);
  receivedInvitations_.RemoveReceivedInvitationForGame(static_cast<std::uint64_t>(update.id));
  PublishV1LobbyParts();
  if (controller != nullptr)
    static_cast<void>(controller->OnJoinedCustomLobby(v1Lobby_.MutableLobby()));
}

void LobbyPlugin::OnPlayerBannedFromGame(const LCDS::GameNotification& notification) {
  LobbyUpdateBatch batch(*this);
  if (notification.type != kBannedFromGame) return;
  AddRemovedFromLobbyNotification(LCDS::RemovalReason::KICKED);
}

}  // namespace Zarn::Client::Lobby
