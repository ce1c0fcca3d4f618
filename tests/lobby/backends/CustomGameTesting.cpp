#include "tests/lobby/backends/CustomGameTesting.h"

#include <rapidjson/document.h>

#include <utility>

#include "host/HostValue.h"
#include "lobby/model/LegacyClassNames.h"
#include "sdk/runtime/PluginLoader.h"
#include "tests/lobby/core/GameflowAnswers.h"

namespace Zarn::Client::Testing {

CustomGameRig::CustomGameRig(bool start) : LobbyRig(Unloaded{}) {
  host.SeedResource("/jyx-game-queues/v1/queues", R"([{"id":420,"mapId":11}])");
  host.SeedResource("/jyx-game-queues/v1/custom", R"({"queueAvailability":"Available"})");
  host.SeedResource("/jyx-login/v1/session",
                    R"({"state":"SUCCEEDED","summonerId":2046,"accountId":9001,"connected":true})");
  host.SeedResource(
      kSummaryPath,
      R"([{"id":238,"alias":"Dunmar"},{"id":1,"alias":"Brakka"},{"id":22,"alias":"Corvel"}])");
  host.SeedResource(kInventoryPath,
                    R"([{"id":1,"name":"Brakka","active":true,"botEnabled":true},)"
                    R"({"id":22,"name":"Corvel","active":true,"botEnabled":false}])");
  host.SeedResource(kIntermediatePath, "false");
  host.SeedResource(kSkirmishPath, "false");
  host.SeedResource("/jyx-game-queues/v1/game-type-config/1/map/11",
                    R"({"id":1,"name":"Open Choice","pickMode":"ParallelPicks"})");
  host.SeedResource("/jyx-game-queues/v1/game-type-config/1",
                    R"({"id":1,"name":"Open Choice","pickMode":"ParallelPicks"})");
  Load(std::make_unique<CustomGameFactory>(journal));
  if (start) Start();
}

void CustomGameRig::Start() {
  EXPECT_TRUE(plugin->Initialize(&init));
  host.RunDue();
}

std::vector<std::string> CustomGameRig::PublishedPaths(std::size_t from) const {
  std::vector<std::string> paths;
  for (const std::string& entry : Entries({"publish "}, from)) {
    rapidjson::Document event;
    std::string error;
    if (!Host::ParseHostJson(entry.substr(8), &event, &error)) continue;
    std::string path = event["uri"].GetString();
    if (std::string(event["eventType"].GetString()) != "Update") {
      path += std::string(" ") + event["eventType"].GetString();
    }
    paths.push_back(path);
  }
  return paths;
}

std::vector<std::string> CustomGameRig::PublishedData(const std::string& uri,
                                                      std::size_t from) const {
  std::vector<std::string> data;
  for (const std::string& entry : Entries({"publish "}, from)) {
    rapidjson::Document event;
    std::string error;
    if (!Host::ParseHostJson(entry.substr(8), &event, &error)) continue;
    if (event["uri"].GetString() != uri) continue;
    data.push_back(Host::JsonText(event["data"]));
  }
  return data;
}

std::vector<std::string> CustomGameRig::Arguments(const std::string& method,
                                                  std::size_t from) const {
  std::vector<std::string> calls;
  const std::vector<Host::LcdsInvocation>& invocations = legacy.Invocations();
  for (std::size_t i = from; i < invocations.size(); ++i) {
    if (invocations[i].method == method) calls.push_back(invocations[i].arguments);
  }
  return calls;
}

std::vector<std::string> CustomGameRig::Logs(const std::string& text) const {
  std::vector<std::string> lines;
  for (const Host::LogLine& line : host.Records().logs) {
    if (line.message.find(text) != std::string::npos) {
      lines.push_back(std::to_string(line.level) + " " + line.message);
    }
  }
  return lines;
}

void CustomGameRig::AnswerGame(const std::string& method, const std::string& gameJson) {
  Host::LcdsAnswer answer;
  answer.typeName = kGameDtoClass;
  answer.body = gameJson;
  legacy.Script(kGameService, method, answer);
}

void CustomGameRig::AnswerNothing(const std::string& method) {
  Host::LcdsAnswer answer;
  answer.typeName = "null";
  legacy.Script(kGameService, method, answer);
}

void CustomGameRig::Throw(const std::string& method, const std::string& exception) {
  Host::LcdsAnswer answer;
  answer.exception = exception;
  legacy.Script(kGameService, method, answer);
}

void CustomGameRig::AllowLobbies() { Host::Testing::AnswerLobbyRequests(host); }

std::string GameJson(const std::string& state, std::int64_t lock, std::int64_t id,
                     const std::string& teamTwo) {
  return R"({"id":)" + std::to_string(id) +
         R"(,"name":"My Game","mapId":11,"gameTypeConfigId":1,"gameType":"PRACTICE_GAME",)"
         R"("gameMode":"CLASSIC","maxNumPlayers":5,"spectatorsAllowed":"ALL",)"
         R"("ownerSummary":{"summonerId":2046},"teamOne":[{"summonerId":2046,)"
         R"("summonerInternalName":"local"},{"summonerId":0,"summonerInternalName":)"
         R"("bot_Brakka_100","botSkillLevel":1}],"teamTwo":)" +
         teamTwo + R"(,"observers":[],"roomPassword":"key","optimisticLock":)" +
         std::to_string(lock) + R"(,"gameState":")" + state + R"("})";
}

Lobby::Api::LobbyChangeGameDto CustomChange(const std::string& mutator, const std::string& name) {
  Lobby::Api::LobbyChangeGameDto change;
  change.isCustom = true;
  change.queueId = -1;
  change.customGameLobby.emplace();
  change.customGameLobby->lobbyName = name;
  change.customGameLobby->lobbyPassword = "secret";
  Lobby::Api::LobbyCustomGameConfiguration& configuration = change.customGameLobby->configuration;
  configuration.mapId = 11;
  configuration.gameMode = "CLASSIC";
  configuration.gameMutator = mutator;
  configuration.teamSize = 5;
  configuration.mutators.id = 1;
  configuration.gameServerRegion = "XEM";
  return change;
}

}  // namespace Zarn::Client::Testing
