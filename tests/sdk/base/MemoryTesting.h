// Helpers for tests that watch the tracking allocator's counters.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sdk/base/TrackingAllocator.h"

namespace Zarn::Testing {

// A plain copy of the six counters, for comparing before and after.
struct CounterValues {
  std::uint64_t peakLiveBytes, liveBlocksAtPeak, bytesAllocated, allocations, bytesFreed, frees;

  static CounterValues Read(const MemoryCounters& c) {
    return {c.peakLiveBytes.load(), c.liveBlocksAtPeak.load(), c.bytesAllocated.load(),
            c.allocations.load(),   c.bytesFreed.load(),       c.frees.load()};
  }
  static CounterValues ReadProcess() { return Read(TrackingAllocator::Counters()); }

  CounterValues operator-(const CounterValues& o) const {
    return {peakLiveBytes - o.peakLiveBytes,   liveBlocksAtPeak - o.liveBlocksAtPeak,
            bytesAllocated - o.bytesAllocated, allocations - o.allocations,
            bytesFreed - o.bytesFreed,         frees - o.frees};
  }
};

// A request far beyond any heap, opaque to the compiler so that it raises no size warning.
inline std::size_t ImpossibleSize() {
  volatile std::size_t size = SIZE_MAX - 4096;
  return size;
}

// Keeps the optimizer from removing an allocation whose result is otherwise unused.
inline void Escape(void* p) { asm volatile("" : : "g"(p) : "memory"); }

}  // namespace Zarn::Testing
