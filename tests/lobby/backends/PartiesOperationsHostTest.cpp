// The party operations through the plugin's routes and events, with its real backends in-process
// on the stand-in host and its simulated parties service: the player registers at start and
// makes a party lobby of queue 420.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/PartiesService.h"
#include "host/PluginHost.h"
#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyPlugin.h"
#include "tests/lobby/core/DefaultWorldRig.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr char kSessionPath[] = "/jyx-login/v1/session";
using WorldTesting::kGameflowSessionPath;
using WorldTesting::kRequestLobbyPath;
constexpr char kSearchPath[] = "/jyx-matchmaking/v1/search";
constexpr char kConfig[] = "/jyx-platform-config/v1/namespaces/Parties/";
constexpr char kSession[] =
    R"({"state":"SUCCEEDED","summonerId":9,"accountId":7,"puuid":"puuid-a","connected":%s})";
constexpr char kQueues[] =
    R"([{"id":420,"mapId":11,"type":"RANKED","gameMode":"CLASSIC","numPlayersPerTeam":5,)"
    R"("maximumParticipantListSize":5,"allowablePremadeSizes":[1,2,3,5],)"
    R"("showPositionSelector":true,"isTeamBuilderManaged":true,"queueAvailability":"Available"}])";

std::string Session(bool connected) {
  std::string text = kSession;
  text.replace(text.find("%s"), 2, connected ? "true" : "false");
  return text;
}

// The plugin's player "puuid-a" (summoner 9, account 7) and "puuid-b" (summoner 10), both known
// to the service; the plugin registers at start.
class PartiesOperationsHostTest : public ::testing::Test, public WorldTesting::DefaultWorldRig {
 protected:
  PartiesOperationsHostTest() : DefaultWorldRig(false) {}

  void SetUp() override {
    for (const auto& [puuid, summonerId] :
         std::vector<std::pair<std::string, std::uint64_t>>{{"puuid-a", 9}, {"puuid-b", 10}}) {
      Host::PartiesPlayer player;
      player.puuid = puuid;
      player.platformId = "XEM1";
      player.summonerId = summonerId;
      ASSERT_TRUE(parties_.AddPlayer(player));
    }
    parties_.SetLocalPlayer("puuid-a");
    host_.SeedResource(kSessionPath, Session(true));
    host_.SeedResource("/jyx-summoner/v1/current-summoner",
                       R"({"summonerId":9,"accountId":7,"puuid":"puuid-a","summonerLevel":30})");
    host_.SeedResource("/jyx-champions/v1/inventories/9/champions-playable-count",
                       R"({"championsOwned":40})");
    host_.SeedResource("/jyx-leagues/v1/summoner-leagues/9",
                       R"([{"queueType":"LADDER_SINGLE","leagueTier":"ORVANE"}])");
    host_.SeedResource("/jyx-platform-config/v1/namespaces/LoginDataPacket/platformId", "\"XEM1\"");
    host_.SeedResource(kGameflowSessionPath, R"({"phase":"None"})");
    host_.SeedResource("/jyx-gameflow/v1/availability", R"({"isAvailable":true})");
    host_.SeedResource("/jyx-game-queues/v1/queues", kQueues);
    host_.SeedResource(std::string(kConfig) + "Enabled", "true");
    host_.SeedResource(std::string(kConfig) + "EnabledForTeamBuilderQueues", "true");
    host_.SeedResource("/jyx-settings/v1/account/parties-settings",
                       R"({"data":{"Parties":{"defaultPartyType":"closed"}}})");
    host_.AddComponent("/jyx-summoner/v2/summoners", [](const Host::CoreRequest&) {
      Host::CoreReply reply;
      reply.json = R"([{"summonerId":9,"puuid":"puuid-a"},{"summonerId":10,"puuid":"puuid-b"}])";
      return reply;
    });
  }
  void TearDown() override {
    if (plugin_ != nullptr) ShutDown();
  }

