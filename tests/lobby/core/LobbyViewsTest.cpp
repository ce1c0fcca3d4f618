#include "lobby/core/LobbyViews.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "tests/lobby/model/LobbyTypesTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using Api::LobbyMember;
using Policy = Api::QueueCustomGameSpectatorPolicy;

Api::Summoner MakeSummoner(std::uint64_t id, std::uint32_t level, std::int32_t icon,
                           const char* name, const char* internalName, const char* rank) {
  Api::Summoner summoner;
  summoner.summonerId = id;
  summoner.summonerLevel = level;
  summoner.accountId = id + 1000;
  summoner.puuid = "p-" + std::to_string(id);
  summoner.profileIconId = icon;
  summoner.displayName = name;
  summoner.internalName = internalName;
  summoner.lastSeasonHighestRank = rank;
  return summoner;
}

// Ann (1001) owns the lobby; Bo (1002) plays; Cy (1003) watches; 9001 is a bot; 1004 is invited
// but unknown.
std::vector<Api::Summoner> KnownSummoners() {
  return {MakeSummoner(1001, 30, 7, "Ann", "ann", "ORVANE"),
          MakeSummoner(1002, 45, 8, "Bo", "bo", "TALLEN"),
          MakeSummoner(1003, 12, 9, "Cy", "cy", "")};
}

LobbyMember Ann() {
  LobbyMember member;
  member.id = 1001;
  member.isOwner = true;
  member.canInviteOthers = true;
  member.positionPreferences = {"NORTH", "ROAMER"};
  member.autoFillEligible = true;
  member.autoFillProtectedForSoloing = true;
  member.summonerInternalName = "ann-member";
  return member;
}

// Carries bot fields without being a bot: they must not reach the view.
LobbyMember Bo() {
  LobbyMember member;
  member.id = 1002;
  member.summonerInternalName = "bo-member";
  member.botDifficulty = Api::LobbyBotDifficulty::EASY;
  member.botChampionId = 99;
  return member;
}

LobbyMember Cy() {
  LobbyMember member;
  member.id = 1003;
  member.isSpectator = true;
  return member;
}

LobbyMember Bot() {
  LobbyMember member;
  member.id = 9001;
  member.isBot = true;
  member.summonerInternalName = "bot_Brakka";
  member.botDifficulty = Api::LobbyBotDifficulty::MEDIUM;
  member.botChampionId = 1;
  return member;
}

Api::LobbyInvitation Invitation(const char* id, std::uint64_t to, Api::LobbyInvitationState state,
                                const char* timestamp) {
  Api::LobbyInvitation invitation;
  invitation.id = id;
  invitation.toSummonerId = to;
  invitation.state = state;
  invitation.timestamp = timestamp;
  invitation.toSummonerName = "stale name";
  return invitation;
}

// Bo is in both teams; the lobby holds an odd number of places.
Api::Lobby CustomLobby() {
  Api::Lobby lobby;
  lobby.queueId = -1;
  lobby.mapId = 11;
  lobby.gameMode = "CLASSIC";
  lobby.invitationId = "inv-custom";
  lobby.chatRoomId = "room-c";
  lobby.chatRoomKey = "key-c";
  lobby.members = {Ann(), Bo(), Cy(), Bot()};
  lobby.localMember = Ann();
  lobby.invitations = {
      Invitation("i-1", 1004, Api::LobbyInvitationState::Pending, "1700000000000"),
      Invitation("i-2", 1003, Api::LobbyInvitationState::Accepted, "1700000000001")};
  lobby.canStartMatchmaking = false;
  lobby.showPositionSelector = true;
  lobby.isCustom = true;
  lobby.maximumParticipantListSize = 11;
  lobby.premadeSizeAllowed = false;
  lobby.allowablePremadeSizes = {1, 2, 3, 4, 5};
  Api::LobbyCustomGameLobby& custom = lobby.customGameLobby.emplace();
  custom.lobbyName = "Friday fun";
  custom.configuration.mapId = 11;
  custom.configuration.gameMode = "CLASSIC";
  custom.configuration.gameMutator = "OneForAll";
  custom.configuration.gameTypeConfig.name = "Echo Brawl";
  custom.configuration.gameTypeConfig.pickMode = "DrawnPicks";
  custom.configuration.spectatorPolicy = Policy::LobbyAllowed;
  custom.configuration.maxPlayerCount = 3;
  custom.teamOne = {Ann(), Bo()};
  custom.teamTwo = {Bo(), Bot()};
  custom.spectators = {Cy()};
  custom.practiceGameRewardsDisabledReasons = {"TOO_FEW_PLAYERS"};
  return lobby;
}

