// The platform backend on a plugin run in-process on the stand-in host, whose other parts are
// fakes.
#include "lobby/backends/PlatformLobbyBackend.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/sdk/base/FailureTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using Testing::LobbyRig;
using Testing::LogEntry;
using Zarn::Testing::FailsWith;

constexpr char kSearchPath[] = "/jyx-matchmaking/v1/search";

Host::ScriptedReply Refusal(std::uint32_t status, const std::string& error,
                            std::optional<std::uint32_t> method = std::nullopt) {
  Host::ScriptedReply reply;
  reply.status = status;
  reply.error = error;
  reply.method = method;
  return reply;
}

// The real platform backend beside the rig's fake one, on the rig's plugin.
struct PlatformRig {
  PlatformRig() { backend.SetServices(rig.plugin.get()); }

  LobbyRig rig;
  PlatformLobbyBackend backend;
};

TEST(PlatformLobbyBackendTest, OutsideALobbyThereIsNoLobbyStatusOrInviteFlag) {
  PlatformRig platform;
  EXPECT_THAT(platform.backend.GetLobby(), FailsWith(404, "NOT_FOUND"));
  EXPECT_FALSE(platform.backend.GetLobbyStatus().has_value());
  EXPECT_FALSE(platform.backend.GetAvailabilityFlag());
}

TEST(PlatformLobbyBackendTest, InALobbyTheStatusComesFromTheV1Lobby) {
  PlatformRig platform;
  platform.rig.Drive({LobbyEvents::kNewLobbyRequested, LobbyEvents::kNewLobbySucceeded});
  Api::Lobby& lobby = LobbyPluginTesting::V1Lobby(*platform.rig.plugin);
  lobby.queueId = 430;
  lobby.invitationId = "INV-9";
  const std::optional<Api::LobbyStatus> status = platform.backend.GetLobbyStatus();
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(status->queueId, 430);
  // Gameflow is not known to be available yet.
  EXPECT_FALSE(status->allowedPlayAgain);
}

