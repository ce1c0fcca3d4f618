// The party presence and the gatekeeper restrictions through the plugin with its real backends
// in-process on the stand-in host, fed by the simulated parties service: the open party published
// after its delay and only when it changed, the empty presence once, and a search error's
// restrictions shown on the matchmaking search.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/lobby/backends/PartiesEndpointsTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using PartiesEndpointsTesting::kConfig;
using PartiesEndpointsTesting::kGameflowSessionPath;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Texts = std::vector<std::string>;

constexpr char kChatMe[] = "/jyx-chat/v1/me";
constexpr char kSearch[] = "/jyx-matchmaking/v1/search";
constexpr char kNotifications[] = "/zarn-messaging-service/v1/message/parties/v1/notifications";

// The body of PUT /jyx-chat/v1/me for the player 9 with `presence` as "pty".
std::string ChatMe(const std::string& presence) {
  std::string escaped;
  for (char c : presence) {
    if (c == '"') escaped += '\\';
    escaped += c;
  }
  return R"({"jyx":{"pty":")" + escaped + R"("},"summonerId":9})";
}

class PartiesPresenceWorldTest : public PartiesEndpointsTesting::PartiesEndpointsTest {
 protected:
  // A party lobby of queue 420 in phase Lobby, the party open, with B as its second member, and
  // open parties switched on; the first presence published.
  void StartInOpenParty() {
    StartInPartyLobby();
    host_.SetResource(kGameflowSessionPath, R"({"phase":"Lobby"})");
    host_.SetResource(std::string(kConfig) + "OpenPartyEnable", "true");
    host_.RunDue();
    party_ = PartyId();
    ASSERT_EQ(parties_.Act("puuid-a", "PUT", "v1/parties/" + party_ + "/partytype", "\"open\"")
                  .httpStatus,
              200);
    ASSERT_EQ(parties_.Invite("puuid-a", "puuid-b").httpStatus, 200);
    ASSERT_EQ(parties_.Accept("puuid-b", party_).httpStatus, 200);
    host_.RunDue();
  }
  // The open party of A and B as published.
  std::string Presence(const std::string& summoners) const {
    return ChatMe(R"({"partyId":")" + party_ + R"(","queueId":420,"summoners":[)" + summoners +
                  "]}");
  }
  // A notification of the stored state, one version newer, changed by `change`.
  void Notify(const std::function<void(Api::PlayerDto&)>& change) {
    Api::PlayerDto player = Lobby::PartiesBackendTesting::Player(Backend());
    player.version += 1;
    player.currentParty->version += 1;
    change(player);
    const std::string envelope =
        R"({"player":)" + ToJsonString(player, plugin_->GetRegistry()) + "}";
    std::string escaped;
    for (char c : envelope) {
      if (c == '"' || c == '\\') escaped += '\\';
      escaped += c;
    }
    host_.SetResource(kNotifications, R"({"resource":"parties","service":"parties","version":"v1",)"
                                      R"("timestamp":0,"payload":")" +
                                          escaped + "\"}");
    host_.RunDue();
  }
  void SetOpenParties(bool on) {
    host_.SetResource(std::string(kConfig) + "OpenPartyEnable", on ? "true" : "false");
    host_.RunDue();
  }
  // The presence bodies sent since the records were cleared, and clears them.
  Texts TakePresences() {
    const Texts sent = Sent(kChatMe);
    host_.ClearRecords();
    return sent;
  }

  std::string party_;
};

TEST_F(PartiesPresenceWorldTest, AnOpenPartyIsPublishedAfterItsDelayAndOnlyWhenItChanged) {
  StartInOpenParty();
  host_.Advance(2.9);
  EXPECT_THAT(Sent(kChatMe), IsEmpty()) << "not before the delay";
  host_.Advance(0.1);
  EXPECT_THAT(TakePresences(), ElementsAre(Presence("9,10")));

  // A change that leaves the presence as it was sends nothing.
  ASSERT_EQ(
      parties_.Act("puuid-a", "PUT", "v1/parties/" + party_ + "/members/puuid-a/ready", "true")
          .httpStatus,
      200);
  host_.RunDue();
  host_.Advance(3.0);
  EXPECT_THAT(TakePresences(), IsEmpty());

  Notify([](Api::PlayerDto& player) {
    std::swap(player.currentParty->players[0], player.currentParty->players[1]);
  });
  host_.Advance(3.0);
  EXPECT_THAT(TakePresences(), ElementsAre(Presence("10,9"))) << "members reordered";
}

