// Lobbies of arranged-team and team-builder queues through the plugin library as the stand-in
// host loads it, with its legacy platform and team-builder plugin.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PluginHost.h"
#include "host/TeamBuilderPlugin.h"
#include "tests/lobby/core/GameflowAnswers.h"
#include "tests/lobby/core/HostRecordSearches.h"

namespace Zarn::Host {
namespace {

using Names = std::vector<std::string>;

constexpr char kLobbyPath[] = "/jyx-lobby/v2/lobby";
constexpr char kV1LobbyPath[] = "/jyx-lobby/v1/lobby";
constexpr char kInviteService[] = "lcdsGameInvitationService";
constexpr char kLobbyStatusClass[] = "com.zarnworks.platform.gameinvite.contract.LobbyStatus";

std::string QueueJson(int id, int mapId, const char* gameMode, int size, bool teamBuilder) {
  return R"({"id":)" + std::to_string(id) + R"(,"mapId":)" + std::to_string(mapId) +
         R"(,"gameMode":")" + gameMode + R"(","maximumParticipantListSize":)" +
         std::to_string(size) + R"(,"isTeamBuilderManaged":)" + (teamBuilder ? "true" : "false") +
         R"(,"queueAvailability":"Available"})";
}

class ControllerLobbiesLoadedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PluginHost::Options options;
    options.maxIdleYields = 50;
    host = std::make_unique<PluginHost>(options);
    legacy = std::make_unique<LegacyPlatform>(*host);
    teamBuilder = std::make_unique<TeamBuilderPlugin>(*host);
    const std::vector<std::string> queues = {QueueJson(420, 11, "CLASSIC", 5, false),
                                             QueueJson(430, 11, "CLASSIC", 5, false),
                                             QueueJson(440, 12, "BATTLE", 5, true)};
    host->SeedResource("/jyx-game-queues/v1/queues",
                       "[" + queues[0] + "," + queues[1] + "," + queues[2] + "]");
    host->SeedResource("/jyx-game-queues/v1/queues/440", queues[2]);
    host->SeedResource("/jyx-login/v1/session",
                       R"({"state":"SUCCEEDED","summonerId":2046,"accountId":9001})");
    // Team-builder queues stay with the legacy platform.
    host->SeedResource("/jyx-platform-config/v1/namespaces/Parties/EnabledForTeamBuilderQueues",
                       "false");
    Host::Testing::AnswerLobbyRequests(*host);
    ASSERT_TRUE(host->Load().accepted);
    ASSERT_TRUE(host->Initialize());
    host->RunDue();
    host->ClearRecords();
  }
  void TearDown() override {
    if (host->Loaded()) host->Shutdown();
  }

