// Legacy-platform calls end to end through the stand-in host's legacy platform.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sdk/runtime/LcdsCall.h"
#include "sdk/runtime/TypedEvents.h"
#include "tests/sdk/base/FailureTesting.h"
#include "tests/sdk/runtime/RemoteCallTesting.h"

namespace Zarn::Client {
namespace {

using Testing::FixtureBot;
using Testing::FixtureConfig;
using Testing::FixtureGame;
using Testing::FixturePlain;
using Testing::FixtureStatus;
using Testing::kGameClass;
using Testing::kStatusClass;
using Zarn::Testing::FailsWith;
using Zarn::Testing::HasAttribute;

class LcdsCallHostedTest : public Testing::RemoteCallTest {
 protected:
  void Answer(const std::string& method, const std::string& typeName,
              std::optional<std::string> body) {
    Host::LcdsAnswer answer;
    answer.typeName = typeName;
    answer.body = std::move(body);
    legacy_.Script("gameService", method, answer);
  }
  void Throw(const std::string& method, const std::string& text, uint32_t status) {
    Host::LcdsAnswer answer;
    answer.exception = text;
    answer.status = status;
    legacy_.Script("gameService", method, answer);
  }
};

TEST_F(LcdsCallHostedTest, SendsDestinationMethodAndStampedArgumentsAndReadsTheTypedReply) {
  Answer("createGame", kGameClass, R"({"id":42,"name":"practice"})");
  FixtureConfig config;
  config.gameName = "practice";
  config.host = FixtureBot{"brakka", 1};
  config.plain.bot = FixtureBot{"tessik", 3};
  const std::optional<std::string> absent;
  MaybeType<Failure, FixtureGame> game =
      plugin_.LcdsCallSync<FixtureGame>("gameService", "createGame", config, absent, uint64_t{7});
  ASSERT_TRUE(game.HasValue()) << game.Message();
  EXPECT_EQ(game->id, 42u);
  EXPECT_EQ(game->name, "practice");
  // The future was complete: nothing waited.
  EXPECT_EQ(plugin_.yields, 0);
  EXPECT_TRUE(plugin_.waits.empty());

  ASSERT_EQ(legacy_.Invocations().size(), 1u);
  const Host::LcdsInvocation& call = legacy_.Invocations()[0];
  EXPECT_EQ(call.destination, "gameService");
  EXPECT_EQ(call.method, "createGame");
  // Nested records with a class are stamped, those of a type without one are not, and the
  // absent optional keeps its place as null.
  EXPECT_EQ(
      call.arguments,
      R"([{"__class":"com.zarnworks.platform.game.PracticeGameConfig","bots":[],)"
      R"("gameName":"practice","host":{"__class":"com.zarnworks.platform.game.BotParticipant",)"
      R"("name":"brakka","skill":1},"plain":{"bot":{"name":"tessik","skill":3},"value":0}},)"
      R"(null,7])");
  ASSERT_EQ(Records().requests.size(), 1u);
  EXPECT_EQ(Records().requests[0].method, 6u);
  EXPECT_EQ(Records().requests[0].path, "/jyx-login/v1/session/invoke");
}

TEST_F(LcdsCallHostedTest, FailuresOfTheReply) {
  struct Case {
    const char* label;
    std::string typeName;
    std::optional<std::string> body;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"another class", kStatusClass, R"({"owner":"x"})",
       "Expected 'com.zarnworks.platform.game.GameDTO' as LCDS response for "
       "gameService.getGame, but got 'com.zarnworks.platform.gameinvite.contract.LobbyStatus'"},
      {"a body that does not convert", kGameClass, R"({"id":"many","name":"n"})",
       "Couldn't convert LCDS DTO struct Testing::FixtureGame to C++ from "
       R"({"id":"many","name":"n"})"},
      // An empty body is the empty failure.
      {"an empty body", kGameClass, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Answer("getGame", c.typeName, c.body);
    EXPECT_THAT(plugin_.LcdsCallSync<FixtureGame>("gameService", "getGame", uint64_t{1}),
                FailsWith(0, std::string(c.message)));
  }
  Answer("getGame", kStatusClass, "{}");
  const auto wrong = plugin_.LcdsCallSync<FixtureGame>("gameService", "getGame", uint64_t{1});
  EXPECT_THAT(wrong, HasAttribute("expected", FailureAttribute(kGameClass)));
  EXPECT_THAT(wrong, HasAttribute("actual", FailureAttribute(kStatusClass)));
  EXPECT_THAT(wrong, HasAttribute("destination", FailureAttribute("gameService")));
  EXPECT_THAT(wrong, HasAttribute("method", FailureAttribute("getGame")));
}

TEST_F(LcdsCallHostedTest, ListResultsAreNotCheckedForTheirClass) {
  Answer("listGames", "java.util.ArrayList", R"([{"id":1,"name":"a"},{"id":2,"name":"b"}])");
  std::future<MaybeType<Failure, std::vector<FixtureGame>>> future =
      plugin_.LcdsCall<std::vector<FixtureGame>>("gameService", "listGames");
  ASSERT_EQ(future.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  MaybeType<Failure, std::vector<FixtureGame>> games = future.get();
  ASSERT_TRUE(games.HasValue()) << games.Message();
  ASSERT_EQ(games->size(), 2u);
  EXPECT_EQ((*games)[1].name, "b");
  EXPECT_EQ(legacy_.Invocations().back().arguments, "[]");
}

TEST_F(LcdsCallHostedTest, VoidCallsIgnoreTheReplyButNotAnErrorReply) {
  Answer("quit", kStatusClass, R"({"anything":true})");
  EXPECT_TRUE(
      plugin_.LcdsCallSync<void>("gameService", "quit", uint64_t{3}, int32_t{-1}).HasValue());

  const std::string exception = "com.zarnworks.platform.game.GameFullException: the game is full";
  Throw("quit", exception, 432);
  const MaybeType<Failure, void> failed = plugin_.LcdsCallSync<void>("gameService", "quit");
  EXPECT_THAT(failed,
              FailsWith(432, "Error response for POST /jyx-login/v1/session/invoke: " + exception));
  EXPECT_THAT(failed, HasAttribute("error", FailureAttribute(exception)));
  EXPECT_THAT(failed, HasAttribute("url", FailureAttribute("/jyx-login/v1/session/invoke")));
  // The typed form passes the request's failure through the same way.
  EXPECT_THAT(plugin_.LcdsCallSync<FixtureStatus>("gameService", "quit"),
              FailsWith(432, ::testing::_));
}

TEST_F(LcdsCallHostedTest, ParametersThatDoNotConvertSendNothing) {
  const MaybeType<Failure, void> failed = plugin_.LcdsCallSync<void>(
      "gameService", "addBot", int32_t{1}, Testing::FixtureUnbound{}, std::string("never"));
  EXPECT_THAT(failed, FailsWith(0,
                                "Couldn't convert LCDS call parameters: Couldn't convert native "
                                "value because it's an unregistered structure."));
  EXPECT_TRUE(Records().requests.empty());
}

TEST_F(LcdsCallHostedTest, PushedMessagesReachTheirSubscriber) {
  std::vector<std::string> owners;
  plugin_.SubscribeLcdsEvent<FixtureStatus>(
      kStatusClass, [&](const FixtureStatus& status) { owners.push_back(status.owner); });
  ASSERT_TRUE(legacy_.Push(kStatusClass, R"({"owner":"pellow","members":2})"));
  EXPECT_FALSE(legacy_.Push(kStatusClass, "{broken"));
  host_.RunDue();
  EXPECT_EQ(owners, (std::vector<std::string>{"pellow"}));
}

}  // namespace
}  // namespace Zarn::Client
