// Whole route calls through the C entry: well-formed request records over real route
// descriptors, with fuzzed method, path, query, headers, content type, body and named values.
// Every block goes through the SDK's counting allocator, as in the plugin: what a call holds at
// once must grow with the input's length, as CallMemoryLimit gives it. libFuzzer's
// -malloc_limit_mb catches one huge block; this catches many small ones, as a value built element
// by element is.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sdk/api/ApiBinder.h"
#include "sdk/base/TrackingAllocator.h"
#include "sdk/binding/ApiObject.h"
#include "sdk/binding/KeyedMap.h"
#include "tests/sdk/api/StandInTypes.h"

namespace {

// What one call may hold at once: enough for the decoders' buffers and a value of every byte of
// the input, far less than a value built by what its indexes name.
std::uint64_t CallMemoryLimit(std::size_t inputSize) {
  return (std::uint64_t{256} << 10) + std::uint64_t{256} * inputSize;
}

using Zarn::Testing::Member;
using Zarn::Testing::Party;

struct Routes {
  Routes() {
    Zarn::Testing::RegisterStandInTypes(registry);
    Zarn::ApiRegistrar registrar{&registry, tags};
    Zarn::ApiBinder::Post(registrar, "/parties/{id}/members/{+rest}",
                          std::function<Zarn::HttpResult<Party>(std::string, std::string, Party)>(
                              [](std::string id, std::string, Party party) {
                                party.id = std::move(id);
                                return Zarn::HttpResult<Party>(std::move(party));
                              }))
        .AddPathArgument("id", "", nullptr)
        .AddPathArgument("rest", "", nullptr)
        .AddBodyArgument("party", "", nullptr);
    Zarn::ApiBinder::Get(registrar, "/search",
                         std::function<std::string(std::optional<std::string>, bool, std::int32_t,
                                                   std::vector<Member>)>(
                             [](std::optional<std::string> team, bool, std::int32_t,
                                std::vector<Member>) { return team.value_or(""); }))
        .AddQueryArgument("team", "", nullptr)
        .AddQueryArgument("flag", "", nullptr)
        .AddQueryArgument("count", "", nullptr)
        .AddQueryArgument("members", "", nullptr);
    Zarn::FunctionBuilder free = registry.DefineFunction(
        "Free", std::function<Zarn::BindingProperty(Zarn::BindingProperty, std::uint64_t,
                                                    Zarn::KeyedMap<std::string>)>(
                    [](Zarn::BindingProperty value, std::uint64_t,
                       const Zarn::KeyedMap<std::string>&) { return value; }));
    free.SetPath("/free{#frag}");
    free.AddArgument("value", "", nullptr, nullptr)
        .AddArgument("n", "", nullptr, nullptr)
        .AddArgument("tags", "", nullptr, nullptr);
    Zarn::ApiBinder::Delete(registrar, "/bots/{id}",
                            std::function<Zarn::BindingHttpResult(std::string)>([](std::string id) {
                              return Zarn::BindingHttpResult(Zarn::HttpResponse(404, id));
                            }))
        .AddPathArgument("id", "", nullptr);
    snapshot = registry.BuildSnapshot();
    for (const Zarn::ApiFunctionDescriptor* f = snapshot.functions; f != nullptr; f = f->next) {
      routes.push_back(reinterpret_cast<const Zarn::ApiRouteDescriptor*>(f));
    }
  }

