// The v1 lobby record, the availability of its queue and the bookkeeping of a legacy lobby left.
#include <cstdint>
#include <memory>

#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {}  // namespace

void LobbyPlugin::SetLobby(const Api::Lobby& lobby) {
  const Api::QueueAvailability availability = viewModel_.GetQueueAvailability(lobby.queueId);
  lobby_ = lobby;
  if (availability != viewModel_.Availability()) viewModel_.StoreAvailability(availability);
}

void LobbyPlugin::AddToAbandonedLobbyInvitationIds() {
  activeBackend_ = nullptr;
  if (!IsInLobby()) return;
  // A copy: leaving waits for the legacy platform, and the host may change the lobby meanwhile.
  const Api::Lobby left = lobby_;
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "AddToAbandonedLobbyInvitationIds: %s",
            left.invitationId.c_str());
  // A lobby that never reached the platform has no id, and an empty one would match the next
  // such lobby and have its updates ignored.
  if (!left.invitationId.empty()) abandonedLobbyInvitationIds_.insert(left.invitationId);
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(left.isCustom, left.queueId);
  if (controller != nullptr) static_cast<void>(controller->LeaveLobby(left));
  members_.ForgetAutoGrantedMembers();
  SetLobby(Api::Lobby{});
  UpdatePartyRewards();
  // A lobby that was left has no resource.
  DeleteV1Lobby();
}

}  // namespace Zarn::Client::Lobby
