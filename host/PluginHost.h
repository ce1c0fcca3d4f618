// The stand-in host: loads the plugin through its export, hands it a function table, keeps the
// subscriptions, the virtual clock and the simulated components, and records what the plugin
// asked of it. It talks to the plugin only through the export, the C entries, the function table
// and the callbacks the plugin registers, and keeps copies of everything it keeps.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/CoreScript.h"
#include "host/HostScheduler.h"
#include "host/PluginLibrary.h"
#include "host/RouteCaller.h"
#include "host/SnapshotDescription.h"
#include "sdk/runtime/PluginBoundary.h"

namespace Zarn::Host {

// A request that reached the host core through slot 0, as the host read it.
struct CoreRequest {
  uint32_t method = 0;  // host method code
  std::string path;
  std::vector<std::string> arguments;  // compact JSON of each positional value
  uint32_t callWord = 0;
};

// How a simulated component answers: a JSON value, or an error text with a status.
struct CoreReply {
  uint32_t status = 200;
  std::optional<std::string> json;   // compact JSON of the value; none gives an empty value
  std::optional<std::string> error;  // set for a failed request
};

// Serves the requests whose path begins with its prefix.
using CoreComponent = std::function<CoreReply(const CoreRequest&)>;

struct SubscribeCall {
  std::string name;
  uint32_t hostContext = 0;
  uint32_t flag = 0;
};
struct UnsubscribeCall {
  std::string name;
  uint32_t hostContext = 0;
};
struct PublishedEvent {
  std::string name;
  std::string payload;  // compact JSON
  uint32_t flag = 0;
};
struct LogLine {
  uint32_t level = 0;
  std::string message;
};
struct WaitCall {
  std::string label;
  int32_t value = 0;
};
struct HostOp1Call {
  uint32_t first = 0;
  uint32_t second = 0;
};
// An event posted to the core's telemetry service.
struct TelemetryEvent {
  std::string name;                    // the path after "/telemetry/v1/events/"
  std::vector<std::string> arguments;  // compact JSON of each positional value
};

// What the plugin asked of the host, in call order per kind.
struct HostRecords {
  std::vector<SubscribeCall> subscribes;
  std::vector<UnsubscribeCall> unsubscribes;
  std::vector<PublishedEvent> published;
  std::vector<LogLine> logs;
  std::vector<WaitCall> beginWaits;
  int endWaits = 0;
  int yields = 0;
  std::vector<HostOp1Call> hostOp1Calls;
  std::vector<CoreRequest> requests;
  std::vector<std::string> scheduledLabels;
  std::vector<double> scheduledDelays;  // seconds, as the plugin gave them; beside the labels
  std::vector<TelemetryEvent> telemetry;
  int repliesFilled = 0;  // replies of slot 0 that carry a release entry
  int replyReleases = 0;  // of those, released through their entry
};

// The longest path that the store compares with the paths it holds (Options::onNearMiss): far
// above any path written by hand.
inline constexpr std::size_t kMaxNearMissPath = 512;

struct PluginApiVersionWords {
  uint32_t major = 18;
  uint32_t minor = 0;
  uint32_t patch = 0;
};

// "MAJOR.MINOR.PATCH": three decimal numbers of 32 bits, digits only (no sign, no blank). None
// for any other text.
[[nodiscard]] std::optional<PluginApiVersionWords> ParsePluginApiVersion(const std::string& text);

class PluginHost {
 public:
  struct Options {
    std::string pluginPath = DefaultPluginPath();
    uint32_t hostContext = 0x4C0B;
    // Yields in a row within one wait that find no work at all before the host gives up on it.
    int maxIdleYields = 1000;
    // Virtual time a wait may let pass: work due later than this after the innermost wait began
    // (or, outside any wait, after the host's call into the plugin began) does not run during it
    // and counts as no work, so that a periodic timer cannot keep alive a wait that nothing will
    // ever answer.
    double maxWaitSeconds = 24 * 3600;
    // When nonzero, every list of HostRecords (and the streams released) keeps only its latest
    // `recordWindow` to 2 * `recordWindow` entries, and TakeNewEvents forgets what it hands out;
    // 0 keeps the whole run.
    std::size_t recordWindow = 0;
    // Called when a wait stalls, with why: the idle yields, the callbacks that ran during the
    // wait, what the host was running in the plugin, the plugin's last request before the wait
    // began (or else the wait's label) and the actions scripted for later yields. The default
    // reports and aborts the process, so that a test fails instead of hanging. It must not return
    // into the plugin (it is called from a yield).
    std::function<void(const std::string&)> onStall;
    // Called with each log line as it arrives (after it is recorded); may be empty.
    std::function<void(const LogLine&)> onLog;
    // Called when the plugin asks the store for a path it lacks while it holds one a letter or
    // two away (not one apart only in its numbers, as two ids of one resource are), with both
    // paths; once for each path held, of at most kMaxNearMissPath bytes. A world's misspelt
    // resource is then named at once, not met later as an unrelated failure. May be empty.
    std::function<void(const std::string& asked, const std::string& held)> onNearMiss;
  };

