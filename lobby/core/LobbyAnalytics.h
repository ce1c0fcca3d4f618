// The parties feature's telemetry: friend availability, premade relationships, invitations,
// joins of open parties and sessions of the open-party toggle.
#pragma once

#include <vector>

#include "lobby/core/WatchedConfigValue.h"
#include "lobby/model/SiblingResourceRecords.h"

namespace Zarn::Client::Lobby {

class LobbyPlugin;

class LobbyAnalytics {
 public:
  LobbyAnalytics() = default;
  LobbyAnalytics(const LobbyAnalytics&) = delete;
  LobbyAnalytics& operator=(const LobbyAnalytics&) = delete;

  // The plugin; not owned, null until the chat subscriptions point the analytics at it.
  LobbyPlugin* owner = nullptr;
  // Observed by the chat subscriptions at start; the plugin's shutdown drops both.
  WatchedConfigValue<std::vector<Api::ChatFriend>> friends;
  WatchedConfigValue<Api::ChatFriendCounts> friendCounts;
};

}  // namespace Zarn::Client::Lobby
