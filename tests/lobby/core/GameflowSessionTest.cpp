// The gameflow session as the plugin follows it through the stand-in host: phase changes in and
// out of lobbies, the last queued lobby, dodges, the game client's flag and re-entry while the
// availability request waits.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/lobby/core/GameflowTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using namespace GameflowTesting;
using Names = std::vector<std::string>;

constexpr char kExitedLobby[] = "\"GAMEFLOW_EVENT.EXITED_LOBBY\"";
constexpr char kProgressing[] = "Progressing out of lobby.";

Host::ScriptedReply Failing(std::uint32_t status, const std::string& error) {
  Host::ScriptedReply reply;
  reply.status = status;
  reply.error = error;
  return reply;
}

// The last queued lobby as published, keys in order.
std::string LastQueued(std::int32_t queueId, bool wasOwner, bool canPlayAgain,
                       const std::vector<std::uint64_t>& members) {
  std::string text =
      std::string(R"({"canPlayAgain":)") + (canPlayAgain ? "true" : "false") + R"(,"members":[)";
  for (std::size_t i = 0; i < members.size(); ++i) {
    text += (i == 0 ? "" : ",") + std::string(R"({"id":)") + std::to_string(members[i]) + "}";
  }
  return text + R"(],"queueId":)" + std::to_string(queueId) + R"(,"wasOwner":)" +
         (wasOwner ? "true" : "false") + "}";
}

class GameflowSessionTest : public GameflowTest {
 protected:
  enum class Lobby { None, ArrangedOwner, ArrangedMember, Custom };

  void Enter(Lobby lobby) {
    switch (lobby) {
      case Lobby::None:
        break;
      case Lobby::ArrangedOwner:
        W().EnterArrangedLobbyAsOwner(true);
        break;
      case Lobby::ArrangedMember:
        W().EnterArrangedLobbyAsOwner(false);
        break;
      case Lobby::Custom: {
        W().Drive({LobbyEvents::kNewCustomLobbyRequested, LobbyEvents::kNewCustomLobbySucceeded});
        Api::Lobby& v1 = W().V1Lobby();
        v1.isCustom = true;
        v1.customGameLobby.emplace();
        v1.customGameLobby->gameId = 123;
        Api::LobbyMember local;
        local.id = kLocalId;
        local.isOwner = true;
        v1.members = {local};
        break;
      }
    }
  }

  void EnterArrangedLobbyAsOwnerIn(const char* phase) {
    W().EnterArrangedLobbyAsOwner();
    W().SetPhase(phase);
  }

  // The player statuses posted from the `from`-th request on.
  std::vector<rapidjson::Document> PostedStatuses(std::size_t from) {
    std::vector<rapidjson::Document> found;
    for (const std::string& body : W().Sent(kPlayerStatusPath, from)) {
      found.emplace_back().Parse(body.c_str());
    }
    return found;
  }
};

