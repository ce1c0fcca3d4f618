#include "sdk/platform/CrtMemory.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>

namespace Zarn::Platform {

std::size_t BlockSize(const void* block) noexcept {
  return block == nullptr ? 0 : malloc_usable_size(const_cast<void*>(block));
}

void* Reallocate(void* block, std::size_t size) noexcept {
  // realloc(p, 0) may free or may return a fresh minimal block depending on the C library;
  // callers count it as a release, so make it one.
  if (block != nullptr && size == 0) {
    std::free(block);
    return nullptr;
  }
  return std::realloc(block, size);
}

char* DuplicateString(const char* text) noexcept {
  if (text == nullptr) return nullptr;
  const std::size_t bytes = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(std::malloc(bytes));
  if (copy != nullptr) std::memcpy(copy, text, bytes);
  return copy;
}

}  // namespace Zarn::Platform
