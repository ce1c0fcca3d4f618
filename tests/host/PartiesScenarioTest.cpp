// The parties scenario end to end, through the plugin library as the stand-in host loads it, in
// the world host/worlds/parties.json: a party lobby made, B invited and joining, the queue
// changed, matchmaking started and cancelled, the lobby left and C's invitation accepted. Run
// with the player's states pushed as messaging-service notifications and as client-proxy
// messages, and once with B's acceptance arriving while the queue change waits; and the same
// scenario as a lobby-host script.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "host/CommandShell.h"
#include "host/HostValue.h"
#include "host/PluginHost.h"
#include "host/WorldFile.h"
#include "tests/host/LobbyHostRun.h"
#include "tests/host/PartiesScenario.h"

namespace Zarn::Host {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace PartiesScenarioTesting;

// Each step's answer, parties requests, state changes, gameflow events and publications, for both
// ways the states arrive.
std::vector<Step> Expected() {
  const std::string lobby420 = "party-3 420 members[9 leader] invitations[9 Accepted]";
  const std::string invited = "party-3 420 members[9 leader] invitations[9 Accepted,10 Pending]";
  const std::string joined =
      "party-3 420 members[9 leader,10 member] invitations[9 Accepted,10 Accepted]";
  const std::string joined440 =
      "party-3 440 members[9 leader,10 member] invitations[9 Accepted,10 Accepted]";
  // Members and invitations sorted by summoner id.
  const std::string inC =
      "party-2 420 members[9 member,11 leader] invitations[9 Accepted,11 "
      "Accepted]";
  return {
      // 1. The party lobby of 420.
      {"0 " + lobby420,
       {"PUT /v1/parties/party-3/gamemode " + GameMode(420)},
       {"LobbyRequested", "InLobby", "PartyLobby"},
       {"\"GAMEFLOW_EVENT.ENTERED_LOBBY\""},
       {"/jyx-lobby/v2/lobby Create " + lobby420, "/jyx-lobby/v2/lobby/members Create",
        "/jyx-lobby/v2/party-active Update true"}},
      {"0 true", {}, {}, {}, {}},
      // 2. B invited; the pushed state shows the invitation.
      {R"(0 [{"invitationId":"","state":"Pending","timestamp":"","toSummonerId":10,)"
       R"("toSummonerName":""}])",
       {"POST v1/parties/party-3/bulkInvite [\r\n    \"puuid-b\"\r\n]"},
       {},
       {},
       {"/jyx-lobby/v2/lobby Update " + invited}},
      // 3. B accepts: the comms members as the state is applied, the lobby when the batch closes.
      {"",
       {},
       {},
       {},
       {"/jyx-lobby/v2/comms/members Update", "/jyx-lobby/v2/lobby Update " + joined,
        "/jyx-lobby/v2/lobby/members Update"}},
      // 4. The queue changed to 440: the lock released, no invitation (B is a member).
      {"0 " + joined440,
       {"PUT v1/parties/party-3/activityLocked false",
        "PUT /v1/parties/party-3/gamemode " + GameMode(440)},
       {"ChangingLobby", "PartyLobby"},
       {"\"GAMEFLOW_EVENT.ENTERED_LOBBY\"", "\"GAMEFLOW_EVENT.ENTERED_LOBBY\""},
       {"/jyx-lobby/v2/lobby Update " + joined440}},
      // 5. Matchmaking started, then cancelled: the lock shows in the members' rights.
      {"0 null",
       {"PUT v1/parties/party-3/activityLocked true", "GET v1/players/puuid-a"},
       {},
       {},
       {"/jyx-lobby/v2/lobby Update " + joined440, "/jyx-lobby/v2/lobby/members Update"}},
      {"0 null",
       {"PUT v1/parties/party-3/activityLocked false"},
       {},
       {},
       {"/jyx-lobby/v2/lobby Update " + joined440, "/jyx-lobby/v2/lobby/members Update"}},
      // 6. The lobby left.
      {"0 null",
       {"PUT /v1/parties/party-3/members/puuid-a/role \"DECLINED\""},
       {"OutOfLobby"},
       {"\"GAMEFLOW_EVENT.EXITED_LOBBY\""},
       {"/jyx-lobby/v2/comms/members Update", "/jyx-lobby/v2/lobby Delete no lobby",
        "/jyx-lobby/v2/party-active Update false"}},
      // 7. C's invitation, listed, then accepted.
      {R"(0 [{"canAcceptInvitation":true,"fromSummonerId":11,"fromSummonerName":"Cat",)"
       R"("gameConfig":{"gameMode":"CLASSIC","gameMutator":"","inviteGameType":"LADDER_SINGLE",)"
       R"("mapId":11,"queueId":420},"invitationId":"party-2","restrictions":[],)"
       R"("state":"Pending","timestamp":"1767225600000"}])",
       {},
       {},
       {},
       {}},
      {"0 null",
       {"PUT v1/parties/party-2/members/puuid-a/role \"MEMBER\""},
       {"InLobby", "PartyLobby"},
       {"\"GAMEFLOW_EVENT.ENTERED_LOBBY\""},
       {"/jyx-lobby/v2/comms/members Update", "/jyx-lobby/v2/lobby Create " + inC,
        "/jyx-lobby/v2/lobby/members Create", "/jyx-lobby/v2/party-active Update true"}},
  };
}

TEST(PartiesScenarioTest, EveryStepAnswersAndPublishesTheSameWhicheverWayTheStatesArrive) {
  const std::vector<Step> expected = Expected();
  std::vector<std::vector<Step>> runs;
  for (const PartiesPush push : {PartiesPush::Notification, PartiesPush::Message}) {
    SCOPED_TRACE(push == PartiesPush::Notification ? "notifications" : "client-proxy messages");
    runs.push_back(RunScenario(push));
    ASSERT_EQ(runs.back().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE("step " + std::to_string(i));
      EXPECT_EQ(runs.back()[i], expected[i]);
    }
  }
  EXPECT_EQ(runs[0], runs[1]) << "the same replies and events";
}

TEST(PartiesScenarioTest, AnAcceptanceWhileTheQueueChangeWaitsIsPublishedOnceWithTheChange) {
  Scenario s(PartiesPush::Notification);
  s.Call("POST", kLobby, R"({"queueId":420,"isCustom":false})");
  s.Call("POST", "/jyx-lobby/v2/lobby/invitations", R"([{"toSummonerId":10}])");
  // The game mode's reply comes at the second yield, made then; B accepts at the first.
  PartiesScript late;
  late.method = "PUT";
  late.path = "v1/parties/*/gamemode";
  late.timing = ProxyScript::Timing::OnYield;
  late.yield = 2;
  s.Parties().AddScript(late);
  bool accepted = false;
  s.Host().OnYield(1,
                   [&] { accepted = s.Parties().Accept("puuid-b", "party-3").httpStatus == 200; });
  const Step step = s.Call("POST", kLobby, R"({"queueId":440,"isCustom":false})");
  EXPECT_TRUE(accepted);
  const std::string joined440 =
      "party-3 440 members[9 leader,10 member] invitations[9 Accepted,10 Accepted]";
  EXPECT_EQ(step.answer, "0 " + joined440);
  Texts lobbies;
  for (const std::string& published : step.published) {
    if (published.starts_with(std::string(kLobby) + " ")) lobbies.push_back(published);
  }
  EXPECT_THAT(lobbies, ElementsAre("/jyx-lobby/v2/lobby Update " + joined440))
      << "one publication when the batch closes";
  EXPECT_EQ(s.Call("GET", kLobby).answer, "0 " + joined440) << "the same final lobby";
}

// Runs lobby-host in the scenario's world (or `world`) on `script`: its exit status (-1 when it
// did not exit) and the lines it printed.
std::pair<int, Texts> RunLobbyHostScript(const std::string& name, const std::string& script,
                                         const std::string& world = JYX_PARTIES_WORLD) {
  Testing::LobbyHostRun run =
      Testing::RunLobbyHost(JYX_TEST_LOBBY_HOST, JYX_TEST_LOBBY_PLUGIN, name, script, world);
  return {run.exitStatus, std::move(run.lines)};
}

TEST(PartiesScenarioTest, TheLobbyHostScriptAnswersAlikeForBothWaysTheStatesArrive) {
  std::ifstream file(JYX_PARTIES_SCRIPT, std::ios::binary);
  const std::string script((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
  ASSERT_FALSE(script.empty());
  std::vector<Texts> answers;
  for (const char* push : {"notification", "message"}) {
    SCOPED_TRACE(push);
    const auto [exitStatus, lines] =
        RunLobbyHostScript(std::string("parties-scenario-") + push,
                           "parties-push " + std::string(push) + "\n" + script);
    EXPECT_EQ(exitStatus, 0);
    Texts routeAnswers;
    for (const std::string& line : lines) {
      if (line.starts_with("{\"status\":") || line.starts_with("{\"requests\":")) {
        routeAnswers.push_back(line);
      }
    }
    EXPECT_EQ(routeAnswers.size(), 22u) << "13 route answers and 9 request lists";
    answers.push_back(routeAnswers);
  }
  EXPECT_EQ(answers[0], answers[1]);
  // The acceptance of C's invitation: the local player's role in C's party becomes MEMBER.
  EXPECT_THAT(answers[0], ::testing::Contains(
                              R"({"requests":[{"method":"PUT","url":"v1/parties/party-2/members/)"
                              R"(puuid-a/role","body":"\"MEMBER\""}]})"));
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The scenario's world with `script` (a parties script's JSON) added, written to a file of its
// own; its path.
std::string WorldWithPartiesScript(const std::string& name, const std::string& script) {
  rapidjson::Document world;
  world.Parse(ReadFile(JYX_PARTIES_WORLD).c_str());
  rapidjson::Document entry(&world.GetAllocator());
  entry.Parse(script.c_str());
  rapidjson::Value scripts(rapidjson::kArrayType);
  scripts.PushBack(rapidjson::Value(entry, world.GetAllocator()), world.GetAllocator());
  world["parties"].AddMember("scripts", scripts, world.GetAllocator());
  const std::string path = ::testing::TempDir() + name + "-world.json";
  std::ofstream(path, std::ios::binary) << JsonText(world);
  return path;
}

