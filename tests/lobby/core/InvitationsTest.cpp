// Sending invitations and the eligibility questions through the stand-in host with the default
// world, its legacy platform and the real backends and controllers, in arranged-team lobbies; and
// the premade eligibility cache in-process with fakes.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/core/LobbyUpdateBatch.h"
#include "lobby/model/LegacyClassNames.h"
#include "sdk/binding/JsonText.h"
#include "tests/lobby/core/GameflowAnswers.h"
#include "tests/lobby/core/GameflowTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using namespace GameflowTesting;
using Names = std::vector<std::string>;
using Code = Api::EligibilityRestrictionCode;

constexpr char kInviteService[] = "lcdsGameInvitationService";
constexpr char kInvitationPrefix[] = "/jyx-lobby/v1/lobby/invitations/";
constexpr char kEligibilityPath[] = "/jyx-queue-eligibility/v3/eligibility";

Host::LcdsAnswer Refusal(const std::string& exception) {
  Host::LcdsAnswer answer;
  answer.exception = exception;
  return answer;
}

// A legacy lobby status of a new group lobby owned by the local player, without a queue.
Host::LcdsAnswer GroupLobbyStatus() {
  Host::LcdsAnswer answer;
  answer.typeName = kLobbyStatusClass;
  answer.body = R"({"invitationId":"INV-1","owner":{"summonerId":2046},"chatKey":"k",)"
                R"("members":[{"summonerId":2046,"hasDelegatedInvitePower":false}],)"
                R"("invitees":[],"gameMetaData":""})";
  return answer;
}

Host::LcdsAnswer BulkRefusing(const std::vector<std::uint64_t>& ids) {
  Host::LcdsAnswer answer;
  std::string body = "[";
  for (std::size_t i = 0; i < ids.size(); ++i) {
    body += (i == 0 ? "" : ",") + std::string(R"({"summonerId":)") + std::to_string(ids[i]) +
            R"(,"summonerName":"","exception":{"rootCauseClassname":"InviteBlockedException"}})";
  }
  answer.body = body + "]";
  return answer;
}

Api::LobbyInvitation To(std::uint64_t id) {
  Api::LobbyInvitation invitation;
  invitation.toSummonerId = id;
  return invitation;
}

Api::LobbyInvitationDto DtoTo(std::uint64_t id) {
  Api::LobbyInvitationDto invitation;
  invitation.toSummonerId = id;
  return invitation;
}

class InvitationsTest : public GameflowTest {
 protected:
  Names LegacyCalls(std::size_t from = 0) {
    Names calls;
    const std::vector<Host::LcdsInvocation>& all = W().legacy_.Invocations();
    for (std::size_t i = from; i < all.size(); ++i) {
      if (all[i].destination == kInviteService) {
        calls.push_back(all[i].method + " " + all[i].arguments);
      }
    }
    return calls;
  }
  void Answer(const char* method, Host::LcdsAnswer answer) {
    W().legacy_.Script(kInviteService, method, std::move(answer));
  }
  // An arranged group lobby whose v2 view is published.
  void EnterPublishedGroupLobby() {
    W().EnterArrangedLobbyAsOwner();
    LobbyUpdateBatch rebuild(W().Plugin());
  }
  // "<kind> <id>" of each publication of one invitation from `from` on.
  Names InvitationEvents(std::size_t from) {
    Names found;
    for (std::uint64_t id : {5, 6, 7, 77}) {
      for (const Publication& event : W().Published(kInvitationPrefix + std::to_string(id), from)) {
        found.push_back(event.eventType + " " + std::to_string(id));
      }
    }
    return found;
  }
  std::vector<std::uint64_t> V1InvitationIds() {
    std::vector<std::uint64_t> ids;
    for (const Api::LobbyInvitation& entry : W().V1Lobby().invitations) {
      ids.push_back(entry.toSummonerId);
    }
    return ids;
  }
};

