// The lobby plugin library as the stand-in host loads it: its route table as the snapshot
// describes it, argument binding, the autofill flag, and what start-up and shutdown ask of the
// host.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/CommandShell.h"
#include "host/PluginHost.h"
#include "sdk/binding/BindingTypeCode.h"
#include "tests/host/LobbyRouteTable.h"

namespace Zarn::Host {
namespace {

using LobbyRouteTableTesting::Argument;
using LobbyRouteTableTesting::ExpectedRoutes;
using LobbyRouteTableTesting::kBody;
using LobbyRouteTableTesting::kPath;
using LobbyRouteTableTesting::kQuery;
using LobbyRouteTableTesting::Route;
using LobbyRouteTableTesting::RouteDifference;
using Names = std::vector<std::string>;

std::string Text(const char* text) { return text != nullptr ? text : ""; }

// "string", "uint64", a registered type's name, or "vector<element>".
std::string TypeText(const ApiArgumentDescriptor& argument) {
  const auto code = static_cast<BindingTypeCode>(argument.typeCode);
  const std::string named = Text(argument.typeName);
  if (code == BindingTypeCode::Vector) {
    return "vector<" +
           (named.empty() ? BindingTypeName(static_cast<BindingTypeCode>(argument.elementTypeCode))
                          : named) +
           ">";
  }
  if (code == BindingTypeCode::Struct || code == BindingTypeCode::Enum) return named;
  return BindingTypeName(code);
}

PluginHost::Options Options() {
  PluginHost::Options options;
  options.maxIdleYields = 50;
  return options;
}

class LobbyRouteTableEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const PluginHost::LoadOutcome outcome = host.Load();
    ASSERT_TRUE(outcome.accepted) << outcome.error;
  }
  void TearDown() override {
    if (host.Loaded()) host.Shutdown();
  }

  PluginHost host{Options()};
};

// The snapshot lists the functions by name, so each route of the table is looked up by its
// function's name.
TEST_F(LobbyRouteTableEndToEndTest, TheSnapshotDescribesEveryRouteOfTheTable) {
  const ApiRegistrySnapshot* snapshot = host.Snapshot();
  ASSERT_NE(snapshot, nullptr);
  std::map<std::string, const ApiRouteDescriptor*> byName;
  const auto* route = reinterpret_cast<const ApiRouteDescriptor*>(snapshot->functions);
  for (uint32_t i = 0; route != nullptr && i < snapshot->functionCount; ++i) {
    EXPECT_TRUE(byName.emplace(Text(route->function.name), route).second)
        << "a name given twice: " << Text(route->function.name);
    route = reinterpret_cast<const ApiRouteDescriptor*>(route->function.next);
  }
  const std::vector<Route>& expected = ExpectedRoutes();
  Names described;
  for (const auto& [name, route] : byName) {
    const uint32_t method = route->method;  // copied: the descriptors are packed
    described.push_back(HostMethodName(method) + " " + Text(route->routeTemplate));
  }
  EXPECT_EQ(byName.size(), expected.size()) << RouteDifference(described);
  for (const Route& want : expected) {
    SCOPED_TRACE("route " + std::to_string(want.number) + " " + want.path);
    const auto found = byName.find(want.function);
    ASSERT_NE(found, byName.end());
    const ApiRouteDescriptor& described = *found->second;
    const uint32_t method = described.method;  // copied: the descriptors are packed
    EXPECT_EQ(method, HostMethodCode(want.method));
    EXPECT_EQ(Text(described.routeTemplate), want.path);
    std::vector<Argument> arguments;
    const ApiArgumentDescriptor* argument = described.function.arguments;
    const ApiArgumentSourceNode* source = described.argumentSources;
    const uint32_t count = described.function.argumentCount;
    for (uint32_t i = 0; argument != nullptr && i < count; ++i) {
      const uint32_t from = source != nullptr ? source->source : 0;
      arguments.push_back({Text(argument->name), from, TypeText(*argument)});
      argument = argument->next;
      if (source != nullptr) source = source->next;
    }
    EXPECT_EQ(arguments, want.arguments);
  }
}

