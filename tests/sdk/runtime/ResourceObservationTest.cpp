// Observing sibling resources through the stand-in host's resource store.
#include "sdk/runtime/ResourceObservation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/binding/JsonText.h"
#include "sdk/runtime/JsonApiEventName.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client {
namespace {

using ::testing::ElementsAre;
using Testing::Thing;

// One delivery as a handler saw it: "<tag> <uri> <event type> <value>".
template <typename T>
std::string Seen(const std::string& tag, const ResourceUpdate<T>& update,
                 const std::string& value) {
  return tag + " " + update.uri + " " + std::to_string(static_cast<int>(update.eventType)) + " " +
         value;
}

std::string Describe(const Thing& thing) { return std::to_string(thing.count) + "/" + thing.label; }

class ResourceObservationTest : public Testing::HostedPluginTest {
 protected:
  // An observer of Things that records what it sees under `tag`.
  std::function<void(const ResourceUpdate<Thing>&)> Recorder(const std::string& tag) {
    return [this, tag](const ResourceUpdate<Thing>& update) {
      seen_.push_back(Seen(tag, update, Describe(update.value)));
    };
  }
  uint32_t Count(const std::string& path) {
    auto it = plugin_->subscriptionCounts_.find(MakeJsonApiEventName(path));
    return it == plugin_->subscriptionCounts_.end() ? 0 : it->second;
  }

