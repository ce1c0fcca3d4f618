// Creating a lobby for a queue, changing the queue of the lobby the player is in, joining an open
// party, reading and leaving the lobby. Every operation that changes state runs in an update
// batch; a backend is looked up again after each wait, since a shutdown may delete it meanwhile.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lobby/core/FailureReply.h"
#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

namespace {

using namespace LobbyEvents;

constexpr char kNoControllerLog[] =
    "Unable to create lobby: couldn't find controller for queue type: %d";

struct EventPair {
  LobbyEvent requested;
  LobbyEvent succeeded;
};
constexpr EventPair kPartyEvents{kPartyLobbyRequested, kPartyLobbySucceeded};
constexpr EventPair kCustomEvents{kNewCustomLobbyRequested, kNewCustomLobbySucceeded};
constexpr EventPair kNewLobbyEvents{kNewLobbyRequested, kNewLobbySucceeded};

// A custom game for one player has nobody to invite.
bool IsSoloCustomGame(const Api::Lobby& lobby) {
  return lobby.customGameLobby.has_value() &&
         lobby.customGameLobby->configuration.maxPlayerCount == 1;
}

std::string EventNotHandled(const char* what, LobbyEvent event) {
  return std::string(what) + ": the " + std::string(event) + " event was not successfully handled";
}

}  // namespace

bool LobbyPlugin::BeginLobbyRequest(LobbyEvent requested) {
  // Recorded before it fires, and put back when no state takes it.
  const LobbyEvent previous = std::exchange(lobbyRequest_, requested);
  if (ProcessLobbyEvent(requested)) return true;
  lobbyRequest_ = previous;
  return false;
}

bool LobbyPlugin::CustomJoinUnderWay() const {
  return IsLobbyRequestUnderWay() && lobbyRequest_ == kJoiningCustomLobby;
}

HttpResult<Api::LobbyDto> LobbyPlugin::HandlePostLobby(const Api::LobbyChangeGameDto& lobbyChange) {
  LobbyUpdateBatch batch(*this);
  const Api::LobbyChangeGameDto change = lobbyChange;
  LobbyBackend* backend = backends_.Choose(change.isCustom, change.queueId);
  if (backend == nullptr) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, kNoControllerLog, change.queueId);
    return HttpResponse(500, kInvalidLobby);
  }
  const bool toParties = backend == backends_.Parties();
  if (!gameflow_.RequestGameflowLobby()) return GameflowPreventedReply();
  const EventPair events = toParties         ? kPartyEvents
                           : change.isCustom ? kCustomEvents
                                             : kNewLobbyEvents;
  std::vector<Api::LobbyInvitationDto> previousMembers;
  if (viewModel_.PublishedLobby().has_value()) {
    for (const Api::LobbyParticipantDto& member : viewModel_.PublishedLobby()->members) {
      if (member.summonerId == localSummonerId_) continue;
      Api::LobbyInvitationDto invitation;
      invitation.toSummonerId = member.summonerId;
      previousMembers.push_back(std::move(invitation));
    }
  }
  if (backends_.Parties() == nullptr || !backends_.Owns(backend))
    return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, void> prepared = backends_.Parties()->PrepareForLobbyCreation(change.queueId);
  if (prepared.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Failed to change lobby queue: %s",
              prepared.Message());
    return FailureReply(prepared.GetFailure());
  }
  if (!BeginLobbyRequest(events.requested)) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Unable to create lobby: the %s event was not successfully handled",
              std::string(events.requested).c_str());
    return HttpResponse(400, "LOBBY_REQUESTED_STATE_FAILED");
  }
  MaybeType<Failure, void> changed = backends_.Owns(backend)
                                         ? backend->ChangeLobby(change)
                                         : MaybeType<Failure, void>(Failure(500, kInvalidLobby));
  if (changed.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Unable to create lobby: error creating new lobby: %s", changed.Message());
    ProcessLobbyEvent(kLobbyFailed);
    return FailureReply(changed.GetFailure());
  }
  ProcessLobbyEvent(events.succeeded);
  // The succeeded event may have made another backend the active one.
  if (backends_.Active() == nullptr) return HttpResponse();
  if (!previousMembers.empty() && !IsSoloCustomGame(V1Lobby())) {
    static_cast<void>(backends_.Active()->SendInvitations(std::move(previousMembers)));
  }
  if (backends_.Active() == nullptr) return HttpResponse();
  MaybeType<Failure, Api::LobbyDto> lobby = backends_.Active()->GetLobby();
  if (lobby.IsFailure()) return FailureReply(lobby.GetFailure());
  return std::move(lobby).Value();
}

