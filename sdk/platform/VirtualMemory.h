// Linux stand-ins for the system calls that reserve and release address space in whole units.
#pragma once

#include <cstddef>

namespace Zarn::Platform {

// The unit in which address space is reserved (the allocation granularity of the original
// platform); reservations are multiples of it.
inline constexpr std::size_t kAllocationGranularity = 65536;

// Reserves and commits `size` bytes of zero-filled, readable and writable memory, aligned at
// least to the 4096-byte page. Returns null when the system refuses (never MAP_FAILED).
// `size` must be a non-zero multiple of kAllocationGranularity.
[[nodiscard]] void* ReserveAndCommit(std::size_t size) noexcept;

// Releases a whole reservation: `base` and `size` exactly as ReserveAndCommit gave and took them.
// Null does nothing.
void ReleaseReservation(void* base, std::size_t size) noexcept;

}  // namespace Zarn::Platform
