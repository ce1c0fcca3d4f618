// The typed members of AppModule's events: legacy messages read into native records, and native
// records published as resource events. Include this header where they are instantiated.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/AppModule.h"
#include "sdk/runtime/JsonApiEventName.h"

namespace Zarn {

// Reads the body of `message` into a T under the name "<value>" (host context 0) and, when that
// succeeds, calls `handler` with it. A body that does not read drops the message.
template <typename T, typename Handler>
void ConvertLcdsDto(const PluginLcdsEvent& message, const Handler& handler,
                    const BindingRegistry& registry) {
  T record{};
  BindingResult result;
  ReadValue(result, record, message.body, registry, 0);
  if (!result.IsOk()) return;
  handler(record);
}

}  // namespace Zarn

namespace Zarn::Client {

template <typename T>
void AppModule::SubscribeLcdsEvent(const std::string& className,
                                   std::function<void(const T&)> handler) {
  lcdsHandlers_[className] = [this, handler = std::move(handler)](const PluginLcdsEvent& message) {
    if (registry_ != nullptr) ConvertLcdsDto<T>(message, handler, *registry_);
  };
  AddLcdsListener(
      MakeLcdsEventName(className),
      [this](const PluginLcdsEvent& message) { OnLcdsEvent(message); }, 1);
}

template <typename T>
bool AppModule::SendJsonApiEvent(uint32_t eventType, const std::string& path, const T& value) {
  if (registry_ == nullptr) return false;
  Resource event;
  event.uri = path;
  event.eventType = static_cast<PluginResourceEventType>(eventType);
  if (!ToBindingProperty(value, event.data, *registry_)) return false;
  return !SendEvent("OnJsonApiEvent", event, 0).IsFailure();
}

}  // namespace Zarn::Client
