#include "sdk/binding/PageSource.h"

#include <cassert>
#include <new>

#include "sdk/platform/MemoryPoisoning.h"
#include "sdk/platform/VirtualMemory.h"

namespace Zarn {

PageSource& PageSource::Instance() {
  // Never destroyed: arenas of static values may return pages during exit.
  static PageSource* const instance = new PageSource();
  return *instance;
}

void* PageSource::AllocatePage() {
  std::lock_guard<std::mutex> lock(mutex_);
  Block* block = freeBlocks_ == nullptr ? Reserve() : freeBlocks_;
  void* page = block->freePages[--block->freeCount];
  if (block->freeCount == 0) RemoveFree(block);
  ++pagesInUse_;
  Platform::UnpoisonMemory(page, kPageSize);
  return page;
}

void PageSource::ReleasePage(void* page) {
  std::lock_guard<std::mutex> lock(mutex_);
  Block* block = FindPage(page);
  assert(block != nullptr && "page not handed out by this source");
  if (block == nullptr) return;
  Platform::PoisonMemory(page, kPageSize);
  block->freePages[block->freeCount++] = page;
  --pagesInUse_;
  if (block->freeCount == kPagesPerReservation) {
    ReleaseBlock(block);
  } else {
    AddFree(block);
  }
}

std::size_t PageSource::ReservationCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pageCount_ / kPagesPerReservation;
}

std::size_t PageSource::PagesInUse() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pagesInUse_;
}

// Called under the mutex when no block has a free page. Pages are listed from the highest down,
// so that taking from the back hands them out in rising address order.
PageSource::Block* PageSource::Reserve() {
  ReserveSlots(pageCount_ + kPagesPerReservation);
  auto* block = new Block;
  char* base = static_cast<char*>(Platform::ReserveAndCommit(kReservationSize));
  if (base == nullptr) {
    delete block;
    throw std::bad_alloc();
  }
  block->base = base;
  for (std::size_t i = kPagesPerReservation; i-- > 0;) {
    void* page = base + i * kPageSize;
    block->freePages[block->freeCount++] = page;
    EnterPage(page, block);
  }
  AddFree(block);
  return block;
}

// Called under the mutex once all pages of `block` are back.
void PageSource::ReleaseBlock(Block* block) noexcept {
  RemoveFree(block);
  for (std::size_t i = 0; i < kPagesPerReservation; ++i) RemovePage(block->base + i * kPageSize);
  // Clear the poison so that a later mapping at the same address starts clean.
  Platform::UnpoisonMemory(block->base, kReservationSize);
  Platform::ReleaseReservation(block->base, kReservationSize);
  delete block;
}

void PageSource::AddFree(Block* block) noexcept {
  if (block->inFreeSet) return;
  block->inFreeSet = true;
  block->prevFree = nullptr;
  block->nextFree = freeBlocks_;
  if (freeBlocks_ != nullptr) freeBlocks_->prevFree = block;
  freeBlocks_ = block;
}

void PageSource::RemoveFree(Block* block) noexcept {
  if (!block->inFreeSet) return;
  block->inFreeSet = false;
  if (block->prevFree != nullptr) {
    block->prevFree->nextFree = block->nextFree;
  } else {
    freeBlocks_ = block->nextFree;
  }
  if (block->nextFree != nullptr) block->nextFree->prevFree = block->prevFree;
  block->nextFree = block->prevFree = nullptr;
}

// Called under the mutex. Room for `pages` entries at a load of at most one half.
void PageSource::ReserveSlots(std::size_t pages) {
  if (pages * 2 <= slotCount_) return;
  std::size_t count = slotCount_ == 0 ? 4 * kPagesPerReservation : slotCount_;
  while (pages * 2 > count) count *= 2;
  auto* slots = new PageSlot[count]();
  PageSlot* const old = pageTable_;
  const std::size_t oldCount = slotCount_;
  pageTable_ = slots;
  slotCount_ = count;
  pageCount_ = 0;
  for (std::size_t i = 0; i < oldCount; ++i) {
    if (old[i].page != nullptr) EnterPage(old[i].page, old[i].block);
  }
  delete[] old;
}

// Fibonacci hashing of the page number spreads neighbouring pages over the table.
std::size_t PageSource::HomeSlot(const void* page) const noexcept {
  const std::uint64_t number = reinterpret_cast<std::uintptr_t>(page) / kPageSize;
  return static_cast<std::size_t>((number * 0x9E3779B97F4A7C15ull) >> 32) & (slotCount_ - 1);
}

void PageSource::EnterPage(const void* page, Block* block) noexcept {
  std::size_t i = HomeSlot(page);
  while (pageTable_[i].page != nullptr) i = (i + 1) & (slotCount_ - 1);
  pageTable_[i] = PageSlot{page, block};
  ++pageCount_;
}

PageSource::Block* PageSource::FindPage(const void* page) const noexcept {
  if (slotCount_ == 0) return nullptr;
  for (std::size_t i = HomeSlot(page); pageTable_[i].page != nullptr;
       i = (i + 1) & (slotCount_ - 1)) {
    if (pageTable_[i].page == page) return pageTable_[i].block;
  }
  return nullptr;
}

// Backward-shift deletion: the entries after the hole that may move into it do, so that every
// probe sequence stays unbroken without tombstones.
void PageSource::RemovePage(const void* page) noexcept {
  const std::size_t mask = slotCount_ - 1;
  std::size_t hole = HomeSlot(page);
  while (pageTable_[hole].page != page) hole = (hole + 1) & mask;
  for (std::size_t i = (hole + 1) & mask; pageTable_[i].page != nullptr; i = (i + 1) & mask) {
    const std::size_t home = HomeSlot(pageTable_[i].page);
    // The entry may fill the hole when its home does not lie cyclically in (hole, i].
    if (((i - home) & mask) >= ((i - hole) & mask)) {
      pageTable_[hole] = pageTable_[i];
      hole = i;
    }
  }
  pageTable_[hole] = PageSlot{nullptr, nullptr};
  --pageCount_;
}

}  // namespace Zarn
