// Received legacy invitations in-process on the stand-in host with the real backends: the v1
// resources of each message, the merged v2 list with blocked senders, the window flash, messages
// that arrive while a new invitation's lookups wait, and the game id read for a custom accept and
// for the removal by game id.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "lobby/core/PartiesBackend.h"
#include "lobby/core/ReceivedInvitations.h"
#include "tests/lobby/core/PartiesBackendTesting.h"
#include "tests/lobby/core/ReceivedTesting.h"

namespace Zarn::Client::Lobby::ReceivedTesting {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using Names = std::vector<std::string>;

// The published invitation's member `name` as compact JSON.
std::string Member(const std::string& data, const char* name) {
  rapidjson::Document document;
  document.Parse(data.c_str());
  if (document.HasParseError() || !document.IsObject() || !document.HasMember(name)) return "";
  return Compact(document[name]);
}

TEST(ReceivedInvitationsTest, TimestampsAreLocalTimeToTheSecond) {
  const std::string timestamp = ReceivedInvitations::FormatTimestamp();
  EXPECT_TRUE(std::regex_match(timestamp, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
      << timestamp;
}

TEST_F(ReceivedTest, ANewInvitationIsCreatedListedAndFlashedOnceAndAgainOnlyUpdated) {
  const std::size_t events = W().EventMark();
  const std::size_t requests = W().Mark();
  W().PushInvitation("inv-1", "ACTIVE");
  const std::vector<Publication> v1 = W().Published(std::string(kV1Received) + "inv-1", events);
  ASSERT_EQ(v1.size(), 1u);
  EXPECT_EQ(v1[0].eventType, "Create");
  EXPECT_EQ(Member(v1[0].data, "toSummonerId"), "2046");
  EXPECT_EQ(Member(v1[0].data, "fromSummonerId"), "77");
  EXPECT_EQ(Member(v1[0].data, "state"), "\"Pending\"");
  EXPECT_EQ(Member(v1[0].data, "fromSummonerName"), "\"Inviter\"");
  EXPECT_EQ(Member(v1[0].data, "toSummonerName"), "\"Local\"");
  EXPECT_THAT(Member(v1[0].data, "timestamp"),
              MatchesRegex("\"[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\""));
  const std::vector<Publication> v2 = W().Published(kV2Received, events);
  ASSERT_EQ(v2.size(), 1u);
  EXPECT_EQ(v2[0].eventType, "Update");
  EXPECT_THAT(v2[0].data, HasSubstr(R"("invitationId":"inv-1")"));
  EXPECT_EQ(W().Sent(kFlashPath, requests).size(), 1u);

  const std::size_t again = W().EventMark();
  const std::size_t againRequests = W().Mark();
  W().PushInvitation("inv-1", "ACTIVE");
  const std::vector<Publication> updated = W().Published(std::string(kV1Received) + "inv-1", again);
  ASSERT_EQ(updated.size(), 1u);
  EXPECT_EQ(updated[0].eventType, "Update");
  EXPECT_EQ(W().Plugin().HandleGetReceivedInvitations().value.size(), 1u);
  EXPECT_EQ(W().Sent(kFlashPath, againRequests).size(), 0u);
}

TEST_F(ReceivedTest, EachMessageStatePublishesItsV1Event) {
  struct Case {
    const char* label;
    const char* state;
    const char* id;  // of the second message; the first is an ACTIVE "inv-1" from 77
    Names expected;  // event types at the second message's path
    std::size_t listed;
  };
  const std::vector<Case> cases = {
      {"on hold", "ON_HOLD", "inv-1", {"Update"}, 1},
      {"revoked", "REVOKED", "inv-1", {"Delete"}, 0},
      {"revoked, unknown id", "REVOKED", "inv-9", {}, 1},
      {"on hold, unknown id", "ON_HOLD", "inv-9", {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Reset();
    W().PushInvitation("inv-1", "ACTIVE");
    const std::size_t events = W().EventMark();
    W().PushInvitation(c.id, c.state);
    Names kinds;
    for (const Publication& p : W().Published(std::string(kV1Received) + c.id, events)) {
      kinds.push_back(p.eventType);
      if (p.eventType == "Update") {
        EXPECT_EQ(Member(p.data, "state"), "\"OnHold\"");
      }
    }
    EXPECT_EQ(kinds, c.expected);
    EXPECT_EQ(W().Plugin().HandleGetReceivedInvitations().value.size(), c.listed);
    if (c.expected.empty()) {
      EXPECT_EQ(W().PublishedUris(events), Names{}) << "nothing at all";
    }
  }
}

TEST_F(ReceivedTest, WhileTheGameClientRunsANewInvitationShowsOnHoldAndIsStoredPending) {
  W().host_.SetResource("/jyx-gameflow/v1/session",
                        R"({"phase":"InProgress","gameClient":{"running":true}})");
  W().host_.RunDue();
  const std::size_t events = W().EventMark();
  W().PushInvitation("inv-1", "ACTIVE");
  const std::vector<Publication> v1 = W().Published(std::string(kV1Received) + "inv-1", events);
  ASSERT_EQ(v1.size(), 1u);
  EXPECT_EQ(v1[0].eventType, "Create");
  EXPECT_EQ(Member(v1[0].data, "state"), "\"OnHold\"");
  const std::vector<Api::ReceivedInvitationDto> listed =
      W().Plugin().HandleGetReceivedInvitations().value;
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].state, Api::LobbyInvitationState::Pending);
}

TEST_F(ReceivedTest, AnInviterOfZeroMakesTheOwnerTheSender) {
  W().PushInvitation("inv-1", "ACTIVE", 0);
  const std::vector<Api::ReceivedInvitationDto> listed =
      W().Plugin().HandleGetReceivedInvitations().value;
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].fromSummonerId, kOwnerId);
  EXPECT_EQ(listed[0].invitationType, Api::InvitationType::lobby);
}

TEST_F(ReceivedTest, AFailedSummonerLookupIsLoggedAndTheInvitationStillListed) {
  Reset([](Host::PluginHost& host) {
    Host::ScriptedReply failed;
    failed.status = 500;
    failed.error = "summoners down";
    host.ScriptReply(kSummonersPath, failed);
  });
  const std::size_t logs = W().LogMark();
  const std::size_t events = W().EventMark();
  W().PushInvitation("inv-1", "ACTIVE");
  EXPECT_EQ(
      W().Logged("Unable to find summoners", logs),
      Names{"1|Unable to find summoners for invitation fromSummonerId: 77 toSummonerId: 2046"});
  const std::vector<Publication> v1 = W().Published(std::string(kV1Received) + "inv-1", events);
  ASSERT_EQ(v1.size(), 1u);
  EXPECT_EQ(Member(v1[0].data, "fromSummonerName"), "\"\"");
  EXPECT_EQ(W().Plugin().HandleGetReceivedInvitations().value.size(), 1u);
}

TEST_F(ReceivedTest, ABlockedSenderIsStoredDeclinedAndListedOnlyOnceUnblocked) {
  W().host_.SetResource("/jyx-chat/v1/blocked-players", R"([{"id":77,"name":"Inviter"}])");
  W().host_.RunDue();
  const std::size_t events = W().EventMark();
  const std::size_t requests = W().Mark();
  W().PushInvitation("inv-1", "ACTIVE");
  const std::vector<Publication> v1 = W().Published(std::string(kV1Received) + "inv-1", events);
  ASSERT_EQ(v1.size(), 1u);
  EXPECT_EQ(Member(v1[0].data, "state"), "\"Declined\"");
  EXPECT_TRUE(W().Plugin().HandleGetReceivedInvitations().value.empty());
  EXPECT_EQ(W().Published(kV2Received, events).size(), 0u) << "the empty list is unchanged";
  EXPECT_EQ(W().Sent(kFlashPath, requests).size(), 0u);

  const std::size_t unblocked = W().EventMark();
  W().host_.SetResource("/jyx-chat/v1/blocked-players", "[]");
  W().host_.RunDue();
  const std::vector<Publication> v2 = W().Published(kV2Received, unblocked);
  ASSERT_EQ(v2.size(), 1u);
  EXPECT_THAT(v2[0].data, HasSubstr(R"("state":"Declined")"));
  EXPECT_EQ(W().Sent(kFlashPath, requests).size(), 0u) << "a declined invitation does not flash";
}

TEST_F(ReceivedTest, AnUnchangedListPublishesNothingAndAPendingSenderDoesNotFlashAgain) {
  W().PushInvitation("inv-1", "ACTIVE");
  const std::size_t events = W().EventMark();
  W().host_.SetResource("/jyx-chat/v1/blocked-players", R"([{"id":5,"name":"Other"}])");
  W().host_.RunDue();
  EXPECT_EQ(W().Published(kV2Received, events).size(), 0u);

  const std::size_t requests = W().Mark();
  W().PushInvitation("inv-2", "ACTIVE");
  const std::vector<Publication> v2 = W().Published(kV2Received, events);
  ASSERT_EQ(v2.size(), 1u);
  EXPECT_THAT(v2[0].data, HasSubstr(R"("invitationId":"inv-2")"));
  EXPECT_EQ(W().Sent(kFlashPath, requests).size(), 0u);
  // Sorted by id whatever the arrival order.
  const std::vector<Api::ReceivedInvitationDto> listed =
      W().Plugin().HandleGetReceivedInvitations().value;
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].invitationId, "inv-1");
  EXPECT_EQ(listed[1].invitationId, "inv-2");
}

