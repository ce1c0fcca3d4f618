// The call gate as the runtime asks it: resource events, scheduled callbacks and timers held while
// it holds calls and run in order when the plugin says, each as a call of its own; requests and
// publications of a stopped call not made; held calls dropped at shutdown.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "sdk/api/CallGateTesting.h"
#include "sdk/runtime/Requests.h"
#include "sdk/runtime/TypedEvents.h"
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

  Zarn::Testing::RecordingCallGate gate_;
  std::vector<std::string> ran_;
};

TEST_F(CallGateTest, CallsHeldRunInTheOrderTheyCameEachAsACallOfItsOwn) {
  gate_.holds = true;
  plugin_->ScheduleCallback("first", Note("first"), Now());
  host_.SetResource("/a/b", "1");
  plugin_->SetTimer("T", 1.0, Note("timer"));
  host_.Advance(1.0);
  EXPECT_TRUE(ran_.empty());
  EXPECT_TRUE(plugin_->HasHeldCalls());
  EXPECT_EQ(gate_.calls,
            (std::vector<std::string>{"hold first", "hold event /a/b", "hold Timer: T"}));

  // Still held: nothing runs.
  plugin_->RunHeldCalls();
  EXPECT_TRUE(ran_.empty());

  gate_.holds = false;
  gate_.calls.clear();
  plugin_->RunHeldCalls();
  EXPECT_EQ(ran_, (std::vector<std::string>{"first", "event /a/b", "timer"}));
  EXPECT_EQ(gate_.calls, (std::vector<std::string>{"begin first", "end", "begin event /a/b", "end",
                                                   "begin Timer: T", "end"}));
  EXPECT_FALSE(plugin_->HasHeldCalls());
  // The held timer set its next firing when it ran at last.
  ran_.clear();
  host_.Advance(1.0);
  EXPECT_EQ(ran_, (std::vector<std::string>{"timer"}));
}

TEST_F(CallGateTest, AHeldCallThatThrowsLeavesTheOthersToRun) {
  gate_.holds = true;
  plugin_->ScheduleCallback(
      "throws", [] { throw std::runtime_error("bad"); }, Now());
  plugin_->ScheduleCallback("after", Note("after"), Now());
  host_.RunDue();
  gate_.holds = false;
  plugin_->RunHeldCalls();
  EXPECT_EQ(ran_, (std::vector<std::string>{"after"}));
}

TEST_F(CallGateTest, ShutdownDropsWhatIsHeld) {
  gate_.holds = true;
  plugin_->ScheduleCallback("dropped", Note("dropped"), Now());
  host_.RunDue();
  plugin_->Shutdown();
  EXPECT_FALSE(plugin_->HasHeldCalls());
  gate_.holds = false;
  plugin_->RunHeldCalls();
  EXPECT_TRUE(ran_.empty());
}

TEST_F(CallGateTest, AStoppedCallSendsNoRequestAndPublishesOnlyWhatTheGateLets) {
  gate_.stopped = true;
  const std::size_t requests = host_.Records().requests.size();
  MaybeType<Failure, void> sent = plugin_->Request<void>(HttpMethod::Get, "/x/y");
  ASSERT_TRUE(sent.IsFailure());
  EXPECT_EQ(sent.GetFailure().Code(), 409);
  EXPECT_EQ(std::string(sent.Message()), "STOPPED");
  EXPECT_EQ(host_.Records().requests.size(), requests);

  const std::size_t published = host_.Records().published.size();
  plugin_->SendJsonApiEvent(1, "/withheld", 1);
  EXPECT_EQ(host_.Records().published.size(), published);
  gate_.withholds = false;
  plugin_->SendJsonApiEvent(1, "/let", 1);
  EXPECT_EQ(host_.Records().published.size(), published + 2);  // its path's name and the plain
  EXPECT_EQ(gate_.calls,
            (std::vector<std::string>{"stop sending GET /x/y", "stop publishing /withheld"}));

  gate_.stopped = false;
  EXPECT_TRUE(plugin_->Request<void>(HttpMethod::Get, "/x/y").IsFailure());  // no such resource
  EXPECT_EQ(host_.Records().requests.size(), requests + 1);
}

}  // namespace
}  // namespace Zarn::Client
