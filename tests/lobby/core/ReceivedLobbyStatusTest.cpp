// The legacy lobby status and removal messages and the resynchronisation after a reconnection,
// in-process on the stand-in host with the real backends and the arranged-team controller.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/core/PartiesBackend.h"
#include "lobby/model/LegacyClassNames.h"
#include "tests/lobby/core/PartiesBackendTesting.h"
#include "tests/lobby/core/ReceivedTesting.h"

namespace Zarn::Client::Lobby::ReceivedTesting {
namespace {

using ::testing::HasSubstr;
using Names = std::vector<std::string>;

std::string Removal(const char* reason) {
  return std::string(R"({"removalReason":")") + reason + "\"}";
}

std::vector<std::uint64_t> MemberIds(const Api::Lobby& lobby) {
  std::vector<std::uint64_t> ids;
  for (const Api::LobbyMember& member : lobby.members) ids.push_back(member.id);
  return ids;
}

TEST_F(ReceivedTest, AStatusOfAnAbandonedLobbyIsIgnoredEntirely) {
  W().JoinLobby("inv-0", "lobby-1");
  EXPECT_TRUE(W().Plugin().HandleDeleteLobby().ok);
  W().JoinLobby("inv-1", "lobby-2");
  const std::size_t events = W().EventMark();
  const std::size_t logs = W().LogMark();
  const std::size_t legacy = W().LegacyMark();
  W().Push(kLobbyStatusClass, LobbyStatusJson("lobby-1", kLocalId, {kLocalId, kInviterId}));
  EXPECT_EQ(W().Logged("Ignoring update from abandoned lobby.invitationId lobby-1", logs),
            Names{"3|Ignoring update from abandoned lobby.invitationId lobby-1"});
  EXPECT_EQ(W().State(), "Member") << "no promotion";
  EXPECT_EQ(W().V1Lobby().invitationId, "lobby-2");
  EXPECT_EQ(W().Published("/jyx-lobby/v1/lobby", events).size(), 0u);
  EXPECT_EQ(W().LegacyCalls(legacy), Names{}) << "nobody granted";
}

TEST_F(ReceivedTest, AStatusNamingThePlayerOwnerPromotesAndGrantsTheNewMembers) {
  struct Case {
    const char* label;
    bool queueFails;
    std::vector<std::uint64_t> storedMembers;
    Names grants;  // the members other than the player not granted before
  };
  const std::vector<Case> cases = {
      {"stored", false, {kLocalId, kInviterId}, {"grantInvitePrivileges [77]"}},
      {"queue GET failing: nothing stored",
       true,
       {kOwnerId, kLocalId},
       {"grantInvitePrivileges [78]"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Reset();
    W().JoinLobby("inv-0", "lobby-1");
    if (c.queueFails) {
      Host::ScriptedReply failed;
      failed.status = 500;
      failed.error = "queues down";
      W().host_.ScriptReply(kQueuePath, failed);
    }
    const std::size_t events = W().EventMark();
    const std::size_t legacy = W().LegacyMark();
    W().Push(kLobbyStatusClass, LobbyStatusJson("lobby-1", kLocalId, {kLocalId, kInviterId}));
    EXPECT_EQ(W().State(), "Owner");
    EXPECT_EQ(MemberIds(W().V1Lobby()), c.storedMembers);
    EXPECT_EQ(W().LegacyCalls(legacy), c.grants);
    const Names uris = W().PublishedUris(events);
    EXPECT_THAT(uris, ::testing::Contains("Update /jyx-lobby/v1/lobby"));
    EXPECT_THAT(uris, ::testing::Contains("Update /jyx-lobby/v1/lobby/members"));
    EXPECT_THAT(uris, ::testing::Contains("Update /jyx-lobby/v1/party-rewards"));
  }
}

TEST_F(ReceivedTest, TheLatestStatusHandedToTheControllerWins) {
  Reset([](Host::PluginHost& host) {
    host.ScriptReply(kQueuePath, Client::Testing::StreamedInOneByteReads(
                                     R"({"id":420,"mapId":11,"gameMode":"CLASSIC"})"));
  });
  W().JoinLobby("inv-0", "lobby-1");
  W().host_.OnYield(1, [this] {
    ASSERT_TRUE(W().legacy_.Push(kLobbyStatusClass,
                                 LobbyStatusJson("lobby-1", kOwnerId, {kOwnerId, kLocalId, 5})));
  });
  W().Push(kLobbyStatusClass, LobbyStatusJson("lobby-1", kOwnerId, {kOwnerId, kLocalId, 6}));
  EXPECT_EQ(MemberIds(W().V1Lobby()), (std::vector<std::uint64_t>{kOwnerId, kLocalId, 5}));
}

TEST_F(ReceivedTest, ARemovalOutsideALobbyStillAddsAndPublishesTheNotification) {
  const std::size_t events = W().EventMark();
  const std::size_t logs = W().LogMark();
  W().Push(kRemovedFromLobbyClass, Removal("KICKED"));
  const std::vector<Publication> published = W().Published("/jyx-lobby/v2/notifications", events);
  ASSERT_FALSE(published.empty());
  EXPECT_THAT(published.back().data, HasSubstr(R"("notificationReason":"KICKED")"));
  EXPECT_THAT(published.back().data, HasSubstr(R"("summonerIds":[2046])"));
  EXPECT_EQ(
      W().Logged("Received a removed from lobby notification but we weren't in a lobby.", logs)
          .size(),
      1u);
}

TEST_F(ReceivedTest, AKickRemovesThePlayerFromTheLobbyAndLeavesIt) {
  W().JoinLobby("inv-0", "lobby-1");
  const std::size_t events = W().EventMark();
  const std::size_t legacy = W().LegacyMark();
  W().Push(kRemovedFromLobbyClass, Removal("KICKED"));
  const std::vector<Publication> countdown = W().Published("/jyx-lobby/v2/lobby/countdown", events);
  ASSERT_FALSE(countdown.empty());
  EXPECT_THAT(countdown.front().data, HasSubstr(R"("countdown":0)"));
  const Names uris = W().PublishedUris(events);
  Names v1;
  for (const std::string& uri : uris) {
    const std::string path = uri.substr(uri.find(' ') + 1);
    if (path == "/jyx-lobby/v1/lobby" || path == "/jyx-lobby/v1/lobby/members" ||
        path == "/jyx-lobby/v1/lobby/invitations") {
      v1.push_back(uri);
    }
  }
  ASSERT_GE(v1.size(), 4u);
  EXPECT_EQ(Names(v1.begin(), v1.begin() + 4),
            (Names{"Update /jyx-lobby/v1/lobby/members", "Update /jyx-lobby/v1/lobby/invitations",
                   "Update /jyx-lobby/v1/lobby", "Delete /jyx-lobby/v1/lobby"}));
  const std::vector<Publication> members = W().Published("/jyx-lobby/v1/lobby/members", events);
  ASSERT_FALSE(members.empty());
  EXPECT_THAT(members.front().data, ::testing::Not(HasSubstr("2046")));
  const std::vector<Publication> invitations =
      W().Published("/jyx-lobby/v1/lobby/invitations", events);
  ASSERT_FALSE(invitations.empty());
  EXPECT_THAT(invitations.front().data, HasSubstr(R"("state":"Kicked")"));
  EXPECT_EQ(W().State(), "OutOfLobby");
  const Names calls = W().LegacyCalls(legacy);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].rfind("leave ", 0), 0u) << calls[0];
}

TEST_F(ReceivedTest, DestroyedAndProgressedLobbiesEndTheirWay) {
  for (const char* reason : {"DESTROYED", "PROGRESSED"}) {
    SCOPED_TRACE(reason);
    Reset();
    W().JoinLobby("inv-0", "lobby-1");
    const std::size_t events = W().EventMark();
    W().Push(kRemovedFromLobbyClass, Removal(reason));
    EXPECT_EQ(W().State(), "OutOfLobby");
    EXPECT_EQ(W().Published("/jyx-lobby/v1/lobby/members", events).size(), 0u);
    const std::vector<Publication> notifications =
        W().Published("/jyx-lobby/v2/notifications", events);
    ASSERT_FALSE(notifications.empty());
    EXPECT_THAT(notifications.back().data, HasSubstr(std::string("\"") + reason + "\""));
  }
}

TEST_F(ReceivedTest, AReconnectionFetchesThePendingInvitationsThenTheLobbyStatus) {
  W().legacy_.Script(kInviteService, "getPendingInvitations",
                     Answer("java.util.ArrayList", "[" + InvitationJson("inv-b", "ACTIVE") + "," +
                                                       InvitationJson("inv-a", "ACTIVE") + "]"));
  W().legacy_.Script(
      kInviteService, "getLobbyStatus",
      Answer(kLobbyStatusClass, LobbyStatusJson("lobby-1", kOwnerId, {kOwnerId, kLocalId})));
  const std::size_t legacy = W().LegacyMark();
  const std::size_t events = W().EventMark();
  const std::size_t logs = W().LogMark();
  W().host_.SetResource("/jyx-login/v1/session",
                        R"({"state":"SUCCEEDED","summonerId":2046,"accountId":9001,)"
                        R"("puuid":"puuid-stand-in","connected":true})");
  W().host_.RunDue();
  Names methods;
  for (const std::string& call : W().LegacyCalls(legacy)) {
    methods.push_back(call.substr(0, call.find(' ')));
  }
  EXPECT_EQ(methods, (Names{"getPendingInvitations", "getLobbyStatus"}));
  Names created;
  for (const std::string& uri : W().PublishedUris(events)) {
    if (uri.rfind("Create /jyx-lobby/v1/received-invitations/", 0) == 0) created.push_back(uri);
  }
  EXPECT_EQ(created, (Names{"Create /jyx-lobby/v1/received-invitations/inv-b",
                            "Create /jyx-lobby/v1/received-invitations/inv-a"}));
  const std::vector<Publication> first = W().Published(std::string(kV1Received) + "inv-b", events);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_THAT(first[0].data, HasSubstr(R"("toSummonerId":2046)"));
  EXPECT_EQ(W().Logged("Detected reconnect, updating LobbyStatus", logs).size(), 1u);
}

TEST_F(ReceivedTest, AReconnectionWhoseLobbyIsGoneRemovesThePlayerAsKicked) {
  W().JoinLobby("inv-0", "lobby-1");
  W().ScriptLegacyFailure("getLobbyStatus", "com.zarnworks.LobbyNotFoundException: gone");
  const std::size_t logs = W().LogMark();
  const std::size_t events = W().EventMark();
  W().host_.SetResource("/jyx-login/v1/session",
                        R"({"state":"SUCCEEDED","summonerId":2046,"accountId":9001,)"
                        R"("puuid":"puuid-stand-in","connected":true})");
  W().host_.RunDue();
  EXPECT_EQ(W().Logged("Detected reconnect, lobby destroyed or we were removed", logs),
            Names{"1|Detected reconnect, lobby destroyed or we were removed"});
  EXPECT_EQ(W().State(), "OutOfLobby");
  const std::vector<Publication> notifications =
      W().Published("/jyx-lobby/v2/notifications", events);
  ASSERT_FALSE(notifications.empty());
  EXPECT_THAT(notifications.back().data, HasSubstr(R"("notificationReason":"KICKED")"));
}

TEST_F(ReceivedTest, OnlyASessionThatIsNotInProgressReachesThePartiesBackend) {
  PartiesBackend* parties = W().Plugin().GetPartiesBackend();
  ASSERT_NE(parties, nullptr);
  W().host_.SetResource("/jyx-login/v1/session",
                        R"({"state":"IN_PROGRESS","summonerId":2046,"accountId":9001,)"
                        R"("puuid":"puuid-in-progress"})");
  W().host_.RunDue();
  EXPECT_EQ(Lobby::PartiesBackendTesting::LoginSession(*parties).Value().puuid, "puuid-stand-in");
  EXPECT_EQ(Lobby::PartiesBackendTesting::LoginSession(*parties).Value().state,
            Api::LoginSessionStates::SUCCEEDED);
  W().host_.SetResource("/jyx-login/v1/session",
                        R"({"state":"SUCCEEDED","summonerId":2046,"accountId":9001,)"
                        R"("puuid":"puuid-next"})");
  W().host_.RunDue();
  EXPECT_TRUE(Lobby::PartiesBackendTesting::LoginSession(*parties).HasValue());
  EXPECT_EQ(Lobby::PartiesBackendTesting::LoginSession(*parties).Value().puuid, "puuid-next");
}

}  // namespace
}  // namespace Zarn::Client::Lobby::ReceivedTesting
