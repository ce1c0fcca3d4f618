#include "sdk/base/LogTarget.h"

#include <new>

#include "sdk/base/LogState.h"

namespace Zarn {

LogTarget::LogTarget() noexcept : format_("#D| #L| #G| #M") {
  LogTargetInterface::GetVersion = &EntryGetVersion;
  LogTargetInterface::SetLevel = &EntrySetLevel;
  LogTargetInterface::GetLevel = &EntryGetLevel;
  LogTargetInterface::SetMasks = &EntrySetMasks;
  LogTargetInterface::GetIncludeMask = &EntryGetIncludeMask;
  LogTargetInterface::GetExcludeMask = &EntryGetExcludeMask;
  LogTargetInterface::GetName = &EntryGetName;
  LogTargetInterface::GetFormat = &EntryGetFormat;
  LogTargetInterface::Attach = &EntryAttach;
  LogTargetInterface::Detach = &EntryDetach;
  LogTargetInterface::IsAttached = &EntryIsAttached;
  LogTargetInterface::Write = &EntryWriteNothing;
}

LogTarget::~LogTarget() {
  // A target must never stay in the list once its memory is gone.
  EntryDetach(this);
}

void LogTarget::Reset() noexcept { EntryDetach(this); }

const char* LogTarget::GetName() const noexcept { return "LogTarget"; }

const char* LogTarget::GetFormat(const LogRecord&) const noexcept { return format_.c_str(); }

void LogTarget::Configure(const LogTargetSettings& settings) noexcept {
  // Detach first, outside the target's own section: writers hold the state's section while
  // they call into targets, so the state's section must never be awaited under ours.
  LogTargetInterface::Detach(this);
  Apply(settings.level, settings.includeMask, settings.excludeMask, settings.format.c_str());
  LogTargetInterface::Attach(this);
}

void LogTarget::AttachTo(LogState& state) noexcept {
  Platform::CriticalSectionGuard hold(state.Section());
  if (attached_.load(std::memory_order_relaxed)) {
    return;
  }
  if (state.Append(this)) {
    attached_.store(true, std::memory_order_release);
  }
}

void LogTarget::RouteInterfaceWrite() noexcept { LogTargetInterface::Write = &EntryWriteVirtual; }

void LogTarget::Apply(std::int32_t level, std::uint64_t include, std::uint64_t exclude,
                      const char* format) noexcept {
  Platform::CriticalSectionGuard hold(section_);
  level_.store(level, std::memory_order_relaxed);
  if (format != format_.c_str()) {
    try {
      format_ = format;
    } catch (const std::bad_alloc&) {
      // Keep the previous format; the target still logs.
    }
  }
  StoreMasks(include, exclude);
}

LogTarget* LogTarget::From(LogTargetInterface* self) noexcept {
  return static_cast<LogTarget*>(self);
}

void LogTarget::StoreMasks(std::uint64_t include, std::uint64_t exclude) noexcept {
  exclude_.store(exclude, std::memory_order_relaxed);
  include_.store(include & ~exclude, std::memory_order_relaxed);
}

std::int32_t LogTarget::EntryGetVersion(LogTargetInterface*) { return 1; }

void LogTarget::EntrySetLevel(LogTargetInterface* self, std::int32_t level) {
  LogTarget* target = From(self);
  Platform::CriticalSectionGuard hold(target->section_);
  target->level_.store(level, std::memory_order_relaxed);
}

std::int32_t LogTarget::EntryGetLevel(LogTargetInterface* self) { return From(self)->GetLevel(); }

void LogTarget::EntrySetMasks(LogTargetInterface* self, std::uint64_t include,
                              std::uint64_t exclude) {
  LogTarget* target = From(self);
  Platform::CriticalSectionGuard hold(target->section_);
  target->StoreMasks(include, exclude);
}

std::uint64_t LogTarget::EntryGetIncludeMask(LogTargetInterface* self) {
  return From(self)->GetIncludeMask();
}

std::uint64_t LogTarget::EntryGetExcludeMask(LogTargetInterface* self) {
  return From(self)->GetExcludeMask();
}

const char* LogTarget::EntryGetName(LogTargetInterface* self) { return From(self)->GetName(); }

const char* LogTarget::EntryGetFormat(LogTargetInterface* self, const LogRecord* record) {
  if (record == nullptr) {
    return From(self)->format_.c_str();
  }
  return From(self)->GetFormat(*record);
}

void LogTarget::EntryAttach(LogTargetInterface* self) {
  LogTarget* target = From(self);
  if (target->attached_.load(std::memory_order_acquire)) {
    return;
  }
  if (LogState* state = LogState::Ensure()) {
    target->AttachTo(*state);
  }
}

void LogTarget::EntryDetach(LogTargetInterface* self) {
  LogTarget* target = From(self);
  if (!target->attached_.load(std::memory_order_acquire)) {
    return;
  }
  LogState* state = LogState::Current();
  if (state == nullptr) {
    target->attached_.store(false, std::memory_order_release);
    return;
  }
  Platform::CriticalSectionGuard hold(state->Section());
  if (target->attached_.load(std::memory_order_relaxed)) {
    target->attached_.store(false, std::memory_order_release);
    state->RemoveAll(self);
  }
}

bool LogTarget::EntryIsAttached(LogTargetInterface* self) { return From(self)->IsAttached(); }

bool LogTarget::EntryWriteNothing(LogTargetInterface*, const LogRecord*) { return false; }

bool LogTarget::EntryWriteVirtual(LogTargetInterface* self, const LogRecord* record) {
  return record != nullptr && From(self)->Write(*record);
}

}  // namespace Zarn
