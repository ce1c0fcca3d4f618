// The base of the built-in targets that write rendered lines to a console or debugger output.
#pragma once

#include "sdk/base/LogTarget.h"

namespace Zarn {

// Renders each line through its format into a 4096-byte buffer and emits it under the target's
// section, so lines of concurrent writers never interleave. Detaches itself when destroyed.
class BaseConsoleLogTarget : public LogTarget {
 public:
  BaseConsoleLogTarget() noexcept;
  ~BaseConsoleLogTarget() override;

  [[nodiscard]] const char* GetName() const noexcept override;
  bool Write(const LogRecord& record) noexcept override;
  virtual void Flush() noexcept = 0;

 private:
  // Hands one rendered line to the output; called under the target's section.
  virtual void Emit(const char* line) noexcept = 0;
};

}  // namespace Zarn