TEST(PlatformLobbyBackendTest, TheSearchRoutesPostAndDeleteAndKeepTheFailuresCode) {
  struct Row {
    const char* label;
    BindingHttpResult (PlatformLobbyBackend::*operation)();
    const char* method;
  };
  const std::vector<Row> rows = {{"start", &PlatformLobbyBackend::StartMatchmaking, "POST"},
                                 {"cancel", &PlatformLobbyBackend::CancelMatchmaking, "DELETE"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    PlatformRig platform;
    Host::PluginHost& host = platform.rig.host;
    host.ScriptReply(kSearchPath, Host::ScriptedReply{});
    BindingHttpResult done = (platform.backend.*row.operation)();
    EXPECT_TRUE(done.IsOk()) << done.Result().ErrorMessage();
    ASSERT_FALSE(host.Records().requests.empty());
    EXPECT_EQ(host.Records().requests.back().path, kSearchPath);
    const std::uint32_t method = host.Records().requests.back().method;

    PlatformRig refusing;
    refusing.rig.host.ScriptReply(kSearchPath, Refusal(409, "busy"));
    BindingHttpResult busy = (refusing.backend.*row.operation)();
    EXPECT_FALSE(busy.IsOk());
    EXPECT_EQ(busy.StatusPart().status, 409);
    EXPECT_EQ(busy.Result().ErrorMessage(),
              std::string("Error response for ") + row.method + " " + kSearchPath + ": busy");
    EXPECT_EQ(refusing.rig.host.Records().requests.back().method, method);
  }
}

TEST(PlatformLobbyBackendTest, AReadyCheckDodgeIsOnlyLogged) {
  PlatformRig platform;
  platform.rig.Drive({LobbyEvents::kNewLobbyRequested, LobbyEvents::kNewLobbySucceeded});
  LobbyPluginTesting::LocalSummonerId(*platform.rig.plugin) = 123;
  Api::GameflowGameDodge dodge;
  dodge.phase = Api::GameflowPhase::ReadyCheck;
  dodge.dodgeIds = {123};
  const std::size_t mark = platform.rig.Mark();
  const std::size_t logsBefore = platform.rig.host.Records().logs.size();
  platform.backend.HandleDodge(dodge);
  EXPECT_EQ(platform.rig.Entries({"log ", "publish ", "request "}, mark),
            std::vector<std::string>{LogEntry("Ignoring ready check dodge")});
  ASSERT_EQ(platform.rig.host.Records().logs.size(), logsBefore + 1);
  EXPECT_EQ(platform.rig.host.Records().logs.back().level, 0u);
  EXPECT_EQ(platform.rig.StateName(), "SoloLobby");
}

TEST(PlatformLobbyBackendTest, ChangingOutsideALobbyWrapsTheCreationFailureWithItsCode) {
  struct Row {
    const char* label;
    bool isCustom;
    std::int32_t queueId;
    std::int32_t code;
    std::string message;
  };
  const std::vector<Row> rows = {
      {"custom queues down", true, -1, 503,
       "Cannot create custom lobby: Error response for GET /jyx-game-queues/v1/custom: down"},
      {"unlisted queue", false, 999, 404,
       "Requested matchmaking queue 999 does not exist. Lobby will not be created. Error: Queue "
       "not found"},
      {"level below the minimum", false, 420, 500, "Summoner does not meet the level requirements"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    PlatformRig platform;
    LobbyRig& rig = platform.rig;
    LobbyPluginTesting::LocalSummonerId(*rig.plugin) = 123;
    rig.host.ScriptReply("/jyx-game-queues/v1/custom", Refusal(503, "down"));
    Host::ScriptedReply level;
    level.json = R"({"summonerLevel":3})";
    rig.host.ScriptReply("/jyx-summoner/v1/summoners/123", level);
    Api::Queue queue;
    queue.id = 420;
    queue.minLevel = 10;
    LobbyPluginTesting::Queues(*rig.plugin).Set({queue});
    rig.plugin->OnQueuesChanged();
    Api::LobbyChangeGameDto change;
    change.isCustom = row.isCustom;
    change.queueId = row.queueId;
    const std::size_t mark = rig.Mark();
    EXPECT_THAT(platform.backend.ChangeLobby(change),
                FailsWith(row.code, "Couldn't change lobby: " + row.message));
    EXPECT_TRUE(rig.Entries({"publish "}, mark).empty());
  }
}

TEST(PlatformLobbyBackendTest, LeavingAsksTheLobbysControllerAndARefusalIs400) {
  PlatformRig platform;
  platform.rig.Drive({LobbyEvents::kNewLobbyRequested, LobbyEvents::kNewLobbySucceeded});
  // No queue list yet: the invalid controller serves the lobby.
  EXPECT_TRUE(platform.backend.LeaveLobby().HasValue());
  platform.rig.factory->invalid->leaveLobbyResult = false;
  EXPECT_THAT(platform.backend.LeaveLobby(), FailsWith(400, "Failed to leave lobby"));
  EXPECT_THAT(platform.backend.LeaveLobbyUnlessPending({}),
              FailsWith(400, "Failed to leave lobby"));
  EXPECT_EQ(platform.rig.Entries({"invalid.LeaveLobby"}).size(), 3u);
}

TEST(PlatformLobbyBackendTest, AdaptersWrapTheFailuresOfThePluginsOperationsWithTheirStatus) {
  PlatformRig platform;
  platform.rig.Drive({LobbyEvents::kNewLobbyRequested, LobbyEvents::kNewLobbySucceeded});
  PlatformLobbyBackend& backend = platform.backend;
  struct Row {
    const char* label;
    std::function<MaybeType<Failure, void>()> call;
    std::string message;
  };
  const std::string legacyPositions =
      "Can't specify position preferences from any legacy lobby -- that feature is specific to "
      "Team Builder queues.";
  const std::vector<Row> rows = {
      {"positions", [&] { return backend.SetPositionPreferences({}); },
       "Couldn't select position preferences: " + legacyPositions},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    EXPECT_THAT(row.call(), FailsWith(500, row.message));
  }
  // In a lobby the change goes to the plugin's queue change, whose failure keeps its code.
  EXPECT_THAT(backend.ChangeLobby({}),
              FailsWith(404,
                        "Couldn't change lobby: Requested matchmaking queue 0 does not exist. "
                        "Lobby will not be created. Error: Queue not found"));
}

}  // namespace
}  // namespace Zarn::Client::Lobby