// Not custom, though a stale custom part still names Ann in a team.
Api::Lobby MatchmadeLobby() {
  Api::Lobby lobby;
  lobby.queueId = 420;
  lobby.mapId = 11;
  lobby.gameMode = "BATTLE";
  lobby.invitationId = "inv-420";
  lobby.chatRoomId = "room-m";
  lobby.chatRoomKey = "key-m";
  lobby.members = {Ann(), Bo()};
  lobby.localMember = Ann();
  lobby.showPositionSelector = true;
  lobby.allowablePremadeSizes = {1, 2};
  lobby.maximumParticipantListSize = 8;
  lobby.customGameLobby.emplace().teamOne = {Ann()};
  return lobby;
}

Api::Queue RankedQueue(std::int32_t maximumParticipants) {
  Api::Queue queue;
  queue.id = 420;
  queue.gameMode = "CLASSIC";
  queue.gameMutator = "MUT_QUEUE";
  queue.gameTypeConfig.pickMode = "TurnPicksSingle";
  queue.numPlayersPerTeam = 5;
  queue.maximumParticipantListSize = maximumParticipants;
  return queue;
}

MaybeType<Failure, Api::Queue> NoQueue() { return Failure(404, "queue not found"); }

class LobbyViewsTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterLobbyApiTypes(registry_); }

  // The record's JSON equals the golden file's, keys compared in any order.
  template <typename T>
  void ExpectGolden(const T& record, const std::string& file) {
    std::ifstream stream(std::string(LOBBY_CORE_TEST_DATA) + "/" + file);
    ASSERT_TRUE(stream) << file;
    std::stringstream text;
    text << stream.rdbuf();
    BindingResult golden = ParseJson(text.str());
    ASSERT_TRUE(golden.IsOk()) << file << ": " << golden.ErrorMessage();
    const std::string actual = ToJsonString(record, registry_);
    ASSERT_FALSE(actual.empty());
    BindingResult reparsed = ParseJson(actual);
    ASSERT_TRUE(reparsed.IsOk());
    ExpectSameLines(SerializeJson(reparsed.Value(), nullptr, "\n"),
                    SerializeJson(golden.Value(), nullptr, "\n"), file);
  }

  // Reports the first differing line of two indented JSON texts, with the lines before it.
  static void ExpectSameLines(const std::string& actual, const std::string& expected,
                              const std::string& file) {
    std::istringstream actualLines(actual);
    std::istringstream expectedLines(expected);
    std::vector<std::string> context;
    std::string got;
    std::string want;
    while (true) {
      const bool hasGot = static_cast<bool>(std::getline(actualLines, got));
      const bool hasWant = static_cast<bool>(std::getline(expectedLines, want));
      if (!hasGot && !hasWant) return;
      if (!hasGot || !hasWant || got != want) break;
      context.push_back(got);
    }
    std::string before;
    for (std::size_t i = context.size() > 8 ? context.size() - 8 : 0; i < context.size(); ++i) {
      before += context[i] + "\n";
    }
    ADD_FAILURE() << file << " differs after line " << context.size() << ":\n"
                  << before << "expected: " << want << "\nactual:   " << got;
  }

  BindingRegistry registry_;
};

TEST_F(LobbyViewsTest, ACustomLobbyShowsItsTeamsSpectatorsAndBots) {
  ExpectGolden(MakeLobbyDtoFromLobby(CustomLobby(), NoQueue(), KnownSummoners()),
               "custom_lobby_view.json");
}

TEST_F(LobbyViewsTest, AMatchmadeLobbyTakesItsGameFromTheQueue) {
  ExpectGolden(MakeLobbyDtoFromLobby(MatchmadeLobby(), RankedQueue(5), KnownSummoners()),
               "matchmade_lobby_view.json");
}

TEST_F(LobbyViewsTest, AMatchmadeLobbyOfAnUnknownQueueHasNoGameDetails) {
  ExpectGolden(MakeLobbyGameConfigDto(MatchmadeLobby(), NoQueue(), {}),
               "matchmade_game_config_queue_not_found.json");
}

