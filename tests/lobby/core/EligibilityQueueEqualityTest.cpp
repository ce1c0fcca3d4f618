// The queue comparison behind the eligibility rules' queue copy: every field counts.
#include <gtest/gtest.h>

#include <rapidjson/document.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "lobby/core/RecordEquality.h"
#include "sdk/binding/TypedConversions.h"
#include "tests/lobby/model/LobbyTypesTesting.h"

namespace Zarn::Client::Lobby {
namespace {

struct Change {
  std::string field;  // the wire name, nested ones after their record's name and a dot
  std::function<void(Api::Queue&)> apply;
};

std::vector<Change> EveryFieldChanged() {
  auto config = [](auto change) {
    return [change](Api::Queue& queue) { change(queue.gameTypeConfig); };
  };
  auto rewards = [](auto change) {
    return [change](Api::Queue& queue) { change(queue.queueRewards); };
  };
  using Config = Api::QueueGameTypeConfig;
  using Reward = Api::QueueReward;
  return {
      {"id", [](Api::Queue& q) { q.id = 420; }},
      {"mapId", [](Api::Queue& q) { q.mapId = 11; }},
      {"name", [](Api::Queue& q) { q.name = "n"; }},
      {"shortName", [](Api::Queue& q) { q.shortName = "s"; }},
      {"description", [](Api::Queue& q) { q.description = "d"; }},
      {"detailedDescription", [](Api::Queue& q) { q.detailedDescription = "d"; }},
      {"type", [](Api::Queue& q) { q.type = "t"; }},
      {"gameMode", [](Api::Queue& q) { q.gameMode = "CLASSIC"; }},
      {"gameMutator", [](Api::Queue& q) { q.gameMutator = "m"; }},
      {"assetMutator", [](Api::Queue& q) { q.assetMutator = "a"; }},
      {"category", [](Api::Queue& q) { q.category = Api::QueueGameCategory::PvP; }},
      {"numPlayersPerTeam", [](Api::Queue& q) { q.numPlayersPerTeam = 5; }},
      {"minimumParticipantListSize", [](Api::Queue& q) { q.minimumParticipantListSize = 1; }},
      {"maximumParticipantListSize", [](Api::Queue& q) { q.maximumParticipantListSize = 5; }},
      {"minLevel", [](Api::Queue& q) { q.minLevel = 30; }},
      {"maxSummonerLevelForFirstWinOfTheDay",
       [](Api::Queue& q) { q.maxSummonerLevelForFirstWinOfTheDay = 1; }},
      {"isRanked", [](Api::Queue& q) { q.isRanked = true; }},
      {"isTeamOnly", [](Api::Queue& q) { q.isTeamOnly = true; }},
      {"areFreeChampionsAllowed", [](Api::Queue& q) { q.areFreeChampionsAllowed = true; }},
      {"isTeamBuilderManaged", [](Api::Queue& q) { q.isTeamBuilderManaged = true; }},
      {"queueAvailability",
       [](Api::Queue& q) { q.queueAvailability = Api::QueueAvailability::PlatformDisabled; }},
      {"spectatorEnabled", [](Api::Queue& q) { q.spectatorEnabled = true; }},
      {"allowablePremadeSizes", [](Api::Queue& q) { q.allowablePremadeSizes = {1}; }},
      {"showPositionSelector", [](Api::Queue& q) { q.showPositionSelector = true; }},
      {"championsRequiredToPlay", [](Api::Queue& q) { q.championsRequiredToPlay = 16; }},
      {"gameTypeConfig.id", config([](Config& c) { c.id = 2; })},
      {"gameTypeConfig.name", config([](Config& c) { c.name = "n"; })},
      {"gameTypeConfig.maxAllowableBans", config([](Config& c) { c.maxAllowableBans = 3; })},
      {"gameTypeConfig.allowTrades", config([](Config& c) { c.allowTrades = true; })},
      {"gameTypeConfig.exclusivePick", config([](Config& c) { c.exclusivePick = true; })},
      {"gameTypeConfig.duplicatePick", config([](Config& c) { c.duplicatePick = true; })},
      {"gameTypeConfig.teamChampionPool", config([](Config& c) { c.teamChampionPool = true; })},
      {"gameTypeConfig.crossTeamChampionPool",
       config([](Config& c) { c.crossTeamChampionPool = true; })},
      {"gameTypeConfig.advancedLearningQuests",
       config([](Config& c) { c.advancedLearningQuests = true; })},
      {"gameTypeConfig.battleBoost", config([](Config& c) { c.battleBoost = true; })},
      {"gameTypeConfig.deathMatch", config([](Config& c) { c.deathMatch = true; })},
      {"gameTypeConfig.doNotRemove", config([](Config& c) { c.doNotRemove = true; })},
      {"gameTypeConfig.learningQuests", config([](Config& c) { c.learningQuests = true; })},
      {"gameTypeConfig.onboardCoopBeginner",
       config([](Config& c) { c.onboardCoopBeginner = true; })},
      {"gameTypeConfig.reroll", config([](Config& c) { c.reroll = true; })},
      {"gameTypeConfig.mainPickTimerDuration",
       config([](Config& c) { c.mainPickTimerDuration = 30; })},
      {"gameTypeConfig.postPickTimerDuration",
       config([](Config& c) { c.postPickTimerDuration = 30; })},
      {"gameTypeConfig.banTimerDuration", config([](Config& c) { c.banTimerDuration = 30; })},
      {"gameTypeConfig.pickMode", config([](Config& c) { c.pickMode = "p"; })},
      {"gameTypeConfig.banMode", config([](Config& c) { c.banMode = "b"; })},
      {"gameTypeConfig.gameModeOverride", config([](Config& c) { c.gameModeOverride = ""; })},
      {"gameTypeConfig.numPlayersPerTeamOverride",
       config([](Config& c) { c.numPlayersPerTeamOverride = 0; })},
      {"queueRewards.isIpEnabled", rewards([](Reward& r) { r.isIpEnabled = true; })},
      {"queueRewards.isXpEnabled", rewards([](Reward& r) { r.isXpEnabled = true; })},
      {"queueRewards.isChampionPointsEnabled",
       rewards([](Reward& r) { r.isChampionPointsEnabled = true; })},
      {"queueRewards.partySizeIpRewards", rewards([](Reward& r) { r.partySizeIpRewards = {0}; })},
  };
}

// The wire names of a queue's fields, nested records' fields after their record's name.
std::set<std::string> RegisteredFields() {
  BindingRegistry registry;
  RegisterLobbyApiTypes(registry);
  const std::string json = ToJsonString(Api::Queue{}, registry);
  rapidjson::Document document;
  document.Parse(json.c_str(), json.size());
  std::set<std::string> fields;
  for (const auto& member : document.GetObject()) {
    const std::string name = member.name.GetString();
    if (!member.value.IsObject()) {
      fields.insert(name);
      continue;
    }
    for (const auto& nested : member.value.GetObject()) {
      fields.insert(name + "." + nested.name.GetString());
    }
  }
  return fields;
}

TEST(EligibilityQueueEqualityTest, EveryFieldOfAQueueCounts) {
  std::set<std::string> changed;
  for (const Change& change : EveryFieldChanged()) {
    SCOPED_TRACE(change.field);
    changed.insert(change.field);
    Api::Queue queue;
    change.apply(queue);
    EXPECT_FALSE(RecordsEqual(queue, Api::Queue{}));
    EXPECT_FALSE(RecordsEqual(Api::Queue{}, queue));
    const Api::Queue copy = queue;
    EXPECT_TRUE(RecordsEqual(queue, copy));
  }
  EXPECT_EQ(changed, RegisteredFields()) << "a field without a change here is not compared";
}

TEST(EligibilityQueueEqualityTest, ListsMatchInLengthAndOrder) {
  Api::Queue first;
  first.id = 420;
  Api::Queue second;
  second.id = 440;
  struct Case {
    const char* label;
    std::vector<Api::Queue> a;
    std::vector<Api::Queue> b;
    bool equal;
  };
  const std::vector<Case> cases = {
      {"both empty", {}, {}, true},
      {"same order", {first, second}, {first, second}, true},
      {"reordered", {first, second}, {second, first}, false},
      {"one more", {first}, {first, second}, false},
      {"one fewer", {first, second}, {first}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(RecordsEqual(c.a, c.b), c.equal);
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
