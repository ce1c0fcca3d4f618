// The plugin in-process on the stand-in host with the default world, its real backends and
// controllers and the host's legacy platform, for the tests of received invitations, the legacy
// lobby messages, the search routes and the reconnection. Queue 420 is an arranged-team queue.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PluginHost.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/model/LegacyClassNames.h"
#include "tests/lobby/core/DefaultWorldRig.h"
#include "tests/lobby/core/GameflowAnswers.h"

namespace Zarn::Client::Lobby::ReceivedTesting {

inline constexpr std::uint64_t kLocalId = 2046;  // the default world's player
inline constexpr std::uint64_t kInviterId = 77;
inline constexpr std::uint64_t kOwnerId = 78;
inline constexpr char kInviteService[] = "lcdsGameInvitationService";
inline constexpr char kV1Received[] = "/jyx-lobby/v1/received-invitations/";
inline constexpr char kV2Received[] = "/jyx-lobby/v2/received-invitations";
inline constexpr char kFlashPath[] = "/zarnclient/ux-flash";
inline constexpr char kSummonersPath[] = "/jyx-summoner/v2/summoners";
inline constexpr char kEligibilityPath[] = "/jyx-queue-eligibility/v3/eligibility";
inline constexpr char kQueuePath[] = "/jyx-game-queues/v1/queues/420";
using WorldTesting::kRequestLobbyPath;
inline constexpr char kSessionEventPath[] = "/jyx-gameflow/v1/session/event";
inline constexpr char kMetaData420[] = R"({"queueId":420,"gameType":"VARNEL_GAME"})";

using WorldTesting::Compact;
using WorldTesting::Publication;

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

class ReceivedWorld : public WorldTesting::DefaultWorldRig {
 public:
  // `prepare` runs before the world's own scripted replies, so that its replies answer first.
  explicit ReceivedWorld(const std::function<void(Host::PluginHost&)>& prepare = {}) {
    if (prepare) prepare(host_);
    host_.SeedResource("/jyx-game-queues/v1/queues", R"([{"id":420,"minLevel":0}])");
    host_.SeedResource(kQueuePath, R"({"id":420,"mapId":11,"gameMode":"CLASSIC"})");
    Host::Testing::AnswerLobbyRequests(host_);
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
    Start();
    EXPECT_EQ(plugin_->LocalSummonerId(), kLocalId);
  }

  // Pushes a legacy message and runs its delivery.
  void Push(const char* className, const std::string& body) {
    ASSERT_TRUE(legacy_.Push(className, body)) << body;
    host_.RunDue();
  }
  void PushInvitation(const std::string& id, const std::string& state,
                      std::uint64_t inviter = kInviterId,
                      const std::string& metaData = kMetaData420) {
    Push(kInvitationRequestClass, InvitationJson(id, state, inviter, metaData));
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