TEST_F(LobbyViewsTest, ACustomLobbyWithoutItsCustomPartReadsAsADefaultOne) {
  Api::Lobby lobby;
  lobby.isCustom = true;
  lobby.mapId = 11;
  lobby.maximumParticipantListSize = 10;
  lobby.showPositionSelector = true;
  lobby.members = {Ann()};
  ExpectGolden(MakeLobbyGameConfigDto(lobby, RankedQueue(5), {}),
               "custom_game_config_without_custom_part.json");
  EXPECT_EQ(FindCustomTeamOfSummoner(lobby, 1001), 0);
  Api::LobbyStatus status = MakeLobbyStatusFromLobby(lobby, true);
  EXPECT_FALSE(status.isPracticeTool);
  EXPECT_EQ(status.customSpectatorPolicy, Policy::NotAllowed);
}

TEST_F(LobbyViewsTest, ACustomLobbyStatusCarriesItsMembersAndPolicy) {
  ExpectGolden(MakeLobbyStatusFromLobby(CustomLobby(), true), "custom_lobby_status.json");
}

TEST_F(LobbyViewsTest, PartyMembersBecomeInvitationsByRole) {
  const Api::Summoner ann = KnownSummoners()[0];
  std::vector<Api::LobbyInvitationDto> views;
  for (Api::PartyMemberRoleEnum role :
       {Api::PartyMemberRoleEnum::LEADER, Api::PartyMemberRoleEnum::MEMBER,
        Api::PartyMemberRoleEnum::INVITED, Api::PartyMemberRoleEnum::HOLD,
        Api::PartyMemberRoleEnum::KICKED, Api::PartyMemberRoleEnum::DECLINED,
        Api::PartyMemberRoleEnum::NONE}) {
    Api::PartyMemberDto member;
    member.summonerId = 1001;
    member.role = role;
    views.push_back(MakePartyInvitationDto(member, ann));
  }
  Api::PartyMemberDto invitee;
  invitee.summonerId = 1002;
  invitee.role = Api::PartyMemberRoleEnum::INVITED;
  invitee.inviteTimestamp = std::numeric_limits<std::uint64_t>::max();
  views.push_back(MakePartyInvitationDto(invitee, KnownSummoners()[1]));
  ExpectGolden(views, "party_invitations.json");
}

TEST_F(LobbyViewsTest, ReceivedInvitationsReadTheirGameFromTheMetaData) {
  std::vector<Api::LobbyInvitation> invitations(4);
  const char* metaData[] = {
      R"({"gameMode":"CLASSIC","gameType":"VARNEL_GAME","queueId":420,"mapId":11,)"
      R"("gameMutators":["FRENZY","PracticeTool"]})",
      R"({"gameMode":"BATTLE"})",
      R"({"queueId":"420","mapId":"12","gameType":"PRACTICE_GAME","gameMutators":["FRENZY"]})", ""};
  const char* ids[] = {"r-1", "r-2", "r-3", "r-4"};
  const char* names[] = {"Ann", "Bo", "Cy", ""};
  for (std::size_t i = 0; i < invitations.size(); ++i) {
    Api::LobbyInvitation& invitation = invitations[i];
    invitation.id = ids[i];
    invitation.fromSummonerId = i < 3 ? 1001 + i : 0;
    invitation.fromSummonerName = names[i];
    invitation.toSummonerName = "Dunmar";
    BindingResult parsed = ParseJson(metaData[i]);
    ASSERT_TRUE(parsed.IsOk()) << metaData[i];
    invitation.invitationMetaData = parsed.Value();
  }
  invitations[0].timestamp = "1700000000100";
  invitations[1].timestamp = "1700000000200";
  invitations[1].state = Api::LobbyInvitationState::Accepted;
  invitations[2].state = Api::LobbyInvitationState::Declined;
  Api::EligibilityRestriction restriction;
  restriction.restrictionCode = Api::EligibilityRestrictionCode::PlayerMinLevelRestriction;
  restriction.restrictionArgs["playerMinLevelRestriction"] = "10";
  restriction.expiredTimestamp = 11500;
  restriction.summonerIds = {1002};
  invitations[0].eligibility.eligible = false;
  invitations[0].eligibility.restrictions = {restriction};
  ExpectGolden(MakeReceivedInvitationDtos(invitations), "received_invitations.json");
}

