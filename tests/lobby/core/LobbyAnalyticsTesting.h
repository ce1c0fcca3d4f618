// Test access to the analytics' watched friends and their toggle session.
#pragma once

#include <string>
#include <vector>

#include "lobby/core/LobbyAnalytics.h"

namespace Zarn::Client::Lobby {

class LobbyAnalyticsTesting {
 public:
  [[nodiscard]] static WatchedConfigValue<std::vector<Api::ChatFriend>>& Friends(
      LobbyAnalytics& analytics) {
    return analytics.friends_;
  }
  [[nodiscard]] static WatchedConfigValue<Api::ChatFriendCounts>& FriendCounts(
      LobbyAnalytics& analytics) {
    return analytics.friendCounts_;
  }
  [[nodiscard]] static Api::OpenPartyToggleAnalytics& ToggleSession(LobbyAnalytics& analytics) {
    return analytics.toggleSession_;
  }
  [[nodiscard]] static const Api::OpenPartyToggleAnalytics& ToggleSession(
      const LobbyAnalytics& analytics) {
    return analytics.toggleSession_;
  }
  [[nodiscard]] static const std::string& ToggleStartTransition(const LobbyAnalytics& analytics) {
    return analytics.toggleStartTransition_;
  }
};

}  // namespace Zarn::Client::Lobby
