// The runtime base of a plugin: its handler tables for events, legacy-platform (LCDS) messages,
// service-proxy replies, timers and scheduled callbacks. It reaches the host only through the
// abstract host operations, which Zarn::Client::Plugin binds to the host's function table.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <variant>
#include <vector>

#include "sdk/api/CallGate.h"
#include "sdk/api/HttpMethod.h"
#include "sdk/base/Failure.h"
#include "sdk/base/Fnv1a.h"
#include "sdk/base/MaybeType.h"
#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/BindingResult.h"
#include "sdk/runtime/PluginBoundary.h"
#include "sdk/runtime/PluginManagerTypes.h"
#include "sdk/runtime/RequestArguments.h"
#include "sdk/runtime/ServiceProxyResponse.h"
#include "sdk/runtime/Telemetry.h"

namespace Zarn::Client {

class Plugin;

// The base through which resource observation subscribes; both operations do nothing here.
template <typename T>
struct ResourceUpdate;

class EventSource {
 public:
  // The registry that observed values are read with; null before initialize.
  [[nodiscard]] const BindingRegistry* ObservationRegistry() const { return observationRegistry_; }

  // Subscribes to the events of the resource at `path`.
  virtual void SubscribeEvent(const std::string& path);
  // Releases one subscription of `path`.
  virtual void UnsubscribeEvent(const std::string& path);

 protected:
  ~EventSource() = default;

  // The registry that resource observation converts with; copied from the module's at
  // initialize. Not owned; may be null before initialize.
  BindingRegistry* observationRegistry_ = nullptr;
};

class AppModule : public EventSource {
 public:
  using ResourceHandler = std::function<void(const Resource&)>;
  using LcdsEventHandler = std::function<void(const PluginLcdsEvent&)>;
  using ServiceProxyEventHandler = std::function<void(const PluginServiceProxyResponse&)>;
  // One handler per event name; which alternative it holds follows the callback it was
  // subscribed with.
  using EventHandler = std::variant<ResourceHandler, LcdsEventHandler, ServiceProxyEventHandler>;
  using Callback = std::function<void()>;

  // A named periodic timer.
  struct TimerEntry {
    std::string name;
    Callback callback;
    int64_t deadline = 0;  // steady-clock nanoseconds of the next firing
    double period = 0;     // seconds
    uint64_t generation = 0;
  };
  // A one-shot callback handed to the host; the host gets the entry's address as its context.
  struct ScheduledCallback {
    AppModule* module = nullptr;
    uint64_t id = 0;
    Callback callback;
    std::string label;  // as given to the host; names the callback at the call gate
  };

  AppModule();
  AppModule(const AppModule&) = delete;
  AppModule& operator=(const AppModule&) = delete;
  virtual ~AppModule();

  // Drops every event subscription at the host once, then clears the handler, service-proxy,
  // timer and observer tables and drops the calls held at the gate. Subscription counts and
  // scheduled callbacks stay.
  virtual void Shutdown();

  // The gate that resource events, scheduled callbacks and timers pass, and every request and
  // publication of a running call (sdk/api/CallGate.h); not owned, null for none. It must
  // outlive the module's callbacks.
  virtual void SetCallGate(CallGate* gate) { callGate_ = gate; }

  // The host operations, one per slot of the host's table (0 to 8).
  virtual uint32_t SendCoreRequest(ApiCallResult* reply, const ApiCallRequest* request) = 0;
  virtual uint32_t HostOp1(uint32_t first, uint32_t second) = 0;
  virtual void PublishHostEvent(const PluginHostEvent* event) = 0;
  virtual void SubscribeHostEvent(const char* name, uint32_t hostContext,
                                  PluginEventCallback callback, void* userData, uint32_t flag) = 0;
  virtual void UnsubscribeHostEvent(const char* name, uint32_t hostContext) = 0;
  virtual void ScheduleHostCallback(const char* label, PluginScheduledCallback callback,
                                    void* context, double delaySeconds, uint32_t reserved) = 0;
  virtual void YieldToHost() = 0;
  virtual void BeginWait(const char* label, int32_t value) = 0;
  virtual uint64_t EndWait() = 0;

  // Stores the host context, the name and the user agent; points resource observation at the
  // module and its registry; replaces the telemetry client; and subscribes the three
  // service-proxy events with flag 1.
  void SetUp(uint32_t hostContext, const std::string& name, const std::string& userAgent);

  // Stores `handler` under `name` (replacing the earlier one) and subscribes the resource-event
  // callback at the host with the module as user data.
  void AddEventHandler(const std::string& name, ResourceHandler handler, uint32_t flag);
  // The same for service-proxy events, with the service-proxy callback.
  void AddServiceProxyEventHandler(const std::string& name, ServiceProxyEventHandler handler,
                                   uint32_t flag);