  explicit PluginHost(Options options);
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;
  // Shuts the plugin down when it is still loaded.
  ~PluginHost();

  // The handshake as the host saw it.
  struct LoadOutcome {
    bool accepted = false;
    PluginLoadResult record{};  // the record after the export returned
    std::string error;          // why the plugin is not loaded
  };

  // Opens the library (once per process), fills a handshake record with `core` and zeroed reply
  // words, and calls the export. A reply without an entry table is a refused load.
  LoadOutcome Load(PluginApiVersionWords core = {});

  // Calls the initialize entry with this host's table and context. False when the plugin is not
  // loaded or its start failed.
  bool Initialize();

  // Calls the shutdown entry (also from inside a wait that stalled); afterwards the host calls
  // nothing of the plugin but the memory- statistics entry, and drops the plugin's subscriptions
  // and pending work.
  void Shutdown();

  [[nodiscard]] bool Loaded() const { return plugin_ != nullptr; }
  [[nodiscard]] const std::string& ShortName() const { return shortName_; }

  // The memory statistics through the entry copied at the first load, called with a null object.
  // Works after shutdown; none before any load.
  [[nodiscard]] std::optional<Zarn::MemoryStats> ReadMemoryStats() const;

  // The snapshot as the plugin's reply gave it; valid only while the plugin is loaded.
  [[nodiscard]] const ApiRegistrySnapshot* Snapshot() const { return snapshot_; }
  // The host's copy of what the snapshot described at load.
  [[nodiscard]] const SnapshotDescription& Description() const { return description_; }

  // Calls the plugin's route for `method` ("GET", "POST", ...) and `path`, with `bodyJson` (empty
  // for none) as a JSON body. Without a loaded plugin, or for an unknown method, the answer is an
  // error with status 0.
  RouteAnswer CallRoute(const std::string& method, const std::string& path,
                        const std::string& bodyJson);
  // The same with every part of the request given; the call word is the host context.
  RouteAnswer CallRoute(RouteRequest request);
  // The methods of the loaded plugin's routes that serve `path`, "DELETE, GET"; empty for none.
  [[nodiscard]] std::string MethodsServing(const std::string& path) const {
    return Zarn::Host::MethodsServing(routes_, path);
  }

  // How slot 0 answers a request, first match wins: a scripted reply for the exact path (and
  // method, when the script names one); a component chosen by the longest matching path prefix;
  // the telemetry sink ("/telemetry/v1/events/..."); the resource store. The store answers GET
  // with the stored value; PUT and POST store the first argument, PATCH merges an object
  // argument's members into a stored object (else replaces), each answering with the new value
  // and delivering the resource's event; DELETE removes the value and delivers its event. Paths
  // it does not hold answer an error text with status 404.
  void AddComponent(std::string prefix, CoreComponent component);
  // Adds `reply` after the scripts already given for `path`; the first that matches answers.
  void ScriptReply(const std::string& path, ScriptedReply reply);