  RouteAnswer Post(int queueId) {
    const RouteAnswer answer =
        host->CallRoute("POST", kLobbyPath, R"({"queueId":)" + std::to_string(queueId) + "}");
    host->RunDue();
    return answer;
  }
  // The machine's entries and exits, as "+State" and "-State".
  Names Flow() const { return Testing::FlowSteps(host->Records()); }
  Names GameflowEvents() const {
    Names events;
    for (const CoreRequest& request : host->Records().requests) {
      if (request.path == "/jyx-gameflow/v1/session/event" && !request.arguments.empty()) {
        events.push_back(request.arguments[0]);
      }
    }
    return events;
  }
  // Events published under the plain name for `uri`, in order.
  Names Published(const std::string& uri) const { return Testing::Payloads(host->Records(), uri); }
  Names Requests() const {
    Names requests;
    for (const CoreRequest& request : host->Records().requests) {
      const char* method = request.method == 1   ? "DELETE "
                           : request.method == 2 ? "GET "
                           : request.method == 6 ? "POST "
                                                 : "? ";
      requests.push_back(method + request.path);
    }
    return requests;
  }
  std::size_t IndexOf(const Names& names, const std::string& name) const {
    return static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
  }
  void ScriptStatus(const std::string& method, const std::string& invitationId, int queueId) {
    LcdsAnswer answer;
    answer.typeName = kLobbyStatusClass;
    answer.body = R"({"invitationId":")" + invitationId +
                  R"(","owner":{"summonerId":2046},"members":[{"summonerId":2046}],)"
                  R"("invitees":[],"gameMetaData":"{\"queueId\":)" +
                  std::to_string(queueId) + R"(}"})";
    legacy->Script(kInviteService, method, answer);
  }

  std::unique_ptr<PluginHost> host;
  std::unique_ptr<LegacyPlatform> legacy;
  std::unique_ptr<TeamBuilderPlugin> teamBuilder;
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(ControllerLobbiesLoadedTest, AnArrangedTeamLobbyIsLocalAndPublishedWhenThePostEnds) {
  const RouteAnswer answer = Post(420);
  ASSERT_FALSE(answer.error.has_value()) << *answer.error;
  EXPECT_TRUE(legacy->Invocations().empty()) << "no legacy call";
  EXPECT_EQ(Flow(), (Names{"+LobbyRequested", "-LobbyRequested", "-OutOfLobby", "+InLobby",
                           "+LegacyLobby", "+SoloLobby"}))
      << "OutOfLobby, LobbyRequested, SoloLobby";
  EXPECT_EQ(GameflowEvents(), Names{R"("GAMEFLOW_EVENT.ENTERED_LOBBY")"});

  const Names v1 = Published(kV1LobbyPath);
  ASSERT_EQ(v1.size(), 1u);
  for (const char* part :
       {R"("eventType":"Create")", R"("queueId":420)", R"("mapId":11)", R"("gameMode":"CLASSIC")",
        R"("maximumParticipantListSize":5)", R"("invitationId":"")"}) {
    EXPECT_TRUE(Has(v1[0], part)) << part << " in " << v1[0];
  }
  const std::size_t member = v1[0].find(R"("members":[{)");
  ASSERT_NE(member, std::string::npos);
  const std::string members = v1[0].substr(member, v1[0].find("]", member) - member);
  EXPECT_TRUE(Has(members, R"("id":2046)")) << members;
  EXPECT_TRUE(Has(members, R"("isOwner":true)"));
  EXPECT_TRUE(Has(members, R"("canInviteOthers":true)"));
  EXPECT_EQ(std::count(members.begin(), members.end(), '{'), 2) << "one member and its positions";

  const Names rewards = Published("/jyx-lobby/v1/party-rewards");
  ASSERT_FALSE(rewards.empty());
  EXPECT_TRUE(Has(rewards.back(), R"("isEnabled":false)")) << rewards.back();

  EXPECT_TRUE(Has(answer.body, R"("queueId":420)")) << answer.body;
  EXPECT_TRUE(Has(answer.body, R"("summonerId":2046)")) << answer.body;
  for (const char* path : {kLobbyPath, "/jyx-lobby/v2/lobby/members"}) {
    SCOPED_TRACE(path);
    const Names v2 = Published(path);
    ASSERT_EQ(v2.size(), 1u);
    EXPECT_TRUE(Has(v2[0], R"("eventType":"Create")")) << v2[0];
  }
  const Names order = [&] {
    Names uris;
    for (const PublishedEvent& event : host->Records().published) {
      if (event.name == "OnJsonApiEvent") uris.push_back(event.payload);
    }
    return uris;
  }();
  EXPECT_LT(IndexOf(order, v1[0]), IndexOf(order, Published(kLobbyPath)[0]))
      << "the v2 lobby when the batch closes";

  host->ClearRecords();
  const RouteAnswer left = host->CallRoute("DELETE", kLobbyPath, "");
  host->RunDue();
  EXPECT_FALSE(left.error.has_value()) << *left.error;
  EXPECT_TRUE(legacy->Invocations().empty()) << "a lobby without invitation id sends nothing";
  EXPECT_EQ(Flow().back(), "+OutOfLobby");
}

TEST_F(ControllerLobbiesLoadedTest, ChangingTheQueueReentersTheLegacyLobbyAndRecreatesTheV1Lobby) {
  ASSERT_FALSE(Post(420).error.has_value());
  host->ClearRecords();
  const RouteAnswer answer = Post(430);
  ASSERT_FALSE(answer.error.has_value()) << *answer.error;
  EXPECT_EQ(Flow(), (Names{"-SoloLobby", "-LegacyLobby", "+ChangingLobby", "-ChangingLobby",
                           "+LegacyLobby", "+SoloLobby"}))
      << "SoloLobby, ChangingLobby, SoloLobby, within InLobby";
  EXPECT_EQ(GameflowEvents(),
            (Names{R"("GAMEFLOW_EVENT.ENTERED_LOBBY")", R"("GAMEFLOW_EVENT.ENTERED_LOBBY")"}))
      << "no EXITED_LOBBY";
  const Names v1 = Published(kV1LobbyPath);
  ASSERT_EQ(v1.size(), 2u);
  EXPECT_TRUE(Has(v1[0], R"("eventType":"Delete")")) << v1[0];
  EXPECT_TRUE(Has(v1[1], R"("eventType":"Create")")) << v1[1];
  EXPECT_TRUE(Has(v1[1], R"("queueId":430)")) << v1[1];
  EXPECT_TRUE(legacy->Invocations().empty()) << "no invitation sent";
  EXPECT_TRUE(Has(answer.body, R"("queueId":430)")) << answer.body;
}

