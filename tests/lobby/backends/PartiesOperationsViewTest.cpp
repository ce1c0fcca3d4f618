// The parties backend's lobby view and status, made from parties stored in-process.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sdk/binding/KeyedMap.h"
#include "tests/lobby/backends/PartiesLobbyBackendTesting.h"
#include "tests/lobby/backends/PartiesOperationsTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"
#include "tests/sdk/base/FailureTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using ::testing::ElementsAre;
using Zarn::Testing::FailsWith;
using namespace PartiesTesting;
using Role = Api::PartyMemberRoleEnum;
using State = Api::LobbyInvitationState;
using Code = Api::EligibilityRestrictionCode;

// A party of every role in queue 420: the local leader 9, a member 10 with two empty
// preferences, then 11 to 15 invited, on hold, kicked, declined and of no role.
constexpr char kEveryRole[] = R"({
  "puuid": "puuid-a", "summonerId": 9, "createdAt": 1, "version": 3,
  "currentParty": {
    "partyId": "party-1", "partyType": "open", "chat": {"jid": "party-1@chat"},
    "gameMode": {"queueId": 420, "maxPartySize": 5}, "activityLocked": false,
    "players": [
      {"puuid": "puuid-a", "summonerId": 9, "role": "LEADER", "ready": true, "canInvite": true,
       "metadata": {"positionPref": ["NORTH", "ROAMER"]}},
      {"puuid": "puuid-b", "summonerId": 10, "role": "MEMBER", "metadata": {"positionPref": []}},
      {"puuid": "puuid-c", "summonerId": 11, "role": "INVITED", "inviteTimestamp": 1234,
       "invitedBySummonerId": 9},
      {"puuid": "puuid-d", "summonerId": 12, "role": "HOLD", "canInvite": false},
      {"puuid": "puuid-e", "summonerId": 13, "role": "KICKED"},
      {"puuid": "puuid-f", "summonerId": 14, "role": "DECLINED"},
      {"puuid": "puuid-g", "summonerId": 15, "role": "NONE"}
    ]
  }
})";

class PartiesOperationsViewTest : public PartiesOperationsTest {
 protected:
  void SetUp() override {
    PartiesOperationsTest::SetUp();
    Api::AutoFillDto autofill;
    autofill.autoFillQueues = {{440, false, true, true}, {420, true, false, true}};
    LobbyPluginTesting::Autofill(plugin_).Set(autofill);
  }

  // A party in `queueId` with the leader 9 (account 1) and the member 10 (account 2), both ready
  // with two distinct positions each.
  static Api::PlayerDto Pair(std::int32_t queueId) {
    Api::PlayerDto player;
    player.puuid = "puuid-a";
    player.summonerId = 9;
    player.createdAt = 1;
    Api::PartyDto& party = player.currentParty.emplace();
    party.partyId = "party-1";
    party.gameMode.queueId = queueId;
    party.players.push_back(Member(9, 1, Role::LEADER, {"NORTH", "CENTRE"}));
    party.players.push_back(Member(10, 2, Role::MEMBER, {"ROAMER", "SOUTH"}));
    return player;
  }
  static Api::PartyMemberDto Member(std::uint64_t summonerId, std::uint64_t accountId, Role role,
                                    std::vector<std::string> positions) {
    Api::PartyMemberDto member;
    member.puuid = "puuid-" + std::to_string(summonerId);
    member.summonerId = summonerId;
    member.accountId = accountId;
    member.role = role;
    member.ready = true;
    member.metadata.positionPref = std::move(positions);
    return member;
  }
  static Api::GatekeeperRestrictionDto Restriction(const char* reason, std::uint64_t accountId) {
    Api::GatekeeperRestrictionDto restriction;
    restriction.reason = reason;
    restriction.accountId = accountId;
    restriction.queueId = 420;
    return restriction;
  }
};

