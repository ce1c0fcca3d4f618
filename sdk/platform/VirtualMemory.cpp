#include "sdk/platform/VirtualMemory.h"

#include <sys/mman.h>

namespace Zarn::Platform {

void* ReserveAndCommit(std::size_t size) noexcept {
  if (size == 0 || size % kAllocationGranularity != 0) return nullptr;
  void* base = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return base == MAP_FAILED ? nullptr : base;
}

void ReleaseReservation(void* base, std::size_t size) noexcept {
  if (base != nullptr) munmap(base, size);
}

}  // namespace Zarn::Platform
