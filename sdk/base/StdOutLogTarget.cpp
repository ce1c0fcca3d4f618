#include "sdk/base/StdOutLogTarget.h"

#include <cstdio>

namespace Zarn {

const char* StdOutLogTarget::GetName() const noexcept { return "StdOutLogTarget"; }

void StdOutLogTarget::Flush() noexcept { std::fflush(stdout); }

void StdOutLogTarget::Emit(const char* line) noexcept {
  std::fputs(line, stdout);
  if (flushFlag_.load() == 1) {
    std::fflush(stdout);
  }
}

}  // namespace Zarn
