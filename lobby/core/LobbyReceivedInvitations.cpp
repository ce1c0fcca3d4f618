// Received invitations: legacy invitation messages, accepting and declining them, the merged v2
// list with its blocked senders left out, end-of-game invitations, and the legacy lobby status and
// removal messages. Every record that a wait could change is copied before the wait, and every
// entry is looked up again by id after it.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "lobby/core/FailureReply.h"
#include "lobby/core/GameMetaData.h"
#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "lobby/core/LobbyViews.h"
#include "lobby/core/RecordEquality.h"
#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/JsonText.h"
#include "sdk/runtime/LcdsCall.h"
#include "sdk/runtime/Requests.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

using namespace LobbyEvents;

constexpr char kReceivedPathPrefix[] = "/jyx-lobby/v1/received-invitations/";
constexpr char kReceivedV2Path[] = "/jyx-lobby/v2/received-invitations";
constexpr char kInvitationNotFound[] = "INVITATION_NOT_FOUND";
constexpr char kInviteService[] = "lcdsGameInvitationService";
constexpr char kLobbyClosedException[] = "LobbyClosedException";

std::string ReceivedPath(const std::string& id) { return kReceivedPathPrefix + id; }

// The listed invitation `id`, else a copy of the last one received, which the caller still
// compares with `id`.
Api::ReceivedInvitationDto ListedOrLastInvitation(
    const std::vector<Api::ReceivedInvitationDto>& listed, const Api::ReceivedInvitationDto& last,
    const std::string& id) {
  if (std::optional<std::size_t> index = LobbyPlugin::FindReceivedInvitation(listed, id)) {
    return listed[*index];
  }
  LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Received invitation ID does not exist");
  return last;
}

// The free-form meta-data of an invitation; text that is not JSON gives the empty value.
BindingProperty ParseMetaData(const std::string& text) {
  BindingResult parsed = ParseJson(text);
  if (!parsed.IsOk()) return BindingProperty();
  return parsed.Value();
}

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

bool SameLists(const std::vector<Api::ReceivedInvitationDto>& a,
               const std::vector<Api::ReceivedInvitationDto>& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](const Api::ReceivedInvitationDto& x, const Api::ReceivedInvitationDto& y) {
                      return RecordsEqual(x, y);
                    });
}

}  // namespace

