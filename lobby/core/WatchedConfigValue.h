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

// Whether a value was delivered and the value itself change together, only through Update and
// Set; a default stands in while none is.
template <class T>
class WatchedConfigValue {
 public:
  using Listener = std::function<void()>;

  WatchedConfigValue() = default;
  // The observation holds the value's address: it neither copies nor moves.
  WatchedConfigValue(const WatchedConfigValue&) = delete;
  WatchedConfigValue& operator=(const WatchedConfigValue&) = delete;

  // The module the subscription is made through; not owned, null until the owner sets it. It
  // must outlive the observation.
  void SetModule(AppModule* module) { module_ = module; }
  [[nodiscard]] AppModule* Module() const { return module_; }
  // The value that counts while none was delivered.
  void SetDefault(T defaultValue) {
    defaultValue_ = std::move(defaultValue);
    hasDefault_ = true;
  }
  // Runs after every change, after the listeners added before it.
  void AddListener(Listener listener) { listeners_.push_back(std::move(listener)); }

  // Observes `watchedPath` through `module`, which it keeps (see SetModule), after adding
  // `listener` when there is one.
  void WatchThrough(AppModule& module, const std::string& watchedPath, Listener listener) {
    SetModule(&module);
    if (listener) AddListener(std::move(listener));
    Watch(watchedPath);
  }
  // Stores `watchedPath` and observes it through the module, which must be set. For an exact path
  // the present value arrives at once, as a Create.
  void Watch(const std::string& watchedPath) {
    path_ = watchedPath;
    module_->template ObserveResource<T>(
        path_, [this](const ResourceUpdate<T>& update) { Update(update.eventType, update.value); });
  }

  // Create and Update store `newValue`, Delete makes the stored value no longer count; each then
  // runs the listeners. Any other kind changes nothing.
  void Update(PluginResourceEventType kind, const T& newValue) {
    switch (kind) {
      case PluginResourceEventType::Create:
      case PluginResourceEventType::Update:
        value_ = newValue;
        hasValue_ = true;
        break;
      case PluginResourceEventType::Delete:
        hasValue_ = false;
        break;
      default:
        return;
    }
    RunListeners();
  }

  // Sets the value as an owner or an override route does, then runs the listeners.
  void Set(T newValue) {
    value_ = std::move(newValue);
    hasValue_ = true;
    RunListeners();
  }

  // Forgets the listeners and, while observing, drops the path's subscription.
  void Drop() {
    listeners_.clear();
    if (path_.empty()) return;
    if (module_ != nullptr) module_->DropEventSubscription(path_);
    path_.clear();
  }

  // Whether a value was delivered and still counts; a default is not one.
  [[nodiscard]] bool HasValue() const { return hasValue_; }
  // The value delivered last; the initial value before any.
  [[nodiscard]] const T& Value() const { return value_; }
  // The observed path; empty while not observing.
  [[nodiscard]] const std::string& Path() const { return path_; }

  // The effective value: the delivered one when it counts, else the default when one is set;
  // null when there is neither. Valid until the next change.
  [[nodiscard]] const T* Effective() const {
    if (hasValue_) return &value_;
    if (hasDefault_) return &defaultValue_;
    return nullptr;
  }
  [[nodiscard]] bool IsAvailable() const { return hasValue_ || hasDefault_; }

  // A flag with neither a value nor a default counts as false.
  [[nodiscard]] bool IsTrue() const requires std::is_same_v<T, bool> {
    const bool* effective = Effective();
    return effective != nullptr && *effective;
  }

  // Runs every listener in list order. A listener may wait, and the host may then change the
  // value or the list: each listener is copied before it runs and the list is read again after.
  void RunListeners() {
    for (std::size_t i = 0; i < listeners_.size(); ++i) {
      const Listener listener = listeners_[i];
      if (listener) listener();
    }
  }

 private:
  friend class WatchedConfigValueTesting;

  bool hasValue_ = false;
  bool hasDefault_ = false;
  T value_{};
  T defaultValue_{};
  AppModule* module_ = nullptr;
  std::vector<Listener> listeners_;
  std::string path_;
};

}  // namespace Zarn::Client::Lobby
