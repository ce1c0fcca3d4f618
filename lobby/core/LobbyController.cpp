#include "lobby/core/LobbyController.h"

#include <optional>
#include <string>
#include <utility>

#include "lobby/core/GameMetaData.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyServices.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/JsonText.h"
#include "sdk/runtime/LcdsCall.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kNotSupported[] = "NOT_SUPPORTED";
constexpr char kInviteService[] = "lcdsGameInvitationService";
constexpr char kQueueMissingTemplate[] =
    "Requested matchmaking queue %1 does not exist. Lobby will not be created. Error: %2";

Failure NotSupported() { return Failure(500, kNotSupported); }

template <class... Args>
Failure NotSupported(const char* templateText, const Args&... args) {
  return Failure(500, Format(templateText, args...));
}

Api::LobbyInvitationState MapInviteeState(LCDS::InviteeState state) {
  using Api::LobbyInvitationState;
  using LCDS::InviteeState;
  switch (state) {
    case InviteeState::PENDING:
      return LobbyInvitationState::Pending;
    case InviteeState::ACCEPTED:
      return LobbyInvitationState::Accepted;
    case InviteeState::JOINED:
      return LobbyInvitationState::Joined;
    case InviteeState::DECLINED:
    case InviteeState::ACCEPT_FAILED:
    case InviteeState::QUIT:
      return LobbyInvitationState::Declined;
    case InviteeState::KICKED:
    case InviteeState::BANNED:
      return LobbyInvitationState::Kicked;
    case InviteeState::CREATOR:
      break;
  }
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0,
            "Unrecognized platformState defaulting to pending");
  return LobbyInvitationState::Pending;
}

}  // namespace

BindingHttpResult LobbyController::GrantInvitePrivileges(std::uint64_t summonerId) {
  return InviteServiceOperation("grantInvitePrivileges", summonerId);
}

BindingHttpResult LobbyController::RevokeInvitePrivileges(std::uint64_t summonerId) {
  return InviteServiceOperation("revokeInvitePrivileges", summonerId);
}

BindingHttpResult LobbyController::SetPositionPreferences(
    Api::LobbyPositionPreferences /*preferences*/) {
  return MakeInternalServerError(
      "Can't specify position preferences from any legacy lobby -- that feature is specific to "
      "Team Builder queues.");
}

bool LobbyController::IsCustomGame() { return false; }

MaybeType<Failure, void> LobbyController::SwitchTeam(Api::Lobby& /*lobby*/,
                                                     const std::string& /*team*/) {
  return NotSupported();
}

MaybeType<Failure, void> LobbyController::HandleGameDto(Api::Lobby& /*lobby*/,
                                                        LCDS::GameDTO /*game*/) {
  return MaybeType<Failure, void>::Success();
}

MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse>
LobbyController::StartChampionSelection(Api::Lobby& /*lobby*/) {
  return NotSupported();
}

MaybeType<Failure, void> LobbyController::QuitGame() { return NotSupported(); }

HttpResult<std::vector<Api::LobbyBotChampion>> LobbyController::GetAvailableBots() {
  return HttpResult<std::vector<Api::LobbyBotChampion>>(HttpResponse(500, kNotSupported));
}

HttpResult<bool> LobbyController::GetBotsEnabled() {
  return HttpResult<bool>(false, HttpResponse(500, kNotSupported));
}

MaybeType<Failure, void> LobbyController::AddBot(Api::LobbyBotParams parameters) {
  return NotSupported("NOT_SUPPORTED %1", parameters.teamId);
}

MaybeType<Failure, void> LobbyController::UpdateCustomBot(Api::Lobby& lobby,
                                                          const std::string& summonerInternalName,
                                                          Api::LobbyBotParams parameters) {
  return NotSupported("NOT_SUPPORTED %1 %2 %3", lobby.gameMode, summonerInternalName,
                      parameters.teamId);
}

MaybeType<Failure, void> LobbyController::RemoveBot(Api::Lobby& lobby,
                                                    const std::string& summonerInternalName) {
  return NotSupported("NOT_SUPPORTED %1 %2", lobby.gameMode, summonerInternalName);
}

