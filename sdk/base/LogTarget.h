// The base of every log target: its settings, its lock and the 12-entry interface through which
// the logging state reaches it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "sdk/base/BoundaryRecords.h"
#include "sdk/platform/CriticalSection.h"

namespace Zarn {

class LogState;

// What LogTarget::Configure applies.
struct LogTargetSettings {
  std::int32_t level = 1;
  std::uint64_t includeMask = 0;
  std::uint64_t excludeMask = 0;
  std::string format;
};

// A target is created detached, with level threshold 1, both masks 0 and the line format
// "#D| #L| #G| #M". The state reaches it only through Interface(); the interface's Write
// returns false until a concrete target routes it to its virtual Write.
//
// Lock order: the state's section is taken before the target's own. Attaching and detaching
// take the state's section and never while holding the target's.
class LogTarget : private LogTargetInterface {
 public:
  LogTarget() noexcept;
  LogTarget(const LogTarget&) = delete;
  LogTarget& operator=(const LogTarget&) = delete;
  // Detaches the target if a derived destructor has not already done so.
  virtual ~LogTarget();

  // Detaches the target from the state.
  virtual void Reset() noexcept;
  // The class name; FindTarget compares it.
  [[nodiscard]] virtual const char* GetName() const noexcept;
  // The line format for `record` (the stored format; `record` is not consulted). The text
  // stays valid until the format is configured again.
  [[nodiscard]] virtual const char* GetFormat(const LogRecord& record) const noexcept;
  // Renders and emits one line.
  virtual bool Write(const LogRecord& record) noexcept = 0;

  // The target's identity in the state's list; never null.
  [[nodiscard]] LogTargetInterface* Interface() noexcept { return this; }

  // Detaches, applies `settings` (the include mask loses the excluded bits) and re-attaches
  // the target at the end of the state's list. A format that cannot be copied for lack of
  // memory leaves the previous one.
  void Configure(const LogTargetSettings& settings) noexcept;

  // Interface entries, callable directly.
  void Attach() noexcept { LogTargetInterface::Attach(this); }
  void Detach() noexcept { LogTargetInterface::Detach(this); }
  [[nodiscard]] bool IsAttached() const noexcept {
    return attached_.load(std::memory_order_acquire);
  }
  [[nodiscard]] std::int32_t GetLevel() const noexcept {
    return level_.load(std::memory_order_relaxed);
  }
  [[nodiscard]] std::uint64_t GetIncludeMask() const noexcept {
    return include_.load(std::memory_order_relaxed);
  }
  [[nodiscard]] std::uint64_t GetExcludeMask() const noexcept {
    return exclude_.load(std::memory_order_relaxed);
  }

  // Attaches the target to `state`, which need not be published yet.
  void AttachTo(LogState& state) noexcept;

 protected:
  // Makes the interface's Write call the virtual Write; concrete targets call it when built.
  void RouteInterfaceWrite() noexcept;

  // Guards the settings and serializes the target's output.
  [[nodiscard]] Platform::CriticalSection& Section() const noexcept { return section_; }

 private:
  friend class LogState;  // sets up the built-in targets

  // Under the target's section: the level, the format (kept when it cannot be copied) and the
  // masks as SetMasks stores them.
  void Apply(std::int32_t level, std::uint64_t include, std::uint64_t exclude,
             const char* format) noexcept;
  static LogTarget* From(LogTargetInterface* self) noexcept;
  static std::int32_t EntryGetVersion(LogTargetInterface* self);
  static void EntrySetLevel(LogTargetInterface* self, std::int32_t level);
  static std::int32_t EntryGetLevel(LogTargetInterface* self);
  static void EntrySetMasks(LogTargetInterface* self, std::uint64_t include, std::uint64_t exclude);
  static std::uint64_t EntryGetIncludeMask(LogTargetInterface* self);
  static std::uint64_t EntryGetExcludeMask(LogTargetInterface* self);
  static const char* EntryGetName(LogTargetInterface* self);
  static const char* EntryGetFormat(LogTargetInterface* self, const LogRecord* record);
  static void EntryAttach(LogTargetInterface* self);
  static void EntryDetach(LogTargetInterface* self);
  static bool EntryIsAttached(LogTargetInterface* self);
  static bool EntryWriteNothing(LogTargetInterface* self, const LogRecord* record);
  static bool EntryWriteVirtual(LogTargetInterface* self, const LogRecord* record);

  // Under the target's section.
  void StoreMasks(std::uint64_t include, std::uint64_t exclude) noexcept;

  // Set and cleared under the state's section; read anywhere.
  std::atomic<bool> attached_{false};
  mutable Platform::CriticalSection section_;
  std::atomic<std::int32_t> level_{1};
  std::atomic<std::uint64_t> include_{0};
  std::atomic<std::uint64_t> exclude_{0};
  std::string format_;
};

}  // namespace Zarn
