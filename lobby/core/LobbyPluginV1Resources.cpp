// The v1 lobby's resources beyond its records: the v1 countdown as its route reads it, and a
// legacy lobby left for good, its id kept among the abandoned ones and the lobby forgotten.
#include <cstdint>
#include <memory>

#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyPlugin.h"

namespace Zarn::Client::Lobby {

std::int64_t LobbyPlugin::HandleGetV1Countdown() { return countdown_.GetCountdownSeconds(); }

void LobbyPlugin::AddToAbandonedLobbyInvitationIds() {
  backends_.Deactivate();
  if (!IsInLobby()) return;
  // A copy: leaving waits for the legacy platform, and the host may change the lobby meanwhile.
  const Api::Lobby left = V1Lobby();
  v1Lobby_.AddToAbandonedLobbyInvitationIds(left.invitationId);
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(left.isCustom, left.queueId);
  if (controller != nullptr) static_cast<void>(controller->LeaveLobby(left));
  members_.ForgetAutoGrantedMembers();
  v1Lobby_.SetLobby(Api::Lobby{});
  UpdatePartyRewards();
  // A lobby that was left has no resource.
  v1Lobby_.DeleteV1Lobby();
}

}  // namespace Zarn::Client::Lobby
