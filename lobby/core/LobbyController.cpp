#include "lobby/core/LobbyController.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

BindingHttpResult LobbyController::GrantInvitePrivileges(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("LobbyController::GrantInvitePrivileges", BindingHttpResult);
}

BindingHttpResult LobbyController::RevokeInvitePrivileges(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("LobbyController::RevokeInvitePrivileges", BindingHttpResult);
}

BindingHttpResult LobbyController::SetPositionPreferences(
    Api::LobbyPositionPreferences /*preferences*/) {
  ZARN_NOT_BUILT("LobbyController::SetPositionPreferences", BindingHttpResult);
}

bool LobbyController::IsCustomGame() { ZARN_NOT_BUILT("LobbyController::IsCustomGame", bool); }

MaybeType<Failure, void> LobbyController::SwitchTeam(Api::Lobby& /*lobby*/,
                                                     const std::string& /*team*/) {
  ZARN_NOT_BUILT("LobbyController::SwitchTeam", MaybeType<Failure, void>);
}

MaybeType<Failure, void> LobbyController::HandleGameDto(Api::Lobby& /*lobby*/,
                                                        LCDS::GameDTO /*game*/) {
  ZARN_NOT_BUILT("LobbyController::HandleGameDto", MaybeType<Failure, void>);
}

MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse>
LobbyController::StartChampionSelection(Api::Lobby& /*lobby*/) {
  ZARN_NOT_BUILT("LobbyController::StartChampionSelection",
                 MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse>);
}

MaybeType<Failure, void> LobbyController::QuitGame() {
  ZARN_NOT_BUILT("LobbyController::QuitGame", MaybeType<Failure, void>);
}

HttpResult<std::vector<Api::LobbyBotChampion>> LobbyController::GetAvailableBots() {
  ZARN_NOT_BUILT("LobbyController::GetAvailableBots",
                 HttpResult<std::vector<Api::LobbyBotChampion>>);
}

HttpResult<bool> LobbyController::GetBotsEnabled() {
  ZARN_NOT_BUILT("LobbyController::GetBotsEnabled", HttpResult<bool>);
}

MaybeType<Failure, void> LobbyController::AddBot(Api::LobbyBotParams /*parameters*/) {
  ZARN_NOT_BUILT("LobbyController::AddBot", MaybeType<Failure, void>);
}

MaybeType<Failure, void> LobbyController::UpdateCustomBot(
    Api::Lobby& /*lobby*/, const std::string& /*summonerInternalName*/,
    Api::LobbyBotParams /*parameters*/) {
  ZARN_NOT_BUILT("LobbyController::UpdateCustomBot", MaybeType<Failure, void>);
}

MaybeType<Failure, void> LobbyController::RemoveBot(Api::Lobby& /*lobby*/,
                                                    const std::string& /*summonerInternalName*/) {
  ZARN_NOT_BUILT("LobbyController::RemoveBot", MaybeType<Failure, void>);
}

MaybeType<Failure, void> LobbyController::OnJoinedCustomLobby(Api::Lobby& /*lobby*/) {
  ZARN_NOT_BUILT("LobbyController::OnJoinedCustomLobby", MaybeType<Failure, void>);
}

void LobbyController::Subscribe() { ZARN_NOT_BUILT("LobbyController::Subscribe", void); }

void LobbyController::Unsubscribe() { ZARN_NOT_BUILT("LobbyController::Unsubscribe", void); }

bool LobbyController::IsPlatformMatchmade() {
  ZARN_NOT_BUILT("LobbyController::IsPlatformMatchmade", bool);
}

BindingHttpResult LobbyController::InviteServiceOperation(const char* /*method*/,
                                                          std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("LobbyController::InviteServiceOperation", BindingHttpResult);
}

}  // namespace Zarn::Client::Lobby
