// The state machine engine on a tree shaped like the lobby's, with actions that trace what runs
// and which state is current while it runs.
#include "lobby/core/hsm/StateMachine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Zarn::Hsm {
namespace {

struct Tracer;
using Machine = StateMachine<Tracer, std::string>;
using S = State<Tracer, std::string>;
using T = Transition<Tracer, std::string>;

struct Tracer {
  Machine* machine = nullptr;
  std::vector<std::string> trace;
  std::string nested;  // an event the "R" action fires while it runs
};

std::string Current(const Machine& m) {
  return m.GetCurrentState() != nullptr ? m.GetCurrentState()->name : "null";
}
void Note(const Machine& m, const std::string& what) {
  m.GetOwner()->trace.push_back(what + "@" + Current(m));
}
void Enter(const Machine& m) { Note(m, "enter"); }
void Exit(const Machine& m) { Note(m, "exit"); }
void ActionA(const Machine& m) { Note(m, "A"); }
void ActionF(const Machine& m) { Note(m, "F"); }
void ActionR(const Machine& m) {
  Note(m, "R");
  Tracer* owner = m.GetOwner();
  if (m.InTransition()) owner->trace.push_back("in transition");
  owner->trace.push_back(owner->machine->ProcessEvent(owner->nested) ? "nested:true"
                                                                     : "nested:false");
}

// Built like the lobby's tree, plus a chain of initial transitions, an initial transition that
// points outside its state and a state of another tree.
struct Tree {
  S root{"Root"}, out{"Out"}, req{"Req"}, in{"In"}, party{"Party"}, legacy{"Legacy"}, solo{"Solo"},
      groupReq{"GroupReq"}, group{"Group"}, owner{"Owner"}, member{"Member"}, chain{"Chain"},
      chainMid{"ChainMid"}, chainLeaf{"ChainLeaf"}, badInit{"BadInit"}, orphan{"Orphan"};

  Tree() {
    for (S* s : {&root, &out, &req, &in, &party, &legacy, &solo, &groupReq, &group, &owner, &member,
                 &chain, &chainMid, &chainLeaf, &badInit, &orphan}) {
      s->onEnter = Enter;
      s->onExit = Exit;
    }
    Parent(out, root), Parent(req, out), Parent(in, root), Parent(party, in), Parent(legacy, in),
        Parent(solo, legacy), Parent(groupReq, solo), Parent(group, legacy), Parent(owner, group),
        Parent(member, group), Parent(chain, root), Parent(chainMid, chain),
        Parent(chainLeaf, chainMid), Parent(badInit, root);
    root.initialTransition.target = &out;
    legacy.initialTransition.target = &solo;
    chain.initialTransition = T{"", &chainMid, ActionA};
    chainMid.initialTransition.target = &chainLeaf;
    badInit.initialTransition.target = &out;  // not a descendant
    root.transitions = {{"LOGOUT", &out},
                        {"FAILED", &out, ActionF},
                        {"CHAIN", &chain},
                        {"BAD", &badInit},
                        {"ORPHAN", &orphan}};
    out.transitions = {
        {"REQ", &req}, {"PARTY", &party}, {"ACCEPT", &member}, {"STAY", nullptr, ActionA}};
    req.transitions = {{"OK", &solo}, {"FAILED", &out, ActionF}};
    in.transitions = {{"QUIT", &out}, {"ACCEPT", &member, ActionA}};
    legacy.transitions = {{"PARTY", &party}};
    solo.transitions = {{"GROUP", &groupReq}};
    groupReq.transitions = {{"OK", &owner}, {"FAILED", &solo, ActionF}};
    owner.transitions = {{"TRANSFER", &member}, {"PROMOTED", nullptr}, {"SELF", &owner, ActionA}};
    member.transitions = {{"PROMOTED", &owner}, {"REENTER", &party, ActionR}};
  }
  static void Parent(S& child, S& parent) { child.parent = &parent; }
};

class StateMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tracer_.machine = &machine_;
    SetDiagnosticHook(&StateMachineTest::Capture);
    Warnings().clear();
  }
  void TearDown() override { SetDiagnosticHook(nullptr); }

  // Starts, walks to `events` without tracing them, then clears the trace.
  void StartAt(const std::vector<std::string>& events) {
    machine_.Start();
    for (const std::string& e : events) ASSERT_TRUE(machine_.ProcessEvent(e)) << e;
    tracer_.trace.clear();
  }
  static std::vector<std::string>& Warnings() {
    static std::vector<std::string> warnings;
    return warnings;
  }
  static void Capture(const std::string& text) { Warnings().push_back(text); }

  Tree tree_;
  Tracer tracer_;
  Machine machine_{&tracer_, "LobbyStateMachine", &tree_.root,
                   [](const std::string& e) { return e; }};
};

using Trace = std::vector<std::string>;

