#include "host/PluginHost.h"

#include <rapidjson/document.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <set>
#include <string_view>

#include "host/EditDistance.h"
#include "host/HostValue.h"
#include "host/PluginClock.h"
#include "host/RecordWindow.h"
#include "host/ResourceEventName.h"

namespace Zarn::Host {

namespace {

// No exception of the host may reach the plugin through a slot: it is reported and the slot
// answers as if nothing happened.
template <typename F>
void Guarded(const char* slot, F&& body) noexcept {
  try {
    body();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lobby-host: %s failed: %s\n", slot, e.what());
  } catch (...) {
    std::fprintf(stderr, "lobby-host: %s failed\n", slot);
  }
}

std::string CopyText(const char* text) {
  return text != nullptr ? std::string(text) : std::string();
}

char* HostStrDup(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

constexpr char kTelemetryPrefix[] = "/telemetry/v1/events/";

// Replies of slot 0 not yet released, by address, across every host of the process: a release
// entry only receives the record, and a record that no host has outstanding is a second
// release.
struct OutstandingReplies {
  std::mutex lock;
  std::map<const ApiCallResult*, PluginHost*> byAddress;
  int foreignReleases = 0;
};
OutstandingReplies& Outstanding() {
  static OutstandingReplies outstanding;
  return outstanding;
}

// Takes the actions armed for `key` (in the field `armedFor`) out of `armed`, in order: running
// them may arm more. One pass, the others kept in order: thousands armed on one path are taken
// in time linear in their number.
template <typename Armed, typename Key>
std::vector<std::function<void()>> TakeArmed(std::vector<Armed>& armed, Key Armed::*armedFor,
                                             const Key& key) {
  std::vector<std::function<void()>> taken;
  auto kept = armed.begin();
  for (auto it = armed.begin(); it != armed.end(); ++it) {
    if ((*it).*armedFor == key) {
      taken.push_back(std::move(it->action));
    } else {
      if (kept != it) *kept = std::move(*it);
      ++kept;
    }
  }
  armed.erase(kept, armed.end());
  return taken;
}

// Runs actions taken with TakeArmed in order, each freed once it has run: an action may nest
// others, and what a batch holds shrinks as it goes instead of living until its last has run.
std::size_t RunTaken(std::vector<std::function<void()>> taken) {
  for (std::function<void()>& action : taken) std::exchange(action, nullptr)();
  return taken.size();
}

void DefaultStall(const std::string& why) {
  std::fprintf(stderr, "lobby-host: %s\n", why.c_str());
  std::fflush(stderr);
  std::abort();
}

// At most this much of a path goes into a stall's report.
constexpr std::size_t kMaxActivityPath = 200;

// The most edits between a path asked for and a path held that onNearMiss names.
constexpr std::size_t kNearMissEdits = 2;

// Whether `a` and `b` differ only in the runs of digits they hold, as two ids of one resource
// (or two versions of one API) do.
bool NumbersApart(std::string_view a, std::string_view b) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      while (i < a.size() && digit(a[i])) ++i;
      while (j < b.size() && digit(b[j])) ++j;
    } else if (a[i] == b[j]) {
      ++i;
      ++j;
    } else {
      return false;
    }
  }
  return i == a.size() && j == b.size();
}

}  // namespace

class PluginHost::CallScope {
 public:
  explicit CallScope(PluginHost& host)
      : host_(host), previous_(std::exchange(host.lastRequest_, std::string())) {}
  ~CallScope() { host_.lastRequest_ = std::move(previous_); }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  PluginHost& host_;
  std::string previous_;
};

class PluginHost::ActivityScope {
 public:
  ActivityScope(PluginHost& host, std::string activity)
      : host_(host),
        previous_(std::exchange(host.activity_, std::move(activity))),
        previousStart_(std::exchange(host.activityStart_, host.scheduler_.Now())),
        call_(host) {}
  ~ActivityScope() {
    host_.activity_ = std::move(previous_);
    host_.activityStart_ = previousStart_;
  }
  ActivityScope(const ActivityScope&) = delete;
  ActivityScope& operator=(const ActivityScope&) = delete;

 private:
  PluginHost& host_;
  std::string previous_;
  int64_t previousStart_;
  CallScope call_;
};

