// The parties scenario's rig, shared by its tests: the world host/worlds/parties.json with the
// plugin library loaded, each step's replies, requests and published events as texts, and the
// scenario's steps (a party lobby made, B invited and joining, the queue changed, matchmaking
// started and cancelled, the lobby left and C's invitation accepted).
#pragma once

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/HostValue.h"
#include "host/LegacyPlatform.h"
#include "host/PartiesService.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"
#include "host/WorldFile.h"

namespace Zarn::Host::PartiesScenarioTesting {

using Texts = std::vector<std::string>;

inline constexpr char kLobby[] = "/jyx-lobby/v2/lobby";
inline constexpr char kMembers[] = "/jyx-lobby/v2/lobby/members";
inline constexpr char kPartyActive[] = "/jyx-lobby/v2/party-active";
inline constexpr char kComms[] = "/jyx-lobby/v2/comms/members";
inline constexpr char kGameflowEvent[] = "/jyx-gameflow/v1/session/event";

inline std::string GameMode(int queueId) {
  return "{\r\n    \"botDifficulty\": null,\r\n    \"gameType\": \"\",\r\n    \"maxPartySize\": 5,"
         "\r\n    \"queueId\": " +
         std::to_string(queueId) + "\r\n}";
}

// A lobby as "<party> <queue> members[<id> <role>...] invitations[<id> <state>...]".
inline std::string LobbySummary(const rapidjson::Value& lobby) {
  if (!lobby.IsObject()) return "no lobby";
  std::string text = std::string(lobby["partyId"].GetString()) + " " +
                     std::to_string(lobby["gameConfig"]["queueId"].GetInt()) + " members[";
  std::string sep;
  for (const auto& member : lobby["members"].GetArray()) {
    text += sep + std::to_string(member["summonerId"].GetUint64()) +
            (member["isLeader"].GetBool() ? " leader" : " member");
    sep = ",";
  }
  text += "] invitations[";
  sep.clear();
  for (const auto& invitation : lobby["invitations"].GetArray()) {
    text += sep + std::to_string(invitation["toSummonerId"].GetUint64()) + " " +
            invitation["state"].GetString();
    sep = ",";
  }
  return text + "]";
}

// What one step did, as texts.
struct Step {
  std::string answer;    // "<status> <error or body summary>"
  Texts sent;            // parties requests, "METHOD url body"
  Texts entered;         // LobbyFlow states entered
  Texts gameflowEvents;  // events posted to the gameflow plugin
  Texts published;       // "<uri> <eventType>[ <data summary>]" of the resources followed
  bool operator==(const Step&) const = default;
};

inline void PrintTo(const Step& step, std::ostream* out) {
  *out << "answer: " << step.answer << "\n sent:";
  for (const auto& s : step.sent) *out << " [" << s << "]";
  *out << "\n entered:";
  for (const auto& s : step.entered) *out << " " << s;
  *out << "\n gameflow:";
  for (const auto& s : step.gameflowEvents) *out << " " << s;
  *out << "\n published:";
  for (const auto& s : step.published) *out << " [" << s << "]";
}

class Scenario {
 public:
  // `moreWorld`, when not empty, is a world loaded on top of the scenario's; `withLegacy` serves
  // the legacy platform too.
  explicit Scenario(PartiesPush push, const std::string& moreWorld = "", bool withLegacy = false) {
    PluginHost::Options options;
    options.maxIdleYields = 50;
    host_ = std::make_unique<PluginHost>(options);
    proxy_ = std::make_unique<ServiceProxyService>(*host_);
    parties_ = std::make_unique<PartiesService>(*host_, *proxy_);
    if (withLegacy) legacy_ = std::make_unique<LegacyPlatform>(*host_);
    const WorldServices services{legacy_.get(), proxy_.get(), parties_.get()};
    std::string error;
    EXPECT_TRUE(LoadWorldFile(*host_, JYX_PARTIES_WORLD, &error, services)) << error;
    if (!moreWorld.empty()) {
      EXPECT_TRUE(LoadWorld(*host_, moreWorld, &error, services)) << error;
    }
    parties_->SetPush(push);
    EXPECT_TRUE(host_->Load().accepted);
    EXPECT_TRUE(host_->Initialize());
    host_->RunDue();
    host_->ClearRecords();
    parties_->ClearRecords();
  }
  ~Scenario() {
    if (host_->Loaded()) host_->Shutdown();
  }

