#include "sdk/binding/PropertyArena.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

#include "sdk/base/Fnv1a.h"
#include "sdk/base/KeyedHash.h"
#include "sdk/base/MemoryHooks.h"
#include "sdk/binding/PageSource.h"
#include "sdk/binding/PoolAllocator.h"
#include "sdk/platform/MemoryPoisoning.h"

namespace Zarn {
namespace {

constexpr std::uint32_t kInitialBucketCount = 8;
// Each bucket array is a heap block: growing fourfold makes a large tree's table in few of them.
constexpr std::uint32_t kGrowthFactor = 4;
// A chain this long is not chance at a load factor of at most 1 (about 2e-14 a bucket): its texts
// were chosen to collide.
constexpr std::uint32_t kLongChain = 16;

// An entry's block holds the entry and then either its text with the terminator, when that fits
// a block, or a heap string.
constexpr std::size_t kEntryHeaderSize = sizeof(InternedString);
static_assert(kEntryHeaderSize % alignof(std::string) == 0);
static_assert(kEntryHeaderSize + sizeof(std::string) <= kMaxBlockSize);

constexpr bool StoredInline(std::size_t size) noexcept {
  return kEntryHeaderSize + size + 1 <= kMaxBlockSize;
}

// Rounded to the entry's alignment, so that entries of every length stay aligned.
constexpr std::size_t EntryBlockSize(std::size_t size) noexcept {
  const std::size_t bytes =
      kEntryHeaderSize + (StoredInline(size) ? size + 1 : sizeof(std::string));
  return (bytes + alignof(InternedString) - 1) & ~(alignof(InternedString) - 1);
}

std::string* LongText(InternedString* entry) noexcept {
  return reinterpret_cast<std::string*>(reinterpret_cast<unsigned char*>(entry) + kEntryHeaderSize);
}

// The text up to its first NUL and its FNV-1a hash, in one pass.
struct CutText {
  std::string_view text;
  std::uint32_t hash;
};

CutText HashUpToNul(std::string_view text) noexcept {
  std::uint32_t hash = kFnv1a32OffsetBasis;
  std::size_t length = 0;
  for (; length < text.size(); ++length) {
    const auto byte = static_cast<unsigned char>(text[length]);
    if (byte == 0) break;
    hash = (hash ^ byte) * kFnv1a32Prime;
  }
  return {text.substr(0, length), hash};
}

}  // namespace

// --- InternTable

std::uint32_t InternTable::KeyedPlacement(std::string_view text) noexcept {
  return static_cast<std::uint32_t>(KeyedHash(text));
}

InternedString* InternTable::Find(std::string_view text, std::uint32_t hash) const noexcept {
  if (bucketCount_ == 0) return nullptr;
  std::uint32_t passed = 0;
  for (InternedString* entry = buckets_[Placement(text, hash) & (bucketCount_ - 1)];
       entry != nullptr; entry = entry->next_) {
    if (entry->hash_ == hash && entry->View() == text) return entry;
    ++passed;
  }
  if (passed >= kLongChain) longChain_ = true;
  return nullptr;
}

void InternTable::Insert(PropertyArena& arena, InternedString* entry) {
  if (longChain_) {
    longChain_ = false;
    if (!keyed_) Rehash(arena, bucketCount_, true);
  }
  if (size_ + 1 > bucketCount_) {
    Rehash(arena, bucketCount_ == 0 ? kInitialBucketCount : bucketCount_ * kGrowthFactor, keyed_);
  }
  InternedString*& head = buckets_[Placement(entry->View(), entry->hash_) & (bucketCount_ - 1)];
  entry->next_ = head;
  head = entry;
  ++size_;
}

void InternTable::Remove(InternedString* entry) noexcept {
  InternedString** link = &buckets_[Placement(entry->View(), entry->hash_) & (bucketCount_ - 1)];
  while (*link != entry) link = &(*link)->next_;
  *link = entry->next_;
  entry->next_ = nullptr;
  --size_;
}

void InternTable::Rehash(PropertyArena& arena, std::uint32_t bucketCount, bool keyed) {
  PoolAllocator<InternedString*> allocator(arena);
  InternedString** buckets = allocator.allocate(bucketCount);
  std::fill(buckets, buckets + bucketCount, nullptr);
  keyed_ = keyed;
  for (std::uint32_t i = 0; i < bucketCount_; ++i) {
    for (InternedString* entry = buckets_[i]; entry != nullptr;) {
      InternedString* next = entry->next_;
      InternedString*& head = buckets[Placement(entry->View(), entry->hash_) & (bucketCount - 1)];
      entry->next_ = head;
      head = entry;
      entry = next;
    }
  }
  allocator.deallocate(buckets_, bucketCount_);
  buckets_ = buckets;
  bucketCount_ = bucketCount;
}

InternedString* InternTable::FreeBuckets(PropertyArena& arena) noexcept {
  InternedString* entries = nullptr;
  for (std::uint32_t i = 0; i < bucketCount_; ++i) {
    for (InternedString* entry = buckets_[i]; entry != nullptr;) {
      InternedString* next = entry->next_;
      entry->next_ = entries;
      entries = entry;
      entry = next;
    }
  }
  PoolAllocator<InternedString*>(arena).deallocate(buckets_, bucketCount_);
  buckets_ = nullptr;
  bucketCount_ = 0;
  size_ = 0;
  keyed_ = false;
  return entries;
}

// --- PropertyArena

PropertyArena* PropertyArena::Create() {
  void* memory = MemoryHooks::Alloc(sizeof(PropertyArena));
  if (memory == nullptr) throw std::bad_alloc();
  return new (memory) PropertyArena();
}

void PropertyArena::Destroy(PropertyArena* arena) noexcept {
  if (arena == nullptr) return;
  // The table's bucket array goes first, then its entries.
  InternedString* entries = arena->table_.FreeBuckets(*arena);
  arena->recentInUse_ = false;  // nothing is looked up any more
  while (entries != nullptr) {
    InternedString* next = entries->next_;
    arena->DestroyEntry(entries);
    entries = next;
  }
  if (arena->classes_ != nullptr) {
    // The inline pages go back to the heap: the sanitizer must see them as plain memory again.
    Platform::UnpoisonMemory(arena->classes_, kSizeClassCount * sizeof(BindingSizeClass));
    MemoryHooks::Free(arena->classes_);
  }
  arena->~PropertyArena();
  MemoryHooks::Free(arena);
}

BindingSizeClass& PropertyArena::SizeClass(std::size_t size) {
  assert(size >= 1 && size <= kMaxBlockSize);
  if (classes_ == nullptr) {
    void* memory = MemoryHooks::Alloc(kSizeClassCount * sizeof(BindingSizeClass));
    if (memory == nullptr) throw std::bad_alloc();
    auto* classes = static_cast<BindingSizeClass*>(memory);
    for (std::size_t k = 0; k < kSizeClassCount; ++k) new (&classes[k]) BindingSizeClass;
    classes_ = classes;
  }
  return classes_[ClassIndex(size)];
}

void* PropertyArena::AllocateOnNewPage(std::size_t size) {
  BindingSizeClass& sizeClass = SizeClass(size);
  const std::uint32_t slotSize = SlotSize(size);
  if (sizeClass.freePages == nullptr) {
    if (!sizeClass.inlinePageReady) {
      BindingPoolPage::Init(sizeClass, slotSize, sizeClass.inlinePage, kInlinePageSize);
      sizeClass.inlinePageReady = true;
    } else {
      BindingPoolPage::Init(sizeClass, slotSize, PageSource::Instance().AllocatePage(),
                            static_cast<std::uint16_t>(PageSource::kPageSize));
    }
  }
  return TakeSlot(sizeClass, slotSize);
}

void PropertyArena::ReleaseEmptyPage(BindingSizeClass& sizeClass, BindingPoolPage* page) noexcept {
  if (page->prev != nullptr) {
    page->prev->next = page->next;
  } else {
    sizeClass.freePages = page->next;
  }
  if (page->next != nullptr) page->next->prev = page->prev;
  PageSource::Instance().ReleasePage(page);
}

const InternedString& PropertyArena::InternString(const char* text) {
  return InternString(text == nullptr ? std::string_view() : std::string_view(text));
}

const InternedString& PropertyArena::InternString(std::string_view text) {
  const CutText cut = HashUpToNul(text);
  return InternString(cut.text, cut.hash);
}

const InternedString& PropertyArena::InternName(std::string_view text) {
  if (text.empty()) return InternedString::Empty();
  if (InternedString* recent = FindRecent(text)) {
    ++recent->refCount_;
    return *recent;
  }
  const CutText cut = HashUpToNul(text);
  const InternedString& entry = InternString(cut.text, cut.hash);
  if (&entry != &InternedString::Empty()) RememberRecent(const_cast<InternedString*>(&entry));
  return entry;
}

std::size_t PropertyArena::RecentSlot(std::string_view text) noexcept {
  const auto first = static_cast<unsigned char>(text.front());
  const auto middle = static_cast<unsigned char>(text[text.size() / 2]);
  const auto last = static_cast<unsigned char>(text.back());
  return (text.size() * 131 + first * 31 + middle * 7 + last) & (kRecentSlots - 1);
}

// A stored text never holds a NUL, so bytes that match it whole are the text up to its NUL.
InternedString* PropertyArena::FindRecent(std::string_view text) const noexcept {
  if (!recentInUse_) return nullptr;
  InternedString* entry = recent_[RecentSlot(text)];
  if (entry == nullptr || entry->size_ != text.size()) return nullptr;
  return std::memcmp(entry->data_, text.data(), text.size()) == 0 ? entry : nullptr;
}

void PropertyArena::RememberRecent(InternedString* entry) noexcept {
  if (!recentInUse_) {
    if (table_.Size() < kRecentFrom) return;
    std::fill(std::begin(recent_), std::end(recent_), nullptr);
    recentInUse_ = true;
  }
  recent_[RecentSlot(entry->View())] = entry;
}

const InternedString& PropertyArena::InternString(std::string_view text, std::uint32_t hash) {
  if (text.empty()) return InternedString::Empty();
  InternedString* entry = table_.Find(text, hash);
  if (entry == nullptr) entry = &AddEntry(text, hash, nullptr);
  ++entry->refCount_;
  return *entry;
}

const InternedString& PropertyArena::InternString(std::string&& text) {
  const CutText cut = HashUpToNul(text);
  if (cut.text.empty()) return InternedString::Empty();
  InternedString* entry = table_.Find(cut.text, cut.hash);
  if (entry == nullptr) {
    text.resize(cut.text.size());
    entry = &AddEntry(text, cut.hash, &text);
  }
  ++entry->refCount_;
  return *entry;
}

InternedString& PropertyArena::AddEntry(std::string_view text, std::uint32_t hash,
                                        std::string* owned) {
  if (text.size() > UINT32_MAX) throw std::length_error("PropertyArena: text too long");
  const std::size_t blockSize = EntryBlockSize(text.size());
  void* block = Allocate(blockSize);
  auto* entry = new (block) InternedString();
  if (StoredInline(text.size())) {
    char* chars = static_cast<char*>(block) + kEntryHeaderSize;
    std::memcpy(chars, text.data(), text.size());
    chars[text.size()] = '\0';
    entry->data_ = chars;
  } else {
    try {
      std::string* longText = owned != nullptr ? new (LongText(entry))
                                                     std::string(std::move(*owned))
                                               : new (LongText(entry)) std::string(text);
      entry->data_ = longText->c_str();
    } catch (...) {
      Free(block, blockSize);
      throw;
    }
  }
  entry->size_ = static_cast<std::uint32_t>(text.size());
  entry->hash_ = hash;
  try {
    table_.Insert(*this, entry);
  } catch (...) {
    DestroyEntry(entry);
    throw;
  }
  return *entry;
}

void PropertyArena::DestroyEntry(InternedString* entry) noexcept {
  const std::size_t size = entry->size_;
  if (recentInUse_) {
    InternedString*& recent = recent_[RecentSlot(entry->View())];
    if (recent == entry) recent = nullptr;
  }
  if (!StoredInline(size)) std::destroy_at(LongText(entry));
  entry->~InternedString();
  Free(entry, EntryBlockSize(size));
}

void PropertyArena::ReleaseString(const InternedString& entry) noexcept {
  if (&entry == &InternedString::Empty()) return;
  auto& mutableEntry = const_cast<InternedString&>(entry);
  if (--mutableEntry.refCount_ != 0) return;
  table_.Remove(&mutableEntry);
  DestroyEntry(&mutableEntry);
}

}  // namespace Zarn