std::optional<PluginApiVersionWords> ParsePluginApiVersion(const std::string& text) {
  uint32_t words[3] = {};
  std::size_t at = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (i > 0 && (at >= text.size() || text[at++] != '.')) return std::nullopt;
    const std::size_t begin = at;
    uint64_t value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && value <= UINT32_MAX) {
      value = value * 10 + static_cast<uint64_t>(text[at++] - '0');
    }
    if (at == begin || value > UINT32_MAX) return std::nullopt;
    words[i] = static_cast<uint32_t>(value);
  }
  if (at != text.size()) return std::nullopt;
  return PluginApiVersionWords{words[0], words[1], words[2]};
}

PluginHost::PluginHost(Options options) : options_(std::move(options)) {
  table_.api.sendCoreRequest = &SlotSendCoreRequest;
  table_.api.hostOp1 = &SlotHostOp1;
  table_.api.publishEvent = &SlotPublish;
  table_.api.subscribe = &SlotSubscribe;
  table_.api.unsubscribe = &SlotUnsubscribe;
  table_.api.scheduleCallback = &SlotSchedule;
  table_.api.yield = &SlotYield;
  table_.api.beginWait = &SlotBeginWait;
  table_.api.endWait = &SlotEndWait;
  table_.api.writeLog = &SlotWriteLog;
  table_.host = this;
  init_.api = &table_.api;
  init_.hostContext = options_.hostContext;
  if (!options_.onStall) options_.onStall = &DefaultStall;
}

PluginHost::~PluginHost() {
  if (Loaded()) Shutdown();
  ReleasePluginClock(&scheduler_);
  OutstandingReplies& outstanding = Outstanding();
  std::lock_guard<std::mutex> lock(outstanding.lock);
  for (auto it = outstanding.byAddress.begin(); it != outstanding.byAddress.end();) {
    it = it->second == this ? outstanding.byAddress.erase(it) : std::next(it);
  }
}

PluginHost::LoadOutcome PluginHost::Load(PluginApiVersionWords core) {
  LoadOutcome outcome;
  if (Loaded()) {
    outcome.error = "a plugin is already loaded";
    return outcome;
  }
  library_ = OpenPluginLibrary(options_.pluginPath, &outcome.error);
  if (library_ == nullptr) return outcome;

  PluginLoadResult record{};
  record.major = core.major;
  record.minor = core.minor;
  record.patch = core.patch;
  // The plugin takes its clocks at load; from then on they are this host's.
  FollowPluginClock(&scheduler_);
  library_->load(&record);
  outcome.record = record;
  if (record.entryPoints == nullptr) {
    outcome.error = "the plugin refused core plugin API " + std::to_string(core.major) + "." +
                    std::to_string(core.minor) + "." + std::to_string(core.patch);
    return outcome;
  }
  entries_ = *record.entryPoints;
  memoryStats_ = entries_.memoryStats;
  plugin_ = record.plugin;
  shortName_ = CopyText(record.shortName);
  snapshot_ = record.snapshot;
  description_ = DescribeSnapshot(snapshot_);
  routes_ = RoutesOf(snapshot_);
  outcome.accepted = true;
  return outcome;
}

bool PluginHost::Initialize() {
  if (!Loaded() || entries_.initialize == nullptr) return false;
  ActivityScope activity(*this, "initialize");
  return entries_.initialize(plugin_, &init_);
}

void PluginHost::Shutdown() {
  if (!Loaded()) return;
  void* plugin = plugin_;
  const PluginShutdownEntry shutdown = entries_.shutdown;
  // A second Shutdown, from a wait inside this one that stalls, does nothing.
  plugin_ = nullptr;
  if (shutdown != nullptr) {
    ActivityScope activity(*this, "shutdown");
    shutdown(plugin);
  }
  // The plugin is gone: nothing it registered may be called any more.
  snapshot_ = nullptr;
  routes_.clear();
  entries_ = PluginEntryPoints{};
  subscriptions_.clear();
  scheduler_.Clear();
  waits_.clear();
}

std::optional<Zarn::MemoryStats> PluginHost::ReadMemoryStats() const {
  if (memoryStats_ == nullptr) return std::nullopt;
  Zarn::MemoryStats stats{};
  memoryStats_(nullptr, &stats);
  return stats;
}

