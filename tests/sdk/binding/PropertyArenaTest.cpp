#include "sdk/binding/PropertyArena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "sdk/base/Fnv1a.h"
#include "sdk/binding/PageSource.h"
#include "sdk/binding/PoolAllocator.h"
#include "tests/sdk/base/Fnv1aTesting.h"
#include "tests/sdk/base/MemoryTesting.h"

namespace {

using namespace Zarn;
using Zarn::Testing::CounterValues;

struct ArenaDeleter {
  void operator()(PropertyArena* arena) const { PropertyArena::Destroy(arena); }
};
using ArenaPtr = std::unique_ptr<PropertyArena, ArenaDeleter>;

ArenaPtr NewArena() { return ArenaPtr(PropertyArena::Create()); }

bool InInlinePage(BindingSizeClass& sizeClass, const void* block) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  return bytes >= sizeClass.inlinePage && bytes < sizeClass.inlinePage + kInlinePageSize;
}

std::size_t PagesInUse() { return PageSource::Instance().PagesInUse(); }

// Blocks one page of a class holds: the slots wholly behind the header.
std::uint32_t BlocksPerPage(std::uint32_t slotSize, std::uint32_t pageSize) {
  return BindingPoolPage::SlotCount(slotSize, pageSize) - BindingPoolPage::FirstSlot(slotSize);
}

TEST(PropertyArenaTest, SizesRoundUpToTheirClass) {
  ArenaPtr arena = NewArena();
  BindingSizeClass* first = &arena->SizeClass(1);
  const struct {
    std::size_t size;
    std::size_t classIndex;
  } cases[] = {{1, 0}, {4, 0}, {5, 1}, {8, 1}, {12, 2}, {13, 3}, {36, 8}, {71, 17}, {72, 17}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    EXPECT_EQ(&arena->SizeClass(c.size) - first, static_cast<std::ptrdiff_t>(c.classIndex));
  }
}

TEST(PropertyArenaTest, SlotCountsFollowFromTheHeader) {
#if defined(__i386__)
  EXPECT_EQ(BindingPoolPage::HeaderSize(), 16u);
  EXPECT_EQ(BindingPoolPage::FirstSlot(12), 2u);
  EXPECT_EQ(BlocksPerPage(12, 4096), 339u);
  EXPECT_EQ(BlocksPerPage(4, kInlinePageSize), 32u);
  EXPECT_EQ(BlocksPerPage(72, kInlinePageSize), 1u);
#endif
  for (std::uint32_t size = 4; size <= kMaxBlockSize; size += 4) {
    SCOPED_TRACE(size);
    const std::uint32_t first = BindingPoolPage::FirstSlot(size);
    EXPECT_GE(first * size, BindingPoolPage::HeaderSize());
    EXPECT_LT((first - 1) * size, BindingPoolPage::HeaderSize());
    EXPECT_GE(BlocksPerPage(size, kInlinePageSize), 1u);
  }
}

// Each class serves its first blocks from the inline page; the next block takes a 4096-byte
// page, which goes back as soon as that block is freed. The inline page stays when empty.
TEST(PropertyArenaTest, InlinePageServesFirstBlocksThenPagesComeAndGo) {
  for (std::uint32_t size = 4; size <= kMaxBlockSize; size += 4) {
    SCOPED_TRACE(size);
    ArenaPtr arena = NewArena();
    BindingSizeClass& sizeClass = arena->SizeClass(size);
    const std::size_t pagesBefore = PagesInUse();
    std::vector<void*> inlineBlocks;
    for (std::uint32_t i = 0; i < BlocksPerPage(size, kInlinePageSize); ++i) {
      inlineBlocks.push_back(arena->Allocate(size));
      EXPECT_TRUE(InInlinePage(sizeClass, inlineBlocks.back()));
    }
    EXPECT_EQ(PagesInUse(), pagesBefore);

    void* paged = arena->Allocate(size);
    EXPECT_FALSE(InInlinePage(sizeClass, paged));
    EXPECT_EQ(PagesInUse(), pagesBefore + 1);
    arena->Free(paged, size);
    EXPECT_EQ(PagesInUse(), pagesBefore);

    for (void* block : inlineBlocks) arena->Free(block, size);
    void* again = arena->Allocate(size);
    EXPECT_TRUE(InInlinePage(sizeClass, again));
    EXPECT_EQ(PagesInUse(), pagesBefore);
    arena->Free(again, size);
  }
}

