// The search routes and the v1 countdown, in-process on the stand-in host with the real backends.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "tests/lobby/core/ReceivedTesting.h"

namespace Zarn::Client::Lobby::ReceivedTesting {
namespace {

using Names = std::vector<std::string>;

constexpr char kSearchPath[] = "/jyx-matchmaking/v1/search";
constexpr std::int64_t kSecond = 1000000000;

TEST_F(ReceivedTest, WithoutALobbyTheSearchRoutesAnswerInvalidLobby) {
  struct Case {
    const char* label;
    BindingHttpResult (LobbyPlugin::*handler)();
    const char* logged;
  };
  const std::vector<Case> cases = {
      {"start", &LobbyPlugin::HandleStartSearch,
       "Matchmaking search requested, but we are not in a lobby"},
      {"cancel", &LobbyPlugin::HandleCancelSearch,
       "Matchmaking cancel requested, but we are not in a lobby"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::size_t logs = W().LogMark();
    const std::size_t requests = W().Mark();
    BindingHttpResult reply = (W().Plugin().*c.handler)();
    EXPECT_FALSE(reply.IsOk());
    EXPECT_EQ(reply.StatusPart().status, 500);
    EXPECT_EQ(std::string(reply.Result().ErrorMessage()), "INVALID_LOBBY");
    EXPECT_EQ(W().Logged(c.logged, logs), Names{std::string("2|") + c.logged});
    EXPECT_EQ(W().Sent(kSearchPath, requests).size(), 0u);
  }
}

TEST_F(ReceivedTest, InALegacyLobbyTheSearchRoutesPostAndDeleteTheSearch) {
  W().JoinLobby("inv-0", "lobby-1");
  W().host_.SeedResource(kSearchPath, R"({"searchState":"Invalid"})");
  const std::size_t requests = W().Mark();
  EXPECT_TRUE(W().Plugin().HandleStartSearch().IsOk());
  EXPECT_TRUE(W().Plugin().HandleCancelSearch().IsOk());
  std::vector<std::uint32_t> methods;
  const std::vector<Host::CoreRequest>& sent = W().host_.Records().requests;
  for (std::size_t i = requests; i < sent.size(); ++i) {
    if (sent[i].path == kSearchPath) methods.push_back(sent[i].method);
  }
  EXPECT_EQ(methods, (std::vector<std::uint32_t>{static_cast<std::uint32_t>(HttpMethod::Post),
                                                 static_cast<std::uint32_t>(HttpMethod::Delete)}));
}

TEST_F(ReceivedTest, TheSearchStateIsTheOnePublishedLast) {
  W().host_.SetResource(kSearchPath, R"({"searchState":"Searching"})");
  W().host_.RunDue();
  EXPECT_EQ(W().Plugin().HandleGetSearchState().value.searchState,
            Api::LobbyMatchmakingSearchState::Searching);
}

TEST_F(ReceivedTest, TheV1CountdownCountsWholeSecondsAndNeverBelowZero) {
  W().JoinLobby("inv-0", "lobby-1");
  ASSERT_TRUE(LobbyPluginTesting::CountdownTimerRunning(W().Plugin()));
  const std::int64_t now = Client::Testing::VirtualClock::Read(&W().clock_);
  struct Case {
    const char* label;
    std::int64_t deadline;
    std::int64_t expected;
  };
  const std::vector<Case> cases = {
      {"90.5 s left", now + 90 * kSecond + kSecond / 2, 90},
      {"just under one", now + kSecond - 1, 0},
      {"past expiry", now - 5 * kSecond, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    LobbyPluginTesting::SetCountdown(W().Plugin(), now, c.deadline);
    EXPECT_EQ(W().Plugin().HandleGetV1Countdown(), c.expected);
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby::ReceivedTesting
