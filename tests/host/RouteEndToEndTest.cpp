// Routes of a plugin built from the SDK, called by the stand-in host through the snapshot's
// route descriptors and call entries, as the real host calls them.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "tests/host/LobbyHostRun.h"

namespace Zarn::Host {
namespace {

PluginHost::Options Options() {
  PluginHost::Options options;
  options.pluginPath = JYX_TEST_ROUTE_PLUGIN;
  return options;
}

RouteRequest Request(uint32_t method, std::string path) {
  RouteRequest request;
  request.method = method;
  request.path = std::move(path);
  return request;
}

RouteRequest WithBody(RouteRequest request, const char* contentType, std::string body) {
  request.contentType = contentType;
  request.body = std::move(body);
  return request;
}

class RouteEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const PluginHost::LoadOutcome outcome = host.Load();
    ASSERT_TRUE(outcome.accepted) << outcome.error;
    ASSERT_TRUE(host.Initialize());
  }
  void TearDown() override {
    if (host.Loaded()) host.Shutdown();
  }

  PluginHost host{Options()};
};

TEST_F(RouteEndToEndTest, EverySourceReachesItsArgument) {
  RouteRequest header = Request(2, "/test/v1/open?n=4");
  header.headers = {{"token", "from-header"}, {"Token", "ignored"}};
  RouteRequest named = Request(2, "/test/v1/open");
  named.namedValues = {{"token", R"("from-name")"}, {std::nullopt, "5"}};
  struct Case {
    const char* label;
    RouteRequest request;
    uint32_t status;
    const char* error;  // null on success
    const char* body;
  };
  const Case cases[] = {
      {"path and query", Request(2, "/test/v1/echo/a/b%20c?q=x+y"), 0, nullptr, R"("a/b c|x y")"},
      {"path without query", Request(2, "/test/v1/echo/a"), 0, nullptr, R"("a|-")"},
      {"json body",
       WithBody(Request(6, "/test/v1/parties/p1"), "application/json",
                R"({"members":[{"name":"m","level":2}],"version":1})"),
       0, nullptr,
       R"({"availability":"Available","id":"p1","members":[{"level":2,"name":"m"}],)"
       R"("note":null,"version":2})"},
      {"yaml body",
       WithBody(Request(6, "/test/v1/parties/p2"), "application/x-yaml", "note: hi\nversion: 7\n"),
       0, nullptr,
       R"({"availability":"Available","id":"p2","members":[],"note":"hi","version":8})"},
      {"msgpack body",
       WithBody(Request(6, "/test/v1/parties/p3"), "application/x-msgpack", "\x81\xa7version\x05"),
       0, nullptr,
       R"({"availability":"Available","id":"p3","members":[],"note":null,"version":6})"},
      {"handler failure", WithBody(Request(6, "/test/v1/parties/locked"), "application/json", "{}"),
       423, "PARTY_LOCKED", "null"},
      {"unsupported body", WithBody(Request(6, "/test/v1/parties/p1"), "text/plain", "{}"), 0,
       "Unsupported body content type", "null"},
      {"header", header, 0, nullptr, R"("from-header|4")"},
      {"named values", named, 0, nullptr, R"("from-name|5")"},
      {"status only", Request(1, "/test/v1/party"), 204, nullptr, "null"},
      {"bool body on PUT", WithBody(Request(7, "/test/v1/flag"), "application/json", "true"), 0,
       nullptr, "null"},
      {"the flag was set", Request(2, "/test/v1/flag"), 0, nullptr, "true"},
      {"no route", Request(2, "/test/v1/nothing"), 404,
       "No route of the plugin serves /test/v1/nothing", "null"},
      {"wrong method", Request(7, "/test/v1/party"), 404,
       "No route of the plugin serves /test/v1/party", "null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const RouteAnswer answer = host.CallRoute(c.request);
    EXPECT_EQ(answer.status, c.status);
    EXPECT_EQ(answer.error.value_or("<none>"), c.error != nullptr ? c.error : "<none>");
    EXPECT_EQ(answer.body, c.body);
  }
}

TEST_F(RouteEndToEndTest, StreamedBodyIsReadBeforeTheReplyIsReleased) {
  const RouteAnswer answer = host.CallRoute(Request(2, "/test/v1/stream"));
  EXPECT_FALSE(answer.error.has_value());
  EXPECT_EQ(answer.status, 200u);
  EXPECT_EQ(answer.statusText, "OK");
  EXPECT_EQ(answer.headers,
            (std::vector<std::pair<std::string, std::string>>{{"Content-Type", "text/plain"}}));
  ASSERT_TRUE(answer.stream.has_value());
  EXPECT_EQ(*answer.stream, std::string(3000, 's') + "end");

  // Each stream goes back through its release entry.
  const std::optional<MemoryStats> before = host.ReadMemoryStats();
  for (int i = 0; i < 20; ++i) (void)host.CallRoute(Request(2, "/test/v1/stream"));
  const std::optional<MemoryStats> after = host.ReadMemoryStats();
  ASSERT_TRUE(before && after);
  EXPECT_EQ(after->bytesAllocated - after->bytesFreed, before->bytesAllocated - before->bytesFreed);
}

TEST_F(RouteEndToEndTest, RepeatedCallsLeaveThePluginsMemoryAsItWas) {
  const auto call = [&] {
    return host.CallRoute(WithBody(Request(6, "/test/v1/parties/p1"), "application/json",
                                   R"({"members":[{"name":"m","level":2}]})"));
  };
  (void)call();
  const std::optional<MemoryStats> before = host.ReadMemoryStats();
  for (int i = 0; i < 200; ++i) (void)call();
  const std::optional<MemoryStats> after = host.ReadMemoryStats();
  ASSERT_TRUE(before && after);
  EXPECT_EQ(after->bytesAllocated - after->bytesFreed, before->bytesAllocated - before->bytesFreed);
  EXPECT_GT(after->allocations, before->allocations);
}

TEST(RouteLobbyHostTest, CallsRoutesFromAScript) {
  const auto output =
      Testing::RunLobbyHost(JYX_TEST_LOBBY_HOST, JYX_TEST_ROUTE_PLUGIN, "route-host",
                            "GET /test/v1/echo/x/y?q=1\n"
                            "POST /test/v1/parties/p9 {\"version\":1}\n"
                            "DELETE /test/v1/party\n"
                            "quit\n");
  ASSERT_TRUE(output.has_value());
  const std::vector<std::string>& lines = *output;
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], R"({"plugin":"jyx-lobby","started":true})");
  EXPECT_EQ(lines[1], R"({"status":0,"error":null,"body":"x/y|1"})");
  EXPECT_EQ(lines[2], R"({"status":0,"error":null,"body":{"availability":"Available","id":"p9",)"
                      R"("members":[],"note":null,"version":2}})");
  EXPECT_EQ(lines[3], R"({"status":204,"error":null,"body":null})");
  EXPECT_EQ(lines[4], R"({"quit":true})");
}

}  // namespace
}  // namespace Zarn::Host