RouteAnswer PluginHost::CallRoute(const std::string& method, const std::string& path,
                                  const std::string& bodyJson) {
  RouteAnswer answer;
  const uint32_t code = HostMethodCode(method);
  if (!Loaded()) {
    answer.error = "no plugin is loaded";
  } else if (code == 0) {
    answer.error = "unknown method " + method;
  } else {
    ActivityScope activity(*this, method + " " + path.substr(0, kMaxActivityPath));
    answer = Zarn::Host::CallRoute(routes_, code, path, bodyJson, options_.hostContext, nullptr);
  }
  return answer;
}

RouteAnswer PluginHost::CallRoute(RouteRequest request) {
  if (!Loaded()) {
    RouteAnswer answer;
    answer.error = "no plugin is loaded";
    return answer;
  }
  request.callWord = options_.hostContext;
  ActivityScope activity(*this, "request " + request.path.substr(0, kMaxActivityPath));
  return Zarn::Host::CallRoute(routes_, request, nullptr);
}

void PluginHost::AddComponent(std::string prefix, CoreComponent component) {
  components_[std::move(prefix)] = std::move(component);
}

void PluginHost::ScriptReply(const std::string& path, ScriptedReply reply) {
  scripts_[path].push_back(std::move(reply));
}

void PluginHost::SeedResource(const std::string& path, const std::string& json) {
  resources_[path] = json;
}

std::optional<std::string> PluginHost::Resource(const std::string& path) const {
  auto it = resources_.find(path);
  if (it == resources_.end()) return std::nullopt;
  return it->second;
}

void PluginHost::OnYield(int k, std::function<void()> action, std::string what) {
  yieldActions_.push_back({records_.yields + std::max(k, 1), std::move(action), std::move(what)});
}

void PluginHost::OnRequest(const std::string& path, std::function<void()> action) {
  requestActions_.push_back({path, std::move(action)});
}

std::vector<std::string> PluginHost::ArmedRequestPaths() const {
  std::vector<std::string> paths;
  std::set<std::string_view> seen;
  for (const RequestAction& armed : requestActions_) {
    if (seen.insert(armed.path).second) paths.push_back(armed.path);
  }
  return paths;
}

std::vector<const HostStream*> PluginHost::Streams() const {
  std::vector<const HostStream*> result;
  for (const auto& stream : streams_) result.push_back(stream.get());
  return result;
}

void PluginHost::ClearRecords() {
  records_ = HostRecords{};
  eventsTaken_ = 0;
  droppedEvents_ = 0;
  std::vector<std::unique_ptr<HostStream>> open;
  for (auto& stream : streams_) {
    if (stream->Releases() == 0) open.push_back(std::move(stream));
  }
  streams_ = std::move(open);
}

int PluginHost::ForeignReplyReleases() {
  OutstandingReplies& outstanding = Outstanding();
  std::lock_guard<std::mutex> lock(outstanding.lock);
  return outstanding.foreignReleases;
}

void PluginHost::SetResource(const std::string& path, const std::string& json) {
  const bool existed = resources_.count(path) != 0;
  resources_[path] = json;
  rapidjson::Document payload(rapidjson::kObjectType);
  auto& allocator = payload.GetAllocator();
  rapidjson::Document data;
  data.Parse(json.c_str(), json.size());
  payload.AddMember("uri", rapidjson::Value(path.c_str(), allocator), allocator);
  payload.AddMember("eventType", rapidjson::Value(existed ? "Update" : "Create"), allocator);
  payload.AddMember("data", rapidjson::Value(data, allocator), allocator);
  DeliverEvent(ResourceEventName(path), JsonText(payload));
}

bool PluginHost::DeleteResource(const std::string& path) {
  if (resources_.erase(path) == 0) return false;
  rapidjson::Document payload(rapidjson::kObjectType);
  auto& allocator = payload.GetAllocator();
  payload.AddMember("uri", rapidjson::Value(path.c_str(), allocator), allocator);
  payload.AddMember("eventType", rapidjson::Value("Delete"), allocator);
  payload.AddMember("data", rapidjson::Value(), allocator);
  DeliverEvent(ResourceEventName(path), JsonText(payload));
  return true;
}

