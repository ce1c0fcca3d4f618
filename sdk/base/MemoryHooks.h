// The process-wide allocator hooks through which every heap block of the plugin and the SDK is
// obtained and released. The first MemoryHooks::Alloc installs the tracking allocator.
#pragma once

#include <cstddef>

namespace Zarn {

class MemoryHooks {
 public:
  // Every hook receives the user data given to SetAllocator as its last argument.
  using AllocFn = void* (*)(std::size_t size, void* userData);  // block or null
  using FreeFn = void (*)(void* block, void* userData);         // block may be null
  using ReallocFn = void* (*)(void* block, std::size_t size, void* userData);
  using StrDupFn = char* (*)(const char* text, void* userData);  // copy or null
  using MSizeFn = std::size_t (*)(const void* block, void* userData);

  MemoryHooks() = delete;

  // Replaces all five hooks and the user data; returns true. Meant to be called once, before
  // other threads allocate: a concurrent allocation may see a mix of old and new hooks, which
  // is harmless only because every hook set works on the same platform heap.
  static bool SetAllocator(AllocFn alloc, FreeFn free, ReallocFn realloc, StrDupFn strdup,
                           MSizeFn msize, void* userData) noexcept;

  // A block of at least `size` bytes, or null on failure (never throws). The first call installs
  // the tracking allocator.
  [[nodiscard]] static void* Alloc(std::size_t size) noexcept;

  // Releases a block obtained from this class (or from the platform heap); null does nothing.
  static void Free(void* block) noexcept;

  // Resizes `block` (null allocates). Resizing a non-null block to 0 releases it and gives null.
  // When a non-zero resize fails, null is returned and `block` stays live.
  [[nodiscard]] static void* Realloc(void* block, std::size_t size) noexcept;

  // A copy of the zero-terminated `text`, released with Free; null for null `text` or failure.
  [[nodiscard]] static char* StrDup(const char* text) noexcept;

  // Usable size in bytes of a live block obtained through these hooks; 0 for null.
  [[nodiscard]] static std::size_t MSize(const void* block) noexcept;

  // Installs the tracking allocator unless that was already done.
  static void EnsureInitialized() noexcept;
};

}  // namespace Zarn
