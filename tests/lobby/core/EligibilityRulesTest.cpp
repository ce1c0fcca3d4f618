// The premade-eligibility rules run in-process on the stand-in host: the hash from the summoner's
// level, champion counts and leagues as the host's resources deliver them, the queue copy, the
// start step and a pass nested in a waiting listener; and the gatekeeper restriction mapping.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "host/ResourceEventName.h"
#include "lobby/core/EligibilityRules.h"
#include "lobby/core/GatekeeperReasonMap.h"
#include "lobby/core/RecordEquality.h"
#include "sdk/base/LogChannels.h"
#include "sdk/binding/KeyedMap.h"
#include "sdk/runtime/Requests.h"
#include "tests/lobby/core/EligibilityRulesTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/sdk/platform/SteadyClockTesting.h"

namespace Zarn::Client::Testing {
namespace {

using Lobby::EligibilityRules;
using Lobby::EligibilityRulesTesting;
using Lobby::LobbyPluginTesting;
using Code = Lobby::Api::EligibilityRestrictionCode;
using Names = std::vector<std::string>;
using Args = KeyedMap<std::string>;

constexpr char kSummonerPath[] = "/jyx-summoner/v1/current-summoner";
constexpr char kQueuesPath[] = "/jyx-game-queues/v1/queues";
constexpr char kCountsPath[] = "/jyx-champions/v1/inventories/9/champions-playable-count";
constexpr char kLeaguesPath[] = "/jyx-leagues/v1/summoner-leagues/9";

constexpr char kSummoner[] = R"({"summonerId":9,"summonerLevel":30})";
constexpr char kCounts[] = R"({"championsOwned":20,"championsRented":0,"championsFreeToPlay":15,)"
                           R"("championsFreeToPlayReward":0})";
constexpr char kLeagues[] = R"([{"queueType":"LADDER_SINGLE","leagueTier":"ORVANE"}])";
// The hash of exactly these three: the first eight bytes, little-endian, of the SHA-256 of
// "level:30,counts:...,leagues:..." with each record's keys in ascending byte order.
constexpr std::int64_t kHash = 1752808629571770059;

constexpr char kPrefix[] = "Premade eligibility configuration: ";
const std::string kInitializing = LogEntry(std::string(kPrefix) + "initializing");
const std::string kComplete = LogEntry(std::string(kPrefix) + "COMPLETE");
std::string Incomplete(const std::string& missing) {
  return LogEntry(std::string(kPrefix) + "incomplete: " + missing);
}

// Stores the counts and leagues of kHash in the host.
void StoreCountsAndLeagues(LobbyRig& rig) {
  rig.host.SeedResource(kCountsPath, kCounts);
  rig.host.SeedResource(kLeaguesPath, kLeagues);
}

// A Delete event of `path`, whether or not the host stores a value there.
void DeliverDelete(LobbyRig& rig, const std::string& path) {
  rig.host.DeliverEvent(Host::ResourceEventName(path),
                        R"({"uri":")" + path + R"(","eventType":"Delete","data":null})");
}

EligibilityRules& Rules(LobbyRig& rig) { return LobbyPluginTesting::Eligibility(*rig.plugin); }

std::int64_t Hash(LobbyRig& rig) {
  const std::int64_t* hash = EligibilityRulesTesting::Hash(Rules(rig)).Effective();
  return hash != nullptr ? *hash : -1;
}

// Appends to `told` every hash the hash's listeners are told of from now on.
void RecordHashes(LobbyRig& rig, std::vector<std::int64_t>& told) {
  EligibilityRulesTesting::Hash(Rules(rig)).AddListener([&rig, &told] {
    told.push_back(Hash(rig));
  });
}

Names PremadeLines(const LobbyRig& rig, std::size_t from) {
  return rig.Entries({LogEntry(kPrefix)}, from);
}

void Set(LobbyRig& rig, const std::string& path, const std::string& json) {
  rig.host.SetResource(path, json);
  rig.host.RunDue();
}

TEST(EligibilityRulesTest, ADeleteOfTheSummonerBeforeAnyObservesNothing) {
  LobbyRig rig;
  const std::size_t mark = rig.Mark();
  DeliverDelete(rig, kSummonerPath);
  rig.host.RunDue();
  EXPECT_EQ(PremadeLines(rig, mark), Names{Incomplete(" (summoner) (champ counts) (leagues)")});
  EXPECT_TRUE(rig.Entries({"request /jyx-champions", "request /jyx-leagues"}).empty());
  EXPECT_EQ(EligibilityRulesTesting::ChampionCounts(Rules(rig)).Module(), nullptr);
  EXPECT_EQ(Hash(rig), 0) << "the default until the inputs are complete";
}

TEST(EligibilityRulesTest, ASummonerWithoutCountsNamesOnlyTheCounts) {
  LobbyRig rig;
  std::vector<std::int64_t> told;
  RecordHashes(rig, told);
  const std::size_t mark = rig.Mark();
  Set(rig, kSummonerPath, kSummoner);
  EXPECT_EQ(PremadeLines(rig, mark), (Names{kInitializing, Incomplete(" (champ counts)")}));
  EXPECT_EQ(EligibilityRulesTesting::ChampionCounts(Rules(rig)).Path(), kCountsPath);
  EXPECT_EQ(EligibilityRulesTesting::Leagues(Rules(rig)).Path(), kLeaguesPath);
  EXPECT_TRUE(told.empty());

  // The counts arrive; the leagues never did and count as the empty list.
  const std::size_t later = rig.Mark();
  Set(rig, kCountsPath, kCounts);
  EXPECT_EQ(PremadeLines(rig, later), Names{kComplete});
  EXPECT_EQ(told.size(), 1u);
  EXPECT_NE(Hash(rig), 0);
  EXPECT_NE(Hash(rig), kHash);
}

TEST(EligibilityRulesTest, InputsPresentWhenTheSummonerArrivesGiveOneHash) {
  LobbyRig rig;
  StoreCountsAndLeagues(rig);
  std::vector<std::int64_t> told;
  RecordHashes(rig, told);
  const std::size_t mark = rig.Mark();
  Set(rig, kSummonerPath, kSummoner);
  // The second line comes from the pass that the counts' first read runs, before the leagues are
  // observed.
  EXPECT_EQ(PremadeLines(rig, mark), (Names{kInitializing, Incomplete(" (leagues)"), kComplete}));
  EXPECT_EQ(told, std::vector<std::int64_t>{kHash});
  EXPECT_EQ(Hash(rig), kHash);
}

TEST(EligibilityRulesTest, OnlyAChangedInputGivesANewHash) {
  LobbyRig rig;
  StoreCountsAndLeagues(rig);
  Set(rig, kSummonerPath, kSummoner);
  ASSERT_EQ(Hash(rig), kHash);
  std::vector<std::int64_t> told;
  RecordHashes(rig, told);

  struct Step {
    const char* label;
    const char* path;
    std::string json;  // empty: a Delete
    bool newHash;
  };
  const std::string twoLeagues = R"([{"queueType":"LADDER_SINGLE","leagueTier":"ORVANE"},)"
                                 R"({"queueType":"LADDER_TEAM","leagueTier":"TALLEN"}])";
  const std::string twoLeaguesReordered = R"([{"queueType":"LADDER_TEAM","leagueTier":"TALLEN"},)"
                                          R"({"queueType":"LADDER_SINGLE","leagueTier":"ORVANE"}])";
  const std::vector<Step> steps = {
      {"the same summoner again", kSummonerPath, kSummoner, false},
      {"the same counts again", kCountsPath, kCounts, false},
      {"the same leagues again", kLeaguesPath, kLeagues, false},
      {"the level alone", kSummonerPath, R"({"summonerId":9,"summonerLevel":31})", true},
      {"a second league", kLeaguesPath, twoLeagues, true},
      {"the leagues reordered", kLeaguesPath, twoLeaguesReordered, true},
      {"a rented champion", kCountsPath,
       R"({"championsOwned":20,"championsRented":1,"championsFreeToPlay":15})", true},
      {"back to the first inputs (leagues)", kLeaguesPath, kLeagues, true},
      {"back to the first inputs (counts)", kCountsPath, kCounts, true},
      {"back to the first inputs (level)", kSummonerPath, kSummoner, true},
      {"another summoner with equal inputs", kSummonerPath,
       R"({"summonerId":10,"summonerLevel":30})", false},
  };
  std::vector<std::int64_t> hashes = {kHash};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    const std::size_t before = told.size();
    Set(rig, step.path, step.json);
    EXPECT_EQ(told.size() - before, step.newHash ? 1u : 0u);
    if (step.newHash) {
      EXPECT_NE(Hash(rig), hashes.back());
      hashes.push_back(Hash(rig));
    }
  }
  EXPECT_EQ(Hash(rig), kHash) << "the hash depends on the inputs alone";
  EXPECT_EQ(EligibilityRulesTesting::ChampionCounts(Rules(rig)).Path(), kCountsPath)
      << "the first summoner's paths stay";
  EXPECT_EQ(EligibilityRulesTesting::Leagues(Rules(rig)).Path(), kLeaguesPath);

