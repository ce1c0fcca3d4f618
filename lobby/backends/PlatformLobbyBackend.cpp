#include "lobby/backends/PlatformLobbyBackend.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "lobby/core/EligibilityRules.h"
#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/LobbyMembers.h"
#include "lobby/core/LobbyNotifications.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/core/LobbyViews.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kSearchPath[] = "/jyx-matchmaking/v1/search";

// A failure carrying `result`'s status and its error text filled into `templateText` at "%1".
Failure WrapResult(const BindingHttpResult& result, const char* templateText) {
  return Failure(result.StatusPart().status,
                 Format(templateText, std::string(result.Result().ErrorMessage())));
}

// The search routes answer a failure with its own code, or 500 when it has none.
BindingHttpResult SearchResult(const MaybeType<Failure, void>& outcome) {
  if (outcome.HasValue()) return BindingHttpResult();
  const std::int32_t code = outcome.GetFailure().Code();
  return BindingHttpResult(HttpResponse(code != 0 ? code : 500, outcome.Message()));
}

}  // namespace

std::shared_ptr<LobbyController> PlatformLobbyBackend::CurrentController() const {
  const Api::Lobby& lobby = services_->V1Lobby();
  return services_->GetLobbyController(lobby.isCustom, lobby.queueId);
}

MaybeType<Failure, Api::LobbyDto> PlatformLobbyBackend::GetLobby() {
  if (!services_->IsInLobby()) return Failure(404, "NOT_FOUND");
  const std::vector<Api::Summoner> summoners = services_->Members().LookupSummoner();
  // Read after the lookup, which may have waited.
  MaybeType<Failure, Api::Queue> queue = services_->FindQueue(services_->V1Lobby().queueId);
  return MakeLobbyDtoFromLobby(services_->V1Lobby(), queue, summoners);
}

std::optional<Api::LobbyStatus> PlatformLobbyBackend::GetLobbyStatus() {
  if (!services_->IsInLobby()) return std::nullopt;
  return MakeLobbyStatusFromLobby(services_->V1Lobby(), services_->IsGameflowAvailable());
}

MaybeType<Failure, void> PlatformLobbyBackend::LeaveLobby() {
  const std::shared_ptr<LobbyController> controller = CurrentController();
  // A copy: the controller's wait may change the plugin's lobby.
  const Api::Lobby lobby = services_->V1Lobby();
  if (controller == nullptr || !controller->LeaveLobby(lobby)) {
    return Failure(400, "Failed to leave lobby");
  }
  return MaybeType<Failure, void>::Success();
}

MaybeType<Failure, void> PlatformLobbyBackend::KickMember(std::uint64_t summonerId) {
  BindingHttpResult result = services_->Members().KickMember(summonerId);
  if (!result.IsOk()) return WrapResult(result, "Couldn't kick player: %1");
  return MaybeType<Failure, void>::Success();
}

MaybeType<Failure, void> PlatformLobbyBackend::PromoteMember(std::uint64_t summonerId) {
  BindingHttpResult result = services_->Members().PromoteMember(summonerId);
  if (!result.IsOk()) return WrapResult(result, "Couldn't' promote player: %1");
  return MaybeType<Failure, void>::Success();
}

MaybeType<Failure, void> PlatformLobbyBackend::SetPositionPreferences(
    Api::LobbyPositionPreferences preferences) {
  const std::shared_ptr<LobbyController> controller = CurrentController();
  if (controller == nullptr) return Failure(500, kInvalidLobby);
  BindingHttpResult result = controller->SetPositionPreferences(std::move(preferences));
  if (!result.IsOk()) return WrapResult(result, "Couldn't select position preferences: %1");
  return MaybeType<Failure, void>::Success();
}

MaybeType<Failure, void> PlatformLobbyBackend::ChangeLobby(Api::LobbyChangeGameDto change) {
  constexpr char kChangeFailed[] = "Couldn't change lobby: %1";
  if (services_->IsInLobby()) {
    HttpResult<Api::Lobby> changed = services_->ChangeLobbyQueue(std::move(change));
    if (!changed.response.ok) {
      return Failure(changed.response.status.status,
                     Format(kChangeFailed, changed.response.message));
    }
    return MaybeType<Failure, void>::Success();
  }
  Api::Lobby requested;
  requested.queueId = change.queueId;
  requested.isCustom = change.isCustom;
  requested.customGameLobby = std::move(change.customGameLobby);
  MaybeType<Failure, Api::Lobby> created = services_->CreateLobbyWithController(requested);
  if (created.IsFailure()) {
    return Failure(created.GetFailure().Code(), Format(kChangeFailed, created.Message()));
  }
  return MaybeType<Failure, void>::Success();
}

