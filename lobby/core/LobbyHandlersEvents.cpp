// The handlers of legacy messages and observed resources whose building is still ahead.
#include "lobby/core/LobbyPlugin.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

void LobbyPlugin::OnLobbyStatus(const LCDS::LobbyStatus& /*message*/) {
  ZARN_NOT_BUILT("OnLobbyStatus", void);
}

void LobbyPlugin::OnReceivedInvitation(const LCDS::InvitationRequest& /*message*/) {
  ZARN_NOT_BUILT("OnReceivedInvitation", void);
}

void LobbyPlugin::OnRemovedFromLobbyNotification(
    const LCDS::RemovedFromLobbyNotification& /*message*/) {
  ZARN_NOT_BUILT("OnRemovedFromLobbyNotification", void);
}

void LobbyPlugin::PublishReceivedInvitations() {
  ZARN_NOT_BUILT("PublishReceivedInvitations", void);
}

void LobbyPlugin::GetPendingInvitations() { ZARN_NOT_BUILT("GetPendingInvitations", void); }

}  // namespace Zarn::Client::Lobby
