// ProcessEvent on LobbyFlow's own tables, with the actions left out so that only the engine's
// work is timed: a row handled in place, a move between two sibling states and back, and an
// event that no state handles (no diagnostic hook is set, so no warning is formatted). Each
// reports the blocks it allocates per event, counted by the tracking allocator.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "lobby/core/LobbyFlow.h"
#include "sdk/base/MemoryHooks.h"
#include "sdk/base/TrackingAllocator.h"

namespace {

using namespace Zarn::Client::Lobby;
using namespace Zarn::Client::Lobby::LobbyEvents;
using Zarn::TrackingAllocator;

constexpr std::size_t kStateCount = 13;
const std::array<const LobbyState*, kStateCount> kFlowStates = {
    &LobbyFlow::kLobbyFlow,      &LobbyFlow::kOutOfLobby,
    &LobbyFlow::kLobbyRequested, &LobbyFlow::kInLobby,
    &LobbyFlow::kPartyLobby,     &LobbyFlow::kLegacyLobby,
    &LobbyFlow::kSoloLobby,      &LobbyFlow::kGroupLobbyRequested,
    &LobbyFlow::kGroupLobby,     &LobbyFlow::kOwner,
    &LobbyFlow::kInviter,        &LobbyFlow::kMember,
    &LobbyFlow::kChangingLobby};

// LobbyFlow's tree with the same names, parents, rows and events, and no actions.
class QuietFlow {
 public:
  QuietFlow() {
    for (std::size_t i = 0; i < kStateCount; ++i) {
      states_[i] = *kFlowStates[i];
      states_[i].onEnter = nullptr;
      states_[i].onExit = nullptr;
    }
    for (LobbyState& state : states_) {
      state.parent = Copy(state.parent);
      state.initialTransition.target = Copy(state.initialTransition.target);
      for (LobbyTransition& row : state.transitions) {
        row.target = Copy(row.target);
        row.action = nullptr;
      }
    }
  }
  [[nodiscard]] const LobbyState* Root() const { return &states_[0]; }

 private:
  const LobbyState* Copy(const LobbyState* original) const {
    for (std::size_t i = 0; i < kStateCount; ++i) {
      if (kFlowStates[i] == original) return &states_[i];
    }
    return nullptr;
  }
  std::array<LobbyState, kStateCount> states_;
};

// A started machine on the quiet tree, driven by `path`.
struct Machine {
  explicit Machine(std::initializer_list<LobbyEvent> path)
      : machine(nullptr, LobbyFlow::kMachineName, flow.Root(),
                [](const LobbyEvent& event) { return std::string(event); }) {
    machine.Start();
    for (const LobbyEvent& event : path) machine.ProcessEvent(event);
  }
  QuietFlow flow;
  LobbyStateMachine machine;
};

class AllocationCounter {
 public:
  AllocationCounter(benchmark::State& state, int eventsPerIteration)
      : state_(state),
        events_(eventsPerIteration),
        start_(TrackingAllocator::Counters().allocations.load()) {}
  ~AllocationCounter() {
    const double events = static_cast<double>(state_.iterations()) * events_;
    state_.counters["allocs"] = benchmark::Counter(
        static_cast<double>(TrackingAllocator::Counters().allocations.load() - start_) / events);
    state_.counters["ns/event"] =
        benchmark::Counter(events, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  }

 private:
  benchmark::State& state_;
  int events_;
  std::uint64_t start_;
};

void BM_InPlaceRowInOwner(benchmark::State& state) {
  Machine m({kAcceptedLegacyInvite, kGetPromoted});
  AllocationCounter counter(state, 1);
  for (auto _ : state) benchmark::DoNotOptimize(m.machine.ProcessEvent(kGetPromoted));
}
BENCHMARK(BM_InPlaceRowInOwner);

void BM_MemberToInviterAndBack(benchmark::State& state) {
  Machine m({kAcceptedLegacyInvite});
  AllocationCounter counter(state, 2);
  for (auto _ : state) {
    benchmark::DoNotOptimize(m.machine.ProcessEvent(kGainInvitePrivilege));
    benchmark::DoNotOptimize(m.machine.ProcessEvent(kLoseInvitePrivilege));
  }
}
BENCHMARK(BM_MemberToInviterAndBack);

void BM_UnhandledInOwner(benchmark::State& state) {
  Machine m({kAcceptedLegacyInvite, kGetPromoted});
  AllocationCounter counter(state, 1);
  for (auto _ : state) benchmark::DoNotOptimize(m.machine.ProcessEvent(kPlatformLobbyRequested));
}
BENCHMARK(BM_UnhandledInOwner);

}  // namespace

int main(int argc, char** argv) {
  Zarn::MemoryHooks::EnsureInitialized();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The copy must behave as the tables do before its timings mean anything.
  Machine check({kAcceptedLegacyInvite, kGetPromoted});
  if (check.machine.GetCurrentState()->name != "Owner" ||
      !check.machine.ProcessEvent(kTransferOwnership) ||
      check.machine.GetCurrentState()->name != "Member") {
    std::fprintf(stderr, "the quiet tree does not follow LobbyFlow's tables\n");
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
