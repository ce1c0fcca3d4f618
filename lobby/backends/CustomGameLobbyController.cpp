#include "lobby/backends/CustomGameLobbyController.h"

#include "lobby/core/LobbyPlugin.h"
#include "sdk/base/NotBuilt.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

bool CustomGameLobbyController::IsCustomGame() { return true; }

bool CustomGameLobbyController::IsPlatformMatchmade() { return false; }

void CustomGameLobbyController::PublishBots() {
  constexpr auto kUpdate = static_cast<std::uint32_t>(PluginResourceEventType::Update);
  // A copy: the list is the controller's, and a publication may let the host call in.
  const std::vector<Api::LobbyBotChampion> bots = availableBots;
  const bool enabled = !bots.empty();
  plugin->SendJsonApiEvent(kUpdate, "/jyx-lobby/v1/lobby/custom/available-bots", bots);
  plugin->SendJsonApiEvent(kUpdate, "/jyx-lobby/v1/lobby/custom/bots-enabled", enabled);
  plugin->SendJsonApiEvent(kUpdate, "/jyx-lobby/v2/lobby/custom/available-bots", bots);
  plugin->SendJsonApiEvent(kUpdate, "/jyx-lobby/v2/lobby/custom/bots-enabled", enabled);
}

MaybeType<Failure, Api::Lobby> CustomGameLobbyController::CreateLobby(
    const Api::Lobby& /*requested*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::CreateLobby", MaybeType<Failure, Api::Lobby>);
}

MaybeType<Failure, Api::Lobby> CustomGameLobbyController::CreatePlatformLobby(
    const Api::Lobby& /*current*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::CreatePlatformLobby", MaybeType<Failure, Api::Lobby>);
}

bool CustomGameLobbyController::LeaveLobby(const Api::Lobby& /*current*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::LeaveLobby", bool);
}

MaybeType<Failure, LCDS::LobbyStatus> CustomGameLobbyController::AcceptInvitation(
    const Api::LobbyInvitation& /*invitation*/, const std::string& /*invitationId*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::AcceptInvitation",
                 MaybeType<Failure, LCDS::LobbyStatus>);
}

MaybeType<Failure, Api::Lobby> CustomGameLobbyController::RefreshLobby(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus /*status*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::RefreshLobby", MaybeType<Failure, Api::Lobby>);
}

void CustomGameLobbyController::SetMemberCanInvite(std::uint64_t /*summonerId*/, bool /*canInvite*/,
                                                   Api::Lobby& /*lobby*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::SetMemberCanInvite", void);
}

BindingHttpResult CustomGameLobbyController::PromotePlayer(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::PromotePlayer", BindingHttpResult);
}

BindingHttpResult CustomGameLobbyController::KickPlayer(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::KickPlayer", BindingHttpResult);
}

MaybeType<Failure, void> CustomGameLobbyController::SwitchTeam(Api::Lobby& /*lobby*/,
                                                               const std::string& /*team*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::SwitchTeam", MaybeType<Failure, void>);
}

MaybeType<Failure, void> CustomGameLobbyController::HandleGameDto(Api::Lobby& /*lobby*/,
                                                                  LCDS::GameDTO /*game*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::HandleGameDto", MaybeType<Failure, void>);
}

MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse>
CustomGameLobbyController::StartChampionSelection(Api::Lobby& /*lobby*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::StartChampionSelection",
                 MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse>);
}

MaybeType<Failure, void> CustomGameLobbyController::QuitGame() {
  ZARN_NOT_BUILT("CustomGameLobbyController::QuitGame", MaybeType<Failure, void>);
}

HttpResult<std::vector<Api::LobbyBotChampion>> CustomGameLobbyController::GetAvailableBots() {
  ZARN_NOT_BUILT("CustomGameLobbyController::GetAvailableBots",
                 HttpResult<std::vector<Api::LobbyBotChampion>>);
}

HttpResult<bool> CustomGameLobbyController::GetBotsEnabled() {
  ZARN_NOT_BUILT("CustomGameLobbyController::GetBotsEnabled", HttpResult<bool>);
}

MaybeType<Failure, void> CustomGameLobbyController::AddBot(Api::LobbyBotParams /*parameters*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::AddBot", MaybeType<Failure, void>);
}

MaybeType<Failure, void> CustomGameLobbyController::UpdateCustomBot(
    Api::Lobby& /*lobby*/, const std::string& /*summonerInternalName*/,
    Api::LobbyBotParams /*parameters*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::UpdateCustomBot", MaybeType<Failure, void>);
}

MaybeType<Failure, void> CustomGameLobbyController::RemoveBot(
    Api::Lobby& /*lobby*/, const std::string& /*summonerInternalName*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::RemoveBot", MaybeType<Failure, void>);
}

MaybeType<Failure, void> CustomGameLobbyController::OnJoinedCustomLobby(Api::Lobby& /*lobby*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::OnJoinedCustomLobby", MaybeType<Failure, void>);
}

MaybeType<Failure, Api::Lobby> CustomGameLobbyController::HandleLobbyStatus(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus /*status*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::HandleLobbyStatus", MaybeType<Failure, Api::Lobby>);
}

void CustomGameLobbyController::Unsubscribe() {
  ZARN_NOT_BUILT("CustomGameLobbyController::Unsubscribe", void);
}

void CustomGameLobbyController::FetchCustomBotsConfig(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::FetchCustomBotsConfig", void);
}

void CustomGameLobbyController::OnBotsAvailableInSkirmish(const ResourceUpdate<bool>& /*event*/) {
  ZARN_NOT_BUILT("CustomGameLobbyController::OnBotsAvailableInSkirmish", void);
}

}  // namespace Zarn::Client::Lobby
