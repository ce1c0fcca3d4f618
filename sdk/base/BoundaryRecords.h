// Records of this layer that cross the host boundary. Their layout is fixed: little-endian,
// fixed-width fields, the sizes and offsets checked below.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Zarn {

// What the memory-statistics entry writes for the host: 14 32-bit words, the tracking
// allocator's six counters (low word first) followed by two zero words.
struct MemoryStats {
  std::uint64_t peakLiveBytes;
  std::uint64_t liveBlocksAtPeak;
  std::uint64_t bytesAllocated;
  std::uint64_t allocations;
  std::uint64_t bytesFreed;
  std::uint64_t frees;
  std::uint64_t reserved;  // always 0
};

static_assert(sizeof(MemoryStats) == 56);
static_assert(offsetof(MemoryStats, peakLiveBytes) == 0);
static_assert(offsetof(MemoryStats, liveBlocksAtPeak) == 8);
static_assert(offsetof(MemoryStats, bytesAllocated) == 16);
static_assert(offsetof(MemoryStats, allocations) == 24);
static_assert(offsetof(MemoryStats, bytesFreed) == 32);
static_assert(offsetof(MemoryStats, frees) == 40);
static_assert(offsetof(MemoryStats, reserved) == 48);

}  // namespace Zarn
