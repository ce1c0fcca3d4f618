// The built-in target that hands rendered lines to the debugger output.
#pragma once

#include "sdk/base/BaseConsoleLogTarget.h"

namespace Zarn {

class DebuggerConsoleLogTarget : public BaseConsoleLogTarget {
 public:
  [[nodiscard]] const char* GetName() const noexcept override;
  // The debugger output is unbuffered.
  void Flush() noexcept override {}

 private:
  void Emit(const char* line) noexcept override;
};

}  // namespace Zarn
