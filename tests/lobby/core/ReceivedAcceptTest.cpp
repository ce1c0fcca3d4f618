// Accepting and declining received legacy invitations through the v2 routes' handlers, in-process
// on the stand-in host with the real platform backend and arranged-team controller; and the
// end-of-game invitations of a legacy lobby.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/lobby/core/GameflowAnswers.h"
#include "tests/lobby/core/ReceivedTesting.h"

namespace Zarn::Client::Lobby::ReceivedTesting {
namespace {

using ::testing::HasSubstr;
using Names = std::vector<std::string>;

constexpr char kFailedLobby[] = "\"GAMEFLOW_EVENT.FAILED_LOBBY\"";
constexpr char kEnteredLobby[] = "\"GAMEFLOW_EVENT.ENTERED_LOBBY\"";

TEST_F(ReceivedTest, AFailedLegacyAcceptAnswersByItsExceptionAndKeepsTheInvitation) {
  struct Case {
    const char* exception;
    std::int32_t status;
    std::string message;
  };
  const std::string prefix = "Couldn't accept invitation to lobby: Error accepting invitation: ";
  const std::vector<Case> cases = {
      {"com.zarnworks.LobbyFullException: five of five", 403, prefix + "Lobby is already full"},
      {"com.zarnworks.LobbyClosedException: gone", 410, prefix + "Lobby is disbanded"},
      {"com.zarnworks.TimeoutException: slow", 500,
       prefix + "Error response for POST /jyx-login/v1/session/invoke: "
                "com.zarnworks.TimeoutException: slow"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exception);
    Reset();
    W().PushInvitation("inv-1", "ACTIVE");
    W().ScriptLegacyFailure("accept", c.exception);
    const std::size_t requests = W().Mark();
    const HttpResponse reply = W().Plugin().HandleAcceptReceivedInvitation("inv-1");
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.status.status, c.status);
    EXPECT_EQ(reply.message, c.message);
    EXPECT_EQ(W().Sent(kSessionEventPath, requests), Names{kFailedLobby});
    EXPECT_EQ(W().Plugin().HandleGetReceivedInvitations().value.size(), 1u);
    EXPECT_EQ(W().State(), "OutOfLobby");
  }
}

TEST_F(ReceivedTest, AcceptingAnUnknownIdOrOneTheGameflowPluginRefusesChangesNothing) {
  W().PushInvitation("inv-1", "ACTIVE");
  const std::size_t legacy = W().LegacyMark();
  const HttpResponse unknown = W().Plugin().HandleAcceptReceivedInvitation("inv-9");
  EXPECT_EQ(unknown.status.status, 404);
  EXPECT_EQ(unknown.message, "INVITATION_NOT_FOUND");

  Reset([](Host::PluginHost& host) { Host::Testing::AnswerLobbyRequests(host, false); });
  W().PushInvitation("inv-1", "ACTIVE");
  const std::size_t requests = W().Mark();
  const HttpResponse refused = W().Plugin().HandleAcceptReceivedInvitation("inv-1");
  EXPECT_EQ(refused.status.status, 423);
  EXPECT_EQ(refused.message, "Gameflow prevented a lobby.");
  EXPECT_EQ(W().Sent(kRequestLobbyPath, requests).size(), 1u);
  EXPECT_EQ(W().LegacyCalls(legacy), Names{}) << "nothing asked of the platform";
  EXPECT_EQ(W().State(), "OutOfLobby");
}

TEST_F(ReceivedTest, AnAcceptedInvitationJoinsItsLobbyAsMemberAndLeavesTheLists) {
  // The lobby was left once: its id is among the abandoned ones until it is joined again.
  W().JoinLobby("inv-0", "lobby-1");
  EXPECT_TRUE(W().Plugin().HandleDeleteLobby().ok);
  ASSERT_EQ(W().State(), "OutOfLobby");
  ASSERT_EQ(LobbyPluginTesting::AbandonedLobbyInvitationIds(W().Plugin()).count("lobby-1"), 1u);

  W().PushInvitation("inv-1", "ACTIVE");
  W().ScriptAccept("lobby-1");
  const std::size_t requests = W().Mark();
  const std::size_t events = W().EventMark();
  const std::size_t logs = W().LogMark();
  const HttpResponse reply = W().Plugin().HandleAcceptReceivedInvitation("inv-1");
  EXPECT_TRUE(reply.ok) << reply.message;
  EXPECT_EQ(W().State(), "Member");
  EXPECT_EQ(W().Sent(kRequestLobbyPath, requests).size(), 2u) << "the route, then the platform";
  EXPECT_EQ(W().Sent(kSessionEventPath, requests), Names{kEnteredLobby});
  Names kinds;
  for (const Publication& p : W().Published(std::string(kV1Received) + "inv-1", events)) {
    kinds.push_back(p.eventType);
    if (p.eventType == "Update") {
      EXPECT_THAT(p.data, HasSubstr(R"("state":"Accepted")"));
    }
  }
  EXPECT_EQ(kinds, (Names{"Update", "Delete"}));
  EXPECT_TRUE(W().Plugin().HandleGetReceivedInvitations().value.empty());
  EXPECT_EQ(LobbyPluginTesting::AbandonedLobbyInvitationIds(W().Plugin()).count("lobby-1"), 0u);
  EXPECT_EQ(W().Logged("RemoveFromAbandonedLobbyIds: lobby-1", logs).size(), 1u);
  EXPECT_EQ(W().V1Lobby().invitationId, "lobby-1");
  EXPECT_EQ(W().V1Lobby().queueId, 420);
  // Published while still out of the lobby, as a Delete, then as the lobby joined.
  const std::vector<Publication> v1 = W().Published("/jyx-lobby/v1/lobby", events);
  ASSERT_EQ(v1.size(), 2u);
  EXPECT_EQ(v1[0].eventType, "Delete");
  EXPECT_EQ(v1[1].eventType, "Update");
  EXPECT_THAT(v1[1].data, HasSubstr(R"("invitationId":"lobby-1")"));
}

TEST_F(ReceivedTest, FromAGroupLobbyTheOldLobbyIsLeftBeforeTheAccept) {
  W().JoinLobby("inv-0", "lobby-1");
  W().PushInvitation("inv-1", "ACTIVE");
  W().ScriptAccept("lobby-2");
  const std::size_t legacy = W().LegacyMark();
  const HttpResponse reply = W().Plugin().HandleAcceptReceivedInvitation("inv-1");
  EXPECT_TRUE(reply.ok) << reply.message;
  const Names calls = W().LegacyCalls(legacy);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().rfind("leave ", 0), 0u) << calls.front();
  EXPECT_EQ(calls.back(), "accept [\"inv-1\"]");
  EXPECT_EQ(W().V1Lobby().invitationId, "lobby-2");