  void Start() {
    DefaultWorldRig::Start();
    // From now on the plugin hears of every change of its player.
    parties_.SetPush(Host::PartiesPush::Notification);
  }
  void AllowLobbies(bool allowed) { Host::Testing::AnswerLobbyRequests(host_, allowed); }
  // Starts the plugin and makes a party lobby of queue 420.
  void StartInPartyLobby() {
    Start();
    AllowLobbies(true);
    const Host::RouteAnswer made = Call("POST", "/jyx-lobby/v2/lobby", R"({"queueId":420})");
    ASSERT_FALSE(made.error.has_value()) << *made.error;
    ASSERT_EQ(State(), "PartyLobby");
    parties_.ClearRecords();
    host_.ClearRecords();
  }
  [[nodiscard]] std::vector<std::string> Logged(std::uint32_t level,
                                                const std::string& text) const {
    std::vector<std::string> found;
    for (const Host::LogLine& line : host_.Records().logs) {
      if (line.level == level && line.message.find(text) != std::string::npos) {
        found.push_back(line.message);
      }
    }
    return found;
  }
  void Script(const std::string& path, int32_t status, std::string code, int uses = 1) {
    Host::PartiesScript script;
    script.path = path;
    script.kind = Host::PartiesScript::Kind::Status;
    script.httpStatus = status;
    script.errorCode = std::move(code);
    script.uses = uses;
    parties_.AddScript(script);
  }
  // "puuid-b" joins the plugin's party, and the plugin hears of it.
  void JoinB() {
    const std::string partyId = Backend().GetCurrentPartyId();
    ASSERT_EQ(parties_.Invite("puuid-a", "puuid-b").httpStatus, 200);
    ASSERT_EQ(parties_.Accept("puuid-b", partyId).httpStatus, 200);
    host_.RunDue();
    ASSERT_EQ(Lobby::PartiesBackendTesting::Player(Backend()).currentParty->players.size(), 2u);
  }
};

TEST_F(PartiesOperationsHostTest, TheRigRegistersAndMakesAPartyLobby) {
  StartInPartyLobby();
  EXPECT_EQ(Lobby::PartiesBackendTesting::Player(Backend()).currentParty->gameMode.queueId, 420);
  EXPECT_EQ(Backend().GetCurrentPartyId(), "party-1");
}

