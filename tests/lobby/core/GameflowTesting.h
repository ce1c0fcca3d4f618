// The plugin in-process on the stand-in host with the default world, its real backends and
// controllers and the host's legacy platform, parties service and service proxy, for the tests
// of the gameflow integration.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lobby/backends/BackendComponentFactory.h"
#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyPlugin.h"
#include "tests/lobby/core/DefaultWorldRig.h"

namespace Zarn::Client::Lobby::GameflowTesting {

inline constexpr char kSessionPath[] = "/jyx-gameflow/v1/session";
inline constexpr char kAvailabilityPath[] = "/jyx-gameflow/v1/availability";
inline constexpr char kPlayerStatusPath[] = "/jyx-gameflow/v1/gameflow-metadata/player-status";
inline constexpr char kSessionEventPath[] = "/jyx-gameflow/v1/session/event";
inline constexpr char kLastQueuedPath[] = "/jyx-lobby/v1/last-queued-lobby";
inline constexpr char kQueuesPath[] = "/jyx-game-queues/v1/queues";
inline constexpr char kSearchPath[] = "/jyx-matchmaking/v1/search";
// The default world's logged-in player.
inline constexpr std::uint64_t kLocalId = 2046;
inline constexpr std::uint64_t kOtherId = 77;
// A matchmade queue that no team builder manages: the arranged-team controller's.
inline constexpr std::int32_t kArrangedQueue = 420;

using WorldTesting::Compact;
using WorldTesting::Publication;

// Records what the plugin hands a stand-in controller's game update, and answers `result`.
class RecordingController final : public LobbyController {
 public:
  explicit RecordingController(LobbyServices* owner) : LobbyController(owner) {}

  MaybeType<Failure, Api::Lobby> CreateLobby(const Api::Lobby& /*requested*/) override {
    return Failure(500, "stand-in");
  }
  MaybeType<Failure, Api::Lobby> CreatePlatformLobby(const Api::Lobby& /*current*/) override {
    return Failure(500, "stand-in");
  }
  bool LeaveLobby(const Api::Lobby& /*current*/) override { return true; }
  MaybeType<Failure, LCDS::LobbyStatus> AcceptInvitation(const Api::LobbyInvitation& /*invitation*/,
                                                         const std::string& /*id*/) override {
    return Failure(500, "stand-in");
  }
  MaybeType<Failure, Api::Lobby> RefreshLobby(const Api::Lobby& current,
                                              LCDS::LobbyStatus /*status*/) override {
    return current;
  }
  void SetMemberCanInvite(std::uint64_t /*summonerId*/, bool /*canInvite*/,
                          Api::Lobby& /*lobby*/) override {}
  BindingHttpResult PromotePlayer(std::uint64_t /*summonerId*/) override {
    return BindingHttpResult();
  }
  BindingHttpResult KickPlayer(std::uint64_t /*summonerId*/) override {
    return BindingHttpResult();
  }
  MaybeType<Failure, Api::Lobby> HandleLobbyStatus(const Api::Lobby& current,
                                                   LCDS::LobbyStatus /*status*/) override {
    return current;
  }
  MaybeType<Failure, void> HandleGameDto(Api::Lobby& lobby, LCDS::GameDTO game) override {
    games.push_back(game.id);
    lobbyQueues.push_back(lobby.queueId);
    return result;
  }

  std::vector<std::int64_t> games;
  std::vector<std::int32_t> lobbyQueues;
  MaybeType<Failure, void> result = MaybeType<Failure, void>::Success();
};

// The real backends and controllers; with `recordArranged`, a recording controller stands in for
// the arranged-team one.
class GameflowFactory final : public LobbyComponentFactory {
 public:
  explicit GameflowFactory(bool recordArranged) : recordArranged_(recordArranged) {}

  std::unique_ptr<PartiesBackend> MakePartiesBackend() override {
    return real_.MakePartiesBackend();
  }
  std::unique_ptr<PlatformBackend> MakePlatformBackend() override {
    return real_.MakePlatformBackend();
  }
  std::shared_ptr<LobbyController> MakeTeamBuilderController(LobbyServices* plugin) override {
    return real_.MakeTeamBuilderController(plugin);
  }
  std::shared_ptr<LobbyController> MakeArrangedTeamController(LobbyServices* plugin) override {
    if (!recordArranged_) return real_.MakeArrangedTeamController(plugin);
    recording = std::make_shared<RecordingController>(plugin);
    return recording;
  }
  std::shared_ptr<LobbyController> MakeCustomGameController(LobbyServices* plugin) override {
    return real_.MakeCustomGameController(plugin);
  }
  std::shared_ptr<LobbyController> MakeInvalidController(LobbyServices* plugin) override {
    return real_.MakeInvalidController(plugin);
  }

  std::shared_ptr<RecordingController> recording;

 private:
  BackendComponentFactory real_;
  bool recordArranged_;
};

// One plugin on its own host, started with the default world.
class GameflowWorld : public WorldTesting::DefaultWorldRig {
 public:
  explicit GameflowWorld(bool recordArranged = false) {
    auto factory = std::make_unique<GameflowFactory>(recordArranged);
    factory_ = factory.get();
    // The queue list gives the plugin its controllers by queue.
    host_.SeedResource(kQueuesPath, R"([{"id":420,"minLevel":0},{"id":430,"minLevel":0}])");
    Start(std::move(factory));
    EXPECT_EQ(plugin_->LocalSummonerId(), kLocalId);
  }

  // An arranged-team lobby of the local player (owner) and kOtherId, as the legacy platform made
  // it: `Owner`, the platform backend active.
  void EnterArrangedLobbyAsOwner(bool localIsOwner = true) {
    Drive({LobbyEvents::kNewLobbyRequested, LobbyEvents::kNewLobbySucceeded,
           LobbyEvents::kPlatformLobbyRequested, LobbyEvents::kPlatformLobbySucceeded});
    Api::Lobby& lobby = V1Lobby();
    lobby.queueId = kArrangedQueue;
    lobby.members.clear();
    Api::LobbyMember local;
    local.id = kLocalId;
    local.isOwner = localIsOwner;
    Api::LobbyMember other;
    other.id = kOtherId;
    other.isOwner = !localIsOwner;
    lobby.members = {local, other};
    lobby.localMember = local;
  }

  GameflowFactory* factory_ = nullptr;
};

// A fresh world per test, and per row where a test needs one.
class GameflowTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  // Ends the present world before the next one starts.
  void Reset(bool recordArranged = false) {
    world_.reset();
    world_ = std::make_unique<GameflowWorld>(recordArranged);
  }
  GameflowWorld& W() { return *world_; }

  std::unique_ptr<GameflowWorld> world_;
};

}  // namespace Zarn::Client::Lobby::GameflowTesting
