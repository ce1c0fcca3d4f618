#include "sdk/base/StdErrLogTarget.h"

#include <cstdio>

namespace Zarn {

const char* StdErrLogTarget::GetName() const noexcept { return "StdErrLogTarget"; }

void StdErrLogTarget::Flush() noexcept { std::fflush(stderr); }

void StdErrLogTarget::Emit(const char* line) noexcept { std::fputs(line, stderr); }

}  // namespace Zarn
