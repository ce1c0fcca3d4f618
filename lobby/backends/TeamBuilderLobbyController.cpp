#include "lobby/backends/TeamBuilderLobbyController.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyMembers.h"
#include "lobby/core/LobbyServices.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/base/Fnv1a.h"
#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/LcdsCall.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kInviteService[] = "lcdsGameInvitationService";
constexpr char kAcceptPath[] = "/jyx-lobby-team-builder/v1/invitations/accept";
constexpr char kPositionsPath[] = "/jyx-lobby-team-builder/v1/position-preferences";
constexpr char kStaleLobbyState[] =
    "Failed to update lobby state from latest LobbyStatus using latest TbdGameDto";
constexpr char kUnexpectedEventType[] = "Unexpected PluginResourceChangedArgs event type";

std::string MemberPath(std::uint64_t summonerId, const char* action) {
  return std::string(TeamBuilderLobbyController::kLobbyPath) + "/members/" +
         std::to_string(summonerId) + "/" + action;
}

}  // namespace

std::size_t TeamBuilderLobbyController::SummonerIdHash::operator()(
    std::uint64_t summonerId) const noexcept {
  char bytes[8];
  for (std::size_t i = 0; i < sizeof bytes; ++i) {
    bytes[i] = static_cast<char>((summonerId >> (8 * i)) & 0xFF);
  }
  return Fnv1a32(std::string_view(bytes, sizeof bytes));
}

bool TeamBuilderLobbyController::IsPlatformMatchmade() { return false; }

MaybeType<Failure, Api::Queue> TeamBuilderLobbyController::FetchQueue(std::int32_t queueId) {
  return Services()->Runtime().Request<Api::Queue>(
      HttpMethod::Get, "/jyx-game-queues/v1/queues/" + std::to_string(queueId));
}

MaybeType<Failure, Api::Lobby> TeamBuilderLobbyController::CreateLobby(
    const Api::Lobby& requested) {
  // A copy first: `requested` may be the plugin's own lobby, which the waits below may change.
  const Api::Lobby request = requested;
  MaybeType<Failure, Api::Lobby> created =
      Services()->Runtime().Request<Api::Lobby>(HttpMethod::Post, kLobbyPath, request);
  if (created.IsFailure()) return std::move(created).GetFailure();
  invitationId_ = created.Value().invitationId;
  const std::string invitationId = invitationId_;
  making_.push_back(invitationId);
  const struct Made {
    std::vector<std::string>& making;
    const std::string& id;
    ~Made() { making.erase(std::find(making.rbegin(), making.rend(), id).base() - 1); }
  } made{making_, invitationId};
  Services()->ReenterLobby(invitationId);
  MaybeType<Failure, Api::Lobby> lobby = MakeGroupFinderLobby(request.queueId, invitationId);
  // Failed, or overtaken (the request it was made for ended meanwhile), the lobby is deleted or
  // stays on the sibling as no one's: nothing may show it.
  if (lobby.IsFailure() || !Services()->IsLobbyRequestUnderWay()) {
    Services()->AbandonOrphanedLobby(invitationId);
  }
  return lobby;
}

MaybeType<Failure, Api::Lobby> TeamBuilderLobbyController::MakeGroupFinderLobby(
    std::int32_t queueId, const std::string& invitationId) {
  MaybeType<Failure, LCDS::LobbyStatus> status =
      Services()->Runtime().LcdsCallSync<LCDS::LobbyStatus>(
          kInviteService, "createGroupFinderLobby", queueId, invitationId);
  if (status.IsFailure()) {
    // Without its group finder lobby the team-builder lobby is of no use.
    static_cast<void>(Services()->Runtime().Request<void>(HttpMethod::Delete, kLobbyPath));
    return Failure(0, std::string(status.Message()));
  }
  return UpdateFromLobbyStatus(status.Value());
}

MaybeType<Failure, Api::Lobby> TeamBuilderLobbyController::CreatePlatformLobby(
    const Api::Lobby& current) {
  // The group finder lobby was made with the lobby itself.
  return current;
}

bool TeamBuilderLobbyController::LeaveLobby(const Api::Lobby& /*current*/) {
  // The next lobby's first countdown must be taken.
  countdown_.counter = 0;
  static_cast<void>(Services()->Runtime().Request<void>(HttpMethod::Delete, kLobbyPath));
  return true;
}

