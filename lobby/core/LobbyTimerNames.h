// The names under which the lobby schedules its timers and delayed activities; each name keys
// one timer, so scheduling a name again replaces the earlier one.
#pragma once

namespace Zarn::Client::Lobby {

inline constexpr char kCountdownTimer[] = "LOBBY.TIMEOUT.COUNTDOWN.TIMER";
inline constexpr char kRegistrationRetryTimer[] = "PARTY.REGISTRATION.RETRY.TIMER";
inline constexpr char kPartiesHeartbeat[] = "jyx-lobby.parties-heartbeat";
inline constexpr char kPartiesPresence[] = "jyx-lobby.parties-presence";
inline constexpr char kPartiesResumeActivityCall[] = "jyx-lobby.parties-resume-activity-call";
inline constexpr char kPartiesResumeActivityWait[] = "jyx-lobby.parties-resume-activity-wait";

}  // namespace Zarn::Client::Lobby
