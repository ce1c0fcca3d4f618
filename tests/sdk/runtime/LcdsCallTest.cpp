// Legacy-platform calls: the exception-status table and parameter packing with class stamping.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sdk/runtime/LcdsCall.h"
#include "sdk/runtime/LegacyGameExceptions.h"
#include "tests/sdk/base/FailureTesting.h"
#include "tests/sdk/binding/BindingPropertyTesting.h"
#include "tests/sdk/runtime/LegacyRecordsTesting.h"

namespace Zarn::Client {
namespace {

using Testing::FixtureBot;
using Testing::FixtureConfig;
using Testing::FixturePlain;
using Zarn::Testing::Describe;
using Zarn::Testing::FailsWith;

TEST(MapLegacyGameExceptionToStatusTest, FirstClassOfTheTableAfterThePackageWins) {
  struct Case {
    const char* label;
    std::string text;
    int32_t status;
  };
  const std::string game = "com.zarnworks.platform.game.";
  const std::vector<Case> cases = {
      {"after the package", "Error: " + game + "GameFullException: full", 432},
      {"without the package", "TeamFullException", 431},
      {"table order, not text order", game + "GameFullException and UserBannedException", 401},
      {"none of the classes", "java.lang.NullPointerException", 500},
      {"empty text", "", 500},
      {"only the package", game, 500},
      // Only what follows the first occurrence of the package is searched.
      {"class before the package", "UserBannedException " + game + "TeamFullException", 431},
      {"class only before the package", "UserBannedException at " + game + "Service", 500},
      {"second package occurrence", game + "x " + game + "StaleGameVersionException", 531},
      {"last entry", "GameNotDraftModeTurnException", 533},
      {"password", "IncorrectPasswordException", 403},
      {"not found", "GameNotFoundException", 404},
      {"name not unique", "GameNameNotUniqueException", 409},
      {"already in game", "PlayerAlreadyInGameException", 430},
      {"not enough", "NotEnoughPlayersException", 433},
      {"too many", "TooManyPlayersException", 434},
      {"mode", "GameModeNotSupportedException", 435},
      {"champion selection", "GameStartChampionSelectionException", 436},
      {"state", "InvalidGameStateException", 530},
      {"unbalanced", "GameStartUnbalancedTeamsException", 532},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(MapLegacyGameExceptionToStatus(c.text), c.status);
  }
}

class PackLcdsParamsTest : public ::testing::Test {
 protected:
  void SetUp() override { plugin_.RegisterFixtures(); }

  static FixtureConfig MakeConfig() {
    FixtureConfig config;
    config.gameName = "practice";
    config.host = FixtureBot{"brakka", 1};
    config.bots = {FixtureBot{"corvel", 2}};
    config.plain.value = 7;
    config.plain.bot = FixtureBot{"tessik", 3};
    return config;
  }

  std::vector<std::string> Describe(const std::vector<BindingProperty>& arguments) {
    std::vector<std::string> texts;
    for (const BindingProperty& argument : arguments)
      texts.push_back(Zarn::Testing::Describe(argument));
    return texts;
  }

  Testing::LegacyPlugin plugin_;
};

TEST_F(PackLcdsParamsTest, PacksEachKindOfParameterInOrder) {
  std::vector<BindingProperty> arguments;
  const std::optional<std::string> absent;
  const std::optional<std::string> present = "x";
  const std::vector<uint64_t> ids = {5, 6};
  ASSERT_TRUE(plugin_
                  .PackLcdsParams(arguments, int32_t{-3}, int64_t{-4}, uint64_t{9},
                                  std::string("t"), absent, present, ids, "literal")
                  .HasValue());
  EXPECT_EQ(Describe(arguments), (std::vector<std::string>{"i:-3", "i:-4", "u:9", "\"t\"", "null",
                                                           "\"x\"", "[u:5,u:6]", "\"literal\""}));
}

TEST_F(PackLcdsParamsTest, StampsRecordsWithAClassAndTheRecordsInsideThem) {
  std::vector<BindingProperty> arguments;
  const FixturePlain plain{8, FixtureBot{"ulvane", 4}};
  ASSERT_TRUE(plugin_.PackLcdsParams(arguments, int32_t{1}, MakeConfig(), plain).HasValue());
  ASSERT_EQ(arguments.size(), 3u);
  EXPECT_EQ(
      Zarn::Testing::Describe(arguments[1]),
      "{__class:\"com.zarnworks.platform.game.PracticeGameConfig\","
      "bots:[{__class:\"com.zarnworks.platform.game.BotParticipant\",name:\"corvel\",skill:i:2}],"
      "gameName:\"practice\","
      "host:{__class:\"com.zarnworks.platform.game.BotParticipant\",name:\"brakka\",skill:i:1},"
      "plain:{bot:{name:\"tessik\",skill:i:3},value:i:7}}");
  // A record type without a class is sent as it is, with nothing inside it stamped.
  EXPECT_EQ(Zarn::Testing::Describe(arguments[2]), "{bot:{name:\"ulvane\",skill:i:4},value:i:8}");
}

TEST_F(PackLcdsParamsTest, AParameterThatDoesNotConvertStopsThePacking) {
  std::vector<BindingProperty> arguments;
  Testing::LegacyPlugin bare;  // no fixtures registered
  const MaybeType<Failure, void> packed =
      bare.PackLcdsParams(arguments, std::string("first"), FixtureBot{"x", 1}, std::string("last"));
  EXPECT_THAT(packed, FailsWith(0,
                                "Couldn't convert native value because it's an unregistered "
                                "structure."));
  EXPECT_EQ(Describe(arguments), (std::vector<std::string>{"\"first\""}));
}

}  // namespace
}  // namespace Zarn::Client
