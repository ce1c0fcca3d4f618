// Requests to remote services through the login plugin's service proxy. A request is started by
// a POST that returns its uuid; the reply arrives later as a host event and is matched to the
// request by that uuid (method events by "service.method"). Replies that arrive before their
// request is registered (the host may deliver events during the POST) wait in the module until
// it is.
#pragma once

#include <functional>
#include <future>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "sdk/base/Format.h"
#include "sdk/base/PathSegment.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/platform/SteadyClock.h"
#include "sdk/runtime/AppModule.h"
#include "sdk/runtime/Await.h"
#include "sdk/runtime/Requests.h"
#include "sdk/runtime/ServiceProxyResponse.h"

namespace Zarn::Client {

class ServiceProxy {
 public:
  using Completion = AppModule::ServiceProxyEventHandler;

  // Starts a request of `service`.`method` whose payload (a bound record, or a value) is sent as
  // JSON text. R is AppModule::ServiceProxyRawResponse or std::vector<BindingProperty>. Returns
  // "" once the request is registered; `callback` then runs once, under the module's handler
  // lock, with the reply. Otherwise returns why not ("Finalizing" after shutdown, a payload that
  // does not convert, the starting POST's failure) and drops `callback` uncalled. A callback
  // must not start a request or register a handler (debug builds abort: it would deadlock).
  template <typename R, typename Payload>
  [[nodiscard]] static std::string Invoke(AppModule& module, const std::string& service,
                                          const std::string& method, const Payload& payload,
                                          Completion callback);
  // The request's result as a future: the reply's error text, or its payload read as R, or the
  // reason the request was refused (all with code 0).
  template <typename R, typename Payload>
  [[nodiscard]] static std::future<MaybeType<Failure, R>> InvokeAsync(AppModule& module,
                                                                      const std::string& service,
                                                                      const std::string& method,
                                                                      const Payload& payload);
  // InvokeAsync, then AppModule::Await of its future.
  template <typename R, typename Payload>
  [[nodiscard]] static MaybeType<Failure, R> InvokeAndAwait(AppModule& module,
                                                            const std::string& service,
                                                            const std::string& method,
                                                            const Payload& payload);

  // Runs the callback of at most one registered request whose reply has arrived, and forgets
  // both.
  static void FulfillRequest(AppModule& module);

 private:
  friend class AppModule;

  // The module's handler lock. Taking it from a callback that runs under it aborts in debug
  // builds instead of deadlocking.
  [[nodiscard]] static std::unique_lock<std::mutex> LockHandlers(AppModule& module);
  // Aborts (debug builds) when called from a callback that runs under the handler lock.
  static void CheckOutsideHandlerCallback(const AppModule& module, const char* what);
  // Runs `callback` under the (held) handler lock, marking the thread as inside it; nothing
  // escapes it.
  static void RunUnderHandlerLock(AppModule& module, const std::function<void()>& callback);
  // Stores `reply` under `key` (replacing an unmatched one) and fulfils what it can.
  static void StoreReply(AppModule& module, const std::string& key,
                         const PluginServiceProxyResponse& reply);
  // The POST that starts a request, then its registration.
  static std::string Start(AppModule& module, const std::string& service, const std::string& method,
                           const std::string& payloadJson, Completion callback);
  static std::string PayloadNotConverted(const char* typeName);

  template <typename R>
  static MaybeType<Failure, R> Complete(const PluginServiceProxyResponse& reply,
                                        const BindingRegistry& registry) {
    using Read = std::conditional_t<std::is_same_v<R, ServiceProxyRawResponse>, BindingProperty, R>;
    if (!reply.error.empty()) return Failure(0, std::string(reply.error));
    return DeserializeResponsePayload<Read>(reply, registry);
  }

  // Reads an asynchronous message's payload as T and hands it to `handler`; a payload that is
  // not JSON or not a T is dropped.
  template <typename T>
  static void DeliverAsync(AppModule& module, const PluginServiceProxyResponse& reply,
                           const std::function<void(const T&)>& handler) {
    BindingResult parsed = ParseJson(reply.payload);
    if (!parsed.IsOk()) return;
    T record{};
    BindingResult read;
    ReadValue(read, record, parsed.Value(), module.ConversionRegistry(), 0);
    if (!read.IsOk()) return;
    handler(record);
  }
};

template <typename R, typename Payload>
std::string ServiceProxy::Invoke(AppModule& module, const std::string& service,
                                 const std::string& method, const Payload& payload,
                                 Completion callback) {
  static_assert(
      std::is_same_v<R, ServiceProxyRawResponse> || std::is_same_v<R, std::vector<BindingProperty>>,
      "a service-proxy request yields a raw response or a list of values");
  if (module.shuttingDown_) return "Finalizing";
  CheckOutsideHandlerCallback(module, "Starting a service-proxy request");
  const BindingRegistry& registry = module.ConversionRegistry();
  BindingResult conversion;
  WriteValue(conversion, payload, registry);
  if (!conversion.IsOk()) return PayloadNotConverted(TypeId<Payload>().name);
  return Start(module, service, method, SerializeJson(conversion.Value(), &registry, nullptr),
               std::move(callback));
}

template <typename R, typename Payload>
std::future<MaybeType<Failure, R>> ServiceProxy::InvokeAsync(AppModule& module,
                                                             const std::string& service,
                                                             const std::string& method,
                                                             const Payload& payload) {
  // Shared by the callback and the refusal path, so that a refused request completes the
  // future instead of breaking it.
  auto promise = std::make_shared<std::promise<MaybeType<Failure, R>>>();
  std::future<MaybeType<Failure, R>> future = promise->get_future();
  AppModule* owner = &module;
  std::string refused = Invoke<R>(
      module, service, method, payload, [promise, owner](const PluginServiceProxyResponse& reply) {
        promise->set_value(Complete<R>(reply, owner->ConversionRegistry()));
      });
  if (!refused.empty()) promise->set_value(Failure(0, std::move(refused)));
  return future;
}

template <typename R, typename Payload>
MaybeType<Failure, R> ServiceProxy::InvokeAndAwait(AppModule& module, const std::string& service,
                                                   const std::string& method,
                                                   const Payload& payload) {
  return module.Await(InvokeAsync<R>(module, service, method, payload));
}

template <typename T>
void AppModule::SubscribeServiceProxyAsync(const std::string& service, const std::string& method,
                                           std::function<void(const T&)> handler) {
  ServiceProxy::CheckOutsideHandlerCallback(*this, "Registering a service-proxy handler");
  std::string key = Format("%1.%2", service, method);
  {
    std::unique_lock<std::mutex> lock = ServiceProxy::LockHandlers(*this);
    // Runs under the handler lock, so it only schedules the user's handler.
    serviceProxyAsyncHandlers_[key] = [this, key,
                                       handler](const PluginServiceProxyResponse& reply) {
      ScheduleCallback(
          key, [this, reply, handler] { ServiceProxy::DeliverAsync<T>(*this, reply, handler); },
          Platform::SteadyClockNow());
    };
  }
  (void)Request<void>(HttpMethod::Post,
                      Format("/jyx-login/v1/service-proxy-async-requests/%1/%2",
                             PathSegment(service), PathSegment(method)),
                      hostContext_);
}

}  // namespace Zarn::Client
