// LobbyFlow's tables and actions, driven through the plugin with fake backends.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "lobby/core/LobbyFlow.h"
#include "lobby/core/TournamentCode.h"
#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Testing {
namespace {

using namespace Lobby::LobbyEvents;
using Events = std::vector<Lobby::LobbyEvent>;
using Names = std::vector<std::string>;

// Ways into each state from OutOfLobby.
const Events kToOutOfLobby = {};
const Events kToLobbyRequested = {kNewLobbyRequested};
const Events kToPartyLobby = {kAcceptedPartyInvite};
const Events kToSoloLobby = {kNewLobbyRequested, kNewLobbySucceeded};
const Events kToGroupLobbyRequested = {kNewLobbyRequested, kNewLobbySucceeded,
                                       kPlatformLobbyRequested};
const Events kToOwner = {kNewLobbyRequested, kNewLobbySucceeded, kPlatformLobbyRequested,
                         kPlatformLobbySucceeded};
const Events kToMember = {kAcceptedLegacyInvite};
const Events kToInviter = {kAcceptedLegacyInvite, kGainInvitePrivilege};
const Events kToChangingLobby = {kNewLobbyRequested, kNewLobbySucceeded, kNewLobbyRequested};

const Names kNone = {};
const Names kEntered = {"ENTERED_LOBBY"};
const Names kEnteredTwice = {"ENTERED_LOBBY", "ENTERED_LOBBY"};
const Names kExited = {"EXITED_LOBBY"};
const Names kFailed = {"FAILED_LOBBY"};
const Names kExitedFailed = {"EXITED_LOBBY", "FAILED_LOBBY"};

TEST(LobbyFlowTest, EveryRowLeadsToItsTargetWithItsActions) {
  struct Row {
    const char* table;  // the state whose row it is
    const Events& from;
    const Lobby::LobbyEvent& event;
    const char* target;
    const Names& gameflow;  // events posted by exits, the row's action and entries
  };
  const std::vector<Row> rows = {
      {"LobbyFlow", kToMember, kLogout, "OutOfLobby", kExited},
      {"LobbyFlow", kToMember, kLobbyFailed, "OutOfLobby", kExitedFailed},
      {"OutOfLobby", kToOutOfLobby, kAcceptedLegacyInvite, "Member", kEntered},
      {"OutOfLobby", kToOutOfLobby, kAcceptedPartyInvite, "PartyLobby", kEntered},
      {"OutOfLobby", kToOutOfLobby, kPartyLobbyRequested, "LobbyRequested", kNone},
      {"OutOfLobby", kToOutOfLobby, kNewLobbyRequested, "LobbyRequested", kNone},
      {"OutOfLobby", kToOutOfLobby, kNewCustomLobbyRequested, "LobbyRequested", kNone},
      {"OutOfLobby", kToOutOfLobby, kJoiningCustomLobby, "LobbyRequested", kNone},
      {"OutOfLobby", kToOutOfLobby, kPartyLobbyInactive, "OutOfLobby", kNone},
      {"LobbyRequested", kToLobbyRequested, kPartyLobbySucceeded, "PartyLobby", kEntered},
      {"LobbyRequested", kToLobbyRequested, kNewLobbySucceeded, "SoloLobby", kEntered},
      {"LobbyRequested", kToLobbyRequested, kNewCustomLobbySucceeded, "Owner", kEntered},
      {"LobbyRequested", kToLobbyRequested, kJoinedCustomLobby, "Member", kEntered},
      {"LobbyRequested", kToLobbyRequested, kLobbyFailed, "OutOfLobby", kFailed},
      {"InLobby", kToSoloLobby, kAcceptedLegacyInvite, "Member", kEntered},
      {"InLobby", kToSoloLobby, kAcceptedPartyInvite, "PartyLobby", kEnteredTwice},
      {"InLobby", kToSoloLobby, kQuitLobby, "OutOfLobby", kExited},
      {"InLobby", kToPartyLobby, kKicked, "OutOfLobby", kExited},
      {"InLobby", kToSoloLobby, kPartyLobbyRequested, "ChangingLobby", kNone},
      {"InLobby", kToPartyLobby, kNewLobbyRequested, "ChangingLobby", kNone},
      {"InLobby", kToSoloLobby, kNewCustomLobbyRequested, "ChangingLobby", kNone},
      {"InLobby", kToOwner, kJoiningCustomLobby, "ChangingLobby", kNone},
      {"InLobby", kToInviter, kProgressed, "OutOfLobby", kExited},
      {"PartyLobby", kToPartyLobby, kPartyLobbyInactive, "OutOfLobby", kExited},
      {"PartyLobby", kToPartyLobby, kPartyLobbyActive, "PartyLobby", kNone},
      {"PartyLobby", kToPartyLobby, kLobbyDestroyed, "PartyLobby", kNone},
      {"PartyLobby", kToPartyLobby, kTransferOwnership, "PartyLobby", kNone},
      {"PartyLobby", kToPartyLobby, kGetPromoted, "PartyLobby", kNone},
      {"PartyLobby", kToPartyLobby, kGainInvitePrivilege, "PartyLobby", kNone},
      {"PartyLobby", kToPartyLobby, kLoseInvitePrivilege, "PartyLobby", kNone},
      {"LegacyLobby", kToMember, kLobbyDestroyed, "OutOfLobby", kExited},
      {"LegacyLobby", kToSoloLobby, kPartyLobbyActive, "PartyLobby", kEntered},
      {"LegacyLobby", kToGroupLobbyRequested, kPartyLobbyInactive, "GroupLobbyRequested", kNone},
      {"SoloLobby", kToSoloLobby, kPlatformLobbyRequested, "GroupLobbyRequested", kNone},
      {"GroupLobbyRequested", kToGroupLobbyRequested, kPlatformLobbySucceeded, "Owner", kNone},
      {"GroupLobbyRequested", kToGroupLobbyRequested, kLobbyFailed, "SoloLobby", kFailed},
      {"Owner", kToOwner, kTransferOwnership, "Member", kNone},
      {"Owner", kToOwner, kGetPromoted, "Owner", kNone},
      {"Inviter", kToInviter, kGetPromoted, "Owner", kNone},
      {"Inviter", kToInviter, kLoseInvitePrivilege, "Member", kNone},
      {"Member", kToMember, kGetPromoted, "Owner", kNone},
      {"Member", kToMember, kGainInvitePrivilege, "Inviter", kNone},
      {"ChangingLobby", kToChangingLobby, kPartyLobbySucceeded, "PartyLobby", kEnteredTwice},
      {"ChangingLobby", kToChangingLobby, kNewLobbySucceeded, "SoloLobby", kEnteredTwice},
      {"ChangingLobby", kToChangingLobby, kNewCustomLobbySucceeded, "Owner", kEnteredTwice},
      {"ChangingLobby", kToChangingLobby, kJoinedCustomLobby, "Member", kEnteredTwice},
      {"ChangingLobby", kToChangingLobby, kLobbyFailed, "OutOfLobby", kExitedFailed},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.table) + ": " + std::string(row.event));
    LobbyRig rig;
    rig.Drive(row.from);
    const std::size_t mark = rig.Mark();
    EXPECT_TRUE(rig.Fire(row.event));
    EXPECT_EQ(rig.StateName(), row.target);
    EXPECT_EQ(rig.GameflowEvents(mark), row.gameflow);
  }
}