  // Sibling resources: set or remove a resource's value (compact JSON) and deliver its event
  // (Create, Update or Delete). DeleteResource of a path that holds nothing returns false and
  // delivers nothing.
  void SetResource(const std::string& path, const std::string& json);
  bool DeleteResource(const std::string& path);
  // Sets a value without any event (a world's initial state).
  void SeedResource(const std::string& path, const std::string& json);
  // The stored value of `path`, when there is one.
  [[nodiscard]] std::optional<std::string> Resource(const std::string& path) const;

  // Queues the delivery of an event (compact JSON payload) to the subscribers of `name`.
  void DeliverEvent(std::string name, std::string payloadJson);
  // Delivers it at once, inside the present call (for injections while the plugin waits).
  void DeliverEventNow(const std::string& name, const std::string& payloadJson);

  // Runs `action` inside the `k`-th yield from now (1: the next), before that yield's due work.
  // `what` names it in a stall's report while it is still to come.
  void OnYield(int k, std::function<void()> action, std::string what = "an action");
  // Runs `action` inside the next request of the plugin for `path` (any method), before the
  // request is answered as it would be without it; the actions given for one path all run in
  // that request, in order.
  void OnRequest(const std::string& path, std::function<void()> action);
  // The paths that actions given to OnRequest still wait for, each once, in the order given.
  [[nodiscard]] std::vector<std::string> ArmedRequestPaths() const;

  // Every stream handed out, in order; they live as long as the host (under a record window,
  // released ones only until the window drops them).
  [[nodiscard]] std::vector<const HostStream*> Streams() const;
  // Forgets the records and the released streams (so that long runs keep no history).
  void ClearRecords();
  // Release calls, in this process, for replies that no host had outstanding: second releases.
  [[nodiscard]] static int ForeignReplyReleases();

  // Runs what is due at the present virtual time. Returns the number of items run.
  int RunDue() { return scheduler_.RunDue(); }
  // Runs only the items due now that were queued before this call (one round). Returns the number
  // run.
  int RunRound() { return scheduler_.RunRound(); }
  // Moves the virtual clock by `seconds`, running what falls due.
  int Advance(double seconds) { return scheduler_.Advance(seconds); }
  // The same, stopping after `maxRuns` items (HostScheduler::AdvanceBy).
  HostScheduler::Advanced AdvanceBy(double seconds, int maxRuns) {
    return scheduler_.AdvanceBy(seconds, maxRuns);
  }
  [[nodiscard]] const HostScheduler& Scheduler() const { return scheduler_; }

  // Subscriptions now held, by (name, host context).
  [[nodiscard]] std::vector<std::pair<std::string, uint32_t>> Subscriptions() const;

  [[nodiscard]] const HostRecords& Records() const { return records_; }
  // Hands out the events published since the last call.
  std::vector<PublishedEvent> TakeNewEvents();
  // Events published and dropped from the window before any TakeNewEvents handed them out; reset
  // by TakeNewEvents.
  [[nodiscard]] std::size_t DroppedEvents() const { return droppedEvents_; }
  [[nodiscard]] std::size_t RecordWindow() const { return options_.recordWindow; }
  // The yields in a row without work after which a wait is given up (Options::maxIdleYields).
  [[nodiscard]] int MaxIdleYields() const { return options_.maxIdleYields; }
  // How many records of every kind the host holds now (the published events, requests, log
  // lines, ... together): bounded when a record window is set.
  [[nodiscard]] std::size_t RetainedRecords() const;

  // The host's function table, as the plugin receives it.
  [[nodiscard]] PluginHostApi* Table() { return &table_.api; }
  [[nodiscard]] uint32_t HostContext() const { return options_.hostContext; }

 private:
  struct HostTable {
    PluginHostApi api;  // first, so that the slots find the host from the table's address
    PluginHost* host;
  };
  struct Subscription {
    PluginEventCallback callback = nullptr;
    void* userData = nullptr;
    uint32_t flag = 0;
  };

