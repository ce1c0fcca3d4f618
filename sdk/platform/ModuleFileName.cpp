#include "sdk/platform/ModuleFileName.h"

#include <unistd.h>

#include <climits>
#include <cstring>

namespace Zarn::Platform {

std::uint32_t GetModuleFileNameA(const void* module, char* buffer, std::uint32_t size) noexcept {
  if (module != nullptr || buffer == nullptr || size == 0) {
    return 0;
  }
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof(path));
  if (length <= 0) {
    buffer[0] = '\0';
    return 0;
  }
  const auto available = static_cast<std::uint32_t>(length);
  if (available >= size) {
    std::memcpy(buffer, path, size - 1);
    buffer[size - 1] = '\0';
    return size;
  }
  std::memcpy(buffer, path, available);
  buffer[available] = '\0';
  return available;
}

const char* PathBaseName(const char* path) noexcept {
  const char* base = path;
  for (const char* cursor = path; *cursor != '\0'; ++cursor) {
    if (*cursor == '\\' || *cursor == '/') {
      base = cursor + 1;
    }
  }
  return base;
}

}  // namespace Zarn::Platform
