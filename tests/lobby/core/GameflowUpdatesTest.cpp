// The gameflow plugin's availability, the play-again flag of the last queued lobby, the lobby
// updates that controllers hand to the plugin and the legacy game messages, through the stand-in
// host.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/model/LegacyClassNames.h"
#include "tests/lobby/core/GameflowTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using namespace GameflowTesting;
using Names = std::vector<std::string>;

constexpr char kTeamBuilderLobbyPath[] = "/jyx-lobby-team-builder/v1/lobby";
constexpr char kNotificationsPath[] = "/jyx-lobby/v2/notifications";
constexpr char kGameDtoClass[] = "com.zarnworks.platform.game.GameDTO";
constexpr char kGameNotificationClass[] = "com.zarnworks.platform.game.message.GameNotification";

class GameflowUpdatesTest : public GameflowTest {
 protected:
  void SetAvailability(const std::optional<std::string>& json) {
    if (json) {
      W().host_.SetResource(kAvailabilityPath, *json);
    } else {
      W().host_.DeleteResource(kAvailabilityPath);
    }
    W().host_.RunDue();
  }
  // A last queued lobby status, as matchmaking left it.
  void SetLastQueuedStatus(bool isCustom, bool isLeader, bool allowedPlayAgain) {
    Api::LobbyStatus status;
    status.queueId = kArrangedQueue;
    status.isCustom = isCustom;
    status.isLeader = isLeader;
    status.allowedPlayAgain = allowedPlayAgain;
    LobbyPluginTesting::MutablePlayerStatus(W().Plugin()).lastQueuedLobbyStatus = status;
  }
  bool AllowedPlayAgain() {
    return LobbyPluginTesting::MutablePlayerStatus(W().Plugin())
        .lastQueuedLobbyStatus->allowedPlayAgain;
  }
  // The player statuses posted from `from` on, as (allowedPlayAgain, canInviteOthersAtEog) of the
  // last queued status.
  std::vector<std::pair<bool, bool>> PostedPlayAgain(std::size_t from) {
    std::vector<std::pair<bool, bool>> found;
    for (const std::string& body : W().Sent(kPlayerStatusPath, from)) {
      rapidjson::Document status;
      status.Parse(body.c_str());
      if (!status.IsObject() || !status["lastQueuedLobbyStatus"].IsObject()) continue;
      found.emplace_back(status["lastQueuedLobbyStatus"]["allowedPlayAgain"].GetBool(),
                         status["canInviteOthersAtEog"].GetBool());
    }
    return found;
  }
  // The reason and summoner ids of the newest notification published from `from` on; empty when
  // none was.
  std::string NewestNotification(std::size_t from) {
    const std::vector<Publication> published = W().Published(kNotificationsPath, from);
    if (published.empty()) return "";
    rapidjson::Document list;
    list.Parse(published.back().data.c_str());
    if (!list.IsArray() || list.Empty()) return "";
    const rapidjson::Value& newest = list[list.Size() - 1];
    return std::string(newest["notificationReason"].GetString()) + " " +
           Compact(newest["summonerIds"]);
  }
};

