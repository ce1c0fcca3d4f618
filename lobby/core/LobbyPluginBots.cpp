// LobbyPlugin: the bot routes of a custom lobby, each handed to the lobby's controller, and the
// bot configuration observed at login.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lobby/core/FailureReply.h"
#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyUpdateBatch.h"

namespace Zarn::Client::Lobby {

HttpResponse LobbyPlugin::AddCustomBot(const Api::LobbyBotParams& parameters) {
  LobbyUpdateBatch batch(*this);
  const Api::LobbyBotParams bot = parameters;
  return WithController<HttpResponse>(CurrentLobbyController(), [&](LobbyController& controller) {
    return FailureReply(controller.AddBot(bot));
  });
}

HttpResponse LobbyPlugin::HandlePostCustomBot(const std::string& summonerInternalName,
                                              const Api::LobbyBotParams& parameters) {
  LobbyUpdateBatch batch(*this);
  const std::string name = summonerInternalName;
  const Api::LobbyBotParams bot = parameters;
  return WithController<HttpResponse>(CurrentLobbyController(), [&](LobbyController& controller) {
    return FailureReply(controller.UpdateCustomBot(v1Lobby_.MutableLobby(), name, bot));
  });
}

HttpResponse LobbyPlugin::RemoveCustomBot(const std::string& summonerInternalName) {
  LobbyUpdateBatch batch(*this);
  const std::string name = summonerInternalName;
  return WithController<HttpResponse>(CurrentLobbyController(), [&](LobbyController& controller) {
    return FailureReply(controller.RemoveBot(v1Lobby_.MutableLobby(), name));
  });
}

HttpResult<std::vector<Api::LobbyBotChampion>> LobbyPlugin::GetAvailableBots() {
  return WithController<HttpResult<std::vector<Api::LobbyBotChampion>>>(
      CurrentLobbyController(),
      [](LobbyController& controller) { return controller.GetAvailableBots(); });
}

HttpResult<bool> LobbyPlugin::GetBotsEnabled() {
  return WithController<HttpResult<bool>>(
      CurrentLobbyController(),
      [](LobbyController& controller) { return controller.GetBotsEnabled(); });
}

void LobbyPlugin::FetchCustomBotsConfig(std::uint64_t summonerId) {
  // A copy: the observations wait for the present values, and the set may be replaced meanwhile.
  const std::shared_ptr<LobbyController> controller = controllers_.CustomGameController();
  if (controller != nullptr) controller->FetchCustomBotsConfig(summonerId);
}

}  // namespace Zarn::Client::Lobby
