#include "sdk/runtime/ServiceProxy.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client {

namespace {

constexpr const char* kUuidRequestPath = "/jyx-login/v1/service-proxy-uuid-requests";
constexpr uint32_t kChannelMask = 1;

}  // namespace

void ServiceProxy::CheckOutsideHandlerCallback(const AppModule& module, const char* what) {
#ifndef NDEBUG
  if (module.handlerCallbackThread_.load() != std::this_thread::get_id()) return;
  std::fprintf(stderr,
               "%s: %s from a service-proxy callback, which runs under the handler lock, would "
               "deadlock\n",
               module.name_.c_str(), what);
  std::fflush(stderr);
  std::abort();
#else
  (void)module;
  (void)what;
#endif
}

std::unique_lock<std::mutex> ServiceProxy::LockHandlers(AppModule& module) {
  CheckOutsideHandlerCallback(module, "Taking the handler lock");
  return std::unique_lock<std::mutex>(module.handlerLock_);
}

void ServiceProxy::RunUnderHandlerLock(AppModule& module, const std::function<void()>& callback) {
  module.handlerCallbackThread_.store(std::this_thread::get_id());
  try {
    callback();
  } catch (const std::exception& e) {
    LogPrintf(kLogLevelError, kChannelMask, 0, "%s: Service proxy callback failed: %s",
              module.name_.c_str(), e.what());
  } catch (...) {
    LogPrintf(kLogLevelError, kChannelMask, 0, "%s: Service proxy callback failed",
              module.name_.c_str());
  }
  module.handlerCallbackThread_.store(std::thread::id());
}

std::string ServiceProxy::PayloadNotConverted(const char* typeName) {
  return Failure::Make1("Failed to convert type {type} to BindingProperty for serialization",
                        typeName)
      .Message();
}

std::string ServiceProxy::Start(AppModule& module, const std::string& service,
                                const std::string& method, const std::string& payloadJson,
                                Completion callback) {
  const std::string label = Format("%1.%2", service, method);
  LogPrintf(kLogLevelAlways, kChannelMask, 0, "%s: Preparing service proxy request: %s",
            module.name_.c_str(), label.c_str());
  MaybeType<Failure, std::string> uuid = module.Request<std::string>(
      HttpMethod::Post, kUuidRequestPath, service, method, module.hostContext_, payloadJson);
  if (uuid.IsFailure()) return uuid.GetFailure().Message();
  const std::string key = std::move(uuid).Value();
  LogPrintf(kLogLevelAlways, kChannelMask, 0, "%s: Started service proxy request: %s (%s)",
            module.name_.c_str(), label.c_str(), key.c_str());
  {
    std::unique_lock<std::mutex> lock = LockHandlers(module);
    module.serviceProxyRequests_[key] = std::move(callback);
  }
  // The reply may have arrived during the POST.
  FulfillRequest(module);
  return {};
}

void ServiceProxy::FulfillRequest(AppModule& module) {
  std::unique_lock<std::mutex> lock = LockHandlers(module);
  for (auto reply = module.serviceProxyReplies_.begin(); reply != module.serviceProxyReplies_.end();
       ++reply) {
    auto request = module.serviceProxyRequests_.find(reply->first);
    if (request == module.serviceProxyRequests_.end()) continue;
    const std::string key = reply->first;
    // Both entries go before the callback runs, so that nothing it does can reach them.
    const Completion callback = std::move(request->second);
    const PluginServiceProxyResponse response = std::move(reply->second);
    module.serviceProxyRequests_.erase(request);
    module.serviceProxyReplies_.erase(reply);
    RunUnderHandlerLock(module, [&] { callback(response); });
    LogPrintf(kLogLevelAlways, kChannelMask, 0, "%s: Fulfilled service proxy request: %s",
              module.name_.c_str(), key.c_str());
    return;
  }
}

void ServiceProxy::StoreReply(AppModule& module, const std::string& key,
                              const PluginServiceProxyResponse& reply) {
  {
    std::unique_lock<std::mutex> lock = LockHandlers(module);
    module.serviceProxyReplies_[key] = reply;
  }
  FulfillRequest(module);
}

void AppModule::OnServiceProxyUuidEvent(const PluginServiceProxyResponse& reply) {
  ServiceProxy::StoreReply(*this, reply.uuid, reply);
}

void AppModule::OnServiceProxyMethodEvent(const PluginServiceProxyResponse& reply) {
  ServiceProxy::StoreReply(*this, Format("%1.%2", reply.serviceName, reply.methodName), reply);
}

void AppModule::OnServiceProxyAsyncEvent(const PluginServiceProxyResponse& reply) {
  const std::string key = Format("%1.%2", reply.serviceName, reply.methodName);
  std::unique_lock<std::mutex> lock = ServiceProxy::LockHandlers(*this);
  auto it = serviceProxyAsyncHandlers_.find(key);
  if (it == serviceProxyAsyncHandlers_.end()) {
    LogPrintf(kLogLevelError, kChannelMask, 0,
              "%s: Could not find registered handler for async service proxy event %s",
              name_.c_str(), key.c_str());
    return;
  }
  const ServiceProxyEventHandler handler = it->second;
  ServiceProxy::RunUnderHandlerLock(*this, [&] { handler(reply); });
}

}  // namespace Zarn::Client