TEST_F(InvitationsTest, SendingFromASoloLobbyMakesAGroupLobbyFirstAndNothingWhenThatFails) {
  for (const bool groupMade : {true, false}) {
    SCOPED_TRACE(groupMade ? "group lobby made" : "group lobby refused");
    Reset();
    W().Drive({LobbyEvents::kNewLobbyRequested, LobbyEvents::kNewLobbySucceeded});
    W().V1Lobby().queueId = kArrangedQueue;
    Answer("createArrangedTeamLobby",
           groupMade ? GroupLobbyStatus() : Refusal("ArrangedLobbyException"));
    Answer("invite", Host::LcdsAnswer{});
    const std::size_t logs = W().LogMark();
    HttpResult<Api::LobbyInvitation> reply = W().Plugin().HandlePostV1Invitations(To(77));
    if (groupMade) {
      ASSERT_TRUE(reply.response.ok) << reply.response.message;
      EXPECT_EQ(reply.value.id, "77");
      EXPECT_EQ(reply.value.state, Api::LobbyInvitationState::Pending);
      EXPECT_EQ(LegacyCalls(),
                (Names{"createArrangedTeamLobby [420]", R"(invite [77,"DEFAULT",""])"}));
      EXPECT_EQ(W().State(), "Owner");
    } else {
      EXPECT_EQ(reply.response.status.status, 500);
      EXPECT_EQ(reply.response.message,
                "Bulk invite failed due to being unable to transition to group lobby");
      EXPECT_EQ(LegacyCalls(), Names{"createArrangedTeamLobby [420]"}) << "no invite";
      const Names logged = W().Logged("Error sending invite", logs);
      ASSERT_EQ(logged.size(), 1u);
      EXPECT_EQ(logged[0].rfind("1|Error sending invite: Platform Lobby could not be created: ", 0),
                0u)
          << logged[0];
      EXPECT_EQ(W().State(), "SoloLobby");
    }
  }
}

TEST_F(InvitationsTest, TheOnlyInvitationRefusedAnswers400WithItsTextAndIsDeleted) {
  EnterPublishedGroupLobby();
  Answer("invite", Refusal("InviteBlockedException"));
  std::size_t events = W().EventMark();
  HttpResult<Api::LobbyInvitation> v1 = W().Plugin().HandlePostV1Invitations(To(5));
  EXPECT_EQ(v1.response.status.status, 400);
  EXPECT_NE(v1.response.message.find("InviteBlockedException"), std::string::npos)
      << v1.response.message;
  EXPECT_EQ(InvitationEvents(events), (Names{"Create 5", "Update 5", "Delete 5"}));
  EXPECT_TRUE(W().V1Lobby().invitations.empty());
  EXPECT_TRUE(W().Plugin().HandleGetV1Invitations().value.empty());

  events = W().EventMark();
  const std::size_t logs = W().LogMark();
  HttpResult<std::vector<Api::LobbyInvitationDto>> v2 =
      W().Plugin().HandlePostInvitations({DtoTo(6)});
  EXPECT_EQ(v2.response.status.status, 400);
  EXPECT_EQ(v2.response.message, "Couldn't send invitations to lobby: " + v1.response.message);
  EXPECT_EQ(W().Logged("Unable to send invitations", logs),
            Names{"2|Unable to send invitations to the current lobby: " + v2.response.message});
  EXPECT_EQ(InvitationEvents(events), (Names{"Create 6", "Update 6", "Delete 6"}));
}

TEST_F(InvitationsTest, OfThreeInvitedTheRefusedOneIsDroppedAndTheOthersArePending) {
  EnterPublishedGroupLobby();
  Answer("inviteBulk", BulkRefusing({6}));
  // Not registered with the parties service: no party to describe.
  ASSERT_NE(W().Plugin().GetPartiesBackend(), nullptr);
  Lobby::PartiesBackendTesting::Player(*W().Plugin().GetPartiesBackend()).createdAt = 0;
  const std::size_t events = W().EventMark();
  const std::size_t logs = W().LogMark();
  HttpResult<std::vector<Api::LobbyInvitationDto>> reply =
      W().Plugin().HandlePostInvitations({DtoTo(5), DtoTo(6), DtoTo(7)});
  ASSERT_TRUE(reply.response.ok) << reply.response.message;
  ASSERT_EQ(reply.value.size(), 2u);
  EXPECT_EQ(reply.value[0].toSummonerId, 5u);
  EXPECT_EQ(reply.value[1].toSummonerId, 7u);
  for (const Api::LobbyInvitationDto& sent : reply.value) {
    EXPECT_EQ(sent.state, Api::LobbyInvitationState::Pending);
    EXPECT_EQ(sent.invitationId, std::to_string(sent.toSummonerId));
  }
  EXPECT_EQ(LegacyCalls(), Names{R"(inviteBulk [[5,6,7],"DEFAULT"])"});
  EXPECT_EQ(V1InvitationIds(), (std::vector<std::uint64_t>{5, 7}));
  EXPECT_EQ(InvitationEvents(events), (Names{"Create 5", "Update 5", "Create 6", "Update 6",
                                             "Delete 6", "Create 7", "Update 7"}));
  EXPECT_EQ(W().Logged("Invitations sent", logs), Names{"0|Invitations sent"});
  EXPECT_EQ(W().Logged("parties analytics", logs),
            Names{"1|Not sending parties analytics, invalid party state"});

  // An empty list calls nothing.
  const std::size_t calls = W().legacy_.Invocations().size();
  HttpResult<std::vector<Api::LobbyInvitationDto>> none = W().Plugin().HandlePostInvitations({});
  EXPECT_TRUE(none.response.ok) << none.response.message;
  EXPECT_TRUE(none.value.empty());
  EXPECT_EQ(LegacyCalls(calls), Names{});
}

