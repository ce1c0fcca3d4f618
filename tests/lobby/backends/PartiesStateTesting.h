// The plugin with its real backends in-process on the stand-in host, in the default world (which
// a test may change before starting the plugin), with the host's parties service, for the tests
// of the parties registration and state.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PartiesService.h"
#include "host/PluginClock.h"
#include "host/PluginHost.h"
#include "host/RouteCaller.h"
#include "host/ServiceProxyService.h"
#include "host/WorldFile.h"
#include "lobby/backends/BackendComponentFactory.h"
#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/platform/SteadyClockTesting.h"
#include "sdk/platform/WallClockTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client::Lobby::PartiesStateTesting {

// The default world's player.
inline constexpr char kPuuid[] = "puuid-stand-in";
inline constexpr std::uint64_t kSummonerId = 2046;
inline constexpr char kPlayerPath[] = "v1/players/puuid-stand-in";
inline constexpr char kSessionPath[] = "/jyx-login/v1/session";
inline constexpr char kLockPath[] = "/jyx-login/v1/shutdown-locks/jyx-lobby";
inline constexpr char kSearchPath[] = "/jyx-matchmaking/v1/search";
inline constexpr char kGameflowSessionPath[] = "/jyx-gameflow/v1/session";
inline constexpr char kRequestLobbyPath[] = "/jyx-gameflow/v1/session/request-lobby";
inline constexpr char kNotificationsPath[] =
    "/zarn-messaging-service/v1/message/parties/v1/notifications";
inline constexpr char kConfig[] = "/jyx-platform-config/v1/namespaces/Parties/";

// One host with its world and the plugin on it. The host keeps what the plugin scheduled after
// the plugin is gone: a world is never used after its plugin's shutdown but to read records.
class PartiesWorld {
 public:
  PartiesWorld() {
    std::string error;
    EXPECT_TRUE(
        Host::LoadWorldFile(host_, JYX_DEFAULT_WORLD, &error, {&legacy_, &proxy_, &parties_}))
        << error;
  }
  ~PartiesWorld() {
    if (plugin_ != nullptr) ShutDown();
  }
  PartiesWorld(const PartiesWorld&) = delete;
  PartiesWorld& operator=(const PartiesWorld&) = delete;
  // Loads and starts the plugin in the world as it now is, and runs what is due.
  void Start() {
    ASSERT_EQ(plugin_, nullptr);
    plugin_ = new LobbyPlugin(std::make_unique<BackendComponentFactory>());
    PluginLoadResult record{};
    record.major = 18;
    ASSERT_TRUE(LoadPlugin(plugin_, &record, "jyx-lobby"));
    ASSERT_TRUE(plugin_->Initialize(&init_));
    host_.RunDue();
  }
  // The shutdown entry, as the host calls it: the plugin is marked and deleted.
  void ShutDown() {
    Plugin::ShutdownEntry(plugin_);
    plugin_ = nullptr;
  }

  LobbyPlugin& Plugin() { return *plugin_; }
  PartiesLobbyBackend& Backend() {
    return *static_cast<PartiesLobbyBackend*>(plugin_->GetPartiesBackend());
  }
  std::string State() const {
    const LobbyState* state = plugin_->GetStateMachine().GetCurrentState();
    return state != nullptr ? state->name : "none";
  }
  // Lets the gameflow plugin allow lobbies.
  void AllowLobbies() {
    Host::ScriptedReply allowed;
    allowed.json = "true";
    for (int i = 0; i < 8; ++i) host_.ScriptReply(kRequestLobbyPath, allowed);
  }
  void SetPhase(const std::string& phase) {
    host_.SetResource(kGameflowSessionPath, R"({"phase":")" + phase + R"("})");
    host_.RunDue();
  }
  Host::RouteAnswer Call(const char* method, const std::string& path,
                         const std::string& body = "") {
    int releases = 0;
    const Host::RouteAnswer answer =
        Host::CallRoute(Host::RoutesOf(&plugin_->Snapshot()), Host::HostMethodCode(method), path,
                        body, Client::Testing::kTestHostContext, &releases);
    host_.RunDue();
    return answer;
  }

