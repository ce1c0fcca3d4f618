// One GET route returning a small record, called as the host calls it (request record, C entry,
// reply read and released), against calling the same handler and converting its result to a
// value directly. The difference is what routing, binding and the reply record cost per call.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sdk/api/ApiBinder.h"
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

void BM_RouteThroughCallEntry(benchmark::State& state) {
  Fixture fixture;
  Zarn::ApiCallRequest request{};
  request.method = 2;
  request.path = "/jyx-lobby/v2/members/summoner";
  request.userData = fixture.route->function.userData;
  Zarn::ApiCallResult reply{};
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
  for (auto _ : state) {
    Zarn::BindingProperty value;
    const bool converted = Zarn::ToBindingProperty(Handler(name), value, fixture.registry);
    benchmark::DoNotOptimize(converted);
    benchmark::DoNotOptimize(value.Kind());
  }
}
BENCHMARK(BM_HandlerAndConversion);

}  // namespace