// An invitation without a summoner id (given by name alone) names nobody the legacy platform could
// invite: it is refused before any call, as the platform refuses one, and the log names it.
TEST_F(InvitationsTest, AnInvitationWithoutASummonerIdIsRefusedBeforeAnyCall) {
  EnterPublishedGroupLobby();
  Answer("invite", Host::LcdsAnswer{});
  Api::LobbyInvitationDto byName;
  byName.toSummonerName = "Bob";
  const std::string refusedBob =
      R"(1|Error sending invite: SUMMONER_NOT_FOUND ("Bob", no summoner id))";
  struct Case {
    const char* label;
    std::vector<Api::LobbyInvitationDto> given;
    std::string answer;  // the answered ids, or the error
    Names calls;
    Names logged;
  };
  const std::vector<Case> cases = {
      {"a known id", {DtoTo(77)}, "77", {R"(invite [77,"DEFAULT",""])"}, {}},
      {"by name alone",
       {byName},
       "400 Couldn't send invitations to lobby: SUMMONER_NOT_FOUND",
       {},
       {refusedBob}},
      {"by name beside a known id",
       {DtoTo(5), byName},
       "5",
       {R"(invite [5,"DEFAULT",""])"},
       {refusedBob}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::size_t calls = W().legacy_.Invocations().size();
    const std::size_t logs = W().LogMark();
    HttpResult<std::vector<Api::LobbyInvitationDto>> reply =
        W().Plugin().HandlePostInvitations(c.given);
    std::string answer = reply.response.ok ? ""
                                           : std::to_string(reply.response.status.status) + " " +
                                                 reply.response.message;
    for (const Api::LobbyInvitationDto& sent : reply.value) {
      answer += (answer.empty() ? "" : " ") + sent.invitationId;
    }
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(LegacyCalls(calls), c.calls);
    EXPECT_EQ(W().Logged("SUMMONER_NOT_FOUND (", logs), c.logged);
    for (const Api::LobbyInvitation& entry : W().V1Lobby().invitations) {
      EXPECT_NE(entry.toSummonerId, 0u) << "no invitation of nobody is kept";
    }
  }
  // The v1 route refuses it alike, with the refusal's text.
  Api::LobbyInvitation v1ByName;
  v1ByName.toSummonerName = "Cat";
  HttpResult<Api::LobbyInvitation> v1 = W().Plugin().HandlePostV1Invitations(v1ByName);
  EXPECT_EQ(v1.response.status.status, 400);
  EXPECT_EQ(v1.response.message, "SUMMONER_NOT_FOUND");
}

TEST_F(InvitationsTest, InvitingTheSameSummonerAgainUpdatesItsEntry) {
  EnterPublishedGroupLobby();
  Answer("invite", Host::LcdsAnswer{});
  std::size_t events = W().EventMark();
  ASSERT_TRUE(W().Plugin().HandlePostV1Invitations(To(5)).response.ok);
  EXPECT_EQ(InvitationEvents(events), (Names{"Create 5", "Update 5"}));
  events = W().EventMark();
  HttpResult<Api::LobbyInvitation> again = W().Plugin().HandlePostV1Invitations(To(5));
  ASSERT_TRUE(again.response.ok) << again.response.message;
  EXPECT_EQ(again.value.id, "5");
  EXPECT_EQ(InvitationEvents(events), (Names{"Update 5", "Update 5"})) << "no second Create";
  ASSERT_EQ(W().V1Lobby().invitations.size(), 1u);
  EXPECT_EQ(W().Plugin().HandleGetV1Invitation("5").value.toSummonerId, 5u);
  EXPECT_EQ(W().Plugin().HandleGetV1Invitation("6").response.status.status, 404);
}

TEST_F(InvitationsTest, AFailedBulkCallFailsTheSendAndTheReinvitationsThatUseIt) {
  EnterPublishedGroupLobby();
  Answer("inviteBulk", Refusal("PlatformUnavailableException"));
  std::size_t events = W().EventMark();
  std::size_t logs = W().LogMark();
  HttpResult<std::vector<Api::LobbyInvitationDto>> reply =
      W().Plugin().HandlePostInvitations({DtoTo(5), DtoTo(6)});
  EXPECT_EQ(reply.response.status.status, 400);
  const std::string prefix = "Couldn't send invitations to lobby: ";
  ASSERT_EQ(reply.response.message.rfind(prefix, 0), 0u) << reply.response.message;
  const std::string callMessage = reply.response.message.substr(prefix.size());
  EXPECT_NE(callMessage.find("PlatformUnavailableException"), std::string::npos);
  EXPECT_EQ(W().Logged("Error sending bulk invites", logs),
            Names{"1|Error sending bulk invites: " + callMessage});
  EXPECT_EQ(W().Logged("Invitations sent", logs), Names{}) << "not a success";
  EXPECT_EQ(InvitationEvents(events),
            (Names{"Create 5", "Update 5", "Delete 5", "Create 6", "Update 6", "Delete 6"}));
  EXPECT_TRUE(W().V1Lobby().invitations.empty());

  // A queue change re-invites the other members the same way, and logs the failure.
  Answer("createArrangedTeamLobby", GroupLobbyStatus());
  Api::LobbyMember third;
  third.id = 78;
  W().V1Lobby().members.push_back(third);
  logs = W().LogMark();
  Api::LobbyChangeGameDto change;
  change.queueId = kArrangedQueue;
  HttpResult<Api::Lobby> changed = W().Plugin().ChangeLobbyQueue(change);
  EXPECT_TRUE(changed.response.ok) << changed.response.message;
  EXPECT_EQ(W().Logged("Failed to bulk reinvite", logs),
            Names{"2|Failed to bulk reinvite previous lobby members while changing queues: " +
                  callMessage});

  // Play again fails its reply with the same message.
  Reset();
  Host::Testing::AnswerLobbyRequests(W().host_);
  Answer("createArrangedTeamLobby", GroupLobbyStatus());
  Answer("inviteBulk", Refusal("PlatformUnavailableException"));
  Api::LobbyLastQueuedLobby& last = LobbyPluginTesting::LastQueuedLobby(W().Plugin());
  last.queueId = kArrangedQueue;
  last.members = {{kOtherId}, {78}};
  HttpResult<Api::Lobby> replayed = W().Plugin().ReinviteMembers();
  EXPECT_EQ(replayed.response.status.status, 500);
  EXPECT_EQ(replayed.response.message, "Error re-inviting members: " + callMessage);
}

TEST_F(InvitationsTest, InviteEligibilityAnswersEveryProblemAsIneligible) {
  struct Case {
    const char* label;
    const char* metaData;
    std::optional<Host::ScriptedReply> reply;
    std::int32_t queueId;
    bool eligible;
    std::vector<Code> codes;
    const char* logged;  // "" for none
  };
  const auto json = [](const char* text) {
    Host::ScriptedReply reply;
    reply.json = text;
    return reply;
  };
  Host::ScriptedReply refused;
  refused.status = 503;
  refused.error = "eligibility down";
  const std::vector<Case> cases = {
      {"no game type",
       R"({"queueId":420})",
       std::nullopt,
       -1,
       false,
       {Code::QueueUnsupported},
       "Failed to determine eligibility for invite, gameType missing"},
      {"no queue id",
       R"({"gameType":"VARNEL_GAME"})",
       std::nullopt,
       -1,
       false,
       {Code::QueueUnsupported},
       "Failed to determine eligibility for invite, queueId missing"},
      {"a queue id as text",
       R"({"gameType":"VARNEL_GAME","queueId":"420"})",
       std::nullopt,
       -1,
       false,
       {Code::QueueUnsupported},
       "Failed to determine eligibility for invite, queueId missing"},
      {"the request fails",
       R"({"gameType":"VARNEL_GAME","queueId":420})",
       refused,
       -1,
       false,
       {Code::UnknownRestriction},
       "Failed to determine eligibility for invite: "},
      {"no result",
       R"({"gameType":"VARNEL_GAME","queueId":420})",
       json("[]"),
       -1,
       false,
       {Code::UnknownRestriction},
       "Failed to determine eligibility for invite: empty results"},
      {"two results",
       R"({"gameType":"VARNEL_GAME","queueId":420})",
       json(R"([{"queueId":420},{"queueId":430}])"),
       -1,
       false,
       {Code::UnknownRestriction},
       "Failed to determine eligibility for invite: empty results"},
      {"only unplayed prerequisites",
       R"({"gameType":"VARNEL_GAME","queueId":420})",
       json(R"([{"queueId":420,"eligible":false,"restrictions":[)"
            R"({"restrictionCode":"PrerequisiteQueuesNotPlayedRestriction"},)"
            R"({"restrictionCode":"PrerequisiteQueuesNotPlayedRestriction"}]}])"),
       420,
       true,
       {},
       ""},
      {"another restriction stays",
       R"({"gameType":"VARNEL_GAME","queueId":420})",
       json(R"([{"queueId":420,"eligible":true,"restrictions":[)"
            R"({"restrictionCode":"PrerequisiteQueuesNotPlayedRestriction"},)"
            R"({"restrictionCode":"PlayerTimedRestriction"}]}])"),
       420,
       false,
       {Code::PlayerTimedRestriction},
       ""},
      {"a custom game without its configuration",
       R"({"gameType":"PRACTICE_GAME"})",
       std::nullopt,
       -1,
       false,
       {Code::QueueUnsupported},
       "Failed to determine eligibility for invite, gameTypeConfigId missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Reset();
    if (c.reply) W().host_.ScriptReply(kEligibilityPath, *c.reply);
    const std::size_t requests = W().Mark();
    const std::size_t logs = W().LogMark();
    BindingResult metaData = ParseJson(c.metaData);
    ASSERT_TRUE(metaData.IsOk());
    const Api::Eligibility answer = W().Plugin().CheckInviteEligibility(metaData.Value());
    EXPECT_EQ(answer.queueId, c.queueId);
    EXPECT_EQ(answer.eligible, c.eligible);
    std::vector<Code> codes;
    for (const Api::EligibilityRestriction& restriction : answer.restrictions) {
      codes.push_back(restriction.restrictionCode);
    }
    EXPECT_EQ(codes, c.codes);
    const Names logged = W().Logged("Failed to determine eligibility", logs);
    if (*c.logged == '\0') {
      EXPECT_EQ(logged, Names{});
    } else {
      ASSERT_EQ(logged.size(), 1u);
      EXPECT_EQ(logged[0].rfind(std::string("1|") + c.logged, 0), 0u) << logged[0];
    }
    const std::vector<std::string> asked = W().Sent(kEligibilityPath, requests);
    EXPECT_EQ(asked.size(), c.reply ? 1u : 0u);
  }

  // The local player for the invitation's queue.
  Reset();
  W().host_.ScriptReply(kEligibilityPath, json(R"([{"queueId":420,"eligible":true}])"));
  const std::size_t requests = W().Mark();
  BindingResult metaData = ParseJson(R"({"gameType":"VARNEL_GAME","queueId":420})");
  EXPECT_TRUE(W().Plugin().CheckInviteEligibility(metaData.Value()).eligible);
  std::vector<Host::CoreRequest> sent;
  for (std::size_t i = requests; i < W().host_.Records().requests.size(); ++i) {
    if (W().host_.Records().requests[i].path == kEligibilityPath) {
      sent.push_back(W().host_.Records().requests[i]);
    }
  }
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].arguments, (Names{"[2046]", "[420]"}));

  // A custom game asks with its configuration's pick mode.
  Reset();
  W().host_.ScriptReply("/jyx-game-queues/v1/game-type-config/7",
                        json(R"({"id":7,"pickMode":"DrawnPicks"})"));
  W().host_.ScriptReply("/jyx-queue-eligibility/v3/custom",
                        json(R"([{"queueId":-1,"eligible":true}])"));
  const std::size_t customRequests = W().Mark();
  BindingResult custom = ParseJson(R"({"gameType":"PRACTICE_GAME","gameTypeConfigId":7})");
  const Api::Eligibility customAnswer = W().Plugin().CheckInviteEligibility(custom.Value());
  EXPECT_TRUE(customAnswer.eligible);
  EXPECT_EQ(W().Sent("/jyx-queue-eligibility/v3/custom", customRequests), Names{R"("DrawnPicks")"});
}

