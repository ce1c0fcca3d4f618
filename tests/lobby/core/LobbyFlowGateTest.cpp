// The gate between the host's calls and LobbyFlow, on a small tree of LobbyFlow's kind: busy while
// a transition runs (routes refused but reads, other calls held), a call nested in a wait that
// enters or leaves a state overtakes the call around it, and what a stopped call withholds.
#include "lobby/core/LobbyFlowGate.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "lobby/core/LobbyReplyTexts.h"

namespace Zarn::Client::Lobby {
namespace {

// What the "In" state's entry runs while the transition into it runs; may be empty.
std::function<void()>& OnEnteringIn() {
  static std::function<void()> action;
  return action;
}

void EnterIn(const LobbyStateMachine& /*machine*/) {
  if (OnEnteringIn()) OnEnteringIn()();
}

struct Tree {
  LobbyState root{"Root"}, out{"Out"}, in{"In"};
  Tree() {
    out.parent = &root;
    in.parent = &root;
    in.onEnter = &EnterIn;
    root.initialTransition = LobbyTransition{{}, &out, nullptr};
    out.transitions = {{"GO", &in, nullptr}};
    in.transitions = {{"BACK", &out, nullptr}, {"STAY", nullptr, nullptr}};
  }
};

class LobbyFlowGateTest : public ::testing::Test {
 protected:
  void SetUp() override { machine_.Start(); }
  void TearDown() override { OnEnteringIn() = nullptr; }

  bool Fires() { return !gate_.Stops(CallGate::Act::kFire, {"X", {}}); }

  Tree tree_;
  LobbyStateMachine machine_{nullptr, "Test", &tree_.root, nullptr};
  bool customGamesListed_ = false;
  LobbyFlowGate gate_{machine_, [this] { return customGamesListed_; }};
};

TEST_F(LobbyFlowGateTest, ACallNestedInAWaitThatEntersOrLeavesAStateOvertakesTheCallAroundIt) {
  struct Case {
    const char* label;
    std::optional<LobbyEvent> nested;  // what the call nested in the wait fires
    bool overtaken;
  };
  for (const Case& c :
       {Case{"moves", "GO", true}, Case{"handled in place", "STAY", false},
        Case{"fires nothing", std::nullopt, false}, Case{"refused", "BACK", false}}) {
    SCOPED_TRACE(c.label);
    if (machine_.IsInState(&tree_.in) != (c.nested == LobbyEvent("STAY"))) {
      machine_.ProcessEvent(machine_.IsInState(&tree_.in) ? "BACK" : "GO");
    }
    {
      const CallGate::HostCall outer(gate_, {"POST", "/outer"});
      {
        const CallGate::HostCall inner(gate_, {"event", "/inner"});
        if (c.nested) machine_.ProcessEvent(*c.nested);
      }
      EXPECT_EQ(Fires(), !c.overtaken);
      if (c.overtaken) {
        EXPECT_EQ(gate_.StopRefusal().status, 409u);
        EXPECT_EQ(gate_.StopRefusal().text, kRequestOvertaken);
      }
    }
  }
}

TEST_F(LobbyFlowGateTest, WhileATransitionRunsRoutesButReadsAreRefusedAndOtherCallsHeld) {
  struct Route {
    const char* method;
    const char* path;
    bool refused;
    bool customGamesListed = false;
  };
  // The GETs refused are those that would make a request of their own.
  const Route routes[] = {
      {"POST", "/jyx-lobby/v2/lobby", true},
      {"DELETE", "/jyx-lobby/v2/lobby", true},
      {"GET", "/jyx-lobby/v2/lobby", false},
      {"GET", "/jyx-lobby/v1/lobby/availability", false},  // answers from the lobby published
      {"GET", "/jyx-lobby/v1/parties/health", true},       // may register the player again
      {"GET", "/jyx-lobby/v1/parties/health?x=1", true},
      {"GET", "/jyx-lobby/v2/comms/token", true},
      {"GET", "/jyx-lobby/v2/comms/members", true},
      {"GET", "/jyx-lobby/v1/custom-games", true},  // would list the games
      {"GET", "/jyx-lobby/v1/custom-games?x=1", false, true},
      {"GET", "/jyx-lobby/v1/custom-games/5", false},
  };
  bool held = false;
  std::vector<std::string> refused;
  OnEnteringIn() = [&] {
    held = gate_.MustHold();
    for (const Route& route : routes) {
      customGamesListed_ = route.customGamesListed;
      const bool read = std::string(route.method) == "GET";
      const std::optional<CallGate::Refusal> refusal =
          gate_.RefuseRoute({route.method, route.path}, read);
      if (!refusal) continue;
      EXPECT_EQ(refusal->status, 409u);
      EXPECT_EQ(refusal->text, kTransitionInProgress);
      refused.push_back(std::string(route.method) + " " + route.path);
    }
  };
  for (const Route& route : routes) {
    EXPECT_EQ(gate_.RefuseRoute({route.method, route.path}, false), std::nullopt);
  }
  EXPECT_FALSE(gate_.MustHold());
  machine_.ProcessEvent("GO");
  EXPECT_TRUE(held);
  std::vector<std::string> expected;
  for (const Route& route : routes) {
    if (route.refused) expected.push_back(std::string(route.method) + " " + route.path);
  }
  EXPECT_EQ(refused, expected);
}

TEST_F(LobbyFlowGateTest, AStoppedCallWithholdsTheV1LobbysResourcesAndTheV2HalvesOfTheirPairs) {
  const CallGate::HostCall outer(gate_, {"POST", "/outer"});
  {
    const CallGate::HostCall inner(gate_, {"event", "/inner"});
    machine_.ProcessEvent("GO");
  }
  struct Case {
    const char* uri;
    bool withheld;
  };
  for (const Case& c :
       {Case{"/jyx-lobby/v1/lobby", true}, Case{"/jyx-lobby/v1/lobby/members", true},
        Case{"/jyx-lobby/v1/lobby/invitations/7", true},
        Case{"/jyx-lobby/v1/lobby/countdown", true}, Case{"/jyx-lobby/v2/lobby/countdown", true},
        Case{"/jyx-lobby/v2/lobby/custom/available-bots", true},
        Case{"/jyx-lobby/v2/lobby/custom/bots-enabled", true}, Case{"/jyx-lobby/v1/lobbyx", false},
        Case{"/jyx-lobby/v1/party-rewards", false}, Case{"/jyx-lobby/v2/lobby", false},
        Case{"", false}}) {
    SCOPED_TRACE(c.uri);
    EXPECT_EQ(gate_.Stops(CallGate::Act::kPublish, {c.uri, {}}), c.withheld);
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