  static PluginHost* From(PluginHostApi* api);
  static uint32_t SlotSendCoreRequest(PluginHostApi* api, ApiCallResult* reply,
                                      const ApiCallRequest* request);
  static uint32_t SlotHostOp1(PluginHostApi* api, uint32_t first, uint32_t second);
  static void SlotPublish(PluginHostApi* api, const PluginHostEvent* event);
  static void SlotSubscribe(PluginHostApi* api, const char* name, uint32_t hostContext,
                            PluginEventCallback callback, void* userData, uint32_t flag);
  static void SlotUnsubscribe(PluginHostApi* api, const char* name, uint32_t hostContext);
  static void SlotSchedule(PluginHostApi* api, const char* label, PluginScheduledCallback callback,
                           void* context, double delaySeconds, uint32_t reserved);
  static void SlotYield(PluginHostApi* api);
  static void SlotBeginWait(PluginHostApi* api, const char* label, int32_t value);
  static uint64_t SlotEndWait(PluginHostApi* api);
  static void SlotWriteLog(PluginHostApi* api, uint32_t level, const char* message);
  static void ReleaseCoreReply(ApiCallResult* reply);

  // A reply and, for a scripted stream, the stream that comes with it.
  struct RoutedReply {
    CoreReply reply;
    std::optional<ScriptedStream> stream;
  };
  RoutedReply Route(const CoreRequest& request);
  CoreReply Store(const CoreRequest& request);
  // Calls onNearMiss when a path held is a letter or two from `path`, which the store lacks.
  void NameNearMiss(const std::string& path);
  std::optional<ScriptedReply> TakeScript(const CoreRequest& request);
  void Deliver(const std::string& name, const std::string& payloadJson);
  void Yield();
  void Stall(const std::string& why);
  // Why the present wait stalls: what was true of it, for the stall's report.
  [[nodiscard]] std::string StallReport() const;
  // The latest virtual time up to which the present wait may run due work.
  [[nodiscard]] int64_t WaitLimit() const;
  // Trims the record lists to the window.
  void TrimRecords();
  // Names what the host runs in the plugin until the returned guard ends, for a stall's report.
  class ActivityScope;
  // Starts the plugin's last request afresh for one call into the plugin, and restores it after.
  class CallScope;

  Options options_;
  HostTable table_;
  PluginHostInit init_{};
  const PluginLibrary* library_ = nullptr;
  void* plugin_ = nullptr;
  PluginEntryPoints entries_{};  // a copy of the plugin's table
  PluginMemoryStatsEntry memoryStats_ = nullptr;
  std::string shortName_;
  const ApiRegistrySnapshot* snapshot_ = nullptr;
  SnapshotDescription description_;
  std::vector<HostRoute> routes_;

  HostScheduler scheduler_;
  std::map<std::pair<std::string, uint32_t>, Subscription> subscriptions_;
  std::map<std::string, CoreComponent> components_;
  std::map<std::string, std::string> resources_;
  std::set<std::string> nearMissesNamed_;  // paths held that onNearMiss has named
  std::map<std::string, std::vector<ScriptedReply>> scripts_;
  struct YieldAction {
    int yield = 0;  // the number of the yield it runs in
    std::function<void()> action;
    std::string what;
  };
  std::vector<YieldAction> yieldActions_;
  struct RequestAction {
    std::string path;  // the path of the request it runs in, any method
    std::function<void()> action;
  };
  std::vector<RequestAction> requestActions_;
  std::vector<std::unique_ptr<HostStream>> streams_;
  HostRecords records_;
  std::size_t eventsTaken_ = 0;
  std::size_t droppedEvents_ = 0;
  int idleYields_ = 0;
  struct OpenWait {
    std::string label;
    int64_t start = 0;  // virtual time
    std::string after;  // the plugin's last request before it began, "GET /path"; may be empty
    int ran = 0;        // callbacks and actions its yields ran
  };
  std::vector<OpenWait> waits_;  // innermost last
  std::string activity_;         // what the host runs in the plugin now; empty between calls
  int64_t activityStart_ = 0;    // virtual time the present call into the plugin began
  std::string lastRequest_;      // the plugin's last request within the present call, "GET /path"
};

}  // namespace Zarn::Host
