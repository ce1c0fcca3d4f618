#include "sdk/base/SmallString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "tests/sdk/base/MemoryTesting.h"

namespace Zarn {
namespace {

using Testing::CounterValues;

constexpr std::uint32_t OddBlockSize(std::size_t n) {
  return static_cast<std::uint32_t>(((n + 1) & ~std::size_t{1}) + 1);
}

TEST(SmallStringTest, AssignedTextsStayInlineUntilTheyOutgrowTheBuffer) {
  for (std::size_t n : {0u, 1u, 2u, 63u, 64u, 65u, 66u, 67u, 1000u}) {
    SCOPED_TRACE(n);
    const std::string text(n, 'q');
    const bool inlined = n <= SmallString::kInlineCapacity;
    std::optional<SmallString> s(std::in_place);

    const CounterValues before = CounterValues::ReadProcess();
    s->Assign(text);
    const CounterValues grown = CounterValues::ReadProcess() - before;
    EXPECT_EQ(s->View(), text);
    EXPECT_EQ(s->Data()[n], '\0');
    EXPECT_EQ(s->Length(), n);
    EXPECT_EQ(s->OnHeap(), !inlined);
    EXPECT_EQ(s->Capacity(), inlined ? SmallString::kInlineCapacity : OddBlockSize(n));
    EXPECT_EQ(grown.allocations, inlined ? 0u : 1u);

    s.reset();
    const CounterValues destroyed = CounterValues::ReadProcess() - before;
    EXPECT_EQ(destroyed.frees, inlined ? 0u : 1u);
    EXPECT_EQ(destroyed.bytesFreed, destroyed.bytesAllocated);
  }
}

TEST(SmallStringTest, ConstructionFromTextTakesAnOddHeapBlock) {
  for (const char* text : {"", "a", "ab", "2026-12-07 09:00:00"}) {
    SCOPED_TRACE(text);
    SmallString s(text);
    EXPECT_STREQ(s.Data(), text);
    EXPECT_TRUE(s.OnHeap());
    EXPECT_EQ(s.Capacity(), OddBlockSize(std::strlen(text)));
    EXPECT_GE(s.Capacity() - 1, s.Length());
  }
  SmallString none(nullptr);
  EXPECT_STREQ(none.Data(), "");
  EXPECT_FALSE(none.OnHeap());
}

TEST(SmallStringTest, FittingAssignmentsReuseTheBlock) {
  SmallString s(std::string(100, 'x').c_str());
  const char* block = s.Data();
  const std::uint32_t capacity = s.Capacity();
  for (const char* text : {"short", "", "a longer text, still well within the block"}) {
    SCOPED_TRACE(text);
    const CounterValues before = CounterValues::ReadProcess();
    s.Assign(text);
    const CounterValues d = CounterValues::ReadProcess() - before;
    EXPECT_STREQ(s.Data(), text);
    EXPECT_EQ(s.Data(), block);
    EXPECT_EQ(s.Capacity(), capacity);
    EXPECT_EQ(d.allocations + d.frees, 0u);
  }
  s.Reserve(50);
  EXPECT_EQ(s.Data(), block);
}

TEST(SmallStringTest, AssignmentFromItsOwnTextOverlapsSafely) {
  SmallString s;
  s.Assign("0123456789");
  s.Assign(s.View().substr(3, 4));
  EXPECT_STREQ(s.Data(), "3456");
  SmallString heap(std::string(200, 'y').append("tail").c_str());
  heap.Assign(heap.View().substr(200));
  EXPECT_STREQ(heap.Data(), "tail");
}

TEST(SmallStringTest, ReserveKeepsTheTextAndReleasesTheOldBlock) {
  SmallString s;
  s.Assign("kept");
  s.Reserve(10);  // fits inline
  EXPECT_FALSE(s.OnHeap());
  s.Reserve(500);
  EXPECT_TRUE(s.OnHeap());
  EXPECT_EQ(s.Capacity(), OddBlockSize(500));
  EXPECT_STREQ(s.Data(), "kept");

  const CounterValues before = CounterValues::ReadProcess();
  s.Reserve(5000);
  const CounterValues d = CounterValues::ReadProcess() - before;
  EXPECT_STREQ(s.Data(), "kept");
  EXPECT_EQ(d.allocations, 1u);
  EXPECT_EQ(d.frees, 1u);
}

}  // namespace
}  // namespace Zarn
