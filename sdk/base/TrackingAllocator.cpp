#include "sdk/base/TrackingAllocator.h"

#include <cstdlib>

#include "sdk/base/MemoryHooks.h"
#include "sdk/platform/CrtMemory.h"

namespace Zarn {
namespace {

constinit MemoryCounters processCounters;

constexpr auto kRelaxed = std::memory_order_relaxed;

MemoryCounters& From(void* counters) { return *static_cast<MemoryCounters*>(counters); }

// Blocks allocated outside the hooks (before installation, or by code that does not use them)
// can be released through them, so frees may outnumber allocations: clamp at zero rather than
// wrap to about 2^64.
std::uint64_t SaturatingDifference(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : 0; }

void CountAllocation(MemoryCounters& c, std::size_t bytes) {
  c.bytesAllocated.fetch_add(bytes, kRelaxed);
  c.allocations.fetch_add(1, kRelaxed);
}

void CountRelease(MemoryCounters& c, std::size_t bytes) {
  c.bytesFreed.fetch_add(bytes, kRelaxed);
  c.frees.fetch_add(1, kRelaxed);
}

// Without a lock: a concurrent allocation may make the peak miss a momentary maximum.
void UpdatePeak(MemoryCounters& c) {
  const std::uint64_t live =
      SaturatingDifference(c.bytesAllocated.load(kRelaxed), c.bytesFreed.load(kRelaxed));
  if (live > c.peakLiveBytes.load(kRelaxed)) {
    c.peakLiveBytes.store(live, kRelaxed);
    c.liveBlocksAtPeak.store(
        SaturatingDifference(c.allocations.load(kRelaxed), c.frees.load(kRelaxed)), kRelaxed);
  }
}

}  // namespace

MemoryCounters& TrackingAllocator::Counters() noexcept { return processCounters; }

void TrackingAllocator::Install() noexcept {
  for (auto* counter : {&processCounters.peakLiveBytes, &processCounters.liveBlocksAtPeak,
                        &processCounters.bytesAllocated, &processCounters.allocations,
                        &processCounters.bytesFreed, &processCounters.frees})
    counter->store(0, kRelaxed);
  MemoryHooks::SetAllocator(&Malloc, &Free, &Realloc, &StrDup, &MSize, &processCounters);
}

void* TrackingAllocator::Malloc(std::size_t size, void* counters) noexcept {
  void* block = std::malloc(size);
  MemoryCounters& c = From(counters);
  CountAllocation(c, Platform::BlockSize(block));
  UpdatePeak(c);
  return block;
}

void TrackingAllocator::Free(void* block, void* counters) noexcept {
  if (block == nullptr) return;
  const std::size_t bytes = Platform::BlockSize(block);
  std::free(block);
  CountRelease(From(counters), bytes);
}

void* TrackingAllocator::Realloc(void* block, std::size_t size, void* counters) noexcept {
  const std::size_t oldBytes = Platform::BlockSize(block);
  void* resized = Platform::Reallocate(block, size);
  MemoryCounters& c = From(counters);
  // A failed non-zero resize released nothing: the caller still owns `block`.
  if (resized != nullptr || size == 0) CountRelease(c, oldBytes);
  CountAllocation(c, Platform::BlockSize(resized));
  UpdatePeak(c);
  return resized;
}

char* TrackingAllocator::StrDup(const char* text, void* counters) noexcept {
  char* copy = Platform::DuplicateString(text);
  MemoryCounters& c = From(counters);
  CountAllocation(c, Platform::BlockSize(copy));
  UpdatePeak(c);
  return copy;
}

std::size_t TrackingAllocator::MSize(const void* block, void*) noexcept {
  return Platform::BlockSize(block);
}

}  // namespace Zarn