  // "METHOD url" of the parties requests from the `from`-th on.
  [[nodiscard]] std::vector<std::string> PartiesSent(std::size_t from = 0) const {
    std::vector<std::string> sent;
    const std::vector<Host::PartiesRecord>& records = parties_.Records();
    for (std::size_t i = from; i < records.size(); ++i) {
      sent.push_back(records[i].method + " " + records[i].url);
    }
    return sent;
  }
  [[nodiscard]] std::size_t PartiesMark() const { return parties_.Records().size(); }
  [[nodiscard]] std::size_t Mark() const { return host_.Records().requests.size(); }
  [[nodiscard]] std::size_t LogMark() const { return host_.Records().logs.size(); }
  // The requests to `path` from the `from`-th on, as "<method code> <first argument>".
  [[nodiscard]] std::vector<std::string> Sent(const std::string& path, std::size_t from = 0) const {
    std::vector<std::string> found;
    const std::vector<Host::CoreRequest>& requests = host_.Records().requests;
    for (std::size_t i = from; i < requests.size(); ++i) {
      if (requests[i].path != path) continue;
      found.push_back(std::to_string(requests[i].method) + " " +
                      (requests[i].arguments.empty() ? std::string() : requests[i].arguments[0]));
    }
    return found;
  }
  // The log lines from `from` on that contain `text`, as "<level>|<message>".
  [[nodiscard]] std::vector<std::string> Logged(const std::string& text,
                                                std::size_t from = 0) const {
    std::vector<std::string> found;
    const std::vector<Host::LogLine>& logs = host_.Records().logs;
    for (std::size_t i = from; i < logs.size(); ++i) {
      if (logs[i].message.find(text) != std::string::npos) {
        found.push_back(std::to_string(logs[i].level) + "|" + logs[i].message);
      }
    }
    return found;
  }
  // The positional values of each telemetry event `name`, in order.
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
  // The published events at `uri` from the `from`-th publication on (their payloads).
  [[nodiscard]] std::vector<std::string> Published(const std::string& uri,
                                                   std::size_t from = 0) const {
    std::vector<std::string> found;
    const std::vector<Host::PublishedEvent>& published = host_.Records().published;
    const std::string mark = "\"uri\":\"" + uri + "\"";
    for (std::size_t i = from; i < published.size(); ++i) {
      if (published[i].name == "OnJsonApiEvent" &&
          published[i].payload.find(mark) != std::string::npos) {
        found.push_back(published[i].payload);
      }
    }
    return found;
  }
  [[nodiscard]] std::size_t PublishedMark() const { return host_.Records().published.size(); }
  // The delays of the timer `name` as set, in seconds, from the `from`-th scheduling on.
  [[nodiscard]] std::vector<double> TimerDelays(const std::string& name,
                                                std::size_t from = 0) const {
    std::vector<double> delays;
    const Host::HostRecords& records = host_.Records();
    for (std::size_t i = from; i < records.scheduledLabels.size(); ++i) {
      if (records.scheduledLabels[i] == "Timer: " + name)
        delays.push_back(records.scheduledDelays[i]);
    }
    return delays;
  }
  [[nodiscard]] std::size_t ScheduleMark() const { return host_.Records().scheduledLabels.size(); }

  void Script(const std::string& method, const std::string& path, int32_t status,
              std::string code = "", int uses = 1) {
    Host::PartiesScript script;
    script.method = method;
    script.path = path;
    script.kind = Host::PartiesScript::Kind::Status;
    script.httpStatus = status;
    script.errorCode = std::move(code);
    script.uses = uses;
    parties_.AddScript(script);
  }

  // A notification of the messaging service carrying `envelopeJson` as its payload text.
  void Notify(const std::string& envelopeJson) {
    host_.SetResource(kNotificationsPath, NotificationJson(envelopeJson));
    host_.RunDue();
  }
  [[nodiscard]] static std::string NotificationJson(const std::string& envelopeJson) {
    std::string escaped;
    for (char c : envelopeJson) {
      if (c == '"' || c == '\\') escaped += '\\';
      escaped += c;
    }
    return R"({"resource":"parties","service":"parties","version":"v1","timestamp":0,"payload":")" +
           escaped + "\"}";
  }
  static int64_t ReadWall(void* context) {
    auto* test = static_cast<PartiesWorld*>(context);
    return Host::kPluginWallClockStart + test->host_.Scheduler().Now() + test->wallSkew_;
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
  int64_t wallSkew_ = 0;
  Platform::ScopedWallClockSource wallSource_{&ReadWall, this};
  PluginHostInit init_{host_.Table(), Client::Testing::kTestHostContext};
  LobbyPlugin* plugin_ = nullptr;
};

// Each test, or each case of a table, in a world of its own.
class PartiesWorldTest : public ::testing::Test {
 protected:
  // A new world; the one before is gone.
  PartiesWorld& Fresh() {
    world_.reset();
    world_ = std::make_unique<PartiesWorld>();
    return *world_;
  }

  std::unique_ptr<PartiesWorld> world_;
};

}  // namespace Zarn::Client::Lobby::PartiesStateTesting