  // Counts a subscription of the resource at `path` under its event name; the first one
  // subscribes DispatchResourceEvent at the host with flag 0.
  void SubscribeEvent(const std::string& path) override;
  // Releases one subscription of `path`; the last one unsubscribes at the host and drops the
  // handler. A release without a subscription does nothing.
  void UnsubscribeEvent(const std::string& path) override;
  // Unsubscribes `nameOrPath` at the host and drops its handler, whatever the count, which
  // starts again at 0. A text beginning with "/" is a resource path and stands for its event.
  void DropEventSubscription(const std::string& nameOrPath);
  // Stores `handler` under `name` (replacing the earlier one) and subscribes the LCDS callback
  // at the host with the module as user data. Not counted.
  void AddLcdsListener(const std::string& name, LcdsEventHandler handler, uint32_t flag);
  // Handles the legacy messages of `className` with `handler`, which receives the message's body
  // read into a T; a body that does not read calls nothing. Replaces the class's earlier
  // handler and subscribes at the host again. Defined in sdk/runtime/TypedEvents.h.
  template <typename T>
  void SubscribeLcdsEvent(const std::string& className, std::function<void(const T&)> handler);

  // Calls the exact observer of the event's path (a path without its leading "/" counts as
  // having it), then every wildcard observer whose pattern matches the path.
  void DispatchResourceEvent(const Resource& event);
  // Queues the message for its class's handler in a callback due at once; the handler is looked
  // up only when that callback runs. A message of a class without a handler is dropped.
  void OnLcdsEvent(const PluginLcdsEvent& event);
  // Stamps "__class" onto `value` and the records inside it, by the legacy classes of the
  // module's registered types (see sdk/runtime/LcdsClassNames.h).
  void StampLcdsClassNames(BindingProperty& value, const BindingTypeDescriptor& descriptor) const;

  // Publishes `event` through the host under the name its path gives, then under `name` when
  // that differs. Fails, publishing nothing, when the event does not convert.
  [[nodiscard]] MaybeType<Failure, void> SendEvent(const std::string& name, const Resource& event,
                                                   uint32_t flag);
  // Publishes `value` as the new state of the resource at `path`, with the event type
  // `eventType` (a PluginResourceEventType). A value that does not convert publishes nothing.
  // Whether it went out: a record of what was published must not count one the gate withheld.
  // Defined in sdk/runtime/TypedEvents.h.
  template <typename T>
  bool SendJsonApiEvent(uint32_t eventType, const std::string& path, const T& value);
  // Publishes that the resource at `path` is gone: a Delete with an empty value. Whether it went
  // out.
  bool PublishResourceEvent(const std::string& path);

  // Handlers of the three service-proxy events.
  void OnServiceProxyUuidEvent(const PluginServiceProxyResponse& reply);
  void OnServiceProxyMethodEvent(const PluginServiceProxyResponse& reply);
  void OnServiceProxyAsyncEvent(const PluginServiceProxyResponse& reply);

  // The host's callbacks for resource events and service-proxy events. `event` carries the
  // module as its user data.
  static void OnJsonApiEventCallback(PluginHostEvent* event);
  static void OnServiceProxyEventCallback(PluginHostEvent* event);
  // The host's callback for LCDS messages.
  static void OnLcdsEventCallback(PluginHostEvent* event);

