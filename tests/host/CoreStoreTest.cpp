// The stand-in host's resource store and the work it injects while a request is in progress.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/HostValue.h"
#include "host/PluginHost.h"

namespace Zarn::Host {
namespace {

PluginHost::Options StoreOptions() {
  PluginHost::Options options;
  options.pluginPath = "/nonexistent/libjyx_lobby.so";
  return options;
}

struct Answer {
  uint32_t status;
  std::string text;  // the error text, or the value's compact JSON
};

Answer Send(PluginHost& host, uint32_t method, const char* path, const char* argumentJson) {
  ApiObject argument{};
  if (argumentJson != nullptr) {
    rapidjson::Document json;
    json.Parse(argumentJson);
    EXPECT_TRUE(JsonToHostObject(json, &argument));
  }
  ApiNamedValue named{nullptr, argument};
  ApiCallRequest request{};
  request.method = method;
  request.path = path;
  request.namedValues = argumentJson != nullptr ? &named : nullptr;
  request.namedValueCount = argumentJson != nullptr ? 1 : 0;
  ApiCallResult reply{};
  PluginHostApi* api = host.Table();
  const uint32_t status = api->sendCoreRequest(api, &reply, &request);
  Answer answer{status, ""};
  const char* error = reply.errorText;
  if (error != nullptr) {
    answer.text = error;
  } else {
    rapidjson::Document value;
    std::string problem;
    EXPECT_TRUE(HostObjectToJson(reply.value, value, value.GetAllocator(), &problem));
    answer.text = JsonText(value);
  }
  const ApiCallResultReleaseEntry release = reply.release;
  release(&reply);
  FreeHostObject(&argument);
  return answer;
}

TEST(CoreStoreTest, MethodsChangeTheStoreAndInjectionsRunDuringTheRequest) {
  PluginHost host(StoreOptions());
  host.SeedResource("/jyx-a/v1/r", R"({"a":1,"b":2})");
  std::vector<std::string> during;
  ScriptedReply scripted;
  scripted.json = "7";
  scripted.uses = 1;
  scripted.during = [&] { during.push_back(host.Resource("/jyx-a/v1/r").value_or("none")); };
  host.ScriptReply("/jyx-a/v1/scripted", scripted);

  struct Case {
    uint32_t method;
    const char* path;
    const char* argument;
    Answer expected;
    const char* stored;  // null: nothing stored afterwards
  };
  const Case cases[] = {
      {2, "/jyx-a/v1/r", nullptr, {200, R"({"a":1,"b":2})"}, R"({"a":1,"b":2})"},
      {5,
       "/jyx-a/v1/r",
       R"({"b":3,"c":4})",
       {200, R"({"a":1,"b":3,"c":4})"},
       R"({"a":1,"b":3,"c":4})"},
      {7, "/jyx-a/v1/r", "[1]", {200, "[1]"}, "[1]"},
      {6, "/jyx-a/v1/new", R"("x")", {200, R"("x")"}, R"("x")"},
      {1, "/jyx-a/v1/r", nullptr, {200, "null"}, nullptr},
      {1, "/jyx-a/v1/r", nullptr, {404, "No component of the host serves /jyx-a/v1/r"}, nullptr},
      {2, "/jyx-a/v1/scripted", nullptr, {200, "7"}, nullptr},
      {2,
       "/jyx-a/v1/scripted",
       nullptr,
       {404, "No component of the host serves /jyx-a/v1/scripted"},
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.method) + " " + c.path);
    const Answer answer = Send(host, c.method, c.path, c.argument);
    EXPECT_EQ(answer.status, c.expected.status);
    EXPECT_EQ(answer.text, c.expected.text);
    const auto stored = host.Resource(c.path);
    EXPECT_EQ(stored.has_value(), c.stored != nullptr);
    if (stored && c.stored != nullptr) {
      EXPECT_EQ(*stored, c.stored);
    }
  }
  EXPECT_EQ(during, (std::vector<std::string>{"none"}));
  EXPECT_EQ(host.Records().replyReleases, host.Records().repliesFilled);
  EXPECT_EQ(PluginHost::ForeignReplyReleases(), 0);
}

}  // namespace
}  // namespace Zarn::Host
