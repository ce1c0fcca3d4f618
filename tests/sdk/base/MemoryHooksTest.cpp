#include "sdk/base/MemoryHooks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

#include "sdk/base/MemoryStatsEntry.h"
#include "sdk/base/TrackingAllocator.h"
#include "tests/sdk/base/MemoryTesting.h"

namespace Zarn {
namespace {

using Testing::CounterValues;
using Testing::Escape;

TEST(MemoryHooksTest, HookCallsGoThroughTheTrackingAllocator) {
  const CounterValues before = CounterValues::ReadProcess();
  void* block = MemoryHooks::Alloc(300);
  block = MemoryHooks::Realloc(block, 3000);
  char* copy = MemoryHooks::StrDup("text");
  const std::size_t blockSize = MemoryHooks::MSize(block);
  const std::size_t copySize = MemoryHooks::MSize(copy);
  MemoryHooks::Free(copy);
  MemoryHooks::Free(block);
  MemoryHooks::Free(nullptr);
  const CounterValues d = CounterValues::ReadProcess() - before;

  ASSERT_NE(block, nullptr);
  EXPECT_GE(blockSize, 3000u);
  EXPECT_EQ(d.allocations, 3u);
  EXPECT_EQ(d.frees, 3u);  // the reallocation's release, then the two frees
  EXPECT_EQ(d.bytesFreed - d.bytesAllocated, 0u) << "every counted byte was released";
  EXPECT_GE(d.bytesAllocated, blockSize + copySize);
}

// Hooks that refuse large requests and count every call, over the process counters.
constexpr std::size_t kRefusedFrom = std::size_t{1} << 28;
int refusals = 0;

void* RefusingAlloc(std::size_t size, void* counters) {
  if (size >= kRefusedFrom) {
    ++refusals;
    return nullptr;
  }
  return TrackingAllocator::Malloc(size, counters);
}

void InstallRefusingHooks() {
  MemoryHooks::SetAllocator(&RefusingAlloc, &TrackingAllocator::Free, &TrackingAllocator::Realloc,
                            &TrackingAllocator::StrDup, &TrackingAllocator::MSize,
                            &TrackingAllocator::Counters());
}

class RefusingHooksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    refusals = 0;
    InstallRefusingHooks();
  }
  void TearDown() override {
    std::set_new_handler(nullptr);
    TrackingAllocator::Install();
  }
};

TEST_F(RefusingHooksTest, HookFailureIsNullForHooksAndNothrowAndBadAllocOtherwise) {
  EXPECT_EQ(MemoryHooks::Alloc(kRefusedFrom), nullptr);
  EXPECT_EQ(::operator new(kRefusedFrom, std::nothrow), nullptr);
  EXPECT_EQ(::operator new[](kRefusedFrom, std::nothrow), nullptr);
  EXPECT_EQ(::operator new (kRefusedFrom, std::align_val_t{64}, std::nothrow), nullptr);
  EXPECT_EQ(::operator new[](kRefusedFrom, std::align_val_t{64}, std::nothrow), nullptr);
  EXPECT_THROW(Escape(::operator new(kRefusedFrom)), std::bad_alloc);
  EXPECT_THROW(Escape(::operator new[](kRefusedFrom)), std::bad_alloc);
  EXPECT_THROW(Escape(::operator new (kRefusedFrom, std::align_val_t{64})), std::bad_alloc);
  EXPECT_THROW(Escape(::operator new (Testing::ImpossibleSize() + 4090, std::align_val_t{64})),
               std::bad_alloc);
  EXPECT_EQ(refusals, 8) << "the overflowing aligned request never reaches the hook";
}

TEST_F(RefusingHooksTest, NewRetriesThroughTheNewHandler) {
  std::set_new_handler([] { TrackingAllocator::Install(); });
  void* block = ::operator new(kRefusedFrom);
  EXPECT_NE(block, nullptr);
  EXPECT_EQ(refusals, 1);
  ::operator delete(block);
}

