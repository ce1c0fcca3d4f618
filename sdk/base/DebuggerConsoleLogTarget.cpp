#include "sdk/base/DebuggerConsoleLogTarget.h"

#include "sdk/platform/DebugOutput.h"

namespace Zarn {

const char* DebuggerConsoleLogTarget::GetName() const noexcept {
  return "DebuggerConsoleLogTarget";
}

void DebuggerConsoleLogTarget::Emit(const char* line) noexcept {
  Platform::OutputDebugStringA(line);
}

}  // namespace Zarn