TEST(LobbyFlowTest, EventsNoStateListsChangeNothing) {
  struct Case {
    const Events& from;
    const Lobby::LobbyEvent& event;
    const char* state;
  };
  const std::vector<Case> cases = {
      {kToSoloLobby, kTransferOwnership, "SoloLobby"},
      {kToOutOfLobby, kQuitLobby, "OutOfLobby"},
      {kToLobbyRequested, kPartyLobbyActive, "LobbyRequested"},
      {kToOwner, kPlatformLobbyRequested, "Owner"},
      {kToMember, kLoseInvitePrivilege, "Member"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.event) + " in " + c.state);
    LobbyRig rig;
    rig.Drive(c.from);
    const std::size_t mark = rig.Mark();
    EXPECT_FALSE(rig.Fire(c.event));
    EXPECT_EQ(rig.StateName(), c.state);
    EXPECT_EQ(rig.Entries({"log LobbyFlow", "request", "publish", "parties.", "platform."}, mark),
              Names{});
  }
}

// The lines, gameflow posts, resources and backend calls of a few paths, in order.
TEST(LobbyFlowTest, PathsRunTheirActionsInOrder) {
  const Names kWatched = {"log LobbyFlow", "request /jyx-gameflow", "publish", "parties.Refresh"};
  const std::string kEnteredPost =
      "request /jyx-gameflow/v1/session/event \"GAMEFLOW_EVENT.ENTERED_LOBBY\"";
  const std::string kStoppedCountdown =
      R"(publish {"data":{"countdown":0,"enabled":false},"eventType":"Update",)"
      R"("uri":"/jyx-lobby/v2/lobby/countdown"})";
  const std::string kNoPartyRewards =
      R"(publish {"data":{"isCustom":false,"isEnabled":false,"partyRewards":[],"queueId":-1},)"
      R"("eventType":"Update","uri":"/jyx-lobby/v1/party-rewards"})";
  const std::string kV1LobbyDeleted =
      R"(publish {"data":null,"eventType":"Delete","uri":"/jyx-lobby/v1/lobby"})";
  {
    SCOPED_TRACE("start");
    LobbyRig rig;
    // The start's reads of the gameflow resources are no actions of the machine.
    EXPECT_EQ(rig.Entries({"log LobbyFlow", "request /jyx-gameflow/v1/session/event", "publish",
                           "parties.Refresh"}),
              (Names{Entering("LobbyFlow"), Entering("OutOfLobby")}));
    EXPECT_EQ(rig.StateName(), "OutOfLobby");
    EXPECT_FALSE(rig.plugin->IsInLobby());
  }
  {
    SCOPED_TRACE("a matchmade lobby");
    LobbyRig rig;
    const std::size_t mark = rig.Mark();
    rig.Drive(kToSoloLobby);
    // The view's own publications are the view model tests' concern.
    Names entries = rig.Entries(kWatched, mark);
    std::erase_if(entries, [](const std::string& entry) {
      return entry.ends_with(R"("uri":"/jyx-lobby/v2/lobby"})") ||
             entry.ends_with(R"("uri":"/jyx-lobby/v2/lobby/members"})");
    });
    // Starting the countdown recounts from inside, so the entry publishes both countdowns twice.
    const Names countdowns = {
        R"(publish {"data":2700,"eventType":"Update","uri":"/jyx-lobby/v1/lobby/countdown"})",
        R"(publish {"data":{"countdown":2700,"enabled":true},"eventType":"Update",)"
        R"("uri":"/jyx-lobby/v2/lobby/countdown"})"};
    EXPECT_EQ(entries,
              (Names{Entering("LobbyRequested"), Exiting("LobbyRequested"), Exiting("OutOfLobby"),
                     Entering("InLobby"), Entering("LegacyLobby"), kEnteredPost, countdowns[0],
                     countdowns[1], countdowns[0], countdowns[1],
                     R"(publish {"data":"PlatformDisabled","eventType":"Update",)"
                     R"("uri":"/jyx-lobby/v1/lobby/availability"})",
                     Entering("SoloLobby")}));
    EXPECT_EQ(rig.plugin->ActiveBackend(), rig.factory->platform);
    EXPECT_TRUE(rig.plugin->IsInLobby());
  }
  {
    SCOPED_TRACE("a party invitation accepted as owner");
    LobbyRig rig;
    rig.Drive(kToOwner);
    const std::size_t mark = rig.Mark();
    EXPECT_TRUE(rig.Fire(kAcceptedPartyInvite));
    EXPECT_EQ(rig.Entries(kWatched, mark),
              (Names{Exiting("Owner"), Exiting("GroupLobby"), Exiting("LegacyLobby"),
                     kNoPartyRewards, kV1LobbyDeleted, kEnteredPost, Entering("PartyLobby"),
                     kStoppedCountdown, "parties.RefreshAfterUpdate", kEnteredPost}));
    EXPECT_EQ(rig.plugin->ActiveBackend(), rig.factory->parties);
  }
  {
    SCOPED_TRACE("leaving a party lobby");
    LobbyRig rig;
    rig.Drive(kToPartyLobby);
    const std::size_t mark = rig.Mark();
    EXPECT_TRUE(rig.Fire(kQuitLobby));
    EXPECT_EQ(rig.Entries(kWatched, mark),
              (Names{Exiting("PartyLobby"), kNoPartyRewards, kV1LobbyDeleted,
                     R"(publish {"data":null,"eventType":"Delete","uri":"/jyx-lobby/v2/lobby"})",
                     Exiting("InLobby"), kStoppedCountdown,
                     "request /jyx-gameflow/v1/session/event \"GAMEFLOW_EVENT.EXITED_LOBBY\"",
                     Entering("OutOfLobby")}));
    EXPECT_EQ(rig.plugin->ActiveBackend(), nullptr);
  }
}

