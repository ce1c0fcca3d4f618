// The parties backend's matchmaking lock and the activity resume, in-process against the host's
// simulated parties service.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/lobby/backends/PartiesLobbyBackendTesting.h"
#include "tests/lobby/backends/PartiesOperationsTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"
#include "tests/sdk/base/FailureTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using namespace PartiesTesting;

constexpr char kSearch[] = "/jyx-matchmaking/v1/search";

// The plugin's player leads party-1 in queue 420, which parties serve.
class PartiesMatchmakingTest : public PartiesOperationsTest {
 protected:
  void SetUp() override {
    PartiesOperationsTest::SetUp();
    ASSERT_EQ(parties_
                  .Act("puuid-a", "PUT", "v1/parties/party-1/gamemode",
                       R"({"queueId":420,"maxPartySize":5})")
                  .httpStatus,
              200);
    StoreFromService();
    parties_.ClearRecords();
    host_.ClearRecords();
  }
  [[nodiscard]] static std::string ErrorText(const BindingHttpResult& result) {
    return std::string(result.Result().ErrorMessage());
  }
};

TEST_F(PartiesMatchmakingTest, StartingNeedsAPartyInAQueueThatPartiesServe) {
  struct Case {
    const char* label;
    std::int32_t queueId;  // 0: no party
  };
  for (const Case& c : std::vector<Case>{{"no party", 0}, {"no queue", -1}, {"unknown", 400}}) {
    SCOPED_TRACE(c.label);
    StoreFromService();
    if (c.queueId == 0) {
      Lobby::PartiesBackendTesting::Player(backend_).currentParty.reset();
    } else {
      Lobby::PartiesBackendTesting::Player(backend_).currentParty->gameMode.queueId = c.queueId;
    }
    const BindingHttpResult result = backend_.StartMatchmaking();
    EXPECT_FALSE(result.IsOk());
    EXPECT_EQ(result.StatusPart().status, 400);
    EXPECT_EQ(ErrorText(result), "QUEUE_NOT_ENABLED");
  }
  // Nor while parties do not serve team-builder queues.
  StoreFromService();
  backend_.TeamBuilderQueuesFlag().Set(false);
  EXPECT_EQ(backend_.StartMatchmaking().StatusPart().status, 400);
  EXPECT_THAT(Sent(), IsEmpty());
}

TEST_F(PartiesMatchmakingTest, AStartedSearchLocksTheActivityAndFetchesTheStateOnce) {
  const BindingHttpResult result = backend_.StartMatchmaking();
  EXPECT_TRUE(result.IsOk()) << ErrorText(result);
  EXPECT_EQ(result.StatusPart().status, 0);
  EXPECT_TRUE(result.Result().Value().IsEmpty());
  EXPECT_THAT(Sent(),
              ElementsAre("PUT v1/parties/party-1/activityLocked true", "GET v1/players/puuid-a"));
  EXPECT_TRUE(parties_.FindParty("party-1")->activityLocked);
}

TEST_F(PartiesMatchmakingTest, ARefusedStartAnswersTheServiceMessageAndPublishesThePresence) {
  // A presence published before: the refused start publishes again, empty.
  LobbyPluginTesting::LocalSummonerId(plugin_) = 9;
  PartiesLobbyBackendTesting::LastPublishedPresence(backend_) =
      Api::PartyPresenceData{"party-1", 420, {9}};
  Script("v1/parties/*/activityLocked", Kind::Status, 409, "GATEKEEPER_RESTRICTED");
  const BindingHttpResult result = backend_.StartMatchmaking();
  EXPECT_EQ(result.StatusPart().status, 409);
  ASSERT_TRUE(result.IsOk()) << "the message is the body";
  const BindingProperty& body = result.Result().Value();
  EXPECT_EQ(body.FindMember("httpStatus").ToInt64(), 409);
  EXPECT_EQ(body.FindMember("errorCode").GetString(), "GATEKEEPER_RESTRICTED");
  EXPECT_THAT(Sent(), ElementsAre("PUT v1/parties/party-1/activityLocked true"));
  const std::vector<std::string> logged = LogLines(1, "Parties matchmaking submit failure: ");
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_THAT(logged[0], HasSubstr(R"("errorCode":"GATEKEEPER_RESTRICTED")"));
  EXPECT_THAT(logged[0], HasSubstr(R"("httpStatus":409)"));
  EXPECT_EQ(HostRequests("/jyx-chat/v1/me").size(), 1u);
  EXPECT_FALSE(PartiesLobbyBackendTesting::LastPublishedPresence(backend_).has_value());
  EXPECT_TRUE(Events("parties-service").empty()) << "the service answered";
}

