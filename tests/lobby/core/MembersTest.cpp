// Member management through the stand-in host with the default world, its legacy platform and
// the real backends and controllers, in arranged-team lobbies: promote, kick, grant and revoke,
// position preferences, party type, the invite-privileges message and the member names of a
// rebuild.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "lobby/core/LobbyUpdateBatch.h"
#include "lobby/model/LegacyClassNames.h"
#include "tests/lobby/core/GameflowTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using namespace GameflowTesting;
using Names = std::vector<std::string>;

constexpr char kInviteService[] = "lcdsGameInvitationService";
constexpr char kV1LobbyPath[] = "/jyx-lobby/v1/lobby";
constexpr std::uint64_t kStranger = 99;

Host::LcdsAnswer Refusal(const std::string& exception) {
  Host::LcdsAnswer answer;
  answer.exception = exception;
  return answer;
}

class MembersTest : public GameflowTest {
 protected:
  // "<method> <arguments>" of each call of the invitation service from `from` on.
  Names LegacyCalls(std::size_t from = 0) {
    Names calls;
    const std::vector<Host::LcdsInvocation>& all = W().legacy_.Invocations();
    for (std::size_t i = from; i < all.size(); ++i) {
      if (all[i].destination == kInviteService)
        calls.push_back(all[i].method + " " + all[i].arguments);
    }
    return calls;
  }
  std::size_t LegacyMark() { return W().legacy_.Invocations().size(); }
  void Succeed(const char* method) {
    W().legacy_.Script(kInviteService, method, Host::LcdsAnswer{});
  }
};

template <class T>
void ExpectFailure(const HttpResult<T>& reply, std::int32_t status, const std::string& message) {
  EXPECT_FALSE(reply.response.ok);
  EXPECT_EQ(reply.response.status.status, status);
  EXPECT_EQ(reply.response.message, message);
}

