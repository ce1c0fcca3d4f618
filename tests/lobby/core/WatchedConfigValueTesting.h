// Test access to a watched value's listener list and to its value without running listeners.
#pragma once

#include <utility>
#include <vector>

#include "lobby/core/WatchedConfigValue.h"

namespace Zarn::Client::Lobby {

class WatchedConfigValueTesting {
 public:
  template <class T>
  [[nodiscard]] static std::vector<typename WatchedConfigValue<T>::Listener>& Listeners(
      WatchedConfigValue<T>& watched) {
    return watched.listeners_;
  }
  // Stores `value` as delivered, telling no listener.
  template <class T>
  static void Store(WatchedConfigValue<T>& watched, T value) {
    watched.value_ = std::move(value);
    watched.hasValue_ = true;
  }
};

}  // namespace Zarn::Client::Lobby
