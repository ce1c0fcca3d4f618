#include "lobby/backends/ArrangedTeamLobbyController.h"

#include <algorithm>
#include <string>
#include <utility>

#include "lobby/core/BotDifficultyForQueue.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/LobbyMembers.h"
#include "lobby/core/LobbyServices.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/LcdsCall.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kInviteService[] = "lcdsGameInvitationService";

}  // namespace

MaybeType<Failure, Api::Lobby> ArrangedTeamLobbyController::CreateLobby(
    const Api::Lobby& requested) {
  // A copy first: `requested` may be the plugin's own lobby.
  Api::Lobby lobby = requested;
  Api::LobbyMember local;
  local.id = Services()->LocalSummonerId();
  local.isOwner = true;
  local.canInviteOthers = true;
  MaybeType<Failure, Api::Queue> queue = Services()->FindQueue(lobby.queueId);
  if (queue.IsFailure()) {
    return Failure(400, Format("Requested matchmaking queue %1 does not exist. Lobby will not be "
                               "created. Error: %2",
                               lobby.queueId, queue.Message()));
  }
  lobby.mapId = queue.Value().mapId;
  lobby.gameMode = queue.Value().gameMode;
  lobby.maximumParticipantListSize =
      static_cast<std::uint32_t>(std::max(0, queue.Value().maximumParticipantListSize));
  lobby.members.push_back(local);
  lobby.localMember = std::move(local);
  return lobby;
}

MaybeType<Failure, Api::Lobby> ArrangedTeamLobbyController::CreatePlatformLobby(
    const Api::Lobby& current) {
  const std::int32_t queueId = current.queueId;
  MaybeType<Failure, std::string> difficulty = BotDifficultyForQueue(queueId);
  MaybeType<Failure, LCDS::LobbyStatus> status =
      difficulty.IsFailure()
          ? Services()->Runtime().LcdsCallSync<LCDS::LobbyStatus>(
                kInviteService, "createArrangedTeamLobby", queueId)
          : Services()->Runtime().LcdsCallSync<LCDS::LobbyStatus>(
                kInviteService, "createArrangedBotTeamLobby", queueId, difficulty.Value());
  if (status.IsFailure()) return Failure(0, std::string(status.Message()));
  MaybeType<Failure, Api::Lobby> lobby = CreateLobbyForQueue(status.Value());
  // Overtaken while the lobby made was filled in, the lobby is no one's: nothing may show it.
  if (lobby.IsFailure() && !Services()->IsInLobbyState(LobbyFlow::kGroupLobbyRequested)) {
    Services()->AbandonOrphanedLobby(status.Value().invitationId);
  }
  return lobby;
}

bool ArrangedTeamLobbyController::LeaveLobby(const Api::Lobby& current) {
  // Without an invitation id the lobby never reached the platform.
  if (current.invitationId.empty()) return true;
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Leaving Platform lobby");
  MaybeType<Failure, void> left = Services()->Runtime().LcdsCallSync<void>(kInviteService, "leave");
  if (left.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Failed to leave Platform lobby: %s",
              left.Message());
    return false;
  }
  return true;
}

MaybeType<Failure, LCDS::LobbyStatus> ArrangedTeamLobbyController::AcceptPlatformInvitation(
    LobbyServices& services, const std::string& invitationId) {
  return services.Runtime().LcdsCallSync<LCDS::LobbyStatus>(kInviteService, "accept", invitationId);
}

MaybeType<Failure, LCDS::LobbyStatus> ArrangedTeamLobbyController::AcceptInvitation(
    const Api::LobbyInvitation& /*invitation*/, const std::string& invitationId) {
  return AcceptPlatformInvitation(*Services(), invitationId);
}

MaybeType<Failure, Api::Lobby> ArrangedTeamLobbyController::RefreshLobby(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus status) {
  return CreateLobbyForQueue(status);
}

MaybeType<Failure, Api::Lobby> ArrangedTeamLobbyController::HandleLobbyStatus(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus status) {
  return CreateLobbyForQueue(status);
}

// The platform keeps the privileges of an arranged team; the lobby status brings them.
void ArrangedTeamLobbyController::SetMemberCanInvite(std::uint64_t /*summonerId*/,
                                                     bool /*canInvite*/, Api::Lobby& /*lobby*/) {}

BindingHttpResult ArrangedTeamLobbyController::PromotePlayer(std::uint64_t summonerId) {
  return InviteServiceOperation("transferOwnership", summonerId);
}

BindingHttpResult ArrangedTeamLobbyController::KickPlayer(std::uint64_t summonerId) {
  if (!Services()->Members().IsMemberInLobby(summonerId)) return MakeNotFound(std::string_view());
  return InviteServiceOperation("kick", summonerId);
}

}  // namespace Zarn::Client::Lobby
