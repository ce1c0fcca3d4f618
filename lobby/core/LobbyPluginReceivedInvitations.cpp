// LobbyPlugin: the received invitations' routes and messages, which the received invitations
// hold, accepting and declining them, end-of-game invitations, and the legacy lobby status and
// removal messages. Every record that a wait could change is copied before the wait, and every
// entry is looked up again by id after it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lobby/core/FailureReply.h"
#include "lobby/core/GameMetaData.h"
#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/LcdsCall.h"

namespace Zarn::Client::Lobby {

namespace {

using namespace LobbyEvents;

constexpr char kInvitationNotFound[] = "INVITATION_NOT_FOUND";
constexpr char kInviteService[] = "lcdsGameInvitationService";
constexpr char kLobbyClosedException[] = "LobbyClosedException";

const char* RemovalReasonName(LCDS::RemovalReason reason) {
  switch (reason) {
    case LCDS::RemovalReason::KICKED:
      return "KICKED";
    case LCDS::RemovalReason::DESTROYED:
      return "DESTROYED";
    case LCDS::RemovalReason::PROGRESSED:
      return "PROGRESSED";
  }
  return nullptr;
}

const char* InvitationTypeName(Api::InvitationType type) {
  switch (type) {
    case Api::InvitationType::invalid:
      return "invalid";
    case Api::InvitationType::lobby:
      return "lobby";
    case Api::InvitationType::party:
      return "party";
  }
  return "";
}

}  // namespace

void LobbyPlugin::OnReceivedInvitation(const LCDS::InvitationRequest& message) {
  LobbyUpdateBatch batch(*this);
  receivedInvitations_.OnReceivedInvitation(message);
}

std::vector<Api::ReceivedInvitationDto> LobbyPlugin::PartyInvitations() {
  if (backends_.Parties() == nullptr) return {};
  return backends_.Parties()->BuildReceivedInvitations();
}

void LobbyPlugin::GetPendingInvitations() {
  MaybeType<Failure, std::vector<LCDS::InvitationRequest>> pending =
      LcdsCallSync<std::vector<LCDS::InvitationRequest>>(kInviteService, "getPendingInvitations");
  if (pending.IsFailure()) return;
  const std::vector<LCDS::InvitationRequest> requests = std::move(pending).Value();
  for (const LCDS::InvitationRequest& request : requests) OnReceivedInvitation(request);
}

BindingHttpResult LobbyPlugin::AcceptPlatformInvitation(std::string invitationId) {
  LobbyUpdateBatch batch(*this);
  const std::string id = std::move(invitationId);
  const std::string leaving = std::exchange(acceptLeaving_, std::string());
  // A copy: the list may change during every wait below.
  const std::optional<Api::LobbyInvitation> listed = receivedInvitations_.FindLegacy(id);
  if (!listed.has_value()) return MakeNotFound(std::string_view(kInvitationNotFound));
  const Api::LobbyInvitation& invitation = *listed;
  if (!gameflow_.RequestGameflowLobby()) return HttpResponse(423, kGameflowPreventedLobby);
  const bool isCustom =
      invitation.invitationMetaData.FindMember("gameType").GetString() == "PRACTICE_GAME";
  const std::int32_t queueId = GameMetaDataQueueId(invitation.invitationMetaData);
  const std::shared_ptr<LobbyController> controller = GetLobbyController(isCustom, queueId);
  if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, LCDS::LobbyStatus> status = controller->AcceptInvitation(invitation, id);
  if (status.IsFailure()) {
    const std::string message = status.Message();
    HttpResponse reply;
    if (message.find(kLobbyFullException) != std::string::npos) {
      reply = HttpResponse(403, "Error accepting invitation: Lobby is already full");
    } else if (message.find(kLobbyClosedException) != std::string::npos) {
      reply = HttpResponse(410, "Error accepting invitation: Lobby is disbanded");
    } else {
      reply = HttpResponse(500, Format("Error accepting invitation: %1", message));
    }
    PostGameflowEvent("GAMEFLOW_EVENT.FAILED_LOBBY");
    return reply;
  }
  const Api::Lobby current = V1Lobby();
  const LCDS::LobbyStatus joined = std::move(status).Value();
  // The platform took the player out of the legacy lobby no leave took it out of, whatever the
  // waits stored since (the joined lobby's status among them), and out of the one now stored.
  if (leaving != joined.invitationId) v1Lobby_.AbandonLeftLobby(leaving);
  if (IsInLobbyState(LobbyFlow::kLegacyLobby) && current.invitationId != joined.invitationId) {
    v1Lobby_.AbandonLeftLobby(current.invitationId);
  }
  MaybeType<Failure, Api::Lobby> refreshed = controller->RefreshLobby(current, joined);
  Api::Lobby accepted;
  if (refreshed.HasValue()) {
    accepted = std::move(refreshed).Value();
  } else {
    // The platform has the player in the lobby joined: the previous one must not stand for it.
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Accepted invitation %s; its lobby %s is shown as its status gives it: %s",
              id.c_str(), joined.invitationId.c_str(), refreshed.Message());
    accepted = controller->LobbyFromStatus(joined);
  }
  // A custom game whose status names none is the invitation's: its updates complete the lobby.
  if (accepted.isCustom && accepted.customGameLobby.has_value() &&
      accepted.customGameLobby->gameId == 0) {
    accepted.customGameLobby->gameId =
        GameMetaDataGameId(invitation.invitationMetaData, Runtime().Registry());
  }
  v1Lobby_.SetLobby(accepted);
  const std::string lobbyId = V1Lobby().invitationId;
  v1Lobby_.RemoveFromAbandonedLobbyIds(lobbyId);
  PublishV1LobbyParts();
  UpdatePartyRewards();
  // Looked up again: a message handled during the waits may have changed or removed it.
  receivedInvitations_.RemoveAccepted(id);
  return BindingHttpResult();
}

