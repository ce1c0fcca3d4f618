// Lobby creation through the plugin library as the stand-in host loads it: the gameflow plugin's
// refusal, a queue that is missing or out of the player's level, the lobby read and left without
// one, and the search state.
#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/PluginHost.h"
#include "tests/lobby/core/GameflowAnswers.h"
#include "tests/lobby/core/HostRecordSearches.h"

namespace Zarn::Host {
namespace {

using Names = std::vector<std::string>;

constexpr char kLobbyPath[] = "/jyx-lobby/v2/lobby";
using Host::Testing::kRequestLobbyPath;
constexpr char kQueuesPath[] = "/jyx-game-queues/v1/queues";
constexpr char kSearchPath[] = "/jyx-matchmaking/v1/search";
constexpr char kSearchStatePath[] = "/jyx-lobby/v2/lobby/matchmaking/search-state";

class LobbyCreationEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PluginHost::Options options;
    options.maxIdleYields = 50;
    host = std::make_unique<PluginHost>(options);
    ASSERT_TRUE(host->Load().accepted);
    ASSERT_TRUE(host->Initialize());
    host->RunDue();
    host->ClearRecords();
  }
  void TearDown() override {
    if (host->Loaded()) host->Shutdown();
  }

  void AllowLobby() { Host::Testing::AnswerLobbyRequests(*host); }
  // The machine's entries and exits, as "+State" and "-State".
  Names Flow() const { return Testing::FlowSteps(host->Records()); }
  Names RequestPaths() const {
    Names paths;
    for (const CoreRequest& request : host->Records().requests) paths.push_back(request.path);
    return paths;
  }
  std::size_t Count(const std::string& path, const std::string& argument) const {
    std::size_t found = 0;
    for (const CoreRequest& request : host->Records().requests) {
      if (request.path == path && !request.arguments.empty() && request.arguments[0] == argument) {
        ++found;
      }
    }
    return found;
  }
  std::vector<LogLine> LogsContaining(const std::string& text) const {
    std::vector<LogLine> found;
    for (const LogLine& line : host->Records().logs) {
      if (line.message.find(text) != std::string::npos) found.push_back(line);
    }
    return found;
  }
  std::vector<PublishedEvent> Published(const std::string& uri) const {
    std::vector<PublishedEvent> found;
    for (const PublishedEvent& event : host->Records().published) {
      // Each event also goes out under a name of its own path; the plain name is counted.
      if (event.name == "OnJsonApiEvent" &&
          event.payload.find("\"uri\":\"" + uri + "\"") != std::string::npos) {
        found.push_back(event);
      }
    }
    return found;
  }

  std::unique_ptr<PluginHost> host;
};

TEST_F(LobbyCreationEndToEndTest, AGameflowRefusalAnswers423BeforeAnyEventOrRequest) {
  struct Case {
    const char* label;
    ScriptedReply reply;
  };
  ScriptedReply refused;
  refused.json = "false";
  ScriptedReply failed;
  failed.status = 500;
  failed.error = "gameflow down";
  for (const Case& c : {Case{"false", refused}, Case{"failing", failed}}) {
    SCOPED_TRACE(c.label);
    host->ClearRecords();
    host->ScriptReply(kRequestLobbyPath, c.reply);
    const RouteAnswer answer = host->CallRoute("POST", kLobbyPath, R"({"queueId":420})");
    EXPECT_EQ(answer.status, 423u);
    EXPECT_EQ(answer.error, "Gameflow prevented a lobby.");
    EXPECT_EQ(Flow(), Names{}) << "no event";
    EXPECT_EQ(RequestPaths(), Names{kRequestLobbyPath}) << "nothing further asked";
    EXPECT_EQ(LogsContaining("Gameflow prevented a lobby.").size(), 1u);
  }
}

TEST_F(LobbyCreationEndToEndTest, AQueueThatIsMissingOrAboveThePlayersLevelFailsTheLobby) {
  host->SetResource(kQueuesPath, R"([{"id":420,"minLevel":30}])");
  host->SetResource("/jyx-summoner/v1/summoners/0", R"({"summonerLevel":5})");
  host->RunDue();
  struct Case {
    const char* body;
    unsigned status;
    std::string error;
  };
  const std::vector<Case> cases = {
      {R"({"queueId":999})", 404,
       "Couldn't change lobby: Requested matchmaking queue 999 does not exist. Lobby will not be "
       "created. Error: Queue not found"},
      {R"({"queueId":420})", 500,
       "Couldn't change lobby: Summoner does not meet the level requirements"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    host->ClearRecords();
    AllowLobby();
    const RouteAnswer answer = host->CallRoute("POST", kLobbyPath, c.body);
    EXPECT_EQ(answer.status, c.status);
    EXPECT_EQ(answer.error, c.error);
    EXPECT_EQ(Flow(), (Names{"+LobbyRequested", "-LobbyRequested"}))
        << "from OutOfLobby to LobbyRequested and back";
    EXPECT_EQ(Count("/jyx-gameflow/v1/session/event", "\"GAMEFLOW_EVENT.FAILED_LOBBY\""), 1u);
    const std::vector<LogLine> logged =
        LogsContaining("Unable to create lobby: error creating new lobby: " + c.error);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].level, 2u);
    EXPECT_EQ(Published(kLobbyPath).size(), 0u) << "no lobby to publish";
  }
}

TEST_F(LobbyCreationEndToEndTest, WithoutAPublishedLobbyReadsAndLeavesAnswerNotFound) {
  struct Case {
    const char* method;
    const char* path;
  };
  for (const Case& c : {Case{"GET", kLobbyPath}, Case{"DELETE", kLobbyPath},
                        Case{"GET", "/jyx-lobby/v1/lobby/availability"}}) {
    SCOPED_TRACE(std::string(c.method) + " " + c.path);
    host->ClearRecords();
    const RouteAnswer answer = host->CallRoute(c.method, c.path, "");
    EXPECT_EQ(answer.status, 404u);
    EXPECT_EQ(answer.error, "LOBBY_NOT_FOUND");
    EXPECT_EQ(RequestPaths(), Names{}) << "no backend called";
  }
}

TEST_F(LobbyCreationEndToEndTest, OneSearchResourceTwicePublishesOneSearchState) {
  for (int i = 0; i < 2; ++i) {
    host->SetResource(kSearchPath, R"({"searchState":"Searching"})");
    host->RunDue();
  }
  const std::vector<PublishedEvent> published = Published(kSearchStatePath);
  ASSERT_EQ(published.size(), 1u);
  EXPECT_NE(published[0].payload.find(R"("eventType":"Update")"), std::string::npos);
  EXPECT_NE(published[0].payload.find(R"("searchState":"Searching")"), std::string::npos);
  const RouteAnswer state = host->CallRoute("GET", kSearchStatePath, "");
  EXPECT_NE(state.body.find(R"("searchState":"Searching")"), std::string::npos) << state.body;
}

}  // namespace
}  // namespace Zarn::Host