void LobbyPlugin::OnReceivedInvitation(const LCDS::InvitationRequest& message) {
  LobbyUpdateBatch batch(*this);
  // A copy: the lookups below wait, and the host may reuse the message meanwhile.
  const LCDS::InvitationRequest request = message;
  const std::uint64_t arrival = ++invitationMessageCount_;
  bool blocked = false;
  if (const auto* players = blockedPlayers_.Effective(); players != nullptr) {
    blocked = std::any_of(players->begin(), players->end(),
                          [&request](const Api::ChatBlockedPlayerResource& player) {
                            return player.id == request.inviter.summonerId;
                          });
  }
  const Api::LobbyInvitationState activeState =
      blocked ? Api::LobbyInvitationState::Declined : Api::LobbyInvitationState::Pending;
  const std::uint64_t fromSummonerId =
      request.inviter.summonerId != 0 ? request.inviter.summonerId : request.owner.summonerId;
  // What the front end sees of a legacy invitation while the game client runs.
  const auto published = [this, blocked](const Api::LobbyInvitation& invitation) {
    if (!gameClientRunning_) return invitation;
    Api::LobbyInvitation shown = invitation;
    shown.state = blocked ? Api::LobbyInvitationState::Declined : Api::LobbyInvitationState::OnHold;
    return shown;
  };
  // Refreshes every listed entry of the message's id in place; whether there was one.
  const auto updateListed = [&] {
    bool matched = false;
    for (Api::LobbyInvitation& invitation : receivedInvitations_) {
      if (invitation.id != request.invitationId) continue;
      matched = true;
      invitation.state = activeState;
      invitation.fromSummonerId = fromSummonerId;
      invitation.timestamp = FormatTimestamp();
      invitation.invitationMetaData = ParseMetaData(request.gameMetaData);
      SendJsonApiEvent(kResourceUpdate, ReceivedPath(invitation.id), published(invitation));
    }
    return matched;
  };
  const auto findListed = [this, &request] {
    return std::find_if(receivedInvitations_.begin(), receivedInvitations_.end(),
                        [&request](const Api::LobbyInvitation& invitation) {
                          return invitation.id == request.invitationId;
                        });
  };

  switch (request.invitationState) {
    case LCDS::InvitationState::ACTIVE: {
      if (updateListed()) {
        PublishReceivedInvitations();
        return;
      }
      Api::LobbyInvitation invitation;
      invitation.id = request.invitationId;
      invitation.fromSummonerId = fromSummonerId;
      invitation.toSummonerId = localSummonerId_;
      invitation.state = activeState;
      invitation.timestamp = FormatTimestamp();
      invitation.invitationMetaData = ParseMetaData(request.gameMetaData);
      // The lookups wait: messages for this id handled meanwhile must find it in flight.
      ++invitationsInFlight_[request.invitationId].handlers;
      invitation.eligibility = CheckInviteEligibility(invitation.invitationMetaData);
      LookupInvitationSummoners(invitation);
      bool revoked = false;
      if (auto flight = invitationsInFlight_.find(request.invitationId);
          flight != invitationsInFlight_.end()) {
        revoked = flight->second.revokedAt > arrival;
        if (--flight->second.handlers <= 0) invitationsInFlight_.erase(flight);
      }
      if (revoked) return;
      // Another message for the id may have listed it meanwhile.
      if (updateListed()) {
        PublishReceivedInvitations();
        return;
      }
      receivedInvitations_.push_back(invitation);
      SendJsonApiEvent(kResourceCreate, ReceivedPath(invitation.id), published(invitation));
      PublishReceivedInvitations();
      return;
    }
    case LCDS::InvitationState::ON_HOLD: {
      auto listed = findListed();
      if (listed == receivedInvitations_.end()) return;
      listed->state = Api::LobbyInvitationState::OnHold;
      SendJsonApiEvent(kResourceUpdate, ReceivedPath(request.invitationId), *listed);
      PublishReceivedInvitations();
      return;
    }
    case LCDS::InvitationState::REVOKED: {
      if (auto flight = invitationsInFlight_.find(request.invitationId);
          flight != invitationsInFlight_.end()) {
        flight->second.revokedAt = arrival;
      }
      auto listed = findListed();
      if (listed == receivedInvitations_.end()) return;
      const std::string id = listed->id;
      receivedInvitations_.erase(listed);
      PublishResourceEvent(ReceivedPath(id));
      PublishReceivedInvitations();
      return;
    }
  }
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
            "Lobby Received Invitation: Got unrecognized state '%d'",
            static_cast<int>(request.invitationState));
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
  auto listed =
      std::find_if(receivedInvitations_.begin(), receivedInvitations_.end(),
                   [&id](const Api::LobbyInvitation& invitation) { return invitation.id == id; });
  if (listed == receivedInvitations_.end())
    return MakeNotFound(std::string_view(kInvitationNotFound));
  // A copy: the list may change during every wait below.
  const Api::LobbyInvitation invitation = *listed;
  if (!RequestGameflowLobby()) return HttpResponse(423, kGameflowPreventedLobby);
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
  const Api::Lobby current = lobby_;
  MaybeType<Failure, Api::Lobby> refreshed =
      controller->RefreshLobby(current, std::move(status).Value());
  if (refreshed.HasValue()) SetLobby(refreshed.Value());
  const std::string lobbyId = lobby_.invitationId;
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "RemoveFromAbandonedLobbyIds: %s",
            lobbyId.c_str());
  abandonedLobbyInvitationIds_.erase(lobbyId);
  PublishV1LobbyParts();
  UpdatePartyRewards();
  // Looked up again: a message handled during the waits may have changed or removed it.
  listed = std::find_if(receivedInvitations_.begin(), receivedInvitations_.end(),
                        [&id](const Api::LobbyInvitation& entry) { return entry.id == id; });
  if (listed != receivedInvitations_.end()) {
    listed->state = Api::LobbyInvitationState::Accepted;
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Accepted game invitation %s", id.c_str());
    const Api::LobbyInvitation accepted = *listed;
    receivedInvitations_.erase(listed);
    SendJsonApiEvent(kResourceUpdate, ReceivedPath(id), accepted);
    PublishResourceEvent(ReceivedPath(id));
  }
  return BindingHttpResult();
}