TEST_F(ControllerLobbiesLoadedTest, ATeamBuilderLobbyIsMadeOnBothSides) {
  ScriptStatus("createGroupFinderLobby", "tb-1", 440);
  const RouteAnswer answer = Post(440);
  ASSERT_FALSE(answer.error.has_value()) << *answer.error;
  const Names requests = Requests();
  const std::size_t posted = IndexOf(requests, "POST /jyx-lobby-team-builder/v1/lobby");
  const std::size_t invoked = IndexOf(requests, "POST /jyx-login/v1/session/invoke");
  ASSERT_LT(posted, requests.size());
  EXPECT_LT(posted, invoked);
  ASSERT_EQ(legacy->Invocations().size(), 1u);
  EXPECT_EQ(legacy->Invocations()[0].method, "createGroupFinderLobby");
  EXPECT_EQ(legacy->Invocations()[0].arguments, R"([440,"tb-1"])");
  const Names v1 = Published(kV1LobbyPath);
  ASSERT_FALSE(v1.empty());
  EXPECT_TRUE(Has(v1[0], R"("eventType":"Create")"));
  for (const char* part : {R"("mapId":12)", R"("gameMode":"BATTLE")",
                           R"("maximumParticipantListSize":5)", R"("invitationId":"tb-1")",
                           R"("chatRoomId":"cp~)", "@conference.lobby-chat.jyx.invalid\""}) {
    EXPECT_TRUE(Has(v1[0], part)) << part << " in " << v1[0];
  }
  const std::size_t room = v1[0].find(R"("chatRoomId":"cp~)") + 17;
  const std::string hash = v1[0].substr(room, v1[0].find('@', room) - room);
  EXPECT_EQ(hash.size(), 40u) << hash;
  EXPECT_EQ(hash.find_first_not_of("0123456789abcdef"), std::string::npos) << hash;
  EXPECT_EQ(Flow().back(), "+SoloLobby");
}

TEST_F(ControllerLobbiesLoadedTest, AFailingSideOfATeamBuilderLobbyFailsTheLobby) {
  struct Row {
    const char* label;
    bool teamBuilderFails;
    unsigned status;
    std::string error;
  };
  const std::vector<Row> rows = {
      {"the legacy call fails", false, 500,
       "Couldn't change lobby: Error creating lobby: Error response for POST "
       "/jyx-login/v1/session/invoke: com.x.GroupFinderException: closed"},
      {"the team-builder POST fails", true, 503,
       "Couldn't change lobby: Error creating lobby: Error response for POST "
       "/jyx-lobby-team-builder/v1/lobby: down"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    host->ClearRecords();
    LcdsAnswer failure;
    failure.exception = "com.x.GroupFinderException: closed";
    legacy->Script(kInviteService, "createGroupFinderLobby", failure);
    if (row.teamBuilderFails) {
      ScriptedReply down;
      down.method = 6;
      down.status = 503;
      down.error = "down";
      down.uses = 1;
      host->ScriptReply("/jyx-lobby-team-builder/v1/lobby", down);
    }
    const std::size_t callsBefore = legacy->Invocations().size();
    const RouteAnswer answer = Post(440);
    EXPECT_EQ(answer.status, row.status);
    EXPECT_EQ(answer.error, row.error);
    const Names requests = Requests();
    if (row.teamBuilderFails) {
      EXPECT_EQ(legacy->Invocations().size(), callsBefore) << "no legacy call";
    } else {
      EXPECT_EQ(legacy->Invocations().size(), callsBefore + 1);
      EXPECT_LT(IndexOf(requests, "DELETE /jyx-lobby-team-builder/v1/lobby"), requests.size());
      EXPECT_FALSE(host->Resource("/jyx-lobby-team-builder/v1/lobby").has_value());
    }
    EXPECT_EQ(Flow(), (Names{"+LobbyRequested", "-LobbyRequested"}))
        << "LOBBY_FAILED: back to OutOfLobby";
    EXPECT_EQ(GameflowEvents(), Names{R"("GAMEFLOW_EVENT.FAILED_LOBBY")"});
  }
}

}  // namespace
}  // namespace Zarn::Host