  Zarn::ApiRegistry registry;
  const std::vector<std::string> tags = {"Plugins"};
  Zarn::ApiRegistrySnapshot snapshot{};
  std::vector<const Zarn::ApiRouteDescriptor*> routes;
};

const char* const kContentTypes[] = {
    "application/json",          "application/vnd.api+json",        "application/x-msgpack",
    "application/x-yaml",        "APPLICATION/JSON; charset=utf-8", "text/x-yaml",
    "application/x-msgpack-ext",
};

// A scalar or text host value; owned texts come from the allocator hooks.
Zarn::ApiObject MakeValue(FuzzedDataProvider& data) {
  Zarn::ApiObject value{};
  switch (data.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
      value.SetBool(data.ConsumeBool());
      break;
    case 1:
      value.SetInt64(data.ConsumeIntegral<std::uint32_t>(), data.ConsumeIntegral<std::uint32_t>());
      break;
    case 2:
      value.SetUint64(data.ConsumeIntegral<std::uint32_t>(), data.ConsumeIntegral<std::uint32_t>());
      break;
    case 3:
      (void)value.SetString(data.ConsumeRandomLengthString(64));
      break;
    default:
      break;
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static Routes* const routes = new Routes();
  FuzzedDataProvider data(bytes, size);
  const Zarn::ApiRouteDescriptor* route =
      routes->routes[data.ConsumeIntegralInRange<std::size_t>(0, routes->routes.size() - 1)];

  const std::uint32_t method = data.ConsumeIntegralInRange<std::uint32_t>(0, 9);
  // Long enough for a query of some hundred dotted steps.
  const std::string path = data.ConsumeRandomLengthString(2048);
  const std::string customMethod = data.ConsumeRandomLengthString(8);
  std::vector<std::string> headerTexts;
  const int headerCount = data.ConsumeIntegralInRange<int>(0, 4);
  for (int i = 0; i < 2 * headerCount; ++i)
    headerTexts.push_back(data.ConsumeRandomLengthString(32));
  std::vector<Zarn::ApiHeader> headers;
  for (int i = 0; i < headerCount; ++i) {
    headers.push_back({headerTexts[2 * i].data(), headerTexts[2 * i + 1].data()});
  }
  std::vector<std::string> names;
  const int namedCount = data.ConsumeIntegralInRange<int>(0, 3);
  for (int i = 0; i < namedCount; ++i) names.push_back(data.ConsumeRandomLengthString(8));
  std::vector<Zarn::ApiNamedValue> named(namedCount);
  for (int i = 0; i < namedCount; ++i) {
    named[i].name = data.ConsumeBool() ? names[i].c_str() : nullptr;
    named[i].value = MakeValue(data);
  }
  const int contentChoice = data.ConsumeIntegralInRange<int>(0, std::size(kContentTypes));
  const std::string rawContentType = data.ConsumeRandomLengthString(32);
  const bool hasBody = data.ConsumeBool();
  const std::string body = data.ConsumeRemainingBytesAsString();

  Zarn::ApiCallRequest request{};
  request.method = method;
  request.path = path.c_str();
  request.namedValues = named.empty() ? nullptr : named.data();
  request.namedValueCount = static_cast<std::uint32_t>(named.size());
  request.userData = route->function.userData;
  request.headers = headers.empty() ? nullptr : headers.data();
  request.headerCount = static_cast<std::uint32_t>(headers.size());
  request.contentType = contentChoice < static_cast<int>(std::size(kContentTypes))
                            ? kContentTypes[contentChoice]
                            : rawContentType.c_str();
  // The body is a buffer of exactly its length, so a read past it is caught.
  std::vector<char> bodyBytes(body.begin(), body.end());
  request.body = hasBody ? bodyBytes.data() : nullptr;
  request.bodyLength = hasBody ? static_cast<std::uint32_t>(bodyBytes.size()) : 0;
  request.customMethod = method == 8 ? customMethod.c_str() : nullptr;

  // The counters' peak starts over at what lives now, so that it is this call's own.
  Zarn::MemoryCounters& counters = Zarn::TrackingAllocator::Counters();
  const std::uint64_t live = counters.bytesAllocated.load() - counters.bytesFreed.load();
  counters.peakLiveBytes.store(live);
  Zarn::ApiCallResult reply{};
  route->callEntry(&reply, &request);
  if (reply.stream != nullptr) reply.streamRelease(reply.stream);
  reply.release(&reply);
  const std::uint64_t held = counters.peakLiveBytes.load() - live;
  if (held > CallMemoryLimit(size)) {
    std::fprintf(stderr,
                 "==fuzz_api_call: one call held %llu bytes at once, over the %llu allowed\n",
                 static_cast<unsigned long long>(held),
                 static_cast<unsigned long long>(CallMemoryLimit(size)));
    std::abort();
  }
  for (Zarn::ApiNamedValue& value : named) Zarn::DestroyApiObject(value.value);
  return 0;
}