TEST_F(ReceivedTest, MessagesForAnIdWhoseLookupsWaitAreNotLost) {
  struct Case {
    const char* label;
    const char* second;
    Names v1Events;
    std::size_t listed;
  };
  const std::vector<Case> cases = {
      {"a second ACTIVE", "ACTIVE", {"Create", "Update"}, 1},
      {"a REVOKED", "REVOKED", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Reset([](Host::PluginHost& host) {
      host.ScriptReply(kEligibilityPath,
                       Client::Testing::StreamedInOneByteReads(
                           R"([{"queueId":420,"eligible":true,"restrictions":[]}])"));
    });
    const std::string second = c.second;
    W().host_.OnYield(1, [this, second] {
      ASSERT_TRUE(W().legacy_.Push(kInvitationRequestClass, InvitationJson("inv-1", second)));
    });
    const std::size_t events = W().EventMark();
    W().PushInvitation("inv-1", "ACTIVE");
    Names kinds;
    for (const Publication& p : W().Published(std::string(kV1Received) + "inv-1", events)) {
      kinds.push_back(p.eventType);
    }
    EXPECT_EQ(kinds, c.v1Events);
    EXPECT_EQ(W().Plugin().HandleGetReceivedInvitations().value.size(), c.listed);
  }
}

TEST_F(ReceivedTest, StoredPartyInvitationsJoinTheListAsPartyInvitations) {
  W().host_.SetResource("/jyx-game-queues/v1/queues",
                        R"([{"id":420,"minLevel":0,"type":"NORMAL","gameMode":"CLASSIC",)"
                        R"("gameMutator":"","mapId":11}])");
  W().host_.RunDue();
  W().PushInvitation("inv-1", "ACTIVE", 5);
  PartiesBackend* parties = W().Plugin().GetPartiesBackend();
  ASSERT_NE(parties, nullptr);
  const auto membership = [](const char* partyId, Api::PartyMemberRoleEnum role,
                             std::int32_t queueId) {
    Api::PartyMemberDto member;
    member.partyId = partyId;
    member.role = role;
    member.invitedBySummonerId = kInviterId;
    member.inviteTimestamp = 1700000000123ULL;
    Api::GameModeDto mode;
    mode.queueId = queueId;
    mode.gameType = "PARTY_TYPE";
    member.gameMode = mode;
    return member;
  };
  Lobby::PartiesBackendTesting::Player(*parties).parties = std::vector<Api::PartyMemberDto>{
      membership("party-2", Api::PartyMemberRoleEnum::HOLD, 999),
      membership("party-0", Api::PartyMemberRoleEnum::MEMBER, 420),
      membership("party-1", Api::PartyMemberRoleEnum::INVITED, 420),
  };
  const std::size_t events = W().EventMark();
  const std::size_t requests = W().Mark();
  LobbyPluginTesting::Invitations(W().Plugin()).PublishReceivedInvitations();
  const std::vector<Api::ReceivedInvitationDto> listed =
      W().Plugin().HandleGetReceivedInvitations().value;
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0].invitationId, "inv-1");
  EXPECT_EQ(listed[0].invitationType, Api::InvitationType::lobby);
  const Api::ReceivedInvitationDto& invited = listed[1];
  EXPECT_EQ(invited.invitationId, "party-1");
  EXPECT_EQ(invited.state, Api::LobbyInvitationState::Pending);
  EXPECT_EQ(invited.invitationType, Api::InvitationType::party);
  EXPECT_EQ(invited.fromSummonerId, kInviterId);
  EXPECT_EQ(invited.fromSummonerName, "Inviter");
  EXPECT_EQ(invited.timestamp, "1700000000123");
  EXPECT_TRUE(invited.canAcceptInvitation);
  EXPECT_EQ(invited.gameConfig.queueId, 420);
  EXPECT_EQ(invited.gameConfig.inviteGameType, "NORMAL") << "the known queue's type";
  EXPECT_EQ(invited.gameConfig.mapId, 11);
  const Api::ReceivedInvitationDto& held = listed[2];
  EXPECT_EQ(held.invitationId, "party-2");
  EXPECT_EQ(held.state, Api::LobbyInvitationState::OnHold);
  EXPECT_EQ(held.gameConfig.inviteGameType, "PARTY_TYPE") << "an unknown queue keeps its type";
  EXPECT_EQ(held.gameConfig.mapId, -1);
  EXPECT_EQ(W().Published(kV2Received, events).size(), 1u);
  EXPECT_EQ(W().Sent(kFlashPath, requests).size(), 1u) << "a new sender with a pending one";
}

