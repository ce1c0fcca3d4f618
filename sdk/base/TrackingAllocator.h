// The SDK's own allocator hooks: the platform heap, with bytes and blocks counted.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace Zarn {

// Six counters, each read and updated atomically (never torn on a 32-bit processor). Sizes are
// what the platform reports for the blocks, not what was requested.
struct MemoryCounters {
  std::atomic<std::uint64_t> peakLiveBytes{0};     // highest bytesAllocated - bytesFreed seen
  std::atomic<std::uint64_t> liveBlocksAtPeak{0};  // allocations - frees when the peak was set
  std::atomic<std::uint64_t> bytesAllocated{0};
  std::atomic<std::uint64_t> allocations{0};  // failed ones included
  std::atomic<std::uint64_t> bytesFreed{0};
  std::atomic<std::uint64_t> frees{0};
};

class TrackingAllocator {
 public:
  TrackingAllocator() = delete;

  // The counters that Install hands to the hooks; they live as long as the process.
  [[nodiscard]] static MemoryCounters& Counters() noexcept;

  // Zeroes Counters() and makes the operations below the process's hooks, with Counters() as
  // their user data.
  static void Install() noexcept;

  // The hook operations. `counters` must point to a MemoryCounters (the hooks' user data).
  [[nodiscard]] static void* Malloc(std::size_t size, void* counters) noexcept;
  static void Free(void* block, void* counters) noexcept;
  // A reallocation counts as a release of the old block and an allocation of the new one, a
  // null old block as a release of 0 bytes. A failed non-zero resize leaves the old block live
  // and counts only a failed allocation.
  [[nodiscard]] static void* Realloc(void* block, std::size_t size, void* counters) noexcept;
  [[nodiscard]] static char* StrDup(const char* text, void* counters) noexcept;
  [[nodiscard]] static std::size_t MSize(const void* block, void* counters) noexcept;
};

}  // namespace Zarn
