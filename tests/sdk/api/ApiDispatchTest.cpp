#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sdk/api/ApiBinder.h"
#include "tests/sdk/api/ApiCallTesting.h"
#include "tests/sdk/api/CallGateTesting.h"
#include "tests/sdk/api/ResponseBodyStreamTesting.h"
#include "tests/sdk/base/MemoryTesting.h"

namespace Zarn {
namespace {

using Testing::ApiTestClient;
using Testing::ApiTestReply;
using Testing::ApiTestRequest;

ApiTestRequest Request(std::uint32_t method, std::string path) {
  ApiTestRequest request;
  request.method = method;
  request.path = std::move(path);
  return request;
}

// What a GET of `path` through `route` answers: the value's text, or the error.
std::string Answer(const ApiRouteDescriptor& route, const std::string& path) {
  ApiCallResult reply{};
  ApiTestClient::CallInto(route, Request(2, path), reply);
  const ApiTestReply read = ApiTestClient::Read(reply);
  reply.release(&reply);
  return read.hasError ? read.error : std::string(read.value.GetString());
}

class ApiDispatchTest : public ::testing::Test {
 protected:
  ApiRegistry registry;
  const std::vector<std::string> tags = {"Plugins", "Plugin test"};
  ApiRegistrar registrar{&registry, tags};
};

TEST_F(ApiDispatchTest, MatchesMethodAndPath) {
  ApiBinder::Get(
      registrar, "/lobby/{id}",
      std::function<std::string(std::string)>([](std::string id) { return "lobby " + id; }))
      .AddPathArgument("id", "", nullptr);
  // Method Any and a custom method, set on the records directly as only the host's own routes
  // use them.
  FunctionBuilder any = registry.DefineFunction(
      "AnyMethod", std::function<std::string()>([] { return std::string("any"); }));
  any.SetPath("/any");
  FunctionBuilder custom = registry.DefineFunction(
      "Custom", std::function<std::string()>([] { return std::string("custom"); }));
  custom.SetPath("/custom").SetMethod(HttpMethod::Custom);
  custom.Record()->methodName = "X";
  // No template: matched by its own name.
  (void)registry.DefineFunction("Plain",
                                std::function<std::string()>([] { return std::string("plain"); }));
  ApiTestClient client(registry);

  struct Case {
    const char* function;
    std::uint32_t method;
    const char* path;
    const char* customMethod;
    const char* answer;  // null: `error`, with status 404
    const char* error = "Invalid function";
  };
  const Case cases[] = {
      {"GetLobbyById", 2, "/lobby/7", nullptr, "lobby 7"},
      {"GetLobbyById", 2, "/lobby/7?id=8", nullptr, nullptr,
       "Argument 'id' for 'GetLobbyById' was specified in an invalid location."},
      {"GetLobbyById", 2, "/lobby/7?x=1", nullptr, nullptr,
       "Unknown argument 'x' for 'GetLobbyById'."},
      {"GetLobbyById", 6, "/lobby/7", nullptr, nullptr},
      {"GetLobbyById", 2, "/lobby/7/more", nullptr, nullptr},
      {"GetLobbyById", 2, "/other", nullptr, nullptr},
      {"AnyMethod", 1, "/any", nullptr, "any"},
      {"AnyMethod", 6, "/any", nullptr, "any"},
      {"AnyMethod", 0, "/any", nullptr, "any"},
      {"AnyMethod", 99, "/any", nullptr, "any"},
      {"Custom", 8, "/custom", "X", "custom"},
      {"Custom", 8, "/custom", "Y", nullptr},
      {"Custom", 8, "/custom", nullptr, nullptr},
      {"Custom", 2, "/custom", "X", nullptr},
      {"Plain", 2, "Plain", nullptr, "plain"},
      {"Plain", 2, "/Plain", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " " + std::to_string(c.method) + " " + c.path);
    ApiTestRequest request = Request(c.method, c.path);
    request.customMethod = c.customMethod;
    const ApiTestReply reply = client.Call(c.function, request);
    if (c.answer == nullptr) {
      EXPECT_TRUE(reply.hasError);
      EXPECT_EQ(reply.error, c.error);
      EXPECT_EQ(reply.status, std::string_view(c.error) == "Invalid function" ? 404u : 0u);
    } else {
      EXPECT_FALSE(reply.hasError) << reply.error;
      EXPECT_EQ(reply.value.GetString(), c.answer);
      EXPECT_EQ(reply.status, 0u);
    }
  }
}

TEST_F(ApiDispatchTest, ReplyCarriesStatusPartAndStream) {
  BodyStreamLog log;
  std::uint32_t kind = 0;
  ApiBinder::Get(registrar, "/reply", std::function<BindingHttpResult()>([&] {
                   HttpResponse response(202);
                   response.flag = 9;
                   response.kind = kind;
                   response.status.statusText = kind == 2 ? "Accepted" : "";
                   response.status.headers["X-One"] = "1";
                   response.status.headers["X-Two"] = "2";
                   response.bodyStream = CountingBodyStream::Make(log, 77);
                   return BindingHttpResult(std::move(response));
                 }));
  ApiTestClient client(registry);
  const ApiRouteDescriptor* route = client.FindRoute("GetReply");
  ASSERT_NE(route, nullptr);

  for (const std::uint32_t sent : {0u, 1u, 2u, 3u, 4u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(sent);
    kind = sent;
    ApiCallResult reply{};
    ApiTestClient::CallInto(*route, Request(2, "/reply"), reply);
    const ApiTestReply read = ApiTestClient::Read(reply);
    EXPECT_FALSE(read.hasError);
    EXPECT_EQ(read.status, 202u);
    EXPECT_EQ(read.flag, 9);
    EXPECT_EQ(read.kind, sent >= 1 && sent <= 3 ? sent : 0u);
    EXPECT_EQ(read.statusText, sent == 2 ? "Accepted" : "");
    EXPECT_EQ(read.headers, (std::map<std::string, std::string>{{"X-One", "1"}, {"X-Two", "2"}}));
    ASSERT_TRUE(read.hasStream);
    EXPECT_EQ(read.streamSize, 77u);

    // The stream outlives the reply until the host releases it, and reads go through the
    // reply's entry with the host's words unchanged.
    void* stream = reply.stream;
    const ApiStreamReadEntry readEntry = reply.streamRead;
    const ApiStreamReleaseEntry release = reply.streamRelease;
    reply.release(&reply);
    EXPECT_EQ(log.destroyed, 0);
    EXPECT_EQ(readEntry(stream, 1, 2, 3), 77u);
    EXPECT_EQ(log.reads, 1);
    EXPECT_EQ(log.lastWords[0], 1u);
    EXPECT_EQ(log.lastWords[2], 3u);
    release(stream);
    EXPECT_EQ(log.destroyed, 1);
    log = BodyStreamLog{};
  }
}

TEST_F(ApiDispatchTest, TheGateRefusesACallUnrunOrReplacesTheAnswerOfOneItStopped) {
  BodyStreamLog log;
  int ran = 0;
  Testing::TestCallGate gate;
  // Each handler answers with a stream; a call made during its "wait" may move the plugin.
  bool moveDuringWait = false;
  const auto handler = [&] {
    ++ran;
    if (moveDuringWait) gate.Nested({"event", "/mover"}, [&] { ++gate.moves; });
    HttpResponse response(200);
    response.bodyStream = CountingBodyStream::Make(log, 5);
    return BindingHttpResult(std::move(response));
  };
  ApiBinder::Get(registrar, "/gated", std::function<BindingHttpResult()>(handler));
  ApiBinder::Get(registrar, "/changes", std::function<BindingHttpResult()>(handler));
  ApiBinder::Post(registrar, "/gated", std::function<BindingHttpResult()>(handler));
  gate.readChanges = "/changes";
  registry.SetCallGate(&gate);
  ApiTestClient client(registry);
  struct Case {
    const char* label;
    const char* function;
    bool busy;
    bool moved;
    int runs;              // handler runs
    std::uint32_t status;  // the answer's
    const char* error;     // empty: the handler's own answer
  };
  const std::vector<Case> cases = {
      {"open", "PostGated", false, false, 1, 200, ""},
      {"refused while busy", "PostGated", true, false, 0, 409, "BUSY"},
      {"a read runs while busy", "GetGated", true, false, 1, 200, ""},
      {"a read that changes the plugin is refused", "GetChanges", true, false, 0, 409, "BUSY"},
      {"overtaken while it ran", "PostGated", false, true, 1, 409, "STOPPED"},
      {"a read is never overtaken", "GetGated", false, true, 1, 200, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const ApiRouteDescriptor* route = client.FindRoute(c.function);
    ASSERT_NE(route, nullptr);
    gate.busy = c.busy;
    moveDuringWait = c.moved;
    ran = 0;
    log = BodyStreamLog{};
    ApiCallResult reply{};
    ApiTestRequest request =
        Request(route->method, std::string(c.function) == "GetChanges" ? "/changes" : "/gated");
    ApiTestClient::CallInto(*route, request, reply);
    const ApiTestReply read = ApiTestClient::Read(reply);
    EXPECT_EQ(ran, c.runs);
    EXPECT_EQ(read.status, c.status);
    EXPECT_EQ(read.hasError ? read.error : "", c.error);
    // A replaced answer's stream goes with it; the handler's own is the host's to release.
    const bool own = c.runs == 1 && c.status == 200;
    EXPECT_EQ(read.hasStream, own);
    if (read.hasStream) reply.streamRelease(reply.stream);
    EXPECT_EQ(log.destroyed, c.runs);
    reply.release(&reply);
  }

  // A call the route does not serve is answered as without a gate, busy or not: the host offers
  // a call to every route until one serves it.
  gate.busy = true;
  EXPECT_EQ(Answer(*client.FindRoute("GetGated"), "/other"), "Invalid function");
}

TEST_F(ApiDispatchTest, TheGateAllocatesNothingForACall) {
  ApiBinder::Get(registrar, "/flag", std::function<bool()>([] { return true; }));
  ApiTestClient client(registry);
  const ApiRouteDescriptor* route = client.FindRoute("GetFlag");
  ASSERT_NE(route, nullptr);
  // The blocks one call allocates, counted over a few calls after a first that warms up.
  const auto blocksPerCall = [&] {
    static_cast<void>(Answer(*route, "/flag"));
    const Testing::CounterValues before = Testing::CounterValues::ReadProcess();
    for (int i = 0; i < 4; ++i) static_cast<void>(Answer(*route, "/flag"));
    return (Testing::CounterValues::ReadProcess() - before).allocations / 4;
  };
  const std::uint64_t ungated = blocksPerCall();
  Testing::TestCallGate gate;
  registry.SetCallGate(&gate);
  EXPECT_EQ(blocksPerCall(), ungated);
  registry.SetCallGate(nullptr);
}

TEST_F(ApiDispatchTest, ReleasingIsIdempotentAndReuseLeaksNothing) {
  ApiBinder::Get(registrar, "/status", std::function<HttpResult<std::string>()>([] {
                   HttpResult<std::string> result(std::string("x"), HttpResponse(201));
                   result.response.status.statusText = "Created";
                   result.response.status.headers["A"] = "b";
                   return result;
                 }));
  ApiBinder::Get(registrar, "/empty-text",
                 std::function<HttpResponse()>([] { return MakeNotFound(""); }));
  ApiTestClient client(registry);
  const ApiRouteDescriptor* status = client.FindRoute("GetStatus");
  const ApiRouteDescriptor* emptyText = client.FindRoute("GetEmptyText");
  ASSERT_NE(status, nullptr);
  ASSERT_NE(emptyText, nullptr);

  // An empty status text is one shared string, never freed.
  ApiCallResult first{}, second{};
  ApiTestClient::CallInto(*emptyText, Request(2, "/empty-text"), first);
  ApiTestClient::CallInto(*emptyText, Request(2, "/empty-text"), second);
  EXPECT_EQ(ApiTestClient::Read(first).error, "Not found");
  const char* firstText = first.statusText;  // copied: the record is packed
  const char* secondText = second.statusText;
  EXPECT_EQ(firstText, secondText);
  ApiRegistry::ReleaseReply(&first);
  ApiRegistry::ReleaseReply(&second);
  EXPECT_STREQ(ApiTestClient::Read(second).statusText.c_str(), "");

  // One reply record reused: each call releases what the one before left in it.
  ApiCallResult reply{};
  ApiTestClient::CallInto(*status, Request(2, "/status"), reply);
  const Testing::CounterValues before = Testing::CounterValues::ReadProcess();
  for (int i = 0; i < 10000; ++i) {
    ApiTestClient::CallInto(*(i % 2 == 0 ? status : emptyText),
                            Request(2, i % 2 == 0 ? "/status" : "/empty-text"), reply);
  }
  ApiTestClient::CallInto(*status, Request(2, "/status"), reply);
  const Testing::CounterValues after = Testing::CounterValues::ReadProcess();
  EXPECT_EQ(after.bytesAllocated - after.bytesFreed, before.bytesAllocated - before.bytesFreed);
  const ApiTestReply read = ApiTestClient::Read(reply);
  EXPECT_EQ(read.value.GetString(), "x");
  EXPECT_EQ(read.statusText, "Created");

  reply.release(&reply);
  const std::vector<std::uint8_t> zeroes(sizeof(ApiCallResult), 0);
  EXPECT_EQ(std::memcmp(&reply, zeroes.data(), zeroes.size()), 0);
  ApiRegistry::ReleaseReply(&reply);  // a second release finds only zeroes
  EXPECT_EQ(std::memcmp(&reply, zeroes.data(), zeroes.size()), 0);
  ApiRegistry::ReleaseReply(nullptr);
}

TEST_F(ApiDispatchTest, ExceptionsBecomeInternalServerErrors) {
  int calls = 0;
  ApiBinder::Post(registrar, "/empty", std::function<HttpResponse(std::string)>())
      .AddBodyArgument("text", "", nullptr);
  ApiBinder::Post(registrar, "/throws", std::function<HttpResponse(std::string)>([&](std::string) {
                    ++calls;
                    throw std::runtime_error("handler broke");
                    return HttpResponse();
                  }))
      .AddBodyArgument("text", "", nullptr);
  ApiTestClient client(registry);

  const auto call = [&](const char* name, const char* path) {
    ApiTestRequest request = Request(6, path);
    request.contentType = "application/json";
    request.body = "\"text\"";
    return client.Call(name, request);
  };
  // The first calls allocate what lives for good; only later calls are counted.
  (void)call("PostThrows", "/throws");
  (void)call("PostEmpty", "/empty");
  const Testing::CounterValues before = Testing::CounterValues::ReadProcess();
  (void)call("PostEmpty", "/empty");
  (void)call("PostThrows", "/throws");
  const Testing::CounterValues after = Testing::CounterValues::ReadProcess();
  EXPECT_EQ(after.bytesAllocated - after.bytesFreed, before.bytesAllocated - before.bytesFreed)
      << "the argument holders were freed";
  EXPECT_EQ(calls, 2);

  const ApiTestReply empty = call("PostEmpty", "/empty");
  const ApiTestReply thrown = call("PostThrows", "/throws");
  for (const auto& [reply, error] :
       {std::pair{&empty, "bad_function_call"}, std::pair{&thrown, "handler broke"}}) {
    SCOPED_TRACE(error);
    EXPECT_TRUE(reply->hasError);
    EXPECT_EQ(reply->error, error);
    EXPECT_EQ(reply->status, 500u);
  }
}

// The host may rebuild the snapshot while another thread is inside a call: the call keeps
// matching and binding against the pattern its user data held when it began.
TEST_F(ApiDispatchTest, ARebuildWhileCallsRunLeavesTheirPatternsInPlace) {
  FunctionBuilder builder =
      ApiBinder::Get(registrar, "/lobby/{id}/members/{name}",
                     std::function<std::string(std::string, std::string)>(
                         [](std::string id, std::string name) { return id + "|" + name; }));
  builder.AddPathArgument("id", "", nullptr).AddPathArgument("name", "", nullptr);
  ApiTestClient client(registry);
  // A copy: a rebuild rewrites the snapshot's descriptors, not the user data they point to.
  const ApiRouteDescriptor* found = client.FindRoute("GetLobbyByIdMembersByName");
  ASSERT_NE(found, nullptr);
  const ApiRouteDescriptor route = *found;

  std::atomic<bool> done = false;
  std::atomic<int> rebuilds = 0;
  std::thread rebuilder([&] {
    while (!done.load()) {
      (void)registry.BuildSnapshot();
      rebuilds.fetch_add(1);
    }
  });
  while (rebuilds.load() == 0) std::this_thread::yield();
  int answered = 0;
  for (int i = 0; i < 2000; ++i) {
    const std::string id = std::to_string(i);
    if (Answer(route, "/lobby/" + id + "/members/m") == id + "|m") ++answered;
  }
  done = true;
  rebuilder.join();
  EXPECT_EQ(answered, 2000);
  EXPECT_GT(rebuilds.load(), 0);

  // A template changed later is matched from the next build on, while the user data that calls
  // begun before may hold still matches the old one; a host holding an older descriptor still
  // reads the old template there.
  builder.SetPath("/party/{id}/members/{name}");
  EXPECT_STREQ(route.routeTemplate, "/lobby/{id}/members/{name}");
  ApiTestClient rebuilt(registry);
  const ApiRouteDescriptor* changed = rebuilt.FindRoute("GetLobbyByIdMembersByName");
  ASSERT_NE(changed, nullptr);
  EXPECT_STREQ(changed->routeTemplate, "/party/{id}/members/{name}");
  EXPECT_EQ(Answer(*changed, "/party/3/members/m"), "3|m");
  EXPECT_EQ(Answer(*changed, "/lobby/3/members/m"), "Invalid function");
  EXPECT_EQ(Answer(route, "/lobby/4/members/m"), "4|m");
  EXPECT_STREQ(route.routeTemplate, "/lobby/{id}/members/{name}");
}

TEST_F(ApiDispatchTest, EntryRefusesRequestsWithoutARoute) {
  ApiCallRequest request{};
  request.method = 2;
  request.path = "/x";
  ApiCallResult reply{};
  const ApiCallRequest* const requests[] = {&request, nullptr};
  for (const ApiCallRequest* sent : requests) {
    ApiRegistry::CallFunctionEntry(&reply, sent);
    const ApiTestReply read = ApiTestClient::Read(reply);
    EXPECT_TRUE(read.hasError);
    EXPECT_EQ(read.error, "Invalid function");
    EXPECT_EQ(read.status, 404u);
    reply.release(&reply);
  }
  ApiRegistry::CallFunctionEntry(nullptr, &request);
}

}  // namespace
}  // namespace Zarn
