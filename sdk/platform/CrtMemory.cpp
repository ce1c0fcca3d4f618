#include "sdk/platform/CrtMemory.h"

#include <malloc.h>

namespace Zarn::Platform {

std::size_t BlockSize(const void* block) noexcept {
  return block == nullptr ? 0 : malloc_usable_size(const_cast<void*>(block));
}

}  // namespace Zarn::Platform