HttpResult<Api::Lobby> LobbyPlugin::ChangeLobbyQueue(Api::LobbyChangeGameDto change) {
  LobbyUpdateBatch batch(*this);
  if (!IsInLobby()) return HttpResponse(409, "No lobby exists.");
  std::vector<std::uint64_t> previousIds;
  for (const Api::LobbyMember& member : V1Lobby().members) {
    if (member.id != localSummonerId_) previousIds.push_back(member.id);
  }
  Api::Lobby requested;
  requested.queueId = change.queueId;
  requested.isCustom = change.isCustom;
  requested.customGameLobby = std::move(change.customGameLobby);
  const EventPair events = change.isCustom ? kCustomEvents : kNewLobbyEvents;
  if (!BeginLobbyRequest(events.requested)) {
    const std::string text = EventNotHandled("Unable to change lobby queue", events.requested);
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "%s", text.c_str());
    return HttpResponse(400, text);
  }
  MaybeType<Failure, Api::Lobby> created = CreateLobbyWithController(requested);
  if (created.IsFailure()) {
    ProcessLobbyEvent(kLobbyFailed);
    return HttpResponse(created.GetFailure().Code(), created.Message());
  }
  ProcessLobbyEvent(events.succeeded);
  if (!previousIds.empty() && !IsSoloCustomGame(V1Lobby())) {
    MaybeType<Failure, Api::Lobby> group = CreatePlatformLobby(V1Lobby());
    if (group.IsFailure()) {
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
                "Failed to create platform lobby while changing queues: %s", group.Message());
    } else {
      MaybeType<Failure, void> invited = ReinviteViaPlatform(std::move(previousIds));
      if (invited.IsFailure()) {
        LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
                  "Failed to bulk reinvite previous lobby members while changing queues: %s",
                  invited.Message());
      }
    }
  }
  return Api::Lobby(V1Lobby());
}

HttpResult<Api::Lobby> LobbyPlugin::CreateLobby(const Api::Lobby& requested) {
  LobbyUpdateBatch batch(*this);
  const Api::Lobby request = requested;
  if (backends_.Choose(request.isCustom, request.queueId) == nullptr) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, kNoControllerLog, request.queueId);
    return HttpResponse(
        400, Format("Unable to create lobby: couldn't find controller for queue type: %1",
                    request.queueId));
  }
  // Tested before any event: from a legacy lobby the requested event would leave it, and the
  // refusal would come over a lobby already gone.
  if (IsInLobby()) return HttpResponse(409, "A lobby already exists");
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(request.isCustom, request.queueId);
  const bool custom = controller != nullptr && controller->IsCustomGame();
  const EventPair events = custom ? kCustomEvents : kNewLobbyEvents;
  if (!BeginLobbyRequest(events.requested)) {
    const std::string text = EventNotHandled("Unable to create lobby", events.requested);
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "%s", text.c_str());
    return HttpResponse(400, text);
  }
  HttpResult<Api::Lobby> reply;
  if (!gameflow_.RequestGameflowLobby()) {
    reply = HttpResponse(423, kGameflowPreventedLobby);
  } else {
    MaybeType<Failure, Api::Lobby> created = CreateLobbyWithController(request);
    if (created.IsFailure()) {
      reply = FailureReply(created.GetFailure());
    } else {
      ProcessLobbyEvent(events.succeeded);
      return Api::Lobby(V1Lobby());
    }
  }
  ProcessLobbyEvent(kLobbyFailed);
  return reply;
}

HttpResult<Api::Lobby> LobbyPlugin::ReinviteMembers() {
  Api::Lobby requested;
  requested.queueId = lastQueued_.QueueId();
  // Copied before the creation waits.
  std::vector<std::uint64_t> memberIds = lastQueued_.MemberIds();
  HttpResult<Api::Lobby> reply = CreateLobby(requested);
  if (!reply.response.ok) return reply;
  MaybeType<Failure, void> invited = ReinviteViaPlatform(std::move(memberIds));
  if (invited.IsFailure()) {
    return MakeInternalServerError("Error re-inviting members: %1", invited.Message());
  }
  return reply;
}