TEST(LobbyFlowTest, AcceptedLegacyInvitePostsEnteredOncePerEntryAndAction) {
  struct Case {
    const char* from;
    const Events& path;
    int entered;
  };
  const std::vector<Case> cases = {
      {"OutOfLobby", kToOutOfLobby, 1},  // LegacyLobby's entry
      {"PartyLobby", kToPartyLobby, 2},  // the row's action, then LegacyLobby's entry
      {"SoloLobby", kToSoloLobby, 1},    // the row's action; LegacyLobby stays
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    LobbyRig rig;
    rig.Drive(c.path);
    const std::size_t mark = rig.Mark();
    EXPECT_TRUE(rig.Fire(kAcceptedLegacyInvite));
    EXPECT_EQ(rig.StateName(), "Member");
    EXPECT_EQ(rig.GameflowEvents(mark), Names(c.entered, "ENTERED_LOBBY"));
  }
}

TEST(LobbyFlowTest, PartyLobbyActiveInALegacyLobbyHandsOverToThePartiesBackend) {
  LobbyRig rig;
  rig.Drive(kToSoloLobby);
  const std::size_t mark = rig.Mark();
  EXPECT_TRUE(rig.Fire(kPartyLobbyActive));
  EXPECT_EQ(rig.StateName(), "PartyLobby");
  EXPECT_EQ(rig.plugin->ActiveBackend(), rig.factory->parties);
  EXPECT_EQ(rig.Entries({"parties.RefreshAfterUpdate"}, mark).size(), 1u);
  EXPECT_EQ(rig.Entries({Exiting("LegacyLobby"), Entering("PartyLobby")}, mark),
            (Names{Exiting("LegacyLobby"), Entering("PartyLobby")}));
}

