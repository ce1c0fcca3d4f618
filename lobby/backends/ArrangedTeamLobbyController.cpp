#include "lobby/backends/ArrangedTeamLobbyController.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

MaybeType<Failure, Api::Lobby> ArrangedTeamLobbyController::CreateLobby(
    const Api::Lobby& /*requested*/) {
  ZARN_NOT_BUILT("ArrangedTeamLobbyController::CreateLobby", MaybeType<Failure, Api::Lobby>);
}

MaybeType<Failure, Api::Lobby> ArrangedTeamLobbyController::CreatePlatformLobby(
    const Api::Lobby& /*current*/) {
  ZARN_NOT_BUILT("ArrangedTeamLobbyController::CreatePlatformLobby",
                 MaybeType<Failure, Api::Lobby>);
}

bool ArrangedTeamLobbyController::LeaveLobby(const Api::Lobby& /*current*/) {
  ZARN_NOT_BUILT("ArrangedTeamLobbyController::LeaveLobby", bool);
}

MaybeType<Failure, LCDS::LobbyStatus> ArrangedTeamLobbyController::AcceptInvitation(
    const Api::LobbyInvitation& /*invitation*/, const std::string& /*invitationId*/) {
  ZARN_NOT_BUILT("ArrangedTeamLobbyController::AcceptInvitation",
                 MaybeType<Failure, LCDS::LobbyStatus>);
}

MaybeType<Failure, Api::Lobby> ArrangedTeamLobbyController::RefreshLobby(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus /*status*/) {
  ZARN_NOT_BUILT("ArrangedTeamLobbyController::RefreshLobby", MaybeType<Failure, Api::Lobby>);
}

void ArrangedTeamLobbyController::SetMemberCanInvite(std::uint64_t /*summonerId*/,
                                                     bool /*canInvite*/, Api::Lobby& /*lobby*/) {
  ZARN_NOT_BUILT("ArrangedTeamLobbyController::SetMemberCanInvite", void);
}

BindingHttpResult ArrangedTeamLobbyController::PromotePlayer(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("ArrangedTeamLobbyController::PromotePlayer", BindingHttpResult);
}

BindingHttpResult ArrangedTeamLobbyController::KickPlayer(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("ArrangedTeamLobbyController::KickPlayer", BindingHttpResult);
}

MaybeType<Failure, Api::Lobby> ArrangedTeamLobbyController::HandleLobbyStatus(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus /*status*/) {
  ZARN_NOT_BUILT("ArrangedTeamLobbyController::HandleLobbyStatus", MaybeType<Failure, Api::Lobby>);
}

}  // namespace Zarn::Client::Lobby
