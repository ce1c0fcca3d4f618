#include "sdk/base/TrackingAllocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "sdk/platform/CrtMemory.h"
#include "tests/sdk/base/MemoryTesting.h"

// Lets the sanitizer's allocator fail an impossible request with null, as the C library does.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace Zarn {
namespace {

using Testing::CounterValues;
using Testing::ImpossibleSize;

TEST(TrackingAllocatorTest, AllocationAndReleaseAreCountedByBlockSize) {
  MemoryCounters counters;
  void* block = TrackingAllocator::Malloc(100, &counters);
  ASSERT_NE(block, nullptr);
  const std::uint64_t size = Platform::BlockSize(block);
  EXPECT_GE(size, 100u);
  EXPECT_EQ(TrackingAllocator::MSize(block, &counters), size);
  TrackingAllocator::Free(block, &counters);
  TrackingAllocator::Free(nullptr, &counters);  // not counted

  const CounterValues v = CounterValues::Read(counters);
  EXPECT_EQ(v.allocations, 1u);
  EXPECT_EQ(v.frees, 1u);
  EXPECT_EQ(v.bytesAllocated, size);
  EXPECT_EQ(v.bytesFreed, size);
  EXPECT_EQ(v.peakLiveBytes, size);
  EXPECT_EQ(v.liveBlocksAtPeak, 1u);
}

TEST(TrackingAllocatorTest, ReallocationCountsAReleaseAndAnAllocation) {
  struct Case {
    const char* name;
    std::size_t oldSize;  // 0: start from null
    std::size_t newSize;
    bool expectBlock;
    bool countsRelease;
  };
  const Case cases[] = {
      {"null to 50", 0, 50, true, true},
      {"grow", 100, 5000, true, true},
      {"shrink", 5000, 10, true, true},
      {"to size 0 releases", 100, 0, false, true},
      {"failed growth keeps the block", 100, ImpossibleSize(), false, false},
      {"failed from null", 0, ImpossibleSize(), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryCounters counters;
    void* old = c.oldSize == 0 ? nullptr : std::malloc(c.oldSize);
    if (old != nullptr) std::memset(old, 'x', c.oldSize);
    const std::uint64_t oldBytes = Platform::BlockSize(old);

    void* block = TrackingAllocator::Realloc(old, c.newSize, &counters);
    const CounterValues v = CounterValues::Read(counters);
    EXPECT_EQ(block != nullptr, c.expectBlock);
    EXPECT_EQ(v.allocations, 1u);
    EXPECT_EQ(v.bytesAllocated, Platform::BlockSize(block));
    EXPECT_EQ(v.frees, c.countsRelease ? 1u : 0u);
    EXPECT_EQ(v.bytesFreed, c.countsRelease ? oldBytes : 0u);
    EXPECT_EQ(v.peakLiveBytes,
              v.bytesAllocated > v.bytesFreed ? v.bytesAllocated - v.bytesFreed : 0u);
    if (block != nullptr && old != nullptr) {
      EXPECT_EQ(std::memcmp(block, "xxxxxxxxxx", 10), 0);  // content survives the move
    }
    if (!c.countsRelease && old != nullptr) {
      EXPECT_EQ(static_cast<char*>(old)[c.oldSize - 1], 'x');  // still live and intact
    }
    std::free(block);
    if (!c.countsRelease) std::free(old);
  }
}

TEST(TrackingAllocatorTest, DuplicationCountsTheCopy) {
  MemoryCounters counters;
  char* copy = TrackingAllocator::StrDup("duplicate me", &counters);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "duplicate me");
  EXPECT_EQ(CounterValues::Read(counters).bytesAllocated, Platform::BlockSize(copy));
  std::free(copy);

  EXPECT_EQ(TrackingAllocator::StrDup(nullptr, &counters), nullptr);
  const CounterValues v = CounterValues::Read(counters);
  EXPECT_EQ(v.allocations, 2u);  // the null copy counts as an allocation of 0 bytes
  EXPECT_EQ(v.frees, 0u);
}

TEST(TrackingAllocatorTest, FailedAllocationCountsZeroBytes) {
  MemoryCounters counters;
  EXPECT_EQ(TrackingAllocator::Malloc(ImpossibleSize(), &counters), nullptr);
  const CounterValues v = CounterValues::Read(counters);
  EXPECT_EQ(v.allocations, 1u);
  EXPECT_EQ(v.bytesAllocated, 0u);
  EXPECT_EQ(v.peakLiveBytes, 0u);
}

TEST(TrackingAllocatorTest, PeakKeepsTheHighestLiveState) {
  MemoryCounters counters;
  void* a = TrackingAllocator::Malloc(1000, &counters);
  void* b = TrackingAllocator::Malloc(2000, &counters);
  const std::uint64_t peak = Platform::BlockSize(a) + Platform::BlockSize(b);
  TrackingAllocator::Free(a, &counters);
  TrackingAllocator::Free(b, &counters);
  void* c = TrackingAllocator::Malloc(10, &counters);
  const CounterValues v = CounterValues::Read(counters);
  EXPECT_EQ(v.peakLiveBytes, peak);
  EXPECT_EQ(v.liveBlocksAtPeak, 2u);
  TrackingAllocator::Free(c, &counters);
}

// Blocks from outside the hooks can be released through them; the live figures must clamp at
// zero instead of wrapping into a peak of about 2^64.
TEST(TrackingAllocatorTest, ForeignReleasesSaturateLiveBytesAndBlocks) {
  MemoryCounters counters;
  TrackingAllocator::Free(std::malloc(4000), &counters);
  void* small = TrackingAllocator::Malloc(16, &counters);
  CounterValues v = CounterValues::Read(counters);
  EXPECT_EQ(v.peakLiveBytes, 0u) << "freed more bytes than allocated";
  EXPECT_EQ(v.liveBlocksAtPeak, 0u);

  TrackingAllocator::Free(std::malloc(8), &counters);
  TrackingAllocator::Free(std::malloc(8), &counters);
  void* large = TrackingAllocator::Malloc(100000, &counters);
  v = CounterValues::Read(counters);
  EXPECT_EQ(v.peakLiveBytes, v.bytesAllocated - v.bytesFreed);
  EXPECT_GT(v.peakLiveBytes, 90000u);
  EXPECT_EQ(v.liveBlocksAtPeak, 0u) << "two allocations against three foreign frees";
  TrackingAllocator::Free(small, &counters);
  TrackingAllocator::Free(large, &counters);
}

TEST(TrackingAllocatorTest, ConcurrentOperationsLoseNoCount) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  MemoryCounters counters;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&counters, t] {
      for (int i = 0; i < kRounds; ++i) {
        void* block = TrackingAllocator::Malloc(16 + 8 * ((i + t) % 7), &counters);
        TrackingAllocator::Free(block, &counters);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  const CounterValues v = CounterValues::Read(counters);
  EXPECT_EQ(v.allocations, std::uint64_t{kThreads} * kRounds);
  EXPECT_EQ(v.frees, v.allocations);
  EXPECT_EQ(v.bytesFreed, v.bytesAllocated);
  // The peak is updated without a lock, so it may miss or mix momentary values; it must still
  // never wrap past what was allocated.
  EXPECT_LE(v.peakLiveBytes, v.bytesAllocated);
  EXPECT_LE(v.liveBlocksAtPeak, v.allocations);
}

}  // namespace
}  // namespace Zarn