  // Without counts the inputs are incomplete; the hash stays.
  const std::size_t mark = rig.Mark();
  const std::size_t before = told.size();
  ASSERT_TRUE(rig.host.DeleteResource(kCountsPath));
  rig.host.RunDue();
  EXPECT_EQ(PremadeLines(rig, mark), Names{Incomplete(" (champ counts)")});
  EXPECT_EQ(told.size(), before);
  EXPECT_EQ(Hash(rig), kHash);
  // Without leagues they are the empty list, a change.
  Set(rig, kCountsPath, kCounts);
  ASSERT_TRUE(rig.host.DeleteResource(kLeaguesPath));
  rig.host.RunDue();
  EXPECT_EQ(told.size(), before + 1);
  EXPECT_NE(Hash(rig), kHash);
}

std::string QueueList(int firstId, const char* firstName) {
  return R"([{"id":)" + std::to_string(firstId) + R"(,"name":")" + firstName +
         R"(","gameTypeConfig":{"pickMode":"TurnPicks"}},{"id":450,"name":"BATTLE"}])";
}

TEST(EligibilityRulesTest, OnlyAChangedQueueListReplacesTheCopy) {
  LobbyRig rig;
  EligibilityRules& rules = Rules(rig);
  const auto& watched = LobbyPluginTesting::Queues(*rig.plugin);
  EXPECT_FALSE(EligibilityRulesTesting::HasQueues(rules));
  struct Step {
    const char* label;
    std::string json;  // empty: a Delete
    bool replaced;
  };
  const std::vector<Step> steps = {
      {"the first list", QueueList(420, "Ranked"), true},
      {"an equal list", QueueList(420, "Ranked"), false},
      {"one name changed", QueueList(420, "Ladder Single"), true},
      {"a Delete", "", false},
      {"the list as before the Delete", QueueList(420, "Ladder Single"), false},
      {"one id changed", QueueList(440, "Ladder Single"), true},
  };
  std::vector<Lobby::Api::Queue> copy;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    EligibilityRulesTesting::CacheDirty(rules) = false;
    if (step.json.empty()) {
      ASSERT_TRUE(rig.host.DeleteResource(kQueuesPath));
    } else {
      rig.host.SetResource(kQueuesPath, step.json);
    }
    rig.host.RunDue();
    EXPECT_EQ(EligibilityRulesTesting::CacheDirty(rules), step.replaced);
    EXPECT_TRUE(EligibilityRulesTesting::HasQueues(rules));
    if (step.replaced) {
      ASSERT_NE(watched.Effective(), nullptr);
      EXPECT_FALSE(Lobby::RecordsEqual(*watched.Effective(), copy));
      copy = *watched.Effective();
    }
    EXPECT_TRUE(Lobby::RecordsEqual(EligibilityRulesTesting::Queues(rules), copy));
    ASSERT_EQ(EligibilityRulesTesting::Queues(rules).size(), 2u);
  }
  EXPECT_EQ(EligibilityRulesTesting::Queues(rules)[0].id, 440);
  EXPECT_EQ(EligibilityRulesTesting::Queues(rules)[0].gameTypeConfig.pickMode, "TurnPicks");
}

