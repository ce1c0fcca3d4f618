#include "lobby/core/QueueFeatures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/core/GatekeeperReasonMap.h"
#include "sdk/binding/JsonText.h"

namespace Zarn::Client::Lobby {
namespace {

using Code = Api::EligibilityRestrictionCode;
using Names = std::vector<std::string>;
using Policy = Api::QueueCustomGameSpectatorPolicy;

TEST(QueueFeaturesTest, FeatureNamesComeInTheirFixedOrder) {
  Api::QueueGameTypeConfig all;
  all.doNotRemove = all.deathMatch = all.reroll = all.battleBoost = true;
  all.onboardCoopBeginner = all.learningQuests = all.advancedLearningQuests = true;
  all.allowTrades = all.exclusivePick = true;
  EXPECT_EQ(GameTypeConfigFeatureNames(all),
            (Names{"AdvancedLearningQuests", "LearningQuests", "OnboardCoopBeginner", "BattleBoost",
                   "ReRoll", "DEATHMATCH", "DoNotRemove"}));

  Api::QueueGameTypeConfig some;
  some.reroll = some.learningQuests = true;
  EXPECT_EQ(GameTypeConfigFeatureNames(some), (Names{"LearningQuests", "ReRoll"}));
  EXPECT_EQ(GameTypeConfigFeatureNames(Api::QueueGameTypeConfig{}), Names{});
}

TEST(QueueFeaturesTest, EachFeatureNameSetsTheFlagItIsListedBy) {
  for (const char* name : {"AdvancedLearningQuests", "LearningQuests", "OnboardCoopBeginner",
                           "BattleBoost", "ReRoll", "DEATHMATCH", "DoNotRemove"}) {
    SCOPED_TRACE(name);
    Api::QueueGameTypeConfig config;
    std::string mutator = "unchanged";
    ApplyGameTypeFeatureNames({name}, config, mutator);
    EXPECT_EQ(GameTypeConfigFeatureNames(config), Names{name});
    EXPECT_EQ(mutator, "unchanged");
  }
}

TEST(QueueFeaturesTest, AppliedNamesKeepTheLastMutatorAndIgnoreOthers) {
  struct Case {
    Names names;
    Names features;
    std::string mutator;
  };
  const Case cases[] = {
      {{"PracticeTool", "ReRoll", "FRENZY", "unknown"}, {"ReRoll"}, "FRENZY"},
      {{"FRENZY", "6v6"}, {}, "6v6"},
      {{"OneForAll", "CounterPick"}, {}, "CounterPick"},
      {{"practicetool", "reroll", "Frenzy", ""}, {}, "before"},
      {{}, {}, "before"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.names));
    Api::QueueGameTypeConfig config;
    std::string mutator = "before";
    ApplyGameTypeFeatureNames(c.names, config, mutator);
    EXPECT_EQ(GameTypeConfigFeatureNames(config), c.features);
    EXPECT_EQ(mutator, c.mutator);
  }

  Api::QueueGameTypeConfig config;
  config.battleBoost = true;
  std::string mutator;
  ApplyGameTypeFeatureNames({"DoNotRemove"}, config, mutator);
  EXPECT_EQ(GameTypeConfigFeatureNames(config), (Names{"BattleBoost", "DoNotRemove"}));
}

TEST(QueueFeaturesTest, TheGameMutatorIsTheFirstReportedOneOfTheList) {
  struct Case {
    const char* json;
    const char* mutator;
  };
  const Case cases[] = {
      {R"({"gameMutators":["FRENZY","OneForAll","6v6"]})", "OneForAll"},
      {R"({"gameMutators":["CounterPick","PracticeTool"]})", "CounterPick"},
      {R"({"gameMutators":[6,"6v6"]})", "6v6"},
      {R"({"gameMutators":["FRENZY"]})", ""},
      {R"({"gameMutators":["practicetool","PracticeTool "]})", ""},
      {R"({"gameMutators":[]})", ""},
      {R"({"gameMutators":"PracticeTool"})", ""},
      {R"({"gameMutators":{"a":"PracticeTool"}})", ""},
      {R"({"gameMode":"PracticeTool"})", ""},
      {R"(["PracticeTool"])", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    BindingResult parsed = ParseJson(c.json);
    ASSERT_TRUE(parsed.IsOk());
    EXPECT_EQ(FindGameMutator(parsed.Value()), c.mutator);
  }
}

TEST(QueueFeaturesTest, SpectatorPoliciesMapToLegacyTextsAndBack) {
  struct Case {
    Policy policy;
    const char* text;
  };
  const Case cases[] = {{Policy::NotAllowed, "NONE"},
                        {Policy::LobbyAllowed, "LOBBYONLY"},
                        {Policy::FriendsAllowed, "DROPINONLY"},
                        {Policy::AllAllowed, "ALL"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SpectatorPolicyToLcdsString(c.policy), c.text);
    EXPECT_EQ(LcdsStringToSpectatorPolicy(c.text), c.policy);
  }
  EXPECT_EQ(SpectatorPolicyToLcdsString(static_cast<Policy>(7)), "NONE");
  for (const char* text : {"all", "", "ALL ", "FRIENDS"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(LcdsStringToSpectatorPolicy(text), Policy::NotAllowed);
  }
}

TEST(GatekeeperReasonMapTest, HoldsExactlyTheKnownReasons) {
  struct Case {
    const char* reason;
    Code code;
  };
  const Case cases[] = {
      {"QUEUE_STATE_NOT_ON", Code::QueueDisabled},
      {"PLAYER_BANNED", Code::PlayerBannedRestriction},
      {"MIN_CHAMPIONS_RESTRICTED", Code::PlayerAvailableChampionRestriction},
      {"MIN_CHAMPIONS_RESTRICTED_NO_FREE", Code::PlayerAvailableChampionRestriction},
      {"TIER_DELTA_RESTRICTED", Code::TeamDivisionRestriction},
      {"MAX_PREMADE_SIZE_VIOLATED", Code::TeamMaxSizeRestriction},
      {"BINGE_PREVENTION", Code::PlayerBingeRestriction},
      {"QUEUE_DODGER", Code::PlayerDodgeRestriction},
      {"ALREADY_IN_GAME", Code::PlayerInGameRestriction},
      {"LEAVER_BUSTED", Code::PlayerLeaverBustedRestriction},
      {"LEAVER_BUSTER_TAINTED_WARNING", Code::PlayerLeaverTaintedWarningRestriction},
      {"MAX_LEVEL_RESTRICTED", Code::PlayerMaxLevelRestriction},
      {"MIN_LEVEL_RESTRICTED", Code::PlayerMinLevelRestriction},
      {"MINOR_RESTRICTED", Code::PlayerMinorRestriction},
      {"RANKED_RESTRICTED", Code::PlayerRankedSuspensionRestriction},
      {"HIGH_MMR_PREMADE_SIZE_RESTRICTED", Code::TeamHighMMRMaxSizeRestriction},
      {"PREREQUISITE_QUEUES_NOT_PLAYED", Code::PrerequisiteQueuesNotPlayedRestriction},
  };
  EXPECT_EQ(GatekeeperReasonMap.size(), std::size(cases));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    auto found = GatekeeperReasonMap.find(std::string_view(c.reason));
    ASSERT_NE(found, GatekeeperReasonMap.end());
    EXPECT_EQ(found->second, c.code);
  }
  for (const char* reason : {"QUEUE_SUBMIT_THROTTLED", "leaver_busted", ""}) {
    SCOPED_TRACE(reason);
    EXPECT_EQ(GatekeeperReasonMap.find(std::string_view(reason)), GatekeeperReasonMap.end());
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