BindingHttpResult LobbyPlugin::DeclinePlatformInvitation(std::string invitationId) {
  LobbyUpdateBatch batch(*this);
  const std::string id = std::move(invitationId);
  const auto findListed = [this, &id] {
    return std::find_if(
        receivedInvitations_.begin(), receivedInvitations_.end(),
        [&id](const Api::LobbyInvitation& invitation) { return invitation.id == id; });
  };
  if (findListed() == receivedInvitations_.end()) {
    return MakeNotFound(std::string_view(kInvitationNotFound));
  }
  MaybeType<Failure, void> declined = LcdsCallSync<void>(kInviteService, "decline", id);
  if (declined.IsFailure()) {
    return MakeInternalServerError("Error declining invitation: %1", declined.Message());
  }
  auto listed = findListed();
  if (listed != receivedInvitations_.end()) {
    listed->state = Api::LobbyInvitationState::Declined;
    SendJsonApiEvent(kResourceUpdate, ReceivedPath(id), *listed);
  }
  return BindingHttpResult();
}

HttpResult<std::vector<Api::ReceivedInvitationDto>> LobbyPlugin::HandleGetReceivedInvitations() {
  return std::vector<Api::ReceivedInvitationDto>(receivedInvitationDtos_);
}

HttpResponse LobbyPlugin::HandleAcceptReceivedInvitation(const std::string& invitationId) {
  LobbyUpdateBatch batch(*this);
  const std::string id = invitationId;
  Api::ReceivedInvitationDto invitation =
      ListedOrLastInvitation(receivedInvitationDtos_, lastReceivedInvitation_, id);
  if (invitation.invitationId != id) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Unable to accept invitation to lobby: invitation not found");
    return MakeNotFound(std::string_view(kInvitationNotFound));
  }
  const bool party = invitation.invitationType == Api::InvitationType::party;
  if (!party && invitation.invitationType != Api::InvitationType::lobby) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Invalid invite: couldn't find controller for invite type: %s",
              InvitationTypeName(invitation.invitationType));
    return HttpResponse(500, "INVALID_INVITATION_TYPE");
  }
  const LobbyEvent accepted = party ? kAcceptedPartyInvite : kAcceptedLegacyInvite;
  if (!IsInLobby() && !RequestGameflowLobby()) return GameflowPreventedReply();
  if (partiesBackend_ != nullptr && partiesBackend_->IsClashParty()) {
    static_cast<void>(partiesBackend_->LeaveLobbyUnlessPending(invitation));
  } else if (activeBackend_ != nullptr) {
    static_cast<void>(activeBackend_->LeaveLobbyUnlessPending(invitation));
  }
  // Chosen after the leave, which may have waited through a shutdown.
  LobbyBackend* backend = party ? static_cast<LobbyBackend*>(partiesBackend_.get())
                                : static_cast<LobbyBackend*>(platformBackend_.get());
  if (backend == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, void> outcome = backend->AcceptInvitation(id);
  if (outcome.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Unable to accept invitation to lobby: %s",
              outcome.Message());
    return FailureReply(outcome.GetFailure());
  }
  // The platform accept published the v1 lobby before this event entered it, which then read
  // as a Delete: the joined lobby is published now.
  if (stateMachine_.ProcessEvent(accepted) && !party) PublishV1LobbyParts();
  return HttpResponse();
}

HttpResponse LobbyPlugin::HandleDeclineReceivedInvitation(const std::string& invitationId) {
  LobbyUpdateBatch batch(*this);
  const std::string id = invitationId;
  Api::ReceivedInvitationDto invitation =
      ListedOrLastInvitation(receivedInvitationDtos_, lastReceivedInvitation_, id);
  if (invitation.invitationId != id) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Unable to decline invitation to lobby: invitation not found");
    return MakeNotFound(std::string_view(kInvitationNotFound));
  }
  const std::int32_t queueId = invitation.gameConfig.queueId;
  LobbyBackend* backend = partiesBackend_ != nullptr && partiesBackend_->IsEnabledForQueue(queueId)
                              ? static_cast<LobbyBackend*>(partiesBackend_.get())
                              : static_cast<LobbyBackend*>(platformBackend_.get());
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

