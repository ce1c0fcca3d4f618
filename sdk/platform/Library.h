// Linux stand-in for the platform's run-time library loading and function lookup. The only
// library known here is "Advapi32.dll" with the event-tracing functions of EventTracing.h.
#pragma once

namespace Zarn::Platform {

// Opaque handle of a loaded library; null when the library did not load.
struct LibraryModule;

// Address of a looked-up function; cast it to the function's own type before calling.
using ProcAddress = void (*)();

// Loads the library named `name` (case-insensitive, null gives null). Loading twice gives the
// same handle; nothing needs to be released.
[[nodiscard]] LibraryModule* LoadLibraryW(const wchar_t* name) noexcept;

// The function `name` exported by `module`, or null when the module is null or lacks it.
[[nodiscard]] ProcAddress GetProcAddress(LibraryModule* module, const char* name) noexcept;

}  // namespace Zarn::Platform
