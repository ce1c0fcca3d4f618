// The parties backend's lobby operations: the lobby view and status made from the stored party,
// and the requests that leave, kick, promote, invite, join and change the party.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/backends/PartiesPaths.h"
#include "lobby/backends/PartyLobbyView.h"
#include "lobby/core/EligibilityRules.h"
#include "lobby/core/LobbyAnalytics.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyMembers.h"
#include "lobby/core/LobbyNotifications.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

using Role = Api::PartyMemberRoleEnum;

constexpr std::int32_t kSmallestPartySize = 5;
constexpr char kPartiesSettingsPath[] = "/jyx-settings/v1/account/parties-settings";

const char* RoleName(Role role) {
  switch (role) {
    case Role::LEADER:
      return "LEADER";
    case Role::MEMBER:
      return "MEMBER";
    case Role::INVITED:
      return "INVITED";
    case Role::HOLD:
      return "HOLD";
    case Role::KICKED:
      return "KICKED";
    case Role::DECLINED:
      return "DECLINED";
    case Role::NONE:
      break;
  }
  return "NONE";
}

MaybeType<Failure, void> SendMetadata(PartiesLobbyBackend& backend,
                                      const Api::PartyMemberMetadataDto& metadata) {
  std::string path =
      PartyMemberPath("/", backend.GetCurrentPartyId(), backend.Player().puuid, "metadata");
  return backend.Request("set metadata", "PUT", std::move(path), metadata);
}

// A route's answer to `outcome`: its code, 500 for none.
HttpResponse ToResponse(const MaybeType<Failure, void>& outcome) {
  if (outcome.HasValue()) return HttpResponse();
  const std::int32_t code = outcome.GetFailure().Code();
  return HttpResponse(code != 0 ? code : 500, outcome.Message());
}

}  // namespace

MaybeType<Failure, Api::Queue> PartiesLobbyBackend::FindKnownQueue(std::int32_t queueId) const {
  if (services_ == nullptr) return Failure(400, kNoQueueSelected);
  MaybeType<Failure, Api::Queue> queue = services_->FindQueue(queueId);
  if (queue.IsFailure()) return Failure(400, kNoQueueSelected);
  return queue;
}

MaybeType<Failure, Api::LobbyDto> PartiesLobbyBackend::GetLobby() {
  // Copies: the summoner lookup below may wait while a newer state is stored.
  MaybeType<Failure, Api::PartyDto> current = GetCurrentParty();
  if (current.IsFailure()) return std::move(current).GetFailure();
  const Api::PartyDto party = std::move(current).Value();
  PartyViewContext context;
  context.localSummonerId = Player().summonerId;
  MaybeType<Failure, Api::Queue> found = FindKnownQueue(party.gameMode.queueId);
  if (found.IsFailure()) return std::move(found).GetFailure();
  context.queue = std::move(found).Value();

  std::vector<std::uint64_t> listedIds;
  for (const Api::PartyMemberDto& member : party.players) {
    if (IsListedPartyRole(member.role)) listedIds.push_back(member.summonerId);
  }
  context.summoners = services_->Members().LookupSummoners(std::move(listedIds));
  // Read after the lookup's wait, and used before the next.
  context.autofill = services_->AutofillList();
  if (const std::vector<Api::Queue>* queues = services_->QueueList(); queues != nullptr) {
    context.queues = *queues;
  }
  context.showPartyType = openPartyFlag_.IsTrue();
  return MakePartyLobbyView(party, context);
}

std::optional<Api::LobbyStatus> PartiesLobbyBackend::GetLobbyStatus() {
  MaybeType<Failure, Api::PartyDto> current = GetCurrentParty();
  if (current.IsFailure()) return std::nullopt;
  const Api::PartyDto& party = current.Value();
  Api::LobbyStatus status;
  status.queueId = party.gameMode.queueId;
  status.isCustom = false;
  status.isLeader = GetLocalMember().role == Role::LEADER;
  status.isSpectator = false;
  status.allowedPlayAgain = true;
  for (const Api::PartyMemberDto& member : party.players) {
    if (member.summonerId == 0) continue;
    (IsPartyMemberRole(member.role) ? status.memberSummonerIds : status.invitedSummonerIds)
        .push_back(member.summonerId);
  }
  status.lobbyId = party.partyId;
  return status;
}

