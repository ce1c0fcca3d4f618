// Subscription to resource events and legacy-platform (LCDS) messages, their delivery from the
// host, and their dispatch to observers and handlers.
//
// Handlers may wait, and the host may call into the module while they do: every handler is
// copied (or its shared holder kept) before it is called, and the tables are looked up again
// afterwards instead of being held across the call.
#include <exception>
#include <string_view>
#include <vector>

#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/base/MemoryHooks.h"
#include "sdk/binding/HostValueConversion.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/platform/SteadyClock.h"
#include "sdk/runtime/AppModule.h"
#include "sdk/runtime/JsonApiEventName.h"
#include "sdk/runtime/LcdsClassNames.h"

namespace Zarn::Client {

namespace {

// The name that a delivered payload carries in conversion messages.
constexpr std::string_view kPayloadName = "<result>";

// Reads a delivered host value. The host's value is checked before it is read.
bool ReadPayload(const ApiObject& payload, BindingProperty& value) noexcept {
  ApiCallResult status{};
  const bool ok = ApiObjectToProperty(status, value, payload, kPayloadName);
  if (status.ownsError == 1) MemoryHooks::Free(status.errorText);
  return ok;
}

}  // namespace

template <typename Record, std::size_t Alternative>
void AppModule::DeliverHostEvent(PluginHostEvent* event) noexcept {
  if (event == nullptr || event->name == nullptr || event->userData == nullptr) return;
  auto* module = static_cast<AppModule*>(event->userData);
  try {
    std::shared_ptr<EventHandler> holder;
    if (auto it = module->eventHandlers_.find(std::string_view(event->name));
        it != module->eventHandlers_.end()) {
      // Kept for the whole call: the handler may replace or drop its own entry.
      holder = it->second;
    }
    if (holder == nullptr || holder->index() != Alternative || module->registry_ == nullptr) {
      return;
    }
    BindingProperty payload;
    if (!ReadPayload(event->payload, payload)) return;
    Record record;
    BindingResult result;
    ReadValue(result, record, payload, *module->registry_, module->hostContext_);
    if (!result.IsOk()) return;
    // A resource event is a call of its own at the gate. Legacy messages are handled in callbacks
    // they schedule, and service replies complete the very wait they come in.
    if constexpr (Alternative == 0) {
      if (CallGate* gate = module->callGate_) {
        if (gate->MustHold()) {
          // Named before the record moves into the call.
          const std::string what = "event " + record.uri;
          gate->Hold(CallGate::Name{what, {}}, [module, name = std::string(event->name),
                                                record = std::move(record)] {
            // Looked up when it runs: the handler may have been replaced or dropped.
            auto it = module->eventHandlers_.find(name);
            if (it == module->eventHandlers_.end() || it->second->index() != Alternative) {
              return;
            }
            const std::shared_ptr<EventHandler> handler = it->second;
            std::get<Alternative> (*handler)(record);
          });
          return;
        }
        const CallGate::HostCall call(*gate, CallGate::Name{"event", record.uri});
        std::get<Alternative> (*holder)(record);
        return;
      }
    }
    std::get<Alternative> (*holder)(record);
  } catch (const std::exception& e) {
    LogPrintf(kLogLevelError, 1, 0, "%s: Handling event %s failed: %s", module->name_.c_str(),
              event->name, e.what());
  } catch (...) {
    LogPrintf(kLogLevelError, 1, 0, "%s: Handling event %s failed", module->name_.c_str(),
              event->name);
  }
}

void AppModule::OnJsonApiEventCallback(PluginHostEvent* event) {
  DeliverHostEvent<Resource, 0>(event);
}

void AppModule::OnLcdsEventCallback(PluginHostEvent* event) {
  DeliverHostEvent<PluginLcdsEvent, 1>(event);
}

void AppModule::OnServiceProxyEventCallback(PluginHostEvent* event) {
  DeliverHostEvent<PluginServiceProxyResponse, 2>(event);
}

void AppModule::SubscribeEvent(const std::string& path) {
  const std::string name = MakeJsonApiEventName(path);
  if (++subscriptionCounts_[name] != 1) return;
  AddEventHandler(
      name, [this](const Resource& event) { DispatchResourceEvent(event); }, 0);
}

void AppModule::UnsubscribeEvent(const std::string& path) {
  const std::string name = MakeJsonApiEventName(path);
  auto count = subscriptionCounts_.find(name);
  // An unmatched release must not wrap the count around.
  if (count == subscriptionCounts_.end() || count->second == 0) return;
  if (--count->second != 0) return;
  UnsubscribeHostEvent(name.c_str(), hostContext_);
  eventHandlers_.erase(name);
}

void AppModule::DropEventSubscription(const std::string& nameOrPath) {
  const std::string name = !nameOrPath.empty() && nameOrPath.front() == '/'
                               ? MakeJsonApiEventName(nameOrPath)
                               : nameOrPath;
  UnsubscribeHostEvent(name.c_str(), hostContext_);
  eventHandlers_.erase(name);
  // The host no longer delivers the event, so the next SubscribeEvent must subscribe again.
  if (auto count = subscriptionCounts_.find(name); count != subscriptionCounts_.end()) {
    count->second = 0;
  }
}

void AppModule::AddLcdsListener(const std::string& name, LcdsEventHandler handler, uint32_t flag) {
  StoreEventHandler(name, EventHandler(std::in_place_index<1>, std::move(handler)));
  SubscribeHostEvent(name.c_str(), hostContext_, &OnLcdsEventCallback, this, flag);
}

void AppModule::DispatchResourceEvent(const Resource& event) {
  std::string path = event.uri;
  if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
  if (auto it = exactObservers_.find(path); it != exactObservers_.end()) {
    const ResourceHandler handler = it->second;
    handler(event);
  }
  std::vector<std::string> patterns;
  patterns.reserve(wildcardObservers_.size());
  for (const auto& [pattern, handler] : wildcardObservers_) patterns.push_back(pattern);
  for (const std::string& pattern : patterns) {
    if (!MatchesObserverPattern(pattern, path)) continue;
    // An earlier handler may have removed or replaced this observer.
    auto it = wildcardObservers_.find(pattern);
    if (it == wildcardObservers_.end()) continue;
    const ResourceHandler handler = it->second;
    handler(event);
  }
}

void AppModule::OnLcdsEvent(const PluginLcdsEvent& event) {
  if (lcdsHandlers_.find(event.typeName) == lcdsHandlers_.end()) return;
  ScheduleCallback(
      Format("Event: OnLcdsEvent (%1)", event.typeName),
      [this, message = event] {
        auto it = lcdsHandlers_.find(message.typeName);
        if (it == lcdsHandlers_.end()) return;
        const LcdsEventHandler handler = it->second;
        handler(message);
      },
      Platform::SteadyClockNow());
}

void AppModule::StampLcdsClassNames(BindingProperty& value,
                                    const BindingTypeDescriptor& descriptor) const {
  Client::StampLcdsClassNames(value, descriptor, lcdsClassByType_);
}

}  // namespace Zarn::Client