void LobbyPlugin::PublishReceivedInvitations() {
  // The party invitations first: building them may wait, and the legacy list is read after.
  std::vector<Api::ReceivedInvitationDto> invitations;
  if (partiesBackend_ != nullptr) invitations = partiesBackend_->BuildReceivedInvitations();
  std::vector<Api::ReceivedInvitationDto> legacy = MakeReceivedInvitationDtos(receivedInvitations_);
  invitations.insert(invitations.begin(), std::make_move_iterator(legacy.begin()),
                     std::make_move_iterator(legacy.end()));
  std::set<std::uint64_t> blocked;
  if (const auto* players = blockedPlayers_.Effective(); players != nullptr) {
    for (const Api::ChatBlockedPlayerResource& player : *players) blocked.insert(player.id);
  }
  invitations.erase(EraseReceivedInvitationsFrom(invitations.begin(), invitations.end(), blocked),
                    invitations.end());
  std::stable_sort(invitations.begin(), invitations.end(),
                   [](const Api::ReceivedInvitationDto& a, const Api::ReceivedInvitationDto& b) {
                     return std::tie(a.invitationId, a.timestamp, a.fromSummonerId, a.state) <
                            std::tie(b.invitationId, b.timestamp, b.fromSummonerId, b.state);
                   });
  if (SameLists(invitations, receivedInvitationDtos_)) return;
  const bool flash = HasNewPendingInvitation(invitations);
  // Stored before the flash request waits, so that a publication meanwhile compares with it.
  receivedInvitationDtos_ = invitations;
  if (flash) static_cast<void>(Request<void>(HttpMethod::Post, "/zarnclient/ux-flash"));
  // A newer list published during the flash stands.
  if (!SameLists(invitations, receivedInvitationDtos_)) return;
  SendJsonApiEvent(kResourceUpdate, kReceivedV2Path, invitations);
}

bool LobbyPlugin::HasNewPendingInvitation(
    const std::vector<Api::ReceivedInvitationDto>& invitations) const {
  std::set<std::uint64_t> pendingBefore;
  for (const Api::ReceivedInvitationDto& invitation : receivedInvitationDtos_) {
    if (invitation.state == Api::LobbyInvitationState::Pending) {
      pendingBefore.insert(invitation.fromSummonerId);
    }
  }
  return std::any_of(invitations.begin(), invitations.end(),
                     [&pendingBefore](const Api::ReceivedInvitationDto& invitation) {
                       return invitation.state == Api::LobbyInvitationState::Pending &&
                              !pendingBefore.contains(invitation.fromSummonerId);
                     });
}

std::vector<Api::ReceivedInvitationDto>::iterator LobbyPlugin::EraseReceivedInvitationsFrom(
    std::vector<Api::ReceivedInvitationDto>::iterator first,
    std::vector<Api::ReceivedInvitationDto>::iterator last,
    const std::set<std::uint64_t>& summonerIds) {
  return std::remove_if(first, last, [&summonerIds](const Api::ReceivedInvitationDto& invitation) {
    return summonerIds.contains(invitation.fromSummonerId);
  });
}

void LobbyPlugin::RemoveReceivedInvitationForGame(std::uint64_t gameId) {
  auto found = std::find_if(receivedInvitations_.begin(), receivedInvitations_.end(),
                            [gameId](const Api::LobbyInvitation& invitation) {
                              const BindingProperty& metaData = invitation.invitationMetaData;
                              return metaData.IsStructure() && metaData.HasMember("gameId") &&
                                     metaData.FindMember("gameId").ToUint64() == gameId;
                            });
  if (found == receivedInvitations_.end()) return;
  // Kept before the erase, which moves the later entries into its place.
  const std::string id = found->id;
  receivedInvitations_.erase(found);
  PublishResourceEvent(ReceivedPath(id));
}

