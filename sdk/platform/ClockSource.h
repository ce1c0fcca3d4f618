// A replaceable source of one clock's readings, shared by the steady and the wall clock.
#pragma once

#include <atomic>
#include <cstdint>

namespace Zarn::Platform {

// Returns the present time in nanoseconds; `context` is the pointer given with the source.
using ClockSource = int64_t (*)(void* context);

// One clock's installed source and its context; none installed means the system's clock.
class ClockSourceSlot {
 public:
  // The installed source's reading, or `systemNow()` when none is installed.
  int64_t Now(int64_t (*systemNow)()) const noexcept {
    if (ClockSource source = source_.load(std::memory_order_acquire)) {
      return source(context_.load(std::memory_order_acquire));
    }
    return systemNow();
  }
  // Installs `source` with `context` (null restores the system clock). The pair is not replaced
  // as one: install and restore while no other thread reads the clock.
  void Set(ClockSource source, void* context) noexcept {
    context_.store(context, std::memory_order_release);
    source_.store(source, std::memory_order_release);
  }
  // The installed source (null for the system clock) and, when `context` is not null, its context.
  ClockSource Get(void** context) const noexcept {
    if (context != nullptr) *context = context_.load(std::memory_order_acquire);
    return source_.load(std::memory_order_acquire);
  }

 private:
  std::atomic<ClockSource> source_{nullptr};
  std::atomic<void*> context_{nullptr};
};

}  // namespace Zarn::Platform
