// The parties backend's stored state with the plugin's real backends in-process on the stand-in
// host in the default world: which states are accepted, what follows an accepted one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "host/ResourceEventName.h"
#include "lobby/core/LobbyTimerNames.h"
#include "sdk/binding/TypedConversions.h"
#include "tests/lobby/backends/PartiesStateTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using ::testing::Contains;
using ::testing::DoubleNear;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using namespace PartiesStateTesting;
using Texts = std::vector<std::string>;
using Change = std::function<void(Api::PlayerDto&)>;

constexpr char kCommsMembersPath[] = "/jyx-lobby/v2/comms/members";
constexpr char kPlayerStatusPath[] = "/jyx-gameflow/v1/gameflow-metadata/player-status";
constexpr char kQueue420[] =
    R"([{"id":420,"isTeamBuilderManaged":true,"queueAvailability":"Available",)"
    R"("maximumParticipantListSize":5}])";

// How a state reaches the backend.
enum class Via { Notification, Message };

// The stored state, changed by `change` and made one step newer (the player's and the party's
// versions), as the service would send it.
Api::PlayerDto Newer(PartiesWorld& w, const Change& change = nullptr) {
  Api::PlayerDto player = Lobby::PartiesBackendTesting::Player(w.Backend());
  player.version += 1;
  if (player.currentParty.has_value()) player.currentParty->version += 1;
  if (change) change(player);
  return player;
}

std::string Json(PartiesWorld& w, const Api::PlayerDto& player) {
  return ToJsonString(player, w.Plugin().GetRegistry());
}

void Send(PartiesWorld& w, const Api::PlayerDto& player, Via via = Via::Notification) {
  if (via == Via::Notification) {
    w.Notify(R"({"player":)" + Json(w, player) + "}");
  } else {
    w.proxy_.SendAsyncEvent("parties", "player", Host::ProxyMessage{Json(w, player), "200", ""});
    w.host_.RunDue();
  }
}

Api::PartyMemberDto& LocalMember(Api::PlayerDto& player) {
  for (Api::PartyMemberDto& member : player.currentParty->players) {
    if (member.summonerId == kSummonerId) return member;
  }
  ADD_FAILURE() << "no local member";
  return player.currentParty->players.front();
}

// A second member of the party, with role `role`.
Api::PartyMemberDto Other(const Api::PlayerDto& player, Api::PartyMemberRoleEnum role) {
  Api::PartyMemberDto other;
  other.puuid = "puuid-other";
  other.summonerId = 77;
  other.partyId = player.currentParty->partyId;
  other.role = role;
  return other;
}

using PartiesStateTest = PartiesWorldTest;

TEST_F(PartiesStateTest, StatesThatAreNoRepliesAreStoredOnlyInOrder) {
  struct Case {
    const char* label;
    Via via;
    Change change;  // applied to the stored state as it is (no newer versions)
    bool stored;
    const char* logged;  // "<level>|<line>", or null
  };
  const std::vector<Case> cases = {
      {"created 1 ms before", Via::Notification,
       [](Api::PlayerDto& p) {
         p.createdAt -= 1;
         p.version += 5;
       },
       false, "1|Parties state created time out of order."},
      {"an older version", Via::Message,
       [](Api::PlayerDto& p) {
         p.version -= 1;
         p.currentParty->version += 5;
       },
       false, "1|Parties state version out of order."},
      {"a party version not newer", Via::Message,
       [](Api::PlayerDto& p) { p.currentParty->partyType = "open"; }, false, nullptr},
      {"a newer version", Via::Message,
       [](Api::PlayerDto& p) {
         p.version += 1;
         p.currentParty->partyType = "open";
       },
       true, nullptr},
      {"a newer party version", Via::Notification,
       [](Api::PlayerDto& p) {
         p.currentParty->version += 1;
         p.currentParty->partyType = "open";
       },
       true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PartiesWorld& w = Fresh();
    w.Start();
    ASSERT_NE(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
    Api::PlayerDto incoming = Lobby::PartiesBackendTesting::Player(w.Backend());
    c.change(incoming);
    const std::string before = Json(w, Lobby::PartiesBackendTesting::Player(w.Backend()));
    const std::size_t logs = w.LogMark();
    Send(w, incoming, c.via);
    EXPECT_EQ(Json(w, Lobby::PartiesBackendTesting::Player(w.Backend())),
              c.stored ? Json(w, incoming) : before);
    if (c.logged != nullptr) {
      EXPECT_THAT(w.Logged("out of order", logs), ElementsAre(c.logged));
    } else {
      EXPECT_THAT(w.Logged("out of order", logs), IsEmpty());
    }
  }
}

TEST_F(PartiesStateTest, ExactDuplicatesAreCountedAtTheSamplingRate) {
  PartiesWorld& w = Fresh();
  w.host_.SeedResource(std::string(kConfig) + "NotificationDelaySamplingPercentage", "100.0");
  w.Start();
  const Api::PlayerDto duplicate = Lobby::PartiesBackendTesting::Player(w.Backend());
  for (int i = 0; i < 2; ++i) Send(w, duplicate);
  // A duplicate through the service proxy is counted too, under its own type.
  Send(w, duplicate, Via::Message);
  const Texts events = w.Telemetry("parties-update-duplicate");
  ASSERT_EQ(events.size(), 3u);
  const char* const expected[][2] = {{"ZMS", "1"}, {"ZMS", "2"}, {"ServiceProxy", "3"}};
  for (std::size_t i = 0; i < events.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_THAT(events[i], HasSubstr(std::string(R"("updateType":")") + expected[i][0] + "\""));
    EXPECT_THAT(events[i], HasSubstr(std::string(R"("updateCount":")") + expected[i][1] + "\""));
    EXPECT_THAT(events[i], HasSubstr(R"("delayMillis":"0")"));
  }

  // A duplicate that is not exact (another party id) is refused without telemetry.
  Api::PlayerDto other = duplicate;
  other.currentParty->partyId = "another-party";
  Send(w, other);
  EXPECT_EQ(w.Telemetry("parties-update-duplicate").size(), 3u);
  EXPECT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).currentParty->partyId,
            duplicate.currentParty->partyId);
}