TEST(EligibilityRulesTest, InputsStoredBeforeStartReachTheRulesDuringStart) {
  LobbyRig rig(/*start=*/false);
  rig.host.SeedResource(kSummonerPath, kSummoner);
  rig.host.SeedResource(kCountsPath, kCounts);
  rig.host.SeedResource(kLeaguesPath, kLeagues);
  rig.host.SeedResource(kQueuesPath, QueueList(420, "Ranked"));
  // Only the host holds them: the plugin's subscriptions read them during its start.
  std::vector<Lobby::Api::Queue> queues(2);
  queues[0].id = 420;
  queues[0].name = "Ranked";
  queues[0].gameTypeConfig.pickMode = "TurnPicks";
  queues[1].id = 450;
  queues[1].name = "BATTLE";
  ASSERT_TRUE(rig.plugin->Initialize(&rig.init));
  EligibilityRules& rules = Rules(rig);
  EXPECT_EQ(Hash(rig), kHash);
  EXPECT_TRUE(EligibilityRulesTesting::HasQueues(rules));
  EXPECT_TRUE(Lobby::RecordsEqual(EligibilityRulesTesting::Queues(rules), queues));
  EXPECT_TRUE(EligibilityRulesTesting::CacheDirty(rules));
  EXPECT_EQ(PremadeLines(rig, 0), (Names{kInitializing, Incomplete(" (leagues)"), kComplete}));
}

