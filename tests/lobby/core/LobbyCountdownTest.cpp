// The lobby countdown, run in-process on the stand-in host with fake backends: its recount from
// the controller's lifetime, its tick, its announcement and its end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/core/LobbyFlow.h"
#include "lobby/core/LobbyTimerNames.h"
#include "tests/lobby/core/LobbyControllerTesting.h"
#include "tests/lobby/core/LobbyCountdownTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Testing {
namespace {

using namespace Lobby::LobbyEvents;
using Lobby::LobbyCountdownTesting;
using Lobby::LobbyPluginTesting;
using Names = std::vector<std::string>;

constexpr std::int64_t kSecond = 1000000000;

Lobby::LobbyCountdown& Countdown(LobbyRig& rig) {
  return LobbyPluginTesting::Countdown(*rig.plugin);
}

TEST(LobbyCountdownTest, CountdownTickStopsAtTheDeadlineAndAnnouncesOnce) {
  const std::string kV2Stopped =
      R"(publish {"data":{"countdown":0,"enabled":false},"eventType":"Update",)"
      R"("uri":"/jyx-lobby/v2/lobby/countdown"})";
  const Names kWatched = {"publish"};
  {
    SCOPED_TRACE("a deadline already past");
    LobbyRig rig;
    rig.Drive({kNewLobbyRequested, kNewLobbySucceeded});
    const std::int64_t now = rig.host.Scheduler().Now();
    LobbyCountdownTesting::Set(Countdown(rig), now - kSecond, now - 1);
    LobbyPluginTesting::AutoGrantedMemberIds(*rig.plugin) = {5, 6};
    Countdown(rig).StartCountdownTimer();
    EXPECT_TRUE(LobbyCountdownTesting::TimerRunning(Countdown(rig)));
    const std::size_t mark = rig.Mark();
    rig.host.Advance(0.25);
    const Names published = rig.Entries(kWatched, mark);
    ASSERT_EQ(published.size(), 5u);
    EXPECT_TRUE(published[0].find(R"("uri":"/jyx-lobby/v1/lobby"})") != std::string::npos);
    EXPECT_TRUE(published[1].find(R"("uri":"/jyx-lobby/v1/lobby/members"})") != std::string::npos);
    EXPECT_TRUE(published[2].find(R"("uri":"/jyx-lobby/v1/lobby/invitations"})") !=
                std::string::npos);
    EXPECT_TRUE(published[3].find(R"("uri":"/jyx-lobby/v1/lobby/localMember"})") !=
                std::string::npos);
    EXPECT_EQ(published[4], kV2Stopped);
    EXPECT_FALSE(LobbyCountdownTesting::TimerRunning(Countdown(rig)));
    EXPECT_FALSE(LobbyCountdownTesting::Announced(Countdown(rig)));
    EXPECT_EQ(rig.plugin->timers_.count(Lobby::kCountdownTimer), 0u);
    EXPECT_TRUE(LobbyPluginTesting::AutoGrantedMemberIds(*rig.plugin).empty());
    const std::size_t after = rig.Mark();
    rig.host.Advance(1.0);
    EXPECT_EQ(rig.Entries(kWatched, after), Names{});
  }
  {
    SCOPED_TRACE("the warning instant passed");
    LobbyRig rig;
    rig.Drive({kNewLobbyRequested, kNewLobbySucceeded});
    const std::int64_t now = rig.host.Scheduler().Now();
    LobbyCountdownTesting::Set(Countdown(rig), now + kSecond / 10,
                               now + 10 * kSecond + 9 * kSecond / 10);
    Countdown(rig).StartCountdownTimer();
    const std::size_t mark = rig.Mark();
    rig.host.Advance(0.25);
    rig.host.Advance(0.25);
    EXPECT_EQ(
        rig.Entries(kWatched, mark),
        (Names{R"(publish {"data":10,"eventType":"Update","uri":"/jyx-lobby/v1/lobby/countdown"})",
               R"(publish {"data":{"countdown":10,"enabled":true},"eventType":"Update",)"
               R"("uri":"/jyx-lobby/v2/lobby/countdown"})"}));
    EXPECT_TRUE(LobbyCountdownTesting::Announced(Countdown(rig)));
    EXPECT_EQ(Countdown(rig).GetCountdownSeconds(), 10);
    const std::size_t beforeEnd = rig.Mark();
    rig.host.Advance(11.0);
    const Names atEnd = rig.Entries(kWatched, beforeEnd);
    ASSERT_FALSE(atEnd.empty());
    EXPECT_EQ(atEnd.back(), kV2Stopped);
    EXPECT_EQ(Countdown(rig).GetCountdownSeconds(), 0);
  }
}

TEST(LobbyCountdownTest, CountdownTimerStartsOnlyInALobbyAndOnlyOnce) {
  LobbyRig rig;
  // Each recount publishes the lifetime of the lobby's controller.
  const std::string kRecount =
      R"(publish {"data":2700,"eventType":"Update","uri":"/jyx-lobby/v1/lobby/countdown"})";
  std::size_t mark = rig.Mark();
  Countdown(rig).StartCountdownTimer();
  EXPECT_FALSE(LobbyCountdownTesting::TimerRunning(Countdown(rig)));
  EXPECT_EQ(rig.Entries({kRecount}, mark).size(), 0u);
  rig.Drive({kAcceptedPartyInvite});
  mark = rig.Mark();
  Countdown(rig).StartCountdownTimer();
  Countdown(rig).StartCountdownTimer();
  EXPECT_TRUE(LobbyCountdownTesting::TimerRunning(Countdown(rig)));
  EXPECT_EQ(rig.Entries({kRecount}, mark).size(), 1u);
  EXPECT_EQ(rig.plugin->timers_.count(Lobby::kCountdownTimer), 1u);
}

TEST(LobbyCountdownTest, CountdownSecondsTruncateAndStopAtZero) {
  LobbyRig rig;
  rig.Drive({kAcceptedPartyInvite});
  const std::int64_t now = rig.host.Scheduler().Now();
  LobbyCountdownTesting::Set(Countdown(rig), now, now + 29 * kSecond / 10);
  EXPECT_EQ(Countdown(rig).GetCountdownSeconds(), 0) << "no countdown runs";
  Countdown(rig).StartCountdownTimer();
  // Starting recounts from the controller's lifetime; the instants under test come after.
  LobbyCountdownTesting::Set(Countdown(rig), now, now + 29 * kSecond / 10);
  EXPECT_EQ(Countdown(rig).GetCountdownSeconds(), 2);
  LobbyCountdownTesting::Set(Countdown(rig), now, now - kSecond);
  EXPECT_EQ(Countdown(rig).GetCountdownSeconds(), 0);
  LobbyCountdownTesting::Set(Countdown(rig), now, INT64_MIN);
  EXPECT_EQ(Countdown(rig).GetCountdownSeconds(), 0);
}

TEST(LobbyCountdownTest, CountdownPutsTheWarningAndTheDeadlineFromTheClampedLifetime) {
  struct Case {
    const char* label;
    std::int64_t lifetime;
    std::int64_t warning;
    std::int64_t displayAfter;   // seconds after now
    std::int64_t deadlineAfter;  // seconds after now
  };
  const std::vector<Case> cases = {
      {"defaults", 2700, 600, 2100, 2700},
      {"a lifetime beyond the range", INT64_MAX / 1000, 600, 1000000000 - 600, 1000000000},
      {"the largest lifetime", INT64_MAX, INT64_MAX, 0, 1000000000},
      {"a negative lifetime", -5, 600, -600, 0},
      {"a negative warning", 2700, INT64_MIN, 2700, 2700},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    LobbyRig rig;
    rig.Drive({kNewLobbyRequested, kNewLobbySucceeded});
    ASSERT_TRUE(LobbyCountdownTesting::TimerRunning(Countdown(rig)));
    ASSERT_NE(rig.factory->invalid, nullptr);
    Lobby::LobbyControllerTesting::SetCountdownPeriods(*rig.factory->invalid, c.lifetime,
                                                       c.warning);
    rig.host.Advance(1.0);
    const std::int64_t now = rig.host.Scheduler().Now();
    const std::size_t mark = rig.Mark();
    Countdown(rig).UpdateLobbyCountdown();
    EXPECT_EQ(LobbyCountdownTesting::DisplayTime(Countdown(rig)), now + c.displayAfter * kSecond);
    EXPECT_EQ(LobbyCountdownTesting::Deadline(Countdown(rig)), now + c.deadlineAfter * kSecond);
    const std::string seconds = std::to_string(c.deadlineAfter);
    EXPECT_EQ(rig.Entries({"publish"}, mark),
              (Names{"publish {\"data\":" + seconds +
                         R"(,"eventType":"Update","uri":"/jyx-lobby/v1/lobby/countdown"})",
                     R"(publish {"data":{"countdown":)" + seconds +
                         R"(,"enabled":true},"eventType":"Update",)"
                         R"("uri":"/jyx-lobby/v2/lobby/countdown"})"}))
        << "a running countdown publishes once per recount";
  }
}

TEST(LobbyCountdownTest, CountdownOutOfALobbyDoesNothing) {
  LobbyRig rig;
  const std::size_t mark = rig.Mark();
  Countdown(rig).UpdateLobbyCountdown();
  EXPECT_FALSE(LobbyCountdownTesting::TimerRunning(Countdown(rig)));
  EXPECT_EQ(LobbyCountdownTesting::Deadline(Countdown(rig)), 0);
  EXPECT_EQ(rig.Entries({"publish"}, mark), Names{});
}

}  // namespace
}  // namespace Zarn::Client::Testing