MaybeType<Failure, LCDS::LobbyStatus> TeamBuilderLobbyController::AcceptInvitation(
    const Api::LobbyInvitation& invitation, const std::string& invitationId) {
  const std::string id = invitationId;
  MaybeType<Failure, void> accepted =
      Services()->Runtime().Request<void>(HttpMethod::Post, kAcceptPath, invitation);
  if (accepted.IsFailure()) return std::move(accepted).GetFailure();
  MaybeType<Failure, LCDS::LobbyStatus> status =
      Services()->Runtime().LcdsCallSync<LCDS::LobbyStatus>(kInviteService, "accept", id);
  if (status.IsFailure()) {
    static_cast<void>(Services()->Runtime().Request<void>(HttpMethod::Delete, kLobbyPath));
  }
  return status;
}

MaybeType<Failure, Api::Lobby> TeamBuilderLobbyController::RefreshLobby(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus status) {
  return UpdateFromLobbyStatus(status);
}

MaybeType<Failure, Api::Lobby> TeamBuilderLobbyController::HandleLobbyStatus(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus status) {
  return UpdateFromLobbyStatus(status);
}

Api::Lobby TeamBuilderLobbyController::LobbyFromStatus(const LCDS::LobbyStatus& status) {
  Api::Lobby lobby = LobbyController::LobbyFromStatus(status);
  // The lobby's own event, which completes it, names its chat room by the controller's id.
  invitationId_ = status.invitationId;
  lobby.chatRoomId = Services()->MakePlatformHostName(invitationId_, "cp", "@conference");
  return lobby;
}

MaybeType<Failure, Api::Lobby> TeamBuilderLobbyController::UpdateFromLobbyStatus(
    const LCDS::LobbyStatus& status) {
  // Copied before any wait: the caller's status may live in a record that changes meanwhile.
  const std::vector<LCDS::Invitee> invitees = status.invitees;
  decltype(invitePrivileges_) privileges;
  for (const LCDS::Member& member : status.members) {
    privileges[member.summonerId] =
        member.hasDelegatedInvitePower || member.summonerId == status.owner.summonerId;
  }
  invitePrivileges_ = std::move(privileges);

  MaybeType<Failure, Api::Lobby> fetched =
      Services()->Runtime().Request<Api::Lobby>(HttpMethod::Get, kLobbyPath);
  if (fetched.IsFailure()) return Failure(0, kStaleLobbyState);
  Api::Lobby lobby = std::move(fetched).Value();
  if (lobby.invitationId.empty()) return Failure(0, kStaleLobbyState);
  // The sibling still answering a lobby left, the status's lobby is not known yet.
  if (lobby.invitationId != status.invitationId &&
      Services()->IgnoresAbandonedLobby(lobby.invitationId)) {
    return Failure(0, kStaleLobbyState);
  }
  invitationId_ = lobby.invitationId;
  MaybeType<Failure, Api::Queue> queue = FetchQueue(lobby.queueId);
  if (queue.IsFailure()) {
    return Failure(400, Format("Requested matchmaking queue %1 does not exist. Lobby will not be "
                               "created. Error: %2",
                               lobby.queueId, queue.Message()));
  }
  DecorateGameLobby(lobby, queue);
  MapPlatformState(lobby, invitees);
  return lobby;
}

void TeamBuilderLobbyController::DecorateGameLobby(Api::Lobby& lobby,
                                                   const MaybeType<Failure, Api::Queue>& queue) {
  if (queue.HasValue()) {
    lobby.mapId = queue.Value().mapId;
    lobby.gameMode = queue.Value().gameMode;
    lobby.maximumParticipantListSize =
        static_cast<std::uint32_t>(std::max(0, queue.Value().maximumParticipantListSize));
  } else {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "DecorateGameLobby incomplete, missing queue information");
  }
  const std::uint64_t localSummonerId = Services()->LocalSummonerId();
  for (Api::LobbyMember& member : lobby.members) {
    member.canInviteOthers = invitePrivileges_.try_emplace(member.id, false).first->second;
    // Every field of the member is one the local member takes.
    if (member.id == localSummonerId) lobby.localMember = member;
  }
  lobby.chatRoomId = Services()->MakePlatformHostName(invitationId_, "cp", "@conference");
}

void TeamBuilderLobbyController::SetMemberCanInvite(std::uint64_t summonerId, bool canInvite,
                                                    Api::Lobby& /*lobby*/) {
  invitePrivileges_[summonerId] = canInvite;
}

BindingHttpResult TeamBuilderLobbyController::PromotePlayer(std::uint64_t summonerId) {
  MaybeType<Failure, void> promoted =
      Services()->Runtime().Request<void>(HttpMethod::Post, MemberPath(summonerId, "promote"));
  if (promoted.IsFailure()) {
    return MakeInternalServerError("Team Builder call for promoting player failed");
  }
  return BindingHttpResult();
}

