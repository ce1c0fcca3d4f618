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
#include "host/PluginHost.h"
#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/binding/TypedConversions.h"
#include "tests/lobby/core/DefaultWorldRig.h"
#include "tests/lobby/core/GameflowAnswers.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby::PartiesEndpointsTesting {

inline constexpr char kSessionPath[] = "/jyx-login/v1/session";
inline constexpr char kPlatformIdPath[] =
    "/jyx-platform-config/v1/namespaces/LoginDataPacket/platformId";
using WorldTesting::kGameflowSessionPath;
inline constexpr char kConfig[] = "/jyx-platform-config/v1/namespaces/Parties/";
inline constexpr char kQueues[] =
    R"([{"id":420,"mapId":11,"type":"RANKED","gameMode":"CLASSIC","numPlayersPerTeam":5,)"
    R"("maximumParticipantListSize":5,"allowablePremadeSizes":[1,2,3,5],)"
    R"("showPositionSelector":true,"isTeamBuilderManaged":true,"queueAvailability":"Available"},)"
    R"({"id":440,"mapId":11,"type":"RANKED","gameMode":"CLASSIC","numPlayersPerTeam":5,)"
    R"("maximumParticipantListSize":5,"allowablePremadeSizes":[1,2,3,5],)"
    R"("showPositionSelector":false,"isTeamBuilderManaged":true,"queueAvailability":"Available"}])";

class PartiesEndpointsTest : public ::testing::Test, public WorldTesting::DefaultWorldRig {
 protected:
  PartiesEndpointsTest() : DefaultWorldRig(false) {}

  void SetUp() override {
    for (const auto& [puuid, ids] : std::vector<std::pair<std::string, std::pair<int, int>>>{
             {"puuid-a", {9, 7}}, {"puuid-b", {10, 8}}}) {
      Host::PartiesPlayer player;
      player.puuid = puuid;
      player.platformId = "XEM1";
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
                       R"([{"queueType":"LADDER_SINGLE","leagueTier":"ORVANE"}])");
    host_.SeedResource(kPlatformIdPath, "\"XEM1\"");
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
    if (plugin_ != nullptr) ShutDown();
  }

  void Start() {
    DefaultWorldRig::Start();
    parties_.SetPush(Host::PartiesPush::Notification);
  }
  // Starts the plugin and makes a party lobby of queue 420; the records start afresh.
  void StartInPartyLobby() {
    Start();
    Host::Testing::AnswerLobbyRequests(host_, true, 4);
    const Host::RouteAnswer made = Call("POST", "/jyx-lobby/v2/lobby", R"({"queueId":420})");
    ASSERT_FALSE(made.error.has_value()) << *made.error;
    parties_.ClearRecords();
    host_.ClearRecords();
  }
  std::string PlayerJson() {
    return ToJsonString(Lobby::PartiesBackendTesting::Player(Backend()), plugin_->GetRegistry());
  }
  std::string PartyId() { return Backend().GetCurrentPartyId(); }
};

}  // namespace Zarn::Client::Lobby::PartiesEndpointsTesting
