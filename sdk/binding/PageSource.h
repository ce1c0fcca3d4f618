// The process-wide source of the 4096-byte pages on which every value arena builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace Zarn {

// Reserves address space 64 KB at a time, cuts each reservation into 16 pages and hands them
// out one by one; a reservation is given back to the system as soon as all 16 of its pages have
// come back. Thread-safe: one mutex guards both tables and every reservation change. It is made
// on first use and never destroyed.
class PageSource {
 public:
  static constexpr std::size_t kPageSize = 4096;
  static constexpr std::size_t kReservationSize = 65536;
  static constexpr std::size_t kPagesPerReservation = kReservationSize / kPageSize;

  PageSource(const PageSource&) = delete;
  PageSource& operator=(const PageSource&) = delete;

  [[nodiscard]] static PageSource& Instance();

  // One committed, readable and writable page aligned to kPageSize; its contents are
  // unspecified. Throws std::bad_alloc when the system refuses a new reservation, and
  // std::system_error when the mutex fails.
  [[nodiscard]] void* AllocatePage();

  // Takes back a page that AllocatePage handed out; the page must not be used afterwards.
  // Throws std::system_error when the mutex fails.
  void ReleasePage(void* page);

  // Reservations held now, and pages handed out and not yet returned.
  [[nodiscard]] std::size_t ReservationCount() const;
  [[nodiscard]] std::size_t PagesInUse() const;

 private:
  // One reservation and the pages of it that are free, taken from the back.
  struct Block {
    char* base = nullptr;
    void* freePages[kPagesPerReservation] = {};
    std::uint32_t freeCount = 0;
    // Links of the free-block set, which is kept inside the blocks so that taking a page back
    // never allocates.
    Block* nextFree = nullptr;
    Block* prevFree = nullptr;
    bool inFreeSet = false;
  };

  PageSource() = default;
  ~PageSource() = delete;

  // An entry of the page table; a null page marks a free slot.
  struct PageSlot {
    const void* page;
    Block* block;
  };

  Block* Reserve();
  void ReleaseBlock(Block* block) noexcept;
  void AddFree(Block* block) noexcept;
  void RemoveFree(Block* block) noexcept;

  // The page table: open addressing with linear probing, at most half full, so that entering
  // and removing a page never allocates. It grows before a reservation is made and never
  // shrinks.
  void ReserveSlots(std::size_t pages);
  [[nodiscard]] std::size_t HomeSlot(const void* page) const noexcept;
  void EnterPage(const void* page, Block* block) noexcept;
  [[nodiscard]] Block* FindPage(const void* page) const noexcept;
  void RemovePage(const void* page) noexcept;

  mutable std::mutex mutex_;
  PageSlot* pageTable_ = nullptr;
  std::size_t slotCount_ = 0;    // 0 or a power of two
  std::size_t pageCount_ = 0;    // pages entered: 16 per reservation held
  Block* freeBlocks_ = nullptr;  // the blocks with at least one free page
  std::size_t pagesInUse_ = 0;
};

}  // namespace Zarn
