#include "sdk/platform/SteadyClock.h"

#include <atomic>
#include <chrono>

namespace Zarn::Platform {

namespace {
std::atomic<SteadyClockSource> installedSource{nullptr};
std::atomic<void*> installedContext{nullptr};
}  // namespace

int64_t SteadyClockNow() noexcept {
  if (SteadyClockSource source = installedSource.load(std::memory_order_acquire)) {
    return source(installedContext.load(std::memory_order_acquire));
  }
  return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                  std::chrono::steady_clock::now().time_since_epoch())
                                  .count());
}

void SetSteadyClockSource(SteadyClockSource source, void* context) noexcept {
  installedContext.store(context, std::memory_order_release);
  installedSource.store(source, std::memory_order_release);
}

SteadyClockSource GetSteadyClockSource(void** context) noexcept {
  if (context != nullptr) *context = installedContext.load(std::memory_order_acquire);
  return installedSource.load(std::memory_order_acquire);
}

}  // namespace Zarn::Platform
