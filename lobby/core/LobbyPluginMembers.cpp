// The member routes, the route of the local member's position preferences, and the legacy
// platform's word on the player's invite privilege.
#include <cstdint>
#include <string_view>
#include <vector>

#include "lobby/core/FailureReply.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

namespace {

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
      backends_.Active(), summonerId,
      "Failed to promote player: ", "Not a valid lobby for promote request",
      [](LobbyBackend& backend, std::uint64_t id) { return backend.PromoteMember(id); });
}

HttpResult<std::uint64_t> LobbyPlugin::HandleGrantInvite(std::uint64_t summonerId) {
  return RunMemberOperation(
      backends_.Active(), summonerId, "Failed to grant invitation privilege to player: ",
      "Not a valid lobby for grant-invitation-privilege request",
      [](LobbyBackend& backend, std::uint64_t id) { return backend.SetCanInvite(id, true); });
}

HttpResult<std::uint64_t> LobbyPlugin::HandleRevokeInvite(std::uint64_t summonerId) {
  return RunMemberOperation(
      backends_.Active(), summonerId, "Failed to revoke invitation privilege from player: ",
      "Not a valid lobby for revoke-invitation-privilege request",
      [](LobbyBackend& backend, std::uint64_t id) { return backend.SetCanInvite(id, false); });
}

HttpResult<std::uint64_t> LobbyPlugin::HandleKick(std::uint64_t summonerId) {
  return RunMemberOperation(
      backends_.Active(), summonerId,
      "Failed to kick player: ", "Not a valid lobby for kick request",
      [](LobbyBackend& backend, std::uint64_t id) { return backend.KickMember(id); });
}

HttpResult<std::vector<Api::LobbyParticipantDto>> LobbyPlugin::HandleGetMembers() {
  if (!viewModel_.PublishedLobby().has_value())
    return MakeNotFound(std::string_view(kLobbyNotFound));
  return std::vector<Api::LobbyParticipantDto>(viewModel_.PublishedLobby()->members);
}

HttpResponse LobbyPlugin::HandlePutPositionPreferences(
    const Api::LobbyPositionPreferences& preferences) {
  LobbyUpdateBatch batch(*this);
  if (backends_.Active() == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, void> selected = backends_.Active()->SetPositionPreferences(preferences);
  if (selected.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Unable to select positions: %s",
              selected.Message());
    return FailureReply(selected.GetFailure());
  }
  return HttpResponse();
}

void LobbyPlugin::OnInvitePrivilegesNotification(const LCDS::InvitePrivileges& message) {
  members_.OnInvitePrivileges(message.canInvite);
}

}  // namespace Zarn::Client::Lobby
