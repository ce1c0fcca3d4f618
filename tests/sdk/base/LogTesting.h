// Helpers for tests that watch log lines.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "sdk/base/LogTarget.h"
#include "sdk/platform/DebugOutput.h"

namespace Zarn::Testing {

// What a RecordingLogTarget kept of one record.
struct RecordedLine {
  std::int32_t level = 0;
  std::uint64_t channels = 0;
  std::string message;
};

// A log target that keeps every record it is handed, under its own section. Created detached
// with level threshold 1 and no masks, like every target.
class RecordingLogTarget : public LogTarget {
 public:
  explicit RecordingLogTarget(const char* name = "RecordingLogTarget") : name_(name) {
    RouteInterfaceWrite();
  }
  ~RecordingLogTarget() override { Detach(); }

  [[nodiscard]] const char* GetName() const noexcept override { return name_; }

  bool Write(const LogRecord& record) noexcept override {
    Platform::CriticalSectionGuard hold(Section());
    lines_.push_back({record.level, record.channels, record.message});
    return true;
  }

  [[nodiscard]] std::vector<RecordedLine> Lines() const {
    Platform::CriticalSectionGuard hold(Section());
    return lines_;
  }

 private:
  const char* name_;
  std::vector<RecordedLine> lines_;
};

// Collects everything handed to the debugger output while it lives.
class DebugOutputCapture {
 public:
  DebugOutputCapture() { Platform::SetDebugOutputSink(&Collect, this); }
  ~DebugOutputCapture() { Platform::SetDebugOutputSink(nullptr, nullptr); }
  DebugOutputCapture(const DebugOutputCapture&) = delete;
  DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

  [[nodiscard]] std::vector<std::string> Texts() const {
    std::lock_guard<std::mutex> hold(lock_);
    return texts_;
  }

 private:
  static void Collect(const char* text, void* context) {
    auto* self = static_cast<DebugOutputCapture*>(context);
    std::lock_guard<std::mutex> hold(self->lock_);
    self->texts_.emplace_back(text);
  }

  mutable std::mutex lock_;
  std::vector<std::string> texts_;
};

}  // namespace Zarn::Testing