MaybeType<Failure, void> LobbyController::OnJoinedCustomLobby(Api::Lobby& lobby) {
  return NotSupported("NOT_SUPPORTED %1", lobby.gameMode);
}

void LobbyController::Subscribe() {}

void LobbyController::Unsubscribe() {}

void LobbyController::FetchCustomBotsConfig(std::uint64_t /*summonerId*/) {}

bool LobbyController::IsPlatformMatchmade() { return true; }

BindingHttpResult LobbyController::InviteServiceOperation(const char* method,
                                                          std::uint64_t summonerId) {
  MaybeType<Failure, void> outcome =
      Services()->Runtime().LcdsCallSync<void>(kInviteService, method, summonerId);
  if (outcome.IsFailure()) {
    return MakeInternalServerError("Error requesting %1 for %2: %3", method, summonerId,
                                   outcome.Message());
  }
  return BindingHttpResult();
}

MaybeType<Failure, Api::Lobby> LobbyController::CreateLobbyForQueue(
    const LCDS::LobbyStatus& status) {
  BindingResult metaData = ParseJson(status.gameMetaData);
  const std::int32_t queueId = metaData.IsOk() ? GameMetaDataQueueId(metaData.Value()) : -1;
  std::optional<Api::Queue> queue;
  if (queueId != -1) {
    MaybeType<Failure, Api::Queue> fetched = Services()->Runtime().Request<Api::Queue>(
        HttpMethod::Get, "/jyx-game-queues/v1/queues/" + std::to_string(queueId));
    if (fetched.IsFailure()) {
      return Failure(400, Format(kQueueMissingTemplate, queueId, fetched.Message()));
    }
    queue = std::move(fetched).Value();
  }
  // Built after the wait above: the local player may have been set meanwhile.
  Api::Lobby lobby = LobbyFromStatus(status);
  if (queue.has_value()) {
    lobby.mapId = queue->mapId;
    lobby.gameMode = queue->gameMode;
  }
  return lobby;
}

Api::Lobby LobbyController::LobbyFromStatus(const LCDS::LobbyStatus& status) {
  Api::Lobby lobby;
  BindingResult metaData = ParseJson(status.gameMetaData);
  if (const std::int32_t queueId = metaData.IsOk() ? GameMetaDataQueueId(metaData.Value()) : -1;
      queueId != -1) {
    lobby.queueId = queueId;
  }
  lobby.invitationId = status.invitationId;
  lobby.chatRoomKey = status.chatKey;
  lobby.chatRoomId = Services()->MakePlatformHostName(status.invitationId, "ag", "@sec");

  const std::uint64_t localSummonerId = Services()->LocalSummonerId();
  lobby.members.reserve(status.members.size());
  for (const LCDS::Member& legacy : status.members) {
    Api::LobbyMember member;
    member.id = legacy.summonerId;
    member.isOwner = legacy.summonerId == status.owner.summonerId;
    member.canInviteOthers = legacy.hasDelegatedInvitePower || member.isOwner;
    if (member.id == localSummonerId) lobby.localMember = member;
    lobby.members.push_back(std::move(member));
  }
  MapPlatformState(lobby, status.invitees);
  return lobby;
}

void MapPlatformState(Api::Lobby& lobby, const std::vector<LCDS::Invitee>& invitees) {
  lobby.invitations.clear();
  lobby.invitations.reserve(invitees.size());
  for (const LCDS::Invitee& invitee : invitees) {
    if (invitee.inviteeState == LCDS::InviteeState::CREATOR) continue;
    Api::LobbyInvitation invitation;
    invitation.id = std::to_string(invitee.summonerId);
    invitation.fromSummonerId = 0;
    invitation.toSummonerId = invitee.summonerId;
    invitation.state = MapInviteeState(invitee.inviteeState);
    lobby.invitations.push_back(std::move(invitation));
  }
}

}  // namespace Zarn::Client::Lobby
