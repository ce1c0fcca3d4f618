// The member lists built from other records, in-process on the stand-in host's table: the custom
// game's members from a legacy team list, the comms members of a party with their looked-up
// names, and the party fields of the parties telemetry.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/CustomGameMembers.h"
#include "sdk/binding/JsonText.h"
#include "tests/lobby/backends/PartiesHostTesting.h"
#include "tests/lobby/backends/PartiesLobbyBackendTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using namespace PartiesTesting;
using Names = std::vector<std::string>;

constexpr char kSummonersPath[] = "/jyx-summoner/v2/summoners";

class MembersTablesTest : public PartiesHostTest {
 protected:
  void SetUp() override {
    PartiesHostTest::SetUp();
    PartiesLobbyBackendTesting::Attach(backend_, plugin_);
  }
  // The log lines of `level` from `from` on.
  Names Logged(std::uint32_t level, std::size_t from) const {
    Names found;
    const std::vector<Host::LogLine>& logs = host_.Records().logs;
    for (std::size_t i = from; i < logs.size(); ++i) {
      if (logs[i].level == level) found.push_back(logs[i].message);
    }
    return found;
  }
  std::vector<Host::CoreRequest> Lookups(std::size_t from) const {
    std::vector<Host::CoreRequest> found;
    const std::vector<Host::CoreRequest>& requests = host_.Records().requests;
    for (std::size_t i = from; i < requests.size(); ++i) {
      if (requests[i].path == kSummonersPath) found.push_back(requests[i]);
    }
    return found;
  }

  PartiesLobbyBackend backend_;
};

LCDS::PlayerParticipant Participant(std::uint64_t id, const std::string& internalName,
                                    std::int32_t skill = 0) {
  LCDS::PlayerParticipant participant;
  participant.summonerId = id;
  participant.summonerInternalName = internalName;
  participant.botSkillLevel = skill;
  return participant;
}

