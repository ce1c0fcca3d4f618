// The custom game controller in-process: game records and their order, teams rebuilt from them,
// team switches, champion select started and cancelled, and bans.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/core/LobbyFlow.h"
#include "tests/lobby/backends/CustomGameLobbyControllerTesting.h"
#include "tests/lobby/backends/CustomGameTesting.h"

namespace Zarn::Client::Testing {
namespace {

using ::testing::HasSubstr;
using Names = std::vector<std::string>;
namespace Api = Lobby::Api;
namespace LCDS = Lobby::LCDS;

constexpr char kStartClass[] = "com.zarnworks.platform.game.StartChampSelectDTO";

LCDS::PlayerParticipant Player(std::uint64_t id, const std::string& internalName,
                               std::int32_t skill = 0) {
  LCDS::PlayerParticipant player;
  player.summonerId = id;
  player.summonerInternalName = internalName;
  player.botSkillLevel = skill;
  return player;
}

LCDS::GameDTO Game(const std::string& state, std::int64_t lock, std::int64_t id = 123) {
  LCDS::GameDTO game;
  game.id = id;
  game.name = "My Game";
  game.mapId = 11;
  game.gameTypeConfigId = 1;
  game.gameType = "PRACTICE_GAME";
  game.gameMode = "CLASSIC";
  game.maxNumPlayers = 10;
  game.ownerSummary.summonerId = kLocalSummonerId;
  game.teamOne = {Player(kLocalSummonerId, "local"), Player(0, "bot_Brakka_100", 1)};
  game.teamTwo = {Player(0, "bot_A_B_100", 2), Player(0, "bot_Corvel_200", 0)};
  game.observers = {Player(77, "watcher")};
  game.optimisticLock = lock;
  game.gameState = state;
  return game;
}

std::string Ids(const std::vector<Api::LobbyMember>& members) {
  std::string text;
  for (const Api::LobbyMember& member : members) {
    text += (text.empty() ? "" : " ") +
            (member.isBot ? member.summonerInternalName + ":" + std::to_string(member.botChampionId)
                          : std::to_string(member.id));
  }
  return text;
}

TEST(CustomGameControllerTest, AnOlderRecordOfTheStoredGameIsIgnoredAndOthersAreApplied) {
  struct Case {
    const char* label;
    std::int64_t id;
    std::int64_t lock;
    bool applied;
  };
  const std::vector<Case> cases = {
      {"same game, lower lock", 123, 4, false},
      {"same game, same lock", 123, 5, true},
      {"same game, higher lock", 123, 6, true},
      {"another game, lower lock", 124, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CustomGameRig rig;
    Lobby::CustomGameLobbyController& controller = rig.Controller();
    Lobby::CustomGameLobbyControllerTesting::Game(controller) = Game("LOBBY", 5);
    MaybeType<Failure, void> handled =
        controller.HandleGameDto(rig.V1Lobby(), Game("LOBBY", c.lock, c.id));
    EXPECT_TRUE(handled.HasValue());
    EXPECT_EQ(Lobby::CustomGameLobbyControllerTesting::Game(controller).optimisticLock,
              c.applied ? c.lock : 5);
    EXPECT_EQ(Lobby::CustomGameLobbyControllerTesting::Game(controller).id, c.applied ? c.id : 123);
    EXPECT_EQ(rig.Logs("GameDTO received update with old state, ignoring").size(),
              c.applied ? 0u : 1u);
  }
}

TEST(CustomGameControllerTest, ATeamSelectRecordRebuildsTheTeamsAndPublishesTheLobbyParts) {
  CustomGameRig rig;
  rig.plugin->ProcessLobbyEvent(Lobby::LobbyEvents::kNewCustomLobbyRequested);
  rig.plugin->ProcessLobbyEvent(Lobby::LobbyEvents::kNewCustomLobbySucceeded);
  ASSERT_TRUE(rig.plugin->IsInLobby());
  const std::size_t mark = rig.Mark();
  MaybeType<Failure, void> handled =
      rig.Controller().HandleGameDto(rig.V1Lobby(), Game("TEAM_SELECT", 3));
  ASSERT_TRUE(handled.HasValue()) << handled.Message();
  const Api::Lobby& lobby = rig.V1Lobby();
  ASSERT_TRUE(lobby.customGameLobby.has_value());
  EXPECT_EQ(Ids(lobby.customGameLobby->teamOne), "2046 bot_Brakka_100:1");
  // Three parts, a known alias and "100" at the end: Brakka's team, but "A" is no alias.
  EXPECT_EQ(Ids(lobby.customGameLobby->teamTwo), "bot_A_B_100:0 bot_Corvel_200:22");
  EXPECT_EQ(Ids(lobby.customGameLobby->spectators), "77");
  EXPECT_EQ(Ids(lobby.members), "2046") << "bots and spectators stay in their own lists";
  EXPECT_EQ(lobby.localMember.id, kLocalSummonerId);
  EXPECT_TRUE(lobby.localMember.isOwner);
  EXPECT_EQ(lobby.customGameLobby->gameId, 123u);
  EXPECT_EQ(lobby.customGameLobby->configuration.teamSize, 5);
  // The bots first: the map and the mode they depend on may have changed.
  EXPECT_EQ(
      rig.PublishedPaths(mark),
      (Names{"/jyx-lobby/v1/lobby/custom/available-bots", "/jyx-lobby/v1/lobby/custom/bots-enabled",
             "/jyx-lobby/v2/lobby/custom/available-bots", "/jyx-lobby/v2/lobby/custom/bots-enabled",
             "/jyx-lobby/v1/lobby", "/jyx-lobby/v1/lobby/members",
             "/jyx-lobby/v1/lobby/invitations", "/jyx-lobby/v1/lobby/localMember"}));

  // Another state only stores the record; the teams stay as they are.
  const std::size_t later = rig.Mark();
  ASSERT_TRUE(rig.Controller().HandleGameDto(rig.V1Lobby(), Game("ORBEN_STAGE", 4)).HasValue());
  EXPECT_EQ(Lobby::CustomGameLobbyControllerTesting::Game(rig.Controller()).gameState,
            "ORBEN_STAGE");
  EXPECT_EQ(rig.PublishedPaths(later), Names{});
}

TEST(CustomGameControllerTest, ANewerRecordHandledWhileTheConfigurationIsReadKeepsItsTeams) {
  CustomGameRig rig;
  rig.host.ScriptReply("/jyx-game-queues/v1/game-type-config/1",
                       StreamedInOneByteReads(R"({"id":1,"name":"Open Choice"})"));
  LCDS::GameDTO newer = Game("TEAM_SELECT", 8);
  newer.teamOne = {Player(kLocalSummonerId, "local")};
  newer.teamTwo = {Player(5, "five")};
  bool injected = false;
  rig.host.OnYield(3, [&] {
    injected = true;
    EXPECT_TRUE(rig.Controller().HandleGameDto(rig.V1Lobby(), newer).HasValue());
  });
  MaybeType<Failure, void> older =
      rig.Controller().HandleGameDto(rig.V1Lobby(), Game("TEAM_SELECT", 7));
  ASSERT_TRUE(injected);
  EXPECT_TRUE(older.HasValue()) << "a stale record is dropped, not failed";
  ASSERT_TRUE(rig.V1Lobby().customGameLobby.has_value());
  EXPECT_EQ(Ids(rig.V1Lobby().customGameLobby->teamTwo), "5");
  EXPECT_EQ(Lobby::CustomGameLobbyControllerTesting::Game(rig.Controller()).optimisticLock, 8);
}

TEST(CustomGameControllerTest, TeamSwitchesFollowTheLocalMembersPlace) {
  struct Case {
    bool spectator;
    const char* team;
    const char* method;  // "" for a refusal
    const char* arguments;
  };
  const std::vector<Case> cases = {
      {true, "one", "switchObserverToPlayer", "[123,100]"},
      {true, "two", "switchObserverToPlayer", "[123,200]"},
      {true, "spectator", "", ""},
      {true, "", "", ""},
      {true, "x", "", ""},
      {false, "one", "switchTeams", "[123]"},
      {false, "two", "switchTeams", "[123]"},
      {false, "spectator", "switchPlayerToObserver", "[123]"},
      {false, "", "switchTeams", "[123]"},
      {false, "x", "", ""},
  };
  CustomGameRig rig;
  for (const char* method : {"switchObserverToPlayer", "switchTeams", "switchPlayerToObserver"}) {
    rig.AnswerNothing(method);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.spectator ? "spectator" : "player") + " to '" + c.team + "'");
    Api::Lobby lobby;
    lobby.customGameLobby.emplace();
    lobby.customGameLobby->gameId = 123;
    lobby.localMember.isSpectator = c.spectator;
    const std::size_t before = rig.legacy.Invocations().size();
    MaybeType<Failure, void> switched = rig.Controller().SwitchTeam(lobby, c.team);
    const std::vector<Host::LcdsInvocation>& calls = rig.legacy.Invocations();
    if (std::string(c.method).empty()) {
      ASSERT_TRUE(switched.IsFailure());
      EXPECT_EQ(switched.GetFailure().Code(), 412);
      EXPECT_STREQ(switched.Message(), "Couldn't switch team, invalid team argument");
      EXPECT_EQ(calls.size(), before);
      continue;
    }
    EXPECT_TRUE(switched.HasValue()) << switched.Message();
    ASSERT_EQ(calls.size(), before + 1);
    EXPECT_EQ(calls.back().method, c.method);
    EXPECT_EQ(calls.back().arguments, c.arguments);
  }
  Api::Lobby noGame;
  MaybeType<Failure, void> missing = rig.Controller().SwitchTeam(noGame, "one");
  ASSERT_TRUE(missing.IsFailure());
  EXPECT_EQ(missing.GetFailure().Code(), 400);
  EXPECT_STREQ(missing.Message(), "Invalid custom lobby configuration (customGameLobby missing)");
  rig.Throw("switchTeams", "boom");
  Api::Lobby lobby;
  lobby.customGameLobby.emplace();
  MaybeType<Failure, void> failed = rig.Controller().SwitchTeam(lobby, "one");
  ASSERT_TRUE(failed.IsFailure());
  EXPECT_EQ(failed.GetFailure().Code(), 500);
  EXPECT_THAT(failed.Message(), HasSubstr("Failed to switch team: "));
}

TEST(CustomGameControllerTest, ChampionSelectStartsOnlyInTeamSelectAndNamesThePlayersWhoFailed) {
  CustomGameRig rig;
  Lobby::CustomGameLobbyController& controller = rig.Controller();
  Api::Lobby lobby;
  lobby.customGameLobby.emplace();
  lobby.customGameLobby->gameId = 123;
  Lobby::CustomGameLobbyControllerTesting::Game(controller) = Game("LOBBY", 9);
  const std::size_t before = rig.legacy.Invocations().size();
  MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse> early =
      controller.StartChampionSelection(lobby);
  ASSERT_TRUE(early.IsFailure());
  EXPECT_EQ(early.GetFailure().Code(), 500);
  EXPECT_STREQ(early.Message(),
               "Custom lobby must be in team select to transition to StartChampSelect");
  EXPECT_EQ(rig.legacy.Invocations().size(), before);

  Lobby::CustomGameLobbyControllerTesting::Game(controller) = Game("TEAM_SELECT", 9);
  Host::LcdsAnswer answer;
  answer.typeName = kStartClass;
  answer.body = R"({"invalidPlayers":[]})";
  rig.legacy.Script(kGameService, "startChampionSelection", answer);
  MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse> started =
      controller.StartChampionSelection(lobby);
  ASSERT_TRUE(started.HasValue()) << started.Message();
  EXPECT_TRUE(started->success);
  EXPECT_EQ(rig.Arguments("startChampionSelection"), Names{"[123,9]"});

  answer.body =
      R"({"invalidPlayers":[{"summoner":{"sumId":5,"name":"Five"},"reasonFailed":"AFK"}]})";
  rig.legacy.Script(kGameService, "startChampionSelection", answer);
  // Through the route: a start that names failed players answers 400 with them.
  Lobby::LobbyPluginTesting::V1Lobby(*rig.plugin) = lobby;
  Lobby::LobbyPluginTesting::V1Lobby(*rig.plugin).isCustom = true;
  HttpResult<Api::LobbyCustomChampSelectStartResponse> reply = rig.plugin->HandleStartChampSelect();
  EXPECT_TRUE(reply.response.ok);
  EXPECT_EQ(reply.response.status.status, 400);
  EXPECT_FALSE(reply.value.success);
  ASSERT_EQ(reply.value.failedPlayers.size(), 1u);
  EXPECT_EQ(reply.value.failedPlayers[0].summonerId, 5u);
  EXPECT_EQ(reply.value.failedPlayers[0].summonerName, "Five");
  EXPECT_EQ(reply.value.failedPlayers[0].reason, "AFK");

  rig.Throw("startChampionSelection", "com.zarnworks.platform.game.GameNotFoundException");
  MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse> failed =
      controller.StartChampionSelection(lobby);
  ASSERT_TRUE(failed.IsFailure());
  EXPECT_EQ(failed.GetFailure().Code(), 404);
  EXPECT_THAT(failed.Message(), HasSubstr("Error starting champSelect: "));
}

TEST(CustomGameControllerTest, CancellingQuitsACustomGameAndEndsSpectatingOtherwise) {
  {
    SCOPED_TRACE("custom game");
    CustomGameRig rig;
    rig.plugin->ProcessLobbyEvent(Lobby::LobbyEvents::kNewCustomLobbyRequested);
    rig.plugin->ProcessLobbyEvent(Lobby::LobbyEvents::kNewCustomLobbySucceeded);
    rig.V1Lobby().isCustom = true;
    rig.AnswerNothing("quitGame");
    HttpResponse reply = rig.plugin->HandleCancelChampSelect();
    EXPECT_TRUE(reply.ok) << reply.message;
    EXPECT_FALSE(rig.Arguments("quitGame").empty());
    EXPECT_EQ(rig.StateName(), "OutOfLobby");
  }
  {
    SCOPED_TRACE("custom game, quit failing");
    CustomGameRig rig;
    rig.V1Lobby().isCustom = true;
    rig.Throw("quitGame", "gone");
    HttpResponse reply = rig.plugin->HandleCancelChampSelect();
    EXPECT_EQ(reply.status.status, 500);
    EXPECT_THAT(reply.message, HasSubstr("Error cancelling champSelect: "));
  }
  {
    SCOPED_TRACE("spectating");
    CustomGameRig rig;
    const std::size_t mark = rig.Mark();
    const std::size_t before = rig.legacy.Invocations().size();
    HttpResponse reply = rig.plugin->HandleCancelChampSelect();
    EXPECT_TRUE(reply.ok) << reply.message;
    EXPECT_EQ(rig.GameflowEvents(mark), Names{"EXITED_SPECTATING"});
    EXPECT_EQ(rig.legacy.Invocations().size(), before);
  }
  {
    SCOPED_TRACE("spectating, gameflow failing");
    CustomGameRig rig;
    Host::ScriptedReply failing;
    failing.status = 503;
    failing.error = "down";
    rig.host.ScriptReply("/jyx-gameflow/v1/session/event", failing);
    HttpResponse reply = rig.plugin->HandleCancelChampSelect();
    EXPECT_EQ(reply.status.status, 500);
    EXPECT_THAT(reply.message, HasSubstr("Failed to cancel champ select: "));
  }
}

TEST(CustomGameControllerTest, KicksBanObserversAndMembersOfTheStoredGame) {
  CustomGameRig rig;
  rig.plugin->ProcessLobbyEvent(Lobby::LobbyEvents::kNewCustomLobbyRequested);
  rig.plugin->ProcessLobbyEvent(Lobby::LobbyEvents::kNewCustomLobbySucceeded);
  Api::LobbyMember member;
  member.id = 5;
  rig.V1Lobby().members = {member};
  Lobby::CustomGameLobbyControllerTesting::Game(rig.Controller()) = Game("TEAM_SELECT", 1, 321);
  rig.host.SeedResource("/jyx-summoner/v1/summoners/77", R"({"summonerId":77,"accountId":7700})");
  rig.host.SeedResource("/jyx-summoner/v1/summoners/5", R"({"summonerId":5,"accountId":500})");
  rig.AnswerNothing("banObserverFromGame");
  rig.AnswerNothing("banUserFromGame");
  const std::size_t before = rig.legacy.Invocations().size();
  EXPECT_TRUE(rig.Controller().KickPlayer(77).IsOk());
  EXPECT_TRUE(rig.Controller().KickPlayer(5).IsOk());
  EXPECT_EQ(rig.Arguments("banObserverFromGame"), Names{"[321,7700]"});
  EXPECT_EQ(rig.Arguments("banUserFromGame"), Names{"[321,500]"});
  BindingHttpResult neither = rig.Controller().KickPlayer(6);
  EXPECT_FALSE(neither.IsOk());
  EXPECT_EQ(neither.StatusPart().status, 404);
  EXPECT_EQ(rig.legacy.Invocations().size(), before + 2);
}

TEST(CustomGameControllerTest, ALobbyStatusSetsOwnersAndInvitersInEveryListAndTheLocalMember) {
  CustomGameRig rig;
  Api::Lobby lobby;
  Api::LobbyMember local;
  local.id = kLocalSummonerId;
  Api::LobbyMember five;
  five.id = 5;
  Api::LobbyMember watcher;
  watcher.id = 77;
  watcher.isSpectator = true;
  lobby.members = {local, five};
  lobby.customGameLobby.emplace();
  lobby.customGameLobby->teamOne = {local};
  lobby.customGameLobby->teamTwo = {five};
  lobby.customGameLobby->spectators = {watcher};
  LCDS::LobbyStatus status;
  status.invitationId = "inv-9";
  status.owner.summonerId = 5;
  LCDS::Member member;
  member.summonerId = kLocalSummonerId;
  member.hasDelegatedInvitePower = true;
  status.members.push_back(member);
  member.summonerId = 5;
  member.hasDelegatedInvitePower = false;
  status.members.push_back(member);
  MaybeType<Failure, Api::Lobby> handled = rig.Controller().HandleLobbyStatus(lobby, status);
  ASSERT_TRUE(handled.HasValue());
  const auto flags = [](const std::vector<Api::LobbyMember>& list) {
    std::string text;
    for (const Api::LobbyMember& m : list) {
      text += std::to_string(m.id) + (m.isOwner ? "O" : "") + (m.canInviteOthers ? "I" : "") + " ";
    }
    return text;
  };
  EXPECT_EQ(handled->invitationId, "inv-9");
  EXPECT_EQ(flags(handled->members), "2046I 5OI ");
  EXPECT_EQ(flags(handled->customGameLobby->teamOne), "2046I ");
  EXPECT_EQ(flags(handled->customGameLobby->teamTwo), "5OI ");
  EXPECT_EQ(flags(handled->customGameLobby->spectators), "77 ") << "not in the status";
  EXPECT_EQ(handled->localMember.id, kLocalSummonerId);
  EXPECT_TRUE(handled->localMember.canInviteOthers);

  // Granting or revoking keeps an owner's privilege, in every list of the custom part.
  Api::Lobby granted = handled.Value();
  rig.Controller().SetMemberCanInvite(5, false, granted);
  rig.Controller().SetMemberCanInvite(77, true, granted);
  rig.Controller().SetMemberCanInvite(kLocalSummonerId, false, granted);
  EXPECT_EQ(flags(granted.customGameLobby->teamOne), "2046 ");
  EXPECT_EQ(flags(granted.customGameLobby->teamTwo), "5OI ");
  EXPECT_EQ(flags(granted.customGameLobby->spectators), "77I ");
  Api::Lobby none;
  rig.Controller().SetMemberCanInvite(5, true, none);
  EXPECT_FALSE(none.customGameLobby.has_value()) << "no custom part is made";
}

}  // namespace
}  // namespace Zarn::Client::Testing