TEST_F(PartiesStateTest, AnOlderReplyToAnOwnRequestIsStored) {
  PartiesWorld& w = Fresh();
  w.Start();
  const std::uint64_t serviceVersion = Lobby::PartiesBackendTesting::Player(w.Backend()).version;
  Send(w, Newer(w, [](Api::PlayerDto& p) { p.version += 5; }));
  ASSERT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).version, serviceVersion + 6);
  w.Backend().FetchPartiesState();
  EXPECT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).version, serviceVersion);
}

TEST_F(PartiesStateTest, MessagesAreDroppedWhileDisabledOrUnreadable) {
  PartiesWorld& w = Fresh();
  w.Start();
  const std::size_t logs = w.LogMark();
  // Not a notification's JSON: the text is logged as it came.
  const std::string text = R"({"player": {"puuid": 7)";
  w.Notify(text);
  EXPECT_THAT(w.Logged("Failed to deserialize party notification", logs),
              ElementsAre("2|Failed to deserialize party notification: " + text));
  w.Notify(R"({"player": [1, 2]})");
  EXPECT_EQ(w.Logged("Failed to deserialize party notification", logs).size(), 2u);

  // Only a queue restriction: the party state stays.
  const std::string before = Json(w, Lobby::PartiesBackendTesting::Player(w.Backend()));
  ASSERT_TRUE(w.parties_.PushQueueRestriction(
      R"({"gatekeeperRestrictions":[{"reason":"QUEUE_DODGER","remainingMillis":1000}]})"));
  w.host_.RunDue();
  EXPECT_EQ(Json(w, Lobby::PartiesBackendTesting::Player(w.Backend())), before);

  // Disabled: both kinds are dropped after their line.
  const Host::RouteAnswer answer =
      w.Call("POST", "/jyx-lobby/v2/parties/overrides/Enabled?enabled=false");
  ASSERT_FALSE(answer.error.has_value());
  const std::size_t disabled = w.LogMark();
  Api::PlayerDto newer;
  newer.puuid = kPuuid;
  newer.createdAt = 1;
  Send(w, newer);
  Send(w, newer, Via::Message);
  EXPECT_THAT(w.Logged("Ignoring Parties", disabled),
              ElementsAre("1|Ignoring Parties ZMS messages because service is disabled.",
                          "1|Ignoring Parties client proxy messages because service is disabled."));
  EXPECT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
}