TEST_F(PartiesOperationsViewTest, TheViewListsEveryRoleAndGivesRightsToTheLeaderOnly) {
  for (const bool openParties : {true, false}) {
    SCOPED_TRACE(openParties ? "open parties on" : "open parties off");
    host_.ClearRecords();
    PartiesLobbyBackendTesting::OpenPartyFlag(backend_).Set(openParties);
    Lobby::PartiesBackendTesting::Player(backend_) = ReadPlayer(kEveryRole);
    MaybeType<Failure, Api::LobbyDto> result = backend_.GetLobby();
    ASSERT_TRUE(result.HasValue()) << result.Message();
    const Api::LobbyDto& lobby = result.Value();

    // One lookup, of every player with a role.
    const std::vector<Host::CoreRequest> lookups = HostRequests("/jyx-summoner/v2/summoners");
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(lookups[0].arguments.at(1), "[9,10,11,12,13,14]");

    struct Invitation {
      std::uint64_t id;
      State state;
      const char* timestamp;
      const char* name;
    };
    const std::vector<Invitation> invitations = {
        {9, State::Accepted, "0", "Name9"},     {10, State::Accepted, "0", "Name10"},
        {11, State::Pending, "1234", "Name11"}, {12, State::OnHold, "0", "Name12"},
        {13, State::Kicked, "0", "Name13"},     {14, State::Declined, "0", ""},
        {15, State::Pending, "0", ""},
    };
    ASSERT_EQ(lobby.invitations.size(), invitations.size());
    for (std::size_t i = 0; i < invitations.size(); ++i) {
      SCOPED_TRACE(invitations[i].id);
      EXPECT_EQ(lobby.invitations[i].invitationId, "");
      EXPECT_EQ(lobby.invitations[i].toSummonerId, invitations[i].id);
      EXPECT_EQ(lobby.invitations[i].state, invitations[i].state);
      EXPECT_EQ(lobby.invitations[i].timestamp, invitations[i].timestamp);
      EXPECT_EQ(lobby.invitations[i].toSummonerName, invitations[i].name);
    }

    ASSERT_EQ(lobby.members.size(), 2u);
    const Api::LobbyParticipantDto& leader = lobby.members[0];
    const Api::LobbyParticipantDto& member = lobby.members[1];
    EXPECT_EQ(leader.summonerId, 9u);
    EXPECT_EQ(leader.summonerIconId, 109);
    EXPECT_EQ(leader.summonerName, "Name9");
    EXPECT_EQ(leader.summonerInternalName, "name9");
    EXPECT_EQ(leader.puuid, "puuid-a");
    EXPECT_EQ(leader.summonerLevel, 30u);
    EXPECT_EQ(leader.lastSeasonHighestRank, "ORVANE");
    for (const bool right :
         {leader.isLeader, leader.allowedChangeActivity, leader.allowedToggleInvite,
          leader.allowedKickOthers, leader.allowedInviteOthers}) {
      EXPECT_TRUE(right);
    }
    for (const bool right :
         {member.isLeader, member.allowedStartActivity, member.allowedChangeActivity,
          member.allowedToggleInvite, member.allowedKickOthers, member.allowedInviteOthers,
          member.isSpectator, member.isBot, leader.isSpectator, leader.isBot}) {
      EXPECT_FALSE(right);
    }
    EXPECT_TRUE(leader.ready);
    EXPECT_FALSE(leader.showGhostedBanner);
    EXPECT_FALSE(member.ready) << "ready absent";
    EXPECT_TRUE(member.showGhostedBanner);
    EXPECT_EQ(leader.firstPositionPreference, "NORTH");
    EXPECT_EQ(leader.secondPositionPreference, "ROAMER");
    EXPECT_EQ(member.firstPositionPreference, "UNSELECTED") << "an empty preference list";
    EXPECT_EQ(member.secondPositionPreference, "UNSELECTED");
    // The autofill entry of the party's queue, for the local player only.
    EXPECT_TRUE(leader.autoFillEligible);
    EXPECT_FALSE(leader.autoFillProtectedForStreaking);
    EXPECT_TRUE(leader.autoFillProtectedForPromos);
    EXPECT_FALSE(member.autoFillEligible);
    EXPECT_FALSE(member.autoFillProtectedForPromos);
    EXPECT_EQ(lobby.localMember.summonerName, "Name9");
    EXPECT_TRUE(lobby.localMember.autoFillEligible);

    EXPECT_EQ(lobby.partyId, "party-1");
    EXPECT_EQ(lobby.chatRoomId, "party-1@chat");
    EXPECT_EQ(lobby.chatRoomKey, "");
    EXPECT_EQ(lobby.partyType, openParties ? "open" : "");
    const Api::LobbyGameConfigDto& config = lobby.gameConfig;
    EXPECT_EQ(config.queueId, 420);
    EXPECT_EQ(config.gameMode, "CLASSIC");
    EXPECT_EQ(config.gameMutator, "mutator-420");
    EXPECT_EQ(config.mapId, 11);
    EXPECT_THAT(config.allowablePremadeSizes, ElementsAre(1, 2, 3, 5));
    EXPECT_TRUE(config.showPositionSelector);
    EXPECT_EQ(config.maxTeamSize, 5);
    EXPECT_EQ(config.maxLobbySize, 5);
    EXPECT_EQ(config.maxHumanPlayers, 0);
    EXPECT_TRUE(config.premadeSizeAllowed) << "two members";
    EXPECT_FALSE(config.isLobbyFull);
    EXPECT_FALSE(lobby.restrictions.has_value()) << "the party carries none";
    // The member is not ready: no one may start.
    EXPECT_FALSE(lobby.canStartActivity);
    EXPECT_FALSE(leader.allowedStartActivity);
    EXPECT_FALSE(lobby.localMember.allowedStartActivity);
  }
}

