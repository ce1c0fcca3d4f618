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
  const auto found = pageTable_.find(page);
  assert(found != pageTable_.end() && "page not handed out by this source");
  if (found == pageTable_.end()) return;
  Block* block = found->second;
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
  return pageTable_.size() / kPagesPerReservation;
}

std::size_t PageSource::PagesInUse() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pagesInUse_;
}

// Called under the mutex when no block has a free page. Pages are listed from the highest down,
// so that taking from the back hands them out in rising address order.
PageSource::Block* PageSource::Reserve() {
  char* base = static_cast<char*>(Platform::ReserveAndCommit(kReservationSize));
  if (base == nullptr) throw std::bad_alloc();
  Block* block = nullptr;
  try {
    block = new Block;
    block->base = base;
    for (std::size_t i = kPagesPerReservation; i-- > 0;) {
      void* page = base + i * kPageSize;
      block->freePages[block->freeCount++] = page;
      pageTable_.emplace(page, block);
    }
  } catch (...) {
    for (std::size_t i = 0; i < kPagesPerReservation; ++i) pageTable_.erase(base + i * kPageSize);
    delete block;
    Platform::ReleaseReservation(base, kReservationSize);
    throw;
  }
  AddFree(block);
  return block;
}

// Called under the mutex once all pages of `block` are back.
void PageSource::ReleaseBlock(Block* block) noexcept {
  RemoveFree(block);
  for (std::size_t i = 0; i < kPagesPerReservation; ++i) {
    pageTable_.erase(block->base + i * kPageSize);
  }
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

}  // namespace Zarn
