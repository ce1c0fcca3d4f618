// The process-wide logging state: the list of attached targets, the filters every line passes
// first, the module name and the three built-in console targets. Reached through LogApi.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "sdk/base/BoundaryRecords.h"
#include "sdk/base/DebuggerConsoleLogTarget.h"
#include "sdk/base/StdErrLogTarget.h"
#include "sdk/base/StdOutLogTarget.h"
#include "sdk/platform/CriticalSection.h"

namespace Zarn {

class LogState {
 public:
  LogState(const LogState&) = delete;
  LogState& operator=(const LogState&) = delete;

  // The state, or null when none exists.
  [[nodiscard]] static LogState* Current() noexcept;
  // The state, created first when missing; null when it cannot be allocated.
  [[nodiscard]] static LogState* Ensure() noexcept;
  // Counts a user; the first count creates the state when it does not exist.
  static void Init() noexcept;
  // Uncounts a user and returns the new count; the last user tears the state down. Without a
  // matching Init the count stays at 0 and nothing changes.
  static std::int32_t Shutdown() noexcept;

  // Guards the list and the settings; recursive. Taken before any target's own section.
  [[nodiscard]] Platform::CriticalSection& Section() noexcept { return section_; }

  // List operations, under the state's section. Append gives false when out of memory.
  bool Append(LogTargetInterface* target) noexcept;
  void RemoveAll(LogTargetInterface* target) noexcept;
  // The first listed target whose name is exactly `name`, or null.
  [[nodiscard]] LogTargetInterface* Find(const char* name) noexcept;

  // Whether a line of `level` on `channels` passes the state's own filters.
  [[nodiscard]] bool Accepts(std::int32_t level, std::uint64_t channels) const noexcept;
  // Hands `record` to every listed target whose level and masks let it through.
  void Dispatch(const LogRecord& record) noexcept;

  void SetLevel(std::int32_t level) noexcept;
  [[nodiscard]] std::int32_t GetLevel() const noexcept { return level_.load(); }
  void SetExcludeMask(std::uint64_t mask) noexcept;
  [[nodiscard]] std::uint64_t GetExcludeMask() const noexcept { return exclude_.load(); }
  void SetDisabled(bool disabled) noexcept;
  void SetReserved(bool reserved) noexcept;
  [[nodiscard]] bool IsReserved() const noexcept { return reserved_.load(); }

  // Base name of the process's main executable, or "<unknown>" when it could not be read.
  [[nodiscard]] const char* ModuleName() const noexcept { return moduleName_; }

  [[nodiscard]] StdErrLogTarget& StdErr() noexcept { return stdErr_; }
  [[nodiscard]] StdOutLogTarget& StdOut() noexcept { return stdOut_; }
  [[nodiscard]] DebuggerConsoleLogTarget& Debugger() noexcept { return debugger_; }

 private:
  LogState() noexcept;
  ~LogState();

  static LogState* Create() noexcept;
  void TearDown() noexcept;
  void ReadModulePath() noexcept;

  Platform::CriticalSection section_;
  std::vector<LogTargetInterface*> targets_;
  std::atomic<bool> reserved_{false};  // set and cleared through LogApi; read by nothing else
  std::atomic<bool> disabled_{false};
  std::atomic<std::int32_t> level_{1};
  std::atomic<std::uint64_t> exclude_{4};
  char modulePath_[1024] = {};
  const char* moduleName_ = "<unknown>";
  StdErrLogTarget stdErr_;
  StdOutLogTarget stdOut_;
  DebuggerConsoleLogTarget debugger_;
};

// The state's module base name, or "<unknown>" without a state.
[[nodiscard]] const char* LogModuleName() noexcept;

}  // namespace Zarn