// `routes` prints the same table from the host's copy of the snapshot: one line of JSON per
// route, its arguments with their sources and types.
TEST_F(LobbyRouteTableEndToEndTest, RoutesPrintsTheTable) {
  CommandShell shell(host);
  std::string output;
  EXPECT_TRUE(shell.Execute("routes", &output));
  const std::map<std::string, uint32_t> sources = {
      {"query", kQuery}, {"path", kPath}, {"body", kBody}};
  std::map<std::string, std::vector<Argument>> printed;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    SCOPED_TRACE(line);
    rapidjson::Document json;
    json.Parse(line.c_str(), line.size());
    ASSERT_FALSE(json.HasParseError());
    std::vector<Argument> arguments;
    for (const auto& argument : json["arguments"].GetArray()) {
      const auto source = sources.find(argument["source"].GetString());
      arguments.push_back({argument["name"].GetString(),
                           source != sources.end() ? source->second : 0,
                           argument["type"].GetString()});
    }
    const std::string key =
        std::string(json["method"].GetString()) + " " + json["path"].GetString();
    EXPECT_TRUE(printed.emplace(key, arguments).second) << "printed twice";
  }
  Names printedRoutes;
  for (const auto& [route, arguments] : printed) printedRoutes.push_back(route);
  EXPECT_EQ(printed.size(), ExpectedRoutes().size()) << RouteDifference(printedRoutes);
  for (const Route& want : ExpectedRoutes()) {
    const auto found = printed.find(want.method + " " + want.path);
    ASSERT_NE(found, printed.end()) << want.method << " " << want.path;
    EXPECT_EQ(found->second, want.arguments) << want.path;
  }
  EXPECT_EQ(shell.Failures(), 0);
}

// `type` prints what a body of a route's type holds, its field types named as `routes` names
// an argument's (a list by what it holds). `delete` of a path that the plugin's routes serve, and
// no resource, says that their methods are written in capitals.
TEST_F(LobbyRouteTableEndToEndTest, TypeDeleteAndUnservedPathsAnswerFromTheSnapshot) {
  CommandShell shell(host);
  const std::string unknown(301, 'T');
  // A path no route serves names the templates nearest to it.
  const auto unserved = [](const std::string& path, const std::string& nearest) {
    return R"({"status":404,"error":"No route of the plugin serves )" + path + "; the nearest " +
           nearest + R"(; routes lists the plugin's routes","body":null})";
  };
  const std::pair<std::string, std::string> cases[] = {
      {"type JyxLobbyLobbyChangeGameDto",
       R"({"type":"JyxLobbyLobbyChangeGameDto","fields":[{"name":"queueId","type":"int32"},)"
       R"({"name":"isCustom","type":"bool"},)"
       R"({"name":"customGameLobby","type":"JyxLobbyLobbyCustomGameLobby"}]})"},
      {"type JyxLobbyLobbyBotDifficulty",
       R"({"type":"JyxLobbyLobbyBotDifficulty",)"
       R"("values":["EASY","HARD","INTRO","MEDIUM","NONE","TUTORIAL","UBER"]})"},
      {"type vector<JyxLobbyLobbyInvitationDto>",
       R"({"type":"JyxLobbyLobbyInvitationDto","fields":[{"name":"invitationId","type":"string"},)"
       R"({"name":"toSummonerId","type":"uint64"},)"
       R"({"name":"state","type":"JyxLobbyLobbyInvitationState"},)"
       R"({"name":"timestamp","type":"string"},{"name":"toSummonerName","type":"string"}]})"},
      {"type " + unknown, R"({"error":"unknown type: )" + unknown.substr(0, 300) +
                              R"j(... (301 bytes); type with no name lists the types"})j"},
      {"type JyxLobbyNoSuch",
       R"({"error":"unknown type: JyxLobbyNoSuch; type with no name lists the types"})"},
      {"delete /jyx-lobby/v2/lobby",
       R"({"error":"delete takes path; no resource at /jyx-lobby/v2/lobby, which the plugin's )"
       R"j(routes serve: route methods are written in capitals (DELETE, GET, POST)"})j"},
      {"delete /jyx-lobby/v2/lobby/matchmaking/search-state",
       R"({"error":"delete takes path; no resource at /jyx-lobby/v2/lobby/matchmaking/)"
       R"(search-state, which the plugin's routes serve: route methods are written in capitals )"
       R"j((GET)"})j"},
      {"GET /jyx-lobby/v2/lobbby",
       unserved("/jyx-lobby/v2/lobbby", "route is /jyx-lobby/v2/lobby")},
      {"GET /jyx-lobby/v2/lobby/",
       unserved("/jyx-lobby/v2/lobby/", "route is /jyx-lobby/v2/lobby")},
      {"GET /jyx-lobby/v2/Lobby", unserved("/jyx-lobby/v2/Lobby", "route is /jyx-lobby/v2/lobby")},
      {"GET /jyx-lobby/v3/lobby", unserved("/jyx-lobby/v3/lobby", "route is /jyx-lobby/v2/lobby")},
      // A parameter takes the segment at its place; a template that does not take the method
      // given names those it takes.
      {"GET /jyx-lobby/v2/received-invitations/inv-1/acept",
       unserved("/jyx-lobby/v2/received-invitations/inv-1/acept",
                "route is /jyx-lobby/v2/received-invitations/{invitationId}/accept (takes POST)")},
      {"DELETE /jyx-lobby/v3/lobby/invitations?x=1",
       unserved("/jyx-lobby/v3/lobby/invitations?x=1",
                "routes are /jyx-lobby/v1/lobby/invitations (takes GET, POST) or "
                "/jyx-lobby/v2/lobby/invitations (takes GET, POST)")},
  };
  std::string output;
  for (const auto& [line, answer] : cases) {
    SCOPED_TRACE(line.substr(0, 40));
    EXPECT_TRUE(shell.Execute(line, &output));
    EXPECT_EQ(output, answer);
  }
  EXPECT_EQ(shell.Failures(), 4);
  // With no name, the types that an unknown name is looked for among, by name.
  EXPECT_TRUE(shell.Execute("type", &output));
  std::vector<std::string> listed;
  for (std::size_t at = 0; at < output.size();) {
    const std::size_t end = std::min(output.find('\n', at), output.size());
    listed.push_back(output.substr(at, end - at));
    at = end + 1;
  }
  EXPECT_EQ(listed.size(), host.Description().types.size());
  EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
  for (const char* type : {"JyxLobbyLobbyChangeGameDto", "JyxLobbyLobbyBotDifficulty"}) {
    EXPECT_NE(std::find(listed.begin(), listed.end(), std::string(R"({"type":")") + type + "\"}"),
              listed.end())
        << type;
  }
  EXPECT_EQ(shell.Failures(), 4);
}

