// The parties backend's requests that change the party: leave, kick, promote, invite, join, the
// queue and the party type, in-process against the host's simulated parties service.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/lobby/backends/PartiesLobbyBackendTesting.h"
#include "tests/lobby/backends/PartiesOperationsTesting.h"
#include "tests/lobby/core/LobbyAnalyticsTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"
#include "tests/sdk/base/FailureTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Zarn::Testing::FailsWith;
using namespace PartiesTesting;
using Role = Api::PartyMemberRoleEnum;

// The plugin's player "puuid-a" (summoner 9) leads party-1; "puuid-b" (10) has party-2.
class PartiesPartyOperationsTest : public PartiesOperationsTest {
 protected:
  void SetUp() override {
    PartiesOperationsTest::SetUp();
    StoreFromService();
    ASSERT_EQ(backend_.GetCurrentPartyId(), "party-1");
  }
  // "puuid-b" joins party-1 as a member, and the plugin's player learns of it.
  void JoinB() {
    ASSERT_EQ(parties_.Invite("puuid-a", "puuid-b").httpStatus, 200);
    ASSERT_EQ(parties_.Accept("puuid-b", "party-1").httpStatus, 200);
    StoreFromService();
  }
  void SetQueue(std::int32_t queueId) {
    const std::string body = R"({"queueId":)" + std::to_string(queueId) + R"(,"maxPartySize":5})";
    const std::string path = "v1/parties/" + backend_.GetCurrentPartyId() + "/gamemode";
    ASSERT_EQ(parties_.Act("puuid-a", "PUT", path, body).httpStatus, 200);
    StoreFromService();
  }
  static Api::LobbyInvitationDto Invitation(std::uint64_t summonerId) {
    Api::LobbyInvitationDto invitation;
    invitation.toSummonerId = summonerId;
    return invitation;
  }
};

TEST_F(PartiesPartyOperationsTest, LeavingSendsNothingForAPartyOfOneWithoutQueue) {
  EXPECT_TRUE(backend_.LeaveLobby().HasValue());
  EXPECT_THAT(Sent(), IsEmpty());

  // Without queue, but not alone.
  JoinB();
  EXPECT_TRUE(backend_.LeaveLobby().HasValue());
  EXPECT_THAT(Sent(), ElementsAre("PUT /v1/parties/party-1/members/puuid-a/role \"DECLINED\""));

  // Alone in a party of its own again, now with a queue.
  StoreFromService();
  ASSERT_EQ(backend_.GetCurrentPartyId(), "party-3");
  SetQueue(420);
  parties_.ClearRecords();
  EXPECT_TRUE(backend_.LeaveLobby().HasValue());
  EXPECT_THAT(Sent(), ElementsAre("PUT /v1/parties/party-3/members/puuid-a/role \"DECLINED\""));

  // Without a party nothing is sent either.
  parties_.ClearRecords();
  Lobby::PartiesBackendTesting::Player(backend_).currentParty.reset();
  EXPECT_TRUE(backend_.LeaveLobby().HasValue());
  EXPECT_THAT(Sent(), IsEmpty());
}

