// The gate's mechanism on a plugin side a test sets (TestCallGate): overtaking carried outward
// from the call that moved the plugin, what a stop stops and the scopes that keep work going, and
// held calls run in order at the end of the call during which they were held (dropped at shutdown:
// tests/sdk/runtime/CallGateTest.cpp).
#include "sdk/api/CallGate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/sdk/api/CallGateTesting.h"
#include "tests/sdk/base/LogTesting.h"

namespace Zarn {
namespace {

using Act = CallGate::Act;
using Testing::TestCallGate;

class CallGateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LogTargetSettings settings;
    settings.level = 0;
    log_.Configure(settings);
  }

  // The log lines that hold `text`.
  std::vector<std::string> Lines(const std::string& text) const {
    std::vector<std::string> found;
    for (const Testing::RecordedLine& line : log_.Lines()) {
      if (line.message.find(text) != std::string::npos) found.push_back(line.message);
    }
    return found;
  }

  bool Sends() { return !gate_.Stops(Act::kSend, {"GET", "/x"}); }

  Testing::RecordingLogTarget log_;
  TestCallGate gate_;
};

TEST_F(CallGateTest, ACallThatMovesThePluginInAnotherCallsWaitOvertakesTheCallsAroundIt) {
  struct Case {
    const char* label;
    std::function<void(TestCallGate&)> inner;  // the call nested in the middle call's wait
    bool overtaken;
  };
  const std::vector<Case> cases = {
      {"moves", [](TestCallGate& gate) { ++gate.moves; }, true},
      {"makes no move", [](TestCallGate&) {}, false},
      {"reports the request it came in",
       [](TestCallGate& gate) {
         const CallGate::OwnReport report(gate);
         ++gate.moves;
       },
       false},
      {"reports it, while a call in the report's wait moves",
       [](TestCallGate& gate) {
         const CallGate::OwnReport report(gate);
         ++gate.moves;
         gate.Nested({"event", "/deeper"}, [&] { ++gate.moves; });
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    {
      const CallGate::HostCall outer(gate_, {"POST", "/outer"});
      {
        const CallGate::HostCall middle(gate_, {"GET", "/middle"}, /*read=*/true);
        gate_.Nested({"event", "/inner"}, [&] { c.inner(gate_); });
        EXPECT_TRUE(Sends()) << "a read is never stopped";
      }
      EXPECT_EQ(Sends(), !c.overtaken) << "the outer call is overtaken through the read";
      // Its own moves overtake nothing.
      ++gate_.moves;
    }
    EXPECT_TRUE(Sends()) << "outside any call nothing is stopped";
  }
  // The stop names the call that moved, carried out from where it moved.
  EXPECT_EQ(Lines("stops before"),
            (std::vector<std::string>{
                "Test: POST /outer stops before sending GET /x: event /inner, called while it "
                "waited, moved Test to 'S1'",
                "Test: POST /outer stops before sending GET /x: event /deeper, called while it "
                "waited, moved Test to 'S7'"}));
}

TEST_F(CallGateTest, AStoppedCallActsOnlyInSharedWorkAndPublishesWhatThePluginLets) {
  const CallGate::HostCall outer(gate_, {"POST", "/outer"});
  gate_.Nested({"event", "/mover"}, [&] { ++gate_.moves; });
  EXPECT_TRUE(gate_.Stops(Act::kFire, {"GO", {}}));
  EXPECT_TRUE(gate_.Stops(Act::kStore, {"a record", {}}));
  EXPECT_TRUE(gate_.Stops(Act::kPublish, {"/withheld", {}}));
  gate_.withholds = false;
  EXPECT_FALSE(gate_.Stops(Act::kPublish, {"/let", {}}));
  EXPECT_EQ(Lines("stops before").size(), 1u) << "a call's stop is logged once";
  {
    const CallGate::SharedWork shared(gate_);
    EXPECT_TRUE(Sends());
    {
      const CallGate::SharedWork nested(gate_);
      EXPECT_TRUE(Sends());
    }
    EXPECT_TRUE(Sends());
  }
  EXPECT_FALSE(Sends());
  {
    // A rebuild is not stopped by what overtook the call before it, but by what moves during it,
    // which then withholds every publication of it.
    const CallGate::Rebuild rebuild(gate_);
    EXPECT_TRUE(Sends());
    EXPECT_FALSE(rebuild.Overtaken());
    gate_.Nested({"event", "/mover during the rebuild"}, [&] { ++gate_.moves; });
    EXPECT_TRUE(rebuild.Overtaken());
    EXPECT_FALSE(Sends());
    EXPECT_TRUE(gate_.Stops(Act::kPublish, {"/let", {}}));
  }
  EXPECT_FALSE(gate_.Stops(Act::kPublish, {"/let", {}}));
}

// A read that does more than read is stopped in its acts by what overtakes it during them, as a
// change is, and by nothing before them; its answer stays a read's.
TEST_F(CallGateTest, AnActingReadIsStoppedInItsActsButNotInItsAnswer) {
  const CallGate::HostCall read(gate_, {"GET", "/health"}, /*read=*/true);
  gate_.Nested({"event", "/before"}, [&] { ++gate_.moves; });
  {
    const CallGate::ActingRead acting(gate_);
    EXPECT_TRUE(Sends());
    gate_.Nested({"event", "/during"}, [&] { ++gate_.moves; });
    EXPECT_FALSE(Sends());
    EXPECT_TRUE(gate_.Stops(Act::kFire, {"GO", {}}));
    {
      const CallGate::SharedWork shared(gate_);
      EXPECT_TRUE(Sends());
    }
  }
  EXPECT_TRUE(Sends());
  EXPECT_FALSE(gate_.Stops(Act::kAnswer, {"GET", "/health"}));
  EXPECT_EQ(Lines("stops before"),
            (std::vector<std::string>{"Test: GET /health stops before sending GET /x: event "
                                      "/during, called while it waited, moved Test to 'S2'"}));
}

TEST_F(CallGateTest, HeldCallsRunInOrderAtTheEndOfTheCallDuringWhichTheFirstWasHeld) {
  std::vector<std::string> ran;
  const auto hold = [&](const char* what, std::function<void()> then = nullptr) {
    ASSERT_TRUE(gate_.MustHold());
    gate_.Hold({what, {}}, [&ran, what, then] {
      ran.push_back(what);
      if (then) then();
    });
  };
  {
    const CallGate::HostCall accept(gate_, {"POST", "/accept"});
    gate_.busy = true;  // its transition waits: A and B come meanwhile
    hold("A", [&] {
      // A held call's own transition holds D: it joins the queue's end.
      gate_.busy = true;
      hold("D");
      gate_.busy = false;
    });
    hold("B");
    gate_.busy = false;
    // Calls are held: C waits behind them although no transition runs.
    hold("C");
    // A route nested in the accept's wait does not run the accept's held calls.
    gate_.Nested({"GET", "/read"}, [] {});
    EXPECT_TRUE(ran.empty());
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"A", "B", "C", "D"}));
  EXPECT_FALSE(gate_.MustHold());

  // A call ending inside another's transition leaves what it held to the call around it.
  ran.clear();
  {
    const CallGate::HostCall change(gate_, {"POST", "/change"});
    gate_.busy = true;
    gate_.Nested({"GET", "/read"}, [&] { hold("E"); });
    EXPECT_TRUE(ran.empty());
    gate_.busy = false;
    // A route nested in a later wait, whose own transition holds F, does not run it: F is behind
    // E.
    gate_.Nested({"POST", "/nested"}, [&] {
      gate_.busy = true;
      hold("F");
      gate_.busy = false;
    });
    EXPECT_TRUE(ran.empty());
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"E", "F"}));

  // With nothing held before, a nested call's own held calls run at its own end.
  ran.clear();
  {
    const CallGate::HostCall outer(gate_, {"POST", "/outer"});
    gate_.Nested({"POST", "/nested"}, [&] {
      gate_.busy = true;
      hold("G");
      gate_.busy = false;
    });
    EXPECT_EQ(ran, (std::vector<std::string>{"G"}));
  }
}