TEST_F(GameflowUpdatesTest, PlayAgainIsTheOwnersAndIsPublishedOnlyWhenItChanges) {
  struct Step {
    const char* label;
    bool wasOwner;
    std::optional<std::string> availability;  // none deletes the resource
    bool canPlayAgain;
    bool published;
  };
  const std::vector<Step> steps = {
      {"not the owner", false, R"({"isAvailable":true})", false, false},
      {"owner, unavailable", true, R"({"isAvailable":false})", false, false},
      {"owner, available", true, R"({"isAvailable":true})", true, true},
      {"the same again", true, R"({"isAvailable":true})", true, false},
      {"deleted", true, std::nullopt, false, true},
      {"no flag", true, R"({"state":"Available"})", false, false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    LobbyPluginTesting::LastQueuedLobby(W().Plugin()).wasOwner = step.wasOwner;
    const std::size_t events = W().EventMark();
    SetAvailability(step.availability);
    EXPECT_EQ(LobbyPluginTesting::LastQueuedLobby(W().Plugin()).canPlayAgain, step.canPlayAgain);
    const std::vector<Publication> published = W().Published(kLastQueuedPath, events);
    ASSERT_EQ(published.size(), step.published ? 1u : 0u);
    if (step.published) {
      EXPECT_NE(published[0].data.find(std::string(R"("canPlayAgain":)") +
                                       (step.canPlayAgain ? "true" : "false")),
                std::string::npos);
    }
    EXPECT_EQ(
        W().Plugin().IsGameflowAvailable(),
        step.availability.has_value() && step.availability->find("true") != std::string::npos);
  }
}

TEST_F(GameflowUpdatesTest, OutsideAPartyLobbyPlayAgainNeedsALeaderOfAMatchmadeLobby) {
  struct Row {
    bool isCustom;
    bool isLeader;
    bool available;
    bool allowed;
  };
  const std::vector<Row> rows = {
      {false, true, true, true}, {false, true, false, false}, {false, false, true, false},
      {true, true, true, false}, {true, false, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "custom " << row.isCustom << " leader " << row.isLeader
                                    << " available " << row.available);
    Reset();
    SetLastQueuedStatus(row.isCustom, row.isLeader, false);
    const std::size_t requests = W().Mark();
    SetAvailability(row.available ? R"({"isAvailable":true})" : R"({"isAvailable":false})");
    EXPECT_EQ(AllowedPlayAgain(), row.allowed);
    // Outside a lobby only a change is posted.
    const std::vector<std::pair<bool, bool>> posted = PostedPlayAgain(requests);
    if (row.allowed) {
      EXPECT_EQ(posted, (std::vector<std::pair<bool, bool>>{{true, false}}));
    } else {
      EXPECT_TRUE(posted.empty());
    }
  }
}

TEST_F(GameflowUpdatesTest, InALobbyAChangeTakesTheBackendsInviteFlag) {
  W().EnterArrangedLobbyAsOwner();
  W().SetPhase("Lobby");
  SetLastQueuedStatus(false, true, false);
  LobbyPluginTesting::MutablePlayerStatus(W().Plugin()).canInviteOthersAtEog = true;
  const std::size_t requests = W().Mark();
  SetAvailability(R"({"isAvailable":true})");
  ASSERT_TRUE(AllowedPlayAgain());
  const std::vector<std::pair<bool, bool>> posted = PostedPlayAgain(requests);
  ASSERT_FALSE(posted.empty());
  // The platform backend lets nobody invite at the end of a game.
  EXPECT_EQ(posted.front(), (std::pair<bool, bool>{true, false}));
}

TEST_F(GameflowUpdatesTest, InAProgressedPhaseTheAvailabilityLeavesPlayAgainAlone) {
  W().SetPhase("InProgress");
  SetLastQueuedStatus(false, true, false);
  const std::size_t requests = W().Mark();
  SetAvailability(R"({"isAvailable":true})");
  EXPECT_FALSE(AllowedPlayAgain());
  EXPECT_TRUE(W().Sent(kPlayerStatusPath, requests).empty());
}

TEST_F(GameflowUpdatesTest, AFailedPlayerStatusPostIsLogged) {
  SetLastQueuedStatus(false, true, false);
  Host::ScriptedReply refused;
  refused.status = 503;
  refused.error = "gameflow busy";
  W().host_.ScriptReply(kPlayerStatusPath, refused);
  const std::size_t logs = W().LogMark();
  SetAvailability(R"({"isAvailable":true})");
  const Names logged = W().Logged("Failed to set player status on gameflow: ", logs);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].rfind("2|", 0), 0u);
  EXPECT_NE(logged[0].find("gameflow busy"), std::string::npos);
}

TEST_F(GameflowUpdatesTest, InAClashPartyPlayAgainNeverChanges) {
  SetLastQueuedStatus(false, true, false);
  PartiesBackend* parties = W().Plugin().GetPartiesBackend();
  ASSERT_NE(parties, nullptr);
  Lobby::PartiesBackendTesting::Player(*parties).currentParty.emplace();
  Lobby::PartiesBackendTesting::Player(*parties).currentParty->partyType = "clash";
  const std::size_t requests = W().Mark();
  const std::size_t logs = W().LogMark();
  SetAvailability(R"({"isAvailable":true})");
  EXPECT_FALSE(AllowedPlayAgain());
  EXPECT_TRUE(PostedPlayAgain(requests).empty());
  EXPECT_EQ(W().Logged("short circuiting", logs),
            Names{"0|UpdateLastQueuedLobbyStatusAllowedPlayAgain short circuiting because clash "
                  "party"});
}

