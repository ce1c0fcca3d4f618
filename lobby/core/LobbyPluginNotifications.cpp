// LobbyPlugin: the notification routes and the notifications other parts make, which the
// notification list holds; and the player status the gameflow plugin is told, which the
// end-of-game refresh and the service shutdown change.
#include <string>
#include <utility>
#include <vector>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/JsonText.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kPlayerStatusPath[] = "/jyx-gameflow/v1/gameflow-metadata/player-status";

}  // namespace

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
    return MakeNotFound(std::string_view("LOBBY_NOT_FOUND"));
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

void LobbyPlugin::RefreshEogState() {
  if (activeBackend_ != nullptr) {
    playerStatus_.canInviteOthersAtEog = activeBackend_->GetAvailabilityFlag();
  }
  // Read again: the backend may have waited.
  if (playerStatus_.lastQueuedLobbyStatus.has_value() &&
      playerStatus_.lastQueuedLobbyStatus->allowedPlayAgain) {
    playerStatus_.lastQueuedLobbyStatus->allowedPlayAgain = false;
    SetGameflowPlayerStatus();
  }
}

void LobbyPlugin::AddServiceShutdownNotification() {
  RefreshEogState();
  static_cast<void>(notifications_.AddLobbyNotification(
      notifications_.MakeLobbyNotification("ServiceShutdown", {})));
}

void LobbyPlugin::SetGameflowPlayerStatus() {
  // A copy: the status may change while the request waits.
  const Api::PlayerStatus status = playerStatus_;
  MaybeType<Failure, void> posted = Request<void>(HttpMethod::Post, kPlayerStatusPath, status);
  if (posted.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Failed to set player status on gameflow: %s",
              posted.Message());
  }
}

}  // namespace Zarn::Client::Lobby