void PluginHost::DeliverEvent(std::string name, std::string payloadJson) {
  std::string label = "Event: " + name;
  scheduler_.Schedule(
      std::move(label), 0.0,
      [this, name = std::move(name), payload = std::move(payloadJson)] { Deliver(name, payload); });
}

void PluginHost::DeliverEventNow(const std::string& name, const std::string& payloadJson) {
  Deliver(name, payloadJson);
}

void PluginHost::Deliver(const std::string& name, const std::string& payloadJson) {
  // Callbacks may subscribe or unsubscribe: take the list first, and check each entry is still
  // there before its call.
  std::vector<std::pair<std::string, uint32_t>> keys;
  for (const auto& [key, subscription] : subscriptions_) {
    if (key.first == name) keys.push_back(key);
  }
  if (keys.empty()) return;
  rapidjson::Document json;
  json.Parse(payloadJson.c_str(), payloadJson.size());
  if (json.HasParseError()) return;
  for (const auto& key : keys) {
    auto it = subscriptions_.find(key);
    if (it == subscriptions_.end()) continue;
    PluginHostEvent event{};
    event.name = key.first.c_str();
    if (!JsonToHostObject(json, &event.payload)) continue;
    event.flag = it->second.flag;
    event.userData = it->second.userData;
    CallScope call(*this);
    it->second.callback(&event);
    FreeHostObject(&event.payload);
  }
}

std::vector<std::pair<std::string, uint32_t>> PluginHost::Subscriptions() const {
  std::vector<std::pair<std::string, uint32_t>> result;
  for (const auto& [key, subscription] : subscriptions_) result.push_back(key);
  return result;
}

std::vector<PublishedEvent> PluginHost::TakeNewEvents() {
  std::vector<PublishedEvent> result(
      records_.published.begin() + static_cast<std::ptrdiff_t>(eventsTaken_),
      records_.published.end());
  eventsTaken_ = records_.published.size();
  droppedEvents_ = 0;
  if (options_.recordWindow != 0) {
    records_.published.clear();
    eventsTaken_ = 0;
  }
  return result;
}

void PluginHost::TrimRecords() {
  const std::size_t window = options_.recordWindow;
  if (window == 0) return;
  HostRecords& r = records_;
  const std::size_t dropped = KeepLatest(r.published, window);
  const std::size_t unread = dropped > eventsTaken_ ? dropped - eventsTaken_ : 0;
  droppedEvents_ += unread;
  eventsTaken_ -= dropped - unread;
  KeepLatest(r.subscribes, window);
  KeepLatest(r.unsubscribes, window);
  KeepLatest(r.logs, window);
  KeepLatest(r.beginWaits, window);
  KeepLatest(r.hostOp1Calls, window);
  KeepLatest(r.requests, window);
  KeepLatest(r.scheduledLabels, window);
  KeepLatest(r.scheduledDelays, window);
  KeepLatest(r.telemetry, window);
  if (streams_.size() > 2 * window) {
    std::vector<std::unique_ptr<HostStream>> open;
    for (auto& stream : streams_) {
      if (stream->Releases() == 0) open.push_back(std::move(stream));
    }
    streams_ = std::move(open);
  }
}

std::size_t PluginHost::RetainedRecords() const {
  const HostRecords& r = records_;
  return r.subscribes.size() + r.unsubscribes.size() + r.published.size() + r.logs.size() +
         r.beginWaits.size() + r.hostOp1Calls.size() + r.requests.size() +
         r.scheduledLabels.size() + r.scheduledDelays.size() + r.telemetry.size() + streams_.size();
}

std::optional<ScriptedReply> PluginHost::TakeScript(const CoreRequest& request) {
  auto it = scripts_.find(request.path);
  if (it == scripts_.end()) return std::nullopt;
  std::vector<ScriptedReply>& list = it->second;
  for (auto script = list.begin(); script != list.end(); ++script) {
    if (script->method && *script->method != request.method) continue;
    ScriptedReply taken = *script;
    if (script->uses > 0 && --script->uses == 0) list.erase(script);
    return taken;
  }
  return std::nullopt;
}