  // In a lobby only the platform asks the gameflow plugin, and its refusal is wrapped. The
  // scripts answer in the order given: joining asks twice, the accept in the lobby once.
  Reset([](Host::PluginHost& h) {
    Host::ScriptedReply allowTwice;
    allowTwice.json = "true";
    allowTwice.uses = 2;
    h.ScriptReply(kRequestLobbyPath, allowTwice);
    Host::Testing::AnswerLobbyRequests(h, false);
  });
  W().JoinLobby("inv-0", "lobby-1");
  W().PushInvitation("inv-2", "ACTIVE");
  const HttpResponse refusedReply = W().Plugin().HandleAcceptReceivedInvitation("inv-2");
  EXPECT_EQ(refusedReply.status.status, 423);
  EXPECT_EQ(refusedReply.message,
            "Couldn't accept invitation to lobby: Gameflow prevented a lobby.");
  EXPECT_EQ(W().Plugin().HandleGetReceivedInvitations().value.size(), 1u);
}

TEST_F(ReceivedTest, DecliningKeepsTheInvitationDeclinedOrAnswersTheFailure) {
  W().PushInvitation("inv-1", "ACTIVE");
  W().ScriptLegacyFailure("decline", "com.zarnworks.ServiceException: busy");
  const HttpResponse failed = W().Plugin().HandleDeclineReceivedInvitation("inv-1");
  EXPECT_EQ(failed.status.status, 500);
  EXPECT_EQ(
      failed.message,
      "Couldn't decline lobby invitation: Error declining invitation: Error response for POST "
      "/jyx-login/v1/session/invoke: com.zarnworks.ServiceException: busy");

  W().legacy_.Script(kInviteService, "decline", Host::LcdsAnswer{});
  const std::size_t events = W().EventMark();
  const std::size_t legacy = W().LegacyMark();
  const HttpResponse declined = W().Plugin().HandleDeclineReceivedInvitation("inv-1");
  EXPECT_TRUE(declined.ok) << declined.message;
  EXPECT_EQ(W().LegacyCalls(legacy), Names{"decline [\"inv-1\"]"});
  const std::vector<Publication> v1 = W().Published(std::string(kV1Received) + "inv-1", events);
  ASSERT_EQ(v1.size(), 1u);
  EXPECT_THAT(v1[0].data, HasSubstr(R"("state":"Declined")"));
  const std::vector<Api::ReceivedInvitationDto> listed =
      W().Plugin().HandleGetReceivedInvitations().value;
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].state, Api::LobbyInvitationState::Declined);

  const HttpResponse unknown = W().Plugin().HandleDeclineReceivedInvitation("inv-9");
  EXPECT_EQ(unknown.status.status, 404);
  EXPECT_EQ(unknown.message, "INVITATION_NOT_FOUND");
}

TEST_F(ReceivedTest, EndOfGameInvitationsFromALegacyLobbyAreAnInvalidRequest) {
  W().JoinLobby("inv-0", "lobby-1");
  Api::LobbyInvitationDto invitation;
  invitation.toSummonerId = kInviterId;
  const HttpResult<std::vector<Api::LobbyInvitationDto>> reply =
      W().Plugin().HandlePostEogInvitations({invitation});
  EXPECT_EQ(reply.response.status.status, 400);
  EXPECT_EQ(reply.response.message, "INVALID_REQUEST");
}

}  // namespace
}  // namespace Zarn::Client::Lobby::ReceivedTesting
