#include "lobby/core/LobbyNotifications.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "lobby/core/LobbyConventions.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/platform/WallClock.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kNotificationsPath[] = "/jyx-lobby/v2/notifications";
constexpr std::size_t kMaxNotifications = 30;
constexpr std::int64_t kNanosecondsPerMillisecond = 1000000;

// Milliseconds since 1970 of the wall clock; a clock set before 1970 reads as 0.
std::uint64_t WallClockMillis() {
  const std::int64_t now = Platform::WallClockNow();
  return now > 0 ? static_cast<std::uint64_t>(now / kNanosecondsPerMillisecond) : 0;
}

}  // namespace

Api::LobbyNotification LobbyNotifications::MakeLobbyNotification(
    std::string reason, std::vector<std::uint64_t> summonerIds) {
  Api::LobbyNotification notification;
  notification.notificationReason = std::move(reason);
  notification.summonerIds = std::move(summonerIds);
  notification.timestamp = WallClockMillis();
  notification.notificationId = std::to_string(counter_++);
  return notification;
}

Api::LobbyNotification LobbyNotifications::CreateDodgeNotification(
    const Api::GameflowGameDodge& dodge) {
  const char* name = EnumToString(dodge.state, runtime_.GetRegistry());
  return MakeLobbyNotification(name != nullptr ? name : "", dodge.dodgeIds);
}

bool LobbyNotifications::AddLobbyNotification(Api::LobbyNotification notification) {
  const std::string json = ToJsonString(notification, runtime_.GetRegistry());
  LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0, "AddLobbyNotification %s", json.c_str());
  const bool listed = std::any_of(notifications_.begin(), notifications_.end(),
                                  [&notification](const Api::LobbyNotification& entry) {
                                    return entry.notificationId == notification.notificationId;
                                  });
  if (listed) return false;
  if (notifications_.size() >= kMaxNotifications) {
    notifications_.erase(notifications_.begin(), notifications_.end() - (kMaxNotifications - 1));
  }
  notifications_.push_back(std::move(notification));
  Publish();
  return true;
}

bool LobbyNotifications::EraseNotification(const std::string& notificationId) {
  const auto end = std::remove_if(notifications_.begin(), notifications_.end(),
                                  [&notificationId](const Api::LobbyNotification& entry) {
                                    return entry.notificationId == notificationId;
                                  });
  const bool removed = end != notifications_.end();
  notifications_.erase(end, notifications_.end());
  return removed;
}

void LobbyNotifications::Publish() {
  // Published from a copy: the host may call back in while the event goes out.
  const std::vector<Api::LobbyNotification> list = notifications_;
  runtime_.SendJsonApiEvent(kResourceUpdate, kNotificationsPath, list);
}

}  // namespace Zarn::Client::Lobby
