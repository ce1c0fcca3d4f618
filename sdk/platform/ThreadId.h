// Linux stand-in for the platform's thread identifier.
#pragma once

#include <cstdint>

namespace Zarn::Platform {

// The kernel's identifier of the calling thread; distinct among the live threads of the system.
[[nodiscard]] std::uint32_t GetCurrentThreadId() noexcept;

}  // namespace Zarn::Platform
