// The plugin in-process on the stand-in host with the default world, its real backends and
// controllers and the host's legacy platform, for the tests of received invitations, the legacy
// lobby messages, the search routes and the reconnection. Queue 420 is an arranged-team queue.
#pragma once

#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PartiesService.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"
#include "host/WorldFile.h"
#include "lobby/backends/BackendComponentFactory.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/platform/SteadyClockTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client::Lobby::ReceivedTesting {

inline constexpr std::uint64_t kLocalId = 2046;  // the default world's player
inline constexpr std::uint64_t kInviterId = 77;
inline constexpr std::uint64_t kOwnerId = 78;
inline constexpr char kInviteService[] = "lcdsGameInvitationService";
inline constexpr char kInvitationClass[] =
    "com.zarnworks.platform.gameinvite.contract.InvitationRequest";
inline constexpr char kLobbyStatusClass[] =
    "com.zarnworks.platform.gameinvite.contract.LobbyStatus";
inline constexpr char kRemovedClass[] =
    "com.zarnworks.platform.gameinvite.contract.RemovedFromLobbyNotification";
inline constexpr char kV1Received[] = "/jyx-lobby/v1/received-invitations/";
inline constexpr char kV2Received[] = "/jyx-lobby/v2/received-invitations";
inline constexpr char kFlashPath[] = "/zarnclient/ux-flash";
inline constexpr char kSummonersPath[] = "/jyx-summoner/v2/summoners";
inline constexpr char kEligibilityPath[] = "/jyx-queue-eligibility/v3/eligibility";
inline constexpr char kQueuePath[] = "/jyx-game-queues/v1/queues/420";
inline constexpr char kRequestLobbyPath[] = "/jyx-gameflow/v1/session/request-lobby";
inline constexpr char kSessionEventPath[] = "/jyx-gameflow/v1/session/event";
inline constexpr char kMetaData420[] = R"({"queueId":420,"gameType":"NORMAL_GAME"})";

inline std::string Compact(const rapidjson::Value& value) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  value.Accept(writer);
  return buffer.GetString();
}