TEST_F(PartiesStateTest, AnAcceptedStateTellsTheCommsMembersOnlyWhenTheyChange) {
  PartiesWorld& w = Fresh();
  w.Start();
  std::size_t published = w.EventMark();
  Send(w, Newer(w, [](Api::PlayerDto& p) { p.currentParty->partyType = "open"; }));
  ASSERT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).currentParty->partyType, "open");
  EXPECT_THAT(w.Payloads(kCommsMembersPath, published), IsEmpty());

  Send(w, Newer(w, [](Api::PlayerDto& p) {
         p.currentParty->players.push_back(Other(p, Api::PartyMemberRoleEnum::MEMBER));
       }));
  const Texts events = w.Payloads(kCommsMembersPath, published);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_THAT(events[0], HasSubstr(R"("eventType":"Update")"));
  EXPECT_THAT(events[0], HasSubstr("puuid-other"));
  EXPECT_THAT(events[0], HasSubstr(kPuuid));

  // An invitee is no comms member.
  published = w.EventMark();
  Send(w, Newer(w, [](Api::PlayerDto& p) {
         Api::PartyMemberDto invited = Other(p, Api::PartyMemberRoleEnum::INVITED);
         invited.puuid = "puuid-invited";
         invited.summonerId = 78;
         p.currentParty->players.push_back(invited);
       }));
  EXPECT_THAT(w.Payloads(kCommsMembersPath, published), IsEmpty());

  // Another party.
  Send(w, Newer(w, [](Api::PlayerDto& p) { p.currentParty->partyId = "party-new"; }));
  EXPECT_EQ(w.Payloads(kCommsMembersPath, published).size(), 1u);
}

TEST_F(PartiesStateTest, AnAcceptedStateUpdatesTheSearch) {
  PartiesWorld& w = Fresh();
  w.Start();
  // Locked with a resume time, then released.
  Send(w, Newer(w, [](Api::PlayerDto& p) {
         p.currentParty->activityLocked = true;
         p.currentParty->activityResumeUtcMillis = p.serverUtcMillis + 30'000;
       }));
  std::size_t mark = w.Mark();
  Send(w, Newer(w, [](Api::PlayerDto& p) { p.currentParty->activityLocked = false; }));
  EXPECT_THAT(w.SentWithMethods(kSearchPath, mark),
              ElementsAre(HasSubstr(R"("searchState":"Canceled")")));

  // Released without a resume time: nothing to tell.
  Send(w, Newer(w, [](Api::PlayerDto& p) {
         p.currentParty->activityLocked = true;
         p.currentParty->activityResumeUtcMillis = 0;
       }));
  mark = w.Mark();
  Send(w, Newer(w, [](Api::PlayerDto& p) { p.currentParty->activityLocked = false; }));
  EXPECT_THAT(w.SentWithMethods(kSearchPath, mark), IsEmpty());

  // Restrictions: the search with the low-priority data made of them.
  mark = w.Mark();
  Send(w, Newer(w, [](Api::PlayerDto& p) {
         Api::GatekeeperRestrictionDto restriction;
         restriction.reason = "LEAVER_BUSTED";
         restriction.accountId = 9001;
         restriction.remainingMillis = 90'000;
         restriction.payload = "leaver-token";
         p.currentParty->activeRestrictions.gatekeeperRestrictions = {restriction};
         LocalMember(p).accountId = 9001;
       }));
  const Texts sent = w.SentWithMethods(kSearchPath, mark);
  ASSERT_EQ(sent.size(), 1u);
  for (const char* part :
       {R"("searchState":"Searching")", R"("penaltyTime":90)", R"("penalizedSummonerIds":[2046])",
        R"("bustedLeaverAccessToken":"leaver-token")"}) {
    EXPECT_THAT(sent[0], HasSubstr(part));
  }
  // The same restrictions again: nothing new to tell.
  mark = w.Mark();
  Send(w, Newer(w));
  EXPECT_THAT(w.SentWithMethods(kSearchPath, mark), IsEmpty());
}

