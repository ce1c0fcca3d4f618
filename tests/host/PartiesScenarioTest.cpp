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

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "host/HostValue.h"
#include "host/PartiesService.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"
#include "host/WorldFile.h"

namespace Zarn::Host {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Texts = std::vector<std::string>;

constexpr char kLobby[] = "/jyx-lobby/v2/lobby";
constexpr char kMembers[] = "/jyx-lobby/v2/lobby/members";
constexpr char kPartyActive[] = "/jyx-lobby/v2/party-active";
constexpr char kComms[] = "/jyx-lobby/v2/comms/members";
constexpr char kGameflowEvent[] = "/jyx-gameflow/v1/session/event";

std::string GameMode(int queueId) {
  return "{\r\n    \"botDifficulty\": null,\r\n    \"gameType\": \"\",\r\n    \"maxPartySize\": 5,"
         "\r\n    \"queueId\": " +
         std::to_string(queueId) + "\r\n}";
}

// A lobby as "<party> <queue> members[<id> <role>...] invitations[<id> <state>...]".
std::string LobbySummary(const rapidjson::Value& lobby) {
  if (!lobby.IsObject()) return "no lobby";
  std::string text = std::string(lobby["partyId"].GetString()) + " " +
                     std::to_string(lobby["gameConfig"]["queueId"].GetInt()) + " members[";
  std::string sep;
  for (const auto& member : lobby["members"].GetArray()) {
    text += sep + std::to_string(member["summonerId"].GetUint64()) +
            (member["isLeader"].GetBool() ? " leader" : " member");
    sep = ",";
  }
  text += "] invitations[";
  sep.clear();
  for (const auto& invitation : lobby["invitations"].GetArray()) {
    text += sep + std::to_string(invitation["toSummonerId"].GetUint64()) + " " +
            invitation["state"].GetString();
    sep = ",";
  }
  return text + "]";
}

// What one step did, as texts.
struct Step {
  std::string answer;    // "<status> <error or body summary>"
  Texts sent;            // parties requests, "METHOD url body"
  Texts entered;         // LobbyFlow states entered
  Texts gameflowEvents;  // events posted to the gameflow plugin
  Texts published;       // "<uri> <eventType>[ <data summary>]" of the resources followed
  bool operator==(const Step&) const = default;
};

void PrintTo(const Step& step, std::ostream* out) {
  *out << "answer: " << step.answer << "\n sent:";
  for (const auto& s : step.sent) *out << " [" << s << "]";
  *out << "\n entered:";
  for (const auto& s : step.entered) *out << " " << s;
  *out << "\n gameflow:";
  for (const auto& s : step.gameflowEvents) *out << " " << s;
  *out << "\n published:";
  for (const auto& s : step.published) *out << " [" << s << "]";
}

class Scenario {
 public:
  explicit Scenario(PartiesPush push) {
    PluginHost::Options options;
    options.maxIdleYields = 50;
    host_ = std::make_unique<PluginHost>(options);
    proxy_ = std::make_unique<ServiceProxyService>(*host_);
    parties_ = std::make_unique<PartiesService>(*host_, *proxy_);
    std::string error;
    EXPECT_TRUE(
        LoadWorldFile(*host_, JYX_PARTIES_WORLD, &error, {nullptr, proxy_.get(), parties_.get()}))
        << error;
    parties_->SetPush(push);
    EXPECT_TRUE(host_->Load().accepted);
    EXPECT_TRUE(host_->Initialize());
    host_->RunDue();
    host_->ClearRecords();
    parties_->ClearRecords();
  }
  ~Scenario() {
    if (host_->Loaded()) host_->Shutdown();
  }

