// The plugin with its real backends in-process on the stand-in host, against the simulated parties
// service: the plugin's player "puuid-a" (summoner 9, account 7) and "puuid-b" (summoner 10,
// account 8) are known to the service and to the summoner lookup, queues 420 and 440 are
// team-builder managed and available, and the gameflow plugin grants lobbies. The plugin
// registers at Start. For the tests of the parties routes and the presence.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/PartiesService.h"
#include "host/PluginClock.h"
#include "host/PluginHost.h"
#include "host/RouteCaller.h"
#include "host/ServiceProxyService.h"
#include "lobby/backends/BackendComponentFactory.h"
#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/platform/SteadyClockTesting.h"
#include "sdk/platform/WallClockTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client::Lobby::PartiesEndpointsTesting {

inline constexpr char kSessionPath[] = "/jyx-login/v1/session";
inline constexpr char kPlatformIdPath[] =
    "/jyx-platform-config/v1/namespaces/LoginDataPacket/platformId";
inline constexpr char kGameflowSessionPath[] = "/jyx-gameflow/v1/session";
inline constexpr char kConfig[] = "/jyx-platform-config/v1/namespaces/Parties/";
inline constexpr char kQueues[] =
    R"([{"id":420,"mapId":11,"type":"RANKED","gameMode":"CLASSIC","numPlayersPerTeam":5,)"
    R"("maximumParticipantListSize":5,"allowablePremadeSizes":[1,2,3,5],)"
    R"("showPositionSelector":true,"isTeamBuilderManaged":true,"queueAvailability":"Available"},)"
    R"({"id":440,"mapId":11,"type":"RANKED","gameMode":"CLASSIC","numPlayersPerTeam":5,)"
    R"("maximumParticipantListSize":5,"allowablePremadeSizes":[1,2,3,5],)"
    R"("showPositionSelector":false,"isTeamBuilderManaged":true,"queueAvailability":"Available"}])";

class PartiesEndpointsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [puuid, ids] : std::vector<std::pair<std::string, std::pair<int, int>>>{
             {"puuid-a", {9, 7}}, {"puuid-b", {10, 8}}}) {
      Host::PartiesPlayer player;
      player.puuid = puuid;
      player.platformId = "EUW1";
      player.summonerId = static_cast<std::uint64_t>(ids.first);
      player.accountId = static_cast<std::uint64_t>(ids.second);
      ASSERT_TRUE(parties_.AddPlayer(player));
    }
    parties_.SetLocalPlayer("puuid-a");
    host_.SeedResource(kSessionPath,
                       R"({"state":"SUCCEEDED","summonerId":9,"accountId":7,"puuid":"puuid-a"})");
    host_.SeedResource("/jyx-summoner/v1/current-summoner",
                       R"({"summonerId":9,"accountId":7,"puuid":"puuid-a","summonerLevel":30})");
    host_.SeedResource("/jyx-champions/v1/inventories/9/champions-playable-count",
                       R"({"championsOwned":40})");
    host_.SeedResource("/jyx-leagues/v1/summoner-leagues/9",
                       R"([{"queueType":"RANKED_SOLO_5x5","leagueTier":"GOLD"}])");
    host_.SeedResource(kPlatformIdPath, "\"EUW1\"");
    host_.SeedResource(kGameflowSessionPath, R"({"phase":"None"})");
    host_.SeedResource("/jyx-gameflow/v1/availability", R"({"isAvailable":true})");
    host_.SeedResource("/jyx-game-queues/v1/queues", kQueues);
    host_.SeedResource(std::string(kConfig) + "Enabled", "true");
    host_.SeedResource(std::string(kConfig) + "EnabledForTeamBuilderQueues", "true");
    host_.SeedResource("/jyx-settings/v1/account/parties-settings",
                       R"({"data":{"Parties":{"defaultPartyType":"closed"}}})");
    host_.AddComponent("/jyx-summoner/v2/summoners", [](const Host::CoreRequest&) {
      Host::CoreReply reply;
      reply.json = R"([{"summonerId":9,"puuid":"puuid-a","displayName":"Ann"},)"
                   R"({"summonerId":10,"puuid":"puuid-b","displayName":"Bob"}])";
      return reply;
    });
  }
  void TearDown() override {
    if (plugin_ != nullptr) Plugin::ShutdownEntry(plugin_);
  }

  void Start() {
    plugin_ = new LobbyPlugin(std::make_unique<BackendComponentFactory>());
    PluginLoadResult record{};
    record.major = 18;
    ASSERT_TRUE(LoadPlugin(plugin_, &record, "jyx-lobby"));
    ASSERT_TRUE(plugin_->Initialize(&init_));
    host_.RunDue();
    parties_.SetPush(Host::PartiesPush::Notification);
  }
  // Starts the plugin and makes a party lobby of queue 420; the records start afresh.
  void StartInPartyLobby() {
    Start();
    Host::ScriptedReply allowed;
    allowed.json = "true";
    for (int i = 0; i < 4; ++i)
      host_.ScriptReply("/jyx-gameflow/v1/session/request-lobby", allowed);
    const Host::RouteAnswer made = Call("POST", "/jyx-lobby/v2/lobby", R"({"queueId":420})");
    ASSERT_FALSE(made.error.has_value()) << *made.error;
    parties_.ClearRecords();
    host_.ClearRecords();
  }
  Host::RouteAnswer Call(const char* method, const std::string& path,
                         const std::string& body = "") {
    int releases = 0;
    Host::RouteAnswer answer =
        Host::CallRoute(Host::RoutesOf(&plugin_->Snapshot()), Host::HostMethodCode(method), path,
                        body, Client::Testing::kTestHostContext, &releases);
    host_.RunDue();
    return answer;
  }
  PartiesLobbyBackend& Backend() {
    return *static_cast<PartiesLobbyBackend*>(plugin_->GetPartiesBackend());
  }
  std::string PlayerJson() { return ToJsonString(Backend().player, plugin_->GetRegistry()); }
  std::string PartyId() { return Backend().GetCurrentPartyId(); }
  // "METHOD url body" of each parties request.
  [[nodiscard]] std::vector<std::string> Sent() const {
    std::vector<std::string> sent;
    for (const Host::PartiesRecord& record : parties_.Records()) {
      sent.push_back(record.method + " " + record.url + (record.body.empty() ? "" : " ") +
                     record.body);
    }
    return sent;
  }
  // The log lines that contain `text`, as "<level>|<message>".
  [[nodiscard]] std::vector<std::string> Logged(const std::string& text) const {
    std::vector<std::string> found;
    for (const Host::LogLine& line : host_.Records().logs) {
      if (line.message.find(text) != std::string::npos) {
        found.push_back(std::to_string(line.level) + "|" + line.message);
      }
    }
    return found;
  }
  // The positional values of each telemetry event `name`, joined, in order.
  [[nodiscard]] std::vector<std::string> Telemetry(const std::string& name) const {
    std::vector<std::string> found;
    for (const Host::TelemetryEvent& event : host_.Records().telemetry) {
      if (event.name != name) continue;
      std::string joined;
      for (const std::string& argument : event.arguments) joined += argument;
      found.push_back(joined);
    }
    return found;
  }
  // The first argument of each request to `path`.
  [[nodiscard]] std::vector<std::string> Requests(const std::string& path) const {
    std::vector<std::string> found;
    for (const Host::CoreRequest& request : host_.Records().requests) {
      if (request.path == path) {
        found.push_back(request.arguments.empty() ? std::string() : request.arguments[0]);
      }
    }
    return found;
  }
  // The payloads of the resource events at `uri`.
  [[nodiscard]] std::vector<std::string> Published(const std::string& uri) const {
    std::vector<std::string> found;
    const std::string mark = "\"uri\":\"" + uri + "\"";
    for (const Host::PublishedEvent& event : host_.Records().published) {
      if (event.name == "OnJsonApiEvent" && event.payload.find(mark) != std::string::npos) {
        found.push_back(event.payload);
      }
    }
    return found;
  }
  void Script(const std::string& path, Host::PartiesScript::Kind kind, std::int32_t status = 500,
              std::string code = "") {
    Host::PartiesScript script;
    script.path = path;
    script.kind = kind;
    script.httpStatus = status;
    script.errorCode = std::move(code);
    parties_.AddScript(script);
  }
  static std::int64_t ReadWall(void* context) {
    auto* test = static_cast<PartiesEndpointsTest*>(context);
    return Host::kPluginWallClockStart + test->host_.Scheduler().Now();
  }
  static Host::PluginHost::Options Options() {
    Host::PluginHost::Options options;
    options.pluginPath = "/nonexistent";
    options.hostContext = Client::Testing::kTestHostContext;
    options.maxIdleYields = 50;
    return options;
  }

  Host::PluginHost host_{Options()};
  Host::ServiceProxyService proxy_{host_};
  Host::PartiesService parties_{host_, proxy_};
  Client::Testing::VirtualClock clock_{&host_.Scheduler()};
  Platform::ScopedSteadyClockSource clockSource_{&Client::Testing::VirtualClock::Read, &clock_};
  Platform::ScopedWallClockSource wallSource_{&ReadWall, this};
  PluginHostInit init_{host_.Table(), Client::Testing::kTestHostContext};
  LobbyPlugin* plugin_ = nullptr;
};

}  // namespace Zarn::Client::Lobby::PartiesEndpointsTesting
