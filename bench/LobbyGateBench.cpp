// What the call gate costs a route call: GET /jyx-lobby/v2/lobby and GET
// /jyx-lobby/v2/party-active through the C entries of the lobby plugin's snapshot, with the
// plugin's gate set and removed. The plugin runs in-process on the stand-in host's table, in the
// parties world, in a party lobby it made (as host/worlds/parties.json and one POST leave it).
// Each route is called two ways: at its own entry, and offered to every entry in snapshot order
// until one serves it, as the stand-in host does (an entry that does not serve the call answers
// 404 "Invalid function"). Every block goes through the tracking allocator; each benchmark
// reports the blocks allocated per call ("allocs"), so that the gate's own are the difference
// between a benchmark and its "nogate" twin, and the entries a call was offered to ("entries").
//
//   bench_lobby_gate [benchmark options]   Google Benchmark; names entry|offered/ROUTE/gate|nogate
//   bench_lobby_gate --calls N NAME        N calls of that benchmark's kind in OfferCalls, untimed,
//                                          then one line: blocks and entries per call. Under
//                                          callgrind, --toggle-collect='*OfferCalls*' counts
//                                          exactly those N calls (bench/callgrind-gets.sh).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/CommandShell.h"
#include "host/PluginClock.h"
#include "host/PluginHost.h"
#include "host/RouteCaller.h"
#include "host/WorldFile.h"
#include "lobby/backends/BackendComponentFactory.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/base/MemoryHooks.h"
#include "sdk/base/TrackingAllocator.h"
#include "sdk/platform/HostClocks.h"
#include "sdk/runtime/PluginLoader.h"

namespace {

using namespace Zarn;
using Client::Lobby::LobbyPlugin;

constexpr std::uint32_t kGet = 2;       // the host's method code of GET
constexpr std::uint32_t kPost = 6;      // and of POST
constexpr std::uint32_t kContext = 77;  // the host context the plugin is given

struct Route {
  const char* label;
  const char* path;
};
constexpr Route kRoutes[] = {{"lobby", "/jyx-lobby/v2/lobby"},
                             {"party-active", "/jyx-lobby/v2/party-active"}};

// One kind of measured call: which route, reached how, with or without the gate.
struct Kind {
  const Route* route;
  bool offered;  // offered to each entry in turn, rather than called at its own
  bool gate;
  [[nodiscard]] std::string Name() const {
    return std::string(offered ? "offered" : "entry") + "/" + route->label + "/" +
           (gate ? "gate" : "nogate");
  }
};

std::vector<Kind> AllKinds() {
  std::vector<Kind> kinds;
  for (const bool offered : {false, true}) {
    for (const Route& route : kRoutes) {
      for (const bool gate : {true, false}) kinds.push_back({&route, offered, gate});
    }
  }
  return kinds;
}

// The host with the parties world and the plugin started on it, in a party lobby. One lives at a
// time: the plugin's clocks follow the last host made.
class PartyLobby {
 public:
  explicit PartyLobby(bool gate) {
    Platform::AdoptHostClocks();
    Host::FollowPluginClock(&host_.Scheduler());
    std::string error;
    if (!Host::LoadWorldFile(host_, JYX_PARTIES_WORLD, &error,
                             {&shell_.Legacy(), &shell_.Proxy(), &shell_.Parties()})) {
      Fail("the parties world did not load: " + error);
    }
    PluginLoadResult record{};
    record.major = 18;
    if (!Client::LoadPlugin(plugin_.get(), &record, "jyx-lobby")) Fail("the plugin did not load");
    if (!plugin_->Initialize(&init_)) Fail("the plugin did not start");
    host_.RunDue();
    routes_ = Host::RoutesOf(&plugin_->Snapshot());
    const Host::RouteAnswer made = Host::CallRoute(routes_, kPost, "/jyx-lobby/v2/lobby",
                                                   R"({"queueId":420})", kContext, nullptr);
    host_.RunDue();
    if (made.error) Fail("POST /jyx-lobby/v2/lobby answered " + *made.error);
    if (!gate) plugin_->SetCallGate(nullptr);
  }
  ~PartyLobby() { plugin_->Shutdown(); }
  PartyLobby(const PartyLobby&) = delete;
  PartyLobby& operator=(const PartyLobby&) = delete;

  [[nodiscard]] const std::vector<Host::HostRoute>& Routes() const { return routes_; }

