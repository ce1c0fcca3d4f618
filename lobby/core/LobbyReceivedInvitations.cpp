// Received invitations: legacy invitation messages, accepting and declining them, the merged v2
// list with its blocked senders left out, and the legacy lobby status and removal messages.
#include "lobby/core/LobbyPlugin.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

bool LobbyPlugin::HasNewPendingInvitation(
    const std::vector<Api::ReceivedInvitationDto>& /*invitations*/) const {
  ZARN_NOT_BUILT("HasNewPendingInvitation", bool);
}

void LobbyPlugin::RemoveReceivedInvitationForGame(std::uint64_t /*gameId*/) {
  ZARN_NOT_BUILT("RemoveReceivedInvitationForGame", void);
}

void LobbyPlugin::AddRemovedFromLobbyNotification(LCDS::RemovalReason /*reason*/) {
  ZARN_NOT_BUILT("AddRemovedFromLobbyNotification", void);
}

void LobbyPlugin::OnRemovedFromLobby(LCDS::RemovalReason /*reason*/) {
  ZARN_NOT_BUILT("OnRemovedFromLobby", void);
}

void LobbyPlugin::LookupInvitationSummoners(Api::LobbyInvitation& /*invitation*/) {
  ZARN_NOT_BUILT("LookupInvitationSummoners", void);
}

std::vector<Api::ReceivedInvitationDto>::iterator LobbyPlugin::EraseReceivedInvitationsFrom(
    std::vector<Api::ReceivedInvitationDto>::iterator /*first*/,
    std::vector<Api::ReceivedInvitationDto>::iterator /*last*/,
    const std::set<std::uint64_t>& /*summonerIds*/) {
  ZARN_NOT_BUILT("EraseReceivedInvitationsFrom", std::vector<Api::ReceivedInvitationDto>::iterator);
}

}  // namespace Zarn::Client::Lobby
