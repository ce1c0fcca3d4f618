// The bot routes of a custom lobby, each handed to the lobby's controller, and the bot
// configuration observed at login.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"

namespace Zarn::Client::Lobby {

namespace {

HttpResponse BotReply(const MaybeType<Failure, void>& outcome) {
  if (outcome.HasValue()) return HttpResponse();
  const Failure& failure = outcome.GetFailure();
  return HttpResponse(failure.Code() == 0 ? 500 : failure.Code(), failure.Message());
}

}  // namespace

HttpResponse LobbyPlugin::AddCustomBot(const Api::LobbyBotParams& parameters) {
  LobbyUpdateBatch batch(*this);
  const Api::LobbyBotParams bot = parameters;
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(lobby_.isCustom, lobby_.queueId);
  if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
  return BotReply(controller->AddBot(bot));
}

HttpResponse LobbyPlugin::HandlePostCustomBot(const std::string& summonerInternalName,
                                              const Api::LobbyBotParams& parameters) {
  LobbyUpdateBatch batch(*this);
  const std::string name = summonerInternalName;
  const Api::LobbyBotParams bot = parameters;
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(lobby_.isCustom, lobby_.queueId);
  if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
  return BotReply(controller->UpdateCustomBot(lobby_, name, bot));
}

HttpResponse LobbyPlugin::RemoveCustomBot(const std::string& summonerInternalName) {
  LobbyUpdateBatch batch(*this);
  const std::string name = summonerInternalName;
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(lobby_.isCustom, lobby_.queueId);
  if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
  return BotReply(controller->RemoveBot(lobby_, name));
}

HttpResult<std::vector<Api::LobbyBotChampion>> LobbyPlugin::GetAvailableBots() {
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(lobby_.isCustom, lobby_.queueId);
  if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
  return controller->GetAvailableBots();
}

HttpResult<bool> LobbyPlugin::GetBotsEnabled() {
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(lobby_.isCustom, lobby_.queueId);
  if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
  return controller->GetBotsEnabled();
}

void LobbyPlugin::FetchCustomBotsConfig(std::uint64_t summonerId) {
  // A copy: the observations wait for the present values, and the set may be replaced meanwhile.
  const std::shared_ptr<LobbyController> controller = customGameController_;
  if (controller != nullptr) controller->FetchCustomBotsConfig(summonerId);
}

}  // namespace Zarn::Client::Lobby
