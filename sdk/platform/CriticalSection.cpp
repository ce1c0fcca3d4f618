#include "sdk/platform/CriticalSection.h"

#include <cstdlib>
#include <system_error>

namespace Zarn::Platform {

void CriticalSection::Enter() noexcept {
  try {
    mutex_.lock();
  } catch (const std::system_error&) {
    // Entering a critical section cannot fail; a lock that cannot be taken is unrecoverable.
    std::abort();
  }
}

void CriticalSection::Leave() noexcept { mutex_.unlock(); }

}  // namespace Zarn::Platform
