// Publication of resource events through the stand-in host's slot 2.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sdk/runtime/TypedEvents.h"
#include "tests/sdk/binding/BindingPropertyTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client {
namespace {

using Testing::Thing;
using Testing::Unbound;

class EventPublicationTest : public Testing::HostedPluginTest {
 protected:
  // "<name> <flag> <payload>" of each event published since the last call.
  std::vector<std::string> Published() {
    std::vector<std::string> events;
    for (const auto& event : host_.TakeNewEvents()) {
      events.push_back(event.name + " " + std::to_string(event.flag) + " " + event.payload);
    }
    return events;
  }
};

TEST_F(EventPublicationTest, EachPublicationGoesOutUnderThePathsNameThenThePlainName) {
  struct Case {
    const char* label;
    std::function<void(AppModule&)> publish;
    std::vector<std::string> expected;
  };
  const std::string lobby = R"({"data":{"count":3,"label":"x"},"eventType":"Update",)"
                            R"("uri":"/jyx-lobby/v2/lobby/x/y"})";
  const std::string members = R"({"data":[{"count":1,"label":""},{"count":2,"label":"b"}],)"
                              R"("eventType":"Create","uri":"/jyx-lobby/v2/members"})";
  const std::string flag = R"({"data":true,"eventType":"Update","uri":"/jyx-lobby/v1/flag"})";
  const std::string kind = R"({"data":"Delete","eventType":"Update","uri":"/jyx-lobby/v1/k"})";
  const std::string gone = R"({"data":null,"eventType":"Delete","uri":"/jyx-lobby/v2/lobby"})";
  const Case cases[] = {
      {"record",
       [](AppModule& m) {
         m.SendJsonApiEvent(1, "/jyx-lobby/v2/lobby/x/y", Thing{3, "x"});
       },
       {"OnJsonApiEvent_jyx-lobby_v2_lobby 0 " + lobby, "OnJsonApiEvent 0 " + lobby}},
      {"list",
       [](AppModule& m) {
         m.SendJsonApiEvent(0, "/jyx-lobby/v2/members", std::vector<Thing>{{1, ""}, {2, "b"}});
       },
       {"OnJsonApiEvent_jyx-lobby_v2_members 0 " + members, "OnJsonApiEvent 0 " + members}},
      {"bool",
       [](AppModule& m) { m.SendJsonApiEvent(1, "/jyx-lobby/v1/flag", true); },
       {"OnJsonApiEvent_jyx-lobby_v1_flag 0 " + flag, "OnJsonApiEvent 0 " + flag}},
      {"enum",
       [](AppModule& m) {
         m.SendJsonApiEvent(1, "/jyx-lobby/v1/k", PluginResourceEventType::Delete);
       },
       {"OnJsonApiEvent_jyx-lobby_v1_k 0 " + kind, "OnJsonApiEvent 0 " + kind}},
      {"removal",
       [](AppModule& m) { m.PublishResourceEvent("/jyx-lobby/v2/lobby"); },
       {"OnJsonApiEvent_jyx-lobby_v2_lobby 0 " + gone, "OnJsonApiEvent 0 " + gone}},
      {"path without segments",
       [](AppModule& m) { m.PublishResourceEvent("//"); },
       {R"(OnJsonApiEvent 0 {"data":null,"eventType":"Delete","uri":"//"})"}},
      {"empty path",
       [](AppModule& m) { m.SendJsonApiEvent(2, "", false); },
       {R"(OnJsonApiEvent 0 {"data":false,"eventType":"Delete","uri":""})"}},
      {"unregistered record", [](AppModule& m) { m.SendJsonApiEvent(1, "/a/b", Unbound{}); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    c.publish(*plugin_);
    EXPECT_EQ(Published(), c.expected);
  }
}

TEST_F(EventPublicationTest, SendEventPublishesUnderAGivenNameOrFails) {
  Resource event;
  event.uri = "/jyx-lobby/v2/lobby";
  event.eventType = PluginResourceEventType::Create;
  event.data.SetInt64(5);
  const std::string payload = R"({"data":5,"eventType":"Create","uri":"/jyx-lobby/v2/lobby"})";
  EXPECT_FALSE(plugin_->SendEvent("OnSomethingElse", event, 3).IsFailure());
  EXPECT_EQ(Published(), (std::vector<std::string>{"OnJsonApiEvent_jyx-lobby_v2_lobby 3 " + payload,
                                                   "OnSomethingElse 3 " + payload}));
  // A name equal to the path's publishes once.
  EXPECT_FALSE(plugin_->SendEvent("OnJsonApiEvent_jyx-lobby_v2_lobby", event, 0).IsFailure());
  EXPECT_EQ(Published().size(), 1u);

  // A registry that does not know the event record: nothing goes out.
  BindingRegistry empty;
  plugin_->SetRegistry(&empty);
  const MaybeType<Failure, void> failed = plugin_->SendEvent("OnJsonApiEvent", event, 0);
  plugin_->SetRegistry(&plugin_->GetRegistry());
  ASSERT_TRUE(failed.IsFailure());
  EXPECT_STREQ(failed.Message(),
               "Couldn't convert native value because it's an unregistered structure.");
  EXPECT_TRUE(Published().empty());
}

TEST_F(EventPublicationTest, SubscribersOfThePathReceiveThePublishedValue) {
  std::vector<std::string> seen;
  plugin_->SubscribeEvent("/jyx-lobby/v2/lobby");
  plugin_->exactObservers_["/jyx-lobby/v2/lobby"] = [&](const Resource& event) {
    seen.push_back(std::to_string(static_cast<int>(event.eventType)) + " " +
                   Zarn::Testing::Describe(event.data));
  };
  plugin_->SendJsonApiEvent(1, "/jyx-lobby/v2/lobby", Thing{7, "seven"});
  plugin_->PublishResourceEvent("/jyx-lobby/v2/lobby");
  host_.RunDue();
  EXPECT_EQ(seen, (std::vector<std::string>{"1 {count:i:7,label:\"seven\"}", "2 null"}));
}

}  // namespace
}  // namespace Zarn::Client