TEST_F(LobbyRouteTableEndToEndTest, ArgumentsThatDoNotBindAnswerTheirErrorAndRunNoHandler) {
  ASSERT_TRUE(host.Initialize());
  struct Case {
    const char* method;
    const char* path;
    const char* body;
    const char* error;
  };
  const Case cases[] = {
      {"POST", "/jyx-lobby/v1/lobby/custom/switch-teams", "", "A value for 'team' is required."},
      {"POST", "/jyx-lobby/v1/lobby/custom/switch-teams?team=", "",
       "Expected value for argument 'team'."},
      {"POST", "/jyx-lobby/v2/lobby/members/abc/promote", "",
       "Value abc for 'summonerId' of type uint64 is in an incorrect format"},
      {"POST", "/jyx-lobby/v2/lobby/members/-1/kick", "", "'summonerId'"},
      {"GET", "/jyx-lobby/v1/custom-games/4294967296", "", "'id'"},
      {"POST", "/jyx-lobby/v1/custom-games/12/join", "", "'parameters'"},
      {"POST", "/jyx-lobby/v2/parties/overrides/Enabled?enabled=maybe", "", "'enabled'"},
      {"POST",
       "/jyx-lobby/v2/parties/overrides/EnabledForTeamBuilderQueues?enabledForTeambuilderQueues=2",
       "", "'enabledForTeambuilderQueues'"},
      {"PUT", "/jyx-lobby/v1/parties/queue", R"("four")", "'queueId'"},
      {"POST", "/jyx-lobby/v2/lobby/invitations", R"({"toSummonerId":1})", "'invitations'"},
      {"PUT", "/jyx-lobby/v2/lobby/partyType", "", "'partyType'"},
      // A NUL would cut an id short, or empty it past the check of an empty one.
      {"POST", "/jyx-lobby/v2/party/a%00b/join", "",
       "Argument 'partyId' may not hold a NUL character."},
      {"POST", "/jyx-lobby/v2/party/%00x/join", "",
       "Argument 'partyId' may not hold a NUL character."},
      {"PUT", "/jyx-lobby/v1/parties/party-1/members/puuid-a%00/role", R"("MEMBER")",
       "Argument 'puuid' may not hold a NUL character."},
      {"POST", "/jyx-lobby/v1/lobby/custom/switch-teams?team=TEAM%002", "",
       "Argument 'team' may not hold a NUL character."},
      // Steps into an argument that holds neither a list nor a structure build nothing.
      {"POST", "/jyx-lobby/v1/lobby/custom/switch-teams?team.9999.9999=TEAM2", "",
       "Index 9999 is out of range"},
      {"POST", "/jyx-lobby/v2/parties/overrides/Enabled?enabled.a=true", "",
       "Index a is out of range"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " " + c.path);
    const std::size_t requestsBefore = host.Records().requests.size();
    const std::size_t publishedBefore = host.Records().published.size();
    const RouteAnswer answer = host.CallRoute(c.method, c.path, c.body);
    ASSERT_TRUE(answer.error.has_value());
    EXPECT_NE(answer.error->find(c.error), std::string::npos) << *answer.error;
    // No handler ran: nothing was asked of the host and nothing published.
    EXPECT_EQ(host.Records().requests.size(), requestsBefore);
    EXPECT_EQ(host.Records().published.size(), publishedBefore);
  }
  // The same routes with arguments that bind reach their handlers.
  const RouteAnswer switched =
      host.CallRoute("POST", "/jyx-lobby/v1/lobby/custom/switch-teams?team=TEAM2", "");
  // No queue is known yet, so no lobby has a controller that switches teams.
  EXPECT_EQ(switched.status, 500u);
  EXPECT_EQ(switched.error, "NOT_SUPPORTED");
  // Outside a lobby there is no backend to promote with.
  const RouteAnswer promoted = host.CallRoute("POST", "/jyx-lobby/v2/lobby/members/42/promote", "");
  EXPECT_EQ(promoted.status, 500u);
  EXPECT_EQ(promoted.error, "INVALID_LOBBY");
}

