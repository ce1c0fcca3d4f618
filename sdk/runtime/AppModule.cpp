#include "sdk/runtime/AppModule.h"

#include <vector>

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
  if (callGate_ != nullptr) callGate_->DropHeld();
}

void AppModule::RunAtGate(const std::string& what, Callback run) {
  if (callGate_ == nullptr) return run();
  const CallGate::Name name{what, {}};
  if (callGate_->MustHold()) return callGate_->Hold(name, std::move(run));
  const CallGate::HostCall call(*callGate_, name);
  run();
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
