// Subscriptions, delivery and dispatch of resource events and LCDS messages through the stand-in
// host's slots 3 and 4 and its event queue.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "sdk/runtime/TypedEvents.h"
#include "tests/sdk/binding/BindingPropertyTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client {
namespace {

using Testing::Thing;
using Testing::Unbound;

constexpr const char* kThingClass = "com.test.game.Thing";
constexpr const char* kThingEvent = "OnLcdsEvent_com_test_game_Thing";

class EventSubscriptionTest : public Testing::HostedPluginTest {
 protected:
  // An observer that notes "<label> <uri> <eventType> <data>".
  AppModule::ResourceHandler Observe(std::string label) {
    return [this, label](const Resource& event) {
      seen_.push_back(label + " " + event.uri + " " +
                      std::to_string(static_cast<int>(event.eventType)) + " " +
                      Zarn::Testing::Describe(event.data));
    };
  }
  [[nodiscard]] std::vector<std::string> Subscribed() const {
    std::vector<std::string> names;
    for (const auto& call : host_.Records().subscribes) {
      names.push_back(call.name + "/" + std::to_string(call.flag) + "/" +
                      std::to_string(call.hostContext));
    }
    return names;
  }
  [[nodiscard]] std::vector<std::string> Unsubscribed() const {
    std::vector<std::string> names;
    for (const auto& call : host_.Records().unsubscribes) names.push_back(call.name);
    return names;
  }
  static std::string LcdsMessage(const char* typeName, const char* body) {
    return std::string(R"({"clientId":"c1","subtopic":"s1","typeName":")") + typeName +
           R"(","body":)" + body + "}";
  }

  std::vector<std::string> seen_;
};

TEST_F(EventSubscriptionTest, PathsOfOneEventShareOneHostSubscription) {
  const std::size_t base = host_.Records().subscribes.size();  // the service-proxy events
  plugin_->SubscribeEvent("/jyx-lobby/v2/lobby/members");
  plugin_->SubscribeEvent("/jyx-lobby/v2/lobby");
  ASSERT_EQ(Subscribed().size(), base + 1);
  EXPECT_EQ(Subscribed().back(), "OnJsonApiEvent_jyx-lobby_v2_lobby/0/77");
  EXPECT_EQ(plugin_->subscriptionCounts_.at("OnJsonApiEvent_jyx-lobby_v2_lobby"), 2u);

  plugin_->UnsubscribeEvent("/jyx-lobby/v2/lobby");
  EXPECT_TRUE(Unsubscribed().empty());
  EXPECT_TRUE(plugin_->HasEventHandler("OnJsonApiEvent_jyx-lobby_v2_lobby"));
  plugin_->UnsubscribeEvent("/jyx-lobby/v2/lobby/members");
  EXPECT_EQ(Unsubscribed(), (std::vector<std::string>{"OnJsonApiEvent_jyx-lobby_v2_lobby"}));
  EXPECT_EQ(host_.Records().unsubscribes.back().hostContext, 77u);
  EXPECT_FALSE(plugin_->HasEventHandler("OnJsonApiEvent_jyx-lobby_v2_lobby"));
  EXPECT_EQ(plugin_->subscriptionCounts_.at("OnJsonApiEvent_jyx-lobby_v2_lobby"), 0u);

  // A release without a subscription changes nothing; the count does not wrap around.
  plugin_->UnsubscribeEvent("/jyx-lobby/v2/lobby");
  plugin_->UnsubscribeEvent("/never/subscribed/here");
  EXPECT_EQ(Unsubscribed().size(), 1u);
  plugin_->SubscribeEvent("/jyx-lobby/v2/lobby");
  EXPECT_EQ(Subscribed().size(), base + 2);
}

