// The call gate as the runtime brackets and asks it: resource events, scheduled callbacks and
// timers held while the gate must hold calls, then run in order at the end of the host call
// during which they were held, each as a call of its own; requests and publications of a stopped
// call not made; held calls dropped at shutdown.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "sdk/runtime/Requests.h"
#include "sdk/runtime/TypedEvents.h"
#include "tests/sdk/api/CallGateTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client {
namespace {

class CallGateTest : public Testing::HostedPluginTest {
 protected:
  void SetUp() override {
    HostedPluginTest::SetUp();
    plugin_->SetCallGate(&gate_);
    plugin_->SubscribeEvent("/a/b");
    plugin_->exactObservers_["/a/b"] = [this](const Resource& event) {
      ran_.push_back("event " + event.uri);
    };
  }
  void TearDown() override { plugin_->SetCallGate(nullptr); }

  AppModule::Callback Note(std::string label) {
    return [this, label] { ran_.push_back(label); };
  }

  Zarn::Testing::TestCallGate gate_;
  std::vector<std::string> ran_;
};

TEST_F(CallGateTest, CallsHeldRunInTheOrderTheyCameAtTheEndOfTheCallThatHeldThem) {
  {
    // The host call during which they come, as the host would make it.
    const CallGate::HostCall call(gate_, {"POST", "/x"});
    gate_.busy = true;
    plugin_->ScheduleCallback("first", Note("first"), Now());
    host_.SetResource("/a/b", "1");
    plugin_->SetTimer("T", 1.0, Note("timer"));
    host_.Advance(1.0);
    gate_.busy = false;
    EXPECT_EQ(gate_.HeldCount(), 3u);
    // Held calls wait for the call's end, and what comes meanwhile waits behind them.
    plugin_->ScheduleCallback("later", Note("later"), Now());
    host_.RunDue();
    EXPECT_TRUE(ran_.empty());
  }
  EXPECT_EQ(ran_, (std::vector<std::string>{"first", "event /a/b", "timer", "later"}));
  EXPECT_EQ(gate_.HeldCount(), 0u);
  // The held timer set its next firing when it ran at last; alone, it runs at once.
  ran_.clear();
  host_.Advance(1.0);
  host_.SetResource("/a/b", "2");
  host_.RunDue();
  EXPECT_EQ(ran_, (std::vector<std::string>{"timer", "event /a/b"}));
}

TEST_F(CallGateTest, AHeldCallThatThrowsLeavesTheOthersToRun) {
  {
    const CallGate::HostCall call(gate_, {"POST", "/x"});
    gate_.busy = true;
    plugin_->ScheduleCallback(
        "throws", [] { throw std::runtime_error("bad"); }, Now());
    plugin_->ScheduleCallback("after", Note("after"), Now());
    host_.RunDue();
    gate_.busy = false;
  }
  EXPECT_EQ(ran_, (std::vector<std::string>{"after"}));
}

TEST_F(CallGateTest, ShutdownDropsWhatIsHeld) {
  const CallGate::HostCall call(gate_, {"POST", "/x"});
  gate_.busy = true;
  plugin_->ScheduleCallback("dropped", Note("dropped"), Now());
  host_.RunDue();
  plugin_->Shutdown();
  EXPECT_EQ(gate_.HeldCount(), 0u);
  gate_.busy = false;
  EXPECT_TRUE(ran_.empty());
}

TEST_F(CallGateTest, AStoppedCallSendsNoRequestAndPublishesOnlyWhatTheGateLets) {
  const CallGate::HostCall call(gate_, {"POST", "/x"});
  gate_.Nested({"event", "/mover"}, [this] { ++gate_.moves; });
  const std::size_t requests = host_.Records().requests.size();
  MaybeType<Failure, void> sent = plugin_->Request<void>(HttpMethod::Get, "/x/y");
  ASSERT_TRUE(sent.IsFailure());
  EXPECT_EQ(sent.GetFailure().Code(), 409);
  EXPECT_EQ(std::string(sent.Message()), "STOPPED");
  EXPECT_EQ(host_.Records().requests.size(), requests);

  const std::size_t published = host_.Records().published.size();
  // Each says whether it went out, for the records of what was published.
  EXPECT_FALSE(plugin_->SendJsonApiEvent(1, "/withheld", 1));
  EXPECT_FALSE(plugin_->PublishResourceEvent("/withheld"));
  EXPECT_EQ(host_.Records().published.size(), published);
  gate_.withholds = false;
  EXPECT_TRUE(plugin_->SendJsonApiEvent(1, "/let", 1));
  EXPECT_EQ(host_.Records().published.size(), published + 2);  // its path's name and the plain
  EXPECT_TRUE(plugin_->PublishResourceEvent("/let"));

  const CallGate::SharedWork shared(gate_);
  EXPECT_TRUE(plugin_->Request<void>(HttpMethod::Get, "/x/y").IsFailure());  // no such resource
  EXPECT_EQ(host_.Records().requests.size(), requests + 1);
}

}  // namespace
}  // namespace Zarn::Client
