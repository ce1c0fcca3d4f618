#include "lobby/core/LobbyCountdown.h"

#include <algorithm>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyTimerNames.h"
#include "lobby/model/LobbyViewRecords.h"
#include "sdk/platform/SteadyClock.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr double kCountdownTickSeconds = 0.25;
constexpr std::int64_t kNanosecondsPerSecond = 1000000000;
// A lifetime may come from a sibling; beyond this (about 31 years) the products in nanoseconds
// would no longer fit.
constexpr std::int64_t kMaxCountdownSeconds = 1000000000;

// `now` + `offset`, held at the ends of the range instead of wrapping.
std::int64_t SaturatingAdd(std::int64_t now, std::int64_t offset) {
  std::int64_t sum = 0;
  if (!__builtin_add_overflow(now, offset, &sum)) return sum;
  return offset > 0 ? INT64_MAX : INT64_MIN;
}

}  // namespace

void LobbyCountdown::StartCountdownTimer() {
  if (!lobby_.IsInLobby() || timerRunning_) return;
  timerRunning_ = true;
  runtime_.SetTimer(kCountdownTimer, kCountdownTickSeconds, [this] { OnCountdownTick(); });
  UpdateLobbyCountdown();
}

void LobbyCountdown::UpdateLobbyCountdown() {
  if (!lobby_.IsInLobby()) return;
  const std::int64_t now = Platform::SteadyClockNow();
  // None only before the controllers exist; there is no lifetime to count down yet.
  const std::optional<CountdownLobby::Lifetime> current = lobby_.CurrentLobbyLifetime();
  if (!current.has_value()) return;
  const std::int64_t lifetime =
      std::clamp<std::int64_t>(current->lifetime, 0, kMaxCountdownSeconds);
  const std::int64_t warning =
      std::clamp<std::int64_t>(current->warningPeriod, 0, kMaxCountdownSeconds);
  displayTime_ = SaturatingAdd(now, (lifetime - warning) * kNanosecondsPerSecond);
  deadline_ = SaturatingAdd(now, lifetime * kNanosecondsPerSecond);
  // Starting the timer comes back here, and publishes from inside; both publications stay.
  if (!timerRunning_) StartCountdownTimer();
  if (!timerRunning_) return;
  PublishV1Countdown(lifetime);
  PublishV2Countdown(lifetime, true);
}

void LobbyCountdown::OnCountdownTick() {
  const std::int64_t now = Platform::SteadyClockNow();
  if (deadline_ < now) {
    lobby_.OnLobbyTimedOut();
    StopCountdown();
    return;
  }
  if (!announced_ && displayTime_ < now) {
    announced_ = true;
    PublishV1Countdown(GetCountdownSeconds());
    PublishV2Countdown(GetCountdownSeconds(), true);
  }
}

void LobbyCountdown::StopCountdown() {
  timerRunning_ = false;
  announced_ = false;
  runtime_.CancelTimer(kCountdownTimer);
  PublishV2Countdown(0, false);
}

std::int64_t LobbyCountdown::GetCountdownSeconds() const {
  if (!timerRunning_) return 0;
  std::int64_t remaining = 0;
  // A deadline so far off that the difference overflows is as good as none left to show.
  if (__builtin_sub_overflow(deadline_, Platform::SteadyClockNow(), &remaining)) return 0;
  if (remaining < 0) return 0;
  return remaining / kNanosecondsPerSecond;
}

void LobbyCountdown::PublishV1Countdown(std::int64_t seconds) {
  runtime_.SendJsonApiEvent(kResourceUpdate, "/jyx-lobby/v1/lobby/countdown", seconds);
}

void LobbyCountdown::PublishV2Countdown(std::int64_t seconds, bool enabled) {
  Api::LobbyTimer timer;
  timer.countdown = seconds;
  timer.enabled = enabled;
  runtime_.SendJsonApiEvent(kResourceUpdate, "/jyx-lobby/v2/lobby/countdown", timer);
}

}  // namespace Zarn::Client::Lobby
