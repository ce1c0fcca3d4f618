#include "lobby/core/LobbyMembers.h"

#include <algorithm>
#include <string>
#include <utility>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlowGate.h"
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

}  // namespace

std::shared_ptr<LobbyController> LobbyMembers::CurrentLobbyController() {
  return services_.GetLobbyController(lobby_.isCustom, lobby_.queueId);
}

BindingHttpResult LobbyMembers::GrantMemberInvitePrivilege(std::uint64_t summonerId) {
  return SetMemberInvitePrivilege(summonerId, true);
}

BindingHttpResult LobbyMembers::RevokeMemberInvitePrivilege(std::uint64_t summonerId) {
  return SetMemberInvitePrivilege(summonerId, false);
}

BindingHttpResult LobbyMembers::SetMemberInvitePrivilege(std::uint64_t summonerId, bool canInvite) {
  LobbyUpdateBatch batch(services_);
  if (FindMember(summonerId) == nullptr) return HttpResponse(404, kMemberNotFound);
  const std::shared_ptr<LobbyController> controller = CurrentLobbyController();
  if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
  BindingHttpResult result = canInvite ? controller->GrantInvitePrivileges(summonerId)
                                       : controller->RevokeInvitePrivileges(summonerId);
  if (!result.IsOk()) return result;
  // The legacy call waited, and the lobby may have lost the member meanwhile.
  static_cast<void>(RecordInvitePrivilege(summonerId, canInvite, controller));
  return result;
}

bool LobbyMembers::RecordInvitePrivilege(std::uint64_t summonerId, bool canInvite,
                                         const std::shared_ptr<LobbyController>& controller) {
  // After the legacy call's wait the lobby may be another one now, and the members are stored in
  // place, past the v1 lobby's chokepoint.
  if (services_.FlowGate().Stops(CallGate::Act::kStore, {"a member's invite privilege", {}})) {
    return false;
  }
  Api::LobbyMember* member = FindMember(summonerId);
  if (member == nullptr) return false;
  member->canInviteOthers = canInvite;
  if (controller != nullptr) controller->SetMemberCanInvite(summonerId, canInvite, lobby_);
  // Looked up again: the controller may have changed the lobby.
  member = FindMember(summonerId);
  if (member != nullptr) {
    const Api::LobbyMember published = *member;
    services_.Runtime().SendJsonApiEvent(kResourceUpdate,
                                         kMemberPathPrefix + std::to_string(summonerId), published);
  }
  return true;
}

BindingHttpResult LobbyMembers::KickMember(std::uint64_t summonerId) {
  LobbyUpdateBatch batch(services_);
  const std::shared_ptr<LobbyController> controller = CurrentLobbyController();
  BindingHttpResult result = controller != nullptr
                                 ? controller->KickPlayer(summonerId)
                                 : BindingHttpResult(HttpResponse(500, kInvalidLobby));
  // Published whatever the result: the platform may have acted before it failed.
  services_.PublishV1Lobby();
  return result;
}

BindingHttpResult LobbyMembers::PromoteMember(std::uint64_t summonerId) {
  LobbyUpdateBatch batch(services_);
  if (!services_.ProcessLobbyEvent(kTransferOwnership)) {
    return HttpResponse(400, "TRANSFER_OWNERSHIP_STATE_FAILURE");
  }
  if (!IsMemberInLobby(summonerId)) return HttpResponse(404, kMemberNotFound);
  const std::shared_ptr<LobbyController> controller = CurrentLobbyController();
  BindingHttpResult result = controller != nullptr
                                 ? controller->PromotePlayer(summonerId)
                                 : BindingHttpResult(HttpResponse(500, kInvalidLobby));
  if (!result.IsOk()) {
    // Ownership stays with the local player.
    services_.ProcessLobbyEvent(kGetPromoted);
    return HttpResponse(500, "Strategy Failed To Promote Player");
  }
  return result;
}

void LobbyMembers::OnInvitePrivileges(bool canInvite) {
  LobbyUpdateBatch batch(services_);
  services_.ProcessLobbyEvent(canInvite ? kGainInvitePrivilege : kLoseInvitePrivilege);
  if (!RecordInvitePrivilege(services_.LocalSummonerId(), canInvite, CurrentLobbyController())) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Received invite privileges notification but cannot find lobby member");
    return;
  }
  // Stored in place, past the v1 lobby's chokepoint.
  if (services_.FlowGate().Stops(CallGate::Act::kStore,
                                 {"the local member's invite privilege", {}})) {
    return;
  }
  lobby_.localMember.canInviteOthers = canInvite;
  const Api::LobbyMember localMember = lobby_.localMember;
  services_.Runtime().SendJsonApiEvent(kResourceUpdate, "/jyx-lobby/v1/lobby/localMember",
                                       localMember);
}

void LobbyMembers::AutoGrantInvite(std::uint64_t ownerSummonerId) {
  const std::uint64_t localId = services_.LocalSummonerId();
  const bool localIsOwner = ownerSummonerId == localId;
  std::vector<std::uint64_t> granted;
  std::set<std::uint64_t> seen;
  for (const Api::LobbyMember& member : lobby_.members) {
    if (member.id != localId && !autoGrantedMemberIds_.contains(member.id) &&
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

void LobbyMembers::OnAutoGrantInviteEnabled(const ResourceUpdate<bool>& event) {
  switch (event.eventType) {
    case PluginResourceEventType::Create:
    case PluginResourceEventType::Update:
      autoGrantInviteEnabled_ = event.value;
      break;
    case PluginResourceEventType::Delete:
      autoGrantInviteEnabled_ = true;
      break;
    default:
      break;
  }
}

bool LobbyMembers::IsMemberInLobby(std::uint64_t summonerId) const {
  if (!services_.IsInLobby()) return false;
  return std::any_of(
      lobby_.members.begin(), lobby_.members.end(),
      [summonerId](const Api::LobbyMember& member) { return member.id == summonerId; });
}

Api::LobbyMember* LobbyMembers::FindMember(std::uint64_t summonerId) {
  if (lobby_.isCustom && lobby_.customGameLobby.has_value()) {
    Api::LobbyMember* spectator = FindIn(lobby_.customGameLobby->spectators, summonerId);
    if (spectator != nullptr) return spectator;
  }
  return FindIn(lobby_.members, summonerId);
}

MaybeType<Failure, std::vector<Api::Summoner>> LobbyMembers::RequestSummoners(
    std::vector<std::uint64_t> summonerIds) {
  if (summonerIds.empty()) return std::vector<Api::Summoner>();
  return services_.Runtime().Request<std::vector<Api::Summoner>>(
      HttpMethod::Get, "/jyx-summoner/v2/summoners", std::string(), summonerIds);
}

std::vector<Api::Summoner> LobbyMembers::LookupSummoners(std::vector<std::uint64_t> summonerIds) {
  MaybeType<Failure, std::vector<Api::Summoner>> summoners =
      RequestSummoners(std::move(summonerIds));
  if (summoners.IsFailure()) return {};
  return std::move(summoners).Value();
}

std::vector<Api::Summoner> LobbyMembers::LookupSummoner() {
  if (!services_.IsInLobby()) return {};
  std::vector<std::uint64_t> ids;
  ids.reserve(lobby_.members.size() + lobby_.invitations.size());
  for (const Api::LobbyMember& member : lobby_.members) ids.push_back(member.id);
  for (const Api::LobbyInvitation& invitation : lobby_.invitations) {
    ids.push_back(invitation.toSummonerId);
  }
  return LookupSummoners(std::move(ids));
}

}  // namespace Zarn::Client::Lobby
