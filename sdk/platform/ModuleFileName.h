// Linux stand-in for the platform's query of a module's file path.
#pragma once

#include <cstdint>

namespace Zarn::Platform {

// Writes the full path of the running executable into `buffer` (`size` bytes) when `module` is
// null; other modules are unknown here and give 0. Returns the number of characters written
// without the terminator; a path that does not fit is cut, terminated and `size` is returned.
// Returns 0 when the path cannot be read or `size` is 0.
std::uint32_t GetModuleFileNameA(const void* module, char* buffer, std::uint32_t size) noexcept;

// The text after the last path separator of `path` ("\" or "/"), or the whole path when it
// has none. `path` must not be null; the result points into it.
[[nodiscard]] const char* PathBaseName(const char* path) noexcept;

}  // namespace Zarn::Platform
