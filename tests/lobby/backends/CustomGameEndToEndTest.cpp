// A practice-tool game created through the plugin library as the stand-in host program loads it,
// in a world that holds a queue list and the legacy platform's answers in order: a taken name is
// tried once more under a numbered name.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace Zarn::Client::Testing {
namespace {

using ::testing::HasSubstr;

struct HostRun {
  int exitStatus = -1;
  std::vector<std::string> lines;  // standard output
  std::string log;                 // standard error
};

HostRun RunHost(const std::string& name, const std::string& world, const std::string& script) {
  const std::string dir = ::testing::TempDir();
  const std::string worldPath = dir + name + "-world.json";
  const std::string scriptPath = dir + name + "-script.txt";
  const std::string outputPath = dir + name + "-output.txt";
  const std::string logPath = dir + name + "-log.txt";
  std::ofstream(worldPath, std::ios::binary) << world;
  std::ofstream(scriptPath, std::ios::binary) << script;
  const std::string command = std::string("'") + JYX_TEST_LOBBY_HOST + "' --plugin '" +
                              JYX_TEST_LOBBY_PLUGIN + "' --world '" + worldPath + "' '" +
                              scriptPath + "' > '" + outputPath + "' 2> '" + logPath + "'";
  HostRun run;
  const int status = std::system(command.c_str());
  if (status != -1 && WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  std::ifstream out(outputPath, std::ios::binary);
  for (std::string line; std::getline(out, line);) run.lines.push_back(line);
  std::ifstream log(logPath, std::ios::binary);
  for (std::string line; std::getline(log, line);) run.log += line + "\n";
  return run;
}

std::string World(const std::string& answers) {
  return R"({"resources": {
    "/jyx-login/v1/session": {"state": "SUCCEEDED", "summonerId": 2046, "accountId": 9001},
    "/jyx-summoner/v1/current-summoner": {"summonerId": 2046, "summonerLevel": 30},
    "/jyx-gameflow/v1/session": {"phase": "None"},
    "/jyx-game-queues/v1/queues": [{"id": 420, "mapId": 11}],
    "/jyx-game-queues/v1/custom": {"queueAvailability": "Available"},
    "/jyx-game-queues/v1/game-type-config/1/map/11": {"id": 1, "name": "Open Choice"},
    "/jyx-game-data/assets/v1/champion-summary.json": [{"id": 1, "alias": "Brakka"}],
    "/jyx-champions/v1/inventories/2046/champions-minimal":
        [{"id": 1, "name": "Brakka", "botEnabled": true}],
    "/jyx-platform-config/v1/namespaces/LoginDataPacket/platformId": "KV1"},
  "replies": [{"path": "/jyx-gameflow/v1/session/request-lobby", "value": true}],
  "lcds": [{"destination": "gameService", "method": "createPracticeGame", "answers": [)" +
         answers + "]}]}";
}

constexpr char kTaken[] =
    R"({"exception": "com.zarnworks.platform.game.GameNameNotUniqueException: taken"})";
constexpr char kGame[] =
    R"({"class": "com.zarnworks.platform.game.GameDTO", "body": {"id": 123,
        "name": "Practice 8", "mapId": 11, "gameMode": "CLASSIC", "maxNumPlayers": 2,
        "gameMutators": ["PracticeTool"], "ownerSummary": {"summonerId": 2046},
        "teamOne": [{"summonerId": 2046}], "gameState": "TEAM_SELECT", "optimisticLock": 1}})";
constexpr char kScript[] =
    R"(POST /jyx-lobby/v2/lobby {"isCustom":true,"customGameLobby":{"lobbyName":"Practice",)"
    R"("configuration":{"mapId":11,"gameMode":"CLASSIC","gameMutator":"PracticeTool",)"
    R"("teamSize":1,"mutators":{"id":1}}}})"
    "\nGET /jyx-lobby/v2/lobby/custom/bots-enabled\nquit\n";

TEST(CustomGameEndToEndTest, ATakenPracticeToolNameIsTriedOnceMoreAndTwiceTakenFails) {
  {
    SCOPED_TRACE("taken once");
    const HostRun run =
        RunHost("custom-taken-once", World(std::string(kTaken) + "," + kGame), kScript);
    EXPECT_EQ(run.exitStatus, 0);
    ASSERT_EQ(run.lines.size(), 4u);
    EXPECT_THAT(run.lines[1], HasSubstr(R"("customLobbyName":"Practice 8")"));
    EXPECT_THAT(run.lines[1], HasSubstr(R"("gameMutator":"PracticeTool")"));
    EXPECT_EQ(run.lines[2], R"({"status":0,"error":null,"body":true})");
    EXPECT_THAT(run.log,
                HasSubstr("gameService.createPracticeGame failed. Sending error code: 409"));
  }
  {
    SCOPED_TRACE("taken twice");
    const HostRun run = RunHost("custom-taken-twice", World(kTaken), kScript);
    EXPECT_EQ(run.exitStatus, 0);
    ASSERT_EQ(run.lines.size(), 4u);
    EXPECT_THAT(run.lines[1], HasSubstr(R"("status":409)"));
    EXPECT_THAT(run.lines[1], HasSubstr("GameNameNotUniqueException"));
  }
}

}  // namespace
}  // namespace Zarn::Client::Testing