  std::vector<std::string> seen_;
};

TEST_F(ResourceObservationTest, AnExactPathSeesItsValueAtOnceAndEveryChange) {
  const std::string path = "/jyx-a/v1/thing";
  host_.SeedResource(path, R"({"count":3,"label":"x"})");
  plugin_->ObserveResource<Thing>(path, Recorder("A"));
  EXPECT_THAT(seen_, ElementsAre("A /jyx-a/v1/thing 0 3/x")) << "before ObserveResource returns";
  EXPECT_EQ(Count(path), 1u);
  ASSERT_EQ(host_.Records().requests.size(), 1u);
  EXPECT_EQ(host_.Records().requests[0].method, 2u);

  host_.SetResource(path, R"({"count":4,"label":"y"})");
  host_.SetResource(path, R"("not a thing")");  // dropped
  host_.SetResource(path, R"({"count":5,"label":"z"})");
  host_.DeleteResource(path);  // a default value, whatever the data
  host_.RunDue();
  EXPECT_THAT(seen_, ElementsAre("A /jyx-a/v1/thing 0 3/x", "A /jyx-a/v1/thing 1 4/y",
                                 "A /jyx-a/v1/thing 1 5/z", "A /jyx-a/v1/thing 2 0/"));
}

TEST_F(ResourceObservationTest, WildcardsMakeNoRequestAndSeeTheConcretePath) {
  host_.SeedResource("/jyx-a/v1/things/7", R"({"count":1,"label":"seed"})");
  plugin_->ObserveResource<Thing>("/jyx-a/v1/things/*", Recorder("W"));
  EXPECT_TRUE(host_.Records().requests.empty());
  EXPECT_TRUE(seen_.empty());

  plugin_->ObserveResource<Thing>("/jyx-a/v1/things/7", Recorder("E"));
  EXPECT_THAT(seen_, ElementsAre("E /jyx-a/v1/things/7 0 1/seed")) << "the exact one only";
  EXPECT_EQ(Count("/jyx-a/v1/things/7"), 2u);

  seen_.clear();
  host_.SetResource("/jyx-a/v1/things/7", R"({"count":2,"label":"b"})");
  host_.SetResource("/jyx-a/v1/things/8", R"({"count":8,"label":"c"})");
  host_.RunDue();
  EXPECT_THAT(seen_, ElementsAre("E /jyx-a/v1/things/7 1 2/b", "W /jyx-a/v1/things/7 1 2/b",
                                 "W /jyx-a/v1/things/8 0 8/c"));
}

TEST_F(ResourceObservationTest, AFailedReadIsSilentAndASecondObservationReplacesTheFirst) {
  const std::string missing = "/jyx-a/v1/missing";
  plugin_->ObserveResource<Thing>(missing, Recorder("M"));
  EXPECT_TRUE(seen_.empty());
  host_.SetResource(missing, R"({"count":1,"label":"now"})");
  host_.RunDue();
  EXPECT_THAT(seen_, ElementsAre("M /jyx-a/v1/missing 0 1/now"));

  seen_.clear();
  const std::string path = "/jyx-a/v1/twice";
  host_.SeedResource(path, R"({"count":2,"label":"t"})");
  plugin_->ObserveResource<Thing>(path, Recorder("first"));
  plugin_->ObserveResource<Thing>(path, Recorder("second"));
  EXPECT_EQ(Count(path), 2u);
  host_.SetResource(path, R"({"count":3,"label":"u"})");
  host_.RunDue();
  EXPECT_THAT(seen_, ElementsAre("first /jyx-a/v1/twice 0 2/t", "second /jyx-a/v1/twice 0 2/t",
                                 "second /jyx-a/v1/twice 1 3/u"));
}

struct Watcher {
  void OnChange(const ResourceUpdate<BindingProperty>& update) {
    seen.push_back(Seen("M", update, SerializeJson(update.value, nullptr, nullptr)));
  }
  std::vector<std::string> seen;
};

TEST_F(ResourceObservationTest, ValuesConvertByTheirType) {
  host_.SeedResource("/jyx-t/v1/bool", "true");
  host_.SeedResource("/jyx-t/v1/float", "1.5");
  host_.SeedResource("/jyx-t/v1/double", "2.25");
  host_.SeedResource("/jyx-t/v1/text", R"("abc")");
  host_.SeedResource("/jyx-t/v1/list", R"([{"count":1},null,{"count":3,"label":"c"}])");
  host_.SeedResource("/jyx-t/v1/free", R"({"a":[1,null]})");
  host_.SeedResource("/jyx-t/v1/notlist", R"({"count":1})");

  plugin_->ObserveResource<bool>("/jyx-t/v1/bool", [this](const ResourceUpdate<bool>& u) {
    seen_.push_back(Seen("bool", u, u.value ? "true" : "false"));
  });
  plugin_->ObserveResource<float>("/jyx-t/v1/float", [this](const ResourceUpdate<float>& u) {
    seen_.push_back(Seen("float", u, std::to_string(u.value)));
  });
  plugin_->ObserveResource<double>("/jyx-t/v1/double", [this](const ResourceUpdate<double>& u) {
    seen_.push_back(Seen("double", u, std::to_string(u.value)));
  });
  plugin_->ObserveResource<std::string>(
      "/jyx-t/v1/text",
      [this](const ResourceUpdate<std::string>& u) { seen_.push_back(Seen("text", u, u.value)); });
  auto listRecorder = [this](const ResourceUpdate<std::vector<Thing>>& u) {
    std::string text;
    for (const Thing& thing : u.value) text += Describe(thing) + ";";
    seen_.push_back(Seen("list", u, text));
  };
  plugin_->ObserveResource<std::vector<Thing>>("/jyx-t/v1/list", listRecorder);
  plugin_->ObserveResource<std::vector<Thing>>("/jyx-t/v1/notlist", listRecorder);
  Watcher watcher;
  plugin_->ObserveResource("/jyx-t/v1/free", &watcher, &Watcher::OnChange);

  EXPECT_THAT(seen_, ElementsAre("bool /jyx-t/v1/bool 0 true", "float /jyx-t/v1/float 0 1.500000",
                                 "double /jyx-t/v1/double 0 2.250000", "text /jyx-t/v1/text 0 abc",
                                 "list /jyx-t/v1/list 0 1/;0/;3/c;"));
  EXPECT_THAT(watcher.seen, ElementsAre(R"(M /jyx-t/v1/free 0 {"a":[1,null]})"));
}

}  // namespace
}  // namespace Zarn::Client
