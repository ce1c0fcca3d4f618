// Replacements of every global allocation and release operator, routed through MemoryHooks.
//
// Replacing these operators replaces them for the whole linked image, so they live in their own
// library (sdk_base_new) that only the plugin library and the allocator tests link, never in
// sdk_base. The plugin library keeps them to itself: it is built with -fvisibility=hidden, a
// version script that exports only its load entry, and -static-libstdc++, so that no block the
// C++ runtime allocated elsewhere is released through the counted hooks.
#include <cstddef>
#include <cstdint>
#include <new>

#include "sdk/base/MemoryHooks.h"

namespace {

// The standard's allocation loop: retry through the new-handler until it gives up. Size 0 must
// still give a unique block.
void* AllocateOrThrow(std::size_t size) {
  for (;;) {
    if (void* block = Zarn::MemoryHooks::Alloc(size == 0 ? 1 : size)) return block;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void* AllocateOrNull(std::size_t size) noexcept {
  try {
    return AllocateOrThrow(size);
  } catch (...) {
    return nullptr;
  }
}

// The hooks know no alignment: over-allocate, align inside the block and keep the block's
// address in the word before the aligned address.
void* AllocateAlignedOrThrow(std::size_t size, std::align_val_t alignment) {
  const auto align = static_cast<std::size_t>(alignment);
  const std::size_t overhead = align - 1 + sizeof(void*);
  if (size > SIZE_MAX - overhead) throw std::bad_alloc();
  void* block = AllocateOrThrow(size + overhead);
  const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block) + sizeof(void*);
  void** aligned = reinterpret_cast<void**>((start + align - 1) & ~(std::uintptr_t{align} - 1));
  aligned[-1] = block;
  return aligned;
}

void* AllocateAlignedOrNull(std::size_t size, std::align_val_t alignment) noexcept {
  try {
    return AllocateAlignedOrThrow(size, alignment);
  } catch (...) {
    return nullptr;
  }
}

void ReleaseAligned(void* aligned) noexcept {
  if (aligned != nullptr) Zarn::MemoryHooks::Free(static_cast<void**>(aligned)[-1]);
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size);
}

void* operator new(std::size_t size, std::align_val_t alignment) {
  return AllocateAlignedOrThrow(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return AllocateAlignedOrThrow(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAlignedOrNull(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAlignedOrNull(size, alignment);
}

void operator delete(void* block) noexcept { Zarn::MemoryHooks::Free(block); }
void operator delete[](void* block) noexcept { Zarn::MemoryHooks::Free(block); }
void operator delete(void* block, std::size_t) noexcept { Zarn::MemoryHooks::Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Zarn::MemoryHooks::Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept {
  Zarn::MemoryHooks::Free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  Zarn::MemoryHooks::Free(block);
}

void operator delete(void* block, std::align_val_t) noexcept { ReleaseAligned(block); }
void operator delete[](void* block, std::align_val_t) noexcept { ReleaseAligned(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { ReleaseAligned(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
  ReleaseAligned(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
  ReleaseAligned(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
  ReleaseAligned(block);
}