TEST_F(StateMachineTest, StartEntersTheRootAndFollowsItsInitialTransition) {
  EXPECT_EQ(machine_.GetCurrentState(), &tree_.root);  // constructed, nothing entered
  EXPECT_TRUE(tracer_.trace.empty());
  machine_.Start();
  EXPECT_EQ(tracer_.trace, (Trace{"enter@Root", "enter@Out"}));
  EXPECT_EQ(machine_.Moves(), 2u);
  EXPECT_EQ(machine_.GetCurrentState(), &tree_.out);
  EXPECT_TRUE(machine_.IsInState(&tree_.root));
  EXPECT_FALSE(machine_.IsInState(&tree_.in));
}

TEST_F(StateMachineTest, TransitionsRunExitsActionEntriesAndInitialChains) {
  struct Case {
    const char* label;
    std::vector<std::string> path;  // events that lead to the starting state
    std::string event;
    Trace trace;
    const S* end;
  };
  const Tree& t = tree_;
  const std::vector<Case> cases = {
      {"innermost row wins over the root's",
       {"REQ", "OK", "GROUP"},
       "FAILED",
       {"exit@GroupReq", "F@Solo"},
       &t.solo},
      {"the root's row from a leaf",
       {"REQ", "OK"},
       "FAILED",
       {"exit@Solo", "exit@Legacy", "exit@In", "F@Root", "enter@Out"},
       &t.out},
      {"in place runs only the action", {}, "STAY", {"A@Out"}, &t.out},
      {"in place without action", {"ACCEPT", "PROMOTED"}, "PROMOTED", {}, &t.owner},
      {"self-target behaves as in place", {"ACCEPT", "PROMOTED"}, "SELF", {"A@Owner"}, &t.owner},
      {"to an ancestor: only the states below it are left",
       {"REQ", "OK", "GROUP"},
       "FAILED",
       {"exit@GroupReq", "F@Solo"},
       &t.solo},
      {"to a descendant: nothing is left", {}, "REQ", {"enter@Req"}, &t.req},
      {"leaf to leaf across branches",
       {"ACCEPT", "PROMOTED"},
       "TRANSFER",
       {"exit@Owner", "enter@Member"},
       &t.member},
      {"leaf of one branch to a leaf of another: the common parent stays",
       {"ACCEPT", "PROMOTED"},
       "PARTY",
       {"exit@Owner", "exit@Group", "exit@Legacy", "enter@Party"},
       &t.party},
      {"into a state with an initial transition",
       {"REQ"},
       "OK",
       {"exit@Req", "exit@Out", "enter@In", "enter@Legacy", "enter@Solo"},
       &t.solo},
      {"an ancestor's row with an action from a sibling subtree",
       {"REQ", "OK"},
       "ACCEPT",
       {"exit@Solo", "A@Legacy", "enter@Group", "enter@Member"},
       &t.member},
      {"initial chain: action first, stops at a state without one",
       {},
       "CHAIN",
       {"exit@Out", "enter@Chain", "A@Chain", "enter@ChainMid", "enter@ChainLeaf"},
       &t.chainLeaf},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Tracer tracer;
    Machine machine{&tracer, "M", &tree_.root, nullptr};
    tracer.machine = &machine;
    machine.Start();
    for (const std::string& e : c.path) ASSERT_TRUE(machine.ProcessEvent(e)) << e;
    tracer.trace.clear();
    EXPECT_TRUE(machine.ProcessEvent(c.event));
    EXPECT_EQ(tracer.trace, c.trace);
    EXPECT_EQ(machine.GetCurrentState(), c.end);
  }
  EXPECT_TRUE(Warnings().empty());
}

TEST_F(StateMachineTest, UnhandledEventsChangeNothingAndWarnOnlyThroughTheHook) {
  StartAt({"REQ", "OK"});
  EXPECT_FALSE(machine_.ProcessEvent("TRANSFER"));
  EXPECT_FALSE(machine_.ProcessEvent("LOBBY_EVENT.NOT_LISTED"));
  EXPECT_TRUE(tracer_.trace.empty());
  EXPECT_EQ(machine_.GetCurrentState(), &tree_.solo);
  ASSERT_EQ(Warnings().size(), 2u);
  EXPECT_EQ(Warnings()[0],
            "State machine 'LobbyStateMachine': Event 'TRANSFER' is not handled by state 'Solo', "
            "or its ancestors. The event will be ignored.");

  SetDiagnosticHook(nullptr);  // discarded: nothing reaches the old hook
  EXPECT_FALSE(machine_.ProcessEvent("TRANSFER"));
  EXPECT_EQ(Warnings().size(), 2u);
}

TEST_F(StateMachineTest, WarningsWithoutFormatterOrCurrentStateSayNa) {
  Tracer tracer;
  Machine machine{&tracer, "Bare", &tree_.root, nullptr};
  machine.Start();
  machine.ExitAll();
  EXPECT_EQ(machine.GetCurrentState(), nullptr);
  EXPECT_FALSE(machine.ProcessEvent("QUIT"));
  ASSERT_EQ(Warnings().size(), 1u);
  EXPECT_EQ(Warnings()[0],
            "State machine 'Bare': Event 'n/a' is not handled by state 'n/a', or its ancestors. "
            "The event will be ignored.");
}

