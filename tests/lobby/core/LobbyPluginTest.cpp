// The plugin object: start, shutdown, update batches, the gameflow operations and
// its small shared operations, run in-process on the stand-in host with fake backends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/CoreScript.h"
#include "lobby/core/CustomGameRules.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/LobbyTimerNames.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/runtime/Requests.h"
#include "tests/lobby/core/EligibilityRulesTesting.h"
#include "tests/lobby/core/LobbyAnalyticsTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"
#include "tests/lobby/core/WatchedConfigValueTesting.h"
#include "tests/sdk/base/FailureTesting.h"

namespace Zarn::Client::Testing {
namespace {

using namespace Lobby::LobbyEvents;
using Lobby::EligibilityRulesTesting;
using Lobby::LobbyPluginTesting;
using Lobby::WatchedConfigValueTesting;
using Names = std::vector<std::string>;

constexpr char kGameflowEventPath[] = "/jyx-gameflow/v1/session/event";
constexpr char kRequestLobbyPath[] = "/jyx-gameflow/v1/session/request-lobby";
constexpr char kGameConfigurationPath[] = "/jyx-gameflow/v1/session/game-configuration";

Host::ScriptedReply Answer(const char* json) {
  Host::ScriptedReply reply;
  reply.json = json;
  return reply;
}
Host::ScriptedReply Refusal(uint32_t status) {
  Host::ScriptedReply reply;
  reply.status = status;
  reply.error = "unavailable";
  return reply;
}

TEST(LobbyPluginTest, StartRunsItsStepsInOrderInsideOneBatch) {
  LobbyRig rig;
  EXPECT_EQ(
      rig.Entries({"log LobbyFlow", "parties.", "platform."}),
      (Names{Entering("LobbyFlow"), Entering("OutOfLobby"), "parties.Start", "platform.SetServices",
             // The closing batch's rebuild.
             "parties.BuildReceivedInvitations", "parties.SchedulePresenceUpdate",
             "parties.HasQueue"}));
  EXPECT_EQ(rig.Rebuilds(), 1);
  EXPECT_EQ(rig.StateName(), "OutOfLobby");
  EXPECT_EQ(rig.factory->parties->startedWith, rig.plugin.get());
  EXPECT_EQ(rig.factory->platform->services, rig.plugin.get());
  EXPECT_EQ(LobbyPluginTesting::BatchDepth(*rig.plugin), 0);
}

// Watches each value that Shutdown drops, so that each drop reaches the host.
void WatchEverythingShutdownDrops(LobbyRig& rig) {
  Lobby::LobbyPlugin& plugin = *rig.plugin;
  auto watch = [&plugin](auto& value, const char* path) {
    value.SetModule(&plugin);
    value.AddListener([] {});
    value.Watch(path);
  };
  watch(Lobby::LobbyAnalyticsTesting::Friends(LobbyPluginTesting::Analytics(plugin)),
        "/jyx-chat/v1/friends");
  watch(Lobby::LobbyAnalyticsTesting::FriendCounts(LobbyPluginTesting::Analytics(plugin)),
        "/jyx-chat/v1/friend-counts");
  watch(EligibilityRulesTesting::ChampionCounts(LobbyPluginTesting::Eligibility(plugin)),
        "/jyx-champions/v1/inventories/9/champions-playable-count");
  watch(EligibilityRulesTesting::Leagues(LobbyPluginTesting::Eligibility(plugin)),
        "/jyx-leagues/v1/summoner-leagues/9");
  watch(Lobby::PartiesBackendTesting::LoginSession(*rig.factory->parties), "/jyx-login/v1/session");
  watch(rig.factory->parties->EnabledFlag(), "/jyx-platform-config/v1/namespaces/Parties/Enabled");
  watch(LobbyPluginTesting::CurrentSummoner(plugin), "/jyx-summoner/v1/current-summoner");
  watch(LobbyPluginTesting::PlatformId(plugin),
        "/jyx-platform-config/v1/namespaces/LoginDataPacket/platformId");
}

TEST(LobbyPluginTest, ShutdownInAPartyLobbyDropsDeregistersLeavesAndDeletesInOrder) {
  for (const bool gameflowFails : {false, true}) {
    SCOPED_TRACE(gameflowFails ? "gameflow failing" : "gameflow answering");
    LobbyRig rig;
    WatchEverythingShutdownDrops(rig);
    rig.Drive({kAcceptedPartyInvite});
    rig.plugin->SetTimer(Lobby::kPartiesHeartbeat, 5.0, [] {});
    if (gameflowFails) rig.host.ScriptReply(kGameflowEventPath, Refusal(503));
    bool heartbeatAtDeregistration = true;
    rig.journal->onCall = [&](const std::string& call) {
      if (call == "parties.DeregisterPlayer") {
        heartbeatAtDeregistration = rig.plugin->timers_.count(Lobby::kPartiesHeartbeat) != 0;
      }
    };
    const std::size_t mark = rig.Mark();
    rig.Shutdown();
    EXPECT_FALSE(heartbeatAtDeregistration);
    const Names entries =
        rig.Entries({"unsubscribe", "parties.", "platform.", "log LobbyFlow", "request"}, mark);
    const Names dropsFirst = {
        "unsubscribe OnJsonApiEvent_jyx-chat_v1_friends",
        "unsubscribe OnJsonApiEvent_jyx-chat_v1_friend-counts",
        "unsubscribe OnJsonApiEvent_jyx-champions_v1_inventories",
        "unsubscribe OnJsonApiEvent_jyx-leagues_v1_summoner-leagues",
        "unsubscribe OnJsonApiEvent_jyx-login_v1_session",
        "unsubscribe OnJsonApiEvent_jyx-platform-config_v1_namespaces_Parties_Enabled",
        "parties.DeregisterPlayer", Exiting("PartyLobby"),
        // The exit's batch rebuilds the view.
        "parties.BuildReceivedInvitations", "parties.SchedulePresenceUpdate", "parties.HasQueue",
        Exiting("InLobby"),
        std::string("request ") + kGameflowEventPath + " \"GAMEFLOW_EVENT.EXITED_LOBBY\"",
        Exiting("LobbyFlow"), "unsubscribe OnJsonApiEvent_jyx-summoner_v1_current-summoner",
        "unsubscribe OnJsonApiEvent_jyx-platform-config_v1_namespaces_LoginDataPacket_platformId",
        "parties.Deleted", "platform.Deleted"};
    ASSERT_GE(entries.size(), dropsFirst.size());
    EXPECT_EQ(Names(entries.begin(), entries.begin() + dropsFirst.size()), dropsFirst);
    // Then the module's shutdown drops whatever subscriptions remain, in its own order.
    const Names rest(entries.begin() + dropsFirst.size(), entries.end());
    for (const char* name :
         {"OnServiceProxyAsyncEvent", "OnServiceProxyMethodEvent", "OnServiceProxyUuidEvent"}) {
      EXPECT_EQ(std::count(rest.begin(), rest.end(), std::string("unsubscribe ") + name), 1)
          << name;
    }
    for (const std::string& entry : rest) EXPECT_TRUE(entry.starts_with("unsubscribe ")) << entry;
    EXPECT_EQ(LobbyPluginTesting::StateMachine(*rig.plugin).GetCurrentState(), nullptr);
    EXPECT_EQ(rig.plugin->GetPartiesBackend(), nullptr);
    EXPECT_EQ(LobbyPluginTesting::GetPlatformBackend(*rig.plugin), nullptr);
    EXPECT_EQ(rig.plugin->ActiveBackend(), nullptr);
    EXPECT_TRUE(
        WatchedConfigValueTesting::Listeners(
            Lobby::LobbyAnalyticsTesting::Friends(LobbyPluginTesting::Analytics(*rig.plugin)))
            .empty());
    EXPECT_TRUE(LobbyPluginTesting::PlatformId(*rig.plugin).Path().empty());
  }
}

TEST(LobbyPluginTest, DestroyedWithoutShutdownLeavesNoStateAndPostsNothing) {
  LobbyRig rig;
  rig.Drive({kAcceptedPartyInvite});
  const std::size_t mark = rig.Mark();
  rig.plugin.reset();
  rig.shutDown = true;
  EXPECT_EQ(rig.Entries({"log LobbyFlow", "request", "publish", "parties.", "platform."}, mark),
            (Names{"platform.Deleted", "parties.Deleted"}));
}

TEST(LobbyPluginTest, BatchesNestAndRebuildOnceAtTheOutermostClose) {
  LobbyRig rig;
  const std::size_t mark = rig.Mark();
  {
    Lobby::LobbyUpdateBatch outer(*rig.plugin);
    {
      Lobby::LobbyUpdateBatch inner(*rig.plugin);
      EXPECT_EQ(LobbyPluginTesting::BatchDepth(*rig.plugin), 2);
    }
    // A batched operation inside the batch.
    EXPECT_FALSE(rig.plugin->SetPartyLobbyActive(false));
    EXPECT_EQ(rig.Rebuilds(mark), 0);
  }
  EXPECT_EQ(rig.Rebuilds(mark), 1);
  EXPECT_EQ(LobbyPluginTesting::BatchDepth(*rig.plugin), 0);
}

TEST(LobbyPluginTest, SetPartyLobbyActiveEndsWhereTheMachineCanBe) {
  struct Case {
    const char* label;
    std::vector<Lobby::LobbyEvent> from;
    bool active;
    const char* gameflowAnswer;  // null: the gameflow plugin is not asked
    bool result;
    const char* state;
    Names gameflow;
  };
  const std::vector<Case> cases = {
      {"legacy lobby",
       {kNewLobbyRequested, kNewLobbySucceeded},
       true,
       nullptr,
       true,
       "PartyLobby",
       {"ENTERED_LOBBY"}},
      {"party lobby", {kAcceptedPartyInvite}, true, nullptr, true, "PartyLobby", {}},
      {"out of lobby, allowed", {}, true, "true", true, "PartyLobby", {"ENTERED_LOBBY"}},
      {"out of lobby, refused", {}, true, "false", false, "OutOfLobby", {"FAILED_LOBBY"}},
      {"changing lobby, refused",
       {kNewLobbyRequested, kNewLobbySucceeded, kNewLobbyRequested},
       true,
       "false",
       false,
       "ChangingLobby",
       {}},
      {"lobby being created, refused",
       {kNewLobbyRequested},
       true,
       "false",
       false,
       "LobbyRequested",
       {}},
      {"party lobby, off",
       {kAcceptedPartyInvite},
       false,
       nullptr,
       false,
       "OutOfLobby",
       {"EXITED_LOBBY"}},
      {"out of lobby, off", {}, false, nullptr, false, "OutOfLobby", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    LobbyRig rig;
    rig.Drive(c.from);
    if (c.gameflowAnswer != nullptr)
      rig.host.ScriptReply(kRequestLobbyPath, Answer(c.gameflowAnswer));
    const std::size_t mark = rig.Mark();
    EXPECT_EQ(rig.plugin->SetPartyLobbyActive(c.active), c.result);
    EXPECT_EQ(rig.StateName(), c.state);
    EXPECT_EQ(rig.GameflowEvents(mark), c.gameflow);
    EXPECT_EQ(rig.Entries({std::string("request ") + kRequestLobbyPath}, mark).size(),
              c.gameflowAnswer != nullptr ? 1u : 0u);
    EXPECT_EQ(rig.Rebuilds(mark), 1);
  }
}

TEST(LobbyPluginTest, ARefusedPartyLobbyLeavesAPendingCreationToComplete) {
  LobbyRig rig;
  rig.Drive({kNewLobbyRequested});
  rig.host.ScriptReply(kRequestLobbyPath, Answer("false"));
  EXPECT_FALSE(rig.plugin->SetPartyLobbyActive(true));
  EXPECT_TRUE(rig.Fire(kNewLobbySucceeded));
  EXPECT_EQ(rig.StateName(), "SoloLobby");
}

TEST(LobbyPluginTest, AnOperationRunAtAYieldOfTheGameflowReplyJoinsTheOuterBatch) {
  LobbyRig rig;
  rig.host.ScriptReply(kRequestLobbyPath, StreamedInOneByteReads("true"));
  bool ranAtYield = false;
  rig.host.OnYield(1, [&] {
    ranAtYield = true;
    // A batched operation of its own while the outer one waits.
    EXPECT_FALSE(rig.plugin->SetPartyLobbyActive(false));
    EXPECT_EQ(rig.StateName(), "LobbyRequested");
  });
  const std::size_t mark = rig.Mark();
  EXPECT_TRUE(rig.plugin->SetPartyLobbyActive(true));
  EXPECT_TRUE(ranAtYield);
  EXPECT_EQ(rig.StateName(), "PartyLobby");
  EXPECT_EQ(rig.Rebuilds(mark), 1);
}

TEST(LobbyPluginTest, AWatchedValueChangedWhileItsListenerWaitsKeepsTheNewest) {
  LobbyRig rig;
  Lobby::WatchedConfigValue<std::int32_t> watched;
  watched.SetModule(rig.plugin.get());
  std::vector<std::int32_t> completed;  // the effective value each listener pass ended with
  watched.AddListener([&] {
    const std::int32_t seen = *watched.Effective();
    static_cast<void>(rig.plugin->Request<bool>(HttpMethod::Post, "/test/v1/slow"));
    completed.push_back(seen);
  });
  watched.Watch("/test/v1/value");
  rig.host.ScriptReply("/test/v1/slow", StreamedInOneByteReads("true"));
  rig.host.OnYield(1, [&] { rig.host.SetResource("/test/v1/value", "2"); });
  rig.host.SetResource("/test/v1/value", "1");
  rig.host.RunDue();
  EXPECT_EQ(completed, (std::vector<std::int32_t>{2, 1}));
  ASSERT_NE(watched.Effective(), nullptr);
  EXPECT_EQ(*watched.Effective(), 2);
  watched.Drop();
}

TEST(LobbyPluginTest, RequestGameflowLobbyIsTrueOnlyForATrueAnswer) {
  struct Case {
    const char* label;
    Host::ScriptedReply reply;
    bool allowed;
  };
  const std::vector<Case> cases = {
      {"true", Answer("true"), true},
      {"false", Answer("false"), false},
      {"streamed true", StreamedInOneByteReads("true"), true},
      {"not a bool", Answer(R"("yes")"), false},
      {"an error", Refusal(500), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    LobbyRig rig;
    rig.host.ScriptReply(kRequestLobbyPath, c.reply);
    EXPECT_EQ(LobbyPluginTesting::Gameflow(*rig.plugin).RequestGameflowLobby(), c.allowed);
  }
}

TEST(LobbyPluginTest, GameConfigurationFollowsThePublishedLobby) {
  Lobby::Api::Queue ranked;
  ranked.id = 420;
  ranked.name = "Ranked";
  ranked.type = "LADDER_SINGLE";
  Lobby::Api::LobbyCustomGameLobby custom;
  custom.configuration.mapId = 11;
  custom.configuration.gameMode = "DRILL";
  custom.configuration.teamSize = 5;
  custom.configuration.gameTypeConfig.id = 7;
  struct Case {
    const char* label;
    std::optional<std::int32_t> publishedQueue;  // none: no published lobby
    bool isCustom;
    std::optional<Lobby::Api::LobbyCustomGameLobby> v1Custom;
    Names fragments;  // each in the posted record; empty: nothing posted
  };
  const std::vector<Case> cases = {
      {"no published lobby",
       std::nullopt,
       false,
       std::nullopt,
       {R"("id":-1)", R"("type":"")", R"("numPlayersPerTeam":0)"}},
      {"a known queue", 420, false, std::nullopt, {R"("id":420)", R"("name":"Ranked")"}},
      {"an unknown queue", 999, false, std::nullopt, {}},
      {"a custom game",
       -1,
       true,
       custom,
       {R"("mapId":11)", R"("gameMode":"DRILL")", R"("type":"PRACTICE_GAME")",
        R"("category":"Custom")", R"("numPlayersPerTeam":5)", R"("maximumParticipantListSize":5)",
        R"("minimumParticipantListSize":0)", R"("areFreeChampionsAllowed":true)",
        R"("gameTypeConfig":{)", R"("id":7)"}},
      {"a custom game whose v1 lobby has no custom part",
       -1,
       true,
       std::nullopt,
       {R"("type":"PRACTICE_GAME")", R"("numPlayersPerTeam":0)", R"("mapId":0)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    LobbyRig rig;
    Lobby::LobbyPlugin& plugin = *rig.plugin;
    LobbyPluginTesting::Queues(plugin).Update(PluginResourceEventType::Create, {ranked});
    if (c.publishedQueue.has_value()) {
      Lobby::Api::LobbyDto published;
      published.gameConfig.queueId = *c.publishedQueue;
      published.gameConfig.isCustom = c.isCustom;
      LobbyPluginTesting::PublishedLobby(plugin) = published;
    }
    LobbyPluginTesting::V1Lobby(plugin).customGameLobby = c.v1Custom;
    const std::size_t mark = rig.Mark();
    LobbyPluginTesting::Gameflow(plugin).SendGameflowGameConfiguration(
        LobbyPluginTesting::PublishedLobby(plugin));
    const Names posted = rig.Entries({std::string("request ") + kGameConfigurationPath}, mark);
    if (c.fragments.empty()) {
      EXPECT_EQ(posted, Names{});
      EXPECT_EQ(rig.Entries({LogEntry("Couldn't find queue with id 999")}, mark).size(), 1u);
      continue;
    }
    ASSERT_EQ(posted.size(), 1u);
    for (const std::string& fragment : c.fragments) {
      EXPECT_NE(posted[0].find(fragment), std::string::npos) << fragment << " in " << posted[0];
    }
  }
}

TEST(LobbyPluginTest, FindQueueLooksInTheEffectiveQueueList) {
  LobbyRig rig;
  auto& queues = LobbyPluginTesting::Queues(*rig.plugin);
  EXPECT_THAT(rig.plugin->FindQueue(420), Zarn::Testing::FailsWith(404, "Queue not found"));
  Lobby::Api::Queue fallback;
  fallback.id = 420;
  fallback.name = "default";
  queues.SetDefault({fallback});
  ASSERT_TRUE(rig.plugin->FindQueue(420).HasValue());
  EXPECT_EQ(rig.plugin->FindQueue(420)->name, "default");
  Lobby::Api::Queue delivered = fallback;
  delivered.name = "delivered";
  queues.Update(PluginResourceEventType::Update, {delivered, fallback});
  EXPECT_EQ(rig.plugin->FindQueue(420)->name, "delivered") << "the first match wins";
  EXPECT_THAT(rig.plugin->FindQueue(421), Zarn::Testing::FailsWith(404, "Queue not found"));
}

TEST(LobbyPluginTest, SmallOperations) {
  for (const auto& [mutator, practice] :
       std::vector<std::pair<const char*, bool>>{{"xPracticeToolx", true},
                                                 {"PracticeTool", true},
                                                 {"practicetool", false},
                                                 {"Practice Tool", false},
                                                 {"", false}}) {
    SCOPED_TRACE(mutator);
    Lobby::Api::LobbyCustomGameConfiguration configuration;
    configuration.gameMutator = mutator;
    EXPECT_EQ(Lobby::HasPracticeToolMutator(configuration), practice);
  }

  LobbyRig rig;
  Lobby::Api::LobbyMember member;
  member.id = 42;
  LobbyPluginTesting::V1Lobby(*rig.plugin).members = {member};
  EXPECT_FALSE(rig.plugin->Members().IsMemberInLobby(42)) << "not in a lobby";
  rig.Drive({kAcceptedLegacyInvite});
  EXPECT_TRUE(rig.plugin->Members().IsMemberInLobby(42));
  EXPECT_FALSE(rig.plugin->Members().IsMemberInLobby(43));
}

TEST(LobbyPluginTest, V1LobbyPartsOutOfALobbyAreOneDelete) {
  LobbyRig rig;
  const std::size_t mark = rig.Mark();
  rig.plugin->PublishV1LobbyParts();
  EXPECT_EQ(rig.Entries({"publish"}, mark),
            Names{R"(publish {"data":null,"eventType":"Delete","uri":"/jyx-lobby/v1/lobby"})"});
}

}  // namespace
}  // namespace Zarn::Client::Testing
