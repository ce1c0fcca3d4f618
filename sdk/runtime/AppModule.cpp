#include "sdk/runtime/AppModule.h"

#include <vector>

#include <exception>
#include <optional>

#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client {

void EventSource::SubscribeEvent(const std::string& /*path*/) {}
void EventSource::UnsubscribeEvent(const std::string& /*path*/) {}

AppModule::AppModule() = default;
AppModule::~AppModule() = default;

void AppModule::Shutdown() {
  // The host is called outside any walk of the table.
  std::vector<std::string> names;
  names.reserve(eventHandlers_.size());
  for (const auto& [name, handler] : eventHandlers_) names.push_back(name);
  for (const std::string& name : names) UnsubscribeHostEvent(name.c_str(), hostContext_);
  eventHandlers_.clear();
  lcdsHandlers_.clear();
  {
    std::lock_guard<std::mutex> lock(handlerLock_);
    serviceProxyRequests_.clear();
    serviceProxyReplies_.clear();
    serviceProxyAsyncHandlers_.clear();
  }
  timers_.clear();
  exactObservers_.clear();
  wildcardObservers_.clear();
  // Held calls never run once the module is shut down.
  for (const HeldCall& held : heldCalls_) {
    LogPrintf(kLogLevelAlways, 1, 0, "%s: Dropping %s, held at shutdown", name_.c_str(),
              held.what.c_str());
  }
  heldCalls_.clear();
}

void AppModule::RunAtGate(std::string what, Callback run) {
  if (callGate_ == nullptr) return run();
  if (callGate_->Hold(what)) {
    heldCalls_.push_back({std::move(what), std::move(run)});
    return;
  }
  const CallGate::CallScope call(*callGate_, what);
  run();
}

void AppModule::RunHeldCalls() {
  while (!heldCalls_.empty() && (callGate_ == nullptr || !callGate_->HoldsCalls())) {
    // Taken out before it runs: it may wait, and calls held meanwhile join the queue behind it.
    HeldCall held = std::move(heldCalls_.front());
    heldCalls_.pop_front();
    LogPrintf(kLogLevelAlways, 1, 0, "%s: Running %s, held until now", name_.c_str(),
              held.what.c_str());
    std::optional<CallGate::CallScope> call;
    if (callGate_ != nullptr) call.emplace(*callGate_, held.what);
    // As when it came: what it throws is logged, and the next one runs.
    try {
      held.run();
    } catch (const std::exception& e) {
      LogPrintf(kLogLevelError, 1, 0, "%s: %s failed: %s", name_.c_str(), held.what.c_str(),
                e.what());
    } catch (...) {
      LogPrintf(kLogLevelError, 1, 0, "%s: %s failed", name_.c_str(), held.what.c_str());
    }
  }
}

void AppModule::SetUp(uint32_t hostContext, const std::string& name, const std::string& userAgent) {
  hostContext_ = hostContext;
  name_ = name;
  userAgent_ = userAgent;
  observationRegistry_ = registry_;
  observerOwner_ = this;
  telemetry_ = std::make_unique<Client::Telemetry>(this);
  AddServiceProxyEventHandler(
      "OnServiceProxyUuidEvent",
      [this](const PluginServiceProxyResponse& reply) { OnServiceProxyUuidEvent(reply); }, 1);
  AddServiceProxyEventHandler(
      "OnServiceProxyMethodEvent",
      [this](const PluginServiceProxyResponse& reply) { OnServiceProxyMethodEvent(reply); }, 1);
  AddServiceProxyEventHandler(
      "OnServiceProxyAsyncEvent",
      [this](const PluginServiceProxyResponse& reply) { OnServiceProxyAsyncEvent(reply); }, 1);
}

void AppModule::StoreEventHandler(const std::string& name, EventHandler handler) {
  // The earlier holder is released here; a delivery that still runs it keeps its own reference.
  eventHandlers_[name] = std::make_shared<EventHandler>(std::move(handler));
}

void AppModule::AddEventHandler(const std::string& name, ResourceHandler handler, uint32_t flag) {
  StoreEventHandler(name, EventHandler(std::in_place_index<0>, std::move(handler)));
  SubscribeHostEvent(name.c_str(), hostContext_, &OnJsonApiEventCallback, this, flag);
}

void AppModule::AddServiceProxyEventHandler(const std::string& name,
                                            ServiceProxyEventHandler handler, uint32_t flag) {
  StoreEventHandler(name, EventHandler(std::in_place_index<2>, std::move(handler)));
  SubscribeHostEvent(name.c_str(), hostContext_, &OnServiceProxyEventCallback, this, flag);
}

uint64_t AppModule::WaitYield() {
  BeginWait("Wait: yield", 0);
  YieldToHost();
  return EndWait();
}

bool AppModule::HasEventHandler(const std::string& name) const {
  return eventHandlers_.count(name) != 0;
}

}  // namespace Zarn::Client