MaybeType<Failure, void> LobbyPlugin::ReinviteViaPlatform(std::vector<std::uint64_t> summonerIds) {
  if (summonerIds.empty()) return MaybeType<Failure, void>::Success();
  std::vector<Api::LobbyInvitation> invitations;
  for (std::uint64_t id : summonerIds) {
    if (id == localSummonerId_) continue;
    Api::LobbyInvitation invitation;
    invitation.toSummonerId = id;
    invitation.state = Api::LobbyInvitationState::Pending;
    invitations.push_back(std::move(invitation));
  }
  HttpResult<std::vector<Api::LobbyInvitation>> sent =
      SendPlatformInvitations(std::move(invitations));
  if (sent.response.ok) return MaybeType<Failure, void>::Success();
  return Failure(sent.response.status.status, sent.response.message);
}

HttpResult<Api::LobbyDto> LobbyPlugin::HandleGetLobby() {
  if (!viewModel_.PublishedLobby().has_value())
    return MakeNotFound(std::string_view(kLobbyNotFound));
  return Api::LobbyDto(*viewModel_.PublishedLobby());
}

HttpResponse LobbyPlugin::HandleDeleteLobby() {
  LobbyUpdateBatch batch(*this);
  if (!viewModel_.PublishedLobby().has_value())
    return MakeNotFound(std::string_view(kLobbyNotFound));
  return LeaveLobby();
}

HttpResponse LobbyPlugin::LeaveLobby() {
  const bool wasInLobby = IsInLobby();
  if (backends_.Active() != nullptr) {
    MaybeType<Failure, void> left = backends_.Active()->LeaveLobby();
    if (left.IsFailure()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Failed to leave lobby: %s", left.Message());
      return FailureReply(left.GetFailure());
    }
  }
  if (!ProcessLobbyEvent(kQuitLobby)) {
    // The service may report the leave while its request waits: the lobby is left all the same.
    if (wasInLobby && stateMachine_.IsInState(&LobbyFlow::kOutOfLobby)) return HttpResponse();
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Unable to leave current lobby");
    return HttpResponse(400, "QUIT_LOBBY_STATE_FAILED");
  }
  return HttpResponse();
}

HttpResponse LobbyPlugin::QuitLobbyState() {
  LobbyUpdateBatch batch(*this);
  if (!ProcessLobbyEvent(kQuitLobby)) return HttpResponse(404, "LOBBY_STATE_INVALID");
  return HttpResponse();
}

HttpResponse LobbyPlugin::HandleJoinParty(const std::string& partyId) {
  if (std::optional<HttpResponse> refused = RefusedPathId("partyId", partyId)) {
    return std::move(*refused);
  }
  LobbyUpdateBatch batch(*this);
  const std::string party = partyId;
  if (!IsInLobby() && !gameflow_.RequestGameflowLobby()) return GameflowPreventedReply();
  if (backends_.Active() != nullptr && backends_.Active() != backends_.Parties()) {
    MaybeType<Failure, void> left = backends_.Active()->LeaveLobby();
    if (left.IsFailure()) {
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Unable to leave to join open party: %s",
                left.Message());
      return FailureReply(left.GetFailure());
    }
    // The lobby is gone: the machine must not stay in it whatever the join gives.
    ProcessLobbyEvent(kQuitLobby);
  }
  if (backends_.Parties() == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, void> joined = backends_.Parties()->JoinOpenParty(party);
  if (joined.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Unable to accept invitation to lobby: %s",
              joined.Message());
    return FailureReply(joined.GetFailure());
  }
  ProcessLobbyEvent(kAcceptedPartyInvite);
  return HttpResponse();
}

HttpResult<Api::QueueAvailability> LobbyPlugin::HandleGetAvailability() {
  if (!IsInLobby() || backends_.Active() == nullptr) {
    return MakeNotFound(std::string_view(kLobbyNotFound));
  }
  constexpr std::string_view kAvailabilityNotFound = "LOBBY_AVAILABILITY_NOT_FOUND";
  if (stateMachine_.InTransition()) {
    // The backend's lobby would be asked for inside the transition: the published one answers.
    const std::optional<Api::LobbyDto>& published = viewModel_.PublishedLobby();
    if (!published.has_value()) return MakeNotFound(kAvailabilityNotFound);
    if (published->gameConfig.isCustom) return viewModel_.Availability();
    return viewModel_.GetQueueAvailability(published->gameConfig.queueId);
  }
  MaybeType<Failure, Api::LobbyDto> lobby = backends_.Active()->GetLobby();
  if (lobby.IsFailure()) return MakeNotFound(kAvailabilityNotFound);
  if (V1Lobby().isCustom) return viewModel_.Availability();
  return viewModel_.GetQueueAvailability(lobby.Value().gameConfig.queueId);
}

}  // namespace Zarn::Client::Lobby