MaybeType<Failure, std::vector<Api::Eligibility>> PlatformLobbyBackend::GetPremadeEligibility() {
  MaybeType<Failure, Api::LobbyDto> lobby = GetLobby();
  if (lobby.IsFailure()) return std::move(lobby).GetFailure();
  std::vector<std::uint64_t> summonerIds;
  for (const Api::LobbyParticipantDto& participant : lobby.Value().members) {
    if (!participant.isBot) summonerIds.push_back(participant.summonerId);
  }
  // Key 0 is never cached, so the eligibility is always asked afresh.
  return services_->GetEligibilityRules().RequestPremadeEligibility(std::move(summonerIds), 0);
}

MaybeType<Failure, void> PlatformLobbyBackend::LeaveLobbyUnlessPending(
    Api::ReceivedInvitationDto /*invitation*/) {
  return LeaveLobby();
}

MaybeType<Failure, void> PlatformLobbyBackend::AcceptInvitation(std::string invitationId) {
  BindingHttpResult result = services_->AcceptPlatformInvitation(std::move(invitationId));
  if (!result.IsOk()) return WrapResult(result, "Couldn't accept invitation to lobby: %1");
  return MaybeType<Failure, void>::Success();
}

MaybeType<Failure, void> PlatformLobbyBackend::DeclineInvitation(std::string invitationId) {
  BindingHttpResult result = services_->DeclinePlatformInvitation(std::move(invitationId));
  if (!result.IsOk()) return WrapResult(result, "Couldn't decline lobby invitation: %1");
  return MaybeType<Failure, void>::Success();
}

MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> PlatformLobbyBackend::SendInvitations(
    std::vector<Api::LobbyInvitationDto> invitations) {
  std::vector<Api::LobbyInvitation> requested;
  requested.reserve(invitations.size());
  for (const Api::LobbyInvitationDto& invitation : invitations) {
    Api::LobbyInvitation entry;
    entry.toSummonerId = invitation.toSummonerId;
    entry.toSummonerName = invitation.toSummonerName;
    entry.timestamp = invitation.timestamp;
    entry.state = Api::LobbyInvitationState::Requested;
    requested.push_back(std::move(entry));
  }
  HttpResult<std::vector<Api::LobbyInvitation>> sent =
      services_->SendPlatformInvitations(std::move(requested));
  if (!sent.response.ok) {
    return Failure(sent.response.status.status,
                   Format("Couldn't send invitations to lobby: %1", sent.response.message));
  }
  std::vector<Api::LobbyInvitationDto> answered;
  answered.reserve(sent.value.size());
  for (const Api::LobbyInvitation& invitation : sent.value) {
    Api::LobbyInvitationDto dto;
    dto.invitationId = invitation.id;
    dto.toSummonerId = invitation.toSummonerId;
    dto.state = invitation.state;
    dto.timestamp = invitation.timestamp;
    answered.push_back(std::move(dto));
  }
  return answered;
}

MaybeType<Failure, void> PlatformLobbyBackend::SetCanInvite(std::uint64_t summonerId,
                                                            bool canInvite) {
  BindingHttpResult result = canInvite
                                 ? services_->Members().GrantMemberInvitePrivilege(summonerId)
                                 : services_->Members().RevokeMemberInvitePrivilege(summonerId);
  if (!result.IsOk()) {
    return Failure(result.StatusPart().status, std::string(result.Result().ErrorMessage()));
  }
  return MaybeType<Failure, void>::Success();
}

bool PlatformLobbyBackend::GetAvailabilityFlag() { return false; }

BindingHttpResult PlatformLobbyBackend::StartMatchmaking() {
  return SearchResult(services_->Runtime().Request<void>(HttpMethod::Post, kSearchPath));
}

BindingHttpResult PlatformLobbyBackend::CancelMatchmaking() {
  return SearchResult(services_->Runtime().Request<void>(HttpMethod::Delete, kSearchPath));
}

void PlatformLobbyBackend::HandleDodge(Api::GameflowGameDodge dodge) {
  if (dodge.phase == Api::GameflowPhase::ReadyCheck) {
    LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0, "Ignoring ready check dodge");
    return;
  }
  LobbyNotifications& notifications = services_->Notifications();
  if (!notifications.AddLobbyNotification(notifications.CreateDodgeNotification(dodge))) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Unable to create dodge notification");
    return;
  }
  const std::shared_ptr<LobbyController> controller = CurrentController();
  if (controller == nullptr || !controller->IsPlatformMatchmade()) return;
  const std::uint64_t localSummonerId = services_->LocalSummonerId();
  if (std::find(dodge.dodgeIds.begin(), dodge.dodgeIds.end(), localSummonerId) !=
      dodge.dodgeIds.end()) {
    services_->ProcessLobbyEvent(LobbyEvents::kQuitLobby);
  }
}

}  // namespace Zarn::Client::Lobby