MaybeType<Failure, void> PartiesLobbyBackend::LeaveLobby() {
  if (!Player().currentParty.has_value()) return MaybeType<Failure, void>::Success();
  if (Player().currentParty->gameMode.queueId == -1 && Player().currentParty->players.size() == 1 &&
      !IsClashParty()) {
    return MaybeType<Failure, void>::Success();
  }
  std::string path = PartyMemberPath("/", GetCurrentPartyId(), Player().puuid, "role");
  const std::optional<AnalyticsEventFields> fields =
      AnalyticsFieldsOrWarn("parties-open-party-toggle");
  if (fields.has_value() && services_ != nullptr) {
    services_->GetAnalytics().SendOpenPartyToggleAnalytics("lobby-deleted", *fields);
  }
  MaybeType<Failure, void> left =
      Request("leave party", "PUT", std::move(path), std::string(RoleName(Role::DECLINED)));
  if (left.IsFailure()) ReregisterAfterError(left.GetFailure());
  return left;
}

MaybeType<Failure, void> PartiesLobbyBackend::KickMember(std::uint64_t summonerId) {
  MaybeType<Failure, Api::PartyMemberDto> member = FindCurrentMember(summonerId);
  if (member.IsFailure()) return std::move(member).GetFailure();
  if (GetLocalMember().role != Role::LEADER) return Failure(403, "NOT_AUTHORIZED");
  std::string path = PartyMemberPath("/", GetCurrentPartyId(), member.Value().puuid, "role");
  return Request("kick member", "PUT", std::move(path), std::string(RoleName(Role::KICKED)));
}

MaybeType<Failure, void> PartiesLobbyBackend::PromoteMember(std::uint64_t summonerId) {
  MaybeType<Failure, Api::PartyMemberDto> member = FindCurrentMember(summonerId);
  if (member.IsFailure()) return std::move(member).GetFailure();
  if (GetLocalMember().role != Role::LEADER) return Failure(0, "Cannot promote when not leader");
  std::string path = PartyMemberPath("/", GetCurrentPartyId(), member.Value().puuid, "role");
  return Request("promote member", "PUT", std::move(path), std::string(RoleName(Role::LEADER)));
}

MaybeType<Failure, void> PartiesLobbyBackend::SetPositionPreferences(
    Api::LobbyPositionPreferences preferences) {
  Api::PartyMemberMetadataDto metadata;
  if (!preferences.firstPreference.empty()) {
    metadata.positionPref.push_back(std::move(preferences.firstPreference));
  }
  if (!preferences.secondPreference.empty()) {
    metadata.positionPref.push_back(std::move(preferences.secondPreference));
  }
  return SendMetadata(*this, metadata);
}

HttpResponse PartiesLobbyBackend::HandlePutMetadata(Api::PartyMemberMetadataDto metadata) {
  return ToResponse(SendMetadata(*this, metadata));
}

MaybeType<Failure, void> PartiesLobbyBackend::ChangeLobby(Api::LobbyChangeGameDto change) {
  MaybeType<Failure, Api::Queue> queue = FindKnownQueue(change.queueId);
  if (queue.IsFailure()) return std::move(queue).GetFailure();
  Api::GameModeDto mode;
  mode.maxPartySize = std::max(queue.Value().maximumParticipantListSize, kSmallestPartySize);
  mode.queueId = change.queueId;
  std::string path = PartyPath("/", GetCurrentPartyId(), "gamemode");
  MaybeType<Failure, void> changed =
      RequestOrReregister("set game mode", "PUT", std::move(path), mode);
  // Read after the request: the reply is the party as it is now.
  if (changed.HasValue() && Player().currentParty.has_value() &&
      Player().currentParty->partyType != defaultPartyType_ &&
      GetLocalMember().role == Role::LEADER) {
    static_cast<void>(SetPartyTypeRequest(defaultPartyType_));
  }
  return changed;
}

MaybeType<Failure, std::vector<Api::Eligibility>> PartiesLobbyBackend::GetPremadeEligibility() {
  MaybeType<Failure, Api::PartyDto> party = GetCurrentParty();
  if (party.IsFailure()) return std::move(party).GetFailure();
  std::vector<std::uint64_t> summonerIds;
  for (const Api::PartyMemberDto& member : party.Value().players) {
    summonerIds.push_back(member.summonerId);
  }
  if (services_ == nullptr) return Failure(500, "INVALID_PARTY");
  // The hash changes whenever the party's eligibility inputs do: an unchanged party is cached.
  return services_->GetEligibilityRules().RequestPremadeEligibility(
      std::move(summonerIds), static_cast<std::uint64_t>(party.Value().eligibilityHash));
}

MaybeType<Failure, void> PartiesLobbyBackend::LeaveLobbyUnlessPending(
    Api::ReceivedInvitationDto invitation) {
  if (invitation.invitationType == Api::InvitationType::party) {
    return MaybeType<Failure, void>::Success();
  }
  return LeaveLobby();
}

