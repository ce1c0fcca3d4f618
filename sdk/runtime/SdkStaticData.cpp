// Everything here is constructed at load, in the order written, and destroyed in reverse.
#include "sdk/runtime/SdkStaticData.h"

#include "sdk/base/EtwProvider.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/PerfCounter.h"
#include "sdk/platform/ThreadId.h"
#include "sdk/runtime/PluginApiVersion.h"
#include "sdk/runtime/PluginInfo.h"

namespace Zarn::Client {

namespace {

struct LocChannel {
  LocChannel() noexcept { RegisterChannel(&mask, "LOC"); }
  uint64_t mask = 0;
};

// Constructed before every other static object with a dynamic initializer, so that "LOC" is the
// first channel registered after the eight built-in ones.
__attribute__((init_priority(101))) LocChannel locChannel;

struct TracingState {
  EtwEventState loadEventState[1] = {{kSdkLoadEvent.level, kSdkLoadEvent.keyword, false}};
  EtwProviderContext contexts[4];
  Platform::RegistrationHandle handles[4] = {};

  TracingState() noexcept {
    contexts[1].eventCount = 1;
    contexts[1].events = loadEventState;
  }
};

TracingState& Tracing() noexcept {
  static TracingState state;
  return state;
}

struct TracingAtLoad {
  TracingAtLoad() noexcept { SdkTracing::SetUp(); }
  ~TracingAtLoad() { SdkTracing::TearDown(); }
};

}  // namespace

const PluginApiVersion kPluginApiVersion{18, 0, 0, {}, {}};
const PluginKind kBackendPluginKind{"backend", ""};

uint64_t LocChannelMask() { return locChannel.mask; }

void SdkTracing::SetUp() noexcept {
  static_cast<void>(PerfCounter::Frequency());
  if (!EtwProvider::LoadFunctions()) return;
  TracingState& state = Tracing();
  for (int i = 0; i < 4; ++i) {
    static_cast<void>(EtwProvider::Register(kSdkTracingProviders[i], &EtwProvider::EnableCallback,
                                            &state.contexts[i], &state.handles[i]));
  }
  WriteLoadEvent();
}

void SdkTracing::WriteLoadEvent() noexcept {
  TracingState& state = Tracing();
  if (!EtwProvider::IsEventEnabled(state.contexts[1], 0)) return;
  EtwProvider::WriteString(state.handles[1], kSdkLoadEvent, Platform::GetCurrentThreadId(),
                           "Main thread");
}

void SdkTracing::TearDown() noexcept {
  TracingState& state = Tracing();
  for (int i = 3; i >= 0; --i) EtwProvider::Unregister(&state.handles[i]);
}

Platform::RegistrationHandle SdkTracing::Handle(int provider) noexcept {
  return Tracing().handles[provider];
}

namespace {
TracingAtLoad tracingAtLoad;
}  // namespace

const BindingHttpResult kEmptyCallResult;

}  // namespace Zarn::Client
