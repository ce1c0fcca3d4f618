#include "sdk/runtime/PluginManagerTypes.h"

#include <gtest/gtest.h>

#include <string>

#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/Plugin.h"

namespace Zarn {
namespace {

const BindingEventInfo* FindEvent(const BindingRegistry& registry, const std::string& name) {
  for (const BindingEventInfo* event : registry.GetEvents()) {
    if (event->name == name) return event;
  }
  return nullptr;
}

template <typename T>
T RoundTrip(const T& value, const BindingRegistry& registry, std::string* json) {
  *json = ToJsonString(value, registry);
  BindingResult parsed = ParseJsonText(json->c_str());
  EXPECT_TRUE(parsed.IsOk());
  T back;
  EXPECT_TRUE(ReadRequiredValue(back, parsed.Value(), registry));
  return back;
}

class PluginManagerTypesTest : public ::testing::Test {
 protected:
  Client::Plugin plugin_;
  ApiRegistry& registry_ = plugin_.GetRegistry();
};

TEST_F(PluginManagerTypesTest, EveryTypeIsFoundByItsId) {
  RegisterPluginManagerTypes(plugin_, registry_);
  EXPECT_EQ(plugin_.Registry(), &registry_);
  struct Case {
    uint32_t id;
    const char* name;
    bool isEnum;
  };
  const Case cases[] = {
      {0xF4E3B901, "PluginManagerState", true},
      {0xFA58397C, "PluginManagerResource", false},
      {0xDC24D2AD, "PluginResourceEventType", true},
      {TypeId<Resource>().id, "PluginResourceEvent", false},
      {0x739F2EF4, "PluginLcdsEvent", false},
      {0xF4476A4F, "PluginLcdsResponse", false},
      {0x2C5E7588, "PluginServiceProxyResponse", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const BindingTypeInfo* type = registry_.FindTypeById(c.id);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->name, c.name);
    EXPECT_EQ(type->isEnum, c.isEnum);
    EXPECT_EQ(type->tags, (std::vector<std::string>{"kvelnor"}));
  }
  const BindingTypeInfo* resource = registry_.FindTypeById(TypeId<Resource>().id);
  ASSERT_EQ(resource->fields.size(), 3u);
  EXPECT_EQ(resource->fields[1].descriptor.type, registry_.FindTypeById(0xDC24D2AD))
      << "the event type field refers to its enum";
}

TEST_F(PluginManagerTypesTest, RecordsTravelThroughTheirRegisteredFields) {
  RegisterPluginManagerTypes(plugin_, registry_);
  std::string json;

  Resource resource;
  resource.uri = "/jyx-lobby/v2/lobby";
  resource.eventType = PluginResourceEventType::Delete;
  BindingResult data = ParseJsonText(R"({"members":[1,"two"]})");
  ASSERT_TRUE(data.IsOk());
  resource.data = data.Value();
  const Resource resourceBack = RoundTrip(resource, registry_, &json);
  // Structure members are kept in name order.
  EXPECT_EQ(json,
            R"({"data":{"members":[1,"two"]},"eventType":"Delete","uri":"/jyx-lobby/v2/lobby"})");
  EXPECT_EQ(resourceBack.uri, resource.uri);
  EXPECT_EQ(resourceBack.eventType, PluginResourceEventType::Delete);
  EXPECT_EQ(SerializeJson(resourceBack.data, &registry_, nullptr), R"({"members":[1,"two"]})");

  const PluginServiceProxyResponse reply{"u-1", "parties", "v1.get", "{}", "200", "none"};
  const PluginServiceProxyResponse replyBack = RoundTrip(reply, registry_, &json);
  EXPECT_EQ(json, R"({"error":"none","methodName":"v1.get","payload":"{}",)"
                  R"("serviceName":"parties","status":"200","uuid":"u-1"})");
  EXPECT_EQ(replyBack.methodName, "v1.get");
  EXPECT_EQ(replyBack.error, "none");

  PluginLcdsEvent message;
  message.clientId = "c";
  message.subtopic = "s";
  message.typeName = "com.zarnworks.platform.game.GameDTO";
  const PluginLcdsEvent messageBack = RoundTrip(message, registry_, &json);
  EXPECT_EQ(messageBack.typeName, message.typeName);
  EXPECT_TRUE(messageBack.body.IsEmpty());

  const PluginManagerResource state{PluginManagerState::PluginsInitialized};
  EXPECT_EQ(RoundTrip(state, registry_, &json).state, PluginManagerState::PluginsInitialized);
  EXPECT_EQ(json, R"({"state":"PluginsInitialized"})");
}

TEST_F(PluginManagerTypesTest, EventsCarryTheirPayloadsAndAnEarlierRegistrationWins) {
  static_cast<void>(registry_.RegisterEvent("OnLcdsEvent", nullptr).SetDescription("earlier"));
  RegisterPluginManagerTypes(plugin_, registry_);
  RegisterPluginManagerTypes(plugin_, registry_);  // again: nothing changes

  const BindingEventInfo* lcds = FindEvent(registry_, "OnLcdsEvent");
  ASSERT_NE(lcds, nullptr);
  EXPECT_EQ(lcds->description, "earlier");
  EXPECT_TRUE(lcds->tags.empty());
  EXPECT_EQ(lcds->payload, nullptr);

  const BindingEventInfo* resource = FindEvent(registry_, "OnJsonApiEvent");
  ASSERT_NE(resource, nullptr);
  EXPECT_EQ(resource->description, "Fired when a resource is changed.");
  EXPECT_EQ(resource->tags, (std::vector<std::string>{"kvelnor"}));
  ASSERT_NE(resource->payload, nullptr);
  EXPECT_EQ(resource->payload->name, "PluginResourceEvent");
  EXPECT_EQ(registry_.FindTypeById(0x2C5E7588)->fields.size(), 6u);
  EXPECT_EQ(registry_.GetEvents().size(), 6u);
}

}  // namespace
}  // namespace Zarn
