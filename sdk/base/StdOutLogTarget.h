// The built-in target that writes rendered lines to standard output.
#pragma once

#include <atomic>
#include <cstdint>

#include "sdk/base/BaseConsoleLogTarget.h"

namespace Zarn {

class StdOutLogTarget : public BaseConsoleLogTarget {
 public:
  [[nodiscard]] const char* GetName() const noexcept override;
  void Flush() noexcept override;

  // When the flag is 1, every line is flushed as soon as it is written; initially 0.
  void SetFlushFlag(std::int32_t flag) noexcept { flushFlag_.store(flag); }
  [[nodiscard]] std::int32_t GetFlushFlag() const noexcept { return flushFlag_.load(); }

 private:
  void Emit(const char* line) noexcept override;

  std::atomic<std::int32_t> flushFlag_{0};
};

}  // namespace Zarn
