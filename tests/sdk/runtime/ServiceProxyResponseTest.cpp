// Reading a service-proxy reply's JSON payload as a raw response or as a list of values.
#include "sdk/runtime/ServiceProxyResponse.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "sdk/binding/BindingRegistry.h"
#include "tests/sdk/base/FailureTesting.h"
#include "tests/sdk/binding/BindingPropertyTesting.h"

namespace Zarn {
namespace {

using Client::ServiceProxyRawResponse;
using Testing::Describe;
using Testing::FailsWith;
using Testing::HasAttribute;

PluginServiceProxyResponse Reply(std::string payload) {
  PluginServiceProxyResponse reply;
  reply.uuid = "u-1";
  reply.serviceName = "parties";
  reply.methodName = "getParty";
  reply.payload = std::move(payload);
  reply.status = "200";
  return reply;
}

class DeserializeResponsePayloadTest : public ::testing::Test {
 protected:
  BindingRegistry registry_;
};

TEST_F(DeserializeResponsePayloadTest, RawResponseKeepsTheMethodAndStatusBesideTheValue) {
  struct Case {
    const char* payload;
    const char* value;
  };
  const Case cases[] = {
      {R"({"id":"p","n":[1,-2]})", "{id:\"p\",n:[u:1,i:-2]}"},
      {"[true]", "[true]"},
      {"\"text\"", "\"text\""},
      // A reply without content is the empty value.
      {"", "null"},
      {"null", "null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.payload);
    MaybeType<Failure, ServiceProxyRawResponse> raw =
        DeserializeResponsePayload<BindingProperty>(Reply(c.payload), registry_);
    ASSERT_TRUE(raw.HasValue()) << raw.Message();
    EXPECT_EQ(raw->methodName, "getParty");
    EXPECT_EQ(raw->status, "200");
    EXPECT_EQ(Describe(raw->payload), c.value);
  }
}

TEST_F(DeserializeResponsePayloadTest, ListResponseIsTheParsedList) {
  MaybeType<Failure, std::vector<BindingProperty>> list =
      DeserializeResponsePayload<std::vector<BindingProperty>>(Reply(R"([{"a":1},null,"x"])"),
                                                               registry_);
  ASSERT_TRUE(list.HasValue()) << list.Message();
  ASSERT_EQ(list->size(), 3u);
  EXPECT_EQ(Describe((*list)[0]), "{a:u:1}");
  EXPECT_EQ(Describe((*list)[1]), "null");
  EXPECT_EQ(Describe((*list)[2]), "\"x\"");
}

TEST_F(DeserializeResponsePayloadTest, FailuresNameThePayloadAndTheTypeRead) {
  struct Case {
    const char* label;
    const char* payload;
    bool list;
    const char* type;
  };
  const Case cases[] = {
      {"not JSON, raw", "{oops", false, "class Zarn::BindingProperty"},
      {"not JSON, list", "[1,", true, "class std::vector<class Zarn::BindingProperty>"},
      {"an object for a list", R"({"a":1})", true,
       "class std::vector<class Zarn::BindingProperty>"},
      {"nothing for a list", "", true, "class std::vector<class Zarn::BindingProperty>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string message =
        std::string("Failed to deserialize response payload \"") + c.payload + "\" to a " + c.type;
    if (c.list) {
      const auto result =
          DeserializeResponsePayload<std::vector<BindingProperty>>(Reply(c.payload), registry_);
      EXPECT_THAT(result, FailsWith(0, message));
      EXPECT_THAT(result, HasAttribute("payload", FailureAttribute(c.payload)));
    } else {
      const auto result = DeserializeResponsePayload<BindingProperty>(Reply(c.payload), registry_);
      EXPECT_THAT(result, FailsWith(0, message));
      EXPECT_THAT(result, HasAttribute("type", FailureAttribute(c.type)));
    }
  }
}

TEST(ServiceProxyRawResponseTest, MovingLeavesTheSourceTextsEmpty) {
  ServiceProxyRawResponse source;
  source.methodName = "m";
  source.status = "201";
  source.payload.SetString("v");
  ServiceProxyRawResponse moved(std::move(source));
  EXPECT_EQ(moved.methodName, "m");
  EXPECT_EQ(moved.status, "201");
  EXPECT_EQ(Describe(moved.payload), "\"v\"");
  EXPECT_TRUE(source.methodName.empty());  // NOLINT(bugprone-use-after-move)
  EXPECT_TRUE(source.status.empty());
  ServiceProxyRawResponse assigned;
  assigned = std::move(moved);
  EXPECT_EQ(assigned.methodName, "m");
  EXPECT_TRUE(moved.methodName.empty());  // NOLINT(bugprone-use-after-move)
  EXPECT_TRUE(moved.status.empty());
}

}  // namespace
}  // namespace Zarn