TEST_F(PartiesStateTest, APartyWithoutQueueEndsThePartyLobbyWithAKick) {
  for (const bool endOfGame : {false, true}) {
    SCOPED_TRACE(endOfGame ? "end of game" : "lobby");
    PartiesWorld& w = Fresh();
    w.AllowLobbies();
    w.Start();
    ASSERT_TRUE(w.Plugin().SetPartyLobbyActive(true));
    ASSERT_EQ(w.State(), "PartyLobby");
    if (endOfGame) {
      w.SetPhase("EndOfGame");
      Api::LobbyStatus lastQueued;
      lastQueued.queueId = -1;
      lastQueued.allowedPlayAgain = true;
      LobbyPluginTesting::MutablePlayerStatus(w.Plugin()).lastQueuedLobbyStatus = lastQueued;
    }
    ASSERT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).currentParty->gameMode.queueId, -1);
    const std::size_t requests = w.Mark();
    Send(w, Newer(w));
    EXPECT_EQ(w.State(), "OutOfLobby");
    const Host::RouteAnswer notifications = w.Call("GET", "/jyx-lobby/v2/notifications");
    const std::string body = notifications.body;
    EXPECT_THAT(body, HasSubstr(R"("notificationReason":"KICKED")"));
    EXPECT_THAT(body, HasSubstr(R"("summonerIds":[2046])"));
    EXPECT_EQ(body.find("KICKED"), body.rfind("KICKED")) << body;
    const Api::PlayerStatus& status = LobbyPluginTesting::PlayerStatus(w.Plugin());
    if (endOfGame) {
      // The end-of-game state was refreshed: no more play again.
      ASSERT_TRUE(status.lastQueuedLobbyStatus.has_value());
      EXPECT_FALSE(status.lastQueuedLobbyStatus->allowedPlayAgain);
      EXPECT_THAT(w.SentWithMethods(kPlayerStatusPath, requests),
                  Contains(HasSubstr("allowedPlayAgain")));
    }
  }
}

TEST_F(PartiesStateTest, DisablingTheQueuesInThePartyLobbyLeavesIt) {
  PartiesWorld& w = Fresh();
  w.host_.SeedResource("/jyx-game-queues/v1/queues", kQueue420);
  w.AllowLobbies();
  w.Start();
  const Host::RouteAnswer created = w.Call("POST", "/jyx-lobby/v2/lobby", R"({"queueId":420})");
  ASSERT_FALSE(created.error.has_value()) << *created.error;
  ASSERT_EQ(w.State(), "PartyLobby");
  ASSERT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).currentParty->gameMode.queueId, 420);
  w.SetPhase("Lobby");
  const std::string partyId =
      Lobby::PartiesBackendTesting::Player(w.Backend()).currentParty->partyId;
  const std::size_t mark = w.PartiesMark();
  const std::size_t requests = w.Mark();
  const Host::RouteAnswer answer =
      w.Call("POST",
             "/jyx-lobby/v2/parties/overrides/"
             "EnabledForTeamBuilderQueues?enabledForTeambuilderQueues=false");
  ASSERT_FALSE(answer.error.has_value());
  EXPECT_THAT(w.SentWithMethods(kSearchPath, requests),
              ElementsAre(HasSubstr(R"("searchState":"Canceled")")));
  EXPECT_THAT(w.PartiesSent(mark),
              Contains("PUT /v1/parties/" + partyId + "/members/puuid-stand-in/role"));
  EXPECT_EQ(w.State(), "OutOfLobby");
  const Host::RouteAnswer notifications = w.Call("GET", "/jyx-lobby/v2/notifications");
  EXPECT_THAT(notifications.body,
              HasSubstr(R"("notificationReason":"ServiceShutdown","summonerIds":[])"));
}

