// Leaving a legacy lobby for good: its id kept among the abandoned ones, the lobby forgotten.
#include <memory>

#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyPlugin.h"

namespace Zarn::Client::Lobby {

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