TEST_F(PartiesOperationsViewTest, StartingAndRestrictionsFollowReadinessSizeCoverageAndCodes) {
  struct Case {
    const char* label;
    std::function<void(Api::PlayerDto&)> change;
    bool canStart;
    bool leaderMayStart;  // coverage met
    bool premadeAllowed;
    // "-" for no restriction list; else code:ids, one per entry
    std::vector<std::string> restrictions;
  };
  const auto party = [](Api::PlayerDto& player) -> Api::PartyDto& { return *player.currentParty; };
  const std::vector<Case> cases = {
      {"two ready members", [](Api::PlayerDto&) {}, true, true, true, {"-"}},
      {"locked",
       [&](Api::PlayerDto& p) { party(p).activityLocked = true; },
       false,
       true,
       true,
       {"-"}},
      {"one not ready",
       [&](Api::PlayerDto& p) { party(p).players[1].ready = false; },
       false,
       false,
       true,
       {"-"}},
      {"one without ready",
       [&](Api::PlayerDto& p) { party(p).players[1].ready.reset(); },
       false,
       false,
       true,
       {"-"}},
      {"a third member, no size of three in 440",
       [&](Api::PlayerDto& p) {
         party(p).gameMode.queueId = 440;
         party(p).players.push_back(Member(11, 3, Role::MEMBER, {}));
       },
       false,
       true,
       false,
       {"-"}},
      {"queue 440, size not allowed, empty list",
       [&](Api::PlayerDto& p) {
         party(p).gameMode.queueId = 440;
         party(p).eligibilityRestrictions.emplace();
         party(p).players.push_back(Member(11, 3, Role::INVITED, {}));
         party(p).players.push_back(Member(12, 4, Role::NONE, {}));
         party(p).players.push_back(Member(13, 5, Role::DECLINED, {}));
       },
       false,
       true,
       false,
       {"TeamSizeRestriction:"}},
      {"queue 420, size not allowed, empty list",
       [&](Api::PlayerDto& p) {
         party(p).eligibilityRestrictions.emplace();
         party(p).players.push_back(Member(11, 3, Role::MEMBER, {"HELPER", "NORTH"}));
         party(p).players.push_back(Member(12, 4, Role::MEMBER, {"SOUTH", "CENTRE"}));
       },
       false,
       true,
       false,
       {}},
      {"merged by code, four codes left out",
       [&](Api::PlayerDto& p) {
         party(p).eligibilityRestrictions = std::vector<Api::GatekeeperRestrictionDto>{
             Restriction("QUEUE_DODGER", 1),      Restriction("MIN_LEVEL_RESTRICTED", 1),
             Restriction("ALREADY_IN_GAME", 2),   Restriction("MIN_LEVEL_RESTRICTED", 2),
             Restriction("BINGE_PREVENTION", 99), Restriction("LEAVER_BUSTED", 1),
             Restriction("BINGE_PREVENTION", 98), Restriction("LEAVER_BUSTER_TAINTED_WARNING", 2),
             Restriction("BINGE_PREVENTION", 2),
         };
       },
       true,
       true,
       true,
       {"PlayerMinLevelRestriction:9,10", "PlayerBingeRestriction:10", "PlayerBingeRestriction:"}},
      {"a full team with one unselected first position",
       [&](Api::PlayerDto& p) {
         party(p).players.push_back(Member(11, 3, Role::MEMBER, {"HELPER"}));
         party(p).players.push_back(Member(12, 4, Role::MEMBER, {"SOUTH"}));
         party(p).players.push_back(Member(13, 5, Role::MEMBER, {"UNSELECTED", "NORTH"}));
       },
       false,
       false,
       true,
       {"-"}},
      {"a full team with one empty preference list",
       [&](Api::PlayerDto& p) {
         party(p).players.push_back(Member(11, 3, Role::MEMBER, {"HELPER"}));
         party(p).players.push_back(Member(12, 4, Role::MEMBER, {"SOUTH"}));
         party(p).players.push_back(Member(13, 5, Role::MEMBER, {}));
       },
       false,
       false,
       true,
       {"-"}},
      {"a full team, all chosen, the same first position twice",
       [&](Api::PlayerDto& p) {
         party(p).players.push_back(Member(11, 3, Role::MEMBER, {"NORTH"}));
         party(p).players.push_back(Member(12, 4, Role::MEMBER, {"NORTH"}));
         party(p).players.push_back(Member(13, 5, Role::MEMBER, {"FILL"}));
       },
       true,
       true,
       true,
       {"-"}},
      {"three of five naming one position between them",
       [&](Api::PlayerDto& p) {
         party(p).players[0].metadata.positionPref = {"NORTH"};
         party(p).players[1].metadata.positionPref = {"NORTH"};
         party(p).players.push_back(Member(11, 3, Role::MEMBER, {"NORTH"}));
       },
       false,
       false,
       true,
       {"-"}},
      {"the same, without the position selector (440)",
       [&](Api::PlayerDto& p) {
         party(p).gameMode.queueId = 440;
         party(p).players[0].metadata.positionPref = {"NORTH"};
         party(p).players[1].metadata.positionPref = {"NORTH"};
       },
       false,
       true,
       false,
       {"-"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Api::PlayerDto player = Pair(420);
    c.change(player);
    Lobby::PartiesBackendTesting::Player(backend_) = player;
    MaybeType<Failure, Api::LobbyDto> result = backend_.GetLobby();
    ASSERT_TRUE(result.HasValue()) << result.Message();
    const Api::LobbyDto& lobby = result.Value();
    EXPECT_EQ(lobby.canStartActivity, c.canStart);
    EXPECT_EQ(lobby.gameConfig.premadeSizeAllowed, c.premadeAllowed);
    ASSERT_FALSE(lobby.members.empty());
    EXPECT_EQ(lobby.members[0].allowedStartActivity, c.leaderMayStart);
    EXPECT_EQ(lobby.localMember.allowedStartActivity, c.leaderMayStart);
    for (std::size_t i = 1; i < lobby.members.size(); ++i) {
      EXPECT_FALSE(lobby.members[i].allowedStartActivity);
    }
    std::vector<std::string> shown;
    if (!lobby.restrictions.has_value()) {
      shown.push_back("-");
    } else {
      for (const Api::EligibilityRestriction& restriction : *lobby.restrictions) {
        std::string text = EnumToString(restriction.restrictionCode, *plugin_.Registry());
        text += ":";
        for (std::size_t i = 0; i < restriction.summonerIds.size(); ++i) {
          text += (i == 0 ? "" : ",") + std::to_string(restriction.summonerIds[i]);
        }
        shown.push_back(text);
        if (restriction.restrictionCode == Code::TeamSizeRestriction) {
          // Every player with a role: the two members, the invitee and the declined one.
          EXPECT_EQ(restriction.restrictionArgs,
                    (KeyedMap<std::string>{{"teamSizeRestriction", "4"}}));
          EXPECT_EQ(restriction.expiredTimestamp, 0u);
        }
      }
    }
    EXPECT_EQ(shown, c.restrictions);
  }
}

TEST_F(PartiesOperationsViewTest, AViewNeedsAPartyInAKnownQueue) {
  struct Case {
    const char* label;
    std::function<void(Api::PlayerDto&)> change;
    std::int32_t code;
    const char* text;
  };
  const std::vector<Case> cases = {
      {"no state", [](Api::PlayerDto& p) { p = Api::PlayerDto{}; }, 400,
       "CURRENT_PLAYER_PUUID_NOT_FOUND"},
      {"no party", [](Api::PlayerDto& p) { p.currentParty.reset(); }, 400,
       "CURRENT_PARTY_NOT_FOUND"},
      {"no queue", [](Api::PlayerDto& p) { p.currentParty->gameMode.queueId = -1; }, 400,
       "NO_QUEUE_SELECTED"},
      {"an unknown queue", [](Api::PlayerDto& p) { p.currentParty->gameMode.queueId = 400; }, 400,
       "NO_QUEUE_SELECTED"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host_.ClearRecords();
    Api::PlayerDto player = Pair(420);
    c.change(player);
    Lobby::PartiesBackendTesting::Player(backend_) = player;
    EXPECT_THAT(backend_.GetLobby(), FailsWith(c.code, c.text));
    EXPECT_TRUE(HostRequests("/jyx-summoner/v2/summoners").empty());
  }
}

TEST_F(PartiesOperationsViewTest, TheStatusSplitsIdsByRoleAndNamesTheParty) {
  Lobby::PartiesBackendTesting::Player(backend_) = ReadPlayer(kEveryRole);
  Lobby::PartiesBackendTesting::Player(backend_).currentParty->players[4].summonerId =
      0;  // the kicked one
  std::optional<Api::LobbyStatus> status = backend_.GetLobbyStatus();
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(status->queueId, 420);
  EXPECT_FALSE(status->isCustom);
  EXPECT_TRUE(status->isLeader);
  EXPECT_FALSE(status->isSpectator);
  EXPECT_TRUE(status->allowedPlayAgain);
  EXPECT_THAT(status->memberSummonerIds, ElementsAre(9u, 10u));
  EXPECT_THAT(status->invitedSummonerIds, ElementsAre(11u, 12u, 14u, 15u));
  EXPECT_EQ(status->lobbyId, std::optional<std::string>("party-1"));

  // The local player as a member, and missing from the party.
  Lobby::PartiesBackendTesting::Player(backend_).currentParty->players[0].role = Role::MEMBER;
  EXPECT_FALSE(backend_.GetLobbyStatus()->isLeader);
  Lobby::PartiesBackendTesting::Player(backend_).summonerId = 77;
  EXPECT_FALSE(backend_.GetLobbyStatus()->isLeader);

  Lobby::PartiesBackendTesting::Player(backend_).currentParty.reset();
  EXPECT_FALSE(backend_.GetLobbyStatus().has_value());
}

}  // namespace
}  // namespace Zarn::Client::Lobby
