#include "sdk/platform/HostClocks.h"

#include <dlfcn.h>

#include <atomic>

#include "sdk/platform/SteadyClock.h"
#include "sdk/platform/WallClock.h"

namespace Zarn::Platform {

namespace {

std::atomic<HostClockFunction> hostClock{nullptr};

int64_t HostSteadyNow(void* /*context*/) { return hostClock.load()(kHostSteadyClock); }
int64_t HostWallNow(void* /*context*/) { return hostClock.load()(kHostWallClock); }

}  // namespace

bool AdoptHostClocks() noexcept {
  // RTLD_DEFAULT searches the executable's exported symbols and the global libraries, never the
  // plugin's own (which exports only its load function).
  void* symbol = dlsym(RTLD_DEFAULT, kHostClockSymbol);
  if (symbol == nullptr) return false;
  hostClock.store(reinterpret_cast<HostClockFunction>(symbol));
  SetSteadyClockSource(&HostSteadyNow, nullptr);
  SetWallClockSource(&HostWallNow, nullptr);
  return true;
}

}  // namespace Zarn::Platform