TEST(PropertyArenaTest, FullPageLeavesTheListAndComesBackWhenABlockIsFreed) {
  constexpr std::uint32_t kSize = 12;
  ArenaPtr arena = NewArena();
  BindingSizeClass& sizeClass = arena->SizeClass(kSize);
  std::vector<void*> blocks;
  for (std::uint32_t i = 0; i < BlocksPerPage(kSize, kInlinePageSize); ++i) {
    blocks.push_back(arena->Allocate(kSize));
  }
  const std::size_t pagesBefore = PagesInUse();
  std::vector<void*> firstPage;
  for (std::uint32_t i = 0; i < BlocksPerPage(kSize, 4096); ++i) {
    firstPage.push_back(arena->Allocate(kSize));
  }
  EXPECT_EQ(PagesInUse(), pagesBefore + 1);
  EXPECT_EQ(sizeClass.freePages, nullptr) << "a full page stays in the free-page list";

  void* onSecondPage = arena->Allocate(kSize);
  EXPECT_EQ(PagesInUse(), pagesBefore + 2);
  void* freed = firstPage[100];
  arena->Free(freed, kSize);
  EXPECT_EQ(arena->Allocate(kSize), freed) << "the page with room comes to the front";

  arena->Free(onSecondPage, kSize);
  EXPECT_EQ(PagesInUse(), pagesBefore + 1);
  for (void* block : firstPage) arena->Free(block, kSize);
  EXPECT_EQ(PagesInUse(), pagesBefore);
  for (void* block : blocks) arena->Free(block, kSize);
}

TEST(PropertyArenaTest, MixedBlocksNeverOverlapAndAllPagesReturn) {
  ArenaPtr arena = NewArena();
  const std::size_t pagesBefore = PagesInUse();
  std::mt19937 random(7);
  struct Held {
    unsigned char* block;
    std::size_t size;
    unsigned char fill;
  };
  std::vector<Held> held;
  for (int i = 0; i < 5000; ++i) {
    const std::size_t size = 1 + random() % kMaxBlockSize;
    auto* block = static_cast<unsigned char*>(arena->Allocate(size));
    const auto fill = static_cast<unsigned char>(i);
    std::memset(block, fill, size);
    held.push_back({block, size, fill});
    if (random() % 3 == 0) {  // free a random earlier block now and then
      const std::size_t victim = random() % held.size();
      arena->Free(held[victim].block, held[victim].size);
      held.erase(held.begin() + static_cast<std::ptrdiff_t>(victim));
    }
  }
  EXPECT_GT(PagesInUse(), pagesBefore);
  for (const Held& h : held) {
    ASSERT_EQ(std::count(h.block, h.block + h.size, h.fill), static_cast<long>(h.size))
        << "a block was overwritten through another";
  }
  std::shuffle(held.begin(), held.end(), random);
  for (const Held& h : held) arena->Free(h.block, h.size);
  EXPECT_EQ(PagesInUse(), pagesBefore);
}

TEST(PropertyArenaTest, InterningSharesOneCountedEntryPerText) {
  ArenaPtr arena = NewArena();
  const InternedString& first = arena->InternString("lobby");
  std::string moved = "lobby";
  const InternedString& second = arena->InternString(std::move(moved));
  const InternedString& third = arena->InternString(std::string_view("lobby!", 5));
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(&first, &third);
  EXPECT_EQ(first.RefCount(), 3u);
  EXPECT_EQ(arena->InternedCount(), 1u);
  for (int i = 0; i < 2; ++i) arena->ReleaseString(first);
  EXPECT_EQ(arena->InternedCount(), 1u);
  EXPECT_EQ(third.RefCount(), 1u);
  arena->ReleaseString(third);
  EXPECT_EQ(arena->InternedCount(), 0u);
}