TEST(LobbyFlowTest, StatesAreNamedAndParentedAsTheTreeIs) {
  namespace Flow = Lobby::LobbyFlow;
  struct Case {
    const Lobby::LobbyState& state;
    const char* name;
    const Lobby::LobbyState* parent;
  };
  const std::vector<Case> cases = {
      {Flow::kLobbyFlow, "LobbyFlow", nullptr},
      {Flow::kOutOfLobby, "OutOfLobby", &Flow::kLobbyFlow},
      {Flow::kLobbyRequested, "LobbyRequested", &Flow::kOutOfLobby},
      {Flow::kInLobby, "InLobby", &Flow::kLobbyFlow},
      {Flow::kPartyLobby, "PartyLobby", &Flow::kInLobby},
      {Flow::kLegacyLobby, "LegacyLobby", &Flow::kInLobby},
      {Flow::kSoloLobby, "SoloLobby", &Flow::kLegacyLobby},
      {Flow::kGroupLobbyRequested, "GroupLobbyRequested", &Flow::kSoloLobby},
      {Flow::kGroupLobby, "GroupLobby", &Flow::kLegacyLobby},
      {Flow::kOwner, "Owner", &Flow::kGroupLobby},
      {Flow::kInviter, "Inviter", &Flow::kGroupLobby},
      {Flow::kMember, "Member", &Flow::kGroupLobby},
      {Flow::kChangingLobby, "ChangingLobby", &Flow::kInLobby},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.state.name, c.name);
    EXPECT_EQ(c.state.parent, c.parent);
  }
}