MaybeType<Failure, void> PartiesLobbyBackend::AcceptInvitation(std::string invitationId) {
  return SetRoleRequest(std::move(invitationId), Role::MEMBER, "accepted invitation");
}

MaybeType<Failure, void> PartiesLobbyBackend::DeclineInvitation(std::string invitationId) {
  return SetRoleRequest(std::move(invitationId), Role::DECLINED, "declined invitation");
}

MaybeType<Failure, void> PartiesLobbyBackend::SetRoleRequest(std::string partyId, Role role,
                                                             std::string_view action) {
  std::string path = PartyMemberPath("", partyId, Player().puuid, "role");
  return RequestOrReregister(action, "PUT", std::move(path), std::string(RoleName(role)));
}

MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> PartiesLobbyBackend::SendInvitations(
    std::vector<Api::LobbyInvitationDto> invitations) {
  MaybeType<Failure, Api::PartyDto> current = GetCurrentParty();
  if (current.IsFailure()) return std::move(current).GetFailure();
  const Api::PartyDto party = std::move(current).Value();
  if (!GetLocalMember().canInvite.value_or(false)) return Failure(403, "NOT_AUTHORIZED");
  std::vector<std::uint64_t> invitees;
  for (const Api::LobbyInvitationDto& invitation : invitations) {
    const bool member = std::any_of(party.players.begin(), party.players.end(),
                                    [&invitation](const Api::PartyMemberDto& player) {
                                      return player.summonerId == invitation.toSummonerId &&
                                             IsPartyMemberRole(player.role);
                                    });
    if (!member) invitees.push_back(invitation.toSummonerId);
  }
  if (invitees.empty() || services_ == nullptr) return invitations;
  // An id of 0 names nobody (an invitation given by name alone): it is not asked for.
  std::vector<std::uint64_t> asked;
  std::copy_if(invitees.begin(), invitees.end(), std::back_inserter(asked),
               [](std::uint64_t id) { return id != 0; });
  MaybeType<Failure, std::vector<Api::Summoner>> found =
      services_->Members().RequestSummoners(std::move(asked));
  if (found.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties send invitation(s) failure: %s",
              found.Message());
    return std::move(found).GetFailure();
  }
  const std::set<std::uint64_t> kept(invitees.begin(), invitees.end());
  std::set<std::uint64_t> reached;
  std::vector<std::string> puuids;
  for (const Api::Summoner& summoner : found.Value()) {
    if (summoner.puuid.empty() || !kept.contains(summoner.summonerId)) continue;
    puuids.push_back(summoner.puuid);
    reached.insert(summoner.summonerId);
  }
  // An invitation whose summoner is not found reaches nobody: it answers Error, and only when
  // every one does is the send a failure.
  std::size_t refused = 0;
  for (Api::LobbyInvitationDto& invitation : invitations) {
    if (!kept.contains(invitation.toSummonerId) || reached.contains(invitation.toSummonerId))
      continue;
    invitation.state = Api::LobbyInvitationState::Error;
    ++refused;
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties send invitation(s) failure: %s",
              InviteeNotFound(invitation.toSummonerId, invitation.toSummonerName).c_str());
  }
  if (refused == invitations.size()) return Failure(404, kSummonerNotFound);
  if (puuids.empty()) return invitations;
  std::string path = PartyPath("", party.partyId, "bulkInvite");
  MaybeType<Failure, void> sent = client_.SendStatusRequest("POST", std::move(path), puuids);
  if (sent.IsFailure()) {
    const Failure& failure = sent.GetFailure();
    static_cast<void>(ReportServiceUnavailable(failure));
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties send invitation(s) failure: %s",
              failure.Message());
    ReportRequestFailure("bulk_invite", failure.Message());
    // What the service refused reaches nobody, as an invitation to a summoner not found.
    for (Api::LobbyInvitationDto& invitation : invitations) {
      if (reached.contains(invitation.toSummonerId)) {
        invitation.state = Api::LobbyInvitationState::Error;
      }
    }
  }
  return invitations;
}

MaybeType<Failure, void> PartiesLobbyBackend::SetCanInvite(std::uint64_t summonerId,
                                                           bool canInvite) {
  if (MaybeType<Failure, Api::PartyDto> party = GetCurrentParty(); party.IsFailure()) {
    return std::move(party).GetFailure();
  }
  MaybeType<Failure, Api::PartyMemberDto> member = FindCurrentMember(summonerId);
  if (member.IsFailure()) return Failure(404, kSummonerNotFound);
  std::string path = PartyMemberPath("/", GetCurrentPartyId(), member.Value().puuid, "canInvite");
  return Request("set canInvite", "PUT", std::move(path), canInvite);
}

