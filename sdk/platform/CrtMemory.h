// Linux stand-ins for the C runtime's heap functions that the allocator hooks rely on.
#pragma once

#include <cstddef>

// BlockSize only looks the block up; it never reads the bytes, which may be uninitialized.
#if defined(__GNUC__) && !defined(__clang__)
#define ZARN_PLATFORM_BLOCK_NOT_READ [[gnu::access(none, 1)]]
#else
#define ZARN_PLATFORM_BLOCK_NOT_READ
#endif

namespace Zarn::Platform {

// Usable size of a block returned by malloc/realloc (the C runtime's _msize).
// `block` must be null or a live block of this process's malloc; null gives 0.
ZARN_PLATFORM_BLOCK_NOT_READ [[nodiscard]] std::size_t BlockSize(const void* block) noexcept;

// The C runtime's realloc with its size-0 rule pinned down: a non-null `block` resized to 0 is
// released and null is returned. A null `block` behaves as malloc(size). When a non-zero
// resize fails, null is returned and `block` stays live and unchanged.
[[nodiscard]] void* Reallocate(void* block, std::size_t size) noexcept;

// A malloc'ed copy of the zero-terminated `text` (the C runtime's _strdup), to be released with
// free. Null `text` or a failed allocation gives null.
[[nodiscard]] char* DuplicateString(const char* text) noexcept;

}  // namespace Zarn::Platform