TEST_F(PartiesOperationsHostTest, MemberRoutesFindTheMemberBeforeAskingForTheLead) {
  StartInPartyLobby();
  JoinB();
  // "puuid-b" leads now: the plugin's player is a member.
  ASSERT_EQ(parties_.Act("puuid-a", "PUT", "v1/parties/party-1/members/puuid-b/role", "\"LEADER\"")
                .httpStatus,
            200);
  host_.RunDue();
  parties_.ClearRecords();
  struct Case {
    const char* path;
    std::uint32_t status;
    const char* error;
  };
  const std::vector<Case> cases = {
      {"/jyx-lobby/v2/lobby/members/99/kick", 404, "SUMMONER_NOT_FOUND"},
      {"/jyx-lobby/v2/lobby/members/99/promote", 404, "SUMMONER_NOT_FOUND"},
      {"/jyx-lobby/v2/lobby/members/10/kick", 403, "NOT_AUTHORIZED"},
      {"/jyx-lobby/v2/lobby/members/10/promote", 500, "Cannot promote when not leader"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const Host::RouteAnswer answer = Call("POST", c.path);
    EXPECT_EQ(answer.status, c.status);
    ASSERT_TRUE(answer.error.has_value());
    EXPECT_EQ(*answer.error, c.error);
  }
  EXPECT_THAT(PartiesSent(0, true), IsEmpty());
}

TEST_F(PartiesOperationsHostTest, ALeaveThatFindsNoPartyReregistersOnceAndEnds) {
  // The service keeps the player's party in a queue; the gameflow plugin refuses a party lobby; the
  // party the leave names is not found.
  ASSERT_EQ(parties_
                .Act("puuid-a", "PUT", "v1/parties/party-1/gamemode",
                     R"({"queueId":420,"maxPartySize":5})")
                .httpStatus,
            200);
  parties_.ClearRecords();
  AllowLobbies(false);
  Script("v1/parties/*/members/*/role", 404, "PARTY_NOT_FOUND", -1);
  Start();
  host_.RunDue();
  EXPECT_THAT(PartiesSent(0, true),
              ElementsAre(HasSubstr("PUT v1/players/puuid-a "),
                          "PUT /v1/parties/party-1/members/puuid-a/role \"DECLINED\"",
                          HasSubstr("PUT v1/players/puuid-a "),
                          "PUT /v1/parties/party-1/members/puuid-a/role \"DECLINED\""));
  EXPECT_EQ(Logged(2, "Reregistering after parties error: 404 PARTY_NOT_FOUND").size(), 1u);
  host_.Advance(120.0);
  EXPECT_EQ(PartiesSent(0, true).size(), 4u) << "the calls ended";
}

TEST_F(PartiesOperationsHostTest, AnOpenPartyIsJoinedOnlyWhileTeamBuilderQueuesAreServed) {
  Start();
  AllowLobbies(true);
  ASSERT_EQ(parties_.Act("puuid-b", "PUT", "v1/parties/party-2/partytype", "\"open\"").httpStatus,
            200);
  host_.SetResource(std::string(kConfig) + "EnabledForTeamBuilderQueues", "false");
  host_.RunDue();
  parties_.ClearRecords();
  const Host::RouteAnswer refused = Call("POST", "/jyx-lobby/v2/party/party-2/join");
  ASSERT_TRUE(refused.error.has_value());
  EXPECT_EQ(*refused.error, "PARTY_QUEUES_DISABLED");
  EXPECT_THAT(PartiesSent(0, true), IsEmpty());

  host_.SetResource(std::string(kConfig) + "EnabledForTeamBuilderQueues", "true");
  host_.RunDue();
  parties_.ClearRecords();
  const Host::RouteAnswer joined = Call("POST", "/jyx-lobby/v2/party/party-2/join");
  EXPECT_FALSE(joined.error.has_value()) << *joined.error;
  EXPECT_THAT(PartiesSent(0, true),
              ElementsAre("PUT v1/parties/party-2/members/puuid-a/role \"MEMBER\""));
  EXPECT_EQ(State(), "PartyLobby");
  EXPECT_EQ(Backend().GetCurrentPartyId(), "party-2");
}

TEST_F(PartiesOperationsHostTest, PartyInvitationsAreAnsweredThroughTheReceivedInvitationRoutes) {
  Start();
  AllowLobbies(true);
  // The party's queue is one parties serve: the parties backend answers.
  ASSERT_EQ(parties_
                .Act("puuid-b", "PUT", "v1/parties/party-2/gamemode",
                     R"({"queueId":420,"maxPartySize":5})")
                .httpStatus,
            200);
  for (const char* answer : {"decline", "accept"}) {
    SCOPED_TRACE(answer);
    ASSERT_EQ(parties_.Invite("puuid-b", "puuid-a").httpStatus, 200);
    host_.RunDue();
    const Host::RouteAnswer listed = Call("GET", "/jyx-lobby/v2/received-invitations");
    EXPECT_THAT(listed.body, HasSubstr(R"("invitationId":"party-2")"));
    parties_.ClearRecords();
    const Host::RouteAnswer answered =
        Call("POST", std::string("/jyx-lobby/v2/received-invitations/party-2/") + answer);
    EXPECT_FALSE(answered.error.has_value()) << *answered.error;
    const std::string role = std::string(answer) == "accept" ? "MEMBER" : "DECLINED";
    EXPECT_THAT(PartiesSent(0, true),
                ElementsAre("PUT v1/parties/party-2/members/puuid-a/role \"" + role + "\""));
  }
  EXPECT_EQ(parties_.FindPlayer("puuid-a")->currentPartyId, "party-2");
  EXPECT_EQ(State(), "PartyLobby");
}

TEST_F(PartiesOperationsHostTest, ThePartyTypeNeedsOpenPartiesAndSavesANewDefault) {
  StartInPartyLobby();
  const Host::RouteAnswer refused = Call("PUT", "/jyx-lobby/v2/lobby/partyType", "\"open\"");
  EXPECT_EQ(refused.status, 500u);
  ASSERT_TRUE(refused.error.has_value());
  EXPECT_EQ(*refused.error, "OPEN_PARTIES_DISABLED");
  EXPECT_THAT(PartiesSent(0, true), IsEmpty());

  host_.SetResource(std::string(kConfig) + "OpenPartyEnable", "true");
  host_.RunDue();
  host_.ClearRecords();
  const Host::RouteAnswer set = Call("PUT", "/jyx-lobby/v2/lobby/partyType", "\"open\"");
  EXPECT_FALSE(set.error.has_value()) << *set.error;
  EXPECT_THAT(PartiesSent(0, true), ElementsAre("PUT /v1/parties/party-1/partytype \"open\""));
  EXPECT_THAT(Sent("/jyx-settings/v1/account/parties-settings"),
              ElementsAre(R"({"data":{"Parties":{"defaultPartyType":"open"}}})"));
  EXPECT_EQ(Logged(3, "Parties succeeded saving parties-settings defaultPartyType=open").size(),
            1u);
}

TEST_F(PartiesOperationsHostTest, TheSearchRoutesLockAndUnlockTheParty) {
  StartInPartyLobby();
  const Host::RouteAnswer started = Call("POST", "/jyx-lobby/v2/lobby/matchmaking/search");
  EXPECT_FALSE(started.error.has_value()) << *started.error;
  EXPECT_THAT(PartiesSent(0, true),
              ElementsAre("PUT v1/parties/party-1/activityLocked true", "GET v1/players/puuid-a"));

  parties_.ClearRecords();
  const Host::RouteAnswer cancelled = Call("DELETE", "/jyx-lobby/v2/lobby/matchmaking/search");
  EXPECT_FALSE(cancelled.error.has_value()) << *cancelled.error;
  EXPECT_THAT(PartiesSent(0, true), ElementsAre("PUT v1/parties/party-1/activityLocked false"));
  EXPECT_EQ(Logged(2, "cancel matchmaking").size(), 0u);
  EXPECT_THAT(Sent(kSearchPath), IsEmpty()) << "no resume time";

  // Refused by the service: its status, its message as the body.
  parties_.ClearRecords();
  Script("v1/parties/*/activityLocked", 409, "GATEKEEPER_RESTRICTED");
  const Host::RouteAnswer refused = Call("POST", "/jyx-lobby/v2/lobby/matchmaking/search");
  EXPECT_EQ(refused.status, 409u);
  EXPECT_THAT(refused.body, HasSubstr(R"("errorCode":"GATEKEEPER_RESTRICTED")"));
  EXPECT_EQ(Logged(1, "Parties matchmaking submit failure: ").size(), 1u);

  // Failing: the failure's code, 500 for none.
  Host::PartiesScript down;
  down.path = "v1/parties/*/activityLocked";
  down.kind = Host::PartiesScript::Kind::ProxyError;
  down.errorCode = "proxy down";
  parties_.AddScript(down);
  const Host::RouteAnswer failed = Call("POST", "/jyx-lobby/v2/lobby/matchmaking/search");
  EXPECT_EQ(failed.status, 500u);
  ASSERT_TRUE(failed.error.has_value());
  EXPECT_EQ(*failed.error, "proxy down");
  EXPECT_EQ(Logged(2, "Parties initiate matchmaking failure: proxy down").size(), 1u);

  Script("v1/parties/*/activityLocked", 409, "NOT_LEADER");
  const Host::RouteAnswer notCancelled = Call("DELETE", "/jyx-lobby/v2/lobby/matchmaking/search");
  EXPECT_EQ(notCancelled.status, 409u);
  EXPECT_EQ(Logged(2, "Parties cancel matchmaking failure: NOT_LEADER").size(), 1u);

  // A party in a queue parties do not serve.
  ASSERT_EQ(parties_
                .Act("puuid-a", "PUT", "v1/parties/party-1/gamemode",
                     R"({"queueId":830,"maxPartySize":5})")
                .httpStatus,
            200);
  host_.RunDue();
  parties_.ClearRecords();
  const Host::RouteAnswer notEnabled = Call("POST", "/jyx-lobby/v2/lobby/matchmaking/search");
  EXPECT_EQ(notEnabled.status, 400u);
  ASSERT_TRUE(notEnabled.error.has_value());
  EXPECT_EQ(*notEnabled.error, "QUEUE_NOT_ENABLED");
  EXPECT_THAT(PartiesSent(0, true), IsEmpty());
}

TEST_F(PartiesOperationsHostTest, AReconnectionInAPartyLobbyUnlocksCancelsAndFetches) {
  StartInPartyLobby();
  host_.SetResource(kSessionPath, Session(false));
  host_.RunDue();
  EXPECT_THAT(PartiesSent(0, true), IsEmpty());
  host_.SetResource(kSessionPath, Session(true));
  host_.RunDue();
  EXPECT_THAT(PartiesSent(0, true),
              ElementsAre("PUT v1/parties/party-1/activityLocked false", "GET v1/players/puuid-a"));
  const std::vector<std::string> searches = Sent(kSearchPath);
  ASSERT_EQ(searches.size(), 1u);
  EXPECT_THAT(searches[0], HasSubstr(R"("searchState":"Canceled")"));
}

TEST_F(PartiesOperationsHostTest, GameflowPhasesReachTheParty) {
  StartInPartyLobby();
  // Not ready while no phase asks for it; the lobby phase readies the player again.
  ASSERT_EQ(parties_.Act("puuid-a", "PUT", "v1/parties/party-1/members/puuid-a/ready", "false")
                .httpStatus,
            200);
  host_.RunDue();
  ASSERT_EQ(Backend().GetLocalMember().ready, std::optional<bool>(false));
  parties_.ClearRecords();
  host_.SetResource(kGameflowSessionPath, R"({"phase":"Lobby"})");
  host_.RunDue();
  EXPECT_THAT(PartiesSent(0, true),
              ElementsAre("PUT /v1/parties/party-1/members/puuid-a/ready true"));

  parties_.ClearRecords();
  host_.SetResource(kGameflowSessionPath, R"({"phase":"GameStart"})");
  host_.RunDue();
  EXPECT_THAT(PartiesSent(0, true), ElementsAre("POST /v1/parties/party-1/enteredGame"));

  parties_.ClearRecords();
  host_.SetResource(kGameflowSessionPath, R"({"phase":"None"})");
  host_.RunDue();
  EXPECT_THAT(PartiesSent(0, true),
              ElementsAre("PUT /v1/parties/party-1/members/puuid-a/role \"DECLINED\""));
}

TEST_F(PartiesOperationsHostTest, APartyDodgeReadiesAgainAndIsNotifiedOutsideTheReadyCheck) {
  StartInPartyLobby();
  struct Case {
    const char* dodgePhase;
    std::size_t notified;
  };
  std::size_t notifications = 0;
  for (const Case& c : std::vector<Case>{{"ReadyCheck", 0}, {"ChampSelect", 1}}) {
    SCOPED_TRACE(c.dodgePhase);
    parties_.ClearRecords();
    host_.ClearRecords();
    host_.SetResource(kGameflowSessionPath, R"({"phase":"Matchmaking"})");
    host_.RunDue();
    host_.SetResource(kGameflowSessionPath,
                      std::string(R"({"phase":"Lobby","gameDodge":{"state":"PartyDodged",)") +
                          R"("dodgeIds":[10],"phase":")" + c.dodgePhase + R"("}})");
    host_.RunDue();
    EXPECT_EQ(Logged(0, "Party dodge received, cancelling matchmaking").size(), 1u);
    EXPECT_THAT(PartiesSent(0, true),
                ElementsAre("PUT /v1/parties/party-1/members/puuid-a/ready true"));
    const Host::RouteAnswer listed = Call("GET", "/jyx-lobby/v2/notifications");
    std::size_t dodges = 0;
    for (std::size_t at = listed.body.find("PartyDodged"); at != std::string::npos;
         at = listed.body.find("PartyDodged", at + 1)) {
      ++dodges;
    }
    notifications += c.notified;
    EXPECT_EQ(dodges, notifications);
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
