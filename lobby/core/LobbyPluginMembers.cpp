// What the lobby does to its members: the member routes, the member operations the platform
// backend hands to the lobby's controller, the invite privilege granted to new members and told
// by the legacy platform, and the member and summoner lookups.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
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
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/Requests.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

using namespace LobbyEvents;

constexpr char kMemberNotFound[] = "LOBBY_MEMBER_NOT_FOUND";
constexpr char kMemberPathPrefix[] = "/jyx-lobby/v1/lobby/members/";

// The member with `summonerId` in `members`, or null.
Api::LobbyMember* FindIn(std::vector<Api::LobbyMember>& members, std::uint64_t summonerId) {
  for (Api::LobbyMember& member : members) {
    if (member.id == summonerId) return &member;
  }
  return nullptr;
}

// The four member routes share one shape: the active backend's operation, its failure logged and
// answered, the summoner id answered on success.
template <class Operation>
HttpResult<std::uint64_t> RunMemberOperation(LobbyBackend* backend, std::uint64_t summonerId,
                                             const char* failurePrefix, const char* noBackendLog,
                                             Operation operation) {
  if (backend == nullptr) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "%s", noBackendLog);
    return HttpResponse(500, kInvalidLobby);
  }
  MaybeType<Failure, void> outcome = operation(*backend, summonerId);
  if (outcome.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "%s%s", failurePrefix, outcome.Message());
    return FailureReply(outcome.GetFailure());
  }
  return summonerId;
}

}  // namespace

HttpResult<std::uint64_t> LobbyPlugin::HandlePromote(std::uint64_t summonerId) {
  return RunMemberOperation(
      activeBackend_, summonerId,
      "Failed to promote player: ", "Not a valid lobby for promote request",
      [](LobbyBackend& backend, std::uint64_t id) { return backend.PromoteMember(id); });
}

HttpResult<std::uint64_t> LobbyPlugin::HandleGrantInvite(std::uint64_t summonerId) {
  return RunMemberOperation(
      activeBackend_, summonerId, "Failed to grant invitation privilege to player: ",
      "Not a valid lobby for grant-invitation-privilege request",
      [](LobbyBackend& backend, std::uint64_t id) { return backend.SetCanInvite(id, true); });
}

HttpResult<std::uint64_t> LobbyPlugin::HandleRevokeInvite(std::uint64_t summonerId) {
  return RunMemberOperation(
      activeBackend_, summonerId, "Failed to revoke invitation privilege from player: ",
      "Not a valid lobby for revoke-invitation-privilege request",
      [](LobbyBackend& backend, std::uint64_t id) { return backend.SetCanInvite(id, false); });
}

HttpResult<std::uint64_t> LobbyPlugin::HandleKick(std::uint64_t summonerId) {
  return RunMemberOperation(
      activeBackend_, summonerId, "Failed to kick player: ", "Not a valid lobby for kick request",
      [](LobbyBackend& backend, std::uint64_t id) { return backend.KickMember(id); });
}

HttpResult<std::vector<Api::LobbyParticipantDto>> LobbyPlugin::HandleGetMembers() {
  if (!publishedLobby_.has_value()) return MakeNotFound(std::string_view("LOBBY_NOT_FOUND"));
  return std::vector<Api::LobbyParticipantDto>(publishedLobby_->members);
}

HttpResponse LobbyPlugin::HandlePutPositionPreferences(
    const Api::LobbyPositionPreferences& preferences) {
  LobbyUpdateBatch batch(*this);
  if (activeBackend_ == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, void> selected = activeBackend_->SetPositionPreferences(preferences);
  if (selected.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Unable to select positions: %s",
              selected.Message());
    return FailureReply(selected.GetFailure());
  }
  return HttpResponse();
}

HttpResponse LobbyPlugin::HandlePutPartyType(const std::string& partyType) {
  LobbyUpdateBatch batch(*this);
  if (!stateMachine_.IsInState(&LobbyFlow::kPartyLobby)) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Setting partyType without being in party lobby.");
    return HttpResponse(400, "INVALID_LOBBY_TYPE");
  }
  if (partiesBackend_ == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, void> set = partiesBackend_->SetPartyType(partyType);
  if (set.IsFailure()) return FailureReply(set.GetFailure());
  return HttpResponse();
}

HttpResult<Api::LobbyPartyRewards> LobbyPlugin::HandleGetPartyRewards() {
  return Api::LobbyPartyRewards(partyRewards_.Current());
}

BindingHttpResult LobbyPlugin::GrantMemberInvitePrivilege(std::uint64_t summonerId) {
  return SetMemberInvitePrivilege(summonerId, true);
}

BindingHttpResult LobbyPlugin::RevokeMemberInvitePrivilege(std::uint64_t summonerId) {
  return SetMemberInvitePrivilege(summonerId, false);
}

BindingHttpResult LobbyPlugin::SetMemberInvitePrivilege(std::uint64_t summonerId, bool canInvite) {
  LobbyUpdateBatch batch(*this);
  if (FindMember(summonerId) == nullptr) return HttpResponse(404, kMemberNotFound);
  const std::shared_ptr<LobbyController> controller = CurrentLobbyController();
  if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
  BindingHttpResult result = canInvite ? controller->GrantInvitePrivileges(summonerId)
                                       : controller->RevokeInvitePrivileges(summonerId);
  if (!result.IsOk()) return result;
  // Looked up again: the legacy call waited, and the lobby may have changed meanwhile.
  Api::LobbyMember* member = FindMember(summonerId);
  if (member == nullptr) return result;
  member->canInviteOthers = canInvite;
  controller->SetMemberCanInvite(summonerId, canInvite, lobby_);
  member = FindMember(summonerId);
  if (member != nullptr) {
    const Api::LobbyMember published = *member;
    SendJsonApiEvent(kResourceUpdate, kMemberPathPrefix + std::to_string(summonerId), published);
  }
  return result;
}

