// rapidjson's allocator concept over the SDK's allocator hooks, so that the reader's and the
// writers' buffers are counted like every other block of the plugin.
#pragma once

#include <cstddef>

#include "sdk/base/MemoryHooks.h"

namespace Zarn {

class JsonAllocator {
 public:
  static const bool kNeedFree = true;

  void* Malloc(std::size_t size) { return size == 0 ? nullptr : MemoryHooks::Alloc(size); }
  void* Realloc(void* block, std::size_t /*oldSize*/, std::size_t newSize) {
    if (newSize == 0) {
      MemoryHooks::Free(block);
      return nullptr;
    }
    return MemoryHooks::Realloc(block, newSize);
  }
  static void Free(void* block) { MemoryHooks::Free(block); }
};

}  // namespace Zarn