// A text ends at its first NUL for hashing, comparing and storing alike.
TEST(PropertyArenaTest, TextsEndAtTheirFirstNul) {
  using namespace std::string_literals;
  ArenaPtr arena = NewArena();
  const InternedString& ab = arena->InternString(std::string_view("a\0b", 3));
  const InternedString& ac = arena->InternString("a\0c"s);
  const InternedString& a = arena->InternString("a");
  EXPECT_EQ(&ab, &ac);
  EXPECT_EQ(&ab, &a);
  EXPECT_EQ(ab.Text(), "a");
  EXPECT_EQ(ab.RefCount(), 3u);
  EXPECT_EQ(&arena->InternString(std::string_view("\0x", 2)), &InternedString::Empty());
  for (int i = 0; i < 3; ++i) arena->ReleaseString(a);
  EXPECT_EQ(arena->InternedCount(), 0u);
}

// Short texts live in the entry's block, long ones in a heap string; both read back whole and
// NUL-terminated, and every block and string goes back on release.
TEST(PropertyArenaTest, TextsOfEveryLengthAreStoredWhole) {
  ArenaPtr arena = NewArena();
  arena->ReleaseString(arena->InternString("warm"));  // size classes and buckets stay
  const std::size_t pagesBefore = PagesInUse();
  const CounterValues before = CounterValues::ReadProcess();
  for (std::size_t length = 1; length <= 120; ++length) {
    SCOPED_TRACE(length);
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
    const InternedString& copied = arena->InternString(std::string_view(text));
    EXPECT_EQ(copied.View(), text);
    EXPECT_EQ(std::strlen(copied.CStr()), length);
    EXPECT_EQ(copied.Hash(), Fnv1a32(text));

    std::string other = text;
    other.back() = '!';
    const char* buffer = other.data();
    const InternedString& taken = arena->InternString(std::move(other));
    EXPECT_EQ(taken.View(), text.substr(0, length - 1) + '!');
    if (length > 60) {
      EXPECT_EQ(taken.CStr(), buffer) << "a long text is taken over, not copied";
    }
    arena->ReleaseString(copied);
    arena->ReleaseString(taken);
  }
  EXPECT_EQ(arena->InternedCount(), 0u);
  EXPECT_EQ(PagesInUse(), pagesBefore);
  const CounterValues after = CounterValues::ReadProcess();
  EXPECT_EQ(after.bytesAllocated - before.bytesAllocated, after.bytesFreed - before.bytesFreed);
}

TEST(PropertyArenaTest, EmptyTextIsTheSharedEntryAndAllocatesNothing) {
  ArenaPtr arena = NewArena();
  const CounterValues before = CounterValues::ReadProcess();
  const std::size_t pagesBefore = PagesInUse();
  const InternedString* results[] = {&arena->InternString(""), &arena->InternString(nullptr),
                                     &arena->InternString(std::string()),
                                     &arena->InternString(std::string_view())};
  for (const InternedString* entry : results) {
    EXPECT_EQ(entry, &InternedString::Empty());
    arena->ReleaseString(*entry);
  }
  EXPECT_EQ(InternedString::Empty().RefCount(), 0u);
  EXPECT_EQ(CounterValues::ReadProcess().allocations, before.allocations);
  EXPECT_EQ(PagesInUse(), pagesBefore);
  EXPECT_EQ(arena->InternedCount(), 0u);
}