TEST_F(PartiesPartyOperationsTest, KickAndPromoteFindTheMemberFirstThenNeedTheLead) {
  JoinB();
  struct Case {
    const char* label;
    bool leader;
    std::uint64_t summonerId;
    bool promote;
    std::int32_t code;
    const char* text;  // "" for success
    const char* sent;
  };
  const std::vector<Case> cases = {
      {"kick of an unknown summoner", false, 99, false, 404, "SUMMONER_NOT_FOUND", ""},
      {"promote of an unknown summoner", false, 99, true, 404, "SUMMONER_NOT_FOUND", ""},
      {"kick by a member", false, 10, false, 403, "NOT_AUTHORIZED", ""},
      {"promote by a member", false, 10, true, 0, "Cannot promote when not leader", ""},
      {"kick by the leader", true, 10, false, 0, "",
       "PUT /v1/parties/party-1/members/puuid-b/role \"KICKED\""},
      {"promote by the leader", true, 10, true, 0, "",
       "PUT /v1/parties/party-1/members/puuid-b/role \"LEADER\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    // The kicked member comes back for the promotion.
    if (parties_.FindPlayer("puuid-b")->currentPartyId != "party-1") JoinB();
    parties_.ClearRecords();
    Lobby::PartiesBackendTesting::Player(backend_).currentParty->players[0].role =
        c.leader ? Role::LEADER : Role::MEMBER;
    const MaybeType<Failure, void> result =
        c.promote ? backend_.PromoteMember(c.summonerId) : backend_.KickMember(c.summonerId);
    if (*c.text == '\0') {
      EXPECT_TRUE(result.HasValue()) << result.Message();
      EXPECT_THAT(Sent(), ElementsAre(c.sent));
    } else {
      EXPECT_THAT(result, FailsWith(c.code, c.text));
      EXPECT_THAT(Sent(), IsEmpty());
    }
  }

  // Without a party the lookup fails first.
  Lobby::PartiesBackendTesting::Player(backend_).currentParty.reset();
  EXPECT_THAT(backend_.KickMember(10), FailsWith(400, "CURRENT_PARTY_NOT_FOUND"));
}

TEST_F(PartiesPartyOperationsTest, ChangingTheQueueSendsAtLeastFivePlacesAndTheDefaultType) {
  Api::Queue small = MakeQueue(450, {1, 2}, false);
  small.maximumParticipantListSize = 2;
  Api::Queue large = MakeQueue(460, {1, 8}, false);
  large.maximumParticipantListSize = 8;
  LobbyPluginTesting::Queues(plugin_).Set({small, large});

  Api::LobbyChangeGameDto change;
  change.queueId = 450;
  EXPECT_TRUE(backend_.ChangeLobby(change).HasValue());
  change.queueId = 460;
  EXPECT_TRUE(backend_.ChangeLobby(change).HasValue());
  EXPECT_THAT(Sent(), ElementsAre("PUT /v1/parties/party-1/gamemode " + GameModeText(450, 5),
                                  "PUT /v1/parties/party-1/gamemode " + GameModeText(460, 8)));

  // A leader whose party type differs from the default sets the default afterwards.
  parties_.ClearRecords();
  StoreFromService();
  PartiesLobbyBackendTesting::DefaultPartyType(backend_) = "open";
  const std::int32_t toggles =
      LobbyAnalyticsTesting::ToggleSession(LobbyPluginTesting::Analytics(plugin_)).numOfToggles;
  EXPECT_TRUE(backend_.ChangeLobby(change).HasValue());
  EXPECT_THAT(Sent(), ElementsAre("PUT /v1/parties/party-1/gamemode " + GameModeText(460, 8),
                                  "PUT /v1/parties/party-1/partytype \"open\""));
  EXPECT_EQ(
      LobbyAnalyticsTesting::ToggleSession(LobbyPluginTesting::Analytics(plugin_)).numOfToggles,
      toggles + 1);

  // Not as a member; not after a failed change; never for an unknown queue.
  for (const char* label : {"member", "failed", "unknown queue"}) {
    SCOPED_TRACE(label);
    parties_.ClearRecords();
    StoreFromService();
    change.queueId = 460;
    if (std::string(label) == "member")
      Lobby::PartiesBackendTesting::Player(backend_).currentParty->players[0].role = Role::MEMBER;
    if (std::string(label) == "failed") Script("v1/parties/*/gamemode", Kind::Status, 409, "BUSY");
    if (std::string(label) == "unknown queue") change.queueId = 420;
    const MaybeType<Failure, void> result = backend_.ChangeLobby(change);
    if (std::string(label) == "member") {
      EXPECT_TRUE(result.HasValue());
      EXPECT_EQ(Sent().size(), 1u);
    } else if (std::string(label) == "failed") {
      EXPECT_THAT(result, FailsWith(409, "BUSY"));
      EXPECT_EQ(Sent().size(), 1u);
    } else {
      EXPECT_THAT(result, FailsWith(400, "NO_QUEUE_SELECTED"));
      EXPECT_THAT(Sent(), IsEmpty());
    }
  }
}

// An invitation that names no summoner (id 0: by name alone) or one the summoner plugin does not
// know (14) reaches nobody: it answers Error, and a send of nothing but those fails.
TEST_F(PartiesPartyOperationsTest, InvitationsNeedTheRightSkipMembersAndReachKnownSummoners) {
  JoinB();
  // Known to the service, which refuses a bulk invite that names anyone it does not know (12).
  AddPlayer("puuid-11", 11);
  using State = Api::LobbyInvitationState;
  constexpr State kGiven = State::Pending;  // a record's default
  struct Case {
    const char* label;
    std::optional<bool> canInvite;
    std::vector<std::uint64_t> invited;
    std::int32_t code;  // 0: the given list comes back, in `states`
    const char* text;
    std::vector<State> states;
    std::vector<std::string> sent;
  };
  const std::string bulkInvite = "POST v1/parties/party-1/bulkInvite ";
  const std::vector<Case> cases = {
      {"canInvite false", false, {11}, 403, "NOT_AUTHORIZED", {}, {}},
      {"canInvite absent", std::nullopt, {11}, 403, "NOT_AUTHORIZED", {}, {}},
      {"all members already", true, {9, 10}, 0, "", {kGiven, kGiven}, {}},
      {"two new, one member, refused by the service",
       true,
       {11, 10, 12},
       0,
       "",
       {State::Error, kGiven, State::Error},
       {bulkInvite + Lines({"[", "    \"puuid-11\",", "    \"puuid-12\"", "]"})}},
      {"by name alone", true, {0}, 404, "SUMMONER_NOT_FOUND", {}, {}},
      {"unknown summoner", true, {14}, 404, "SUMMONER_NOT_FOUND", {}, {}},
      {"a member and an unknown summoner", true, {10, 14}, 0, "", {kGiven, State::Error}, {}},
      {"known, unknown and by name",
       true,
       {11, 14, 0},
       0,
       "",
       {kGiven, State::Error, State::Error},
       {bulkInvite + Lines({"[", "    \"puuid-11\"", "]"})}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    parties_.ClearRecords();
    Lobby::PartiesBackendTesting::Player(backend_).currentParty->players[0].canInvite = c.canInvite;
    std::vector<Api::LobbyInvitationDto> invitations;
    for (std::uint64_t id : c.invited) invitations.push_back(Invitation(id));
    MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> result =
        backend_.SendInvitations(invitations);
    if (c.code != 0) {
      EXPECT_THAT(result, FailsWith(c.code, c.text));
    } else {
      ASSERT_TRUE(result.HasValue()) << result.Message();
      std::vector<State> states;
      for (const Api::LobbyInvitationDto& answered : result.Value()) {
        states.push_back(answered.state);
      }
      EXPECT_EQ(states, c.states);
    }
    EXPECT_EQ(Sent(), c.sent);
  }
  EXPECT_EQ(LogLines(2, "SUMMONER_NOT_FOUND"),
            (std::vector<std::string>{
                "Parties send invitation(s) failure: SUMMONER_NOT_FOUND (no summoner id)",
                "Parties send invitation(s) failure: SUMMONER_NOT_FOUND (summoner 14)",
                "Parties send invitation(s) failure: SUMMONER_NOT_FOUND (summoner 14)",
                "Parties send invitation(s) failure: SUMMONER_NOT_FOUND (summoner 14)",
                "Parties send invitation(s) failure: SUMMONER_NOT_FOUND (no summoner id)"}));

  // Refused by the service: reported, and the given list, the invitation reaching nobody.
  host_.ClearRecords();
  parties_.ClearRecords();
  Script("v1/parties/*/bulkInvite", Kind::Status, 503, "SERVICE_UNAVAILABLE");
  MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> result =
      backend_.SendInvitations({Invitation(11)});
  ASSERT_TRUE(result.HasValue()) << result.Message();
  ASSERT_EQ(result.Value().size(), 1u);
  EXPECT_EQ(result.Value()[0].toSummonerId, 11u);
  EXPECT_EQ(result.Value()[0].state, State::Error);
  EXPECT_THAT(LogLines(2, "Parties send invitation(s) failure"),
              ElementsAre("Parties send invitation(s) failure: SERVICE_UNAVAILABLE"));
  EXPECT_EQ(LogLines(2, "Parties service is UNAVAILABLE").size(), 1u);
  const std::vector<Api::LobbyNotification> notifications = plugin_.HandleGetNotifications().value;
  EXPECT_EQ(std::count_if(notifications.begin(), notifications.end(),
                          [](const Api::LobbyNotification& n) {
                            return n.notificationReason == "SERVICE_UNAVAILABLE" &&
                                   n.summonerIds.empty();
                          }),
            1);
  const std::vector<std::string> events = Events("parties-service");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_THAT(events[0], ::testing::HasSubstr(R"("request":"bulk_invite")"));

  // A lookup that fails reaches nobody either, and says why.
  host_.AddComponent("/jyx-summoner/v2/summoners", [](const Host::CoreRequest&) {
    Host::CoreReply reply;
    reply.status = 503;
    reply.error = "summoners unavailable";
    return reply;
  });
  parties_.ClearRecords();
  EXPECT_THAT(backend_.SendInvitations({Invitation(11)}), FailsWith(503, ::testing::_));
  EXPECT_THAT(Sent(), IsEmpty());
  EXPECT_EQ(LogLines(2, "summoners unavailable").size(), 1u);
}

TEST_F(PartiesPartyOperationsTest, InviteRightsAvailabilityAndRoles) {
  JoinB();
  EXPECT_TRUE(backend_.SetCanInvite(10, true).HasValue());
  EXPECT_THAT(backend_.SetCanInvite(99, true), FailsWith(404, "SUMMONER_NOT_FOUND"));
  EXPECT_THAT(Sent(), ElementsAre("PUT /v1/parties/party-1/members/puuid-b/canInvite true"));

  EXPECT_TRUE(backend_.GetAvailabilityFlag());
  Lobby::PartiesBackendTesting::Player(backend_).currentParty->players[0].canInvite.reset();
  EXPECT_FALSE(backend_.GetAvailabilityFlag());
  Lobby::PartiesBackendTesting::Player(backend_).summonerId = 77;  // missing from the party
  EXPECT_FALSE(backend_.GetAvailabilityFlag());

  // A party invitation leaves nothing; another kind leaves the party first.
  StoreFromService();
  parties_.ClearRecords();
  Api::ReceivedInvitationDto invitation;
  invitation.invitationType = Api::InvitationType::party;
  EXPECT_TRUE(backend_.LeaveLobbyUnlessPending(invitation).HasValue());
  EXPECT_THAT(Sent(), IsEmpty());
  invitation.invitationType = Api::InvitationType::lobby;
  EXPECT_TRUE(backend_.LeaveLobbyUnlessPending(invitation).HasValue());
  EXPECT_THAT(Sent(), ElementsAre("PUT /v1/parties/party-1/members/puuid-a/role \"DECLINED\""));
}

TEST_F(PartiesPartyOperationsTest, PositionPreferencesSendOnlyThoseChosen) {
  struct Case {
    const char* first;
    const char* second;
    const char* body;
  };
  const std::vector<Case> cases = {
      {"NORTH", "HELPER",
       "{\r\n    \"positionPref\": [\r\n        \"NORTH\",\r\n        \"HELPER\"\r\n    ]\r\n}"},
      {"", "HELPER", "{\r\n    \"positionPref\": [\r\n        \"HELPER\"\r\n    ]\r\n}"},
      {"NORTH", "", "{\r\n    \"positionPref\": [\r\n        \"NORTH\"\r\n    ]\r\n}"},
      {"", "", "{\r\n    \"positionPref\": []\r\n}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + "/" + c.second);
    parties_.ClearRecords();
    Api::LobbyPositionPreferences preferences{c.first, c.second};
    EXPECT_TRUE(backend_.SetPositionPreferences(preferences).HasValue());
    EXPECT_THAT(
        Sent(),
        ElementsAre(std::string("PUT /v1/parties/party-1/members/puuid-a/metadata ") + c.body));
  }
  // The route's setter answers the failure's code.
  Script("v1/parties/*/members/*/metadata", Kind::Status, 409, "BUSY");
  const HttpResponse refused = backend_.HandlePutMetadata(Api::PartyMemberMetadataDto{});
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.status.status, 409);
  EXPECT_EQ(refused.message, "BUSY");
}

TEST_F(PartiesPartyOperationsTest, PartyTypeNeedsOpenPartiesAndAPartyOutOfActivity) {
  struct Case {
    const char* label;
    bool openParties;
    bool locked;
    bool party;
    const char* failure;  // "" for success
  };
  const std::vector<Case> cases = {
      {"open parties off", false, false, true, "OPEN_PARTIES_DISABLED"},
      {"locked", true, true, true, "INVALID_WHILE_IN_ACTIVITY"},
      {"no party", true, false, false, "INVALID_WHILE_IN_ACTIVITY"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    StoreFromService();
    parties_.ClearRecords();
    PartiesLobbyBackendTesting::OpenPartyFlag(backend_).Set(c.openParties);
    Lobby::PartiesBackendTesting::Player(backend_).currentParty->activityLocked = c.locked;
    if (!c.party) Lobby::PartiesBackendTesting::Player(backend_).currentParty.reset();
    EXPECT_THAT(backend_.SetPartyType("open"), FailsWith(0, c.failure));
    EXPECT_THAT(Sent(), IsEmpty());
  }

  // A success that changes the default saves it; one that does not, saves nothing.
  StoreFromService();
  host_.ClearRecords();
  PartiesLobbyBackendTesting::OpenPartyFlag(backend_).Set(true);
  PartiesLobbyBackendTesting::DefaultPartyType(backend_) = "closed";
  EXPECT_TRUE(backend_.SetPartyType("open").HasValue());
  EXPECT_EQ(PartiesLobbyBackendTesting::DefaultPartyType(backend_), "open");
  EXPECT_TRUE(backend_.SetPartyType("open").HasValue());
  EXPECT_THAT(Sent(), ElementsAre("PUT /v1/parties/party-1/partytype \"open\"",
                                  "PUT /v1/parties/party-1/partytype \"open\""));
  const std::vector<Host::CoreRequest> saved =
      HostRequests("/jyx-settings/v1/account/parties-settings");
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].arguments.at(0), R"({"data":{"Parties":{"defaultPartyType":"open"}}})");
  EXPECT_EQ(LogLines(3, "Parties succeeded saving parties-settings defaultPartyType=open").size(),
            1u);

  // A refusal is logged and leaves the default.
  host_.ClearRecords();
  Script("v1/parties/*/partytype", Kind::Status, 409, "NOT_LEADER");
  EXPECT_THAT(backend_.SetPartyType("closed"), FailsWith(409, "NOT_LEADER"));
  EXPECT_EQ(PartiesLobbyBackendTesting::DefaultPartyType(backend_), "open");
  EXPECT_EQ(LogLines(2, "Parties setPartyType failure: NOT_LEADER").size(), 1u);
  EXPECT_TRUE(HostRequests("/jyx-settings/v1/account/parties-settings").empty());
}

TEST_F(PartiesPartyOperationsTest, OpenAndClashPartiesAreJoinedThroughTheService) {
  backend_.TeamBuilderQueuesFlag().Set(false);
  EXPECT_THAT(backend_.JoinOpenParty("party-2"), FailsWith(0, "PARTY_QUEUES_DISABLED"));
  EXPECT_THAT(Sent(), IsEmpty());

  backend_.TeamBuilderQueuesFlag().Set(true);
  ASSERT_EQ(parties_.Act("puuid-b", "PUT", "v1/parties/party-2/partytype", "\"open\"").httpStatus,
            200);
  EXPECT_TRUE(backend_.JoinOpenParty("party-2").HasValue());
  EXPECT_THAT(Sent(), ElementsAre("PUT v1/parties/party-2/members/puuid-a/role \"MEMBER\""));
  EXPECT_EQ(parties_.FindPlayer("puuid-a")->currentPartyId, "party-2");

  parties_.ClearRecords();
  static_cast<void>(backend_.JoinClashParty("clash-7"));
  EXPECT_THAT(Sent(), ElementsAre("POST /v1/clash-parties/join \"clash-7\""));
}

TEST_F(PartiesPartyOperationsTest, PhaseChangesLeaveOnNoneAndTellTheServiceOfAGameStart) {
  JoinB();
  SetQueue(420);
  struct Case {
    const char* label;
    Api::GameflowPhase phase;
    bool leader;
    std::vector<std::string> sent;
  };
  const std::vector<Case> cases = {
      {"GameStart as leader",
       Api::GameflowPhase::GameStart,
       true,
       {"POST /v1/parties/party-1/enteredGame"}},
      {"GameStart as member", Api::GameflowPhase::GameStart, false, {}},
      {"InProgress", Api::GameflowPhase::InProgress, true, {}},
      {"None",
       Api::GameflowPhase::None,
       true,
       {"PUT /v1/parties/party-1/members/puuid-a/role \"DECLINED\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    StoreFromService();
    parties_.ClearRecords();
    Lobby::PartiesBackendTesting::Player(backend_).currentParty->players[0].role =
        c.leader ? Role::LEADER : Role::MEMBER;
    backend_.ProcessEnteredGame(Api::GameflowPhase::Lobby, c.phase);
    EXPECT_EQ(Sent(), c.sent);
  }
}

TEST_F(PartiesPartyOperationsTest, ADodgeReadiesThePartyAgainAndNotifiesOutsideTheReadyCheck) {
  struct Case {
    const char* label;
    Api::MatchmakingDodgeState state;
    Api::GameflowPhase phase;
    bool ready;
    std::size_t notified;
  };
  const std::vector<Case> cases = {
      {"party dodge in champion select", Api::MatchmakingDodgeState::PartyDodged,
       Api::GameflowPhase::ChampSelect, true, 1},
      {"party dodge in the ready check", Api::MatchmakingDodgeState::PartyDodged,
       Api::GameflowPhase::ReadyCheck, true, 0},
      {"stranger dodge", Api::MatchmakingDodgeState::StrangerDodged, Api::GameflowPhase::Lobby,
       false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host_.ClearRecords();
    parties_.ClearRecords();
    const std::size_t before = plugin_.HandleGetNotifications().value.size();
    Api::GameflowGameDodge dodge;
    dodge.state = c.state;
    dodge.phase = c.phase;
    dodge.dodgeIds = {10};
    backend_.HandleDodge(dodge);
    EXPECT_EQ(Sent(),
              c.ready
                  ? std::vector<std::string>{"PUT /v1/parties/party-1/members/puuid-a/ready true"}
                  : std::vector<std::string>{});
    EXPECT_EQ(LogLines(0, "Party dodge received, cancelling matchmaking").size(),
              c.ready ? 1u : 0u);
    EXPECT_EQ(plugin_.HandleGetNotifications().value.size(), before + c.notified);
  }
}

TEST_F(PartiesPartyOperationsTest, PremadeEligibilityOfAnUnchangedPartyComesFromTheCache) {
  constexpr char kEligibility[] = "/jyx-queue-eligibility/v3/eligibility";
  host_.AddComponent(kEligibility, [](const Host::CoreRequest&) {
    Host::CoreReply reply;
    reply.json = R"([{"queueId":420,"eligible":true,"restrictions":[]}])";
    return reply;
  });
  JoinB();
  Lobby::PartiesBackendTesting::Player(backend_).currentParty->eligibilityHash = 42;
  for (int i = 0; i < 2; ++i) {
    MaybeType<Failure, std::vector<Api::Eligibility>> result = backend_.GetPremadeEligibility();
    ASSERT_TRUE(result.HasValue()) << result.Message();
    ASSERT_EQ(result.Value().size(), 1u);
  }
  const std::vector<Host::CoreRequest> asked = HostRequests(kEligibility);
  ASSERT_EQ(asked.size(), 1u) << "the second is answered from the cache";
  EXPECT_EQ(asked[0].arguments.at(0), "[9,10]");

  Lobby::PartiesBackendTesting::Player(backend_).currentParty->eligibilityHash = 43;
  EXPECT_TRUE(backend_.GetPremadeEligibility().HasValue());
  EXPECT_EQ(HostRequests(kEligibility).size(), 2u) << "a new hash asks again";

  Lobby::PartiesBackendTesting::Player(backend_).currentParty.reset();
  EXPECT_THAT(backend_.GetPremadeEligibility(), FailsWith(400, "CURRENT_PARTY_NOT_FOUND"));
}

TEST_F(PartiesPartyOperationsTest, PartyInvitationsAreAnsweredByTheirPartyId) {
  ASSERT_EQ(parties_.Invite("puuid-b", "puuid-a").httpStatus, 200);
  StoreFromService();
  EXPECT_TRUE(backend_.DeclineInvitation("party-2").HasValue());
  ASSERT_EQ(parties_.Invite("puuid-b", "puuid-a").httpStatus, 200);
  StoreFromService();
  EXPECT_TRUE(backend_.AcceptInvitation("party-2").HasValue());
  EXPECT_THAT(Sent(), ElementsAre("PUT v1/parties/party-2/members/puuid-a/role \"DECLINED\"",
                                  "PUT v1/parties/party-2/members/puuid-a/role \"MEMBER\""));
  EXPECT_EQ(parties_.FindPlayer("puuid-a")->currentPartyId, "party-2");
}

TEST_F(PartiesPartyOperationsTest, ANewLobbyCancelsOrLeavesThePartyAsItsKindRequires) {
  struct Case {
    const char* label;
    std::int32_t partyQueue;
    const char* clashToken;  // "" outside a clash party
    std::int32_t newQueue;
    std::vector<const char*> sent;
  };
  const std::vector<Case> cases = {
      {"a party without queue", -1, "", 420, {}},
      {"a queue parties serve: the party stays", 420, "", 440, {"cancel"}},
      {"a queue parties do not serve", 420, "", 450, {"leave"}},
      {"a clash party without queue", -1, "7", 420, {"cancel", "leave"}},
      {"a clash party, even for a queue parties serve", 440, "8", 420, {"cancel", "leave"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    if (*c.clashToken != '\0') {
      const std::string token = std::string("\"") + c.clashToken + "\"";
      ASSERT_EQ(parties_.Act("puuid-a", "POST", "v1/clash-parties/join", token).httpStatus, 200);
    }
    StoreFromService();
    SetQueue(c.partyQueue);
    ASSERT_EQ(backend_.IsClashParty(), *c.clashToken != '\0');
    const std::string partyId = backend_.GetCurrentPartyId();
    std::vector<std::string> expected;
    for (const std::string step : c.sent) {
      expected.push_back(step == "cancel"
                             ? "PUT v1/parties/" + partyId + "/activityLocked false"
                             : "PUT /v1/parties/" + partyId + "/members/puuid-a/role \"DECLINED\"");
    }
    parties_.ClearRecords();
    EXPECT_TRUE(backend_.PrepareForLobbyCreation(c.newQueue).HasValue());
    EXPECT_EQ(Sent(), expected);
  }

  // A refused cancel is the preparation's failure, and the clash party is not left.
  ASSERT_EQ(parties_.Act("puuid-a", "POST", "v1/clash-parties/join", "\"9\"").httpStatus, 200);
  StoreFromService();
  parties_.ClearRecords();
  Script("v1/parties/*/activityLocked", Kind::Status, 409, "NOT_LEADER");
  EXPECT_THAT(backend_.PrepareForLobbyCreation(420), FailsWith(409, "NOT_LEADER"));
  EXPECT_EQ(Sent().size(), 1u);
}

TEST_F(PartiesPartyOperationsTest, AStateArrivingWhileAnOperationWaitsIsStoredUntilTheReply) {
  JoinB();
  SetQueue(420);
  // The notification: the local player gone from its party, newer than anything stored.
  Api::PlayerDto removed = Lobby::PartiesBackendTesting::Player(backend_);
  removed.version += 10;
  removed.currentParty->version += 10;
  std::erase_if(removed.currentParty->players,
                [](const Api::PartyMemberDto& member) { return member.summonerId == 9; });
  bool injected = false;
  Script("v1/parties/*/gamemode", Kind::Normal, 200, "", Timing::OnYield, 2);
  host_.OnYield(1, [&] {
    injected = true;
    EXPECT_TRUE(backend_.ApplyPartiesState(removed, Api::PlayerUpdateType::ZMS));
    EXPECT_EQ(Lobby::PartiesBackendTesting::Player(backend_).version, removed.version)
        << "stored while the change waits";
    EXPECT_EQ(backend_.GetLocalMember().role, Role::NONE);
  });
  Api::LobbyChangeGameDto change;
  change.queueId = 440;
  EXPECT_TRUE(backend_.ChangeLobby(change).HasValue());
  EXPECT_TRUE(injected);
  // The reply is the service's word, older or not.
  EXPECT_EQ(Lobby::PartiesBackendTesting::Player(backend_).currentParty->gameMode.queueId, 440);
  EXPECT_EQ(backend_.GetLocalMember().role, Role::LEADER);

  // The view is made of the state stored when it was asked for, whatever arrives meanwhile.
  Host::ScriptedReply lookup;
  lookup.json =
      R"([{"summonerId":9,"displayName":"Name9"},{"summonerId":10,"displayName":"Name10"}])";
  lookup.uses = 1;
  lookup.during = [&] {
    Api::PlayerDto alone = Lobby::PartiesBackendTesting::Player(backend_);
    alone.version += 20;
    alone.currentParty->version += 20;
    alone.currentParty->players.resize(1);
    alone.currentParty->gameMode.queueId = 420;
    EXPECT_TRUE(backend_.ApplyPartiesState(alone, Api::PlayerUpdateType::ZMS));
  };
  host_.ScriptReply("/jyx-summoner/v2/summoners", lookup);
  MaybeType<Failure, Api::LobbyDto> lobby = backend_.GetLobby();
  ASSERT_TRUE(lobby.HasValue()) << lobby.Message();
  EXPECT_EQ(lobby.Value().members.size(), 2u);
  EXPECT_EQ(lobby.Value().gameConfig.queueId, 440);
  EXPECT_EQ(lobby.Value().members[1].summonerName, "Name10");
  EXPECT_EQ(Lobby::PartiesBackendTesting::Player(backend_).currentParty->players.size(), 1u)
      << "the newer state is stored";
}

}  // namespace
}  // namespace Zarn::Client::Lobby
