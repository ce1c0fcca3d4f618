// The default world with its real backends and controllers, for the clash, tournament and
// play-again tests: a gameflow plugin whose lobby answer a test switches, a team-builder queue
// (400) that parties serve beside the arranged queue (420), and the game data a custom lobby
// reads.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PartiesService.h"
#include "host/ServiceProxyService.h"
#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "tests/lobby/core/GameflowTesting.h"

namespace Zarn::Client::Lobby::ClashTesting {

using namespace GameflowTesting;
using Names = std::vector<std::string>;

using WorldTesting::kRequestLobbyPath;
inline constexpr char kSummonersPath[] = "/jyx-summoner/v2/summoners";
inline constexpr char kV2LobbyPath[] = "/jyx-lobby/v2/lobby";
inline constexpr char kInviteService[] = "lcdsGameInvitationService";
inline constexpr char kGameService[] = "gameService";
inline constexpr char kGameClass[] = "com.zarnworks.platform.game.GameDTO";
// The default world's player as the parties service knows it.
inline constexpr char kPuuid[] = "puuid-stand-in";
inline constexpr std::int32_t kPartiesQueue = 400;
inline constexpr char kQueues[] =
    R"([{"id":420,"minLevel":0},{"id":430,"minLevel":0},)"
    R"({"id":400,"mapId":11,"minLevel":0,"isTeamBuilderManaged":true,)"
    R"("queueAvailability":"Available","maximumParticipantListSize":5,)"
    R"("allowablePremadeSizes":[1,2,3,4,5],"showPositionSelector":true}])";

// A custom game record of game 123 in `state`, of `gameType`, the local player its owner.
inline std::string GameJson(const std::string& state, const std::string& gameType) {
  return R"({"id":123,"name":"Cup","mapId":11,"gameTypeConfigId":1,"gameType":")" + gameType +
         R"(","gameMode":"CLASSIC","maxNumPlayers":10,"spectatorsAllowed":"NONE",)"
         R"("ownerSummary":{"summonerId":2046},"teamOne":[{"summonerId":2046,)"
         R"("summonerInternalName":"local"}],"teamTwo":[],"observers":[],)"
         R"("roomPassword":"key","optimisticLock":1,"gameState":")" +
         state + R"("})";
}

inline Host::LcdsAnswer GameAnswer(const std::string& state, const std::string& gameType) {
  Host::LcdsAnswer answer;
  answer.typeName = kGameClass;
  answer.body = GameJson(state, gameType);
  return answer;
}

inline Host::LcdsAnswer Refusal(const std::string& exception) {
  Host::LcdsAnswer answer;
  answer.exception = exception;
  return answer;
}

class ClashTest : public GameflowTest {
 protected:
  void SetUp() override { Fresh(); }

  // A new world, seeded.
  void Fresh() {
    Reset();
    W().host_.AddComponent(kRequestLobbyPath, [this](const Host::CoreRequest&) {
      Host::CoreReply reply;
      reply.json = allowLobbies_ ? "true" : "false";
      return reply;
    });
    W().host_.SeedResource("/jyx-game-data/assets/v1/champion-summary.json",
                           R"([{"id":1,"alias":"Brakka"}])");
    W().host_.SeedResource("/jyx-champions/v1/inventories/2046/champions-minimal", "[]");
    W().host_.SeedResource("/jyx-game-queues/v1/game-type-config/1",
                           R"({"id":1,"name":"Open Choice","pickMode":"ParallelPicks"})");
    W().host_.SetResource(kQueuesPath, kQueues);
    W().host_.RunDue();
    W().parties_.ClearRecords();
    allowLobbies_ = true;
  }

  LobbyPlugin& P() { return W().Plugin(); }
  PartiesLobbyBackend& Parties() {
    return *static_cast<PartiesLobbyBackend*>(P().GetPartiesBackend());
  }
  // Rebuilds the view now, as the end of any lobby operation does.
  void Rebuild() { LobbyUpdateBatch rebuild(P()); }

  // A party lobby of queue 400 made through the lobby route.
  void EnterPartyLobby() {
    Api::LobbyChangeGameDto change;
    change.queueId = kPartiesQueue;
    HttpResult<Api::LobbyDto> made = P().HandlePostLobby(change);
    ASSERT_TRUE(made.response.ok) << made.response.message;
    ASSERT_EQ(W().State(), "PartyLobby");
  }
  // The arranged lobby of GameflowWorld, known to the legacy platform as "INV-1", its view
  // published.
  void EnterLegacyLobby() {
    W().EnterArrangedLobbyAsOwner();
    W().V1Lobby().invitationId = "INV-1";
    Rebuild();
    ASSERT_EQ(P().ActiveBackend(), LobbyPluginTesting::GetPlatformBackend(P()));
  }

  bool allowLobbies_ = true;
};

}  // namespace Zarn::Client::Lobby::ClashTesting
