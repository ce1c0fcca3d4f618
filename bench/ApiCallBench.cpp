// One GET route returning a small record, called as the host calls it (request record, C entry,
// reply read and released), against calling the same handler and converting its result to a
// value directly. The difference is what routing, binding and the reply record cost per call.
// As in the plugin, every block goes through the tracking allocator; each benchmark reports the
// blocks it allocates per call.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sdk/api/ApiBinder.h"
#include "sdk/base/TrackingAllocator.h"
#include "sdk/binding/TypedConversions.h"
#include "tests/sdk/api/StandInTypes.h"

namespace {

using Zarn::Testing::Member;

Member Handler(const std::string& name) { return Member{name, 30}; }

struct Fixture {
  Fixture() {
    Zarn::Testing::RegisterStandInTypes(registry);
    Zarn::ApiRegistrar registrar{&registry, tags};
    Zarn::ApiBinder::Get(registrar, "/jyx-lobby/v2/members/{name}",
                         std::function<Zarn::HttpResult<Member>(std::string)>([](std::string name) {
                           return Zarn::HttpResult<Member>(Handler(name));
                         }))
        .AddPathArgument("name", "", nullptr);
    snapshot = registry.BuildSnapshot();
    // A running plugin keeps values alive, and with them the value pages' reservation; without
    // one, every call would map and unmap a reservation of its own.
    for (int i = 0; i < 256; ++i)
      resident.Append().SetString("resident value " + std::to_string(i));
    route = reinterpret_cast<const Zarn::ApiRouteDescriptor*>(snapshot.functions);
  }

  Zarn::ApiRegistry registry;
  const std::vector<std::string> tags = {"Plugins"};
  Zarn::ApiRegistrySnapshot snapshot{};
  const Zarn::ApiRouteDescriptor* route = nullptr;
  Zarn::BindingProperty resident;
};

// Reports the blocks allocated per call over the timed loop.
class AllocationCounter {
 public:
  explicit AllocationCounter(benchmark::State& state)
      : state_(state), start_(Zarn::TrackingAllocator::Counters().allocations.load()) {}
  ~AllocationCounter() {
    const double blocks =
        static_cast<double>(Zarn::TrackingAllocator::Counters().allocations.load() - start_);
    state_.counters["allocs"] =
        benchmark::Counter(blocks / static_cast<double>(state_.iterations()));
  }

 private:
  benchmark::State& state_;
  std::uint64_t start_;
};

void BM_RouteThroughCallEntry(benchmark::State& state) {
  Fixture fixture;
  Zarn::ApiCallRequest request{};
  request.method = 2;
  request.path = "/jyx-lobby/v2/members/summoner";
  request.userData = fixture.route->function.userData;
  Zarn::ApiCallResult reply{};
  AllocationCounter counter(state);
  for (auto _ : state) {
    fixture.route->callEntry(&reply, &request);
    benchmark::DoNotOptimize(reply.value.kind);
    reply.release(&reply);
  }
}
BENCHMARK(BM_RouteThroughCallEntry);

void BM_HandlerAndConversion(benchmark::State& state) {
  Fixture fixture;
  const std::string name = "summoner";
  AllocationCounter counter(state);
  for (auto _ : state) {
    Zarn::BindingProperty value;
    const bool converted = Zarn::ToBindingProperty(Handler(name), value, fixture.registry);
    benchmark::DoNotOptimize(converted);
    benchmark::DoNotOptimize(value.Kind());
  }
}
BENCHMARK(BM_HandlerAndConversion);

}  // namespace