BindingHttpResult LobbyPlugin::DeclinePlatformInvitation(std::string invitationId) {
  LobbyUpdateBatch batch(*this);
  const std::string id = std::move(invitationId);
  if (!receivedInvitations_.FindLegacy(id).has_value()) {
    return MakeNotFound(std::string_view(kInvitationNotFound));
  }
  MaybeType<Failure, void> declined = LcdsCallSync<void>(kInviteService, "decline", id);
  if (declined.IsFailure()) {
    return MakeInternalServerError("Error declining invitation: %1", declined.Message());
  }
  receivedInvitations_.MarkDeclined(id);
  return BindingHttpResult();
}

HttpResult<std::vector<Api::ReceivedInvitationDto>> LobbyPlugin::HandleGetReceivedInvitations() {
  return receivedInvitations_.List();
}

HttpResponse LobbyPlugin::HandleAcceptReceivedInvitation(const std::string& invitationId) {
  if (std::optional<HttpResponse> refused = RefusedPathId("invitationId", invitationId)) {
    return std::move(*refused);
  }
  LobbyUpdateBatch batch(*this);
  const std::string id = invitationId;
  const std::optional<Api::ReceivedInvitationDto> found =
      receivedInvitations_.FindToAnswer(id, "accept");
  if (!found.has_value()) return MakeNotFound(std::string_view(kInvitationNotFound));
  const Api::ReceivedInvitationDto& invitation = *found;
  const bool party = invitation.invitationType == Api::InvitationType::party;
  if (!party && invitation.invitationType != Api::InvitationType::lobby) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Invalid invite: couldn't find controller for invite type: %s",
              InvitationTypeName(invitation.invitationType));
    return HttpResponse(500, "INVALID_INVITATION_TYPE");
  }
  const LobbyEvent accepted = party ? kAcceptedPartyInvite : kAcceptedLegacyInvite;
  // Taken before any wait: the lobby the platform takes the player out of once it grants the
  // accept, unless a leave did first.
  std::string leaving = IsInLobbyState(LobbyFlow::kLegacyLobby) ? V1Lobby().invitationId : "";
  if (!IsInLobby() && !gameflow_.RequestGameflowLobby()) return GameflowPreventedReply();
  if (backends_.Parties() != nullptr && backends_.Parties()->IsClashParty()) {
    static_cast<void>(backends_.Parties()->LeaveLobbyUnlessPending(invitation));
  } else if (backends_.Active() != nullptr) {
    const bool legacy = backends_.Active() == backends_.Platform();
    // Taken before the leave's wait.
    const std::string left = V1Lobby().invitationId;
    const bool out = backends_.Active()->LeaveLobbyUnlessPending(invitation).HasValue();
    // Accepted into a legacy lobby, LegacyLobby stays entered: its exit will not keep the lobby
    // left, whose later updates must not replace the one joined. One the leave failed to leave
    // stays the player's unless the platform grants the accept.
    if (legacy && !party && out) {
      v1Lobby_.AbandonLeftLobby(left);
      leaving.clear();
    }
  }
  // Chosen after the leave, which may have waited through a shutdown.
  LobbyBackend* backend = party ? static_cast<LobbyBackend*>(backends_.Parties())
                                : static_cast<LobbyBackend*>(backends_.Platform());
  if (backend == nullptr) return HttpResponse(500, kInvalidLobby);
  if (!party) acceptLeaving_ = std::move(leaving);
  MaybeType<Failure, void> outcome = backend->AcceptInvitation(id);
  acceptLeaving_.clear();
  if (outcome.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Unable to accept invitation to lobby: %s",
              outcome.Message());
    return FailureReply(outcome.GetFailure());
  }
  // The platform accept published the v1 lobby before this event entered it: from outside a
  // lobby as a Delete, and from a party lobby before the party lobby's exit deleted it. From any
  // other state (a legacy lobby, a lobby change waiting) it went out as the lobby, and nothing
  // the event runs deletes it: it stands as published.
  const bool republish = !party && (stateMachine_.IsInState(&LobbyFlow::kOutOfLobby) ||
                                    stateMachine_.IsInState(&LobbyFlow::kPartyLobby));
  if (ProcessLobbyEvent(accepted) && republish) PublishV1LobbyParts();
  return HttpResponse();
}