TEST_F(GameflowSessionTest, PhaseChangesFollowTheScenarioTable) {
  struct Row {
    const char* label;
    Lobby lobby;
    const char* previous;
    const char* next;
    std::optional<Host::ScriptedReply> availability;
    // The last queued lobby published, when one is.
    std::optional<std::string> lastQueued;
    bool progressed;
    const char* finalState;
  };
  const std::vector<Row> rows = {
      {"owner enters matchmaking", Lobby::ArrangedOwner, "Lobby", "Matchmaking", std::nullopt,
       LastQueued(kArrangedQueue, true, true, {kLocalId, kOtherId}), false, "Owner"},
      {"the availability request fails", Lobby::ArrangedOwner, "Lobby", "Matchmaking",
       Failing(500, "gameflow down"), LastQueued(kArrangedQueue, true, false, {kLocalId, kOtherId}),
       false, "Owner"},
      {"another member is the owner", Lobby::ArrangedMember, "Lobby", "Matchmaking", std::nullopt,
       LastQueued(kArrangedQueue, false, false, {kLocalId, kOtherId}), false, "Owner"},
      {"matchmade champ select", Lobby::ArrangedOwner, "Matchmaking", "ChampSelect", std::nullopt,
       std::nullopt, false, "Owner"},
      {"game start", Lobby::ArrangedOwner, "ChampSelect", "GameStart", std::nullopt, std::nullopt,
       true, "OutOfLobby"},
      {"failed to launch", Lobby::ArrangedOwner, "ChampSelect", "FailedToLaunch", std::nullopt,
       std::nullopt, true, "OutOfLobby"},
      {"in progress", Lobby::ArrangedOwner, "ChampSelect", "InProgress", std::nullopt, std::nullopt,
       true, "OutOfLobby"},
      {"reconnect", Lobby::ArrangedOwner, "ChampSelect", "Reconnect", std::nullopt, std::nullopt,
       true, "OutOfLobby"},
      {"custom champ select", Lobby::Custom, "Lobby", "ChampSelect", std::nullopt,
       LastQueued(-1, false, false, {}), false, "Owner"},
      {"custom game start", Lobby::Custom, "ChampSelect", "GameStart", std::nullopt,
       LastQueued(-1, false, false, {}), true, "OutOfLobby"},
      {"custom matchmaking", Lobby::Custom, "Lobby", "Matchmaking", std::nullopt,
       LastQueued(-1, true, true, {kLocalId}), false, "Owner"},
      {"checked into a tournament", Lobby::ArrangedOwner, "Lobby", "CheckedIntoTournament",
       std::nullopt, std::nullopt, false, "OutOfLobby"},
      {"out of a lobby", Lobby::None, "Lobby", "Matchmaking", std::nullopt, std::nullopt, false,
       "OutOfLobby"},
      {"progressing out of no lobby", Lobby::None, "ChampSelect", "GameStart", std::nullopt,
       std::nullopt, false, "OutOfLobby"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    Reset();
    Enter(row.lobby);
    W().SetPhase(row.previous);
    if (row.availability) W().host_.ScriptReply(kAvailabilityPath, *row.availability);
    const std::size_t requests = W().Mark();
    const std::size_t logs = W().LogMark();
    const std::size_t events = W().EventMark();
    W().SetPhase(row.next);

    const std::vector<Publication> published = W().Published(kLastQueuedPath, events);
    if (row.lastQueued) {
      ASSERT_EQ(published.size(), 1u);
      EXPECT_EQ(published[0].eventType, "Update");
      // The custom game's snapshot is taken on matchmaking only; its queue stays as it was.
      EXPECT_EQ(published[0].data, *row.lastQueued);
      // The status posted carries the lobby's status as the last queued one.
      std::vector<rapidjson::Document> statuses = PostedStatuses(requests);
      ASSERT_FALSE(statuses.empty());
      rapidjson::Document& status = statuses.front();
      ASSERT_TRUE(status.IsObject());
      ASSERT_TRUE(status["lastQueuedLobbyStatus"].IsObject());
      // Play again is then worked out afresh for the copy.
      status["lastQueuedLobbyStatus"].RemoveMember("allowedPlayAgain");
      status["currentLobbyStatus"].RemoveMember("allowedPlayAgain");
      EXPECT_EQ(Compact(status["lastQueuedLobbyStatus"]), Compact(status["currentLobbyStatus"]));
    } else {
      EXPECT_TRUE(published.empty());
    }
    if (row.availability) {
      EXPECT_FALSE(W().Plugin().IsGameflowAvailable());
    }
    const Names progressing = W().Logged(kProgressing, logs);
    EXPECT_EQ(progressing, row.progressed ? Names{std::string("3|") + kProgressing} : Names{});
    // Leaving a lobby, by progress or the tournament's leave, tells the gameflow plugin once.
    const bool left = row.lobby != Lobby::None && std::string(row.finalState) == "OutOfLobby";
    EXPECT_EQ(W().GameflowEvents(requests), left ? Names{kExitedLobby} : Names{});
    EXPECT_EQ(W().State(), row.finalState);
  }
}

TEST_F(GameflowSessionTest, TheLastQueuedLobbyStartsWithoutAQueue) {
  EXPECT_EQ(LobbyPluginTesting::LastQueuedLobby(W().Plugin()).queueId, -1);
}

TEST_F(GameflowSessionTest, AMatchmadeChampSelectAfterACustomGameKeepsPlayAgain) {
  // A custom game's update set the practice-game flag; the lobby after it is matchmade.
  LobbyPluginTesting::IsCustomGame(W().Plugin()) = true;
  W().EnterArrangedLobbyAsOwner();
  W().SetPhase("Lobby");
  W().SetPhase("Matchmaking");
  ASSERT_TRUE(LobbyPluginTesting::LastQueuedLobby(W().Plugin()).canPlayAgain);
  const std::size_t events = W().EventMark();
  W().SetPhase("ChampSelect");
  EXPECT_TRUE(W().Published(kLastQueuedPath, events).empty());
  EXPECT_TRUE(LobbyPluginTesting::LastQueuedLobby(W().Plugin()).canPlayAgain);
}

TEST_F(GameflowSessionTest, AnInvalidDodgeLeavesOnlyWhenChampSelectEndsWithNoPhase) {
  struct Row {
    const char* label;
    const char* session;
    const char* finalState;
  };
  const std::vector<Row> rows = {
      {"champ select to none, invalid", R"({"phase":"None","gameDodge":{"state":"Invalid"}})",
       "OutOfLobby"},
      {"champ select to lobby, invalid", R"({"phase":"Lobby","gameDodge":{"state":"Invalid"}})",
       "Owner"},
      {"champ select to none, no dodge", R"({"phase":"None"})", "Owner"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    Reset();
    W().EnterArrangedLobbyAsOwner();
    W().SetPhase("ChampSelect");
    const std::size_t requests = W().Mark();
    W().SetSession(row.session);
    EXPECT_EQ(W().State(), row.finalState);
    EXPECT_EQ(W().GameflowEvents(requests),
              std::string(row.finalState) == "OutOfLobby" ? Names{kExitedLobby} : Names{});
  }
}

TEST_F(GameflowSessionTest, AReconnectionInChampSelectWhoseLobbyStatusFailsRemovesNothing) {
  for (const char* phase : {"ChampSelect", "Lobby"}) {
    SCOPED_TRACE(phase);
    Reset();
    W().EnterArrangedLobbyAsOwner();
    W().SetPhase(phase);
    W().legacy_.Script("lcdsGameInvitationService", "getLobbyStatus",
                       Host::LcdsAnswer{"", std::nullopt, std::string("LobbyNotFound"), 500});
    const std::size_t logs = W().LogMark();
    W().host_.SetResource(
        "/jyx-login/v1/session",
        R"({"state":"SUCCEEDED","summonerId":2046,"accountId":9001,"connected":true})");
    W().host_.RunDue();
    const std::size_t removed =
        W().Logged("Detected reconnect, lobby destroyed or we were removed", logs).size();
    EXPECT_EQ(removed, std::string(phase) == "ChampSelect" ? 0u : 1u);
  }
}

TEST_F(GameflowSessionTest, ADodgeOutsideALobbyTellsTheGameflowPluginTheLobbyIsGone) {
  const std::size_t requests = W().Mark();
  const std::size_t logs = W().LogMark();
  W().SetSession(
      R"({"phase":"None","gameDodge":{"state":"PartyDodged","dodgeIds":[77],"phase":"ChampSelect"}})");
  EXPECT_EQ(W().GameflowEvents(requests), Names{kExitedLobby});
  const std::string dodge = R"({"dodgeIds":[77],"phase":"ChampSelect","state":"PartyDodged"})";
  EXPECT_EQ(W().Logged("gameDodge", logs), Names{"3|HandleGameflowSession - gameDodge " + dodge});
  EXPECT_EQ(W().Logged("HandleDodgeV2", logs), Names{"0|HandleDodgeV2 " + dodge});
  EXPECT_EQ(W().Logged("Received dodge notification", logs),
            Names{"1|Received dodge notification, but lobby does not exist"});
}

TEST_F(GameflowSessionTest, ADodgeInALobbyGoesToTheBackendAlone) {
  struct Row {
    const char* label;
    const char* dodge;
    std::string notification;  // the newest notification published, or empty
    const char* finalState;
  };
  const std::vector<Row> rows = {
      {"the local player dodged",
       R"({"state":"PartyDodged","dodgeIds":[2046],"phase":"ChampSelect"})",
       R"("PartyDodged" [2046])", "OutOfLobby"},
      {"another player dodged",
       R"({"state":"StrangerDodged","dodgeIds":[77],"phase":"ChampSelect"})",
       R"("StrangerDodged" [77])", "Owner"},
      {"a ready check dodge", R"({"state":"PartyDodged","dodgeIds":[2046],"phase":"ReadyCheck"})",
       "", "Owner"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    Reset();
    EnterArrangedLobbyAsOwnerIn("ChampSelect");
    const std::size_t requests = W().Mark();
    const std::size_t events = W().EventMark();
    const std::size_t logs = W().LogMark();
    W().SetSession(std::string(R"({"phase":"None","gameDodge":)") + row.dodge + "}");
    EXPECT_EQ(W().Logged("HandleGameflowSession - gameDodge", logs).size(), 1u);
    EXPECT_TRUE(W().Logged("Received dodge notification", logs).empty());
    const std::vector<Publication> notes = W().Published("/jyx-lobby/v2/notifications", events);
    std::string newest;
    if (!notes.empty()) {
      rapidjson::Document list;
      list.Parse(notes.back().data.c_str());
      const rapidjson::Value& last = list[list.Size() - 1];
      newest = Compact(last["notificationReason"]) + " " + Compact(last["summonerIds"]);
    }
    EXPECT_EQ(newest, row.notification);
    EXPECT_EQ(W().State(), row.finalState);
    // Only the lobby's own exit tells the gameflow plugin.
    EXPECT_EQ(W().GameflowEvents(requests),
              std::string(row.finalState) == "OutOfLobby" ? Names{kExitedLobby} : Names{});
  }
}

TEST_F(GameflowSessionTest, ADodgeWhileALobbyChangeWaitsIsDroppedAfterItsLogLines) {
  W().EnterArrangedLobbyAsOwner();
  W().SetPhase("Matchmaking");
  const std::string levelCheck = "/jyx-summoner/v1/summoners/" + std::to_string(kLocalId);
  W().host_.ScriptReply(levelCheck,
                        Client::Testing::StreamedInOneByteReads(R"({"summonerLevel":30})"));
  std::string stateAtDodge;
  W().host_.OnYield(1, [&] {
    stateAtDodge = W().State();
    W().host_.SetResource(
        kSessionPath,
        R"({"phase":"ReadyCheck","gameDodge":{"state":"PartyDodged","dodgeIds":[2046],"phase":"ReadyCheck"}})");
  });
  const std::size_t logs = W().LogMark();
  const std::size_t events = W().EventMark();
  Api::LobbyChangeGameDto change;
  change.queueId = 430;
  static_cast<void>(W().Plugin().ChangeLobbyQueue(change));
  EXPECT_EQ(stateAtDodge, "ChangingLobby");
  EXPECT_EQ(W().Logged("HandleGameflowSession - gameDodge", logs).size(), 1u);
  EXPECT_EQ(W().Logged("HandleDodgeV2", logs).size(), 1u);
  // No backend was told, and the lobby being made is not taken for a missing one.
  EXPECT_TRUE(W().Published("/jyx-lobby/v2/notifications", events).empty());
  EXPECT_TRUE(W().Logged("Received dodge notification", logs).empty());
}

TEST_F(GameflowSessionTest, ADeleteDropsTheSessionAndTheNextUpdateComparesWithNone) {
  W().EnterArrangedLobbyAsOwner();
  W().SetPhase("ChampSelect");
  const std::size_t requests = W().Mark();
  const std::size_t events = W().EventMark();
  ASSERT_TRUE(W().host_.DeleteResource(kSessionPath));
  W().host_.RunDue();
  EXPECT_FALSE(W().Plugin().Gameflow().StoredGameflowSession().has_value());
  EXPECT_EQ(W().Plugin().Gameflow().CurrentGameflowPhase(), Api::GameflowPhase::ChampSelect);
  EXPECT_EQ(W().GameflowEvents(requests), Names{});
  EXPECT_TRUE(W().Sent(kPlayerStatusPath, requests).empty());
  EXPECT_TRUE(W().Published(kLastQueuedPath, events).empty());
  EXPECT_EQ(W().State(), "Owner");
  // From ChampSelect this would leave; after the Delete the previous phase is None.
  W().SetSession(R"({"phase":"None","gameDodge":{"state":"Invalid"}})");
  EXPECT_EQ(W().State(), "Owner");
  ASSERT_TRUE(W().Plugin().Gameflow().StoredGameflowSession().has_value());
}

TEST_F(GameflowSessionTest, TheGameClientFlagRepublishesReceivedInvitationsOnHold) {
  std::vector<Api::LobbyInvitation>& stored =
      LobbyPluginTesting::LegacyReceivedInvitations(W().Plugin());
  Api::LobbyInvitation pending;
  pending.id = "inv-1";
  pending.state = Api::LobbyInvitationState::Pending;
  Api::LobbyInvitation declined;
  declined.id = "inv-2";
  declined.state = Api::LobbyInvitationState::Declined;
  stored = {pending, declined};
  struct Row {
    bool running;
    const char* first;
    const char* second;
  };
  for (const Row& row : {Row{true, "OnHold", "OnHold"}, Row{false, "Pending", "Declined"}}) {
    SCOPED_TRACE(row.running);
    const std::size_t events = W().EventMark();
    W().SetSession(std::string(R"({"phase":"None","gameClient":{"running":)") +
                   (row.running ? "true" : "false") + "}}");
    for (const auto& [id, state] :
         {std::pair{"inv-1", row.first}, std::pair{"inv-2", row.second}}) {
      const std::vector<Publication> published =
          W().Published(std::string("/jyx-lobby/v1/received-invitations/") + id, events);
      ASSERT_EQ(published.size(), 1u) << id;
      EXPECT_EQ(published[0].eventType, "Update");
      EXPECT_NE(published[0].data.find(std::string(R"("state":")") + state + "\""),
                std::string::npos)
          << published[0].data;
    }
    const std::vector<Api::LobbyInvitation>& now =
        LobbyPluginTesting::LegacyReceivedInvitations(W().Plugin());
    ASSERT_EQ(now.size(), 2u);
    EXPECT_EQ(now[0].state, Api::LobbyInvitationState::Pending);
    EXPECT_EQ(now[1].state, Api::LobbyInvitationState::Declined);
    // The v2 list reads the stored states.
    HttpResult<std::vector<Api::ReceivedInvitationDto>> listed =
        W().Plugin().HandleGetReceivedInvitations();
    ASSERT_TRUE(listed.response.ok);
    for (const Api::ReceivedInvitationDto& entry : listed.value) {
      EXPECT_NE(entry.state, Api::LobbyInvitationState::OnHold) << entry.invitationId;
    }
    // The same flag again republishes nothing.
    const std::size_t again = W().EventMark();
    W().SetSession(std::string(R"({"phase":"None","gameClient":{"running":)") +
                   (row.running ? "true" : "false") + "}}");
    EXPECT_TRUE(W().Published("/jyx-lobby/v1/received-invitations/inv-1", again).empty());
  }
}

TEST_F(GameflowSessionTest, AnInvitationArrivingWhileTheGameClientRunsIsPublishedOnHold) {
  W().SetSession(R"({"phase":"None","gameClient":{"running":true}})");
  const std::size_t events = W().EventMark();
  ASSERT_TRUE(W().legacy_.Push(
      "com.zarnworks.platform.gameinvite.contract.InvitationRequest",
      R"({"invitationId":"inv-9","inviter":{"summonerId":77},"invitationState":"ACTIVE"})"));
  W().host_.RunDue();
  const std::vector<Publication> published =
      W().Published("/jyx-lobby/v1/received-invitations/inv-9", events);
  ASSERT_EQ(published.size(), 1u);
  EXPECT_EQ(published[0].eventType, "Create");
  EXPECT_NE(published[0].data.find(R"("state":"OnHold")"), std::string::npos) << published[0].data;
  const std::vector<Api::LobbyInvitation>& stored =
      LobbyPluginTesting::LegacyReceivedInvitations(W().Plugin());
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].state, Api::LobbyInvitationState::Pending);
}

TEST_F(GameflowSessionTest, ASessionArrivingWhileTheAvailabilityWaitsLeavesTheFirstItsOwnCopy) {
  struct Row {
    const char* label;
    bool deleteSession;  // else a phase change to GameStart
    const char* finalState;
  };
  for (const Row& row : {Row{"phase change", false, "OutOfLobby"}, Row{"delete", true, "Owner"}}) {
    SCOPED_TRACE(row.label);
    Reset();
    W().EnterArrangedLobbyAsOwner();
    W().SetPhase("Lobby");
    W().host_.ScriptReply(kAvailabilityPath,
                          Client::Testing::StreamedInOneByteReads(R"({"isAvailable":true})"));
    bool injected = false;
    W().host_.OnYield(1, [&] {
      injected = true;
      if (row.deleteSession) {
        W().host_.DeleteResource(kSessionPath);
      } else {
        W().host_.SetResource(kSessionPath, R"({"phase":"GameStart"})");
      }
    });
    const std::size_t logs = W().LogMark();
    const std::size_t events = W().EventMark();
    W().SetPhase("Matchmaking");
    ASSERT_TRUE(injected);
    // The first handler finished matchmaking's snapshot with its own session.
    const std::vector<Publication> published = W().Published(kLastQueuedPath, events);
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0].data, LastQueued(kArrangedQueue, true, true, {kLocalId, kOtherId}));
    EXPECT_EQ(W().Logged(kProgressing, logs).size(), row.deleteSession ? 0u : 1u);
    EXPECT_EQ(W().Plugin().Gameflow().StoredGameflowSession().has_value(), !row.deleteSession);
    EXPECT_EQ(W().State(), row.finalState);
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby

namespace Zarn::Client::Lobby {
namespace {

TEST(GameflowPhaseHandOffTest, EveryPhaseChangeReachesThePartiesBackendWithBothPhases) {
  Testing::LobbyRig rig;
  const std::size_t from = rig.Mark();
  for (const char* session : {R"({"phase":"Lobby"})", R"({"phase":"Lobby"})",
                              R"({"phase":"Matchmaking"})", "", R"({"phase":"ChampSelect"})"}) {
    if (*session == '\0') {
      ASSERT_TRUE(rig.host.DeleteResource(GameflowTesting::kSessionPath));
    } else {
      rig.host.SetResource(GameflowTesting::kSessionPath, session);
    }
    rig.host.RunDue();
  }
  // Lobby 1, Matchmaking 2, ChampSelect 5; a repeated phase is no change, and after the Delete
  // the previous phase is None.
  EXPECT_EQ(rig.Entries({"parties.ProcessEnteredGame"}, from),
            (std::vector<std::string>{"parties.ProcessEnteredGame(0, 1)",
                                      "parties.ProcessEnteredGame(1, 2)",
                                      "parties.ProcessEnteredGame(0, 5)"}));
}

}  // namespace
}  // namespace Zarn::Client::Lobby