 private:
  [[noreturn]] static void Fail(const std::string& why) {
    std::fprintf(stderr, "bench_lobby_gate: %s\n", why.c_str());
    std::exit(1);
  }
  static Host::PluginHost::Options Options() {
    Host::PluginHost::Options options;
    options.pluginPath = "/nonexistent";  // the plugin is made here, not opened
    options.hostContext = kContext;
    options.recordWindow = 64;
    return options;
  }

  Host::PluginHost host_{Options()};
  Host::CommandShell shell_{host_};
  PluginHostInit init_{host_.Table(), kContext};
  std::unique_ptr<LobbyPlugin> plugin_ =
      std::make_unique<LobbyPlugin>(std::make_unique<Client::Lobby::BackendComponentFactory>());
  std::vector<Host::HostRoute> routes_;
};

// A GET of one path, made as the host makes it: a request record per entry offered, the reply
// released through its own release entry.
class GetCall {
 public:
  // Offered to every route of `world` in turn, or only to the GET route of the path's template.
  GetCall(const PartyLobby& world, const Kind& kind) : path_(kind.route->path) {
    for (const Host::HostRoute& route : world.Routes()) {
      if (kind.offered || (route.method == kGet && route.routeTemplate == path_)) {
        entries_.push_back(route);
      }
    }
  }

  // One call: how many entries it was offered to until one answered it; 0 when none did, or
  // the answer was an error.
  std::size_t operator()() const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      ApiCallRequest request;
      std::memset(&request, 0, sizeof request);
      request.method = kGet;
      request.path = path_;
      request.userData = entries_[i].userData;
      request.callWord = kContext;
      ApiCallResult reply;
      std::memset(&reply, 0, sizeof reply);
      entries_[i].entry(&reply, &request);
      const bool answered = reply.errorText == nullptr;
      const bool passed =
          !answered && reply.status == 404 && std::strcmp(reply.errorText, "Invalid function") == 0;
      if (reply.release != nullptr) reply.release(&reply);
      if (!passed) return answered ? i + 1 : 0;
    }
    return 0;
  }

 private:
  const char* path_;
  std::vector<Host::HostRoute> entries_;
};

// `calls` calls, kept out of line so that callgrind can count exactly them.
[[gnu::noinline]] void OfferCalls(const GetCall& call, std::uint64_t calls) {
  for (std::uint64_t i = 0; i < calls; ++i) benchmark::DoNotOptimize(call());
}

std::uint64_t Allocations() { return TrackingAllocator::Counters().allocations.load(); }

void RunBenchmark(benchmark::State& state, const Kind& kind) {
  const PartyLobby world(kind.gate);
  const GetCall call(world, kind);
  const std::size_t entries = call();
  if (entries == 0) {
    state.SkipWithError("the route answers an error in a party lobby");
    return;
  }
  const std::uint64_t start = Allocations();
  for (auto _ : state) benchmark::DoNotOptimize(call());
  const double iterations = static_cast<double>(state.iterations());
  state.counters["allocs"] = static_cast<double>(Allocations() - start) / iterations;
  state.counters["entries"] = static_cast<double>(entries);
}

// --calls N NAME: the untimed run for callgrind.
int RunCalls(const char* count, const char* name) {
  char* end = nullptr;
  const unsigned long long calls = std::strtoull(count, &end, 10);
  if (end == count || *end != '\0' || calls == 0) {
    std::fprintf(stderr, "bench_lobby_gate: --calls takes a positive count, not %s\n", count);
    return 2;
  }
  for (const Kind& kind : AllKinds()) {
    if (kind.Name() != name) continue;
    const PartyLobby world(kind.gate);
    const GetCall call(world, kind);
    const std::size_t entries = call();
    if (entries == 0) {
      std::fprintf(stderr, "bench_lobby_gate: %s answers an error in a party lobby\n", name);
      return 1;
    }
    const std::uint64_t start = Allocations();
    OfferCalls(call, calls);
    std::printf("%s: %llu calls, %.2f blocks per call, entries offered per call: %zu\n", name,
                calls, static_cast<double>(Allocations() - start) / static_cast<double>(calls),
                entries);
    return 0;
  }
  std::fprintf(stderr, "bench_lobby_gate: no benchmark is named %s\n", name);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  MemoryHooks::EnsureInitialized();
  if (argc >= 2 && std::string_view(argv[1]) == "--calls") {
    if (argc != 4) {
      std::fprintf(stderr, "usage: bench_lobby_gate --calls N NAME\n");
      return 2;
    }
    return RunCalls(argv[2], argv[3]);
  }
  for (const Kind& kind : AllKinds()) {
    benchmark::RegisterBenchmark(kind.Name().c_str(),
                                 [kind](benchmark::State& state) { RunBenchmark(state, kind); });
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