  // Calls a route and records the step.
  Step Call(const std::string& method, const std::string& path, const std::string& body = "") {
    if (secondsBeforeCall_ > 0) host_->Advance(secondsBeforeCall_);
    const RouteAnswer answer = host_->CallRoute(method, path, body);
    host_->RunDue();
    Step step = Take();
    step.answer = std::to_string(answer.status) + " ";
    if (answer.error.has_value()) {
      step.answer += *answer.error;
    } else {
      rapidjson::Document json;
      std::string error;
      step.answer += ParseHostJson(answer.body, &json, &error) && json.IsObject() &&
                             json.HasMember("partyId") && json.HasMember("members")
                         ? LobbySummary(json)
                         : answer.body;
    }
    return step;
  }
  // Records what happened since the last step (another player's action, say).
  Step Take() {
    Step step;
    for (const PartiesRecord& record : parties_->Records()) {
      step.sent.push_back(record.method + " " + record.url +
                          (record.body.empty() ? "" : " " + record.body));
    }
    const std::string entering = "LobbyFlow: entering state '";
    for (const LogLine& line : host_->Records().logs) {
      if (line.message.starts_with(entering)) {
        step.entered.push_back(
            line.message.substr(entering.size(), line.message.size() - entering.size() - 1));
      }
    }
    for (const CoreRequest& request : host_->Records().requests) {
      if (request.path == kGameflowEvent && !request.arguments.empty()) {
        step.gameflowEvents.push_back(request.arguments[0]);
      }
    }
    for (const PublishedEvent& event : host_->Records().published) {
      if (event.name != "OnJsonApiEvent") continue;
      rapidjson::Document json;
      std::string error;
      if (!ParseHostJson(event.payload, &json, &error) || !json.IsObject()) continue;
      const std::string uri = json["uri"].GetString();
      std::string text = uri + " " + json["eventType"].GetString();
      if (uri == kLobby) {
        text += " " + LobbySummary(json["data"]);
      } else if (uri == kPartyActive) {
        text += json["data"].GetBool() ? " true" : " false";
      } else if (uri != kMembers && uri != kComms) {
        continue;
      }
      step.published.push_back(text);
    }
    telemetry_.push_back(host_->Records().telemetry);
    host_->ClearRecords();
    parties_->ClearRecords();
    return step;
  }

  // The virtual clock moves on by `seconds` before each route call, the moment of each call apart.
  void AdvanceBeforeEachCall(double seconds) { secondsBeforeCall_ = seconds; }
  // The telemetry events of each Take (a Call takes too), in order.
  const std::vector<std::vector<TelemetryEvent>>& TelemetryByTake() const { return telemetry_; }

  PluginHost& Host() { return *host_; }
  PartiesService& Parties() { return *parties_; }
  ServiceProxyService& Proxy() { return *proxy_; }
  // Only with `withLegacy`.
  LegacyPlatform& Legacy() { return *legacy_; }

 private:
  std::unique_ptr<PluginHost> host_;
  std::unique_ptr<ServiceProxyService> proxy_;
  std::unique_ptr<PartiesService> parties_;
  std::unique_ptr<LegacyPlatform> legacy_;
  double secondsBeforeCall_ = 0;
  std::vector<std::vector<TelemetryEvent>> telemetry_;
};

// Plays the scenario's steps on `s`: eleven takes, the one after C's invitation not returned.
inline std::vector<Step> RunScenario(Scenario& s) {
  std::vector<Step> steps;
  steps.push_back(s.Call("POST", kLobby, R"({"queueId":420,"isCustom":false})"));
  steps.push_back(s.Call("GET", kPartyActive));
  steps.push_back(s.Call("POST", "/jyx-lobby/v2/lobby/invitations", R"([{"toSummonerId":10}])"));
  EXPECT_EQ(s.Parties().Accept("puuid-b", "party-3").httpStatus, 200);
  s.Host().RunDue();
  steps.push_back(s.Take());
  steps.push_back(s.Call("POST", kLobby, R"({"queueId":440,"isCustom":false})"));
  steps.push_back(s.Call("POST", "/jyx-lobby/v2/lobby/matchmaking/search"));
  steps.push_back(s.Call("DELETE", "/jyx-lobby/v2/lobby/matchmaking/search"));
  steps.push_back(s.Call("DELETE", kLobby));
  EXPECT_EQ(s.Parties()
                .Act("puuid-c", "PUT", "v1/parties/party-2/gamemode",
                     R"({"queueId":420,"maxPartySize":5})")
                .httpStatus,
            200);
  EXPECT_EQ(s.Parties().Invite("puuid-c", "puuid-a").httpStatus, 200);
  s.Host().RunDue();
  s.Take();
  steps.push_back(s.Call("GET", "/jyx-lobby/v2/received-invitations"));
  steps.push_back(s.Call("POST", "/jyx-lobby/v2/received-invitations/party-2/accept"));
  return steps;
}

inline std::vector<Step> RunScenario(PartiesPush push) {
  Scenario s(push);
  return RunScenario(s);
}

}  // namespace Zarn::Host::PartiesScenarioTesting
