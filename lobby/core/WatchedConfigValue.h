// A copy of a sibling plugin's resource or of a configuration key, kept current by observing its
// path, with an optional default and listeners run after every change.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "sdk/runtime/AppModule.h"
#include "sdk/runtime/ResourceObservation.h"

namespace Zarn::Client::Lobby {

template <class T>
class WatchedConfigValue {
 public:
  using Listener = std::function<void()>;

  WatchedConfigValue() = default;
  // The observation holds the value's address: it neither copies nor moves.
  WatchedConfigValue(const WatchedConfigValue&) = delete;
  WatchedConfigValue& operator=(const WatchedConfigValue&) = delete;

  // Stores `watchedPath` and observes it through `module`, which must be set and outlive the
  // observation. For an exact path the present value arrives at once, as a Create.
  void Watch(const std::string& watchedPath) {
    path = watchedPath;
    module->template ObserveResource<T>(
        path, [this](const ResourceUpdate<T>& update) { Update(update.eventType, update.value); });
  }

  // Create and Update store `newValue`, Delete makes the stored value no longer count; each then
  // runs the listeners. Any other kind changes nothing.
  void Update(PluginResourceEventType kind, const T& newValue) {
    switch (kind) {
      case PluginResourceEventType::Create:
      case PluginResourceEventType::Update:
        value = newValue;
        hasValue = true;
        break;
      case PluginResourceEventType::Delete:
        hasValue = false;
        break;
      default:
        return;
    }
    RunListeners();
  }

  // Sets the value as an owner or an override route does, then runs the listeners.
  void Set(T newValue) {
    value = std::move(newValue);
    hasValue = true;
    RunListeners();
  }

  // Forgets the listeners and, while observing, drops the path's subscription.
  void Drop() {
    listeners.clear();
    if (path.empty()) return;
    if (module != nullptr) module->DropEventSubscription(path);
    path.clear();
  }

  // The effective value: `value` when one was delivered, else the default when one is set;
  // null when there is neither. Valid until the next change.
  [[nodiscard]] const T* Effective() const {
    if (hasValue) return &value;
    if (hasDefault) return &defaultValue;
    return nullptr;
  }
  [[nodiscard]] bool IsAvailable() const { return hasValue || hasDefault; }

  // A flag with neither a value nor a default counts as false.
  [[nodiscard]] bool IsTrue() const requires std::is_same_v<T, bool> {
    const bool* effective = Effective();
    return effective != nullptr && *effective;
  }

  // Runs every listener in list order. A listener may wait, and the host may then change the
  // value or the list: each listener is copied before it runs and the list is read again after.
  void RunListeners() {
    for (std::size_t i = 0; i < listeners.size(); ++i) {
      const Listener listener = listeners[i];
      if (listener) listener();
    }
  }

  bool hasValue = false;
  bool hasDefault = false;
  T value{};
  T defaultValue{};
  // The module the subscription is made through; not owned, null until the owner sets it.
  AppModule* module = nullptr;
  std::vector<Listener> listeners;
  // The observed path; empty while not observing.
  std::string path;
};

}  // namespace Zarn::Client::Lobby