PluginHost::RoutedReply PluginHost::Route(const CoreRequest& request) {
  // A script is copied out first: what it runs during the request may change the scripts.
  if (std::optional<ScriptedReply> script = TakeScript(request)) {
    if (script->during) script->during();
    return RoutedReply{CoreReply{script->status, script->json, script->error}, script->stream};
  }
  // The longest prefix that the path begins with wins.
  const CoreComponent* chosen = nullptr;
  std::size_t chosenLength = 0;
  for (const auto& [prefix, component] : components_) {
    if (request.path.compare(0, prefix.size(), prefix) == 0 && prefix.size() >= chosenLength) {
      chosen = &component;
      chosenLength = prefix.size();
    }
  }
  if (chosen != nullptr) return RoutedReply{(*chosen)(request), std::nullopt};
  if (request.path.compare(0, sizeof(kTelemetryPrefix) - 1, kTelemetryPrefix) == 0) {
    records_.telemetry.push_back(
        {request.path.substr(sizeof(kTelemetryPrefix) - 1), request.arguments});
    TrimRecords();
    return RoutedReply{};
  }
  return RoutedReply{Store(request), std::nullopt};
}

CoreReply PluginHost::Store(const CoreRequest& request) {
  enum : uint32_t { kDelete = 1, kGet = 2, kPatch = 5, kPost = 6, kPut = 7 };
  auto it = resources_.find(request.path);
  const bool held = it != resources_.end();
  switch (request.method) {
    case kGet:
      if (held) return CoreReply{200, it->second, std::nullopt};
      break;
    case kDelete:
      if (DeleteResource(request.path)) return CoreReply{};
      break;
    case kPut:
    case kPost:
    case kPatch: {
      std::string value = request.arguments.empty() ? "null" : request.arguments.front();
      if (request.method == kPatch && held) {
        rapidjson::Document stored;
        rapidjson::Document patch;
        stored.Parse(it->second.c_str(), it->second.size());
        patch.Parse(value.c_str(), value.size());
        if (!stored.HasParseError() && !patch.HasParseError() && stored.IsObject() &&
            patch.IsObject()) {
          for (auto& member : patch.GetObject()) {
            stored.RemoveMember(member.name);
            stored.AddMember(rapidjson::Value(member.name, stored.GetAllocator()),
                             rapidjson::Value(member.value, stored.GetAllocator()),
                             stored.GetAllocator());
          }
          value = JsonText(stored);
        }
      }
      SetResource(request.path, value);
      return CoreReply{200, value, std::nullopt};
    }
    default:
      break;
  }
  if (options_.onNearMiss) NameNearMiss(request.path);
  return CoreReply{404, std::nullopt, "No component of the host serves " + request.path};
}

void PluginHost::NameNearMiss(const std::string& path) {
  if (path.size() > kMaxNearMissPath) return;
  for (const auto& [held, value] : resources_) {
    const std::size_t apart =
        held.size() > path.size() ? held.size() - path.size() : path.size() - held.size();
    if (apart > kNearMissEdits || nearMissesNamed_.count(held) != 0 || NumbersApart(held, path) ||
        EditDistance(path, held) > kNearMissEdits) {
      continue;
    }
    nearMissesNamed_.insert(held);
    options_.onNearMiss(path, held);
    return;
  }
}

void PluginHost::Yield() {
  const int yield = ++records_.yields;
  int ran = static_cast<int>(RunTaken(TakeArmed(yieldActions_, &YieldAction::yield, yield)));
  ran += scheduler_.RunRound();
  if (ran == 0) ran = scheduler_.RunNext(WaitLimit());
  // The innermost wait, looked up again: what ran may have opened and closed waits.
  if (!waits_.empty()) waits_.back().ran += ran;
  if (ran > 0) {
    idleYields_ = 0;
    return;
  }
  if (++idleYields_ >= options_.maxIdleYields) {
    idleYields_ = 0;
    Stall(StallReport());
  }
}