// Keys that once built every element up to the indexes they named (gigabytes for this query)
// are refused in a fraction of the memory.
TEST_F(LobbyRouteTableEndToEndTest, A150KbQueryOfDottedKeysIsRefusedInLittleMemory) {
  ASSERT_TRUE(host.Initialize());
  std::string path = "/jyx-lobby/v1/lobby/custom/switch-teams?";
  for (int i = 0; path.size() < 150 * 1024; ++i) {
    path += "team." + std::to_string(9999 - i);
    for (int step = 0; step < 510; ++step) path += ".9999";
    path += "=TEAM2&";
  }
  path.pop_back();
  const std::size_t requestsBefore = host.Records().requests.size();
  const RouteAnswer answer = host.CallRoute("POST", path, "");
  EXPECT_EQ(answer.status, 0u);
  EXPECT_EQ(answer.error, "Index 9940 is out of range");
  EXPECT_EQ(host.Records().requests.size(), requestsBefore);
  const std::optional<MemoryStats> stats = host.ReadMemoryStats();
  ASSERT_TRUE(stats.has_value());
  EXPECT_LT(stats->peakLiveBytes, 16u << 20);
}

TEST_F(LobbyRouteTableEndToEndTest, AutofillDisplayedIsSetOnceAndStartsOverWithEveryPlugin) {
  ASSERT_TRUE(host.Initialize());
  constexpr char kPath[] = "/jyx-lobby/v1/autofill-displayed";
  EXPECT_EQ(host.CallRoute("GET", kPath, "").body, "false");
  for (int put = 0; put < 2; ++put) {
    SCOPED_TRACE(put);
    const RouteAnswer answer = host.CallRoute("PUT", kPath, "");
    EXPECT_FALSE(answer.error.has_value());
    EXPECT_EQ(answer.body, "true");
  }
  EXPECT_EQ(host.CallRoute("GET", kPath, "").body, "true");

  host.Shutdown();
  ASSERT_TRUE(host.Load().accepted);
  ASSERT_TRUE(host.Initialize());
  EXPECT_EQ(host.CallRoute("GET", kPath, "").body, "false");
}

// Whether `wanted` appears in `seen` in its order (others may come between).
bool InOrder(const Names& seen, const Names& wanted) {
  auto at = seen.begin();
  for (const std::string& name : wanted) {
    at = std::find(at, seen.end(), name);
    if (at == seen.end()) return false;
    ++at;
  }
  return true;
}

