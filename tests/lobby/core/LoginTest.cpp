// The login session as the plugin follows it, in-process with fake backends, the session events
// delivered by the stand-in host: login, logout, the reconnection's resynchronisation.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/core/LobbyFlow.h"
#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Testing {
namespace {

using Lobby::LobbyPluginTesting;
using Names = std::vector<std::string>;

constexpr char kSessionPath[] = "/jyx-login/v1/session";
constexpr char kInvokePath[] = "/jyx-login/v1/session/invoke";
constexpr char kFetchBots[] = "custom.FetchCustomBotsConfig(";

void SetSession(LobbyRig& rig, const std::string& json) {
  rig.host.SetResource(kSessionPath, json);
  rig.host.RunDue();
}

TEST(LoginTest, ASucceededSessionWithASummonerLogsInAndADeleteLogsOut) {
  struct Step {
    const char* label;
    std::optional<std::string> session;  // none: the resource is deleted
    std::uint64_t summonerId;            // after the step
    std::size_t loginsCompleted;
  };
  const std::vector<Step> steps = {
      {"in progress", R"({"state":"IN_PROGRESS","accountId":1,"summonerId":77})", 0, 0},
      {"no summoner", R"({"state":"SUCCEEDED","accountId":1,"summonerId":0})", 0, 0},
      {"no account", R"({"state":"SUCCEEDED","accountId":0,"summonerId":77})", 0, 0},
      {"logged in", R"({"state":"SUCCEEDED","accountId":1,"summonerId":77})", 77, 1},
      {"still logged in", R"({"state":"SUCCEEDED","accountId":1,"summonerId":78})", 77, 0},
      {"deleted", std::nullopt, 0, 0},
      {"logged in again", R"({"state":"SUCCEEDED","accountId":1,"summonerId":79})", 79, 1},
  };
  LobbyRig rig;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    const std::size_t mark = rig.Mark();
    if (step.session.has_value()) {
      SetSession(rig, *step.session);
    } else {
      ASSERT_TRUE(rig.host.DeleteResource(kSessionPath));
      rig.host.RunDue();
    }
    EXPECT_EQ(rig.plugin->LocalSummonerId(), step.summonerId);
    EXPECT_EQ(rig.Entries({kFetchBots}, mark).size(), step.loginsCompleted);
    EXPECT_EQ(rig.StateName(), "OutOfLobby") << "no event";
  }
}

TEST(LoginTest, TheSummonerIdIsKnownWhenAFirstConnectedLoginResynchronises) {
  LobbyRig rig;
  std::vector<std::uint64_t> seen;
  Host::ScriptedReply lost;
  lost.status = 500;
  lost.error = "no lobby";
  lost.during = [&] { seen.push_back(rig.plugin->LocalSummonerId()); };
  rig.host.ScriptReply(kInvokePath, lost);
  SetSession(rig, R"({"state":"SUCCEEDED","accountId":1,"summonerId":77,"connected":true})");
  // The pending invitations, then the lobby status.
  EXPECT_EQ(seen, (std::vector<std::uint64_t>{77, 77}));
  EXPECT_EQ(rig.Entries({"log Detected reconnect, lobby destroyed"}), Names{})
      << "a failed status out of a lobby is ignored";

  const std::size_t mark = rig.Mark();
  SetSession(rig, R"({"state":"SUCCEEDED","accountId":1,"summonerId":77,"connected":true})");
  EXPECT_EQ(seen.size(), 2u) << "still connected: no second resynchronisation";
  SetSession(rig, R"({"state":"SUCCEEDED","accountId":1,"summonerId":77,"connected":false})");
  SetSession(rig, R"({"state":"SUCCEEDED","accountId":1,"summonerId":77,"connected":true})");
  EXPECT_EQ(seen.size(), 4u) << "connected again";
  EXPECT_EQ(rig.Entries({"parties.UpdateLoginSession(77)"}, mark).size(), 3u);
}

TEST(LoginTest, AReconnectionInAPartyResynchronisesTheParty) {
  LobbyRig rig;
  rig.Drive({Lobby::LobbyEvents::kAcceptedPartyInvite});
  const std::size_t mark = rig.Mark();
  SetSession(rig, R"({"state":"IN_PROGRESS","connected":true})");
  EXPECT_EQ(rig.Entries({"parties.CancelMatchmaking", "parties.UpdateSearchAfterCancel",
                         "parties.FetchPartiesState", "parties.UpdateLoginSession"},
                        mark),
            (Names{"parties.CancelMatchmaking", "parties.UpdateSearchAfterCancel",
                   "parties.FetchPartiesState"}))
      << "a session in progress is not handed on";
}

TEST(LoginTest, LoggingOutQuitsALobbyAndNothingOutsideOne) {
  struct Row {
    const char* label;
    std::vector<Lobby::LobbyEvent> events;  // into the lobby
    std::size_t logs;
  };
  const std::vector<Row> rows = {
      {"in a party lobby", {Lobby::LobbyEvents::kAcceptedPartyInvite}, 1},
      // Its exit opens no batch: the quit must still rebuild the view.
      {"in a legacy lobby", {Lobby::LobbyEvents::kAcceptedLegacyInvite}, 1},
      {"out of a lobby", {}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    LobbyRig rig;
    rig.Drive(row.events);
    const std::size_t mark = rig.Mark();
    SetSession(rig, R"({"state":"LOGGING_OUT","accountId":1,"summonerId":77})");
    EXPECT_EQ(rig.Entries({"log Player is logging out"}, mark).size(), row.logs);
    EXPECT_EQ(rig.Rebuilds(mark), static_cast<int>(row.logs)) << "once, after the quit";
    EXPECT_EQ(rig.StateName(), "OutOfLobby");
  }
}

}  // namespace
}  // namespace Zarn::Client::Testing
