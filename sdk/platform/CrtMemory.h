// Linux stand-ins for the C runtime's heap queries that the allocator hooks rely on.
#pragma once

#include <cstddef>

namespace Zarn::Platform {

// Usable size of a block returned by malloc/realloc (the C runtime's _msize).
// `block` must be null or a live block of this process's malloc; null gives 0.
[[nodiscard]] std::size_t BlockSize(const void* block) noexcept;

}  // namespace Zarn::Platform
