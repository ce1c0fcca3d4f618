// Lobby notifications: short notices about what happened to the player's lobby, kept newest last
// and at most 30, published whenever one is added; and the player status the gameflow plugin is
// told, which the end-of-game refresh and the service shutdown change.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/JsonText.h"
#include "sdk/platform/WallClock.h"
#include "sdk/runtime/Requests.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kNotificationsPath[] = "/jyx-lobby/v2/notifications";
constexpr char kPlayerStatusPath[] = "/jyx-gameflow/v1/gameflow-metadata/player-status";
constexpr std::size_t kMaxNotifications = 30;
constexpr std::int64_t kNanosecondsPerMillisecond = 1000000;

// Milliseconds since 1970 of the wall clock; a clock set before 1970 reads as 0.
std::uint64_t WallClockMillis() {
  const std::int64_t now = Platform::WallClockNow();
  return now > 0 ? static_cast<std::uint64_t>(now / kNanosecondsPerMillisecond) : 0;
}

}  // namespace

Api::LobbyNotification LobbyPlugin::MakeLobbyNotification(std::string reason,
                                                          std::vector<std::uint64_t> summonerIds) {
  Api::LobbyNotification notification;
  notification.notificationReason = std::move(reason);
  notification.summonerIds = std::move(summonerIds);
  notification.timestamp = WallClockMillis();
  notification.notificationId = std::to_string(notificationCounter_++);
  return notification;
}

bool LobbyPlugin::AddLobbyNotification(Api::LobbyNotification notification) {
  const std::string json = ToJsonString(notification, GetRegistry());
  LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0, "AddLobbyNotification %s", json.c_str());
  const bool listed = std::any_of(lobbyNotifications_.begin(), lobbyNotifications_.end(),
                                  [&notification](const Api::LobbyNotification& entry) {
                                    return entry.notificationId == notification.notificationId;
                                  });
  if (listed) return false;
  if (lobbyNotifications_.size() >= kMaxNotifications) {
    lobbyNotifications_.erase(lobbyNotifications_.begin(),
                              lobbyNotifications_.end() - (kMaxNotifications - 1));
  }
  lobbyNotifications_.push_back(std::move(notification));
  // Published from a copy: the host may call back in while the event goes out.
  const std::vector<Api::LobbyNotification> list = lobbyNotifications_;
  SendJsonApiEvent(kResourceUpdate, kNotificationsPath, list);
  return true;
}

bool LobbyPlugin::EraseNotification(const std::string& notificationId) {
  const auto end = std::remove_if(lobbyNotifications_.begin(), lobbyNotifications_.end(),
                                  [&notificationId](const Api::LobbyNotification& entry) {
                                    return entry.notificationId == notificationId;
                                  });
  const bool removed = end != lobbyNotifications_.end();
  lobbyNotifications_.erase(end, lobbyNotifications_.end());
  return removed;
}

HttpResult<std::vector<Api::LobbyNotification>> LobbyPlugin::HandleGetNotifications() {
  return std::vector<Api::LobbyNotification>(lobbyNotifications_);
}

void LobbyPlugin::HandlePostNotification(const Api::LobbyNotification& notification) {
  // The id and the time are the plugin's own; only the reason and the players are taken.
  static_cast<void>(AddLobbyNotification(
      MakeLobbyNotification(notification.notificationReason, notification.summonerIds)));
}

HttpResponse LobbyPlugin::HandleLobbyNotificationsDelete(const std::string& notificationId) {
  if (!publishedLobby_.has_value()) return MakeNotFound(std::string_view("LOBBY_NOT_FOUND"));
  const std::string id = notificationId;
  BindingProperty text;
  text.SetString(id);
  const std::string json = SerializeJson(text, nullptr, nullptr);
  LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0, "HandleLobbyNotificationsDelete %s", json.c_str());
  if (!EraseNotification(id)) {
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
  static_cast<void>(AddLobbyNotification(MakeLobbyNotification("ServiceShutdown", {})));
}

Api::LobbyNotification LobbyPlugin::CreateDodgeNotification(const Api::GameflowGameDodge& dodge) {
  const char* name = EnumToString(dodge.state, GetRegistry());
  return MakeLobbyNotification(name != nullptr ? name : "", dodge.dodgeIds);
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
