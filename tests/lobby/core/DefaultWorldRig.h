// The plugin in-process on the stand-in host's table with the default world: its legacy platform,
// service proxy and parties service, virtual steady and wall clocks, and the searches of what the
// host recorded. A fixture adds its own seeds between loading the world and starting the plugin.
#pragma once

#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
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
#include "lobby/core/LobbyPlugin.h"
#include "tests/lobby/core/GameflowAnswers.h"
#include "tests/lobby/core/HostRecordSearches.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/sdk/platform/SteadyClockTesting.h"
#include "tests/sdk/platform/WallClockTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client::Lobby::WorldTesting {

inline constexpr char kGameflowSessionPath[] = "/jyx-gameflow/v1/session";
inline constexpr char kGameflowEventPath[] = "/jyx-gameflow/v1/session/event";
using Host::Testing::kRequestLobbyPath;

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
  std::string data;  // compact JSON; empty for none (a Delete)
};

// One host with the default world and, once started, the plugin on it. Keep one alive at a time:
// the clocks' sources are the process's. The host keeps what the plugin scheduled after the plugin
// is gone: a world is never used after its plugin's shutdown but to read records.
class DefaultWorldRig {
 public:
  // Without `defaultWorld` the host starts empty, for a fixture that seeds a world of its own.
  explicit DefaultWorldRig(bool defaultWorld = true) {
    if (!defaultWorld) return;
    std::string error;
    EXPECT_TRUE(
        Host::LoadWorldFile(host_, JYX_DEFAULT_WORLD, &error, {&legacy_, &proxy_, &parties_}))
        << error;
  }
  ~DefaultWorldRig() {
    if (plugin_ != nullptr) plugin_->Shutdown();
  }
  DefaultWorldRig(const DefaultWorldRig&) = delete;
  DefaultWorldRig& operator=(const DefaultWorldRig&) = delete;

  // Loads and starts the plugin in the world as it now is, and runs what is due.
  void Start(std::unique_ptr<LobbyComponentFactory> factory =
                 std::make_unique<BackendComponentFactory>()) {
    ASSERT_EQ(plugin_, nullptr);
    plugin_ = std::make_unique<LobbyPlugin>(std::move(factory));
    PluginLoadResult record{};
    record.major = 18;
    ASSERT_TRUE(LoadPlugin(plugin_.get(), &record, "jyx-lobby"));
    ASSERT_TRUE(plugin_->Initialize(&init_));
    host_.RunDue();
  }
  // The shutdown entry, as the host calls it: the plugin is marked and deleted.
  void ShutDown() { Plugin::ShutdownEntry(plugin_.release()); }

  LobbyPlugin& Plugin() { return *plugin_; }
  PartiesLobbyBackend& Backend() {
    return *static_cast<PartiesLobbyBackend*>(plugin_->GetPartiesBackend());
  }
  Api::Lobby& V1Lobby() { return LobbyPluginTesting::V1Lobby(*plugin_); }
  [[nodiscard]] std::string State() const {
    const LobbyState* state = LobbyPluginTesting::StateMachine(*plugin_).GetCurrentState();
    return state != nullptr ? state->name : "none";
  }
  // Fires each event, failing the test at one not handled.
  void Drive(const std::vector<LobbyEvent>& events) {
    for (const LobbyEvent& event : events) {
      ASSERT_TRUE(plugin_->ProcessLobbyEvent(event)) << event << " in " << State();
    }
  }