TEST_F(EventSubscriptionTest, DroppingASubscriptionTakesANameOrAPath) {
  struct Case {
    const char* argument;
    const char* path;
    const char* name;
  };
  const Case cases[] = {
      {"OnJsonApiEvent_jyx-login_v1_session", "/jyx-login/v1/session",
       "OnJsonApiEvent_jyx-login_v1_session"},
      {"/jyx-gameflow/v1/session/x", "/jyx-gameflow/v1/session",
       "OnJsonApiEvent_jyx-gameflow_v1_session"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    plugin_->SubscribeEvent(c.path);
    plugin_->SubscribeEvent(c.path);
    const std::size_t subscribes = host_.Records().subscribes.size();
    plugin_->DropEventSubscription(c.argument);
    EXPECT_EQ(Unsubscribed().back(), c.name);
    EXPECT_FALSE(plugin_->HasEventHandler(c.name));
    // Dropped at the host, so the next subscription subscribes again.
    plugin_->SubscribeEvent(c.path);
    EXPECT_EQ(host_.Records().subscribes.size(), subscribes + 1);
    EXPECT_EQ(Subscribed().back(), std::string(c.name) + "/0/77");
  }
}

TEST_F(EventSubscriptionTest, ResourceEventsReachTheExactObserverThenMatchingWildcards) {
  plugin_->SubscribeEvent("/a/b/c");
  plugin_->exactObservers_["/a/b/c"] = Observe("exact");
  plugin_->exactObservers_["/a/b/c/d"] = Observe("other");
  plugin_->wildcardObservers_["/a/*/c"] = Observe("wild");
  plugin_->wildcardObservers_["/a/b/*"] = Observe("wild");
  plugin_->wildcardObservers_["/x/*"] = Observe("unrelated");

  host_.SetResource("/a/b/c", R"({"v":1})");
  host_.RunDue();
  ASSERT_EQ(seen_.size(), 3u);
  EXPECT_EQ(seen_[0], "exact /a/b/c 0 {v:i:1}");
  EXPECT_EQ(seen_[1], "wild /a/b/c 0 {v:i:1}");
  EXPECT_EQ(seen_[2], seen_[1]);

  // A uri without its leading "/" still finds the observers of the path with it.
  seen_.clear();
  host_.DeliverEvent("OnJsonApiEvent_a_b_c", R"({"uri":"a/b/c","eventType":"Update","data":2})");
  host_.DeleteResource("/a/b/c");
  host_.RunDue();
  ASSERT_EQ(seen_.size(), 6u);
  EXPECT_EQ(seen_[0], "exact a/b/c 1 i:2");
  EXPECT_EQ(seen_[3], "exact /a/b/c 2 null");
}

TEST_F(EventSubscriptionTest, UnreadableDeliveriesCallNothing) {
  plugin_->SubscribeEvent("/a/b/c");
  plugin_->exactObservers_["/a/b/c"] = Observe("exact");
  const char* payloads[] = {
      R"({"uri":"/a/b/c","eventType":"Bogus","data":1})",
      R"({"uri":5,"eventType":"Update"})",
      R"([1,2])",
      R"("text")",
  };
  for (const char* payload : payloads) {
    SCOPED_TRACE(payload);
    host_.DeliverEvent("OnJsonApiEvent_a_b_c", payload);
    host_.RunDue();
    EXPECT_TRUE(seen_.empty());
  }
  // An event of a name without a handler is ignored as well.
  plugin_->AddEventHandler("OnUnhandled", Observe("unhandled"), 0);
  plugin_->eventHandlers_.erase("OnUnhandled");
  host_.DeliverEvent("OnUnhandled", R"({"uri":"/u","eventType":"Create","data":1})");
  host_.RunDue();
  EXPECT_TRUE(seen_.empty());
}

TEST_F(EventSubscriptionTest, HandlersMayChangeTheTablesWhileTheyRun) {
  plugin_->SubscribeEvent("/a/b/c");
  const std::string tail(64, 't');  // lives inside the running handler
  plugin_->exactObservers_["/a/b/c"] = [this, tail](const Resource&) {
    // Replaces itself and releases the subscription whose handler is running: neither may pull
    // the running handlers away.
    plugin_->exactObservers_["/a/b/c"] = Observe("replacement");
    plugin_->UnsubscribeEvent("/a/b/c");
    seen_.push_back("exact " + tail.substr(0, 2));
  };
  // Whichever wildcard observer runs first removes the other one and adds a new observer; the
  // removed one is not called, and neither is the one added during the walk.
  for (const std::string pattern : {"/a/*/c", "/*/b/c"}) {
    const std::string other = pattern == "/a/*/c" ? "/*/b/c" : "/a/*/c";
    plugin_->wildcardObservers_[pattern] = [this, other, tail](const Resource&) {
      plugin_->wildcardObservers_.erase(other);
      plugin_->wildcardObservers_["/a/b/" + tail.substr(0, 1) + "*"] = Observe("added");
      plugin_->wildcardObservers_["/a/b/*"] = Observe("added");
      seen_.push_back("wild " + tail.substr(0, 2));
    };
  }

  host_.SetResource("/a/b/c", "1");
  host_.RunDue();
  EXPECT_EQ(seen_, (std::vector<std::string>{"exact tt", "wild tt"}));
  EXPECT_FALSE(plugin_->HasEventHandler("OnJsonApiEvent_a_b_c"));
  EXPECT_EQ(plugin_->wildcardObservers_.size(), 3u);
}

TEST_F(EventSubscriptionTest, AFailingHandlerIsReportedAndTheHostCarriesOn) {
  plugin_->SubscribeEvent("/a/b/c");
  plugin_->exactObservers_["/a/b/c"] = [](const Resource&) { throw std::runtime_error("bad"); };
  plugin_->wildcardObservers_["/a/b/*"] = nullptr;  // an empty handler is a programming error
  host_.SetResource("/a/b/c", "1");
  host_.RunDue();
  plugin_->exactObservers_.erase("/a/b/c");
  host_.SetResource("/a/b/c", "2");
  host_.RunDue();
  std::vector<std::string> errors;
  for (const auto& line : host_.Records().logs) {
    if (line.level == 2) errors.push_back(line.message);
  }
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "tester: Handling event OnJsonApiEvent_a_b_c failed: bad",
                        "tester: Handling event OnJsonApiEvent_a_b_c failed: bad_function_call"}));
}

