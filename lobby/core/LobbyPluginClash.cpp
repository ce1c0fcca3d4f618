// Special ways into a lobby: joining and leaving a clash party, joining a tournament game by its
// code, and the two answers to the play-again offer after a game. Backends are looked up again
// after every wait: a shutdown meanwhile deletes them.
#include <cstdint>
#include <optional>
#include <regex>
#include <string>
#include <utility>

#include "lobby/core/FailureReply.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "lobby/core/TournamentCode.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/LcdsCall.h"
#include "sdk/runtime/LegacyGameExceptions.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kPlayAgainUnavailable[] = "Play-again is currently unavailable.";

// A copy of the last queued lobby's status when it offers play again; none otherwise.
std::optional<Api::LobbyStatus> PlayAgainOffer(const std::optional<Api::LobbyStatus>& last) {
  if (!last.has_value() || !last->allowedPlayAgain) return std::nullopt;
  return *last;
}

}  // namespace

HttpResponse LobbyPlugin::JoinClashParty(const std::string& token) {
  LobbyUpdateBatch batch(*this);
  const std::string clashToken = token;
  if (!IsInLobby() && !gameflow_.RequestGameflowLobby()) return GameflowPreventedReply();
  if (backends_.Active() != nullptr && backends_.Active() != backends_.Parties()) {
    MaybeType<Failure, void> left = backends_.Active()->LeaveLobby();
    if (left.IsFailure()) {
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Unable to leave to join clash party: %s",
                left.Message());
      return FailureReply(left.GetFailure());
    }
    stateMachine_.ProcessEvent(LobbyEvents::kQuitLobby);
  }
  {
    // Its own batch: the view waits for the outer one, which the join below still belongs to.
    LobbyUpdateBatch inactive(*this);
    stateMachine_.ProcessEvent(LobbyEvents::kPartyLobbyInactive);
  }
  if (backends_.Parties() == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, void> joined = backends_.Parties()->JoinClashParty(clashToken);
  if (joined.IsFailure()) return HttpResponse(500, "Error joining party");
  return HttpResponse();
}

HttpResponse LobbyPlugin::LeaveClashParty() {
  LobbyUpdateBatch batch(*this);
  if (backends_.Parties() == nullptr || !backends_.Parties()->IsClashParty()) {
    return HttpResponse(400, "No Clash party to leave");
  }
  MaybeType<Failure, void> left = backends_.Parties()->LeaveLobby();
  if (left.IsFailure()) return FailureReply(left.GetFailure());
  return HttpResponse();
}

HttpResponse LobbyPlugin::HandleJoinTournament(const std::string& id) {
  LobbyUpdateBatch batch(*this);
  const std::string code = id;
  if (!std::regex_match(code, TournamentCodePattern())) {
    return HttpResponse(404, "TOURNAMENT_CODE_NOT_FOUND");
  }
  if (!gameflow_.RequestGameflowLobby()) return HttpResponse(423, kGameflowPreventedLobby);
  LCDS::PracticeGameConfig config;
  config.passbackUrl = code;
  MaybeType<Failure, LCDS::GameDTO> joined =
      LcdsCallSync<LCDS::GameDTO>("gameService", "joinOrCreatePracticeGame", config);
  if (joined.IsFailure()) {
    const std::string message = joined.Message();
    const std::int32_t status = MapLegacyGameExceptionToStatus(message);
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "gameService.joinOrCreatePracticeGame failed. Sending error code: %d", status);
    return HttpResponse(status, message);
  }
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0,
            "gameService.joinOrCreatePracticeGame '%s' (tournament) succeeded.", code.c_str());
  stateMachine_.ProcessEvent(LobbyEvents::kJoiningCustomLobby);
  OnPracticeGameUpdate(joined.Value());
  // A game that is not a practice game builds no lobby: the join stays under way until the
  // platform's update of the practice game completes it.
  if (IsInLobby()) return HttpResponse();
  return HttpResponse(400, "Failed to join tournament game");
}

HttpResponse LobbyPlugin::HandlePlayAgain() {
  LobbyUpdateBatch batch(*this);
  // Unset until the player first queues: there is no offer before.
  const std::optional<Api::LobbyStatus> last =
      PlayAgainOffer(gameflow_.PlayerStatus().lastQueuedLobbyStatus);
  if (!last.has_value()) return HttpResponse(400, kPlayAgainUnavailable);
  LobbyBackend* backend = backends_.Choose(last->isCustom, last->queueId);
  if (backend == nullptr) return HttpResponse(500, kInvalidLobby);
  if (backend != backends_.Parties()) {
    HttpResult<Api::Lobby> reinvited = ReinviteMembers();
    if (!reinvited.response.ok) return std::move(reinvited.response);
    return HttpResponse();
  }
  MaybeType<Failure, void> ready = backends_.Parties()->SetReadyRequest(true);
  if (ready.IsFailure()) return HttpResponse(500, "Could not set self ready in party");
  if (!SetPartyLobbyActive(true)) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Failed to set party lobby active during play again, leaving current party");
    if (backends_.Parties() != nullptr) {
      MaybeType<Failure, void> left = backends_.Parties()->LeaveLobby();
      if (left.IsFailure()) {
        LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Failed to leave party: %s", left.Message());
      }
    }
    return HttpResponse(500, "Could not set party to active");
  }
  return HttpResponse();
}

HttpResponse LobbyPlugin::HandlePlayAgainDecline() {
  const std::optional<Api::LobbyStatus> last =
      PlayAgainOffer(gameflow_.PlayerStatus().lastQueuedLobbyStatus);
  if (!last.has_value()) return HttpResponse(400, kPlayAgainUnavailable);
  LobbyBackend* backend = backends_.Choose(last->isCustom, last->queueId);
  if (backend == nullptr) return HttpResponse(500, kInvalidLobby);
  // The platform's lobby was left with the game: nothing to decline there.
  if (backend != backends_.Parties()) return HttpResponse();
  MaybeType<Failure, void> left = backends_.Parties()->LeaveLobby();
  if (left.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Failed to leave party during play again decline: %s", left.Message());
    return HttpResponse(500, "Could not leave party");
  }
  return HttpResponse();
}

}  // namespace Zarn::Client::Lobby