std::string PluginHost::StallReport() const {
  std::string why =
      "a wait made no progress in " + std::to_string(options_.maxIdleYields) + " yields";
  if (!waits_.empty() && waits_.back().ran > 0) {
    why += " after " + std::to_string(waits_.back().ran) + " callbacks ran in it";
  }
  if (scheduler_.Pending() != 0) {
    why += ", and nothing of the plugin falls due within " +
           std::to_string(std::llround(options_.maxWaitSeconds)) + " s of virtual time";
  }
  if (!activity_.empty()) why += " during " + activity_;
  if (!waits_.empty()) {
    // The plugin's label names a type by its hash: the request it waits on says more.
    const OpenWait& wait = waits_.back();
    why += wait.after.empty() ? " (" + wait.label + ")"
                              : " (the wait began after the request " + wait.after + ")";
  }
  for (const YieldAction& later : yieldActions_) {
    why += "; " + later.what + " is scripted for yield " + std::to_string(later.yield) +
           ", and this is yield " + std::to_string(records_.yields);
  }
  return why;
}

void PluginHost::Stall(const std::string& why) { options_.onStall(why); }

int64_t PluginHost::WaitLimit() const {
  int64_t start = 0;
  if (!waits_.empty()) {
    start = waits_.back().start;
  } else if (!activity_.empty()) {
    start = activityStart_;
  } else {
    return HostScheduler::kEnd;
  }
  const int64_t span = SecondsToNanoseconds(options_.maxWaitSeconds);
  return span > HostScheduler::kEnd - start ? HostScheduler::kEnd : start + span;
}

PluginHost* PluginHost::From(PluginHostApi* api) { return reinterpret_cast<HostTable*>(api)->host; }

uint32_t PluginHost::SlotSendCoreRequest(PluginHostApi* api, ApiCallResult* reply,
                                         const ApiCallRequest* request) {
  uint32_t status = 0;
  Guarded("sendCoreRequest", [&] {
    PluginHost* host = From(api);
    if (reply == nullptr || request == nullptr) return;
    CoreRequest read;
    read.method = request->method;
    read.path = CopyText(request->path);
    read.callWord = request->callWord;
    for (uint32_t i = 0; i < request->namedValueCount && request->namedValues != nullptr; ++i) {
      rapidjson::Document value;
      std::string error;
      if (!HostObjectToJson(request->namedValues[i].value, value, value.GetAllocator(), &error)) {
        value.SetNull();
      }
      read.arguments.push_back(JsonText(value));
    }
    host->records_.requests.push_back(read);
    host->TrimRecords();
    RunTaken(TakeArmed(host->requestActions_, &RequestAction::path, read.path));
    host->lastRequest_ = HostMethodName(read.method) + " " + read.path.substr(0, kMaxActivityPath);
    RoutedReply routed = host->Route(read);
    const CoreReply& answer = routed.reply;

    std::memset(reply, 0, sizeof(*reply));
    reply->status = answer.status;
    reply->release = &ReleaseCoreReply;
    status = answer.status;
    ++host->records_.repliesFilled;
    {
      OutstandingReplies& outstanding = Outstanding();
      std::lock_guard<std::mutex> lock(outstanding.lock);
      outstanding.byAddress[reply] = host;
    }
    if (routed.stream) {
      host->streams_.push_back(std::make_unique<HostStream>(std::move(*routed.stream)));
      HostStream* stream = host->streams_.back().get();
      reply->streamRead = &HostStream::Read;
      reply->streamRelease = &HostStream::Release;
      reply->streamSize = stream->AnnouncedSize();
      reply->stream = stream;
    }
    if (answer.error) {
      reply->errorText = HostStrDup(*answer.error);
      reply->ownsError = 1;
      return;
    }
    if (answer.json) {
      rapidjson::Document value;
      value.Parse(answer.json->c_str(), answer.json->size());
      if (value.HasParseError() || !JsonToHostObject(value, &reply->value)) {
        reply->errorText = HostStrDup("The host's component answered with unreadable JSON");
        reply->ownsError = 1;
        reply->status = 500;
      }
    }
  });
  return status;
}

void PluginHost::ReleaseCoreReply(ApiCallResult* reply) {
  if (reply == nullptr) return;
  {
    OutstandingReplies& outstanding = Outstanding();
    std::lock_guard<std::mutex> lock(outstanding.lock);
    auto it = outstanding.byAddress.find(reply);
    if (it == outstanding.byAddress.end()) {
      ++outstanding.foreignReleases;
      return;
    }
    ++it->second->records_.replyReleases;
    outstanding.byAddress.erase(it);
  }
  FreeHostObject(&reply->value);
  std::free(reply->errorText);
  std::memset(reply, 0, sizeof(*reply));
}