TEST(LobbyFlowTest, EventNamesCarryThePrefix) {
  const std::vector<std::pair<const Lobby::LobbyEvent*, const char*>> events = {
      {&kAcceptedLegacyInvite, "ACCEPTED_LEGACY_INVITE"},
      {&kAcceptedPartyInvite, "ACCEPTED_PARTY_INVITE"},
      {&kGainInvitePrivilege, "GAIN_INVITE_PRIVILEGE"},
      {&kLoseInvitePrivilege, "LOSE_INVITE_PRIVILEGE"},
      {&kGetPromoted, "GET_PROMOTED"},
      {&kTransferOwnership, "TRANSFER_OWNERSHIP"},
      {&kJoinedCustomLobby, "JOINED_CUSTOM_LOBBY"},
      {&kJoiningCustomLobby, "JOINING_CUSTOM_LOBBY"},
      {&kKicked, "KICKED"},
      {&kLobbyDestroyed, "LOBBY_DESTROYED"},
      {&kProgressed, "PROGRESSED"},
      {&kLobbyFailed, "LOBBY_FAILED"},
      {&kNewLobbyRequested, "NEW_LOBBY_REQUESTED"},
      {&kNewLobbySucceeded, "NEW_LOBBY_SUCCEEDED"},
      {&kNewCustomLobbyRequested, "NEW_CUSTOM_LOBBY_REQUESTED"},
      {&kNewCustomLobbySucceeded, "NEW_CUSTOM_LOBBY_SUCCEEDED"},
      {&kPartyLobbyRequested, "PARTY_LOBBY_REQUESTED"},
      {&kPartyLobbySucceeded, "PARTY_LOBBY_SUCCEEDED"},
      {&kPartyLobbyActive, "PARTY_LOBBY_ACTIVE"},
      {&kPartyLobbyInactive, "PARTY_LOBBY_INACTIVE"},
      {&kPlatformLobbyRequested, "PLATFORM_LOBBY_REQUESTED"},
      {&kPlatformLobbySucceeded, "PLATFORM_LOBBY_SUCCEEDED"},
      {&kQuitLobby, "QUIT_LOBBY"},
      {&kLogout, "LOGOUT"},
  };
  for (const auto& [event, name] : events) {
    EXPECT_EQ(*event, std::string("LOBBY_EVENT.") + name);
  }
}

TEST(LobbyFlowTest, TournamentCodesMatchThePattern) {
  struct Case {
    const char* code;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"XEM04a3f-12345678-abcd-ABCD-0f0f-0123456789ab", true},
      {"KV1234a-12345678-abcd-ABCD-0f0f-0123456789ab", true},
      {"K12345a-12345678-abcd-ABCD-0f0f-0123456789ab", false},     // one letter
      {"KVVVV1234a-12345678-abcd-ABCD-0f0f-0123456789ab", false},  // too long a first group
      {"Xe04a3f-12345678-abcd-ABCD-0f0f-0123456789ab", false},
      {"XEM04a3f-12345678-abcd-ABCD-0f0f-0123456789a", false},  // last group short
      {"XEM04a3g-12345678-abcd-ABCD-0f0f-0123456789ab", false},
      {"XEM04a3f-12345678-abcd-ABCD-0f0f-0123456789ab ", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(std::regex_match(c.code, Lobby::TournamentCodePattern()), c.valid);
  }
}

}  // namespace
}  // namespace Zarn::Client::Testing
