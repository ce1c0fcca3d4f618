// The plugin in-process on the stand-in host with the default world, its real backends and
// controllers and the host's legacy platform, parties service and service proxy, for the tests
// of the gameflow integration.
#pragma once

#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PartiesService.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"
#include "host/WorldFile.h"
#include "lobby/backends/BackendComponentFactory.h"
#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/platform/SteadyClockTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

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

// Compact JSON of `value`.
inline std::string Compact(const rapidjson::Value& value) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  value.Accept(writer);
  return buffer.GetString();
}

// One resource event as published.
struct Publication {
  std::string eventType;
  std::string data;  // compact JSON
};

// Records what the plugin hands a stand-in controller's game update, and answers `result`.
class RecordingController final : public LobbyController {
 public:
  explicit RecordingController(LobbyPlugin* owner) : LobbyController(owner) {}

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
  std::shared_ptr<LobbyController> MakeTeamBuilderController(LobbyPlugin* plugin) override {
    return real_.MakeTeamBuilderController(plugin);
  }
  std::shared_ptr<LobbyController> MakeArrangedTeamController(LobbyPlugin* plugin) override {
    if (!recordArranged_) return real_.MakeArrangedTeamController(plugin);
    recording = std::make_shared<RecordingController>(plugin);
    return recording;
  }
  std::shared_ptr<LobbyController> MakeCustomGameController(LobbyPlugin* plugin) override {
    return real_.MakeCustomGameController(plugin);
  }
  std::shared_ptr<LobbyController> MakeInvalidController(LobbyPlugin* plugin) override {
    return real_.MakeInvalidController(plugin);
  }

  std::shared_ptr<RecordingController> recording;

 private:
  BackendComponentFactory real_;
  bool recordArranged_;
};

// One plugin on its own host, started with the default world. Keep one alive at a time: the
// steady clock's source is the process's.
class GameflowWorld {
 public:
  explicit GameflowWorld(bool recordArranged = false) {
    auto factory = std::make_unique<GameflowFactory>(recordArranged);
    factory_ = factory.get();
    plugin_ = std::make_unique<LobbyPlugin>(std::move(factory));
    std::string error;
    if (!Host::LoadWorldFile(host_, JYX_DEFAULT_WORLD, &error, {&legacy_, &proxy_, &parties_})) {
      ADD_FAILURE() << error;
    }
    // The queue list gives the plugin its controllers by queue.
    host_.SeedResource(kQueuesPath, R"([{"id":420,"minLevel":0},{"id":430,"minLevel":0}])");
    PluginLoadResult record{};
    record.major = 18;
    EXPECT_TRUE(LoadPlugin(plugin_.get(), &record, "jyx-lobby"));
    EXPECT_TRUE(plugin_->Initialize(&init_));
    host_.RunDue();
    EXPECT_EQ(plugin_->LocalSummonerId(), kLocalId);
  }
  ~GameflowWorld() { plugin_->Shutdown(); }
  GameflowWorld(const GameflowWorld&) = delete;
  GameflowWorld& operator=(const GameflowWorld&) = delete;

  LobbyPlugin& Plugin() { return *plugin_; }
  Api::Lobby& V1Lobby() { return LobbyPluginTesting::V1Lobby(*plugin_); }

  std::string State() const {
    const LobbyState* state = plugin_->GetStateMachine().GetCurrentState();
    return state != nullptr ? state->name : "none";
  }
  // Fires each event, failing the test at one not handled.
  void Drive(const std::vector<LobbyEvent>& events) {
    for (const LobbyEvent& event : events) {
      ASSERT_TRUE(plugin_->GetStateMachine().ProcessEvent(event)) << event << " in " << State();
    }
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
  // Sets the session resource and runs its delivery.
  void SetSession(const std::string& json) {
    host_.SetResource(kSessionPath, json);
    host_.RunDue();
  }
  void SetPhase(const std::string& phase) { SetSession(R"({"phase":")" + phase + R"("})"); }
  std::size_t Mark() const { return host_.Records().requests.size(); }
  std::size_t LogMark() const { return host_.Records().logs.size(); }
  std::size_t EventMark() const { return host_.Records().published.size(); }

  // The resource events published at `uri` from the `from`-th publication on.
  std::vector<Publication> Published(const std::string& uri, std::size_t from = 0) const {
    std::vector<Publication> found;
    const std::vector<Host::PublishedEvent>& published = host_.Records().published;
    for (std::size_t i = from; i < published.size(); ++i) {
      if (published[i].name != "OnJsonApiEvent") continue;
      rapidjson::Document document;
      document.Parse(published[i].payload.c_str());
      if (document.HasParseError() || !document.IsObject() || !document.HasMember("uri") ||
          !document["uri"].IsString() || uri != document["uri"].GetString()) {
        continue;
      }
      found.push_back(Publication{document["eventType"].GetString(), document.HasMember("data")
                                                                         ? Compact(document["data"])
                                                                         : std::string()});
    }
    return found;
  }
  // The first argument of each request to `path` from the `from`-th request on.
  std::vector<std::string> Sent(const std::string& path, std::size_t from = 0) const {
    std::vector<std::string> found;
    const std::vector<Host::CoreRequest>& requests = host_.Records().requests;
    for (std::size_t i = from; i < requests.size(); ++i) {
      if (requests[i].path != path) continue;
      found.push_back(requests[i].arguments.empty() ? std::string() : requests[i].arguments[0]);
    }
    return found;
  }
  // The host method code of each request to `path` from the `from`-th request on.
  std::vector<std::uint32_t> Methods(const std::string& path, std::size_t from = 0) const {
    std::vector<std::uint32_t> found;
    const std::vector<Host::CoreRequest>& requests = host_.Records().requests;
    for (std::size_t i = from; i < requests.size(); ++i) {
      if (requests[i].path == path) found.push_back(requests[i].method);
    }
    return found;
  }
  // The log lines from `from` on that contain `text`, as "<level>|<message>".
  std::vector<std::string> Logged(const std::string& text, std::size_t from = 0) const {
    std::vector<std::string> found;
    const std::vector<Host::LogLine>& logs = host_.Records().logs;
    for (std::size_t i = from; i < logs.size(); ++i) {
      if (logs[i].message.find(text) != std::string::npos) {
        found.push_back(std::to_string(logs[i].level) + "|" + logs[i].message);
      }
    }
    return found;
  }
  // The gameflow events posted from the `from`-th request on.
  std::vector<std::string> GameflowEvents(std::size_t from = 0) const {
    return Sent(kSessionEventPath, from);
  }

  static Host::PluginHost::Options Options() {
    Host::PluginHost::Options options;
    options.pluginPath = "/nonexistent";
    options.hostContext = Client::Testing::kTestHostContext;
    options.maxIdleYields = 50;
    return options;
  }

  Host::PluginHost host_{Options()};
  Host::LegacyPlatform legacy_{host_};
  Host::ServiceProxyService proxy_{host_};
  Host::PartiesService parties_{host_, proxy_};
  Client::Testing::VirtualClock clock_{&host_.Scheduler()};
  Platform::ScopedSteadyClockSource clockSource_{&Client::Testing::VirtualClock::Read, &clock_};
  PluginHostInit init_{host_.Table(), Client::Testing::kTestHostContext};
  GameflowFactory* factory_ = nullptr;
  std::unique_ptr<LobbyPlugin> plugin_;
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
