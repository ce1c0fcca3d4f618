// The stand-in host's team-builder plugin, asked directly.
#include "host/TeamBuilderPlugin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Zarn::Host {
namespace {

enum : uint32_t { kDelete = 1, kGet = 2, kPost = 6 };

PluginHost::Options Options() {
  PluginHost::Options options;
  options.pluginPath = "/nonexistent/libjyx_lobby.so";
  return options;
}

CoreRequest Request(uint32_t method, const std::string& path, std::vector<std::string> args = {}) {
  CoreRequest request;
  request.method = method;
  request.path = path;
  request.arguments = std::move(args);
  return request;
}

TEST(TeamBuilderPluginTest, ALobbyIsKeptWithAFreshIdReadAndRemoved) {
  PluginHost host(Options());
  TeamBuilderPlugin plugin(host);
  EXPECT_EQ(plugin.Answer(Request(kGet, kTeamBuilderLobbyPath)).status, 404u);
  EXPECT_EQ(plugin.Answer(Request(kDelete, kTeamBuilderLobbyPath)).status, 404u);

  for (const char* expected :
       {R"({"queueId":440,"invitationId":"tb-1"})", R"({"queueId":440,"invitationId":"tb-2"})"}) {
    SCOPED_TRACE(expected);
    const CoreReply created = plugin.Answer(
        Request(kPost, kTeamBuilderLobbyPath, {R"({"queueId":440,"invitationId":"mine"})"}));
    EXPECT_EQ(created.status, 200u);
    EXPECT_EQ(created.json, std::optional<std::string>(expected)) << "the id is the plugin's";
    EXPECT_EQ(host.Resource(kTeamBuilderLobbyPath), std::optional<std::string>(expected));
    EXPECT_EQ(plugin.Answer(Request(kGet, kTeamBuilderLobbyPath)).json, created.json);
  }
  EXPECT_EQ(plugin.Answer(Request(kPost, kTeamBuilderLobbyPath, {"[1]"})).status, 400u);
  EXPECT_EQ(plugin.Answer(Request(kPost, kTeamBuilderLobbyPath)).status, 400u);

  EXPECT_EQ(plugin.Answer(Request(kDelete, kTeamBuilderLobbyPath)).status, 200u);
  EXPECT_FALSE(host.Resource(kTeamBuilderLobbyPath).has_value());
  EXPECT_EQ(plugin.Answer(Request(kGet, kTeamBuilderLobbyPath)).status, 404u);
  EXPECT_EQ(plugin.Answer(Request(kDelete, kTeamBuilderLobbyPath)).status, 404u);
  EXPECT_EQ(plugin.Created(), 2u);
  EXPECT_EQ(plugin.Removed(), std::vector<std::string>{"tb-2"}) << "only what a DELETE removed";
}

TEST(TeamBuilderPluginTest, ActionsSucceedAndTheCountdownIsAnOrdinaryResource) {
  PluginHost host(Options());
  TeamBuilderPlugin plugin(host);
  struct Row {
    uint32_t method;
    const char* path;
    uint32_t status;
  };
  const std::vector<Row> rows = {
      {kPost, "/jyx-lobby-team-builder/v1/invitations/accept", 200},
      {kPost, "/jyx-lobby-team-builder/v1/position-preferences", 200},
      {kPost, "/jyx-lobby-team-builder/v1/lobby/members/42/promote", 200},
      {kPost, "/jyx-lobby-team-builder/v1/lobby/members/42/kick", 200},
      {kGet, "/jyx-lobby-team-builder/v1/lobby/members/42/kick", 404},
      {kPost, "/jyx-lobby-team-builder/v1/lobby/members/x/kick", 404},
      {kPost, "/jyx-lobby-team-builder/v1/lobby/members//kick", 404},
      {kPost, "/jyx-lobby-team-builder/v1/lobby/members/42/ban", 404},
      {kPost, "/jyx-lobby-team-builder/v2/lobby", 404},
      {kGet, kTeamBuilderCountdownPath, 404},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.method) + " " + row.path);
    EXPECT_EQ(plugin.Answer(Request(row.method, row.path, {"{}"})).status, row.status);
  }
  host.SetResource(kTeamBuilderCountdownPath, R"({"counter":1})");
  EXPECT_EQ(plugin.Answer(Request(kGet, kTeamBuilderCountdownPath)).json,
            std::optional<std::string>(R"({"counter":1})"));
  EXPECT_FALSE(host.Resource(kTeamBuilderLobbyPath).has_value()) << "actions keep nothing";
}

}  // namespace
}  // namespace Zarn::Host