// `text` as a JSON string.
inline std::string Quoted(const std::string& text) {
  rapidjson::Value value(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
  return Compact(value);
}

// An invitation message's body.
inline std::string InvitationJson(const std::string& id, const std::string& state,
                                  std::uint64_t inviter = kInviterId,
                                  const std::string& metaData = kMetaData420) {
  return R"({"invitationId":)" + Quoted(id) + R"(,"owner":{"summonerId":)" +
         std::to_string(kOwnerId) + R"(},"inviter":{"summonerId":)" + std::to_string(inviter) +
         R"(},"invitationState":")" + state + R"(","gameMetaData":)" + Quoted(metaData) + "}";
}

// A legacy lobby status of queue 420 owned by `owner`, with `members` and the local player
// invited.
inline std::string LobbyStatusJson(const std::string& lobbyId, std::uint64_t owner,
                                   const std::vector<std::uint64_t>& members) {
  std::string list;
  for (std::uint64_t id : members) {
    list += (list.empty() ? "" : ",") + std::string(R"({"summonerId":)") + std::to_string(id) + "}";
  }
  return R"({"invitationId":)" + Quoted(lobbyId) + R"(,"owner":{"summonerId":)" +
         std::to_string(owner) + R"(},"members":[)" + list + R"(],"invitees":[{"summonerId":)" +
         std::to_string(owner) + R"(,"inviteeState":"CREATOR"},{"summonerId":)" +
         std::to_string(kLocalId) + R"(,"inviteeState":"ACCEPTED"}],"gameMetaData":)" +
         Quoted(kMetaData420) + "}";
}

// The legacy platform's answer of a `typeName` body.
inline Host::LcdsAnswer Answer(const std::string& typeName, const std::string& body) {
  Host::LcdsAnswer answer;
  answer.typeName = typeName;
  answer.body = body;
  return answer;
}

struct Publication {
  std::string eventType;
  std::string data;  // compact JSON; empty for a Delete
};

class ReceivedWorld {
 public:
  // `prepare` runs before the world's own scripted replies, so that its replies answer first.
  explicit ReceivedWorld(const std::function<void(Host::PluginHost&)>& prepare = {}) {
    plugin_ = std::make_unique<LobbyPlugin>(std::make_unique<BackendComponentFactory>());
    std::string error;
    if (!Host::LoadWorldFile(host_, JYX_DEFAULT_WORLD, &error, {&legacy_, &proxy_, &parties_})) {
      ADD_FAILURE() << error;
    }
    if (prepare) prepare(host_);
    host_.SeedResource("/jyx-game-queues/v1/queues", R"([{"id":420,"minLevel":0}])");
    host_.SeedResource(kQueuePath, R"({"id":420,"mapId":11,"gameMode":"CLASSIC"})");
    Host::ScriptedReply allowed;
    allowed.json = "true";
    host_.ScriptReply(kRequestLobbyPath, allowed);
    Host::ScriptedReply eligible;
    eligible.json = R"([{"queueId":420,"eligible":true,"restrictions":[]}])";
    host_.ScriptReply(kEligibilityPath, eligible);
    Host::ScriptedReply names;
    names.json = R"([{"summonerId":77,"displayName":"Inviter"},)"
                 R"({"summonerId":2046,"displayName":"Local"}])";
    host_.ScriptReply(kSummonersPath, names);
    for (const char* method : {"leave", "decline", "grantInvitePrivileges"}) {
      legacy_.Script(kInviteService, method, Host::LcdsAnswer{});
    }
    PluginLoadResult record{};
    record.major = 18;
    EXPECT_TRUE(LoadPlugin(plugin_.get(), &record, "jyx-lobby"));
    EXPECT_TRUE(plugin_->Initialize(&init_));
    host_.RunDue();
    EXPECT_EQ(plugin_->LocalSummonerId(), kLocalId);
  }
  ~ReceivedWorld() { plugin_->Shutdown(); }
  ReceivedWorld(const ReceivedWorld&) = delete;
  ReceivedWorld& operator=(const ReceivedWorld&) = delete;

  LobbyPlugin& Plugin() { return *plugin_; }
  Api::Lobby& V1Lobby() { return LobbyPluginTesting::V1Lobby(*plugin_); }
  std::string State() const {
    const LobbyState* state = plugin_->GetStateMachine().GetCurrentState();
    return state != nullptr ? state->name : "none";
  }

  // Pushes a legacy message and runs its delivery.
  void Push(const char* className, const std::string& body) {
    ASSERT_TRUE(legacy_.Push(className, body)) << body;
    host_.RunDue();
  }
  void PushInvitation(const std::string& id, const std::string& state,
                      std::uint64_t inviter = kInviterId,
                      const std::string& metaData = kMetaData420) {
    Push(kInvitationClass, InvitationJson(id, state, inviter, metaData));
  }
  // The legacy platform answers "accept" with a status of `lobbyId`, owned by kOwnerId, whose
  // members are the owner and the local player.
  void ScriptAccept(const std::string& lobbyId) {
    legacy_.Script(
        kInviteService, "accept",
        Answer(kLobbyStatusClass, LobbyStatusJson(lobbyId, kOwnerId, {kOwnerId, kLocalId})));
  }
  void ScriptLegacyFailure(const std::string& method, const std::string& text) {
    Host::LcdsAnswer failure;
    failure.exception = text;
    legacy_.Script(kInviteService, method, failure);
  }
  // Receives invitation `id` to lobby `lobbyId` and accepts it through the v2 route: the local
  // player is a Member of the arranged-team lobby.
  void JoinLobby(const std::string& id, const std::string& lobbyId) {
    PushInvitation(id, "ACTIVE");
    ScriptAccept(lobbyId);
    const HttpResponse reply = plugin_->HandleAcceptReceivedInvitation(id);
    ASSERT_TRUE(reply.ok) << reply.message;
    ASSERT_EQ(State(), "Member");
  }

  std::size_t EventMark() const { return host_.Records().published.size(); }
  std::size_t Mark() const { return host_.Records().requests.size(); }
  std::size_t LogMark() const { return host_.Records().logs.size(); }
  std::size_t LegacyMark() const { return legacy_.Invocations().size(); }

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
      found.push_back(Publication{document["eventType"].GetString(),
                                  document.HasMember("data") && !document["data"].IsNull()
                                      ? Compact(document["data"])
                                      : std::string()});
    }
    return found;
  }
  // The uris of every resource event from the `from`-th on, each as "<eventType> <uri>".
  std::vector<std::string> PublishedUris(std::size_t from = 0) const {
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
  std::vector<std::string> Sent(const std::string& path, std::size_t from = 0) const {
    std::vector<std::string> found;
    const std::vector<Host::CoreRequest>& requests = host_.Records().requests;
    for (std::size_t i = from; i < requests.size(); ++i) {
      if (requests[i].path != path) continue;
      found.push_back(requests[i].arguments.empty() ? std::string() : requests[i].arguments[0]);
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
  // The legacy methods called from the `from`-th invocation on, each with its arguments.
  std::vector<std::string> LegacyCalls(std::size_t from = 0) const {
    std::vector<std::string> found;
    const std::vector<Host::LcdsInvocation>& calls = legacy_.Invocations();
    for (std::size_t i = from; i < calls.size(); ++i) {
      found.push_back(calls[i].method + " " + calls[i].arguments);
    }
    return found;
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
  std::unique_ptr<LobbyPlugin> plugin_;
};

// A fresh world per test, and per row where a test needs one.
class ReceivedTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void Reset(const std::function<void(Host::PluginHost&)>& prepare = {}) {
    world_.reset();
    world_ = std::make_unique<ReceivedWorld>(prepare);
  }
  ReceivedWorld& W() { return *world_; }

  std::unique_ptr<ReceivedWorld> world_;
};

}  // namespace Zarn::Client::Lobby::ReceivedTesting