  // Sets the gameflow session resource and runs its delivery.
  void SetSession(const std::string& json) {
    host_.SetResource(kGameflowSessionPath, json);
    host_.RunDue();
  }
  void SetPhase(const std::string& phase) { SetSession(R"({"phase":")" + phase + R"("})"); }
  // Lets the gameflow plugin allow the next eight lobbies.
  void AllowLobbies() { Host::Testing::AnswerLobbyRequests(host_, true, 8); }
  // Calls the plugin's route as the host does, and runs what is due.
  Host::RouteAnswer Call(const char* method, const std::string& path,
                         const std::string& body = "") {
    int releases = 0;
    const Host::RouteAnswer answer =
        Host::CallRoute(Host::RoutesOf(&plugin_->Snapshot()), Host::HostMethodCode(method), path,
                        body, Client::Testing::kTestHostContext, &releases);
    host_.RunDue();
    return answer;
  }
  // Adds one parties script for `path`, answered at `timing` (during the post by default).
  void Script(const std::string& path, Host::PartiesScript::Kind kind, std::int32_t status = 500,
              const std::string& code = "",
              Host::ProxyScript::Timing timing = Host::ProxyScript::Timing::DuringPost,
              int yield = 1) {
    Host::PartiesScript script;
    script.path = path;
    script.kind = kind;
    script.httpStatus = status;
    script.errorCode = code;
    script.timing = timing;
    script.yield = yield;
    parties_.AddScript(script);
  }
  // Adds a parties script answering `uses` requests `method path` with `status`.
  void Script(const std::string& method, const std::string& path, std::int32_t status,
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

  [[nodiscard]] std::size_t Mark() const { return host_.Records().requests.size(); }
  [[nodiscard]] std::size_t LogMark() const { return host_.Records().logs.size(); }
  [[nodiscard]] std::size_t EventMark() const { return host_.Records().published.size(); }
  [[nodiscard]] std::size_t LegacyMark() const { return legacy_.Invocations().size(); }
  [[nodiscard]] std::size_t PartiesMark() const { return parties_.Records().size(); }
  [[nodiscard]] std::size_t ScheduleMark() const { return host_.Records().scheduledLabels.size(); }

  // The resource events published at `uri` from the `from`-th publication on.
  [[nodiscard]] std::vector<Publication> Published(const std::string& uri,
                                                   std::size_t from = 0) const {
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
      found.push_back(Publication{document["eventType"].GetString(),
                                  document.HasMember("data") && !document["data"].IsNull()
                                      ? Compact(document["data"])
                                      : std::string()});
    }
    return found;
  }
  // The whole payloads of the resource events at `uri` from the `from`-th publication on.
  [[nodiscard]] std::vector<std::string> Payloads(const std::string& uri,
                                                  std::size_t from = 0) const {
    return Host::Testing::Payloads(host_.Records(), uri, from);
  }
  // The uris of every resource event from the `from`-th on, each as "<eventType> <uri>".
  [[nodiscard]] std::vector<std::string> PublishedUris(std::size_t from = 0) const {
    std::vector<std::string> found;
    const std::vector<Host::PublishedEvent>& published = host_.Records().published;
    for (std::size_t i = from; i < published.size(); ++i) {
      if (published[i].name != "OnJsonApiEvent") continue;
      rapidjson::Document document;
      document.Parse(published[i].payload.c_str());
      if (document.HasParseError() || !document.IsObject()) continue;
      found.push_back(std::string(document["eventType"].GetString()) + " " +
                      document["uri"].GetString());
    }
    return found;
  }
  // The first argument of each request to `path` from the `from`-th request on.
  [[nodiscard]] std::vector<std::string> Sent(const std::string& path, std::size_t from = 0) const {
    std::vector<std::string> found;
    for (const Host::CoreRequest* request : RequestsTo(path, from)) {
      found.push_back(request->arguments.empty() ? std::string() : request->arguments[0]);
    }
    return found;
  }
  // The same, each as "<method code> <first argument>".
  [[nodiscard]] std::vector<std::string> SentWithMethods(const std::string& path,
                                                         std::size_t from = 0) const {
    std::vector<std::string> found;
    for (const Host::CoreRequest* request : RequestsTo(path, from)) {
      found.push_back(std::to_string(request->method) + " " +
                      (request->arguments.empty() ? std::string() : request->arguments[0]));
    }
    return found;
  }
  // The host method code of each request to `path` from the `from`-th request on.
  [[nodiscard]] std::vector<std::uint32_t> Methods(const std::string& path,
                                                   std::size_t from = 0) const {
    std::vector<std::uint32_t> found;
    for (const Host::CoreRequest* request : RequestsTo(path, from)) {
      found.push_back(request->method);
    }
    return found;
  }
  // The gameflow events posted from the `from`-th request on.
  [[nodiscard]] std::vector<std::string> GameflowEvents(std::size_t from = 0) const {
    return Sent(kGameflowEventPath, from);
  }
  // The host requests from `from` on, in order: legacy calls as "lcds <method>", the parties
  // service's as "parties", gameflow events as their names, others as their paths.
  [[nodiscard]] std::vector<std::string> Requests(std::size_t from) const {
    std::vector<std::string> found;
    const std::vector<Host::CoreRequest>& requests = host_.Records().requests;
    for (std::size_t i = from; i < requests.size(); ++i) {
      const Host::CoreRequest& request = requests[i];
      if (request.path == Host::kLcdsInvokePath && request.arguments.size() > 1) {
        rapidjson::Document method;
        method.Parse(request.arguments[1].c_str());
        found.push_back(std::string("lcds ") + (method.IsString() ? method.GetString() : "?"));
      } else if (request.path == Host::kProxyUuidRequestsPath) {
        found.push_back("parties");
      } else if (request.path == kGameflowEventPath) {
        found.push_back(request.arguments.empty() ? "" : request.arguments[0]);
      } else {
        found.push_back(request.path);
      }
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
  // The states entered from log line `from` on, in order.
  [[nodiscard]] std::vector<std::string> Entered(std::size_t from) const {
    std::vector<std::string> states;
    const std::string prefix = "LobbyFlow: entering state '";
    const std::vector<Host::LogLine>& logs = host_.Records().logs;
    for (std::size_t i = from; i < logs.size(); ++i) {
      if (logs[i].message.rfind(prefix, 0) != 0) continue;
      states.push_back(
          logs[i].message.substr(prefix.size(), logs[i].message.size() - prefix.size() - 1));
    }
    return states;
  }
  // The legacy methods called from the `from`-th invocation on, each with its arguments.
  [[nodiscard]] std::vector<std::string> LegacyCalls(std::size_t from = 0) const {
    std::vector<std::string> found;
    const std::vector<Host::LcdsInvocation>& calls = legacy_.Invocations();
    for (std::size_t i = from; i < calls.size(); ++i) {
      found.push_back(calls[i].method + " " + calls[i].arguments);
    }
    return found;
  }
  // "METHOD url" of each request the parties service received from `from` on; with `bodies`,
  // each followed by its body.
  [[nodiscard]] std::vector<std::string> PartiesSent(std::size_t from = 0,
                                                     bool bodies = false) const {
    std::vector<std::string> sent;
    const std::vector<Host::PartiesRecord>& records = parties_.Records();
    for (std::size_t i = from; i < records.size(); ++i) {
      sent.push_back(records[i].method + " " + records[i].url +
                     (bodies && !records[i].body.empty() ? " " + records[i].body : ""));
    }
    return sent;
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
  // The delays of the timer `name` as set, in seconds, from the `from`-th scheduling on.
  [[nodiscard]] std::vector<double> TimerDelays(const std::string& name,
                                                std::size_t from = 0) const {
    std::vector<double> delays;
    const Host::HostRecords& records = host_.Records();
    for (std::size_t i = from; i < records.scheduledLabels.size(); ++i) {
      if (records.scheduledLabels[i] == "Timer: " + name) {
        delays.push_back(records.scheduledDelays[i]);
      }
    }
    return delays;
  }

  static std::int64_t ReadWall(void* context) {
    auto* rig = static_cast<DefaultWorldRig*>(context);
    return Host::kPluginWallClockStart + rig->host_.Scheduler().Now() + rig->wallSkew_;
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
  std::int64_t wallSkew_ = 0;
  Platform::ScopedWallClockSource wallSource_{&ReadWall, this};
  PluginHostInit init_{host_.Table(), Client::Testing::kTestHostContext};
  std::unique_ptr<LobbyPlugin> plugin_;

 private:
  [[nodiscard]] std::vector<const Host::CoreRequest*> RequestsTo(const std::string& path,
                                                                 std::size_t from) const {
    std::vector<const Host::CoreRequest*> found;
    const std::vector<Host::CoreRequest>& requests = host_.Records().requests;
    for (std::size_t i = from; i < requests.size(); ++i) {
      if (requests[i].path == path) found.push_back(&requests[i]);
    }
    return found;
  }
};

}  // namespace Zarn::Client::Lobby::WorldTesting