  // Hands `callback` to the host to run once at `deadline` (steady-clock nanoseconds; a past
  // deadline runs at once), labelled `label`. Returns the callback's id: 1, 2, 3, ... over the
  // module's life.
  uint64_t ScheduleCallback(const std::string& label, Callback callback, int64_t deadline);
  // Creates or replaces the timer `name`: `callback` runs every `seconds`, measured from the
  // start of each firing, until the timer is cancelled or set again.
  void SetTimer(const std::string& name, double seconds, Callback callback);
  // Removes the timer `name`; returns the number of timers removed (0 or 1). A firing already
  // handed to the host still runs, finds no timer and logs a warning.
  std::size_t CancelTimer(const std::string& name);
  // The host's callback for scheduled callbacks; `context` is the scheduled entry.
  static void RunScheduledCallback(void* context);
  // Requests to the host core and sibling plugins (templates in sdk/runtime/Requests.h). Each
  // reports every failure in its result; the argument values are always released.
  //
  // One exchange through slot 0 with the arguments packed so far: fills `reply` (which must be
  // zeroed) and leaves it to the caller, who reads it and releases it (ReleaseReply).
  [[nodiscard]] MaybeType<Failure, void> SendRequest(ApiCallResult& reply, HttpMethod method,
                                                     const std::string& url);
  // The same after packing `params` as positional arguments; nothing is sent when one fails.
  template <typename... Params>
  [[nodiscard]] MaybeType<Failure, void> SendRequest(ApiCallResult& reply, HttpMethod method,
                                                     const std::string& url,
                                                     const Params&... params);
  // Appends one host value per parameter, in order; stops at the first that fails.
  template <typename P, typename... Rest>
  [[nodiscard]] MaybeType<Failure, void> PackRequestParams(RequestArguments& arguments,
                                                           const P& first, const Rest&... rest);
  // Appends one structure with a string member per entry of `table`.
  [[nodiscard]] MaybeType<Failure, void> PackRequestParameters(
      RequestArguments& arguments, const std::unordered_map<std::string, std::string>& table);
  // An exchange whose reply value (inline or streamed) is converted to R; with R = void the
  // reply value is dropped unread. The reply and its stream are released on every path.
  template <typename R, typename... Params>
  [[nodiscard]] MaybeType<Failure, R> Request(HttpMethod method, const std::string& url,
                                              const Params&... params);
  // Reads the reply's stream to its end and parses it as JSON text; releases the stream (and
  // clears it from `reply`). A failed read gives "Stream read error".
  [[nodiscard]] BindingResult ReadStreamedBody(ApiCallResult& reply);
  // Calls the reply's stream release (when a stream is still held) and then its own release
  // entry, each once; afterwards `reply` holds neither.
  static void ReleaseReply(ApiCallResult& reply) noexcept;

  // Observes the resource at `path` (a pattern when it holds "*"): `handler` receives each change
  // read into T and, for an exact path, the present value at once (sdk/runtime/
  // ResourceObservation.h). A second observation of the same path replaces the handler.
  template <typename T>
  void ObserveResource(const std::string& path,
                       std::function<void(const ResourceUpdate<T>&)> handler);
  // The same with a member function of `object`, which must outlive the observation.
  template <typename Object>
  void ObserveResource(const std::string& path, Object* object,
                       void (Object::*member)(const ResourceUpdate<BindingProperty>&));

  // Lets the host run pending work once while the module waits; the host's end-of-wait value.
  uint64_t WaitYield();
  // Waits for `future` cooperatively, yielding to the host between polls (sdk/runtime/Await.h).
  template <typename T>
  [[nodiscard]] MaybeType<Failure, T> Await(std::future<MaybeType<Failure, T>> future);

  // The registry types are bound in; not owned, null until the loader sets it.
  [[nodiscard]] BindingRegistry* Registry() const { return registry_; }
  void SetRegistry(BindingRegistry* registry) { registry_ = registry; }
  // Registers T in `plugin`'s API registry as a type of the plugin: the plugin's CamelCase name
  // followed by `typeName`, tagged with the plugin's help categories. Gives the builder for the
  // fields, marked existing (adding nothing) when the name was registered before. Defined with
  // Plugin.
  template <typename T>
  static BindingTypeBuilder DeclareType(Plugin& plugin, std::string_view typeName);
  // The telemetry client; null before initialize.
  [[nodiscard]] TelemetryInterface* Telemetry() const { return telemetry_.get(); }
  [[nodiscard]] uint32_t HostContext() const { return hostContext_; }
  [[nodiscard]] const std::string& Name() const { return name_; }
  [[nodiscard]] const std::string& UserAgent() const { return userAgent_; }
  [[nodiscard]] bool HasEventHandler(const std::string& name) const;
  [[nodiscard]] bool IsShuttingDown() const { return shuttingDown_; }

  // Legacy-platform (LCDS) calls; templates in sdk/runtime/LcdsCall.h.
  //
  // Appends one value per parameter to `arguments`, in order, each stamped with the legacy
  // class names of its type; stops at the first parameter that does not convert.
  template <typename... P>
  [[nodiscard]] MaybeType<Failure, void> PackLcdsParams(std::vector<BindingProperty>& arguments,
                                                        const P&... params);
  // Calls `method` of the legacy service `destination` with `params` through the login plugin,
  // and reads the reply's body as R (R = void: the body is not read). The future is complete on
  // return.
  template <typename R, typename... P>
  [[nodiscard]] std::future<MaybeType<Failure, R>> LcdsCall(const std::string& destination,
                                                            const std::string& method,
                                                            const P&... params);
  // LcdsCall, then Await of its (complete) future: no wait reaches the host.
  template <typename R, typename... P>
  [[nodiscard]] MaybeType<Failure, R> LcdsCallSync(const std::string& destination,
                                                   const std::string& method, const P&... params);