  // Calls a route and records the step.
  Step Call(const std::string& method, const std::string& path, const std::string& body = "") {
    const RouteAnswer answer = host_->CallRoute(method, path, body);
    host_->RunDue();
    Step step = Take();
    step.answer = std::to_string(answer.status) + " ";
    if (answer.error.has_value()) {
      step.answer += *answer.error;
    } else {
      rapidjson::Document json;
      std::string error;
      step.answer += ParseHostJson(answer.body, &json, &error) && json.IsObject() &&
                             json.HasMember("partyId") && json.HasMember("members")
                         ? LobbySummary(json)
                         : answer.body;
    }
    return step;
  }
  // Records what happened since the last step (another player's action, say).
  Step Take() {
    Step step;
    for (const PartiesRecord& record : parties_->Records()) {
      step.sent.push_back(record.method + " " + record.url +
                          (record.body.empty() ? "" : " " + record.body));
    }
    const std::string entering = "LobbyFlow: entering state '";
    for (const LogLine& line : host_->Records().logs) {
      if (line.message.starts_with(entering)) {
        step.entered.push_back(
            line.message.substr(entering.size(), line.message.size() - entering.size() - 1));
      }
    }
    for (const CoreRequest& request : host_->Records().requests) {
      if (request.path == kGameflowEvent && !request.arguments.empty()) {
        step.gameflowEvents.push_back(request.arguments[0]);
      }
    }
    for (const PublishedEvent& event : host_->Records().published) {
      if (event.name != "OnJsonApiEvent") continue;
      rapidjson::Document json;
      std::string error;
      if (!ParseHostJson(event.payload, &json, &error) || !json.IsObject()) continue;
      const std::string uri = json["uri"].GetString();
      std::string text = uri + " " + json["eventType"].GetString();
      if (uri == kLobby) {
        text += " " + LobbySummary(json["data"]);
      } else if (uri == kPartyActive) {
        text += json["data"].GetBool() ? " true" : " false";
      } else if (uri != kMembers && uri != kComms) {
        continue;
      }
      step.published.push_back(text);
    }
    host_->ClearRecords();
    parties_->ClearRecords();
    return step;
  }

  PluginHost& Host() { return *host_; }
  PartiesService& Parties() { return *parties_; }

 private:
  std::unique_ptr<PluginHost> host_;
  std::unique_ptr<ServiceProxyService> proxy_;
  std::unique_ptr<PartiesService> parties_;
};

// The scenario's steps as the Parts describe them, for both ways the states arrive.
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
       R"("gameConfig":{"gameMode":"CLASSIC","gameMutator":"","inviteGameType":"RANKED_SOLO_5x5",)"
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

std::vector<Step> RunScenario(PartiesPush push) {
  Scenario s(push);
  std::vector<Step> steps;
  steps.push_back(s.Call("POST", kLobby, R"({"queueId":420,"isCustom":false})"));
  steps.push_back(s.Call("GET", kPartyActive));
  steps.push_back(s.Call("POST", "/jyx-lobby/v2/lobby/invitations", R"([{"toSummonerId":10}])"));
  EXPECT_EQ(s.Parties().Accept("puuid-b", "party-3").httpStatus, 200);
  s.Host().RunDue();
  steps.push_back(s.Take());
  steps.push_back(s.Call("POST", kLobby, R"({"queueId":440,"isCustom":false})"));
  steps.push_back(s.Call("POST", "/jyx-lobby/v2/lobby/matchmaking/search"));
  steps.push_back(s.Call("DELETE", "/jyx-lobby/v2/lobby/matchmaking/search"));
  steps.push_back(s.Call("DELETE", kLobby));
  EXPECT_EQ(s.Parties()
                .Act("puuid-c", "PUT", "v1/parties/party-2/gamemode",
                     R"({"queueId":420,"maxPartySize":5})")
                .httpStatus,
            200);
  EXPECT_EQ(s.Parties().Invite("puuid-c", "puuid-a").httpStatus, 200);
  s.Host().RunDue();
  s.Take();
  steps.push_back(s.Call("GET", "/jyx-lobby/v2/received-invitations"));
  steps.push_back(s.Call("POST", "/jyx-lobby/v2/received-invitations/party-2/accept"));
  return steps;
}

TEST(PartiesScenarioTest, EveryStepAsThePartsSayItWhicheverWayTheStatesArrive) {
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

// Runs lobby-host in the scenario's world on `script`: its exit status (-1 when it did not exit)
// and the lines it printed.
std::pair<int, Texts> RunLobbyHostScript(const std::string& name, const std::string& script) {
  const std::string dir = ::testing::TempDir();
  const std::string scriptPath = dir + name + "-script.txt";
  const std::string outputPath = dir + name + "-output.txt";
  std::ofstream(scriptPath, std::ios::binary) << script;
  const std::string command = std::string("'") + JYX_TEST_LOBBY_HOST + "' --plugin '" +
                              JYX_TEST_LOBBY_PLUGIN + "' --world '" + JYX_PARTIES_WORLD + "' '" +
                              scriptPath + "' > '" + outputPath + "' 2>/dev/null";
  const int status = std::system(command.c_str());
  Texts lines;
  std::ifstream in(outputPath, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return {status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1, lines};
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
  // The acceptance of C's invitation, as the Parts write it.
  EXPECT_THAT(answers[0], ::testing::Contains(
                              R"({"requests":[{"method":"PUT","url":"v1/parties/party-2/members/)"
                              R"(puuid-a/role","body":"\"MEMBER\""}]})"));
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
