#include "host/RouteCaller.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "host/HostValue.h"

namespace Zarn::Host {
namespace {

// Stand-ins for the plugin's call entries: each answers as the dispatcher would and hands the
// host a release entry that frees what it allocated.
int pluginReleases = 0;
int streamReleases = 0;
std::string lastRequest;

void ReleaseReply(ApiCallResult* reply) {
  ++pluginReleases;
  FreeHostObject(&reply->value);
  std::free(reply->errorText);
  std::memset(reply, 0, sizeof *reply);
}

void Answer(ApiCallResult* reply, uint32_t status, const char* error, const char* json) {
  reply->status = status;
  reply->release = &ReleaseReply;
  if (error != nullptr) {
    reply->errorText = static_cast<char*>(std::malloc(std::strlen(error) + 1));
    std::strcpy(reply->errorText, error);
    reply->ownsError = 1;
  }
  if (json != nullptr) {
    rapidjson::Document value;
    value.Parse(json);
    ApiObject object{};
    ASSERT_TRUE(JsonToHostObject(value, &object));
    reply->value = object;
  }
}

void NotMine(ApiCallResult* reply, const ApiCallRequest*) {
  Answer(reply, 404, "Invalid function", nullptr);
}

void Lobby(ApiCallResult* reply, const ApiCallRequest* request) {
  if (std::strcmp(request->path, "/jyx-lobby/v2/lobby") != 0) {
    Answer(reply, 404, "Invalid function", nullptr);
    return;
  }
  lastRequest = std::to_string(request->method) + " " + request->contentType + " " +
                std::string(static_cast<const char*>(request->body), request->bodyLength) + " " +
                std::to_string(request->callWord) + " " +
                static_cast<const char*>(request->userData);
  Answer(reply, 200, nullptr, R"({"partyId":"p1","members":[]})");
}

void Failing(ApiCallResult* reply, const ApiCallRequest*) {
  Answer(reply, 423, "Gameflow prevented a lobby.", nullptr);
  reply->stream = &streamReleases;
  reply->streamRelease = [](void* stream) { ++*static_cast<int*>(stream); };
}

class RouteCallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pluginReleases = 0;
    streamReleases = 0;
    std::memset(descriptors_, 0, sizeof descriptors_);
    const ApiCallEntry entries[3] = {&NotMine, &Lobby, &Failing};
    const char* names[3] = {"GetOther", "PostJyxLobbyV2Lobby", "PutFailing"};
    for (int i = 0; i < 3; ++i) {
      descriptors_[i].function.next = i < 2 ? &descriptors_[i + 1].function : nullptr;
      descriptors_[i].function.name = names[i];
      descriptors_[i].function.userData = userData_[i];
      descriptors_[i].callEntry = entries[i];
      descriptors_[i].routeTemplate = "/template";
      descriptors_[i].method = static_cast<uint32_t>(i + 1);
    }
    snapshot_.functions = &descriptors_[0].function;
    snapshot_.functionCount = 3;
  }

  ApiRouteDescriptor descriptors_[3];
  char userData_[3][8] = {"zero", "one", "two"};
  ApiRegistrySnapshot snapshot_{};
};

TEST_F(RouteCallerTest, CopiesTheRoutesOfTheSnapshot) {
  const std::vector<HostRoute> routes = RoutesOf(&snapshot_);
  ASSERT_EQ(routes.size(), 3u);
  EXPECT_EQ(routes[1].name, "PostJyxLobbyV2Lobby");
  EXPECT_EQ(routes[1].routeTemplate, "/template");
  EXPECT_EQ(routes[1].method, 2u);
  EXPECT_EQ(routes[1].userData, userData_[1]);
  EXPECT_EQ(routes[1].entry, &Lobby);
  // The count bounds the walk even when the links go on.
  snapshot_.functionCount = 2;
  EXPECT_EQ(RoutesOf(&snapshot_).size(), 2u);
  EXPECT_TRUE(RoutesOf(nullptr).empty());
}

TEST_F(RouteCallerTest, TheFirstRouteThatServesThePathAnswers) {
  const std::vector<HostRoute> routes = RoutesOf(&snapshot_);
  int releases = 0;
  const RouteAnswer answer = CallRoute(routes, HostMethodCode("POST"), "/jyx-lobby/v2/lobby",
                                       R"({"queueId":420})", 77, &releases);
  EXPECT_EQ(answer.status, 200u);
  EXPECT_FALSE(answer.error.has_value());
  EXPECT_EQ(answer.body, R"({"partyId":"p1","members":[]})");
  EXPECT_EQ(lastRequest, R"(6 application/json {"queueId":420} 77 one)");
  EXPECT_EQ(releases, 2) << "the refusing route's reply was released too";
  EXPECT_EQ(pluginReleases, 2);
}

TEST_F(RouteCallerTest, FailuresAndUnservedPathsAreAnswered) {
  const std::vector<HostRoute> routes = RoutesOf(&snapshot_);
  int releases = 0;
  const RouteAnswer failed = CallRoute(routes, HostMethodCode("PUT"), "/x", "", 77, &releases);
  EXPECT_EQ(failed.status, 423u);
  EXPECT_EQ(failed.error, "Gameflow prevented a lobby.");
  EXPECT_EQ(failed.body, "null");
  EXPECT_EQ(streamReleases, 1);
  EXPECT_EQ(releases, 4);  // three replies and one stream

  std::vector<HostRoute> refusing(routes.begin(), routes.begin() + 2);
  const RouteAnswer none = CallRoute(refusing, HostMethodCode("GET"), "/zzz", "", 77, &releases);
  EXPECT_EQ(none.status, 404u);
  EXPECT_EQ(none.error, "No route of the plugin serves /zzz; routes lists the plugin's routes");
  EXPECT_EQ(pluginReleases, 5);
}

// The templates' forms, as the SDK's dispatcher reads them.
TEST(RouteCallerMethodTest, TemplatesMatchPathsAsTheDispatcherDoes) {
  struct Case {
    const char* routeTemplate;
    std::string path;
    bool matches;
  };
  const Case cases[] = {
      {"/v1/lobby", "/v1/lobby?x=1", true},
      {"/v1/lobby", "/v1/lobby/", false},
      {"", "", false},
      {"/v1/g{id}x/{n}", "/v1/gx/b", true},
      {"/v1/g{id}x/{n}", "/v1/ga/b/c", false},
      {"/v1/echo/{+rest}", "/v1/echo/a/b/c", true},
      {"/v1/{+a}/x/{+b}/y", "/v1/" + std::string(100000, 'x') + "/x/y", false},
      {"/v1/p{#f}", "/v1/p#frag/x", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.routeTemplate) + " " + c.path.substr(0, 40));
    EXPECT_EQ(RouteTemplateMatches(c.routeTemplate, c.path), c.matches);
  }
}

TEST(RouteCallerMethodTest, MethodCodes) {
  struct Case {
    const char* method;
    uint32_t code;
  };
  const Case cases[] = {{"DELETE", 1}, {"GET", 2}, {"PATCH", 5}, {"POST", 6},
                        {"PUT", 7},    {"get", 0}, {"", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    EXPECT_EQ(HostMethodCode(c.method), c.code);
    // Every named method's code gives its name back.
    if (c.code != 0) {
      EXPECT_EQ(HostMethodName(c.code), c.method);
    }
  }
  EXPECT_EQ(HostMethodName(0), "");
  EXPECT_EQ(HostMethodName(8), "") << "a custom method has its own text";
}

}  // namespace
}  // namespace Zarn::Host
