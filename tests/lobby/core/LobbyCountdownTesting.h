// The countdown's instants and flags, for tests.
#pragma once

#include <cstdint>

#include "lobby/core/LobbyCountdown.h"

namespace Zarn::Client::Lobby {

class LobbyCountdownTesting {
 public:
  // Both instants in steady-clock nanoseconds.
  static void Set(LobbyCountdown& countdown, std::int64_t displayTime, std::int64_t deadline) {
    countdown.displayTime_ = displayTime;
    countdown.deadline_ = deadline;
  }
  static std::int64_t DisplayTime(const LobbyCountdown& countdown) {
    return countdown.displayTime_;
  }
  static std::int64_t Deadline(const LobbyCountdown& countdown) { return countdown.deadline_; }
  static bool TimerRunning(const LobbyCountdown& countdown) { return countdown.timerRunning_; }
  static bool Announced(const LobbyCountdown& countdown) { return countdown.announced_; }
};

}  // namespace Zarn::Client::Lobby
