#include "lobby/backends/InvalidLobbyController.h"

#include "sdk/api/HttpResponse.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kInvalidQueueAccept[] = "Can't accept an invite for an invalid queueId";

}  // namespace

BindingHttpResult InvalidLobbyController::InviteServiceOperation(const char* /*method*/,
                                                                 std::uint64_t /*summonerId*/) {
  return MakeInternalServerError("Can't execute Invite Service operation on invalid lobby.");
}

MaybeType<Failure, Api::Lobby> InvalidLobbyController::CreateLobby(
    const Api::Lobby& /*requested*/) {
  return Failure(0, "Attempted to create local lobby for invalid queueId.");
}

MaybeType<Failure, Api::Lobby> InvalidLobbyController::CreatePlatformLobby(
    const Api::Lobby& /*current*/) {
  return Failure(0, "Attempted to create platform lobby for invalid queueId.");
}

// Nothing was made on the platform, so there is nothing to leave.
bool InvalidLobbyController::LeaveLobby(const Api::Lobby& /*current*/) { return true; }

MaybeType<Failure, LCDS::LobbyStatus> InvalidLobbyController::AcceptInvitation(
    const Api::LobbyInvitation& /*invitation*/, const std::string& /*invitationId*/) {
  return Failure(0, kInvalidQueueAccept);
}

// Follows a legacy accept, hence the accept's text.
MaybeType<Failure, Api::Lobby> InvalidLobbyController::RefreshLobby(const Api::Lobby& /*current*/,
                                                                    LCDS::LobbyStatus /*status*/) {
  return Failure(0, kInvalidQueueAccept);
}

void InvalidLobbyController::SetMemberCanInvite(std::uint64_t /*summonerId*/, bool /*canInvite*/,
                                                Api::Lobby& /*lobby*/) {}

BindingHttpResult InvalidLobbyController::PromotePlayer(std::uint64_t /*summonerId*/) {
  return MakeInternalServerError("Can't promote player from invalid lobby.");
}

BindingHttpResult InvalidLobbyController::KickPlayer(std::uint64_t /*summonerId*/) {
  return MakeInternalServerError("Can't kick player from invalid lobby.");
}

BindingHttpResult InvalidLobbyController::GrantInvitePrivileges(std::uint64_t /*summonerId*/) {
  return MakeInternalServerError("Can't grant invite privileges from invalid lobby.");
}

BindingHttpResult InvalidLobbyController::RevokeInvitePrivileges(std::uint64_t /*summonerId*/) {
  return MakeInternalServerError("Can't revoke invite privileges from invalid lobby.");
}

BindingHttpResult InvalidLobbyController::SetPositionPreferences(
    Api::LobbyPositionPreferences /*preferences*/) {
  return MakeInternalServerError("Can't specify position preferences from invalid lobby.");
}

MaybeType<Failure, Api::Lobby> InvalidLobbyController::HandleLobbyStatus(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus /*status*/) {
  return Failure(0, "Attempted to handle lobby status for invalid lobby.");
}

}  // namespace Zarn::Client::Lobby
