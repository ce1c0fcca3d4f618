// The built-in target that writes rendered lines to standard error.
#pragma once

#include "sdk/base/BaseConsoleLogTarget.h"

namespace Zarn {

class StdErrLogTarget : public BaseConsoleLogTarget {
 public:
  [[nodiscard]] const char* GetName() const noexcept override;
  void Flush() noexcept override;

 private:
  void Emit(const char* line) noexcept override;
};

}  // namespace Zarn