TEST(MemoryHooksTest, EveryOperatorFormIsCountedOnce) {
  struct Form {
    const char* name;
    std::function<void*()> allocate;
    std::function<void(void*)> release;
  };
  constexpr auto kAlign = std::align_val_t{256};
  const Form forms[] = {
      {"plain", [] { return ::operator new(40); }, [](void* p) { ::operator delete(p); }},
      {"array", [] { return ::operator new[](40); }, [](void* p) { ::operator delete[](p); }},
      {"sized", [] { return ::operator new(40); }, [](void* p) { ::operator delete(p, 40); }},
      {"sized array", [] { return ::operator new[](40); },
       [](void* p) { ::operator delete[](p, 40); }},
      {"nothrow", [] { return ::operator new(40, std::nothrow); },
       [](void* p) { ::operator delete(p, std::nothrow); }},
      {"nothrow array", [] { return ::operator new[](40, std::nothrow); },
       [](void* p) { ::operator delete[](p, std::nothrow); }},
      {"zero size", [] { return ::operator new(0); }, [](void* p) { ::operator delete(p); }},
      {"aligned", [=] { return ::operator new(40, kAlign); },
       [=](void* p) { ::operator delete(p, kAlign); }},
      {"aligned array", [=] { return ::operator new[](40, kAlign); },
       [=](void* p) { ::operator delete[](p, kAlign); }},
      {"aligned sized", [=] { return ::operator new(40, kAlign); },
       [=](void* p) { ::operator delete(p, 40, kAlign); }},
      {"aligned sized array", [=] { return ::operator new[](40, kAlign); },
       [=](void* p) { ::operator delete[](p, 40, kAlign); }},
      {"aligned nothrow", [=] { return ::operator new(40, kAlign, std::nothrow); },
       [=](void* p) { ::operator delete(p, kAlign, std::nothrow); }},
      {"aligned nothrow array", [=] { return ::operator new[](40, kAlign, std::nothrow); },
       [=](void* p) { ::operator delete[](p, kAlign, std::nothrow); }},
  };
  for (const Form& form : forms) {
    SCOPED_TRACE(form.name);
    const CounterValues before = CounterValues::ReadProcess();
    void* block = form.allocate();
    Escape(block);
    std::memset(block, 0x5a, std::strstr(form.name, "zero") ? 0 : 40);
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(block);
    form.release(block);
    const CounterValues d = CounterValues::ReadProcess() - before;
    ASSERT_NE(block, nullptr);
    if (std::strstr(form.name, "aligned")) {
      EXPECT_EQ(address % 256, 0u);
    }
    EXPECT_EQ(d.allocations, 1u);
    EXPECT_EQ(d.frees, 1u);
    EXPECT_EQ(d.bytesAllocated, d.bytesFreed);
    EXPECT_GE(d.bytesAllocated, std::strstr(form.name, "zero") ? 1u : 40u);
  }
}

TEST(MemoryHooksTest, ContainersAllocateThroughTheHooks) {
  const CounterValues before = CounterValues::ReadProcess();
  {
    std::vector<int> values(1000, 7);
    Escape(values.data());
  }
  const CounterValues d = CounterValues::ReadProcess() - before;
  EXPECT_EQ(d.allocations, 1u);
  EXPECT_EQ(d.frees, 1u);
  EXPECT_GE(d.bytesAllocated, 1000 * sizeof(int));
}

TEST(MemoryStatsEntryTest, FillsTwelveCounterWordsAndTwoZeroWords) {
  MemoryCounters& counters = TrackingAllocator::Counters();
  std::atomic<std::uint64_t>* const order[] = {&counters.peakLiveBytes,  &counters.liveBlocksAtPeak,
                                               &counters.bytesAllocated, &counters.allocations,
                                               &counters.bytesFreed,     &counters.frees};
  // Distinct low and high halves, so that a swapped or shifted word shows.
  for (std::uint64_t i = 0; i < 6; ++i) order[i]->store(((i + 1) << 32) | (0xA0 + i));
  MemoryStats stats;
  std::memset(&stats, 0xff, sizeof stats);
  PluginEntry::GetMemoryStats(nullptr, &stats);
  PluginEntry::GetMemoryStats(nullptr, nullptr);  // ignored
  TrackingAllocator::Install();
  std::uint32_t words[14];
  static_assert(sizeof words == sizeof stats);
  std::memcpy(words, &stats, sizeof words);

  for (std::uint32_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(words[2 * i], 0xA0 + i);
    EXPECT_EQ(words[2 * i + 1], i + 1);
  }
  EXPECT_EQ(words[12], 0u);
  EXPECT_EQ(words[13], 0u);
}

}  // namespace
}  // namespace Zarn
