#include "lobby/backends/TeamBuilderLobbyController.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

bool TeamBuilderLobbyController::IsPlatformMatchmade() { return false; }

MaybeType<Failure, Api::Lobby> TeamBuilderLobbyController::CreateLobby(
    const Api::Lobby& /*requested*/) {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::CreateLobby", MaybeType<Failure, Api::Lobby>);
}

MaybeType<Failure, Api::Lobby> TeamBuilderLobbyController::CreatePlatformLobby(
    const Api::Lobby& /*current*/) {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::CreatePlatformLobby", MaybeType<Failure, Api::Lobby>);
}

bool TeamBuilderLobbyController::LeaveLobby(const Api::Lobby& /*current*/) {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::LeaveLobby", bool);
}

MaybeType<Failure, LCDS::LobbyStatus> TeamBuilderLobbyController::AcceptInvitation(
    const Api::LobbyInvitation& /*invitation*/, const std::string& /*invitationId*/) {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::AcceptInvitation",
                 MaybeType<Failure, LCDS::LobbyStatus>);
}

MaybeType<Failure, Api::Lobby> TeamBuilderLobbyController::RefreshLobby(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus /*status*/) {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::RefreshLobby", MaybeType<Failure, Api::Lobby>);
}

void TeamBuilderLobbyController::SetMemberCanInvite(std::uint64_t /*summonerId*/,
                                                    bool /*canInvite*/, Api::Lobby& /*lobby*/) {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::SetMemberCanInvite", void);
}

BindingHttpResult TeamBuilderLobbyController::PromotePlayer(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::PromotePlayer", BindingHttpResult);
}

BindingHttpResult TeamBuilderLobbyController::KickPlayer(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::KickPlayer", BindingHttpResult);
}

BindingHttpResult TeamBuilderLobbyController::SetPositionPreferences(
    Api::LobbyPositionPreferences /*preferences*/) {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::SetPositionPreferences", BindingHttpResult);
}

MaybeType<Failure, Api::Lobby> TeamBuilderLobbyController::HandleLobbyStatus(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus /*status*/) {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::HandleLobbyStatus", MaybeType<Failure, Api::Lobby>);
}

void TeamBuilderLobbyController::Subscribe() {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::Subscribe", void);
}

void TeamBuilderLobbyController::Unsubscribe() {
  ZARN_NOT_BUILT("TeamBuilderLobbyController::Unsubscribe", void);
}

}  // namespace Zarn::Client::Lobby