TEST(EligibilityRulesTest, APassNestedInAWaitingHashListenerEndsAtTheNewestInputs) {
  LobbyRig rig;
  rig.host.SeedResource(kCountsPath, R"({"championsOwned":18,"championsFreeToPlay":15})");
  rig.host.SeedResource(kLeaguesPath, kLeagues);
  Set(rig, kSummonerPath, kSummoner);
  const std::int64_t first = Hash(rig);
  ASSERT_NE(first, 0);

  // The slow reply yields after each byte; the newest counts arrive at its first yield.
  Host::ScriptedReply slow;
  Host::ScriptedStream stream;
  stream.body = "true";
  Host::StreamChunk oneByte;
  oneByte.size = 1;
  stream.chunks.assign(stream.body.size(), oneByte);
  slow.stream = stream;
  rig.host.ScriptReply("/test/v1/slow", slow);
  std::vector<std::int64_t> told;
  std::vector<bool> completed;
  EligibilityRulesTesting::Hash(Rules(rig)).AddListener([&] {
    told.push_back(Hash(rig));
    if (told.size() == 1) {
      rig.host.OnYield(1, [&rig] { rig.host.SetResource(kCountsPath, kCounts); });
      const MaybeType<Failure, bool> read =
          rig.plugin->Request<bool>(HttpMethod::Get, "/test/v1/slow");
      completed.push_back(!read.IsFailure() && read.Value());
    }
  });

  const std::size_t mark = rig.Mark();
  Set(rig, kCountsPath, R"({"championsOwned":19,"championsFreeToPlay":15})");
  ASSERT_EQ(told.size(), 2u) << "the outer pass's hash, then the nested pass's";
  EXPECT_NE(told[0], first);
  EXPECT_EQ(told[1], kHash);
  EXPECT_EQ(completed, std::vector<bool>{true});
  EXPECT_EQ(Hash(rig), kHash);
  EXPECT_EQ(EligibilityRulesTesting::LastCounts(Rules(rig)).championsOwned, 20u);
  EXPECT_TRUE(PremadeLines(rig, mark).empty());
}

// --- The gatekeeper restriction mapping.

Lobby::Api::GatekeeperRestrictionDto Restriction(const std::string& reason,
                                                 std::int64_t remainingMillis = 0,
                                                 std::int32_t queueId = 420,
                                                 std::uint64_t accountId = 1) {
  Lobby::Api::GatekeeperRestrictionDto restriction;
  restriction.reason = reason;
  restriction.remainingMillis = remainingMillis;
  restriction.queueId = queueId;
  restriction.accountId = accountId;
  return restriction;
}

std::vector<Lobby::Api::Queue> RankedQueue() {
  Lobby::Api::Queue queue;
  queue.id = 420;
  queue.championsRequiredToPlay = 20;
  queue.maximumParticipantListSize = 2;
  queue.minLevel = 30;
  return {queue};
}

int64_t TenSeconds(void*) { return 10000000000; }

// The table itself is checked beside it; here every reason goes through the mapping.
TEST(EligibilityRulesTest, EveryGatekeeperReasonHasItsCode) {
  std::vector<std::pair<std::string, Code>> cases(Lobby::GatekeeperReasonMap.begin(),
                                                  Lobby::GatekeeperReasonMap.end());
  ASSERT_EQ(cases.size(), 17u);
  for (const char* unknown : {"QUEUE_SUBMIT_THROTTLED", "leaver_busted", ""}) {
    cases.emplace_back(unknown, Code::UnknownRestriction);
  }
  LobbyRig rig;
  for (const auto& [reason, code] : cases) {
    SCOPED_TRACE(reason);
    const std::size_t logs = rig.host.Records().logs.size();
    EXPECT_EQ(EligibilityRules::MapGatekeeperReason(Restriction(reason), RankedQueue(), {})
                  .restrictionCode,
              code);
    const auto& lines = rig.host.Records().logs;
    if (code != Code::UnknownRestriction) {
      EXPECT_EQ(lines.size(), logs);
      continue;
    }
    ASSERT_EQ(lines.size(), logs + 1);
    EXPECT_EQ(lines.back().message, "Unable to map gatekeeper reason: " + reason);
    EXPECT_EQ(lines.back().level, static_cast<std::uint32_t>(kLogLevelWarn));
  }
}