TEST_F(PartiesPresenceWorldTest, AFullLockedOrUnknownPartyClearsThePresenceOnce) {
  StartInOpenParty();
  host_.Advance(3.0);
  ASSERT_THAT(TakePresences(), ElementsAre(Presence("9,10")));
  struct Case {
    const char* label;
    std::function<void(Api::PlayerDto&)> change;
  };
  const std::vector<Case> cases = {
      {"full", [](Api::PlayerDto& p) { p.currentParty->gameMode.maxPartySize = 2; }},
      {"locked", [](Api::PlayerDto& p) { p.currentParty->activityLocked = true; }},
      {"unknown queue", [](Api::PlayerDto& p) { p.currentParty->gameMode.queueId = 999; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    // The publication reads the party when it fires: a change arms it, then the party turns.
    // (A party whose queue is unknown has no lobby view, whose rebuild would arm it.)
    Notify([](Api::PlayerDto&) {});
    Notify(c.change);
    host_.Advance(3.0);
    EXPECT_THAT(TakePresences(), ElementsAre(ChatMe(""))) << "cleared once";
    Notify([](Api::PlayerDto&) {});
    host_.Advance(3.0);
    Notify([](Api::PlayerDto&) {});
    host_.Advance(3.0);
    EXPECT_THAT(TakePresences(), IsEmpty()) << "then nothing";
    // Open again for the next case.
    Notify([](Api::PlayerDto& p) {
      p.currentParty->gameMode.maxPartySize = 5;
      p.currentParty->activityLocked = false;
      p.currentParty->gameMode.queueId = 420;
    });
    host_.Advance(3.0);
    EXPECT_THAT(TakePresences(), ElementsAre(Presence("9,10")));
  }
}

TEST_F(PartiesPresenceWorldTest, OpenPartiesSwitchedOffClearAtOnceAndNothingGoesOutBeforeLogin) {
  StartInOpenParty();
  host_.Advance(3.0);
  ASSERT_THAT(TakePresences(), ElementsAre(Presence("9,10")));
  SetOpenParties(false);
  EXPECT_THAT(TakePresences(), ElementsAre(ChatMe(""))) << "at once, without the delay";
  SetOpenParties(true);
  EXPECT_THAT(TakePresences(), ElementsAre(Presence("9,10")));

  LobbyPluginTesting::LocalSummonerId(*plugin_) = 0;
  SetOpenParties(false);
  Notify([](Api::PlayerDto& p) { p.currentParty->gameMode.maxPartySize = 2; });
  host_.Advance(3.0);
  EXPECT_THAT(TakePresences(), IsEmpty()) << "no summoner, no presence";
}

TEST_F(PartiesPresenceWorldTest, ASearchErrorsRestrictionsBecomeTheSearchsErrorsInOrder) {
  StartInPartyLobby();
  ASSERT_EQ(parties_.Invite("puuid-a", "puuid-b").httpStatus, 200);
  ASSERT_EQ(parties_.Accept("puuid-b", PartyId()).httpStatus, 200);
  host_.RunDue();
  host_.ClearRecords();
  ASSERT_TRUE(parties_.PushQueueRestriction(
      R"({"gatekeeperRestrictions":[)"
      R"({"accountId":8,"reason":"QUEUE_DODGER","remainingMillis":90500,"queueId":420},)"
      R"({"accountId":7,"reason":"LEAVER_BUSTED","remainingMillis":1000,"payload":"token"},)"
      R"({"accountId":99,"reason":"MINOR_RESTRICTED","remainingMillis":0}]})"));
  host_.RunDue();
  const std::string lowPriority =
      R"("lowPriorityData":{"bustedLeaverAccessToken":"","penalizedSummonerIds":[],)"
      R"("penaltyTime":0.0,"penaltyTimeRemaining":0.0})";
  EXPECT_THAT(Sent(kSearch),
              ElementsAre(R"({"errors":[)"
                          R"({"errorType":"QUEUE_DODGER","id":-1,"message":"QUEUE_DODGER",)"
                          R"("penalizedSummonerId":10,"penaltyTimeRemaining":90.5},)"
                          R"({"errorType":"UNKNOWN_ERROR","id":-1,"message":"",)"
                          R"("penalizedSummonerId":9,"penaltyTimeRemaining":1.0},)"
                          R"({"errorType":"MINOR_RESTRICTED","id":-1,"message":"MINOR_RESTRICTED",)"
                          R"("penalizedSummonerId":0,"penaltyTimeRemaining":0.0}],)" +
                          lowPriority + R"(,"searchState":"Error"})"));
  EXPECT_THAT(Logged("Received unhandled queue restriction reason"),
              ElementsAre("1|Received unhandled queue restriction reason: LEAVER_BUSTED"));

  // No restriction: nothing to show.
  host_.ClearRecords();
  ASSERT_TRUE(parties_.PushQueueRestriction(R"({"gatekeeperRestrictions":[]})"));
  host_.RunDue();
  EXPECT_THAT(Sent(kSearch), IsEmpty());

  // The matchmaking plugin refusing the update: logged, nothing more.
  Host::ScriptedReply refused;
  refused.status = 500;
  refused.error = "matchmaking down";
  host_.ScriptReply(kSearch, refused);
  ASSERT_TRUE(parties_.PushQueueRestriction(
      R"({"gatekeeperRestrictions":[{"accountId":7,"reason":"QUEUE_DODGER"}]})"));
  host_.RunDue();
  EXPECT_EQ(Sent(kSearch).size(), 1u);
  EXPECT_THAT(Logged("Failed update search after parties search error notification"),
              ElementsAre(::testing::StartsWith(
                  "2|Failed update search after parties search error notification: ")));
}

}  // namespace
}  // namespace Zarn::Client::Lobby
