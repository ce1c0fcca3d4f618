#include "sdk/base/BaseConsoleLogTarget.h"

#include "sdk/base/LogLine.h"

namespace Zarn {

BaseConsoleLogTarget::BaseConsoleLogTarget() noexcept { RouteInterfaceWrite(); }

BaseConsoleLogTarget::~BaseConsoleLogTarget() {
  // Detach while the derived parts still exist, so no writer reaches a half-destroyed target.
  Detach();
}

const char* BaseConsoleLogTarget::GetName() const noexcept { return "BaseConsoleLogTarget"; }

bool BaseConsoleLogTarget::Write(const LogRecord& record) noexcept {
  char line[kLogLineBufferSize];
  Platform::CriticalSectionGuard hold(Section());
  FormatLine(line, sizeof(line), GetFormat(record), &record);
  Emit(line);
  return true;
}

}  // namespace Zarn