TEST(EligibilityRulesTest, ARestrictionExpiresOnTheMonotonicClockInMilliseconds) {
  LobbyRig rig;
  Platform::ScopedSteadyClockSource tenSeconds(&TenSeconds, nullptr);
  constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
  struct Case {
    const char* label;
    std::int64_t remainingMillis;
    std::uint64_t expiredTimestamp;
  };
  const std::vector<Case> cases = {
      {"1500 ms", 1500, 11500},
      {"1 ms", 1, 10001},
      {"0 ms", 0, 0},
      {"negative", -1500, 0},
      {"the largest", kLargest, static_cast<std::uint64_t>(kLargest) + 10000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(EligibilityRules::MapGatekeeperReason(Restriction("QUEUE_DODGER", c.remainingMillis),
                                                    RankedQueue(), {})
                  .expiredTimestamp,
              c.expiredTimestamp);
  }
}

TEST(EligibilityRulesTest, ARestrictionNamesThePartysPlayersOfItsAccountInPartyOrder) {
  LobbyRig rig;
  auto player = [](std::uint64_t accountId, std::uint64_t summonerId) {
    Lobby::Api::PartyMemberDto member;
    member.accountId = accountId;
    member.summonerId = summonerId;
    return member;
  };
  Lobby::Api::PartyDto party;
  party.players = {player(7, 301), player(1, 102), player(2, 201), player(1, 101)};
  EXPECT_EQ(EligibilityRules::MapGatekeeperReason(Restriction("QUEUE_DODGER"), RankedQueue(), party)
                .summonerIds,
            (std::vector<std::uint64_t>{102, 101}));
  EXPECT_TRUE(EligibilityRules::MapGatekeeperReason(Restriction("QUEUE_DODGER", 0, 420, 5),
                                                    RankedQueue(), party)
                  .summonerIds.empty());
}

TEST(EligibilityRulesTest, ThreeCodesTakeTheirArgumentFromTheQueue) {
  LobbyRig rig;
  struct Case {
    const char* reason;
    Args args;
  };
  const std::vector<Case> cases = {
      {"MIN_CHAMPIONS_RESTRICTED", {{"playerAvailableChampionRestriction", "20"}}},
      {"MIN_CHAMPIONS_RESTRICTED_NO_FREE", {{"playerAvailableChampionRestriction", "20"}}},
      {"MAX_PREMADE_SIZE_VIOLATED", {{"teamMaxSizeRestriction", "2"}}},
      {"MIN_LEVEL_RESTRICTED", {{"playerMinLevelRestriction", "30"}}},
      {"MAX_LEVEL_RESTRICTED", {}},
      {"HIGH_MMR_PREMADE_SIZE_RESTRICTED", {}},
      {"UNHEARD_OF", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    EXPECT_EQ(EligibilityRules::MapGatekeeperReason(Restriction(c.reason), RankedQueue(), {})
                  .restrictionArgs,
              c.args);
  }

  // BuildRestrictions adds to what the map holds.
  Args args = {{"kept", "1"}};
  EligibilityRules::BuildRestrictions(Code::TeamMaxSizeRestriction, RankedQueue()[0], args);
  EXPECT_EQ(args, (Args{{"kept", "1"}, {"teamMaxSizeRestriction", "2"}}));
}

TEST(EligibilityRulesTest, ARestrictionOfAnUnlistedQueueComesWithoutArguments) {
  LobbyRig rig;
  for (const std::int32_t queueId : {440, -1}) {
    SCOPED_TRACE(queueId);
    const std::size_t logs = rig.host.Records().logs.size();
    const Lobby::Api::EligibilityRestriction mapped = EligibilityRules::MapGatekeeperReason(
        Restriction("MIN_LEVEL_RESTRICTED", 0, queueId), RankedQueue(), {});
    EXPECT_EQ(mapped.restrictionCode, Code::PlayerMinLevelRestriction);
    EXPECT_TRUE(mapped.restrictionArgs.empty());
    const auto& lines = rig.host.Records().logs;
    ASSERT_EQ(lines.size(), logs + 1);
    EXPECT_EQ(lines.back().message,
              "Unable to provide eligibility restriction arguments because queue details were not "
              "available: " +
                  std::to_string(static_cast<std::uint32_t>(queueId)));
    EXPECT_EQ(lines.back().level, static_cast<std::uint32_t>(kLogLevelWarn));
  }
}

}  // namespace
}  // namespace Zarn::Client::Testing