bool PartiesLobbyBackend::GetAvailabilityFlag() {
  return GetLocalMember().canInvite.value_or(false);
}

MaybeType<Failure, void> PartiesLobbyBackend::SetPartyType(std::string partyType) {
  std::optional<LobbyUpdateBatch> batch;
  if (services_ != nullptr) batch.emplace(*services_);
  if (!openPartyFlag_.IsTrue()) return Failure(0, "OPEN_PARTIES_DISABLED");
  if (!Player().currentParty.has_value() || Player().currentParty->activityLocked) {
    return Failure(0, "INVALID_WHILE_IN_ACTIVITY");
  }
  MaybeType<Failure, void> set = SetPartyTypeRequest(partyType);
  if (set.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties setPartyType failure: %s",
              set.Message());
    return set;
  }
  if (defaultPartyType_ != partyType && services_ != nullptr) {
    defaultPartyType_ = partyType;
    BindingProperty settings;
    settings.Member("data").Member("Parties").Member("defaultPartyType").SetString(partyType);
    MaybeType<Failure, void> saved =
        services_->Runtime().Request<void>(HttpMethod::Put, kPartiesSettingsPath, settings);
    if (saved.IsFailure()) {
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties failed to save parties-settings: %s",
                saved.Message());
    } else {
      LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0,
                "Parties succeeded saving parties-settings defaultPartyType=%s", partyType.c_str());
    }
  }
  return set;
}

MaybeType<Failure, void> PartiesLobbyBackend::SetPartyTypeRequest(std::string partyType) {
  // Counted as sent whatever the service answers.
  if (services_ != nullptr) services_->GetAnalytics().CountPartyTypeChange();
  std::string path = PartyPath("/", GetCurrentPartyId(), "partytype");
  MaybeType<Failure, void> set = Request("set partytype", "PUT", std::move(path), partyType);
  if (set.IsFailure()) ReregisterAfterError(set.GetFailure());
  return set;
}

MaybeType<Failure, void> PartiesLobbyBackend::JoinClashParty(std::string token) {
  MaybeType<Failure, void> joined =
      Request("join clash party", "POST", "/v1/clash-parties/join", token);
  if (joined.IsFailure()) ReregisterAfterError(joined.GetFailure());
  return joined;
}

MaybeType<Failure, void> PartiesLobbyBackend::JoinOpenParty(std::string partyId) {
  if (!TeamBuilderQueuesFlag().IsTrue()) return Failure(0, "PARTY_QUEUES_DISABLED");
  MaybeType<Failure, void> joined =
      SetRoleRequest(std::move(partyId), Role::MEMBER, "open party join");
  if (joined.HasValue()) {
    const std::optional<AnalyticsEventFields> fields = AnalyticsFieldsOrWarn("jyx-join-open-party");
    if (fields.has_value() && services_ != nullptr) {
      services_->GetAnalytics().SendJoinOpenPartyAnalytics(*fields);
    }
  }
  return joined;
}

void PartiesLobbyBackend::ProcessEnteredGame(Api::GameflowPhase /*previousPhase*/,
                                             Api::GameflowPhase newPhase) {
  if (newPhase == Api::GameflowPhase::None) {
    static_cast<void>(LeaveLobby());
  } else if (newPhase == Api::GameflowPhase::GameStart && GetLocalMember().role == Role::LEADER) {
    std::string path = PartyPath("/", GetCurrentPartyId(), "enteredGame");
    static_cast<void>(
        RequestOrReregister("process entered game", "POST", std::move(path), BindingProperty()));
  }
  OnQueuesDisabled();
  RefreshAfterUpdate();
  SchedulePresenceUpdate();
}

void PartiesLobbyBackend::HandleDodge(Api::GameflowGameDodge dodge) {
  if (dodge.state == Api::MatchmakingDodgeState::PartyDodged) {
    LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0, "Party dodge received, cancelling matchmaking");
    MaybeType<Failure, void> ready = SetReadyRequest(true);
    if (ready.IsFailure()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Failed to update player's ready state: %s",
                ready.Message());
    }
  }
  if (dodge.phase != Api::GameflowPhase::ReadyCheck && services_ != nullptr) {
    LobbyNotifications& notifications = services_->Notifications();
    static_cast<void>(
        notifications.AddLobbyNotification(notifications.CreateDodgeNotification(dodge)));
  }
}

}  // namespace Zarn::Client::Lobby
