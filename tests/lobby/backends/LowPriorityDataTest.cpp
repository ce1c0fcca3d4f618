// The low-priority penalty read from the parties service's gatekeeper restrictions.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"

namespace Zarn::Client::Lobby {
namespace {

using Ids = std::vector<std::uint64_t>;

Api::GatekeeperRestrictionDto Restriction(const char* reason, std::uint64_t accountId,
                                          std::int64_t remainingMillis, const char* payload = "") {
  Api::GatekeeperRestrictionDto restriction;
  restriction.reason = reason;
  restriction.accountId = accountId;
  restriction.remainingMillis = remainingMillis;
  restriction.payload = payload;
  return restriction;
}

Api::PartyMemberDto Member(std::uint64_t accountId, std::uint64_t summonerId) {
  Api::PartyMemberDto member;
  member.accountId = accountId;
  member.summonerId = summonerId;
  return member;
}

// A player in a party of three: accounts 1, 2 and 3, the third without a summoner id.
Api::PlayerDto PlayerInParty(std::int64_t serverUtcMillis = 0,
                             std::uint64_t activityResumeUtcMillis = 0) {
  Api::PlayerDto player;
  player.serverUtcMillis = serverUtcMillis;
  player.currentParty.emplace();
  player.currentParty->players = {Member(1, 101), Member(2, 102), Member(3, 0)};
  player.currentParty->activityResumeUtcMillis = activityResumeUtcMillis;
  return player;
}

TEST(LowPriorityDataTest, LeaverBustedKeepsTheLongestPenaltyAndTheLastPayload) {
  const Api::LobbyMatchmakingLowPriorityDataResource data =
      PartiesLobbyBackend::MakeLowPriorityData(
          {Restriction("LEAVER_BUSTED", 2, 90000, "first"), Restriction("QUEUE_DODGER", 1, 5000000),
           Restriction("LEAVER_BUSTED", 3, 30000, "second"),
           Restriction("LEAVER_BUSTED", 9, 1500, "third")},
          PlayerInParty());
  EXPECT_EQ(data.penaltyTime, 90.0);
  EXPECT_EQ(data.penaltyTimeRemaining, 90.0);
  EXPECT_EQ(data.penalizedSummonerIds, Ids{102}) << "account 3 has summoner id 0, 9 is no member";
  EXPECT_EQ(data.bustedLeaverAccessToken, "third");
}

TEST(LowPriorityDataTest, ALaterThrottleReplacesThePenaltyEvenWhenShorter) {
  const Api::LobbyMatchmakingLowPriorityDataResource data =
      PartiesLobbyBackend::MakeLowPriorityData({Restriction("LEAVER_BUSTED", 1, 600000, "token"),
                                                Restriction("QUEUE_SUBMIT_THROTTLED", 1, 0)},
                                               PlayerInParty(1000000, 1002500));
  EXPECT_EQ(data.penaltyTime, 2.5);
  EXPECT_EQ(data.penaltyTimeRemaining, 2.5);
  EXPECT_EQ(data.penalizedSummonerIds, Ids{101});
  EXPECT_EQ(data.bustedLeaverAccessToken, "token");
}

TEST(LowPriorityDataTest, AThrottleWaitsOnlyUntilTheActivityResumes) {
  constexpr std::int64_t kLowestServerTime = std::numeric_limits<std::int64_t>::min();
  constexpr std::uint64_t k2To63 = std::uint64_t{1} << 63;
  struct Case {
    const char* label;
    std::int64_t serverUtcMillis;
    std::uint64_t activityResumeUtcMillis;
    double penaltyTime;
  };
  const std::vector<Case> cases = {
      {"resumes now", 5000, 5000, 0.0},
      {"resumed earlier", 5000, 4000, 0.0},
      {"resumes later", 5000, 7000, 2.0},
      {"resumes at 2^63", 1000, k2To63, static_cast<double>(k2To63 - 1000) * 0.001},
      {"negative server time", -3000, 2000, 5.0},
      {"lowest server time, resume 0", kLowestServerTime, 0, static_cast<double>(k2To63) * 0.001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const Api::LobbyMatchmakingLowPriorityDataResource data =
        PartiesLobbyBackend::MakeLowPriorityData(
            {Restriction("QUEUE_SUBMIT_THROTTLED", 1, 123456)},
            PlayerInParty(c.serverUtcMillis, c.activityResumeUtcMillis));
    EXPECT_EQ(data.penaltyTime, c.penaltyTime);
    EXPECT_EQ(data.penaltyTimeRemaining, c.penaltyTime);
    EXPECT_TRUE(data.penalizedSummonerIds.empty());
    EXPECT_EQ(data.bustedLeaverAccessToken, "");
  }
}

TEST(LowPriorityDataTest, WithoutAPartyNoOneIsPenalizedAndAThrottleChangesNothing) {
  Api::PlayerDto player;
  player.serverUtcMillis = 1000;
  const Api::LobbyMatchmakingLowPriorityDataResource data =
      PartiesLobbyBackend::MakeLowPriorityData({Restriction("LEAVER_BUSTED", 1, 4000, "token"),
                                                Restriction("QUEUE_SUBMIT_THROTTLED", 1, 0)},
                                               player);
  EXPECT_EQ(data.penaltyTime, 4.0);
  EXPECT_EQ(data.penaltyTimeRemaining, 4.0);
  EXPECT_TRUE(data.penalizedSummonerIds.empty());
  EXPECT_EQ(data.bustedLeaverAccessToken, "token");

  const Api::LobbyMatchmakingLowPriorityDataResource none =
      PartiesLobbyBackend::MakeLowPriorityData({}, player);
  EXPECT_EQ(none.penaltyTime, 0.0);
  EXPECT_EQ(none.penaltyTimeRemaining, 0.0);
}

}  // namespace
}  // namespace Zarn::Client::Lobby
