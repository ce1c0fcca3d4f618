// The view model, rebuilt when the outermost update batch closes: the player's lobby status told
// to the gameflow plugin, the received invitations, the v2 lobby and its members, and the
// party-active flag, each handed to the view model's records to publish when it changed.
#include <optional>
#include <utility>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/RecordEquality.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

void LobbyPlugin::UpdateLobbyViewModel() {
  UpdatePlayerLobbyStatus();
  receivedInvitations_.PublishReceivedInvitations();
  if (IsInLobby() && activeBackend_ != nullptr) {
    MaybeType<Failure, Api::LobbyDto> lobby = activeBackend_->GetLobby();
    if (lobby.IsFailure()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Unable to update lobby view model: %s",
                lobby.Message());
      return;
    }
    if (viewModel_.PublishLobbyAndMembers(std::move(lobby).Value())) {
      SendGameflowGameConfiguration();
    }
  } else {
    viewModel_.PublishLobbyAndMembers(std::nullopt);
  }
  // Looked up at each use: the calls above may wait, and a shutdown meanwhile deletes it.
  if (partiesBackend_ == nullptr) return;
  partiesBackend_->SchedulePresenceUpdate();
  if (partiesBackend_ == nullptr) return;
  viewModel_.PublishPartyActive(partiesBackend_->HasQueue());
}

void LobbyPlugin::UpdatePlayerLobbyStatus() {
  std::optional<Api::LobbyStatus> status;
  if (activeBackend_ != nullptr) status = activeBackend_->GetLobbyStatus();
  if (status.has_value()) {
    if (cachedLobbyStatus_.has_value() && RecordsEqual(*cachedLobbyStatus_, *status)) return;
    cachedLobbyStatus_ = status;
    playerStatus_.currentLobbyStatus = std::move(status);
  } else {
    if (!cachedLobbyStatus_.has_value()) return;
    cachedLobbyStatus_.reset();
    playerStatus_.currentLobbyStatus.reset();
  }
  if (activeBackend_ != nullptr) {
    playerStatus_.canInviteOthersAtEog = activeBackend_->GetAvailabilityFlag();
  }
  SetGameflowPlayerStatus();
}

}  // namespace Zarn::Client::Lobby
