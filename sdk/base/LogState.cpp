#include "sdk/base/LogState.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include "sdk/base/LogChannels.h"
#include "sdk/base/MemoryHooks.h"
#include "sdk/platform/ModuleFileName.h"

namespace Zarn {

namespace {

std::atomic<LogState*> current{nullptr};
std::atomic<std::int32_t> users{0};
// Serializes creation and teardown; the state's own section cannot, as it dies with the state.
constinit std::mutex lifecycle;

}  // namespace

LogState::LogState() noexcept = default;

LogState::~LogState() = default;

LogState* LogState::Current() noexcept { return current.load(std::memory_order_acquire); }

LogState* LogState::Ensure() noexcept {
  if (LogState* state = Current()) {
    return state;
  }
  std::lock_guard<std::mutex> hold(lifecycle);
  if (LogState* state = Current()) {
    return state;
  }
  LogState* state = Create();
  current.store(state, std::memory_order_release);
  return state;
}

LogState* LogState::Create() noexcept {
  // Through the allocator hooks and without throwing: a log call must never throw, and without
  // memory for the state lines are simply dropped.
  void* block = MemoryHooks::Alloc(sizeof(LogState));
  if (block == nullptr) {
    return nullptr;
  }
  auto* state = new (block) LogState();
  state->stdErr_.Apply(1, kLogChannelDbg, kLogChannelGen, "#E(#T): #L| #M");
  state->stdOut_.Apply(1, kLogChannelGen, kLogChannelDbg, "#M");
  state->debugger_.Apply(1, kLogChannelDbg, 0, "#E(#T): #L| #M");
  {
    Platform::CriticalSectionGuard hold(state->section_);
    state->ReadModulePath();
  }
  state->stdErr_.AttachTo(*state);
  state->debugger_.AttachTo(*state);
  return state;
}

void LogState::Init() noexcept {
  if (users.fetch_add(1, std::memory_order_acq_rel) + 1 == 1) {
    static_cast<void>(Ensure());
  }
}

std::int32_t LogState::Shutdown() noexcept {
  std::int32_t count = users.load(std::memory_order_acquire);
  do {
    if (count <= 0) {
      // An unmatched Shutdown must not drive the count negative, or the next Init would never
      // see 1 and never recreate a torn-down state.
      return 0;
    }
  } while (!users.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel));
  if (count == 1) {
    std::lock_guard<std::mutex> hold(lifecycle);
    if (LogState* state = Current()) {
      state->TearDown();
      state->~LogState();
      current.store(nullptr, std::memory_order_release);
      MemoryHooks::Free(state);
    }
  }
  return count - 1;
}

void LogState::TearDown() noexcept {
  {
    Platform::CriticalSectionGuard hold(section_);
    // From the last to the first. A detach removes every occurrence of its target, which only
    // moves the remaining entries down, so none below the cursor is skipped.
    std::size_t cursor = targets_.size();
    while (cursor > 0) {
      cursor = std::min(cursor, targets_.size());
      if (cursor == 0) {
        break;
      }
      LogTargetInterface* target = targets_[--cursor];
      target->Detach(target);
    }
    targets_.clear();
  }
  // The built-in targets detach themselves as they are destroyed with the state.
}

void LogState::ReadModulePath() noexcept {
  if (Platform::GetModuleFileNameA(nullptr, modulePath_, sizeof(modulePath_)) == 0) {
    return;
  }
  moduleName_ = Platform::PathBaseName(modulePath_);
}

bool LogState::Append(LogTargetInterface* target) noexcept {
  Platform::CriticalSectionGuard hold(section_);
  try {
    targets_.push_back(target);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void LogState::RemoveAll(LogTargetInterface* target) noexcept {
  Platform::CriticalSectionGuard hold(section_);
  targets_.erase(std::remove(targets_.begin(), targets_.end(), target), targets_.end());
}

LogTargetInterface* LogState::Find(const char* name) noexcept {
  if (name == nullptr) {
    return nullptr;
  }
  Platform::CriticalSectionGuard hold(section_);
  for (LogTargetInterface* target : targets_) {
    const char* targetName = target->GetName(target);
    if (targetName != nullptr && std::strcmp(targetName, name) == 0) {
      return target;
    }
  }
  return nullptr;
}

bool LogState::Accepts(std::int32_t level, std::uint64_t channels) const noexcept {
  return !disabled_.load(std::memory_order_relaxed) &&
         level >= level_.load(std::memory_order_relaxed) &&
         (channels & exclude_.load(std::memory_order_relaxed)) == 0;
}

void LogState::Dispatch(const LogRecord& record) noexcept {
  Platform::CriticalSectionGuard hold(section_);
  // By index: a target may attach or detach targets from inside its Write.
  for (std::size_t i = 0; i < targets_.size(); ++i) {
    LogTargetInterface* target = targets_[i];
    if (record.level < target->GetLevel(target)) {
      continue;
    }
    if (record.channels != 0) {
      if ((record.channels & target->GetExcludeMask(target)) != 0) {
        continue;
      }
      const std::uint64_t include = target->GetIncludeMask(target);
      if (include != 0 && (include & record.channels) == 0) {
        continue;
      }
    }
    static_cast<void>(target->Write(target, &record));
  }
}

void LogState::SetLevel(std::int32_t level) noexcept {
  Platform::CriticalSectionGuard hold(section_);
  level_.store(level, std::memory_order_relaxed);
}

void LogState::SetExcludeMask(std::uint64_t mask) noexcept {
  Platform::CriticalSectionGuard hold(section_);
  exclude_.store(mask, std::memory_order_relaxed);
}

void LogState::SetDisabled(bool disabled) noexcept {
  Platform::CriticalSectionGuard hold(section_);
  disabled_.store(disabled, std::memory_order_relaxed);
}

void LogState::SetReserved(bool reserved) noexcept {
  Platform::CriticalSectionGuard hold(section_);
  reserved_.store(reserved, std::memory_order_relaxed);
}

const char* LogModuleName() noexcept {
  const LogState* state = LogState::Current();
  return state != nullptr ? state->ModuleName() : "<unknown>";
}

}  // namespace Zarn