TEST_F(ReceivedTest, AnInvitationsGameIdIsReadAsAStatusReadsItAnUnsigned64BitNumber) {
  W().PushInvitation("inv-a", "ACTIVE", kInviterId, R"({"queueId":420,"gameId":5})");
  W().PushInvitation("inv-b", "ACTIVE", kInviterId,
                     R"({"queueId":420,"gameId":9223372036854775809})");
  W().PushInvitation("inv-c", "ACTIVE", kInviterId, R"({"queueId":420})");
  const std::size_t events = W().EventMark();
  LobbyPluginTesting::Invitations(W().Plugin())
      .RemoveReceivedInvitationForGame(9223372036854775809ULL);
  EXPECT_EQ(W().PublishedUris(events), Names{"Delete /jyx-lobby/v1/received-invitations/inv-b"});
  // The last entry with a game id: its own id in the Delete.
  W().PushInvitation("inv-d", "ACTIVE", kInviterId, R"({"queueId":420,"gameId":6})");
  const std::size_t last = W().EventMark();
  LobbyPluginTesting::Invitations(W().Plugin()).RemoveReceivedInvitationForGame(6);
  EXPECT_EQ(W().PublishedUris(last), Names{"Delete /jyx-lobby/v1/received-invitations/inv-d"});
  const std::size_t none = W().EventMark();
  LobbyPluginTesting::Invitations(W().Plugin()).RemoveReceivedInvitationForGame(0);
  EXPECT_EQ(W().PublishedUris(none), Names{}) << "an entry without a game id is no game 0";

  // A custom game's accept whose status names no game takes the invitation's; the removal for a
  // game matches it. What names no game (a negative number, one beyond 2^64 - 1, a bool) leaves
  // the lobby's at 0 and matches no game, the one it would wrap to among them.
  struct Row {
    const char* gameId;
    std::uint64_t kept;
    std::uint64_t wrapped;
  };
  const Row rows[] = {
      {"321", 321, 321},
      {"321.9", 321, 321},
      {R"("0x141")", 321, 321},
      {"-5", 0, 18446744073709551611ULL},
      {R"("-5")", 0, 18446744073709551611ULL},
      {R"(" -5")", 0, 18446744073709551611ULL},
      {"1e30", 0, 18446744073709551615ULL},
      {"true", 0, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.gameId);
    Reset();
    const std::string metaData =
        std::string(R"({"gameType":"PRACTICE_GAME","mapId":11,"gameId":)") + row.gameId + "}";
    W().PushInvitation("inv-1", "ACTIVE", kInviterId, metaData);
    W().legacy_.Script(kInviteService, "accept",
                       Answer(kLobbyStatusClass,
                              R"({"invitationId":"custom-5","owner":{"summonerId":77},"members":[)"
                              R"({"summonerId":77},{"summonerId":2046}],"gameMetaData":)" +
                                  Quoted(R"({"gameType":"PRACTICE_GAME"})") + "}"));
    const HttpResponse accepted = W().Plugin().HandleAcceptReceivedInvitation("inv-1");
    ASSERT_TRUE(accepted.ok) << accepted.message;
    ASSERT_TRUE(W().V1Lobby().customGameLobby.has_value());
    EXPECT_EQ(W().V1Lobby().customGameLobby->gameId, row.kept);
    W().PushInvitation("inv-2", "ACTIVE", kInviterId, metaData);
    const std::size_t removed = W().EventMark();
    LobbyPluginTesting::Invitations(W().Plugin()).RemoveReceivedInvitationForGame(row.wrapped);
    EXPECT_EQ(W().PublishedUris(removed),
              row.kept != 0 ? Names{"Delete /jyx-lobby/v1/received-invitations/inv-2"} : Names{});
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby::ReceivedTesting
