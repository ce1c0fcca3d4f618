// The memory of one value tree: fixed-size blocks from 18 size classes, and the tree's texts
// interned with reference counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "sdk/binding/BindingPoolPage.h"
#include "sdk/binding/InternedString.h"
#include "sdk/binding/PageSource.h"
#include "sdk/platform/MemoryPoisoning.h"

namespace Zarn {

inline constexpr std::size_t kSizeClassCount = 18;
inline constexpr std::size_t kMaxBlockSize = 4 * kSizeClassCount;  // 72
inline constexpr std::size_t kInlinePageSize = 144;

// Class k serves blocks of 4 * (k + 1) bytes. Its inline page serves the first blocks of a
// small tree without a 4096-byte page. The inline page is laid out when the class gives its first
// block: most trees use a few classes, and a short-lived tree should not write all 18 pages.
struct BindingSizeClass {
  BindingPoolPage* freePages = nullptr;  // first page with a free slot, or null
  bool inlinePageReady = false;          // the inline page has been laid out
  alignas(8) unsigned char inlinePage[kInlinePageSize];
};

// The interned-string table: a chained hash set at a load factor of at most 1. Entries are
// placed by their FNV-1a hash until a chain grows long, which texts chosen to collide make; from
// then on the table places them by KeyedHash, which no sender can aim at. Its entries are arena
// blocks; its bucket array comes from PoolAllocator.
class InternTable {
 public:
  InternTable() noexcept = default;
  InternTable(const InternTable&) = delete;
  InternTable& operator=(const InternTable&) = delete;

  // The entry equal to `text` (whose FNV-1a hash is `hash`), or null. A miss that passed a long
  // chain has the Insert after it place every entry by KeyedHash from then on.
  [[nodiscard]] InternedString* Find(std::string_view text, std::uint32_t hash) const noexcept;
  // Adds `entry`, which no entry of the table equals (a Find has just said so). Throws
  // std::bad_alloc when the bucket array cannot grow.
  void Insert(PropertyArena& arena, InternedString* entry);
  void Remove(InternedString* entry) noexcept;
  // Frees the bucket array and empties the table; the entries it still held, chained through
  // their links (null when none), are the caller's to free.
  [[nodiscard]] InternedString* FreeBuckets(PropertyArena& arena) noexcept;
  [[nodiscard]] std::size_t Size() const noexcept { return size_; }

 private:
  // The placement of an entry whose text and FNV-1a hash are given.
  [[nodiscard]] std::uint32_t Placement(std::string_view text, std::uint32_t hash) const noexcept {
    return keyed_ ? KeyedPlacement(text) : hash;
  }
  [[nodiscard]] static std::uint32_t KeyedPlacement(std::string_view text) noexcept;
  // Places every entry anew in `bucketCount` buckets, by KeyedHash when `keyed`. Throws
  // std::bad_alloc, the table unchanged, when the bucket array cannot be had.
  void Rehash(PropertyArena& arena, std::uint32_t bucketCount, bool keyed);

  InternedString** buckets_ = nullptr;
  std::uint32_t bucketCount_ = 0;  // 0 or a power of two
  std::uint32_t size_ = 0;
  bool keyed_ = false;  // placed by KeyedHash
  // Set by a Find that missed after passing a long chain, for the Insert that follows it.
  mutable bool longChain_ = false;
};

// The arena of one value tree, owned by the tree's root (Zarn::BindingProperty). Not
// thread-safe: a tree is used by one thread at a time. Its record and size classes come from
// the allocator hooks, its 4096-byte pages from PageSource.
class PropertyArena {
 public:
  PropertyArena(const PropertyArena&) = delete;
  PropertyArena& operator=(const PropertyArena&) = delete;

  // A new, empty arena. Throws std::bad_alloc when memory cannot be had.
  [[nodiscard]] static PropertyArena* Create();
  // Frees the arena: the interned texts still in its table (a root's destruction leaves them
  // there), then the arena itself; every other block must have been returned. Null does nothing.
  static void Destroy(PropertyArena* arena) noexcept;

  // A block of `size` bytes (1 to 72), aligned to 4 and to 8 when `size` is a multiple of 8;
  // contents unspecified. Throws std::bad_alloc when no page can be had. Inline: most blocks
  // come from a page the class already has.
  [[nodiscard]] void* Allocate(std::size_t size) {
    if (classes_ != nullptr) {
      BindingSizeClass& sizeClass = classes_[ClassIndex(size)];
      if (sizeClass.freePages != nullptr) return TakeSlot(sizeClass, SlotSize(size));
    }
    return AllocateOnNewPage(size);
  }
  // Returns a block of `size` bytes that Allocate gave.
  void Free(void* block, std::size_t size) noexcept {
    BindingSizeClass& sizeClass = classes_[ClassIndex(size)];
    Free(sizeClass, size, PageOf(sizeClass, block), block);
  }
  // Returns a block whose class and page the caller already knows: the class's inline page when
  // the block lies in it, else the block's address rounded down to a multiple of 4096.
  void Free(BindingSizeClass& sizeClass, std::size_t size, BindingPoolPage* page,
            void* block) noexcept {
    const std::uint32_t slotSize = SlotSize(size);
    if (page->firstFree == 0) {
      page->prev = nullptr;
      page->next = sizeClass.freePages;
      if (page->next != nullptr) page->next->prev = page;
      sizeClass.freePages = page;
    }
    const auto slot = static_cast<std::uint16_t>(
        (static_cast<unsigned char*>(block) - reinterpret_cast<unsigned char*>(page)) / slotSize);
    std::memcpy(block, &page->firstFree, sizeof page->firstFree);
    page->firstFree = slot;
    --page->used;
    Platform::PoisonMemory(block, slotSize);
    if (page->used == 0 && !InInlinePage(sizeClass, page)) ReleaseEmptyPage(sizeClass, page);
  }