TEST_F(MembersTablesTest, LegacyTeamListsBecomeMembersWithOwnerInvitersAndBots) {
  const std::map<std::string, std::int32_t> aliases = {{"Brakka", 1}, {"Corvel", 22}};
  struct Expected {
    std::uint64_t id;
    bool isOwner;
    bool canInviteOthers;
    bool isBot;
    std::int32_t difficulty;
    std::int32_t championId;
  };
  struct Case {
    const char* label;
    std::vector<LCDS::PlayerParticipant> participants;
    bool spectators;
    std::vector<Expected> members;
    std::vector<std::uint64_t> players;
    Names warnings;
  };
  const std::vector<Case> cases = {
      {"a team of humans and bots",
       {Participant(10, "owner"), Participant(11, "inviter"), Participant(12, "plain"),
        Participant(0, "bot_Brakka_100", 2), Participant(0, "bot_Corvel_200", 5)},
       false,
       {{10, true, false, false, -1, 0},
        {11, false, true, false, -1, 0},
        {12, false, false, false, -1, 0},
        {0, false, false, true, 2, 1},
        {0, false, false, true, 5, 22}},
       {10, 11, 12},
       {}},
      {"bots outside the bounds or badly named",
       {Participant(0, "bot_Brakka_100", 6), Participant(0, "bot_Brakka_100", -2),
        Participant(0, "bot_Brakka", 1), Participant(0, "bot_Dunmar_100", 1)},
       false,
       {{0, false, false, true, -1, 1},
        {0, false, false, true, -1, 1},
        {0, false, false, true, 1, 0},
        {0, false, false, true, 1, 0}},
       {},
       {"Bot skill level outside expected bounds: 6", "Bot skill level outside expected bounds: -2",
        "Unable to parse bot champion ID from internal name: bot_Brakka",
        "Unable to lookup bot champion: Dunmar"}},
      {"spectators, the owner among them",
       {Participant(10, "owner"), Participant(12, "plain")},
       true,
       {{10, true, false, false, -1, 0}, {12, false, false, false, -1, 0}},
       {},
       {"Spectators are not expected to own lobbies"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::size_t logs = host_.Records().logs.size();
    std::vector<Api::LobbyMember> members;
    std::vector<Api::LobbyMember> players;
    BuildLobbyMembers(members, players, c.participants, 10, {11}, c.spectators, aliases);
    ASSERT_EQ(members.size(), c.members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
      SCOPED_TRACE(i);
      const Expected& want = c.members[i];
      EXPECT_EQ(members[i].id, want.id);
      EXPECT_EQ(members[i].isOwner, want.isOwner);
      EXPECT_EQ(members[i].canInviteOthers, want.canInviteOthers);
      EXPECT_EQ(members[i].isSpectator, c.spectators && !want.isBot);
      EXPECT_EQ(members[i].isBot, want.isBot);
      EXPECT_EQ(members[i].summonerInternalName, c.participants[i].summonerInternalName);
      if (want.isBot) {
        EXPECT_EQ(static_cast<std::int32_t>(members[i].botDifficulty), want.difficulty);
        EXPECT_EQ(members[i].botChampionId, want.championId);
      }
    }
    std::vector<std::uint64_t> playerIds;
    for (const Api::LobbyMember& player : players) playerIds.push_back(player.id);
    EXPECT_EQ(playerIds, c.players);
    EXPECT_EQ(Logged(1, logs), c.warnings);
  }
}

Api::PartyMemberDto PartyMember(const std::string& puuid, std::uint64_t summonerId,
                                Api::PartyMemberRoleEnum role) {
  Api::PartyMemberDto member;
  member.puuid = puuid;
  member.summonerId = summonerId;
  member.role = role;
  return member;
}

TEST_F(MembersTablesTest, CommsMembersAreTheLeaderAndMembersNamedByOneLookup) {
  using Role = Api::PartyMemberRoleEnum;
  Api::PlayerDto player;
  player.currentParty.emplace();
  player.currentParty->partyId = "party-1";
  player.currentParty->players = {
      PartyMember("puuid-c", 11, Role::INVITED), PartyMember("puuid-a", 9, Role::LEADER),
      PartyMember("puuid-d", 12, Role::KICKED), PartyMember("puuid-b", 10, Role::MEMBER),
      PartyMember("puuid-e", 13, Role::DECLINED)};
  Host::ScriptedReply names;
  names.json = R"([{"summonerId":9,"puuid":"puuid-a","displayName":"Ann"},)"
               R"({"summonerId":10,"puuid":"puuid-b","displayName":"Bob"},)"
               R"({"summonerId":42,"puuid":"puuid-x","displayName":"Xan"}])";
  names.uses = 1;
  host_.ScriptReply(kSummonersPath, names);
  const std::size_t requests = host_.Records().requests.size();
  const Api::PremadePartyDto premade = backend_.BuildCommsMembers(player);

  const std::vector<Host::CoreRequest> lookups = Lookups(requests);
  ASSERT_EQ(lookups.size(), 1u);
  EXPECT_EQ(lookups[0].arguments, (Names{R"("")", "[9,10]"}));
  EXPECT_EQ(premade.partyId, "party-1");
  ASSERT_EQ(premade.players.size(), 3u);
  const Api::PremadeMemberDto& leader = premade.players.at("puuid-a");
  EXPECT_EQ(leader.displayName, "Ann");
  EXPECT_EQ(leader.puuid, "puuid-a");
  EXPECT_EQ(leader.partyId, "party-1");
  EXPECT_EQ(leader.summonerId, 9u);
  EXPECT_EQ(leader.role, Role::LEADER);
  EXPECT_EQ(premade.players.at("puuid-b").role, Role::MEMBER);
  EXPECT_EQ(premade.players.at("puuid-b").displayName, "Bob");
  // A returned summoner that was not stored still gets an entry, with its name alone.
  EXPECT_EQ(premade.players.at("puuid-x").displayName, "Xan");
  EXPECT_EQ(premade.players.at("puuid-x").summonerId, 0u);

  // A failed lookup leaves the names blank.
  Host::ScriptedReply refused;
  refused.status = 500;
  refused.error = "summoners down";
  host_.ScriptReply(kSummonersPath, refused);
  const Api::PremadePartyDto unnamed = backend_.BuildCommsMembers(player);
  ASSERT_EQ(unnamed.players.size(), 2u);
  EXPECT_EQ(unnamed.players.at("puuid-a").displayName, "");

  // Nobody to name, nothing asked.
  for (const bool withParty : {false, true}) {
    SCOPED_TRACE(withParty ? "only invitees" : "no party");
    Api::PlayerDto lonely;
    if (withParty) {
      lonely.currentParty.emplace();
      lonely.currentParty->partyId = "party-2";
      lonely.currentParty->players = {PartyMember("puuid-c", 11, Role::INVITED)};
    }
    const std::size_t before = host_.Records().requests.size();
    const Api::PremadePartyDto empty = backend_.BuildCommsMembers(lonely);
    EXPECT_TRUE(empty.players.empty());
    EXPECT_EQ(empty.partyId, withParty ? "party-2" : "");
    EXPECT_TRUE(Lookups(before).empty());
  }
}

TEST_F(MembersTablesTest, PartyAnalyticsFieldsNeedARegisteredPlayerInAParty) {
  EXPECT_TRUE(backend_.MakePartyAnalyticsFields("parties-invitation").IsFailure());
  Lobby::PartiesBackendTesting::Player(backend_).createdAt = 5;
  MaybeType<Failure, AnalyticsEventFields> noParty =
      backend_.MakePartyAnalyticsFields("parties-invitation");
  ASSERT_TRUE(noParty.IsFailure());
  EXPECT_EQ(noParty.GetFailure().Code(), 500);
  EXPECT_STREQ(noParty.Message(), "INVALID_PARTY");

  Lobby::PartiesBackendTesting::Player(backend_).currentParty.emplace();
  Lobby::PartiesBackendTesting::Player(backend_).currentParty->partyId = "party-1";
  Lobby::PartiesBackendTesting::Player(backend_).currentParty->partyType = "open";
  Lobby::PartiesBackendTesting::Player(backend_).currentParty->gameMode.queueId = -1;
  Lobby::PartiesBackendTesting::Player(backend_).currentParty->activityStartedUtcMillis = 1234;
  MaybeType<Failure, AnalyticsEventFields> fields =
      backend_.MakePartyAnalyticsFields("parties-invitation");
  ASSERT_TRUE(fields.HasValue()) << fields.Message();
  EXPECT_EQ(fields.Value().eventType, "parties-invitation");
  EXPECT_EQ(fields.Value().eventTimestamp, 1234u);
  EXPECT_EQ(SerializeJson(fields.Value().eventData, nullptr, nullptr),
            R"({"partyId":"party-1","partyType":"open","queueId":-1})");

  Lobby::PartiesBackendTesting::Player(backend_).createdAt = 0;
  EXPECT_TRUE(backend_.MakePartyAnalyticsFields("parties-invitation").IsFailure())
      << "a party of an unregistered player counts for nothing";
}

}  // namespace
}  // namespace Zarn::Client::Lobby