TEST_F(EventSubscriptionTest, LcdsMessagesAreHandledOnlyFromTheirOwnCallback) {
  std::vector<std::string> handled;
  plugin_->SubscribeLcdsEvent<Thing>(kThingClass, [&](const Thing& thing) {
    handled.push_back("first " + std::to_string(thing.count) + " " + thing.label);
  });
  EXPECT_EQ(Subscribed().back(), std::string(kThingEvent) + "/1/77");

  host_.DeliverEvent(kThingEvent, LcdsMessage(kThingClass, R"({"count":3,"label":"x"})"));
  EXPECT_EQ(host_.RunRound(), 1);  // the delivery itself
  EXPECT_TRUE(handled.empty());
  EXPECT_EQ(host_.Records().scheduledLabels.back(), "Event: OnLcdsEvent (com.test.game.Thing)");
  EXPECT_EQ(host_.Records().scheduledDelays.back(), 0.0);
  host_.RunDue();
  EXPECT_EQ(handled, (std::vector<std::string>{"first 3 x"}));

  // Subscribing the class again replaces the handler, subscribes at the host again, and is not
  // counted. A message queued before the replacement goes to the new handler.
  host_.DeliverEvent(kThingEvent, LcdsMessage(kThingClass, R"({"count":4})"));
  host_.RunRound();
  plugin_->SubscribeLcdsEvent<Thing>(kThingClass, [&](const Thing& thing) {
    handled.push_back("second " + std::to_string(thing.count));
  });
  host_.RunDue();
  EXPECT_EQ(handled, (std::vector<std::string>{"first 3 x", "second 4"}));
  ASSERT_GE(Subscribed().size(), 2u);
  EXPECT_EQ(Subscribed()[Subscribed().size() - 2], Subscribed().back());
  EXPECT_EQ(plugin_->subscriptionCounts_.count(kThingEvent), 0u);

  // A handler removed before the callback runs is not called.
  host_.DeliverEvent(kThingEvent, LcdsMessage(kThingClass, R"({"count":5})"));
  host_.RunRound();
  plugin_->lcdsHandlers_.erase(kThingClass);
  host_.RunDue();
  EXPECT_EQ(handled.size(), 2u);
}

TEST_F(EventSubscriptionTest, LcdsMessagesThatDoNotReadOrHaveNoHandlerAreDropped) {
  std::vector<int32_t> handled;
  plugin_->SubscribeLcdsEvent<Thing>(kThingClass,
                                     [&](const Thing& thing) { handled.push_back(thing.count); });
  plugin_->SubscribeLcdsEvent<Unbound>(
      "com.test.Unbound", [&](const Unbound& value) { handled.push_back(value.count); });
  const std::size_t scheduled = host_.Records().scheduledLabels.size();
  struct Case {
    const char* label;
    const char* event;
    std::string message;
    std::size_t schedules;  // deferred callbacks the message causes
  };
  const Case cases[] = {
      {"body of the wrong kind", kThingEvent, LcdsMessage(kThingClass, "[1]"), 1},
      {"field out of range", kThingEvent, LcdsMessage(kThingClass, R"({"count":3000000000})"), 1},
      {"empty body", kThingEvent, LcdsMessage(kThingClass, "null"), 1},
      {"unregistered record", "OnLcdsEvent_com_test_Unbound",
       LcdsMessage("com.test.Unbound", R"({"count":1})"), 1},
      {"class without a handler", kThingEvent, LcdsMessage("com.test.Other", R"({"count":1})"), 0},
      {"not a message", kThingEvent, R"({"typeName":7})", 0},
  };
  std::size_t expected = scheduled;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host_.DeliverEvent(c.event, c.message);
    host_.RunDue();
    expected += c.schedules;
    EXPECT_EQ(host_.Records().scheduledLabels.size(), expected);
    EXPECT_TRUE(handled.empty());
  }
}

}  // namespace
}  // namespace Zarn::Client
