#include "sdk/binding/BindingPoolPage.h"

#include <cstring>
#include <new>

#include "sdk/binding/PropertyArena.h"
#include "sdk/platform/MemoryPoisoning.h"

namespace Zarn {

void BindingPoolPage::Init(BindingSizeClass& sizeClass, std::uint32_t slotSize, void* page,
                           std::uint16_t pageSize) noexcept {
  auto* bytes = static_cast<unsigned char*>(page);
  const std::uint32_t first = FirstSlot(slotSize);
  const std::uint32_t count = SlotCount(slotSize, pageSize);
  for (std::uint32_t slot = first; slot < count; ++slot) {
    const auto next = static_cast<std::uint16_t>(slot + 1 < count ? slot + 1 : 0);
    std::memcpy(bytes + slot * slotSize, &next, sizeof next);
  }
  auto* header = new (page) BindingPoolPage{sizeClass.freePages, nullptr, pageSize, 0,
                                            static_cast<std::uint16_t>(first < count ? first : 0)};
  if (header->next != nullptr) header->next->prev = header;
  sizeClass.freePages = header;
  Platform::PoisonMemory(bytes + first * slotSize, pageSize - first * slotSize);
}

}  // namespace Zarn