void LobbyPlugin::LookupInvitationSummoners(Api::LobbyInvitation& invitation) {
  const std::uint64_t fromId = invitation.fromSummonerId;
  const std::uint64_t toId = invitation.toSummonerId;
  MaybeType<Failure, std::vector<Api::Summoner>> summoners =
      Request<std::vector<Api::Summoner>>(HttpMethod::Get, "/jyx-summoner/v2/summoners",
                                          std::string(), std::vector<std::uint64_t>{fromId, toId});
  if (summoners.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Unable to find summoners for invitation fromSummonerId: %llu toSummonerId: %llu",
              static_cast<unsigned long long>(fromId), static_cast<unsigned long long>(toId));
    return;
  }
  for (const Api::Summoner& summoner : summoners.Value()) {
    if (summoner.summonerId == fromId) {
      invitation.fromSummonerName = summoner.displayName;
    } else if (summoner.summonerId == toId) {
      invitation.toSummonerName = summoner.displayName;
    }
  }
}

HttpResult<std::vector<Api::LobbyInvitationDto>> LobbyPlugin::HandlePostEogInvitations(
    const std::vector<Api::LobbyInvitationDto>& invitations) {
  LobbyUpdateBatch batch(*this);
  if (!playerStatus_.canInviteOthersAtEog) return HttpResponse(400, "INVALID_REQUEST");
  std::vector<Api::LobbyInvitationDto> requested = invitations;
  if (partiesBackend_ == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> sent =
      partiesBackend_->SendInvitations(std::move(requested));
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
  const std::uint64_t handedOn = ++lobbyStatusCount_;
  const Api::Lobby current = lobby_;
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(current.isCustom, current.queueId);
  MaybeType<Failure, Api::Lobby> lobby = Failure(500, kInvalidLobby);
  if (controller != nullptr) lobby = controller->HandleLobbyStatus(current, status);
  // A newer status handed on while the controller waited stands; this one is dropped.
  if (handedOn != lobbyStatusCount_) return;
  if (lobby.HasValue()) {
    const std::string& lobbyId = lobby.Value().invitationId;
    if (abandonedLobbyInvitationIds_.contains(lobbyId)) {
      LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0,
                "Ignoring update from abandoned lobby.invitationId %s", lobbyId.c_str());
      return;
    }
    SetLobby(lobby.Value());
  }
  PublishV1LobbyParts();
  UpdatePartyRewards();
  if (status.owner.summonerId == localSummonerId_) stateMachine_.ProcessEvent(kGetPromoted);
  AutoGrantInvite(status.owner.summonerId);
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
  static_cast<void>(AddLobbyNotification(MakeLobbyNotification(reasonText, {localSummonerId_})));
  OnRemovedFromLobby(reason);
}

void LobbyPlugin::OnRemovedFromLobby(LCDS::RemovalReason reason) {
  if (!IsInLobby()) {
    LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0,
              "Received a removed from lobby notification but we weren't in a lobby.");
  } else {
    StopCountdown();
    autoGrantedMemberIds_.clear();
    switch (reason) {
      case LCDS::RemovalReason::KICKED: {
        lobby_.wasKicked = true;
        const std::uint64_t localId = localSummonerId_;
        const auto removed = std::remove_if(
            lobby_.members.begin(), lobby_.members.end(),
            [localId](const Api::LobbyMember& member) { return member.id == localId; });
        if (removed != lobby_.members.end()) {
          lobby_.members.erase(removed, lobby_.members.end());
          SendJsonApiEvent(kResourceUpdate, "/jyx-lobby/v1/lobby/members", lobby_.members);
        }
        auto invitation = std::find_if(
            lobby_.invitations.begin(), lobby_.invitations.end(),
            [localId](const Api::LobbyInvitation& entry) { return entry.toSummonerId == localId; });
        if (invitation != lobby_.invitations.end()) {
          invitation->state = Api::LobbyInvitationState::Kicked;
          SendJsonApiEvent(kResourceUpdate, "/jyx-lobby/v1/lobby/invitations", lobby_.invitations);
        }
        PublishV1Lobby(lobby_);
        stateMachine_.ProcessEvent(kKicked);
        break;
      }
      case LCDS::RemovalReason::DESTROYED:
        stateMachine_.ProcessEvent(kLobbyDestroyed);
        break;
      case LCDS::RemovalReason::PROGRESSED:
        stateMachine_.ProcessEvent(kProgressed);
        break;
    }
  }
  SendJsonApiEvent(kResourceUpdate, "/jyx-lobby/v2/notifications", lobbyNotifications_);
}

}  // namespace Zarn::Client::Lobby
