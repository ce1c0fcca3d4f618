// The lobby countdown: how long the legacy lobby the player is in has left, ticking on a
// repeating timer, shown from the controller's warning period on and published at
// "/jyx-lobby/v1/lobby/countdown" and "/jyx-lobby/v2/lobby/countdown".
#pragma once

#include <cstdint>
#include <optional>

#include "sdk/runtime/AppModule.h"

namespace Zarn::Client::Lobby {

// What the countdown needs of the lobby it counts down.
class CountdownLobby {
 public:
  // In seconds; either may be out of range, the countdown clamps them.
  struct Lifetime {
    std::int64_t lifetime = 0;
    std::int64_t warningPeriod = 0;
  };

  [[nodiscard]] virtual bool IsInLobby() const = 0;
  // The current lobby's lifetime; none while no controller serves it.
  [[nodiscard]] virtual std::optional<Lifetime> CurrentLobbyLifetime() = 0;
  // The deadline passed; the countdown stops right after.
  virtual void OnLobbyTimedOut() = 0;

 protected:
  ~CountdownLobby() = default;
};

class LobbyCountdown {
 public:
  // `runtime` publishes and runs the timer; both must outlive the countdown.
  LobbyCountdown(AppModule& runtime, CountdownLobby& lobby) : runtime_(runtime), lobby_(lobby) {}
  LobbyCountdown(const LobbyCountdown&) = delete;
  LobbyCountdown& operator=(const LobbyCountdown&) = delete;

  // Starts the repeating tick when in a lobby and no countdown runs.
  void StartCountdownTimer();
  // Restarts the countdown from the current lobby's lifetime and publishes it; nothing outside
  // a lobby or while no controller serves it.
  void UpdateLobbyCountdown();
  // Clears both flags, cancels the timer and publishes a stopped v2 countdown.
  void StopCountdown();
  // Whole seconds until the deadline; 0 when it passed or no countdown runs.
  [[nodiscard]] std::int64_t GetCountdownSeconds() const;

 private:
  friend class LobbyCountdownTesting;

  void OnCountdownTick();
  void PublishV1Countdown(std::int64_t seconds);
  void PublishV2Countdown(std::int64_t seconds, bool enabled);

  AppModule& runtime_;
  CountdownLobby& lobby_;
  // Steady-clock nanoseconds: when the countdown shows, and when it ends.
  std::int64_t displayTime_ = 0;
  std::int64_t deadline_ = 0;
  bool timerRunning_ = false;
  bool announced_ = false;
};

}  // namespace Zarn::Client::Lobby
