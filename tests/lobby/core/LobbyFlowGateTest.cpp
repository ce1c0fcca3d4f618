// The gate between the host's calls and LobbyFlow, on a small tree of LobbyFlow's kind: calls
// nested in a wait that move the machine overtake the call they came in (and, through it, the
// calls around it), unless they report its own request; the view's rebuild and shared work run
// anyway; while a transition runs, routes are refused and other calls held.
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

  // A call nested in the running one's wait, which fires `event` (none: fires nothing).
  void Nested(const char* what, std::optional<LobbyEvent> event) {
    gate_.BeginCall(what);
    if (event) machine_.ProcessEvent(*event);
    gate_.EndCall();
  }
  void Toggle() { machine_.ProcessEvent(machine_.IsInState(&tree_.in) ? "BACK" : "GO"); }

  Tree tree_;
  LobbyStateMachine machine_{nullptr, "Test", &tree_.root, nullptr};
  LobbyFlowGate gate_{machine_};
};

TEST_F(LobbyFlowGateTest, ACallNestedInAWaitThatMovesLobbyFlowOvertakesTheCallsAroundIt) {
  struct Case {
    const char* label;
    std::optional<LobbyEvent> nested;  // what the call nested in the wait fires
    bool overtaken;
  };
  for (const Case& c : {Case{"moves", "GO", true}, Case{"handled in place", std::nullopt, false},
                        Case{"refused", "BACK", false}}) {
    SCOPED_TRACE(c.label);
    gate_.BeginCall("outer");
    gate_.BeginCall("middle");
    Nested("inner", c.nested);
    EXPECT_EQ(gate_.Stopped(), c.overtaken);
    EXPECT_EQ(gate_.MayAct("firing", "X"), !c.overtaken);
    gate_.EndCall();
    EXPECT_EQ(gate_.Stopped(), c.overtaken) << "the outer call is overtaken through the middle one";
    if (c.overtaken) {
      const CallGate::Refusal refusal = gate_.Stop("answering outer");
      EXPECT_EQ(refusal.status, 409u);
      EXPECT_EQ(refusal.text, kRequestOvertaken);
    }
    gate_.EndCall();
    EXPECT_FALSE(gate_.Stopped()) << "outside any call nothing is stopped";
    if (machine_.IsInState(&tree_.in)) machine_.ProcessEvent("BACK");
  }
  // The running call's own moves overtake nothing.
  gate_.BeginCall("own");
  Toggle();
  EXPECT_FALSE(gate_.Stopped());
  gate_.EndCall();
}

TEST_F(LobbyFlowGateTest, MovesReportingTheRunningCallsRequestOvertakeNothing) {
  gate_.BeginCall("outer");
  gate_.BeginCall("pushed state");
  {
    const LobbyFlowGate::OwnReport report(gate_);
    Toggle();
    // A call made while the report waits is no report: it overtakes the report's call.
    Nested("other", machine_.IsInState(&tree_.in) ? "BACK" : "GO");
    EXPECT_TRUE(gate_.Stopped());
  }
  gate_.EndCall();
  EXPECT_TRUE(gate_.Stopped()) << "the other call's move overtakes the outer call too";
  gate_.EndCall();

  gate_.BeginCall("outer");
  gate_.BeginCall("pushed state");
  {
    const LobbyFlowGate::OwnReport report(gate_);
    Toggle();
  }
  gate_.EndCall();
  EXPECT_FALSE(gate_.Stopped());
  gate_.EndCall();
}

TEST_F(LobbyFlowGateTest, TheViewsRebuildAndSharedWorkRunInAnOvertakenCall) {
  gate_.BeginCall("outer");
  Nested("mover", "GO");
  ASSERT_TRUE(gate_.Stopped());
  EXPECT_TRUE(gate_.WithholdsPublication("/jyx-lobby/v1/lobby"));
  EXPECT_FALSE(gate_.WithholdsPublication("/jyx-lobby/v2/lobby"));
  {
    const LobbyFlowGate::SharedWork shutdown(gate_);
    EXPECT_FALSE(gate_.Stopped());
  }
  {
    const LobbyFlowGate::ViewRebuild rebuild(gate_);
    EXPECT_FALSE(gate_.Stopped());
    EXPECT_FALSE(rebuild.Overtaken());
    Nested("mover during the rebuild", "BACK");
    EXPECT_TRUE(rebuild.Overtaken());
    EXPECT_TRUE(gate_.Stopped());
    EXPECT_TRUE(gate_.WithholdsPublication("/jyx-lobby/v2/lobby")) << "a stale view";
  }
  gate_.EndCall();
}

TEST_F(LobbyFlowGateTest, WhileATransitionRunsRoutesAreRefusedAndOtherCallsHeld) {
  std::optional<CallGate::Refusal> refused;
  bool held = false;
  OnEnteringIn() = [&] {
    refused = gate_.RefuseRoute("POST /r");
    held = gate_.HoldsCalls() && gate_.Hold("event /e");
  };
  EXPECT_EQ(gate_.RefuseRoute("POST /r"), std::nullopt);
  EXPECT_FALSE(gate_.HoldsCalls());
  EXPECT_FALSE(gate_.Hold("event /e"));
  machine_.ProcessEvent("GO");
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->status, 409u);
  EXPECT_EQ(refused->text, kTransitionInProgress);
  EXPECT_TRUE(held);
}

TEST_F(LobbyFlowGateTest, AStoppedCallWithholdsTheV1LobbysResourcesOnly) {
  struct Case {
    const char* uri;
    bool withheld;
  };
  for (const Case& c :
       {Case{"/jyx-lobby/v1/lobby", true}, Case{"/jyx-lobby/v1/lobby/members", true},
        Case{"/jyx-lobby/v1/lobby/invitations/7", true}, Case{"/jyx-lobby/v1/lobbyx", false},
        Case{"/jyx-lobby/v1/party-rewards", false}, Case{"/jyx-lobby/v2/lobby", false},
        Case{"", false}}) {
    SCOPED_TRACE(c.uri);
    EXPECT_EQ(gate_.WithholdsPublication(c.uri), c.withheld);
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