TEST_F(PartiesMatchmakingTest, AFailedStartIsReportedWithItsCode) {
  struct Case {
    const char* label;
    Kind kind;
    std::int32_t status;
    const char* text;
    bool unavailable;
  };
  const std::vector<Case> cases = {
      {"no payload", Kind::EmptyPayload, 503, "SERVICE_UNAVAILABLE", true},
      {"no envelope", Kind::NotEnvelope, 500, "AMBASSADOR_MESSAGE_PAYLOAD_DESERIALIZATION_FAILURE",
       false},
      {"an error of code 0", Kind::ProxyError, 500, "proxy down", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host_.ClearRecords();
    Script("v1/parties/*/activityLocked", c.kind, 500, "proxy down");
    const BindingHttpResult result = backend_.StartMatchmaking();
    EXPECT_FALSE(result.IsOk());
    EXPECT_EQ(result.StatusPart().status, c.status);
    EXPECT_EQ(ErrorText(result), c.text);
    EXPECT_THAT(LogLines(2, "Parties initiate matchmaking failure: "),
                ElementsAre(std::string("Parties initiate matchmaking failure: ") + c.text));
    const std::vector<std::string> events = Events("parties-service");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_THAT(events[0], HasSubstr(R"("request":"activity_locked")"));
    EXPECT_EQ(LogLines(2, "Parties service is UNAVAILABLE").size(), c.unavailable ? 1u : 0u);
  }
}

TEST_F(PartiesMatchmakingTest, CancellingUnlocksAndCancelsTheSearchOnlyAfterAResumeTime) {
  for (const bool resumeTime : {false, true}) {
    SCOPED_TRACE(resumeTime ? "with a resume time" : "without");
    ASSERT_EQ(
        parties_.Act("puuid-a", "PUT", "v1/parties/party-1/activityLocked", "true").httpStatus,
        200);
    if (resumeTime) {
      ASSERT_TRUE(parties_.SetActivityResume("party-1", 5'000'000'000'000ULL));
    }
    StoreFromService();
    // Stored as released already: only the cancel itself tells the matchmaking plugin. (A
    // stored lock that the reply releases tells it as the reply is applied, too.)
    Lobby::PartiesBackendTesting::Player(backend_).currentParty->activityLocked = false;
    parties_.ClearRecords();
    host_.ClearRecords();
    const BindingHttpResult result = backend_.CancelMatchmaking();
    EXPECT_TRUE(result.IsOk()) << ErrorText(result);
    EXPECT_EQ(result.StatusPart().status, 0);
    EXPECT_THAT(Sent(), ElementsAre("PUT v1/parties/party-1/activityLocked false"));
    EXPECT_FALSE(parties_.FindParty("party-1")->activityLocked);
    const std::vector<Host::CoreRequest> searches = HostRequests(kSearch);
    if (!resumeTime) {
      EXPECT_THAT(searches, IsEmpty());
    } else {
      ASSERT_EQ(searches.size(), 1u);
      EXPECT_THAT(searches[0].arguments.at(0), HasSubstr(R"("searchState":"Canceled")"));
    }
  }

  // A refusal answers its code and text; nothing else follows.
  host_.ClearRecords();
  Script("v1/parties/*/activityLocked", Kind::Status, 409, "NOT_LEADER");
  const BindingHttpResult refused = backend_.CancelMatchmaking();
  EXPECT_FALSE(refused.IsOk());
  EXPECT_EQ(refused.StatusPart().status, 409);
  EXPECT_EQ(ErrorText(refused), "NOT_LEADER");
  EXPECT_THAT(LogLines(2, "Parties cancel matchmaking failure: "),
              ElementsAre("Parties cancel matchmaking failure: NOT_LEADER"));
  EXPECT_THAT(HostRequests(kSearch), IsEmpty());
}

TEST_F(PartiesMatchmakingTest, TheResumeWaitFiringCallsTheServiceFifteenMillisecondsLater) {
  for (const bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "refused" : "accepted");
    parties_.ClearRecords();
    host_.ClearRecords();
    if (fails) Script("v1/parties/*/resumeActivity", Kind::Status, 409, "NOT_LOCKED");
    backend_.OnResumeActivityWait();
    EXPECT_THAT(Sent(), IsEmpty()) << "not before the call fires";
    host_.Advance(0.014);
    EXPECT_THAT(Sent(), IsEmpty());
    host_.Advance(0.001);
    EXPECT_THAT(Sent(), ElementsAre("POST /v1/parties/party-1/resumeActivity"));
    ASSERT_EQ(parties_.Records().size(), 1u);
    EXPECT_EQ(parties_.Records()[0].body, "");
    EXPECT_EQ(LogLines(3, "Parties resumed activity succeeded").size(), fails ? 0u : 1u);
    EXPECT_EQ(LogLines(2, "Parties resume activity failure: NOT_LOCKED").size(), fails ? 1u : 0u);
    host_.Advance(60.0);
    EXPECT_EQ(parties_.Records().size(), 1u) << "one call per firing";
  }
}

TEST_F(PartiesMatchmakingTest, ALockedLeadersResumeTimeFiresTheWaitThenTheCall) {
  constexpr char kCall[] = "jyx-lobby.parties-resume-activity-call";
  const std::uint64_t now = parties_.nowMillis();
  ASSERT_TRUE(parties_.SetActivityResume("party-1", now + 7'000));
  StoreFromService();
  Lobby::PartiesBackendTesting::Player(backend_).serverUtcMillis = static_cast<std::int64_t>(now);
  backend_.ScheduleActivityResume(Lobby::PartiesBackendTesting::Player(backend_));
  EXPECT_EQ(LogLines(3, "Parties activty resume scheduled for 7.000000 seconds").size(), 1u);

  host_.Advance(6.9);
  EXPECT_THAT(Sent(), IsEmpty());
  host_.Advance(0.1);
  const std::vector<std::string>& labels = host_.Records().scheduledLabels;
  const auto call = std::find(labels.begin(), labels.end(), kCall);
  ASSERT_NE(call, labels.end()) << "the wait fired";
  EXPECT_DOUBLE_EQ(host_.Records().scheduledDelays[call - labels.begin()], 0.015);
  EXPECT_THAT(Sent(), IsEmpty());
  host_.Advance(0.015);
  EXPECT_THAT(Sent(), ElementsAre("POST /v1/parties/party-1/resumeActivity"));
  EXPECT_EQ(LogLines(3, "Parties resumed activity succeeded").size(), 1u);
  EXPECT_FALSE(parties_.FindParty("party-1")->activityLocked);

  // The wait ended with its firing, and the unlocked reply arms none.
  host_.Advance(120.0);
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_EQ(std::count(labels.begin(), labels.end(), kCall), 1);
}

}  // namespace
}  // namespace Zarn::Client::Lobby