BindingHttpResult LobbyPlugin::KickMember(std::uint64_t summonerId) {
  LobbyUpdateBatch batch(*this);
  const std::shared_ptr<LobbyController> controller = CurrentLobbyController();
  BindingHttpResult result = controller != nullptr
                                 ? controller->KickPlayer(summonerId)
                                 : BindingHttpResult(HttpResponse(500, kInvalidLobby));
  // Published whatever the result: the platform may have acted before it failed.
  PublishV1Lobby(Api::Lobby(lobby_));
  return result;
}

BindingHttpResult LobbyPlugin::PromoteMember(std::uint64_t summonerId) {
  LobbyUpdateBatch batch(*this);
  if (!stateMachine_.ProcessEvent(kTransferOwnership)) {
    return HttpResponse(400, "TRANSFER_OWNERSHIP_STATE_FAILURE");
  }
  if (!IsMemberInLobby(summonerId)) return HttpResponse(404, kMemberNotFound);
  const std::shared_ptr<LobbyController> controller = CurrentLobbyController();
  BindingHttpResult result = controller != nullptr
                                 ? controller->PromotePlayer(summonerId)
                                 : BindingHttpResult(HttpResponse(500, kInvalidLobby));
  if (!result.IsOk()) {
    // Ownership stays with the local player.
    stateMachine_.ProcessEvent(kGetPromoted);
    return HttpResponse(500, "Strategy Failed To Promote Player");
  }
  return result;
}

void LobbyPlugin::AutoGrantInvite(std::uint64_t ownerSummonerId) {
  const bool localIsOwner = ownerSummonerId == localSummonerId_;
  std::vector<std::uint64_t> granted;
  std::set<std::uint64_t> seen;
  for (const Api::LobbyMember& member : lobby_.members) {
    if (member.id != localSummonerId_ && !autoGrantedMemberIds_.contains(member.id) &&
        autoGrantInviteEnabled_ && localIsOwner) {
      granted.push_back(member.id);
    }
    if (member.id != ownerSummonerId) seen.insert(member.id);
  }
  // Stored before the grants wait, so that a lobby status handled meanwhile grants nobody twice.
  autoGrantedMemberIds_ = std::move(seen);
  for (std::uint64_t id : granted) {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Auto granting invite to %llu",
              static_cast<unsigned long long>(id));
    static_cast<void>(GrantMemberInvitePrivilege(id));
  }
}

void LobbyPlugin::OnInvitePrivilegesNotification(const LCDS::InvitePrivileges& message) {
  LobbyUpdateBatch batch(*this);
  const bool canInvite = message.canInvite;
  stateMachine_.ProcessEvent(canInvite ? kGainInvitePrivilege : kLoseInvitePrivilege);
  const std::uint64_t localId = localSummonerId_;
  Api::LobbyMember* member = FindMember(localId);
  if (member == nullptr) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Received invite privileges notification but cannot find lobby member");
    return;
  }
  member->canInviteOthers = canInvite;
  const std::shared_ptr<LobbyController> controller = CurrentLobbyController();
  if (controller != nullptr) controller->SetMemberCanInvite(localId, canInvite, lobby_);
  member = FindMember(localId);
  if (member != nullptr) {
    const Api::LobbyMember published = *member;
    SendJsonApiEvent(kResourceUpdate, kMemberPathPrefix + std::to_string(localId), published);
  }
  lobby_.localMember.canInviteOthers = canInvite;
  const Api::LobbyMember localMember = lobby_.localMember;
  SendJsonApiEvent(kResourceUpdate, "/jyx-lobby/v1/lobby/localMember", localMember);
}

Api::LobbyMember* LobbyPlugin::FindMember(std::uint64_t summonerId) {
  if (lobby_.isCustom && lobby_.customGameLobby.has_value()) {
    Api::LobbyMember* spectator = FindIn(lobby_.customGameLobby->spectators, summonerId);
    if (spectator != nullptr) return spectator;
  }
  return FindIn(lobby_.members, summonerId);
}

std::vector<Api::Summoner> LobbyPlugin::LookupSummoners(std::vector<std::uint64_t> summonerIds) {
  if (summonerIds.empty()) return {};
  MaybeType<Failure, std::vector<Api::Summoner>> summoners = Request<std::vector<Api::Summoner>>(
      HttpMethod::Get, "/jyx-summoner/v2/summoners", std::string(), summonerIds);
  if (summoners.IsFailure()) return {};
  return std::move(summoners).Value();
}

std::vector<Api::Summoner> LobbyPlugin::LookupSummoner() {
  if (!IsInLobby()) return {};
  std::vector<std::uint64_t> ids;
  ids.reserve(lobby_.members.size() + lobby_.invitations.size());
  for (const Api::LobbyMember& member : lobby_.members) ids.push_back(member.id);
  for (const Api::LobbyInvitation& invitation : lobby_.invitations) {
    ids.push_back(invitation.toSummonerId);
  }
  return LookupSummoners(std::move(ids));
}

}  // namespace Zarn::Client::Lobby