TEST_F(StateMachineTest, ARefusedTransitionRunsNothing) {
  StartAt({});
  EXPECT_FALSE(machine_.ProcessEvent("ORPHAN"));
  EXPECT_TRUE(tracer_.trace.empty());
  EXPECT_EQ(machine_.GetCurrentState(), &tree_.out);
  ASSERT_EQ(Warnings().size(), 1u);
  EXPECT_EQ(Warnings()[0],
            "State machine 'LobbyStateMachine': The transition from state 'Out' to state 'Orphan' "
            "on event 'ORPHAN' is invalid because the states do not share a common ancestry. The "
            "event will be ignored.");

  Warnings().clear();
  Tracer tracer;
  Machine bare{&tracer, "Bare", &tree_.root, nullptr};
  bare.Start();
  EXPECT_FALSE(bare.ProcessEvent("ORPHAN"));
  ASSERT_EQ(Warnings().size(), 1u);
  EXPECT_NE(Warnings()[0].find("on event 'n/a'"), std::string::npos);
}

TEST_F(StateMachineTest, AnInitialTransitionOutsideItsStateIsIgnored) {
  StartAt({});
  EXPECT_TRUE(machine_.ProcessEvent("BAD"));
  EXPECT_EQ(tracer_.trace, (Trace{"exit@Out", "enter@BadInit"}));
  EXPECT_EQ(machine_.GetCurrentState(), &tree_.badInit);
  ASSERT_EQ(Warnings().size(), 1u);
  EXPECT_EQ(Warnings()[0],
            "State machine 'LobbyStateMachine': The initial transition from state 'BadInit' to "
            "state 'Out' is invalid because the target state is not a descendant. The transition "
            "will be ignored.");
}

TEST_F(StateMachineTest, AnEventFiredDuringATransitionRunsAfterIt) {
  // Member -> Party by way of In. The QUIT that the row's action fires waits for the transition
  // to end: Party is entered under In, and only then left by In's row.
  StartAt({"ACCEPT"});
  tracer_.nested = "QUIT";
  const std::uint64_t before = machine_.Moves();
  EXPECT_TRUE(machine_.ProcessEvent("REENTER"));
  EXPECT_EQ(tracer_.trace,
            (Trace{"exit@Member", "exit@Group", "exit@Legacy", "R@In", "in transition",
                   "nested:true", "enter@Party", "exit@Party", "exit@In", "enter@Out"}));
  EXPECT_EQ(machine_.GetCurrentState(), &tree_.out);
  EXPECT_FALSE(machine_.InTransition());
  EXPECT_EQ(machine_.Moves() - before, 7u);  // one per state entered or left

  // A queued event that the state reached does not handle is refused then, as usual.
  machine_.ProcessEvent("ACCEPT");
  tracer_.trace.clear();
  Warnings().clear();
  tracer_.nested = "OK";
  EXPECT_TRUE(machine_.ProcessEvent("REENTER"));
  EXPECT_EQ(tracer_.trace, (Trace{"exit@Member", "exit@Group", "exit@Legacy", "R@In",
                                  "in transition", "nested:true", "enter@Party"}));
  EXPECT_EQ(machine_.GetCurrentState(), &tree_.party);
  ASSERT_EQ(Warnings().size(), 1u);
  EXPECT_NE(Warnings()[0].find("Event 'OK' is not handled by state 'Party'"), std::string::npos);
}

TEST_F(StateMachineTest, ExitAllLeavesEveryActiveStateUpToTheRoot) {
  StartAt({"ACCEPT"});
  const std::uint64_t before = machine_.Moves();
  machine_.ExitAll();
  EXPECT_EQ(machine_.Moves() - before, 5u);
  EXPECT_EQ(tracer_.trace,
            (Trace{"exit@Member", "exit@Group", "exit@Legacy", "exit@In", "exit@Root"}));
  EXPECT_EQ(machine_.GetCurrentState(), nullptr);
  EXPECT_FALSE(machine_.IsInState(&tree_.root));
}

TEST_F(StateMachineTest, DeepTreesSpillTheirChains) {
  std::vector<S> states(40);
  for (std::size_t i = 0; i < states.size(); ++i) {
    states[i].name = "D" + std::to_string(i);
    states[i].parent = i == 0 ? nullptr : &states[i - 1];
    states[i].onEnter = Enter;
  }
  states[0].transitions = {{"DOWN", &states.back()}};
  states.back().transitions = {{"UP", &states[1]}};
  Tracer tracer;
  Machine machine{&tracer, "Deep", &states[0], nullptr};
  machine.Start();
  ASSERT_TRUE(machine.ProcessEvent("DOWN"));
  EXPECT_EQ(tracer.trace.size(), 40u);
  EXPECT_EQ(tracer.trace.back(), "enter@D39");
  ASSERT_TRUE(machine.ProcessEvent("UP"));
  EXPECT_EQ(machine.GetCurrentState(), &states[1]);
}

}  // namespace
}  // namespace Zarn::Hsm
