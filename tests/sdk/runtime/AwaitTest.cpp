// Cooperative waits on futures, with the stand-in host running the work that completes them.
#include "sdk/runtime/Await.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "tests/sdk/base/FailureTesting.h"
#include "tests/sdk/runtime/HostedModule.h"

namespace Zarn::Client {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Zarn::Testing::FailsWith;
using Zarn::Testing::HasAttribute;
using Zarn::Testing::HoldsValue;

using IntResult = MaybeType<Failure, int>;
using VoidResult = MaybeType<Failure, void>;

const std::string kIntLabel =
    std::string("BeginWait Wait: future<") + TypeId<IntResult>().name + ">";

void FulfilPromise(void* context) {
  static_cast<std::promise<IntResult>*>(context)->set_value(IntResult(9));
}

void FulfilFromEvent(PluginHostEvent* event) {
  static_cast<std::promise<IntResult>*>(event->userData)->set_value(IntResult(11));
}

class AwaitTest : public Testing::HostedModuleTest {
 protected:
  void SetUp() override {
    HostedModuleTest::SetUp();
    plugin_.calls.clear();
  }
};

TEST_F(AwaitTest, AReadyFutureCallsNothingOfTheHost) {
  std::promise<IntResult> promise;
  promise.set_value(IntResult(5));
  EXPECT_THAT(plugin_.Await(promise.get_future()), HoldsValue(5));

  // A failure travels with its code, message and attributes.
  std::promise<VoidResult> failed;
  failed.set_value(Failure::Make1(409, "Conflict on {url}", "/x"));
  const VoidResult result = plugin_.Await(failed.get_future());
  EXPECT_THAT(result, FailsWith(409, "Conflict on /x"));
  EXPECT_THAT(result, HasAttribute("url", FailureAttribute("/x")));
  EXPECT_TRUE(plugin_.calls.empty());
  EXPECT_EQ(Records().yields, 0);
}

TEST_F(AwaitTest, APendingFutureBeginsOnceYieldsPerPollAndEndsOnce) {
  std::promise<IntResult> promise;
  host_.OnYield(3, [&] { promise.set_value(IntResult(7)); });
  EXPECT_THAT(plugin_.Await(promise.get_future()), HoldsValue(7));
  EXPECT_THAT(plugin_.calls,
              ElementsAre(kIntLabel, "YieldToHost", "YieldToHost", "YieldToHost", "EndWait"));
  ASSERT_EQ(Records().beginWaits.size(), 1u);
  EXPECT_EQ(Records().beginWaits[0].value, 0);

  // The label names the result type; for void it is the static name.
  std::promise<VoidResult> done;
  host_.OnYield(1, [&] { done.set_value(VoidResult::Success()); });
  EXPECT_TRUE(plugin_.Await(done.get_future()).HasValue());
  EXPECT_EQ(Records().beginWaits.back().label,
            "Wait: future<class Zarn::MaybeType<class Zarn::Failure,void>>");
}

TEST_F(AwaitTest, TheHostCompletesFuturesFromCallbacksEventsAndNestedWaits) {
  {
    SCOPED_TRACE("scheduled callback");
    std::promise<IntResult> promise;
    plugin_.ScheduleHostCallback("fulfil", &FulfilPromise, &promise, 0.5, 0);
    EXPECT_THAT(plugin_.Await(promise.get_future()), HoldsValue(9));
  }
  {
    SCOPED_TRACE("event delivered during a yield");
    std::promise<IntResult> promise;
    plugin_.SubscribeHostEvent("OnFulfil", 0x51, &FulfilFromEvent, &promise, 0);
    host_.OnYield(2, [&] { host_.DeliverEvent("OnFulfil", "{}"); });
    EXPECT_THAT(plugin_.Await(promise.get_future()), HoldsValue(11));
    plugin_.UnsubscribeHostEvent("OnFulfil", 0x51);
  }
  {
    SCOPED_TRACE("a handler that waits during the outer wait");
    std::promise<IntResult> outer;
    std::promise<IntResult> inner;
    std::vector<std::string> order;
    host_.OnYield(1, [&] {
      host_.OnYield(2, [&] { inner.set_value(IntResult(2)); });
      const IntResult own = plugin_.Await(inner.get_future());
      order.push_back("inner " + std::to_string(own.Value()));
      outer.set_value(IntResult(own.Value() + 1));
    });
    plugin_.calls.clear();
    EXPECT_THAT(plugin_.Await(outer.get_future()), HoldsValue(3));
    order.push_back("outer");
    EXPECT_THAT(order, ElementsAre("inner 2", "outer"));
    EXPECT_THAT(plugin_.calls, ElementsAre(kIntLabel, "YieldToHost", kIntLabel, "YieldToHost",
                                           "YieldToHost", "EndWait", "EndWait"));
  }
}

TEST_F(AwaitTest, ABrokenFutureIsReportedAndGivesNoValue) {
  struct Case {
    const char* label;
    std::future<IntResult> future;
    int code;
    bool waits;
  };
  std::vector<Case> cases;
  {
    std::promise<IntResult> abandoned;
    cases.push_back({"abandoned promise", abandoned.get_future(),
                     static_cast<int>(std::future_errc::broken_promise), false});
  }
  cases.push_back({"no shared state", std::future<IntResult>(),
                   static_cast<int>(std::future_errc::no_state), false});
  auto later = std::make_shared<std::promise<IntResult>>();
  cases.push_back({"abandoned while waiting", later->get_future(),
                   static_cast<int>(std::future_errc::broken_promise), true});
  host_.OnYield(2, [&later] { later.reset(); });

  for (Case& c : cases) {
    SCOPED_TRACE(c.label);
    plugin_.calls.clear();
    const std::size_t logsBefore = Records().logs.size();
    const IntResult result = plugin_.Await(std::move(c.future));
    EXPECT_THAT(result, FailsWith(0, ""));
    ASSERT_EQ(Records().logs.size(), logsBefore + 1);
    const Host::LogLine& line = Records().logs.back();
    EXPECT_EQ(line.level, 2u);
    EXPECT_THAT(line.message, HasSubstr("Expression: ALE-6D828C10"));
    EXPECT_THAT(line.message,
                HasSubstr("Description: Caught std::future_error in AppModule::Await: (" +
                          std::to_string(c.code) + ") "));
    EXPECT_THAT(line.message, ::testing::Not(HasSubstr("File:")));
    EXPECT_EQ(!plugin_.calls.empty(), c.waits);
    if (c.waits) {
      EXPECT_EQ(plugin_.calls.back(), "EndWait");
    }
  }
}

}  // namespace
}  // namespace Zarn::Client