// A proxied request that is never answered ends lobby-host with status 3 and one line naming
// it, within seconds however the plugin's hourly timers keep running: during a route, and during
// the start (the player's registration). Answered on a later yield instead, the same runs end.
TEST(PartiesScenarioTest, AWaitNothingAnswersEndsLobbyHostWithALineNamingTheRequest) {
  const std::string gamemode = R"({"method":"PUT","path":"v1/parties/*/gamemode","timing":)";
  const std::string registration = R"({"method":"PUT","path":"v1/players/*","timing":)";
  const std::string create =
      "POST /jyx-lobby/v2/lobby {\"queueId\":420}\nGET /jyx-lobby/v2/lobby\n";
  struct Case {
    const char* label;
    std::string world;
    std::string script;
    int exitStatus;
    std::size_t lines;
    std::string last;  // the start of the last line
  };
  // Named by what was true: the plugin's timers ran during the wait, and it waits after its
  // service-proxy request.
  const std::string never =
      R"({"error":"a wait can never end: a wait made no progress in 1000 yields after )";
  const std::string after =
      R"( callbacks ran in it, and nothing of the plugin falls due within 86400 s of virtual )"
      R"(time during )";
  const std::string proxyRequest =
      " (the wait began after the request POST /jyx-login/v1/service-proxy-uuid-requests)";
  const Case cases[] = {
      {"a route's request never answered", JYX_PARTIES_WORLD,
       "parties-script " + gamemode + "\"never\"}\n" + create, 3, 3,
       never + "26" + after + "POST /jyx-lobby/v2/lobby" + proxyRequest},
      {"a route's request answered", JYX_PARTIES_WORLD,
       "parties-script " + gamemode + "\"yield\",\"yield\":2}\n" + create, 0, 4,
       R"({"status":0,"error":null,"body":{"canStartActivity":)"},
      {"the registration never answered",
       WorldWithPartiesScript("registration-never", registration + "\"never\"}"), create, 3, 1,
       never + "27" + after + "initialize" + proxyRequest},
      {"the registration answered",
       WorldWithPartiesScript("registration-yield", registration + "\"yield\",\"yield\":3}"),
       create, 0, 3, R"({"status":0,"error":null,"body":{"canStartActivity":)"},
  };
  const std::string unanswered[] = {
      "; unanswered service-proxy request 00000000-0000-4000-8000-000000000002 "
      "(parties.service.proxy PUT /v1/parties/party-3/gamemode)\"}",
      "",
      "; unanswered service-proxy request 00000000-0000-4000-8000-000000000001 "
      "(parties.service.proxy PUT v1/players/puuid-a)\"}",
      "",
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.label);
    const auto start = std::chrono::steady_clock::now();
    const auto [exitStatus, lines] = RunLobbyHostScript("parties-wait", c.script, c.world);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(exitStatus, c.exitStatus);
    ASSERT_EQ(lines.size(), c.lines);
    EXPECT_TRUE(lines.back().starts_with(c.last)) << lines.back();
    EXPECT_TRUE(lines.back().ends_with(unanswered[i])) << lines.back();
  }
}

// Create and leave a lobby again and again with the events read every 100 cycles, as a long
// lobby-host run does: what the host keeps stays within its record window (a small one, so that
// a short run passes it in every list), and the plugin's live bytes come back to where they were.
TEST(PartiesScenarioTest, ALongRunKeepsABoundedHistory) {
  PluginHost::Options options;
  options.pluginPath = JYX_TEST_LOBBY_PLUGIN;
  constexpr std::size_t kWindow = 100;
  options.recordWindow = kWindow;
  PluginHost host(options);
  CommandShell shell(host);
  std::string error;
  ASSERT_TRUE(LoadWorldFile(host, JYX_PARTIES_WORLD, &error,
                            {&shell.Legacy(), &shell.Proxy(), &shell.Parties()}))
      << error;
  ASSERT_TRUE(host.Load().accepted);
  ASSERT_TRUE(host.Initialize());
  const auto retained = [&] {
    return host.RetainedRecords() + shell.Proxy().Requests().size() +
           shell.Parties().Records().size() + shell.Legacy().Invocations().size();
  };
  const auto live = [&] {
    const std::optional<MemoryStats> stats = host.ReadMemoryStats();
    return stats ? stats->bytesAllocated - stats->bytesFreed : 0;
  };
  // Enough cycles for every list to pass its window.
  constexpr int kCycles = 200;
  std::size_t retainedAfter100 = 0;
  uint64_t liveAfter100 = 0;
  std::string output;
  for (int cycle = 1; cycle <= kCycles; ++cycle) {
    ASSERT_TRUE(shell.Execute("POST /jyx-lobby/v2/lobby {\"queueId\":420}", &output));
    ASSERT_TRUE(output.starts_with(R"({"status":0,)")) << output;
    ASSERT_TRUE(shell.Execute("DELETE /jyx-lobby/v2/lobby", &output));
    if (cycle % 100 == 0) {
      ASSERT_TRUE(shell.Execute("events", &output));
    }
    if (cycle == 100) {
      retainedAfter100 = retained();
      liveAfter100 = live();
    }
  }
  EXPECT_EQ(shell.Failures(), 0);
  // Without the window each of these lists would hold at least two entries a cycle.
  const std::size_t lists[] = {host.Records().logs.size(), host.Records().requests.size(),
                               host.Records().scheduledLabels.size(),
                               shell.Proxy().Requests().size(), shell.Parties().Records().size()};
  for (const std::size_t size : lists) {
    EXPECT_GT(size, 0u);
    EXPECT_LE(size, 2 * kWindow);
  }
  // Fourteen lists: the host's ten, its streams, and the proxy's, parties' and legacy calls.
  EXPECT_LE(retained(), 14 * 2 * kWindow);
  EXPECT_LE(retained(), retainedAfter100 + 14 * kWindow);
  EXPECT_EQ(live(), liveAfter100);
  host.Shutdown();
}

TEST(PartiesScenarioTest, AWorldsSummonersMustBeAListOfSummonerIds) {
  struct Case {
    const char* world;
    const char* error;
  };
  const std::vector<Case> cases = {
      {R"({"summoners":{"summonerId":1}})", "\"summoners\" must be a list"},
      {R"({"summoners":[{"puuid":"p"}]})", "a summoner needs an unsigned \"summonerId\""},
      {R"({"summoners":[{"summonerId":-4}]})", "a summoner needs an unsigned \"summonerId\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.world);
    PluginHost host{PluginHost::Options{}};
    std::string error;
    EXPECT_FALSE(LoadWorld(host, c.world, &error));
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace Zarn::Host
