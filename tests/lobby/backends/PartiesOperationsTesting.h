// A real parties backend attached to the plugin in-process on the stand-in host, with the host's
// simulated parties service, a summoner plugin that knows every summoner it is asked for but 14,
// and queues 420 and 440, for the tests of the party operations.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "tests/lobby/backends/PartiesHostTesting.h"
#include "tests/lobby/backends/PartiesLobbyBackendTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby::PartiesTesting {

inline Api::Queue MakeQueue(std::int32_t id, std::vector<std::int32_t> premadeSizes,
                            bool positions) {
  Api::Queue queue;
  queue.id = id;
  queue.mapId = 11;
  queue.type = "RANKED";
  queue.gameMode = "CLASSIC";
  queue.gameMutator = "mutator-" + std::to_string(id);
  queue.numPlayersPerTeam = 5;
  queue.maximumParticipantListSize = 5;
  queue.allowablePremadeSizes = std::move(premadeSizes);
  queue.showPositionSelector = positions;
  queue.isTeamBuilderManaged = true;
  return queue;
}

class PartiesOperationsTest : public PartiesHostTest {
 protected:
  void SetUp() override {
    PartiesHostTest::SetUp();
    PartiesLobbyBackendTesting::Attach(backend_, plugin_);
    backend_.EnabledFlag().Set(true);
    backend_.TeamBuilderQueuesFlag().Set(true);
    // The session names the service's player "puuid-a": its pushed states are the player's own.
    Api::LoginSession session;
    session.puuid = "puuid-a";
    Lobby::PartiesBackendTesting::LoginSession(backend_).Set(session);
    host_.AddComponent("/jyx-summoner/v2/summoners", [](const Host::CoreRequest& request) {
      Host::CoreReply reply;
      std::string list;
      BindingResult ids =
          request.arguments.size() > 1 ? ParseJson(request.arguments[1]) : ParseJson("[]");
      for (std::size_t i = 0; ids.IsOk() && i < ids.Value().Size(); ++i) {
        const std::uint64_t id = ids.Value().At(i).ToUint64();
        if (id == 14) continue;  // the summoner plugin does not know it
        // The service's two players keep their puuids; others are named by their ids.
        const std::string puuid = id == 9 ? "a" : id == 10 ? "b" : std::to_string(id);
        list += std::string(list.empty() ? "" : ",") + R"({"summonerId":)" + std::to_string(id) +
                R"(,"displayName":"Name)" + std::to_string(id) + R"(","internalName":"name)" +
                std::to_string(id) + R"(","puuid":"puuid-)" + puuid + R"(","profileIconId":)" +
                std::to_string(id + 100) +
                R"(,"summonerLevel":30,"lastSeasonHighestRank":"ORVANE"})";
      }
      reply.json = "[" + list + "]";
      return reply;
    });
    LobbyPluginTesting::Queues(plugin_).Set(
        {MakeQueue(420, {1, 2, 3, 5}, true), MakeQueue(440, {1, 5}, false)});
  }

  // `json` read as the service's player record; a failure fails the test.
  Api::PlayerDto ReadPlayer(const std::string& json) {
    Api::PlayerDto player;
    BindingResult parsed = ParseJson(json);
    EXPECT_TRUE(parsed.IsOk()) << parsed.ErrorMessage();
    if (!parsed.IsOk()) return player;
    BindingResult read;
    ReadValue(read, player, parsed.Value(), *plugin_.Registry());
    EXPECT_TRUE(read.IsOk()) << read.ErrorMessage();
    return player;
  }
  // Stores the simulated service's record of the plugin's player, as a state that arrived.
  void StoreFromService() {
    Lobby::PartiesBackendTesting::Player(backend_) = ReadPlayer(parties_.PlayerJson("puuid-a"));
  }

  // Each request the service received: "METHOD url body".
  [[nodiscard]] std::vector<std::string> Sent() const {
    std::vector<std::string> sent;
    for (const Host::PartiesRecord& record : parties_.Records()) {
      sent.push_back(record.method + " " + record.url + (record.body.empty() ? "" : " ") +
                     record.body);
    }
    return sent;
  }
  // The host requests to `path`, in order.
  [[nodiscard]] std::vector<Host::CoreRequest> HostRequests(const std::string& path) const {
    std::vector<Host::CoreRequest> found;
    for (const Host::CoreRequest& request : host_.Records().requests) {
      if (request.path == path) found.push_back(request);
    }
    return found;
  }
  // Log lines at `level` that contain `text`.
  [[nodiscard]] std::vector<std::string> LogLines(std::uint32_t level,
                                                  const std::string& text) const {
    std::vector<std::string> lines;
    for (const Host::LogLine& line : host_.Records().logs) {
      if (line.level == level && line.message.find(text) != std::string::npos) {
        lines.push_back(line.message);
      }
    }
    return lines;
  }

  PartiesLobbyBackend backend_;
};

}  // namespace Zarn::Client::Lobby::PartiesTesting
