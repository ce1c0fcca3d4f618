// The view model, rebuilt when the outermost update batch closes: the player's lobby status told
// to the gameflow plugin, the received invitations, the v2 lobby and its members, and the
// party-active flag, each handed to the view model's records to publish when it changed.
#include <optional>
#include <utility>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

void LobbyPlugin::UpdateLobbyViewModel() {
  gameflow_.UpdatePlayerLobbyStatus();
  receivedInvitations_.PublishReceivedInvitations();
  if (IsInLobby() && backends_.Active() != nullptr) {
    MaybeType<Failure, Api::LobbyDto> lobby = backends_.Active()->GetLobby();
    if (lobby.IsFailure()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Unable to update lobby view model: %s",
                lobby.Message());
      return;
    }
    if (viewModel_.PublishLobbyAndMembers(std::move(lobby).Value())) {
      gameflow_.SendGameflowGameConfiguration(viewModel_.PublishedLobby());
    }
  } else {
    viewModel_.PublishLobbyAndMembers(std::nullopt);
  }
  // Looked up at each use: the calls above may wait, and a shutdown meanwhile deletes it.
  if (backends_.Parties() == nullptr) return;
  backends_.Parties()->SchedulePresenceUpdate();
  if (backends_.Parties() == nullptr) return;
  viewModel_.PublishPartyActive(backends_.Parties()->HasQueue());
}

}  // namespace Zarn::Client::Lobby