TEST(LobbyViewRulesTest, ACustomLobbyIsFullByItsHumanLimitOrElseByItsPlaces) {
  struct Case {
    const char* label;
    std::uint32_t places;
    std::uint32_t humanLimit;
    std::vector<LobbyMember> teamOne;
    std::vector<LobbyMember> teamTwo;
    bool full;
  };
  const Case cases[] = {
      {"no human limit: bots take places", 4, 0, {Ann(), Bot()}, {Bo(), Bot()}, true},
      {"no human limit: a place left", 4, 0, {Ann(), Bot()}, {Bo()}, false},
      {"no human limit and no places", 0, 0, {}, {}, true},
      {"human limit: bots do not count", 4, 3, {Ann(), Bot()}, {Bo(), Bot()}, false},
      {"human limit reached", 10, 2, {Ann(), Bot()}, {Bo(), Bot()}, true},
      {"a player in both teams counts twice", 10, 2, {Bo()}, {Bo()}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Api::Lobby lobby = CustomLobby();
    lobby.maximumParticipantListSize = c.places;
    lobby.customGameLobby->configuration.maxPlayerCount = c.humanLimit;
    lobby.customGameLobby->teamOne = c.teamOne;
    lobby.customGameLobby->teamTwo = c.teamTwo;
    EXPECT_EQ(MakeLobbyGameConfigDto(lobby, NoQueue(), {}).isLobbyFull, c.full);
  }
}

TEST(LobbyViewRulesTest, AMatchmadeLobbyIsFullWhenItsMembersFillTheQueue) {
  struct Case {
    const char* label;
    MaybeType<Failure, Api::Queue> queue;
    bool full;
  };
  const Case cases[] = {
      {"room for more", RankedQueue(3), false},
      {"as many members as places", RankedQueue(2), true},
      {"the queue is unknown", NoQueue(), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(MakeLobbyGameConfigDto(MatchmadeLobby(), c.queue, {}).isLobbyFull, c.full);
  }
}

TEST(LobbyViewRulesTest, ASummonersCustomTeamIsTheFirstThatHoldsIt) {
  Api::Lobby custom = CustomLobby();
  Api::Lobby notCustom = custom;
  notCustom.isCustom = false;
  struct Case {
    const char* label;
    const Api::Lobby& lobby;
    std::uint64_t id;
    std::int32_t team;
  };
  const Case cases[] = {
      {"first team", custom, 1001, 100},  {"both teams", custom, 1002, 100},
      {"second team", custom, 9001, 200}, {"spectator", custom, 1003, 0},
      {"no team", custom, 4242, 0},       {"lobby not custom", notCustom, 1001, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(FindCustomTeamOfSummoner(c.lobby, c.id), c.team);
  }
}

TEST(LobbyViewRulesTest, StatusFlagsFollowOwnerPracticeToolAndCustomPart) {
  struct Case {
    const char* label;
    bool owner;
    bool allowed;
    bool isCustom;
    bool hasCustomPart;
    const char* mutator;
    bool playAgain;
    bool practiceTool;
    Policy policy;
  };
  const Case cases[] = {
      {"owner, allowed", true, true, true, true, "PracticeTool", true, true, Policy::LobbyAllowed},
      {"owner, not allowed", true, false, true, true, "", false, false, Policy::LobbyAllowed},
      {"member, allowed", false, true, true, true, "", false, false, Policy::LobbyAllowed},
      {"mutator only contains the name", true, true, true, true, "XPracticeTool", true, false,
       Policy::LobbyAllowed},
      {"practice tool in a lobby not custom", true, true, false, true, "PracticeTool", true, false,
       Policy::LobbyAllowed},
      {"no custom part", true, true, false, false, "", true, false, Policy::NotAllowed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Api::Lobby lobby = CustomLobby();
    lobby.localMember.isOwner = c.owner;
    lobby.isCustom = c.isCustom;
    lobby.customGameLobby->configuration.gameMutator = c.mutator;
    if (!c.hasCustomPart) lobby.customGameLobby.reset();
    Api::LobbyStatus status = MakeLobbyStatusFromLobby(lobby, c.allowed);
    EXPECT_EQ(status.allowedPlayAgain, c.playAgain);
    EXPECT_EQ(status.isLeader, c.owner);
    EXPECT_EQ(status.isPracticeTool, c.practiceTool);
    EXPECT_EQ(status.customSpectatorPolicy, c.policy);
  }
}

TEST(LobbyViewRulesTest, AStatusWithoutAnInvitationIdHasNoLobbyId) {
  Api::Lobby lobby = CustomLobby();
  lobby.invitationId.clear();
  EXPECT_FALSE(MakeLobbyStatusFromLobby(lobby, false).lobbyId.has_value());
}

TEST(LobbyViewRulesTest, ACustomLobbyFromAGameHasACustomPart) {
  EXPECT_TRUE(MakeCustomLobbyFromGameDto(LCDS::GameDTO{}, Api::QueueGameTypeConfig{}, 1)
                  .customGameLobby.has_value());
}

}  // namespace
}  // namespace Zarn::Client::Lobby