// Texts that share a hash in the middle: the table places everything anew and still finds it.
TEST(PropertyArenaTest, TableGrowsAndKeepsEveryText) {
  ArenaPtr arena = NewArena();
  std::vector<std::string> texts;
  for (int i = 0; i < 3000; ++i) texts.push_back(std::to_string(i));
  const std::vector<std::string> colliding = Testing::CollidingKeys("c", 8);
  texts.insert(texts.begin() + 1000, colliding.begin(), colliding.end());
  std::vector<const InternedString*> entries;
  for (const std::string& text : texts) entries.push_back(&arena->InternString(text));
  EXPECT_EQ(arena->InternedCount(), 3256u);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const InternedString& again = arena->InternString(texts[i]);
    ASSERT_EQ(&again, entries[i]) << texts[i];
    EXPECT_EQ(again.Text(), texts[i]);
    EXPECT_EQ(again.Hash(), Fnv1a32(texts[i]));
    arena->ReleaseString(again);
  }
  for (const InternedString* entry : entries) arena->ReleaseString(*entry);
  EXPECT_EQ(arena->InternedCount(), 0u);

  // Texts still held when an arena goes (a root's destruction leaves them) go with it, the heap
  // strings of long ones included.
  const CounterValues before = CounterValues::ReadProcess();
  const std::size_t pagesBefore = PagesInUse();
  {
    ArenaPtr held = NewArena();
    for (int i = 0; i < 3000; ++i) {
      (void)held->InternString(std::string(i % 2 == 0 ? 8 : 80, 'x') + std::to_string(i));
    }
    EXPECT_GT(PagesInUse(), pagesBefore);
  }
  const CounterValues after = CounterValues::ReadProcess();
  EXPECT_EQ(after.bytesAllocated - before.bytesAllocated, after.bytesFreed - before.bytesFreed);
  EXPECT_EQ(PagesInUse(), pagesBefore);
}

TEST(PropertyArenaTest, PoolAllocatorTakesSingleObjectsFromTheArena) {
  ArenaPtr arena = NewArena();
  PoolAllocator<std::uint32_t> allocator(*arena);
  EXPECT_EQ(allocator.allocate(0), nullptr);
  BindingSizeClass& fourBytes = arena->SizeClass(4);  // the classes come into being here

  const CounterValues before = CounterValues::ReadProcess();
  std::uint32_t* one = allocator.allocate(1);
  EXPECT_TRUE(InInlinePage(fourBytes, one));
  EXPECT_EQ(CounterValues::ReadProcess().allocations, before.allocations);
  std::uint32_t* many = allocator.allocate(3);
  EXPECT_FALSE(InInlinePage(fourBytes, many));
  EXPECT_EQ(CounterValues::ReadProcess().allocations, before.allocations + 1);
  allocator.deallocate(many, 3);
  allocator.deallocate(one, 1);
  EXPECT_EQ(CounterValues::ReadProcess().frees, before.frees + 1);

  EXPECT_EQ(allocator.max_size(), 1073741823u);
  EXPECT_THROW(static_cast<void>(allocator.allocate(1073741824u)), std::bad_alloc);
}

#if defined(__SANITIZE_ADDRESS__)
TEST(PropertyArenaDeathTest, UseOfAFreedBlockIsReported) {
  EXPECT_DEATH(
      {
        ArenaPtr arena = NewArena();
        auto* block = static_cast<volatile std::uint64_t*>(arena->Allocate(24));
        arena->Free(const_cast<std::uint64_t*>(block), 24);
        std::uint64_t read = block[1];
        (void)read;
      },
      "use-after-poison");
}

TEST(PropertyArenaDeathTest, UseOfAReturnedPageIsReported) {
  EXPECT_DEATH(
      {
        // Other pages of the reservation stay out, so that it stays mapped.
        PageSource& source = PageSource::Instance();
        std::vector<void*> pages;
        for (int i = 0; i < 16; ++i) pages.push_back(source.AllocatePage());
        source.ReleasePage(pages[5]);
        unsigned char read = static_cast<volatile unsigned char*>(pages[5])[100];
        (void)read;
      },
      "use-after-poison");
}
#endif

}  // namespace