HttpResponse LobbyPlugin::HandleDeclineReceivedInvitation(const std::string& invitationId) {
  if (std::optional<HttpResponse> refused = RefusedPathId("invitationId", invitationId)) {
    return std::move(*refused);
  }
  LobbyUpdateBatch batch(*this);
  const std::string id = invitationId;
  const std::optional<Api::ReceivedInvitationDto> found =
      receivedInvitations_.FindToAnswer(id, "decline");
  if (!found.has_value()) return MakeNotFound(std::string_view(kInvitationNotFound));
  const std::int32_t queueId = found->gameConfig.queueId;
  LobbyBackend* backend = backends_.Choose(false, queueId);
  if (backend == nullptr) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Unable to decline invitation to lobby: couldn't find controller for queue: %d",
              queueId);
    return HttpResponse(500, kInvalidLobby);
  }
  MaybeType<Failure, void> outcome = backend->DeclineInvitation(id);
  if (outcome.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "%s", outcome.Message());
    return FailureReply(outcome.GetFailure());
  }
  return HttpResponse();
}

HttpResult<std::vector<Api::LobbyInvitationDto>> LobbyPlugin::HandlePostEogInvitations(
    const std::vector<Api::LobbyInvitationDto>& invitations) {
  const bool canInvite = gameflow_.PlayerStatus().canInviteOthersAtEog;
  // Refused outside the batch, whose close refreshes the lobby's view: nothing is looked up.
  if (canInvite) {
    if (std::optional<HttpResponse> refused =
            RefuseTooManyInvitations(invitations.size(), "party")) {
      return std::move(*refused);
    }
  }
  LobbyUpdateBatch batch(*this);
  if (!canInvite) return HttpResponse(400, "INVALID_REQUEST");
  std::vector<Api::LobbyInvitationDto> requested = invitations;
  if (backends_.Parties() == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> sent =
      backends_.Parties()->SendInvitations(std::move(requested));
  if (sent.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Unable to send invitations to the current party: %s", sent.Message());
    return FailureReply(sent.GetFailure());
  }
  LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0, "Invitations sent");
  return std::move(sent).Value();
}

void LobbyPlugin::OnLobbyStatus(const LCDS::LobbyStatus& message) {
  LobbyUpdateBatch batch(*this);
  const LCDS::LobbyStatus status = message;
  // Before it counts as the latest: a status held meanwhile is not overtaken by this one.
  if (v1Lobby_.AbandonOrphanedStatus(status)) return;
  const std::uint64_t handedOn = v1Lobby_.BeginLobbyStatus();
  const Api::Lobby current = V1Lobby();
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(current.isCustom, current.queueId);
  MaybeType<Failure, Api::Lobby> lobby = Failure(500, kInvalidLobby);
  if (controller != nullptr) lobby = controller->HandleLobbyStatus(current, status);
  // A newer status handed on while the controller waited stands; this one is dropped.
  if (!v1Lobby_.IsLatestLobbyStatus(handedOn)) return;
  if (lobby.HasValue()) {
    if (v1Lobby_.IgnoresAbandonedLobby(lobby.Value().invitationId)) return;
    v1Lobby_.SetLobby(lobby.Value());
  }
  PublishV1LobbyParts();
  UpdatePartyRewards();
  if (status.owner.summonerId == localSummonerId_) ProcessLobbyEvent(kGetPromoted);
  members_.AutoGrantInvite(status.owner.summonerId);
}

void LobbyPlugin::OnRemovedFromLobbyNotification(
    const LCDS::RemovedFromLobbyNotification& message) {
  LobbyUpdateBatch batch(*this);
  AddRemovedFromLobbyNotification(message.removalReason);
}

void LobbyPlugin::AddRemovedFromLobbyNotification(LCDS::RemovalReason reason) {
  const char* name = RemovalReasonName(reason);
  const std::string reasonText =
      name != nullptr ? std::string(name) : std::to_string(static_cast<int>(reason));
  static_cast<void>(notifications_.AddLobbyNotification(
      notifications_.MakeLobbyNotification(reasonText, {localSummonerId_})));
  OnRemovedFromLobby(reason);
}

void LobbyPlugin::OnRemovedFromLobby(LCDS::RemovalReason reason) {
  if (!IsInLobby()) {
    LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0,
              "Received a removed from lobby notification but we weren't in a lobby.");
  } else {
    countdown_.StopCountdown();
    members_.ForgetAutoGrantedMembers();
    switch (reason) {
      case LCDS::RemovalReason::KICKED: {
        v1Lobby_.MarkKicked(localSummonerId_);
        ProcessLobbyEvent(kKicked);
        break;
      }
      case LCDS::RemovalReason::DESTROYED:
        ProcessLobbyEvent(kLobbyDestroyed);
        break;
      case LCDS::RemovalReason::PROGRESSED:
        ProcessLobbyEvent(kProgressed);
        break;
    }
  }
  notifications_.Publish();
}

}  // namespace Zarn::Client::Lobby