TEST_F(PartiesStateTest, AfterAGameTheQueueChecksFollowTheLastQueuedLobby) {
  struct Case {
    const char* label;
    bool partyInQueue;
    bool queuesEnabled;  // the override that runs the check
    bool leaves;
    bool notified;
  };
  const std::vector<Case> cases = {
      {"disabled, the party in that queue", true, false, true, true},
      {"disabled, the party without queue", false, false, false, false},
      {"enabled, the party in that queue", true, true, false, false},
      {"enabled, the party without queue", false, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PartiesWorld& w = Fresh();
    w.host_.SeedResource("/jyx-game-queues/v1/queues", kQueue420);
    w.AllowLobbies();
    w.Start();
    if (c.partyInQueue) {
      const Host::RouteAnswer created = w.Call("POST", "/jyx-lobby/v2/lobby", R"({"queueId":420})");
      ASSERT_FALSE(created.error.has_value()) << *created.error;
    }
    w.SetPhase("EndOfGame");
    Api::LobbyStatus lastQueued;
    lastQueued.queueId = 420;
    LobbyPluginTesting::MutablePlayerStatus(w.Plugin()).lastQueuedLobbyStatus = lastQueued;
    const std::size_t mark = w.PartiesMark();
    const Host::RouteAnswer answer =
        w.Call("POST", std::string("/jyx-lobby/v2/parties/overrides/EnabledForTeamBuilderQueues?"
                                   "enabledForTeambuilderQueues=") +
                           (c.queuesEnabled ? "true" : "false"));
    ASSERT_FALSE(answer.error.has_value());
    const Texts sent = w.PartiesSent(mark);
    EXPECT_EQ(sent.size(), c.leaves ? 1u : 0u) << ::testing::PrintToString(sent);
    const std::string body = w.Call("GET", "/jyx-lobby/v2/notifications").body;
    EXPECT_EQ(body.find("ServiceShutdown") != std::string::npos, c.notified) << body;
  }
}

TEST_F(PartiesStateTest, TheLocalMemberIsReadiedAgainInTheLobby) {
  struct Case {
    const char* label;
    std::optional<bool> ready;
    bool locked;
    bool sent;
  };
  const std::vector<Case> cases = {
      {"not ready", false, false, true},
      {"ready not known", std::nullopt, false, false},
      {"ready", true, false, false},
      {"not ready in a locked party", false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PartiesWorld& w = Fresh();
    w.Start();
    w.SetPhase("Lobby");
    const std::size_t mark = w.PartiesMark();
    Send(w, Newer(w, [&c](Api::PlayerDto& p) {
           LocalMember(p).ready = c.ready;
           p.currentParty->activityLocked = c.locked;
         }));
    const std::string ready =
        "PUT /v1/parties/" +
        Lobby::PartiesBackendTesting::Player(w.Backend()).currentParty->partyId + "/members/" +
        kPuuid + "/ready";
    if (c.sent) {
      ASSERT_THAT(w.PartiesSent(mark), ElementsAre(ready));
      EXPECT_EQ(w.parties_.Records().back().body, "true");
    } else {
      EXPECT_THAT(w.PartiesSent(mark), IsEmpty());
    }
  }
}

TEST_F(PartiesStateTest, ALockedLeaderWaitsForTheResumeTime) {
  constexpr std::int64_t kServer = 1'767'225'600'000;
  constexpr std::uint64_t kTwoTo63 = std::uint64_t{1} << 63;
  struct Case {
    const char* label;
    std::uint64_t resume;
    std::int64_t server;
    Api::PartyMemberRoleEnum role;  // the local member's; NONE: missing from the party
    std::optional<double> wait;
  };
  const std::vector<Case> cases = {
      {"2 s ahead", kServer + 2'000, kServer, Api::PartyMemberRoleEnum::LEADER, 5.0},
      {"60 s ahead", kServer + 60'000, kServer, Api::PartyMemberRoleEnum::LEADER, 60.0},
      {"past", kServer - 60'000, kServer, Api::PartyMemberRoleEnum::LEADER, 5.0},
      {"2^63", kTwoTo63, kServer, Api::PartyMemberRoleEnum::LEADER, 5.0},
      {"far past", 1, std::numeric_limits<std::int64_t>::max(), Api::PartyMemberRoleEnum::LEADER,
       5.0},
      {"far ahead of a negative server time", static_cast<std::uint64_t>(kServer), -kServer,
       Api::PartyMemberRoleEnum::LEADER, 2.0 * kServer * 0.001},
      {"a member", kServer + 60'000, kServer, Api::PartyMemberRoleEnum::MEMBER, std::nullopt},
      {"missing from the party", kServer + 60'000, kServer, Api::PartyMemberRoleEnum::NONE,
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PartiesWorld& w = Fresh();
    w.Start();
    const std::size_t scheduled = w.ScheduleMark();
    const std::size_t logs = w.LogMark();
    Send(w, Newer(w, [&c](Api::PlayerDto& p) {
           p.serverUtcMillis = c.server;
           p.currentParty->activityLocked = true;
           p.currentParty->activityResumeUtcMillis = c.resume;
           if (c.role == Api::PartyMemberRoleEnum::NONE) {
             p.currentParty->players = {Other(p, Api::PartyMemberRoleEnum::LEADER)};
           } else {
             LocalMember(p).role = c.role;
           }
         }));
    const std::vector<double> waits = w.TimerDelays(kPartiesResumeActivityWait, scheduled);
    if (c.wait.has_value()) {
      EXPECT_THAT(waits, ElementsAre(DoubleNear(*c.wait, 1e-3)));
      char line[96];
      std::snprintf(line, sizeof line, "3|Parties activty resume scheduled for %f seconds",
                    *c.wait);
      EXPECT_THAT(w.Logged("resume scheduled", logs), ElementsAre(line));
    } else {
      EXPECT_THAT(waits, IsEmpty());
      EXPECT_THAT(w.Logged("resume scheduled", logs), IsEmpty());
    }
  }
}

TEST_F(PartiesStateTest, ANotFoundStateRegistersAgain) {
  PartiesWorld& w = Fresh();
  w.Start();
  w.Script("GET", "v1/players/*", 404, "NOT_FOUND");
  // The lock is taken before the registration's reply is stored: what is stored then is what
  // the error left.
  std::optional<Api::PlayerDto> storedAtLock;
  Host::ScriptedReply lock;
  lock.uses = 1;
  lock.during = [&] { storedAtLock = Lobby::PartiesBackendTesting::Player(w.Backend()); };
  w.host_.ScriptReply(kLockPath, lock);
  const std::size_t mark = w.PartiesMark();
  const std::size_t logs = w.LogMark();
  w.Backend().FetchPartiesState();
  EXPECT_THAT(w.PartiesSent(mark),
              ElementsAre("GET v1/players/puuid-stand-in", "PUT v1/players/puuid-stand-in"));
  EXPECT_THAT(w.Logged("Reregistering", logs),
              ElementsAre("2|Reregistering after parties error: 404 NOT_FOUND"));
  ASSERT_TRUE(storedAtLock.has_value());
  EXPECT_EQ(storedAtLock->createdAt, 0u);
  EXPECT_TRUE(storedAtLock->puuid.empty());
  EXPECT_FALSE(storedAtLock->currentParty.has_value());
  EXPECT_NE(Lobby::PartiesBackendTesting::Player(w.Backend()).createdAt, 0u);
}

TEST_F(PartiesStateTest, ANotificationDuringAnOwnRequestGivesWayToItsReply) {
  PartiesWorld& w = Fresh();
  w.Start();
  const std::uint64_t serviceVersion = Lobby::PartiesBackendTesting::Player(w.Backend()).version;
  Host::PartiesScript late;
  late.method = "GET";
  late.path = "v1/players/*";
  late.timing = Host::ProxyScript::Timing::OnYield;
  late.yield = 2;
  w.parties_.AddScript(late);
  const Api::PlayerDto newer = Newer(w, [](Api::PlayerDto& p) { p.version += 10; });
  std::uint64_t storedMeanwhile = 0;
  w.host_.OnYield(1, [&] {
    w.host_.DeliverEventNow(
        Host::ResourceEventName(kNotificationsPath),
        R"({"uri":")" + std::string(kNotificationsPath) + R"(","eventType":"Update","data":)" +
            PartiesWorld::NotificationJson(R"({"player":)" + Json(w, newer) + "}") + "}");
    storedMeanwhile = Lobby::PartiesBackendTesting::Player(w.Backend()).version;
  });
  w.Backend().FetchPartiesState();
  EXPECT_EQ(storedMeanwhile, newer.version);
  EXPECT_EQ(Lobby::PartiesBackendTesting::Player(w.Backend()).version, serviceVersion);
}

TEST_F(PartiesStateTest, AStateStoredWhileAnOlderOneWaitsIsKept) {
  PartiesWorld& w = Fresh();
  w.Start();
  const Api::PlayerDto older = Newer(w, [](Api::PlayerDto& p) {
    p.currentParty->players.push_back(Other(p, Api::PartyMemberRoleEnum::MEMBER));
  });
  const Api::PlayerDto newer = Newer(w, [](Api::PlayerDto& p) {
    p.version += 1;
    p.currentParty->partyType = "open";
  });
  Host::ScriptedReply lookup;
  lookup.json = "[]";
  lookup.uses = 1;
  bool injected = false;
  lookup.during = [&] {
    injected = true;
    w.host_.DeliverEventNow(
        Host::ResourceEventName(kNotificationsPath),
        R"({"uri":")" + std::string(kNotificationsPath) + R"(","eventType":"Update","data":)" +
            PartiesWorld::NotificationJson(R"({"player":)" + Json(w, newer) + "}") + "}");
  };
  w.host_.ScriptReply("/jyx-summoner/v2/summoners", lookup);
  const std::size_t logs = w.LogMark();
  Send(w, older);
  ASSERT_TRUE(injected);
  EXPECT_EQ(Json(w, Lobby::PartiesBackendTesting::Player(w.Backend())), Json(w, newer));
  EXPECT_THAT(w.Logged("out of order", logs), ElementsAre("1|Parties state version out of order."));
}

}  // namespace
}  // namespace Zarn::Client::Lobby