  // The class entry for blocks of `size` bytes (1 to 72); the first call creates all 18.
  [[nodiscard]] BindingSizeClass& SizeClass(std::size_t size);
  // The page of `sizeClass` that holds `block`.
  [[nodiscard]] static BindingPoolPage* PageOf(BindingSizeClass& sizeClass, void* block) noexcept {
    if (InInlinePage(sizeClass, block)) {
      return reinterpret_cast<BindingPoolPage*>(sizeClass.inlinePage);
    }
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    return reinterpret_cast<BindingPoolPage*>(address &
                                              ~(std::uintptr_t{PageSource::kPageSize} - 1));
  }

  // The interned string for `text` (up to its first NUL) with its count raised by one. The empty
  // text gives InternedString::Empty() and counts nothing. The C-string form takes null as
  // empty; the taken-over form moves the text into a new entry instead of copying it. Lookups
  // copy nothing. Throws std::bad_alloc when memory cannot be had.
  const InternedString& InternString(const char* text);
  const InternedString& InternString(std::string_view text);
  const InternedString& InternString(std::string&& text);
  // InternString(text) for member names, which repeat: a cache of recent names is looked at
  // before the text is hashed.
  const InternedString& InternName(std::string_view text);
  // As InternString(text) for a text without NUL whose FNV-1a hash the caller already knows.
  const InternedString& InternString(std::string_view text, std::uint32_t hash);
  // Drops one reference; at 0 the entry leaves the table and is freed. The shared empty string
  // is ignored. `entry` must come from this arena.
  void ReleaseString(const InternedString& entry) noexcept;
  // Entries of the interned-string table.
  [[nodiscard]] std::size_t InternedCount() const noexcept { return table_.Size(); }

  // The member name that a structure of this tree is placing after all of its names, while it
  // does (null otherwise): the member order knows where that name goes without comparing texts.
  [[nodiscard]] const InternedString* AppendingName() const noexcept { return appendingName_; }
  void SetAppendingName(const InternedString* name) noexcept { appendingName_ = name; }

 private:
  // Leaves recent_ unset: it is filled when first used.
  PropertyArena() noexcept {}
  ~PropertyArena() = default;

  // The size of a class's slots, and the class that serves blocks of `size` bytes (1 to 72).
  [[nodiscard]] static constexpr std::uint32_t SlotSize(std::size_t size) noexcept {
    return static_cast<std::uint32_t>((size + 3) & ~std::size_t{3});
  }
  [[nodiscard]] static constexpr std::size_t ClassIndex(std::size_t size) noexcept {
    return (size + 3) / 4 - 1;
  }
  [[nodiscard]] static bool InInlinePage(BindingSizeClass& sizeClass, const void* block) noexcept {
    const auto* bytes = static_cast<const unsigned char*>(block);
    return bytes >= sizeClass.inlinePage && bytes < sizeClass.inlinePage + kInlinePageSize;
  }
  // The slot named by the first free index of the class's first page, which leaves the class's
  // list when that fills it.
  static void* TakeSlot(BindingSizeClass& sizeClass, std::uint32_t slotSize) noexcept {
    BindingPoolPage* page = sizeClass.freePages;
    unsigned char* block = reinterpret_cast<unsigned char*>(page) + page->firstFree * slotSize;
    Platform::UnpoisonMemory(block, slotSize);
    std::uint16_t next;
    std::memcpy(&next, block, sizeof next);
    page->firstFree = next;
    ++page->used;
    if (next == 0) {
      sizeClass.freePages = page->next;
      if (page->next != nullptr) page->next->prev = nullptr;
      page->next = nullptr;
    }
    return block;
  }
  // Allocate when the class has no free page (or the classes do not exist yet): the inline page
  // if it was never used, else a new page of the PageSource.
  void* AllocateOnNewPage(std::size_t size);
  // Takes an empty 4096-byte page out of the class's list and gives it back to the PageSource.
  static void ReleaseEmptyPage(BindingSizeClass& sizeClass, BindingPoolPage* page) noexcept;

  // A new table entry for `text` (no NUL, not empty) with count 0; a long text is moved out of
  // `owned` when that is not null (it then holds `text`).
  InternedString& AddEntry(std::string_view text, std::uint32_t hash, std::string* owned);
  void DestroyEntry(InternedString* entry) noexcept;

  // A cache of recently interned member names in front of the table, for trees that hold many
  // texts: a name found here needs no hash. An entry is kept in the slot that its length and its
  // first, middle and last bytes choose, and leaves it when it is freed.
  static constexpr std::size_t kRecentSlots = 64;
  static constexpr std::size_t kRecentFrom = 32;  // entries in the table before the cache is used
  [[nodiscard]] static std::size_t RecentSlot(std::string_view text) noexcept;
  [[nodiscard]] InternedString* FindRecent(std::string_view text) const noexcept;
  void RememberRecent(InternedString* entry) noexcept;

  BindingSizeClass* classes_ = nullptr;  // kSizeClassCount entries once a block was asked for
  InternTable table_;
  const InternedString* appendingName_ = nullptr;
  bool recentInUse_ = false;              // recent_ holds entries or nulls only once this is set
  InternedString* recent_[kRecentSlots];  // set only once recentInUse_ is
};

}  // namespace Zarn
