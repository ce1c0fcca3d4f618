// The page layout shared by every size class of a value arena.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Zarn {

struct BindingSizeClass;

// Header at the start of every pool page (a class's inline page or a 4096-byte page of the
// PageSource). The page is cut into slots of the class size; slot i starts at byte i * size and
// the slots that overlap this header are never used. A free slot holds in its first two bytes
// the index of the next free slot; index 0 (always under the header) ends the chain.
struct BindingPoolPage {
  BindingPoolPage* next;    // next page of the class's free-page list; null at the end
  BindingPoolPage* prev;    // previous page of that list; null at the front
  std::uint16_t pageSize;   // 144 or 4096
  std::uint16_t used;       // slots in use
  std::uint16_t firstFree;  // first free slot; 0 when the page is full

  // Writes the header and the free chain of `page` for slots of `slotSize` bytes and makes it
  // the head of the class's free-page list. The free slots are poisoned for the sanitizer.
  static void Init(BindingSizeClass& sizeClass, std::uint32_t slotSize, void* page,
                   std::uint16_t pageSize) noexcept;

  // The first slot that lies wholly behind the header, and the number of slots of a page.
  [[nodiscard]] static constexpr std::uint32_t FirstSlot(std::uint32_t slotSize) noexcept {
    return static_cast<std::uint32_t>((HeaderSize() + slotSize - 1) / slotSize);
  }
  [[nodiscard]] static constexpr std::uint32_t SlotCount(std::uint32_t slotSize,
                                                         std::uint32_t pageSize) noexcept {
    return pageSize / slotSize;
  }
  // Pointer-aligned: 16 bytes with 32-bit addresses, 24 with 64-bit ones.
  [[nodiscard]] static constexpr std::size_t HeaderSize() noexcept {
    return sizeof(BindingPoolPage);
  }
};

#if defined(__i386__)
static_assert(sizeof(BindingPoolPage) == 16);
static_assert(offsetof(BindingPoolPage, pageSize) == 8);
static_assert(offsetof(BindingPoolPage, used) == 10);
static_assert(offsetof(BindingPoolPage, firstFree) == 12);
#endif

}  // namespace Zarn