TEST_F(InvitationsTest, AChangeOfQueueLeavesNoBackendForPremadeOrInvitationPostsWhileItWaits) {
  EnterPublishedGroupLobby();
  Answer("createArrangedTeamLobby", GroupLobbyStatus());
  Answer("invite", Host::LcdsAnswer{});
  W().host_.ScriptReply(
      "/jyx-summoner/v1/summoners/2046",
      Client::Testing::StreamedInOneByteReads(R"({"summonerId":2046,"summonerLevel":30})"));
  std::optional<HttpResult<std::vector<Api::Eligibility>>> premade;
  std::optional<HttpResult<std::vector<Api::LobbyInvitationDto>>> invited;
  std::string stateMeanwhile;
  W().host_.OnYield(1, [&] {
    stateMeanwhile = W().State();
    premade.emplace(W().Plugin().HandlePremadeEligibility());
    invited.emplace(W().Plugin().HandlePostInvitations({DtoTo(5)}));
  });
  Api::LobbyChangeGameDto change;
  change.queueId = kArrangedQueue;
  HttpResult<Api::Lobby> changed = W().Plugin().ChangeLobbyQueue(change);
  EXPECT_TRUE(changed.response.ok) << changed.response.message;
  EXPECT_EQ(stateMeanwhile, "ChangingLobby");
  ASSERT_TRUE(premade.has_value());
  EXPECT_EQ(premade->response.status.status, 500);
  EXPECT_EQ(premade->response.message, "INVALID_LOBBY");
  ASSERT_TRUE(invited.has_value());
  EXPECT_EQ(invited->response.status.status, 500);
  EXPECT_EQ(invited->response.message, "INVALID_LOBBY");
  EXPECT_EQ(W().State(), "Owner") << "the change completes";
  EXPECT_EQ(LegacyCalls(), (Names{"createArrangedTeamLobby [420]", R"(invite [77,"DEFAULT",""])"}));
}