TEST_F(MembersTest, PromoteRefusesStrangersAndSoloLobbiesAndFallsBackToOwnerWhenThePlatformFails) {
  struct Case {
    const char* label;
    bool group;  // an arranged group lobby, else a solo one
    std::uint64_t id;
    bool platformFails;
    std::int32_t status;  // 0: success
    std::string message;
    std::string state;
    std::size_t legacyCalls;
  };
  const std::vector<Case> cases = {
      {"a member", true, kOtherId, false, 0, "", "Member", 1},
      {"not a member", true, kStranger, false, 404,
       "Couldn't' promote player: LOBBY_MEMBER_NOT_FOUND", "Member", 0},
      {"a solo lobby", false, kOtherId, false, 400,
       "Couldn't' promote player: TRANSFER_OWNERSHIP_STATE_FAILURE", "SoloLobby", 0},
      {"the platform refuses", true, kOtherId, true, 500,
       "Couldn't' promote player: Strategy Failed To Promote Player", "Owner", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Reset();
    if (c.group) {
      W().EnterArrangedLobbyAsOwner();
    } else {
      W().Drive({LobbyEvents::kNewLobbyRequested, LobbyEvents::kNewLobbySucceeded});
    }
    if (c.platformFails) {
      W().legacy_.Script(kInviteService, "transferOwnership", Refusal("NotOwnerException"));
    } else {
      Succeed("transferOwnership");
    }
    const std::size_t logs = W().LogMark();
    HttpResult<std::uint64_t> reply = W().Plugin().HandlePromote(c.id);
    if (c.status == 0) {
      EXPECT_TRUE(reply.response.ok) << reply.response.message;
      EXPECT_EQ(reply.value, c.id);
      EXPECT_EQ(LegacyCalls(), Names{"transferOwnership [" + std::to_string(c.id) + "]"});
    } else {
      ExpectFailure(reply, c.status, c.message);
      EXPECT_EQ(W().Logged("Failed to promote player: ", logs),
                Names{"1|Failed to promote player: " + c.message});
      EXPECT_EQ(LegacyCalls().size(), c.legacyCalls);
    }
    EXPECT_EQ(W().State(), c.state);
  }
}

TEST_F(MembersTest, KickPublishesTheLobbyEvenWhenThePlatformFailsAndSparesStrangersTheCall) {
  W().EnterArrangedLobbyAsOwner();
  W().legacy_.Script(kInviteService, "kick", Refusal("KickNotAllowedException"));
  std::size_t events = W().EventMark();
  HttpResult<std::uint64_t> failed = W().Plugin().HandleKick(kOtherId);
  ASSERT_FALSE(failed.response.ok);
  EXPECT_EQ(failed.response.status.status, 500);
  const std::string prefix = "Couldn't kick player: Error requesting kick for 77: ";
  EXPECT_EQ(failed.response.message.substr(0, prefix.size()), prefix);
  EXPECT_NE(failed.response.message.find("KickNotAllowedException"), std::string::npos)
      << failed.response.message;
  const std::vector<Publication> published = W().Published(kV1LobbyPath, events);
  ASSERT_EQ(published.size(), 1u);
  EXPECT_EQ(published[0].eventType, "Update");

  const std::size_t calls = LegacyMark();
  HttpResult<std::uint64_t> stranger = W().Plugin().HandleKick(kStranger);
  ExpectFailure(stranger, 404, "Couldn't kick player: Not found");
  EXPECT_EQ(LegacyCalls(calls), Names{}) << "no legacy call";

  Succeed("kick");
  HttpResult<std::uint64_t> kicked = W().Plugin().HandleKick(kOtherId);
  EXPECT_TRUE(kicked.response.ok) << kicked.response.message;
  EXPECT_EQ(kicked.value, kOtherId);
}

TEST_F(MembersTest, GrantAndRevokePublishTheMemberAndRefuseStrangers) {
  W().EnterArrangedLobbyAsOwner();
  Succeed("grantInvitePrivileges");
  Succeed("revokeInvitePrivileges");
  const std::string memberPath = "/jyx-lobby/v1/lobby/members/77";
  for (const bool grant : {true, false}) {
    SCOPED_TRACE(grant ? "grant" : "revoke");
    const std::size_t events = W().EventMark();
    const std::size_t calls = LegacyMark();
    HttpResult<std::uint64_t> reply = grant ? W().Plugin().HandleGrantInvite(kOtherId)
                                            : W().Plugin().HandleRevokeInvite(kOtherId);
    EXPECT_TRUE(reply.response.ok) << reply.response.message;
    EXPECT_EQ(
        LegacyCalls(calls),
        Names{std::string(grant ? "grantInvitePrivileges" : "revokeInvitePrivileges") + " [77]"});
    const std::vector<Publication> published = W().Published(memberPath, events);
    ASSERT_EQ(published.size(), 1u);
    EXPECT_NE(
        published[0].data.find(std::string("\"canInviteOthers\":") + (grant ? "true" : "false")),
        std::string::npos)
        << published[0].data;

    const std::size_t strangerCalls = LegacyMark();
    HttpResult<std::uint64_t> stranger = grant ? W().Plugin().HandleGrantInvite(kStranger)
                                               : W().Plugin().HandleRevokeInvite(kStranger);
    ExpectFailure(stranger, 404, "LOBBY_MEMBER_NOT_FOUND");
    EXPECT_EQ(LegacyCalls(strangerCalls), Names{});
  }
}

TEST_F(MembersTest, WithoutABackendEveryMemberRouteAnswersInvalidLobbyWithItsOwnLine) {
  struct Case {
    const char* label;
    HttpResult<std::uint64_t> (LobbyPlugin::*route)(std::uint64_t);
    const char* line;
  };
  const std::vector<Case> cases = {
      {"promote", &LobbyPlugin::HandlePromote, "Not a valid lobby for promote request"},
      {"grant", &LobbyPlugin::HandleGrantInvite,
       "Not a valid lobby for grant-invitation-privilege request"},
      {"revoke", &LobbyPlugin::HandleRevokeInvite,
       "Not a valid lobby for revoke-invitation-privilege request"},
      {"kick", &LobbyPlugin::HandleKick, "Not a valid lobby for kick request"},
  };
  ASSERT_EQ(W().Plugin().ActiveBackend(), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::size_t logs = W().LogMark();
    ExpectFailure((W().Plugin().*c.route)(kOtherId), 500, "INVALID_LOBBY");
    EXPECT_EQ(W().Logged("Not a valid lobby", logs), Names{std::string("1|") + c.line});
  }
  EXPECT_EQ(LegacyCalls(), Names{});
}

TEST_F(MembersTest, PositionPreferencesAndPartyTypeAnswerForTheLobbyTheyAreSentIn) {
  Api::LobbyPositionPreferences preferences;
  preferences.firstPreference = "NORTH";
  preferences.secondPreference = "ROAMER";
  HttpResponse outside = W().Plugin().HandlePutPositionPreferences(preferences);
  EXPECT_EQ(outside.status.status, 500);
  EXPECT_EQ(outside.message, "INVALID_LOBBY");

  W().EnterArrangedLobbyAsOwner();
  std::size_t logs = W().LogMark();
  HttpResponse legacy = W().Plugin().HandlePutPositionPreferences(preferences);
  const std::string refusal =
      "Couldn't select position preferences: Can't specify position preferences from any legacy "
      "lobby -- that feature is specific to Team Builder queues.";
  EXPECT_EQ(legacy.status.status, 500);
  EXPECT_EQ(legacy.message, refusal);
  EXPECT_EQ(W().Logged("Unable to select positions", logs),
            Names{"2|Unable to select positions: " + refusal});

  logs = W().LogMark();
  HttpResponse partyType = W().Plugin().HandlePutPartyType("open");
  EXPECT_EQ(partyType.status.status, 400);
  EXPECT_EQ(partyType.message, "INVALID_LOBBY_TYPE");
  EXPECT_EQ(W().Logged("partyType", logs),
            Names{"2|Setting partyType without being in party lobby."});
}

TEST_F(MembersTest, TheInvitePrivilegesMessageMovesTheMachineAndPublishesTheLocalMember) {
  W().EnterArrangedLobbyAsOwner();
  W().Drive({LobbyEvents::kTransferOwnership});
  ASSERT_EQ(W().State(), "Member");
  std::size_t events = W().EventMark();
  ASSERT_TRUE(W().legacy_.Push(kInvitePrivilegesClass, R"({"canInvite":true})"));
  W().host_.RunDue();
  EXPECT_EQ(W().State(), "Inviter");
  EXPECT_TRUE(W().V1Lobby().members[0].canInviteOthers);
  EXPECT_TRUE(W().V1Lobby().localMember.canInviteOthers);
  const std::vector<Publication> member =
      W().Published("/jyx-lobby/v1/lobby/members/" + std::to_string(kLocalId), events);
  const std::vector<Publication> local = W().Published("/jyx-lobby/v1/lobby/localMember", events);
  ASSERT_EQ(member.size(), 1u);
  ASSERT_EQ(local.size(), 1u);
  EXPECT_NE(local[0].data.find(R"("canInviteOthers":true)"), std::string::npos);
  // The member first, then the local member.
  const std::vector<Host::PublishedEvent>& published = W().host_.Records().published;
  std::size_t memberAt = 0;
  std::size_t localAt = 0;
  for (std::size_t i = events; i < published.size(); ++i) {
    if (published[i].payload.find("/jyx-lobby/v1/lobby/members/2046") != std::string::npos) {
      memberAt = i;
    }
    if (published[i].payload.find("/jyx-lobby/v1/lobby/localMember") != std::string::npos) {
      localAt = i;
    }
  }
  EXPECT_LT(memberAt, localAt);

  // Without a member record of the local player the event still fires.
  W().Drive({LobbyEvents::kLoseInvitePrivilege});
  ASSERT_EQ(W().State(), "Member");
  W().V1Lobby().members.erase(W().V1Lobby().members.begin());
  events = W().EventMark();
  const std::size_t logs = W().LogMark();
  ASSERT_TRUE(W().legacy_.Push(kInvitePrivilegesClass, R"({"canInvite":true})"));
  W().host_.RunDue();
  EXPECT_EQ(W().State(), "Inviter");
  EXPECT_EQ(W().Logged("invite privileges", logs),
            Names{"2|Received invite privileges notification but cannot find lobby member"});
  EXPECT_TRUE(W().Published("/jyx-lobby/v1/lobby/localMember", events).empty());
}

TEST_F(MembersTest, ARebuildLooksTheMembersAndInviteesUpInOneRequestAndPublishesTheirNames) {
  W().EnterArrangedLobbyAsOwner();
  Api::LobbyInvitation invited;
  invited.id = "5";
  invited.toSummonerId = 5;
  W().V1Lobby().invitations = {invited};
  Host::ScriptedReply names;
  names.json = R"([{"summonerId":2046,"displayName":"Me","puuid":"a"},)"
               R"({"summonerId":77,"displayName":"Other","puuid":"b"},)"
               R"({"summonerId":5,"displayName":"Guest","puuid":"c"}])";
  W().host_.ScriptReply("/jyx-summoner/v2/summoners", names);
  const std::size_t requests = W().Mark();
  const std::size_t events = W().EventMark();
  { LobbyUpdateBatch rebuild(W().Plugin()); }
  std::vector<Host::CoreRequest> lookups;
  for (std::size_t i = requests; i < W().host_.Records().requests.size(); ++i) {
    const Host::CoreRequest& request = W().host_.Records().requests[i];
    if (request.path == "/jyx-summoner/v2/summoners") lookups.push_back(request);
  }
  ASSERT_EQ(lookups.size(), 1u);
  EXPECT_EQ(lookups[0].arguments, (Names{R"("")", "[2046,77,5]"}));
  const std::vector<Publication> lobby = W().Published("/jyx-lobby/v2/lobby", events);
  ASSERT_FALSE(lobby.empty());
  for (const char* name : {"\"Me\"", "\"Other\"", "\"Guest\""}) {
    EXPECT_NE(lobby.back().data.find(name), std::string::npos)
        << name << " in " << lobby.back().data;
  }

  // Outside a lobby there is nothing to look up.
  Reset();
  const std::size_t outside = W().Mark();
  EXPECT_TRUE(W().Plugin().Members().LookupSummoner().empty());
  EXPECT_TRUE(W().Plugin().Members().LookupSummoners({}).empty());
  EXPECT_TRUE(W().Sent("/jyx-summoner/v2/summoners", outside).empty());
}

TEST_F(MembersTest, FindMemberLooksAtACustomGamesSpectatorsFirst) {
  Api::Lobby& lobby = W().V1Lobby();
  Api::LobbyMember member;
  member.id = 12;
  member.summonerInternalName = "member";
  Api::LobbyMember spectator = member;
  spectator.summonerInternalName = "spectator";
  spectator.isSpectator = true;
  lobby.members = {member};
  lobby.customGameLobby.emplace();
  lobby.customGameLobby->spectators = {spectator};
  lobby.isCustom = true;
  ASSERT_NE(W().Plugin().Members().FindMember(12), nullptr);
  EXPECT_EQ(W().Plugin().Members().FindMember(12)->summonerInternalName, "spectator");
  lobby.isCustom = false;
  EXPECT_EQ(W().Plugin().Members().FindMember(12)->summonerInternalName, "member")
      << "not a custom game";
  EXPECT_EQ(W().Plugin().Members().FindMember(13), nullptr);
}

TEST_F(MembersTest, AutoGrantGrantsNewMembersOnlyWhenTheLocalPlayerOwnsAndGrantingIsOn) {
  struct Case {
    const char* label;
    std::uint64_t owner;
    bool enabled;
    std::vector<std::uint64_t> seen;
    Names granted;
  };
  const std::vector<Case> cases = {
      {"owner, on, all new",
       kLocalId,
       true,
       {},
       {"grantInvitePrivileges [77]", "grantInvitePrivileges [78]"}},
      {"owner, on, one seen", kLocalId, true, {77}, {"grantInvitePrivileges [78]"}},
      {"another owns", kOtherId, true, {}, {}},
      {"granting off", kLocalId, false, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Reset();
    W().EnterArrangedLobbyAsOwner(c.owner == kLocalId);
    Api::LobbyMember third;
    third.id = 78;
    W().V1Lobby().members.push_back(third);
    Succeed("grantInvitePrivileges");
    ResourceUpdate<bool> flag;
    flag.eventType = PluginResourceEventType::Update;
    flag.value = c.enabled;
    W().Plugin().OnAutoGrantInviteEnabled(flag);
    ASSERT_EQ(LobbyPluginTesting::AutoGrantInviteEnabled(W().Plugin()), c.enabled);
    std::set<std::uint64_t>& seen = LobbyPluginTesting::AutoGrantedMemberIds(W().Plugin());
    seen = std::set<std::uint64_t>(c.seen.begin(), c.seen.end());
    W().Plugin().Members().AutoGrantInvite(c.owner);
    EXPECT_EQ(LegacyCalls(), c.granted);
    // The members now seen are all but the owner.
    std::set<std::uint64_t> expected = {kLocalId, kOtherId, 78};
    expected.erase(c.owner);
    EXPECT_EQ(LobbyPluginTesting::AutoGrantedMemberIds(W().Plugin()), expected);
    // A second status grants nobody again.
    const std::size_t calls = LegacyMark();
    W().Plugin().Members().AutoGrantInvite(c.owner);
    EXPECT_EQ(LegacyCalls(calls), Names{});
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
