// LobbyPlugin: the notification routes, and the end-of-game refresh and service shutdown
// notification the backends ask for.
#include <string>
#include <vector>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/JsonText.h"

namespace Zarn::Client::Lobby {

HttpResult<std::vector<Api::LobbyNotification>> LobbyPlugin::HandleGetNotifications() {
  return notifications_.List();
}

void LobbyPlugin::HandlePostNotification(const Api::LobbyNotification& notification) {
  // The id and the time are the plugin's own; only the reason and the players are taken.
  static_cast<void>(notifications_.AddLobbyNotification(notifications_.MakeLobbyNotification(
      notification.notificationReason, notification.summonerIds)));
}

HttpResponse LobbyPlugin::HandleLobbyNotificationsDelete(const std::string& notificationId) {
  if (!viewModel_.PublishedLobby().has_value())
    return MakeNotFound(std::string_view(kLobbyNotFound));
  const std::string id = notificationId;
  BindingProperty text;
  text.SetString(id);
  const std::string json = SerializeJson(text, nullptr, nullptr);
  LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0, "HandleLobbyNotificationsDelete %s", json.c_str());
  if (!notifications_.EraseNotification(id)) {
    return MakeNotFound(std::string_view("LOBBY_NOTIFICATION_NOT_FOUND"));
  }
  return HttpResponse();
}

void LobbyPlugin::RefreshEogState() { gameflow_.RefreshEogState(); }

void LobbyPlugin::AddServiceShutdownNotification() {
  RefreshEogState();
  static_cast<void>(notifications_.AddLobbyNotification(
      notifications_.MakeLobbyNotification("ServiceShutdown", {})));
}

}  // namespace Zarn::Client::Lobby