// The premade eligibility with fake backends: the plugin's queue list, the cache by key.
TEST(InvitationsPremadeTest, PremadeEligibilityNeedsTheQueuesAndIsCachedByItsNonZeroKey) {
  Client::Testing::LobbyRig rig;
  LobbyPlugin& plugin = *rig.plugin;
  HttpResult<std::vector<Api::Eligibility>> incomplete = plugin.HandlePremadeEligibility();
  EXPECT_EQ(incomplete.response.status.status, 500);
  EXPECT_EQ(incomplete.response.message, "Premade eligibility configuration incomplete");
  EXPECT_TRUE(rig.Entries({"request /jyx-queue-eligibility"}).empty());

  Host::ScriptedReply answer;
  answer.json = R"([{"queueId":420,"eligible":true}])";
  rig.host.ScriptReply(kEligibilityPath, answer);
  Api::Queue ranked;
  ranked.id = 420;
  Api::Queue normal;
  normal.id = 430;
  LobbyPluginTesting::Queues(plugin).Update(PluginResourceEventType::Create, {ranked});
  const std::string asked = std::string("request ") + kEligibilityPath;
  struct Step {
    const char* label;
    std::uint64_t key;
    bool changeQueues;
    Names sent;
  };
  const std::vector<Step> steps = {
      {"first with key 9", 9, false, {asked + " [1,2] [420]"}},
      {"again with key 9", 9, false, {}},
      {"another key", 10, false, {asked + " [1,2] [420]"}},
      {"back to key 9", 9, false, {asked + " [1,2] [420]"}},
      {"the queue list changed", 9, true, {asked + " [1,2] [420,430]"}},
      {"key 9 once more", 9, false, {}},
      {"key 0", 0, false, {asked + " [1,2] [420,430]"}},
      {"key 0 again", 0, false, {asked + " [1,2] [420,430]"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    if (step.changeQueues) {
      LobbyPluginTesting::Queues(plugin).Update(PluginResourceEventType::Update, {ranked, normal});
    }
    const std::size_t mark = rig.Mark();
    MaybeType<Failure, std::vector<Api::Eligibility>> result =
        plugin.GetEligibilityRules().RequestPremadeEligibility({1, 2}, step.key);
    ASSERT_TRUE(result.HasValue()) << result.Message();
    ASSERT_EQ(result.Value().size(), 1u);
    EXPECT_EQ(result.Value()[0].queueId, 420);
    EXPECT_EQ(rig.Entries({"request /jyx-queue-eligibility"}, mark), step.sent);
  }

  // Out of a lobby the route asks for the local player alone, never from the cache.
  LobbyPluginTesting::LocalSummonerId(plugin) = 2046;
  for (int i = 0; i < 2; ++i) {
    const std::size_t mark = rig.Mark();
    EXPECT_TRUE(plugin.HandlePremadeEligibility().response.ok);
    EXPECT_EQ(rig.Entries({"request /jyx-queue-eligibility"}, mark),
              Names{asked + " [2046] [420,430]"});
  }
}

TEST(InvitationsPremadeTest, AQueueListChangedWhileTheRequestWaitsLeavesTheCacheDirty) {
  Client::Testing::LobbyRig rig;
  LobbyPlugin& plugin = *rig.plugin;
  Api::Queue ranked;
  ranked.id = 420;
  Api::Queue normal;
  normal.id = 430;
  LobbyPluginTesting::Queues(plugin).Update(PluginResourceEventType::Create, {ranked});
  Host::ScriptedReply first;
  first.json = R"([{"queueId":420,"eligible":true}])";
  first.uses = 1;
  first.during = [&] {
    LobbyPluginTesting::Queues(plugin).Update(PluginResourceEventType::Update, {ranked, normal});
  };
  rig.host.ScriptReply(kEligibilityPath, first);
  Host::ScriptedReply later;
  later.json = R"([{"queueId":420,"eligible":true},{"queueId":430,"eligible":true}])";
  rig.host.ScriptReply(kEligibilityPath, later);
  ASSERT_EQ(plugin.GetEligibilityRules().RequestPremadeEligibility({1}, 9).Value().size(), 1u);
  const std::size_t mark = rig.Mark();
  MaybeType<Failure, std::vector<Api::Eligibility>> again =
      plugin.GetEligibilityRules().RequestPremadeEligibility({1}, 9);
  ASSERT_TRUE(again.HasValue());
  EXPECT_EQ(again.Value().size(), 2u) << "asked again for the new queues";
  EXPECT_EQ(rig.Entries({"request /jyx-queue-eligibility"}, mark),
            Names{std::string("request ") + kEligibilityPath + " [1] [420,430]"});
  const std::size_t cached = rig.Mark();
  EXPECT_EQ(plugin.GetEligibilityRules().RequestPremadeEligibility({1}, 9).Value().size(), 2u);
  EXPECT_EQ(rig.Entries({"request /jyx-queue-eligibility"}, cached), Names{});
}

TEST(InvitationsPremadeTest, AFailedPremadeRequestIsAnsweredWithItsStatusAndCachesNothing) {
  Client::Testing::LobbyRig rig;
  Api::Queue ranked;
  ranked.id = 420;
  LobbyPluginTesting::Queues(*rig.plugin).Update(PluginResourceEventType::Create, {ranked});
  Host::ScriptedReply refused;
  refused.status = 503;
  refused.error = "down";
  refused.uses = 1;
  rig.host.ScriptReply(kEligibilityPath, refused);
  HttpResult<std::vector<Api::Eligibility>> down = rig.plugin->HandlePremadeEligibility();
  EXPECT_EQ(down.response.status.status, 503);
  EXPECT_TRUE(rig.plugin->GetEligibilityRules().RequestPremadeEligibility({1}, 5).IsFailure());
  Host::ScriptedReply answer;
  answer.json = R"([{"queueId":420,"eligible":true}])";
  rig.host.ScriptReply(kEligibilityPath, answer);
  const std::size_t mark = rig.Mark();
  EXPECT_TRUE(rig.plugin->GetEligibilityRules().RequestPremadeEligibility({1}, 5).HasValue());
  EXPECT_EQ(rig.Entries({"request /jyx-queue-eligibility"}, mark).size(), 1u)
      << "the failure was not cached";
}

}  // namespace
}  // namespace Zarn::Client::Lobby
