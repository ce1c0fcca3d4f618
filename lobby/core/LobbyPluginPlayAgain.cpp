// The two answers to the play-again offer after a game. Backends are looked up again after every
// wait: a shutdown meanwhile deletes them.
#include <optional>
#include <utility>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kPlayAgainUnavailable[] = "Play-again is currently unavailable.";

// A copy of the last queued lobby's status when it offers play again; none otherwise.
std::optional<Api::LobbyStatus> PlayAgainOffer(const std::optional<Api::LobbyStatus>& last) {
  if (!last.has_value() || !last->allowedPlayAgain) return std::nullopt;
  return *last;
}

}  // namespace

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
