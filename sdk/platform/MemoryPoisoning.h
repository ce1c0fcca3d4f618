// Marks memory that a pool holds but no one may use, so that the address sanitizer reports a
// use after free inside pooled memory. Without the sanitizer both calls do nothing.
#pragma once

#include <sanitizer/asan_interface.h>

#include <cstddef>

namespace Zarn::Platform {

// The sanitizer tracks 8-byte granules: poisoning never covers bytes outside the range, so a
// small region that shares a granule with live bytes may stay partly unpoisoned.
inline void PoisonMemory(const void* begin, std::size_t size) noexcept {
  ASAN_POISON_MEMORY_REGION(begin, size);
}

inline void UnpoisonMemory(const void* begin, std::size_t size) noexcept {
  ASAN_UNPOISON_MEMORY_REGION(begin, size);
}

}  // namespace Zarn::Platform
