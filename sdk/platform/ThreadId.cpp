#include "sdk/platform/ThreadId.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace Zarn::Platform {

std::uint32_t GetCurrentThreadId() noexcept {
  return static_cast<std::uint32_t>(syscall(SYS_gettid));
}

}  // namespace Zarn::Platform
