// The watched value: its effective value, its listeners and its subscription.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/core/WatchedConfigValue.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/lobby/core/WatchedConfigValueTesting.h"

namespace Zarn::Client::Testing {
namespace {

using Lobby::WatchedConfigValue;
using Lobby::WatchedConfigValueTesting;
using Kind = PluginResourceEventType;

TEST(WatchedConfigValueTest, EffectiveValueFollowsDeliveriesAndTheDefault) {
  struct Step {
    const char* label;
    Kind kind;
    int delivered;
    const int* effective;  // null: none
    int listenerRuns;      // in total so far
  };
  static const int kSeven = 7;
  static const int kDefault = 3;
  for (const bool withDefault : {false, true}) {
    SCOPED_TRACE(withDefault ? "with a default" : "without a default");
    WatchedConfigValue<int> value;
    if (withDefault) {
      value.SetDefault(kDefault);
    }
    int runs = 0;
    value.AddListener([&runs] { ++runs; });
    const int* fallback = withDefault ? &kDefault : nullptr;
    const std::vector<Step> steps = {
        {"nothing yet", Kind::Create, 0, fallback, 0},   {"created", Kind::Create, 7, &kSeven, 1},
        {"kind 3", static_cast<Kind>(3), 9, &kSeven, 1}, {"deleted", Kind::Delete, 0, fallback, 2},
        {"updated", Kind::Update, 7, &kSeven, 3},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const Step& step = steps[i];
      SCOPED_TRACE(step.label);
      if (i > 0) value.Update(step.kind, step.delivered);
      EXPECT_EQ(runs, step.listenerRuns);
      EXPECT_EQ(value.IsAvailable(), step.effective != nullptr);
      if (step.effective == nullptr) {
        EXPECT_EQ(value.Effective(), nullptr);
      } else {
        ASSERT_NE(value.Effective(), nullptr);
        EXPECT_EQ(*value.Effective(), *step.effective);
      }
    }
  }
}

TEST(WatchedConfigValueTest, AFlagWithNeitherValueNorDefaultIsFalse) {
  WatchedConfigValue<bool> flag;
  EXPECT_FALSE(flag.IsTrue());
  flag.SetDefault(true);
  EXPECT_TRUE(flag.IsTrue());
  flag.Update(Kind::Update, false);
  EXPECT_FALSE(flag.IsTrue());
  flag.Update(Kind::Delete, false);
  EXPECT_TRUE(flag.IsTrue()) << "the default counts again";
}

TEST(WatchedConfigValueTest, ListenersRunInOrderAndMayChangeTheList) {
  WatchedConfigValue<std::string> value;
  std::vector<std::string> order;
  value.AddListener([&] { order.push_back("first"); });
  value.AddListener([&] {
    order.push_back("second");
    // Replaces the list while it runs: the listener's own copy stays valid.
    WatchedConfigValueTesting::Listeners(value).clear();
    value.AddListener([&] { order.push_back("added"); });
  });
  value.AddListener([&] { order.push_back("never"); });
  value.Set("a");
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
  value.Set("b");
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "added"}));
}

TEST(WatchedConfigValueTest, WatchReadsThePresentValueAndDropEndsTheSubscription) {
  LobbyRig rig;
  rig.host.SeedResource("/test/v1/flag", "true");
  WatchedConfigValue<bool> flag;
  flag.SetModule(rig.plugin.get());
  int runs = 0;
  flag.AddListener([&runs] { ++runs; });
  flag.Watch("/test/v1/flag");
  EXPECT_TRUE(flag.IsTrue());
  EXPECT_EQ(runs, 1);
  rig.host.SetResource("/test/v1/flag", "false");
  rig.host.RunDue();
  EXPECT_FALSE(flag.IsTrue());
  EXPECT_EQ(runs, 2);
  rig.host.SetResource("/test/v1/flag", R"("not a flag")");
  rig.host.RunDue();
  EXPECT_EQ(runs, 2) << "a value that does not convert reaches no listener";
  rig.host.DeleteResource("/test/v1/flag");
  rig.host.RunDue();
  EXPECT_FALSE(flag.HasValue());
  EXPECT_EQ(runs, 3);

  const std::size_t mark = rig.Mark();
  flag.Drop();
  EXPECT_TRUE(flag.Path().empty());
  EXPECT_TRUE(WatchedConfigValueTesting::Listeners(flag).empty());
  EXPECT_EQ(rig.Entries({"unsubscribe"}, mark),
            std::vector<std::string>{"unsubscribe OnJsonApiEvent_test_v1_flag"});
  rig.host.SetResource("/test/v1/flag", "true");
  rig.host.RunDue();
  EXPECT_FALSE(flag.HasValue()) << "nothing arrives after the drop";
  flag.Drop();
  EXPECT_EQ(rig.Entries({"unsubscribe"}, mark).size(), 1u) << "a second drop does nothing";
}

}  // namespace
}  // namespace Zarn::Client::Testing
