#include "lobby/backends/InvalidLobbyController.h"

#include "sdk/api/HttpResponse.h"
#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

BindingHttpResult InvalidLobbyController::InviteServiceOperation(const char* /*method*/,
                                                                 std::uint64_t /*summonerId*/) {
  return MakeInternalServerError("Can't execute Invite Service operation on invalid lobby.");
}

MaybeType<Failure, Api::Lobby> InvalidLobbyController::CreateLobby(
    const Api::Lobby& /*requested*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::CreateLobby", MaybeType<Failure, Api::Lobby>);
}

MaybeType<Failure, Api::Lobby> InvalidLobbyController::CreatePlatformLobby(
    const Api::Lobby& /*current*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::CreatePlatformLobby", MaybeType<Failure, Api::Lobby>);
}

bool InvalidLobbyController::LeaveLobby(const Api::Lobby& /*current*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::LeaveLobby", bool);
}

MaybeType<Failure, LCDS::LobbyStatus> InvalidLobbyController::AcceptInvitation(
    const Api::LobbyInvitation& /*invitation*/, const std::string& /*invitationId*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::AcceptInvitation", MaybeType<Failure, LCDS::LobbyStatus>);
}

MaybeType<Failure, Api::Lobby> InvalidLobbyController::RefreshLobby(const Api::Lobby& /*current*/,
                                                                    LCDS::LobbyStatus /*status*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::RefreshLobby", MaybeType<Failure, Api::Lobby>);
}

void InvalidLobbyController::SetMemberCanInvite(std::uint64_t /*summonerId*/, bool /*canInvite*/,
                                                Api::Lobby& /*lobby*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::SetMemberCanInvite", void);
}

BindingHttpResult InvalidLobbyController::PromotePlayer(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::PromotePlayer", BindingHttpResult);
}

BindingHttpResult InvalidLobbyController::KickPlayer(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::KickPlayer", BindingHttpResult);
}

BindingHttpResult InvalidLobbyController::GrantInvitePrivileges(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::GrantInvitePrivileges", BindingHttpResult);
}

BindingHttpResult InvalidLobbyController::RevokeInvitePrivileges(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::RevokeInvitePrivileges", BindingHttpResult);
}

BindingHttpResult InvalidLobbyController::SetPositionPreferences(
    Api::LobbyPositionPreferences /*preferences*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::SetPositionPreferences", BindingHttpResult);
}

MaybeType<Failure, Api::Lobby> InvalidLobbyController::HandleLobbyStatus(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus /*status*/) {
  ZARN_NOT_BUILT("InvalidLobbyController::HandleLobbyStatus", MaybeType<Failure, Api::Lobby>);
}

}  // namespace Zarn::Client::Lobby