const Names kLcdsEvents = {
    "OnLcdsEvent_com_zarnworks_platform_client_dynamic_configuration_"
    "ClientDynamicConfigurationNotification",
    "OnLcdsEvent_com_zarnworks_platform_gameinvite_contract_LobbyStatus",
    "OnLcdsEvent_com_zarnworks_platform_gameinvite_contract_InvitationRequest",
    "OnLcdsEvent_com_zarnworks_platform_gameinvite_contract_RemovedFromLobbyNotification",
    "OnLcdsEvent_com_zarnworks_platform_gameinvite_contract_InvitePrivileges",
    "OnLcdsEvent_com_zarnworks_platform_game_GameDTO",
    "OnLcdsEvent_com_zarnworks_platform_game_message_GameNotification",
};

Names SubscribedNames(const HostRecords& records) {
  Names names;
  for (const SubscribeCall& call : records.subscribes) names.push_back(call.name);
  return names;
}

TEST_F(LobbyRouteTableEndToEndTest, StartSubscribesAndReadsInOrder) {
  // The host keeps subscriptions and requests apart: at the first read of the plugin's own
  // subscriptions, every legacy message must already be subscribed.
  Names subscribedAtFirstRead;
  ScriptedReply custom;
  custom.json = R"({"queueAvailability":"Available"})";
  custom.uses = 1;
  custom.during = [&] { subscribedAtFirstRead = SubscribedNames(host.Records()); };
  host.ScriptReply("/jyx-game-queues/v1/custom", custom);
  ASSERT_TRUE(host.Initialize());

  EXPECT_TRUE(InOrder(subscribedAtFirstRead, kLcdsEvents));
  // The controllers come first: the team-builder lobby and its countdown share one event name.
  Names controllersFirst = {"OnJsonApiEvent_jyx-lobby-team-builder_v1_lobby"};
  controllersFirst.insert(controllersFirst.end(), kLcdsEvents.begin(), kLcdsEvents.end());
  EXPECT_TRUE(InOrder(SubscribedNames(host.Records()), controllersFirst));

  constexpr uint32_t kGet = 2;
  constexpr uint32_t kPost = 6;
  Names requests;
  for (const CoreRequest& request : host.Records().requests) {
    requests.push_back((request.method == kGet    ? "GET "
                        : request.method == kPost ? "POST "
                                                  : "? ") +
                       request.path);
  }
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.front(), "GET /jyx-lobby-team-builder/v1/lobby");
  const Names expected = {
      "GET /jyx-lobby-team-builder/v1/lobby",
      "GET /jyx-lobby-team-builder/v1/lobby/countdown",
      "GET /jyx-game-queues/v1/custom",
      "GET /jyx-login/v1/session",
      "GET /jyx-gameflow/v1/availability",
      "GET /jyx-gameflow/v1/session",
      "GET /jyx-platform-config/v1/namespaces/WqxLobby/AutoGrantInviteEnabled",
      "GET /jyx-platform-config/v1/namespaces/ClientSystemStates/spectatorSlotLimit",
      "GET /zarnclient/pre-shutdown/begin",
      "POST /jyx-login/v1/service-proxy-async-requests/parties/player",
      "GET /jyx-matchmaking/v1/search",
      "GET /jyx-summoner/v1/current-summoner/autofill",
      "GET /jyx-chat/v1/blocked-players",
      "GET /jyx-game-queues/v1/queues",
      "GET /jyx-summoner/v1/current-summoner",
      "GET /jyx-platform-config/v1/namespaces/LoginDataPacket/platformId",
      "GET /jyx-chat/v1/friends",
      "GET /jyx-chat/v1/friend-counts",
  };
  EXPECT_TRUE(InOrder(requests, expected)) << ::testing::PrintToString(requests);
}

TEST_F(LobbyRouteTableEndToEndTest, ShutdownUnsubscribesEveryNameOnce) {
  ASSERT_TRUE(host.Initialize());
  std::set<std::string> subscribed;
  for (const SubscribeCall& call : host.Records().subscribes) subscribed.insert(call.name);
  EXPECT_TRUE(subscribed.count("OnJsonApiEvent_jyx-summoner_v1_current-summoner"))
      << "shared by the current summoner and its autofill, which shutdown drops";
  host.Shutdown();
  std::map<std::string, int> unsubscribed;
  for (const UnsubscribeCall& call : host.Records().unsubscribes) ++unsubscribed[call.name];
  for (const std::string& name : subscribed) {
    SCOPED_TRACE(name);
    EXPECT_EQ(unsubscribed[name], 1);
  }
  EXPECT_EQ(unsubscribed.size(), subscribed.size());
}

}  // namespace
}  // namespace Zarn::Host