TEST_F(GameflowUpdatesTest, AnUpdateOfAnAbandonedLobbyChangesNothing) {
  W().EnterArrangedLobbyAsOwner();
  W().V1Lobby().invitationId = "INV-1";
  ASSERT_TRUE(W().Plugin().QuitLobbyState().ok);
  ASSERT_EQ(W().State(), "OutOfLobby");
  const Api::Lobby before = W().V1Lobby();
  Api::Lobby update;
  update.invitationId = "INV-1";
  update.queueId = 430;
  update.wasKicked = true;
  const std::size_t logs = W().LogMark();
  const std::size_t events = W().EventMark();
  W().Plugin().ApplyLobbyUpdate(update);
  EXPECT_EQ(W().Logged("Ignoring update", logs),
            Names{"3|Ignoring update from abandoned lobby.invitationId INV-1"});
  EXPECT_EQ(W().V1Lobby().queueId, before.queueId);
  EXPECT_EQ(W().V1Lobby().invitationId, before.invitationId);
  EXPECT_TRUE(W().Published(kNotificationsPath, events).empty());
  EXPECT_TRUE(W().Published("/jyx-lobby/v1/lobby", events).empty());
}

TEST_F(GameflowUpdatesTest, TeamBuilderLobbyUpdatesApplyByRemovalReason) {
  struct Row {
    const char* label;
    const char* fields;        // JSON members of the team builder's lobby besides queue and id
    std::string notification;  // newest notification, or empty for none
    const char* finalState;
  };
  const std::string local = "[" + std::to_string(kLocalId) + "]";
  const std::vector<Row> rows = {
      {"kicked flag", R"("wasKicked":true)", "KICKED " + local, "OutOfLobby"},
      {"disbanded", R"("removalReason":"Disbanded")", "Disbanded " + local, "OutOfLobby"},
      {"service error", R"("removalReason":"ServiceError")", "ServiceError " + local, "OutOfLobby"},
      {"other", R"("removalReason":"Other")", "Other " + local, "OutOfLobby"},
      {"timeout", R"("removalReason":"Timeout")", "Timeout " + local, "OutOfLobby"},
      {"game start error", R"("removalReason":"GameStartError")", "GameStartError " + local,
       "OutOfLobby"},
      {"none", R"("removalReason":"None")", "", "Owner"},
      {"kicked reason", R"("removalReason":"Kicked")", "", "Owner"},
      {"left", R"("removalReason":"Left")", "", "Owner"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    Reset();
    W().EnterArrangedLobbyAsOwner();
    const std::size_t events = W().EventMark();
    W().host_.SetResource(
        kTeamBuilderLobbyPath,
        std::string(R"({"queueId":420,"invitationId":"TB-1",)") + row.fields + "}");
    W().host_.RunDue();
    EXPECT_EQ(NewestNotification(events), row.notification);
    EXPECT_EQ(W().State(), row.finalState);
    if (row.notification.empty()) {
      // The lobby's v1 parts, then the party rewards.
      for (const char* path :
           {"/jyx-lobby/v1/lobby", "/jyx-lobby/v1/lobby/members", "/jyx-lobby/v1/lobby/invitations",
            "/jyx-lobby/v1/lobby/localMember", "/jyx-lobby/v1/party-rewards"}) {
        EXPECT_FALSE(W().Published(path, events).empty()) << path;
      }
      EXPECT_EQ(W().V1Lobby().invitationId, "TB-1");
    }
  }
}

TEST_F(GameflowUpdatesTest, AServiceShutdownLeavesOnlyALobbyWithABackend) {
  struct Row {
    const char* label;
    bool inLobby;
    bool leaveFails;
  };
  for (const Row& row : {Row{"in a lobby", true, false}, Row{"leaving fails", true, true},
                         Row{"no backend", false, false}}) {
    SCOPED_TRACE(row.label);
    Reset();
    if (row.inLobby) W().EnterArrangedLobbyAsOwner();
    // The legacy lobby has an id now, so leaving it is a legacy call.
    W().legacy_.Script("lcdsGameInvitationService", "leave",
                       row.leaveFails
                           ? Host::LcdsAnswer{"", std::nullopt, std::string("LeaveFailed"), 500}
                           : Host::LcdsAnswer{});
    const std::size_t requests = W().Mark();
    const std::size_t events = W().EventMark();
    const std::size_t logs = W().LogMark();
    W().host_.SetResource(
        kTeamBuilderLobbyPath,
        R"({"queueId":420,"invitationId":"TB-2","removalReason":"ServiceShutdown"})");
    W().host_.RunDue();
    const std::vector<std::uint32_t> search = W().Methods(kSearchPath, requests);
    const Names failed =
        W().Logged("Failed to quit lobby upon receiving service shutdown notification.", logs);
    if (!row.inLobby) {
      EXPECT_EQ(NewestNotification(events), "");
      EXPECT_TRUE(search.empty());
      EXPECT_EQ(W().V1Lobby().invitationId, "TB-2");
      EXPECT_EQ(W().V1Lobby().removalReason, Api::LobbyRemovedFromGameReason::ServiceShutdown);
      continue;
    }
    EXPECT_EQ(NewestNotification(events), "ServiceShutdown [" + std::to_string(kLocalId) + "]");
    EXPECT_EQ(search, std::vector<std::uint32_t>{static_cast<std::uint32_t>(HttpMethod::Delete)});
    if (row.leaveFails) {
      EXPECT_EQ(failed,
                Names{"1|Failed to quit lobby upon receiving service shutdown notification."});
      EXPECT_EQ(W().State(), "Owner");
    } else {
      EXPECT_TRUE(failed.empty());
      EXPECT_EQ(W().State(), "OutOfLobby");
    }
  }
}

TEST_F(GameflowUpdatesTest, PracticeGameUpdatesWithoutARequestGoToTheLobbysController) {
  struct Row {
    const char* label;
    bool customLobby;
    const char* game;  // the GameDTO pushed
    std::vector<std::int64_t> handed;
    bool failedLog;
  };
  const std::vector<Row> rows = {
      {"a practice game, the lobby matchmade",
       false,
       R"({"id":123,"gameType":"PRACTICE_GAME"})",
       {},
       false},
      {"a matchmade game", false, R"({"id":55,"gameType":"QUORRIN_GAME"})", {55}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    Reset(true);
    W().EnterArrangedLobbyAsOwner();
    W().factory_->recording->result = Failure(500, "stale game");
    const std::size_t logs = W().LogMark();
    ASSERT_TRUE(W().legacy_.Push(kGameDtoClass, row.game));
    W().host_.RunDue();
    EXPECT_EQ(W().factory_->recording->games, row.handed);
    if (!row.handed.empty()) {
      EXPECT_EQ(W().factory_->recording->lobbyQueues, std::vector<std::int32_t>{kArrangedQueue});
    }
    EXPECT_EQ(W().Logged("Failed to update lobby: ", logs),
              row.failedLog ? Names{"2|Failed to update lobby: stale game"} : Names{});
    EXPECT_FALSE(LobbyPluginTesting::IsCustomGame(W().Plugin()));
  }
}

TEST_F(GameflowUpdatesTest, APracticeGameOtherThanTheCustomLobbysIsIgnored) {
  W().Drive({LobbyEvents::kNewCustomLobbyRequested, LobbyEvents::kNewCustomLobbySucceeded});
  W().V1Lobby().isCustom = true;
  W().V1Lobby().customGameLobby.emplace();
  W().V1Lobby().customGameLobby->gameId = 123;
  ASSERT_TRUE(W().legacy_.Push(kGameDtoClass, R"({"id":124,"gameType":"PRACTICE_GAME"})"));
  W().host_.RunDue();
  // Ignored before the flag that picks the controller is written.
  EXPECT_FALSE(LobbyPluginTesting::IsCustomGame(W().Plugin()));
}

TEST_F(GameflowUpdatesTest, OnlyAnExactBanRemovesThePlayerAsKicked) {
  for (const char* type : {"player_banned_from_game", "PLAYER_BANNED_FROM_GAME"}) {
    SCOPED_TRACE(type);
    Reset();
    W().EnterArrangedLobbyAsOwner();
    const std::size_t events = W().EventMark();
    ASSERT_TRUE(
        W().legacy_.Push(kGameNotificationClass, std::string(R"({"type":")") + type + R"("})"));
    W().host_.RunDue();
    const bool banned = std::string(type) == "PLAYER_BANNED_FROM_GAME";
    EXPECT_EQ(NewestNotification(events),
              banned ? "KICKED [" + std::to_string(kLocalId) + "]" : std::string());
    EXPECT_EQ(W().State(), banned ? "OutOfLobby" : "Owner");
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