BindingHttpResult TeamBuilderLobbyController::KickPlayer(std::uint64_t summonerId) {
  if (!Services()->Members().IsMemberInLobby(summonerId)) return MakeNotFound(std::string_view());
  MaybeType<Failure, void> kicked =
      Services()->Runtime().Request<void>(HttpMethod::Post, MemberPath(summonerId, "kick"));
  if (kicked.IsFailure())
    return MakeInternalServerError("Team builder call for kicking player failed");
  return BindingHttpResult();
}

BindingHttpResult TeamBuilderLobbyController::SetPositionPreferences(
    Api::LobbyPositionPreferences preferences) {
  MaybeType<Failure, void> set =
      Services()->Runtime().Request<void>(HttpMethod::Post, kPositionsPath, preferences);
  if (set.IsFailure())
    return MakeInternalServerError("Error changing positions: %1", set.Message());
  return BindingHttpResult();
}

void TeamBuilderLobbyController::Subscribe() {
  if (subscribed_) return;
  subscribed_ = true;
  // The plugin keeps the observers in its tables; they turn inert once the token is gone.
  alive_ = std::make_shared<bool>(true);
  const std::weak_ptr<bool> alive = alive_;
  Services()->Runtime().ObserveResource<Api::Lobby>(
      kLobbyPath, [this, alive](const ResourceUpdate<Api::Lobby>& event) {
        if (!alive.expired()) OnLobby(event);
      });
  Services()->Runtime().ObserveResource<Api::TeamBuilderCountdownTimer>(
      kCountdownPath, [this, alive](const ResourceUpdate<Api::TeamBuilderCountdownTimer>& event) {
        if (!alive.expired()) OnCountdown(event);
      });
}

void TeamBuilderLobbyController::Unsubscribe() {
  if (!subscribed_) return;
  subscribed_ = false;
  alive_.reset();
  Services()->Runtime().UnsubscribeEvent(kLobbyPath);
  Services()->Runtime().UnsubscribeEvent(kCountdownPath);
}

void TeamBuilderLobbyController::OnCountdown(
    const ResourceUpdate<Api::TeamBuilderCountdownTimer>& event) {
  switch (event.eventType) {
    case PluginResourceEventType::Create:
    case PluginResourceEventType::Update:
      if (event.value.counter <= countdown_.counter) return;
      SetLobbyLifetime(event.value.timer / 1000);
      // Stored before the recompute, which publishes: a countdown arriving meanwhile is compared
      // with this one.
      countdown_ = event.value;
      Services()->UpdateLobbyCountdown();
      return;
    case PluginResourceEventType::Delete:
      return;
    default:
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, kUnexpectedEventType);
      return;
  }
}

void TeamBuilderLobbyController::OnLobby(const ResourceUpdate<Api::Lobby>& event) {
  switch (event.eventType) {
    case PluginResourceEventType::Create:
    case PluginResourceEventType::Update: {
      std::optional<Api::Lobby> update = PrepareLobbyUpdate(event.value);
      if (update.has_value()) Services()->ApplyLobbyUpdate(*update);
      return;
    }
    case PluginResourceEventType::Delete:
      countdown_.counter = 0;
      return;
    default:
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, kUnexpectedEventType);
      return;
  }
}

std::optional<Api::Lobby> TeamBuilderLobbyController::PrepareLobbyUpdate(Api::Lobby lobby) {
  if (Services()->IgnoresAbandonedLobby(lobby.invitationId)) return std::nullopt;
  const std::uint64_t serial = ++lobbyEventsSeen_;
  MaybeType<Failure, Api::Queue> queue = FetchQueue(lobby.queueId);
  // A later event handed on during the lookup is newer than this one.
  if (lobbyEventHandedOn_ > serial) return std::nullopt;
  // Asked again after the lookup, which may have waited. The lobby of a creation still waiting
  // is no one's once the request it was made for was overtaken, as the creation will find.
  if (std::find(making_.begin(), making_.end(), lobby.invitationId) != making_.end() &&
      !Services()->IsLobbyRequestUnderWay()) {
    Services()->AbandonOrphanedLobby(lobby.invitationId);
  }
  if (Services()->IgnoresAbandonedLobby(lobby.invitationId)) return std::nullopt;
  DecorateGameLobby(lobby, queue);
  lobby.invitations = Services()->V1Lobby().invitations;
  for (Api::LobbyInvitation& invitation : lobby.invitations) {
    if (invitation.state == Api::LobbyInvitationState::Accepted) continue;
    for (const Api::LobbyMember& member : lobby.members) {
      if (member.id == invitation.toSummonerId) {
        invitation.state = Api::LobbyInvitationState::Accepted;
        break;
      }
    }
  }
  lobbyEventHandedOn_ = serial;
  return lobby;
}

}  // namespace Zarn::Client::Lobby