uint32_t PluginHost::SlotHostOp1(PluginHostApi* api, uint32_t first, uint32_t second) {
  Guarded("hostOp1", [&] {
    PluginHost* host = From(api);
    host->records_.hostOp1Calls.push_back({first, second});
    host->TrimRecords();
  });
  return 0;
}

void PluginHost::SlotPublish(PluginHostApi* api, const PluginHostEvent* event) {
  Guarded("publishEvent", [&] {
    if (event == nullptr) return;
    PluginHost* host = From(api);
    rapidjson::Document payload;
    std::string error;
    if (!HostObjectToJson(event->payload, payload, payload.GetAllocator(), &error)) {
      std::fprintf(stderr, "lobby-host: published event %s: %s\n", CopyText(event->name).c_str(),
                   error.c_str());
    }
    PublishedEvent copy{CopyText(event->name), JsonText(payload), event->flag};
    host->records_.published.push_back(copy);
    host->TrimRecords();
    host->DeliverEvent(copy.name, copy.payload);
  });
}

void PluginHost::SlotSubscribe(PluginHostApi* api, const char* name, uint32_t hostContext,
                               PluginEventCallback callback, void* userData, uint32_t flag) {
  Guarded("subscribe", [&] {
    PluginHost* host = From(api);
    std::string key = CopyText(name);
    host->records_.subscribes.push_back({key, hostContext, flag});
    host->TrimRecords();
    if (callback == nullptr) return;
    host->subscriptions_[{std::move(key), hostContext}] = Subscription{callback, userData, flag};
  });
}

void PluginHost::SlotUnsubscribe(PluginHostApi* api, const char* name, uint32_t hostContext) {
  Guarded("unsubscribe", [&] {
    PluginHost* host = From(api);
    std::string key = CopyText(name);
    host->records_.unsubscribes.push_back({key, hostContext});
    host->TrimRecords();
    host->subscriptions_.erase({std::move(key), hostContext});
  });
}

void PluginHost::SlotSchedule(PluginHostApi* api, const char* label,
                              PluginScheduledCallback callback, void* context, double delaySeconds,
                              uint32_t /*reserved*/) {
  Guarded("scheduleCallback", [&] {
    PluginHost* host = From(api);
    std::string copy = CopyText(label);
    host->records_.scheduledLabels.push_back(copy);
    host->records_.scheduledDelays.push_back(delaySeconds);
    host->TrimRecords();
    if (callback == nullptr) return;
    // Shutdown clears the queue, so no callback of the plugin runs after it.
    host->scheduler_.Schedule(std::move(copy), delaySeconds, [host, callback, context] {
      CallScope call(*host);
      callback(context);
    });
  });
}

void PluginHost::SlotYield(PluginHostApi* api) {
  Guarded("yield", [&] { From(api)->Yield(); });
}

void PluginHost::SlotBeginWait(PluginHostApi* api, const char* label, int32_t value) {
  Guarded("beginWait", [&] {
    PluginHost* host = From(api);
    host->records_.beginWaits.push_back({CopyText(label), value});
    host->waits_.push_back({CopyText(label), host->scheduler_.Now(), host->lastRequest_});
    host->TrimRecords();
  });
}

uint64_t PluginHost::SlotEndWait(PluginHostApi* api) {
  Guarded("endWait", [&] {
    PluginHost* host = From(api);
    ++host->records_.endWaits;
    // Idle yields are counted within one wait.
    host->idleYields_ = 0;
    if (!host->waits_.empty()) host->waits_.pop_back();
  });
  return 0;
}

void PluginHost::SlotWriteLog(PluginHostApi* api, uint32_t level, const char* message) {
  Guarded("writeLog", [&] {
    PluginHost* host = From(api);
    host->records_.logs.push_back({level, CopyText(message)});
    if (host->options_.onLog) host->options_.onLog(host->records_.logs.back());
    host->TrimRecords();
  });
}

}  // namespace Zarn::Host
