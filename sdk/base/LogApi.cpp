#include "sdk/base/LogApi.h"

#include <cstdio>

#include "sdk/base/LocalTime.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogLine.h"
#include "sdk/base/LogMessage.h"
#include "sdk/base/LogState.h"

namespace Zarn {

namespace {

std::uint64_t Join(std::uint32_t low, std::uint32_t high) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

// The entries that act on an existing state; without one they do nothing.
template <typename Action>
void WithState(Action action) {
  if (LogState* state = LogState::Current()) {
    action(*state);
  }
}

std::int32_t GetVersion() { return 1; }
void Init() { LogState::Init(); }
std::int32_t Shutdown() { return LogState::Shutdown(); }

void SetLevel(std::int32_t level) {
  WithState([level](LogState& state) { state.SetLevel(level); });
}

std::int32_t GetLevel() {
  const LogState* state = LogState::Current();
  return state != nullptr ? state->GetLevel() : 1;
}

void SetExcludeMask(std::uint32_t low, std::uint32_t high) {
  WithState([mask = Join(low, high)](LogState& state) { state.SetExcludeMask(mask); });
}

std::uint64_t GetExcludeMask() {
  const LogState* state = LogState::Current();
  return state != nullptr ? state->GetExcludeMask() : kLogChannelXtr;
}

void Disable() {
  WithState([](LogState& state) { state.SetDisabled(true); });
}
void Enable() {
  WithState([](LogState& state) { state.SetDisabled(false); });
}
void SetReserved() {
  WithState([](LogState& state) { state.SetReserved(true); });
}
void ClearReserved() {
  WithState([](LogState& state) { state.SetReserved(false); });
}

void AddTarget(LogTargetInterface* target) {
  if (target == nullptr) {
    return;
  }
  WithState([target](LogState& state) { static_cast<void>(state.Append(target)); });
}

void RemoveTarget(LogTargetInterface* target) {
  WithState([target](LogState& state) { state.RemoveAll(target); });
}

LogTargetInterface* FindTarget(const char* name) {
  LogState* state = LogState::Current();
  return state != nullptr ? state->Find(name) : nullptr;
}

LogTargetInterface* GetStdOutTarget() {
  LogState* state = LogState::Current();
  return state != nullptr ? state->StdOut().Interface() : nullptr;
}

LogTargetInterface* GetStdErrTarget() {
  LogState* state = LogState::Current();
  return state != nullptr ? state->StdErr().Interface() : nullptr;
}

LogTargetInterface* GetDebuggerTarget() {
  LogState* state = LogState::Current();
  return state != nullptr ? state->Debugger().Interface() : nullptr;
}

void Write(std::int32_t level, std::uint32_t maskLow, std::uint32_t maskHigh, const char* format,
           va_list arguments) {
  LogApi::WriteMessage(level, Join(maskLow, maskHigh), format, arguments);
}

constexpr LogApi kTable = {
    &GetVersion,
    &Init,
    &Shutdown,
    &SetLevel,
    &GetLevel,
    &SetExcludeMask,
    &GetExcludeMask,
    &Disable,
    &Enable,
    &SetReserved,
    &ClearReserved,
    &AddTarget,
    &RemoveTarget,
    &FindTarget,
    &GetStdOutTarget,
    &GetStdErrTarget,
    &GetDebuggerTarget,
    &RegisterChannel,
    &MaskToNames,
    &FormatLine,
    &GetLevelName,
    &LogModuleName,
    &GetLocalTime,
    &FormatIsoTime,
    &FormatFileTime,
    &Write,
};

}  // namespace

const LogApi* LogApi::GetTable() noexcept { return &kTable; }

namespace {

// The state when it takes a line of `level` on `channels`; null otherwise.
LogState* StateTaking(std::int32_t level, std::uint64_t channels) noexcept {
  LogState* state = LogState::Ensure();
  return state != nullptr && state->Accepts(level, channels) ? state : nullptr;
}

void Dispatch(LogState& state, std::int32_t level, std::uint64_t channels,
              const char* message) noexcept {
  LogRecord record{};
  Zarn::GetLocalTime(&record.time);
  record.level = level;
  record.channels = channels;
  record.message = message;
  state.Dispatch(record);
}

}  // namespace

void LogApi::WriteMessage(std::int32_t level, std::uint64_t channels, const char* format,
                          va_list arguments) noexcept {
  if (format == nullptr) return;
  LogState* state = StateTaking(level, channels);
  if (state == nullptr) return;
  char message[kLogLineBufferSize];
  FormatLogMessage(message, sizeof(message), format, arguments);
  Dispatch(*state, level, channels, message);
}

void LogApi::WriteReport(std::int32_t level, std::uint64_t channels, const char* text) noexcept {
  if (text == nullptr) return;
  LogState* state = StateTaking(level, channels);
  if (state == nullptr) return;
  char message[kLogLineBufferSize];
  std::snprintf(message, sizeof(message), "%s", text);
  Dispatch(*state, level, channels, message);
}

}  // namespace Zarn