  // The result of a raw service-proxy request (sdk/runtime/ServiceProxy.h).
  using ServiceProxyRawResponse = Client::ServiceProxyRawResponse;
  // Hands the messages that `service` sends on its own for `method` to `handler`, each read
  // into a T, from a callback scheduled when the message arrives; a message that does not read
  // is dropped. Replaces the earlier handler, and registers at the login plugin (whose answer is
  // not looked at). Defined in sdk/runtime/ServiceProxy.h.
  template <typename T>
  void SubscribeServiceProxyAsync(const std::string& service, const std::string& method,
                                  std::function<void(const T&)> handler);

 protected:
  friend class ServiceProxy;

  // The legacy call behind LcdsCall.
  template <typename R, typename... P>
  [[nodiscard]] MaybeType<Failure, R> InvokeLcds(const std::string& destination,
                                                 const std::string& method, const P&... params);

  template <typename T>
  using NameTable = std::unordered_map<std::string, T, Fnv1aStringHash, std::equal_to<>>;

  void StoreEventHandler(const std::string& name, EventHandler handler);
  // Reads the delivered `event` into a Record and calls the handler of its name with it, when
  // that handler is of kind Alternative. Nothing leaves it.
  template <typename Record, std::size_t Alternative>
  static void DeliverHostEvent(PluginHostEvent* event) noexcept;
  // Runs `run` at once, as a call of its own at the gate when there is one, or keeps it for
  // the gate when it must hold calls now. A held resource event looks its handler up when it runs.
  void RunAtGate(const std::string& what, Callback run);
  // One firing of the timer `name` as set by the SetTimer that gave it `generation`.
  void FireTimer(const std::string& name, uint64_t generation, const Callback& callback);

  // The registry that requests convert with: the module's, or an empty one before the loader set
  // it (records then fail as unregistered).
  [[nodiscard]] const BindingRegistry& ConversionRegistry() const;
  // Reads the reply's value, streamed or inline, under the name "<result>".
  [[nodiscard]] MaybeType<Failure, BindingProperty> ReadReplyValue(ApiCallResult& reply,
                                                                   HttpMethod method,
                                                                   const std::string& url);
  // Where every parameter type ends: the converted value (or its failure) becomes a host value
  // appended to `arguments`.
  [[nodiscard]] MaybeType<Failure, void> AppendRequestArgument(RequestArguments& arguments,
                                                               const BindingResult& conversion);
  // The exchange through slot 0 with `arguments`, which are released before it returns.
  [[nodiscard]] MaybeType<Failure, void> Exchange(ApiCallResult& reply, HttpMethod method,
                                                  const std::string& url,
                                                  RequestArguments& arguments);
  [[nodiscard]] static Failure RequestNotSent(HttpMethod method, const std::string& url,
                                              const Failure& packing);
  [[nodiscard]] static Failure ConversionFailed(HttpMethod method, const std::string& url,
                                                const std::string& error);
  // Releases a reply that a request owns, on every path out of it.
  class ReplyGuard {
   public:
    explicit ReplyGuard(ApiCallResult& reply) : reply_(reply) {}
    ReplyGuard(const ReplyGuard&) = delete;
    ReplyGuard& operator=(const ReplyGuard&) = delete;
    ~ReplyGuard() { ReleaseReply(reply_); }

   private:
    ApiCallResult& reply_;
  };

  NameTable<ResourceHandler> exactObservers_;
  NameTable<ResourceHandler> wildcardObservers_;
  AppModule* observerOwner_ = nullptr;
  BindingRegistry* registry_ = nullptr;
  uint32_t hostContext_ = 0;
  std::string name_;
  std::string userAgent_;
  std::unique_ptr<TelemetryInterface> telemetry_;
  NameTable<std::string> lcdsClassByType_;
  std::unordered_map<uint32_t, std::string, BindingIdHash> lcdsClassByTypeId_;
  NameTable<std::shared_ptr<EventHandler>> eventHandlers_;
  NameTable<uint32_t> subscriptionCounts_;
  NameTable<LcdsEventHandler> lcdsHandlers_;
  // Guarded by handlerLock_.
  NameTable<ServiceProxyEventHandler> serviceProxyRequests_;
  NameTable<PluginServiceProxyResponse> serviceProxyReplies_;
  NameTable<ServiceProxyEventHandler> serviceProxyAsyncHandlers_;
  std::mutex handlerLock_;
  // The thread that runs a service-proxy callback under handlerLock_, while it does.
  std::atomic<std::thread::id> handlerCallbackThread_{};
  NameTable<TimerEntry> timers_;
  // The last generation given to a timer; never repeats within the module.
  uint64_t nextTimerGeneration_ = 0;
  // Guarded by callbackLock_.
  std::unordered_map<uint64_t, ScheduledCallback> scheduledCallbacks_;
  uint64_t nextCallbackId_ = 1;
  std::mutex callbackLock_;
  bool shuttingDown_ = false;
  CallGate* callGate_ = nullptr;
};

}  // namespace Zarn::Client