TEST_F(CallGateTest, AHeldCallThatMovesThePluginOvertakesNotTheCallThatHeldIt) {
  bool accepted = false;
  {
    const CallGate::HostCall outer(gate_, {"POST", "/outer"});
    gate_.Nested({"POST", "/accept"}, [&] {
      gate_.busy = true;
      gate_.Hold({"status", {}}, [&] { ++gate_.moves; });
      gate_.busy = false;
      accepted = Sends();
    });
    EXPECT_TRUE(accepted);
    // It ran in the outer call's wait, after the accept: the outer call is overtaken by it.
    EXPECT_FALSE(Sends());
  }
  EXPECT_EQ(Lines("stops before").back(),
            "Test: POST /outer stops before sending GET /x: status, called while it waited, "
            "moved Test to 'S1'");
}

TEST_F(CallGateTest, ManyHeldCallsRunOneAfterAnotherWithoutDeepeningTheStack) {
  constexpr int kHeld = 20000;
  int links = 0;
  int statuses = 0;
  std::uintptr_t lowest = UINTPTR_MAX;
  std::uintptr_t highest = 0;
  std::function<void()> next = [&] {
    volatile char marker = 0;
    const auto at = reinterpret_cast<std::uintptr_t>(&marker);
    lowest = std::min(lowest, at);
    highest = std::max(highest, at);
    // Each holds the next during its own transition: a chain as long as the queue.
    if (++links < kHeld) {
      gate_.busy = true;
      gate_.Hold({"link", {}}, next);
      gate_.busy = false;
    }
  };
  {
    const CallGate::HostCall call(gate_, {"POST", "/accept"});
    gate_.busy = true;
    gate_.Hold({"first", {}}, next);
    for (int i = 0; i < kHeld; ++i) gate_.Hold({"status", {}}, [&] { ++statuses; });
    gate_.busy = false;
  }
  EXPECT_EQ(links, kHeld);
  EXPECT_EQ(statuses, kHeld);
  EXPECT_EQ(lowest, highest) << "every held call ran at the same depth";
}

}  // namespace
}  // namespace Zarn
