// The lobby plugin library as the stand-in host loads it: its route table as the snapshot
// describes it, argument binding, the autofill flag, and what start-up and shutdown ask of the
// host.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/CommandShell.h"
#include "host/PluginHost.h"
#include "sdk/binding/BindingTypeCode.h"

namespace Zarn::Host {
namespace {

using Names = std::vector<std::string>;

// One argument as the route table gives it: name, source (1 query, 2 path, 5 body) and type.
struct Argument {
  std::string name;
  uint32_t source;
  std::string type;
  friend bool operator==(const Argument&, const Argument&) = default;
};

struct Route {
  int number;
  std::string method;
  std::string path;
  std::string function;
  std::vector<Argument> arguments;
};

std::ostream& operator<<(std::ostream& out, const Argument& argument) {
  return out << argument.name << "@" << argument.source << ":" << argument.type;
}

constexpr uint32_t kQuery = 1;
constexpr uint32_t kPath = 2;
constexpr uint32_t kBody = 5;

// The route table of the lobby's REST API, in registration order.
const std::vector<Route>& ExpectedRoutes() {
  static const std::vector<Route> kRoutes = {
      {1, "GET", "/jyx-lobby/v1/lobby/availability", "GetJyxLobbyV1LobbyAvailability", {}},
      {2, "GET", "/jyx-lobby/v1/lobby/invitations", "GetJyxLobbyV1LobbyInvitations", {}},
      {3,
       "GET",
       "/jyx-lobby/v1/lobby/invitations/{id}",
       "GetJyxLobbyV1LobbyInvitationsById",
       {{"id", kPath, "string"}}},
      {4,
       "POST",
       "/jyx-lobby/v1/lobby/invitations",
       "PostJyxLobbyV1LobbyInvitations",
       {{"invitation", kBody, "JyxLobbyLobbyInvitation"}}},
      {5, "GET", "/jyx-lobby/v1/party-rewards", "GetJyxLobbyV1PartyRewards", {}},
      {6,
       "POST",
       "/jyx-lobby/v1/lobby/custom/switch-teams",
       "PostJyxLobbyV1LobbyCustomSwitchTeams",
       {{"team", kQuery, "string"}}},
      {7,
       "POST",
       "/jyx-lobby/v1/lobby/custom/start-champ-select",
       "PostJyxLobbyV1LobbyCustomStartChampSelect",
       {}},
      {8,
       "POST",
       "/jyx-lobby/v1/lobby/custom/cancel-champ-select",
       "PostJyxLobbyV1LobbyCustomCancelChampSelect",
       {}},
      {9, "GET", "/jyx-lobby/v1/custom-games", "GetJyxLobbyV1CustomGames", {}},
      {10,
       "GET",
       "/jyx-lobby/v1/custom-games/{id}",
       "GetJyxLobbyV1CustomGamesById",
       {{"id", kPath, "int32"}}},
      {11, "POST", "/jyx-lobby/v1/custom-games/refresh", "PostJyxLobbyV1CustomGamesRefresh", {}},
      {12,
       "POST",
       "/jyx-lobby/v1/custom-games/{id}/join",
       "PostJyxLobbyV1CustomGamesByIdJoin",
       {{"id", kPath, "uint64"}, {"parameters", kBody, "JyxLobbyLobbyCustomJoinParameters"}}},
      {13, "POST", "/jyx-lobby/v1/clash", "PostJyxLobbyV1Clash", {{"token", kBody, "string"}}},
      {14, "DELETE", "/jyx-lobby/v1/clash", "DeleteJyxLobbyV1Clash", {}},
      {15,
       "POST",
       "/jyx-lobby/v1/tournaments/{id}/join",
       "PostJyxLobbyV1TournamentsByIdJoin",
       {{"id", kPath, "string"}}},
      {16,
       "POST",
       "/jyx-lobby/v1/lobby/custom/bots",
       "PostJyxLobbyV1LobbyCustomBots",
       {{"parameters", kBody, "JyxLobbyLobbyBotParams"}}},
      {17,
       "POST",
       "/jyx-lobby/v1/lobby/custom/bots/{summonerInternalName}",
       "PostJyxLobbyV1LobbyCustomBotsBySummonerInternalName",
       {{"summonerInternalName", kPath, "string"},
        {"parameters", kBody, "JyxLobbyLobbyBotParams"}}},
      {18,
       "DELETE",
       "/jyx-lobby/v1/lobby/custom/bots/{summonerInternalName}",
       "DeleteJyxLobbyV1LobbyCustomBotsBySummonerInternalName",
       {{"summonerInternalName", kPath, "string"}}},
      {19,
       "PUT",
       "/jyx-lobby/v1/lobby/members/localMember/position-preferences",
       "PutJyxLobbyV1LobbyMembersLocalMemberPositionPreferences",
       {{"positionPreferences", kBody, "JyxLobbyLobbyPositionPreferences"}}},
      {20,
       "PUT",
       "/jyx-lobby/v2/lobby/members/localMember/position-preferences",
       "PutJyxLobbyV2LobbyMembersLocalMemberPositionPreferences",
       {{"positionPreferences", kBody, "JyxLobbyLobbyPositionPreferences"}}},
      {21, "GET", "/jyx-lobby/v1/autofill-displayed", "GetJyxLobbyV1AutofillDisplayed", {}},
      {22, "PUT", "/jyx-lobby/v1/autofill-displayed", "PutJyxLobbyV1AutofillDisplayed", {}},
      {23, "GET", "/jyx-lobby/v1/lobby/countdown", "GetJyxLobbyV1LobbyCountdown", {}},
      {24, "GET", "/jyx-lobby/v2/lobby", "GetJyxLobbyV2Lobby", {}},
      {25,
       "POST",
       "/jyx-lobby/v2/lobby",
       "PostJyxLobbyV2Lobby",
       {{"lobbyChange", kBody, "JyxLobbyLobbyChangeGameDto"}}},
      {26, "DELETE", "/jyx-lobby/v2/lobby", "DeleteJyxLobbyV2Lobby", {}},
      {27, "GET", "/jyx-lobby/v2/lobby/members", "GetJyxLobbyV2LobbyMembers", {}},
      {28,
       "POST",
       "/jyx-lobby/v2/lobby/members/{summonerId}/promote",
       "PostJyxLobbyV2LobbyMembersBySummonerIdPromote",
       {{"summonerId", kPath, "uint64"}}},
      {29,
       "POST",
       "/jyx-lobby/v2/lobby/members/{summonerId}/grant-invite",
       "PostJyxLobbyV2LobbyMembersBySummonerIdGrantInvite",
       {{"summonerId", kPath, "uint64"}}},
      {30,
       "POST",
       "/jyx-lobby/v2/lobby/members/{summonerId}/revoke-invite",
       "PostJyxLobbyV2LobbyMembersBySummonerIdRevokeInvite",
       {{"summonerId", kPath, "uint64"}}},
      {31,
       "POST",
       "/jyx-lobby/v2/lobby/members/{summonerId}/kick",
       "PostJyxLobbyV2LobbyMembersBySummonerIdKick",
       {{"summonerId", kPath, "uint64"}}},
      {32, "GET", "/jyx-lobby/v2/lobby/invitations", "GetJyxLobbyV2LobbyInvitations", {}},
      {33,
       "POST",
       "/jyx-lobby/v2/lobby/invitations",
       "PostJyxLobbyV2LobbyInvitations",
       {{"invitations", kBody, "vector<JyxLobbyLobbyInvitationDto>"}}},
      {34,
       "POST",
       "/jyx-lobby/v2/eog-invitations",
       "PostJyxLobbyV2EogInvitations",
       {{"invitations", kBody, "vector<JyxLobbyLobbyInvitationDto>"}}},
      {35, "GET", "/jyx-lobby/v2/received-invitations", "GetJyxLobbyV2ReceivedInvitations", {}},
      {36,
       "POST",
       "/jyx-lobby/v2/received-invitations/{invitationId}/accept",
       "PostJyxLobbyV2ReceivedInvitationsByInvitationIdAccept",
       {{"invitationId", kPath, "string"}}},
      {37,
       "POST",
       "/jyx-lobby/v2/received-invitations/{invitationId}/decline",
       "PostJyxLobbyV2ReceivedInvitationsByInvitationIdDecline",
       {{"invitationId", kPath, "string"}}},
      {38,
       "POST",
       "/jyx-lobby/v2/party/{partyId}/join",
       "PostJyxLobbyV2PartyByPartyIdJoin",
       {{"partyId", kPath, "string"}}},
      {39, "GET", "/jyx-lobby/v2/notifications", "GetJyxLobbyV2Notifications", {}},
      {40,
       "DELETE",
       "/jyx-lobby/v2/notifications/{notificationId}",
       "DeleteJyxLobbyV2NotificationsByNotificationId",
       {{"notificationId", kPath, "string"}}},
      {41,
       "POST",
       "/jyx-lobby/v2/notifications",
       "PostJyxLobbyV2Notifications",
       {{"notification", kBody, "JyxLobbyLobbyNotification"}}},
      {42, "GET", "/jyx-lobby/v1/parties/health", "GetJyxLobbyV1PartiesHealth", {}},
      {43, "GET", "/jyx-lobby/v1/parties/player", "GetJyxLobbyV1PartiesPlayer", {}},
      {44,
       "PUT",
       "/jyx-lobby/v1/parties/active",
       "PutJyxLobbyV1PartiesActive",
       {{"active", kBody, "bool"}}},
      {45,
       "PUT",
       "/jyx-lobby/v1/parties/queue",
       "PutJyxLobbyV1PartiesQueue",
       {{"queueId", kBody, "int32"}}},
      {46,
       "PUT",
       "/jyx-lobby/v1/parties/metadata",
       "PutJyxLobbyV1PartiesMetadata",
       {{"metadata", kBody, "JyxLobbyPartyMemberMetadataDto"}}},
      {47,
       "PUT",
       "/jyx-lobby/v1/parties/ready",
       "PutJyxLobbyV1PartiesReady",
       {{"ready", kBody, "bool"}}},
      {48,
       "PUT",
       "/jyx-lobby/v1/parties/{partyId}/members/{puuid}/role",
       "PutJyxLobbyV1PartiesByPartyIdMembersByPuuidRole",
       {{"partyId", kPath, "string"}, {"puuid", kPath, "string"}, {"role", kBody, "string"}}},
      {49,
       "POST",
       "/jyx-lobby/v2/parties/overrides/Enabled",
       "PostJyxLobbyV2PartiesOverridesEnabled",
       {{"enabled", kQuery, "bool"}}},
      {50,
       "POST",
       "/jyx-lobby/v2/parties/overrides/EnabledForTeamBuilderQueues",
       "PostJyxLobbyV2PartiesOverridesEnabledForTeamBuilderQueues",
       {{"enabledForTeambuilderQueues", kQuery, "bool"}}},
      {51,
       "POST",
       "/jyx-lobby/v2/lobby/matchmaking/search",
       "PostJyxLobbyV2LobbyMatchmakingSearch",
       {}},
      {52,
       "DELETE",
       "/jyx-lobby/v2/lobby/matchmaking/search",
       "DeleteJyxLobbyV2LobbyMatchmakingSearch",
       {}},
      {53,
       "GET",
       "/jyx-lobby/v2/lobby/matchmaking/search-state",
       "GetJyxLobbyV2LobbyMatchmakingSearchState",
       {}},
      {54, "POST", "/jyx-lobby/v2/play-again", "PostJyxLobbyV2PlayAgain", {}},
      {55, "POST", "/jyx-lobby/v2/play-again-decline", "PostJyxLobbyV2PlayAgainDecline", {}},
      {56, "GET", "/jyx-lobby/v2/party-active", "GetJyxLobbyV2PartyActive", {}},
      {57,
       "GET",
       "/jyx-lobby/v2/lobby/custom/bots-enabled",
       "GetJyxLobbyV2LobbyCustomBotsEnabled",
       {}},
      {58,
       "GET",
       "/jyx-lobby/v2/lobby/custom/available-bots",
       "GetJyxLobbyV2LobbyCustomAvailableBots",
       {}},
      {59, "GET", "/jyx-lobby/v2/comms/members", "GetJyxLobbyV2CommsMembers", {}},
      {60,
       "POST",
       "/jyx-lobby/v2/lobby/eligibility/premade",
       "PostJyxLobbyV2LobbyEligibilityPremade",
       {}},
      {61, "GET", "/jyx-lobby/v2/comms/token", "GetJyxLobbyV2CommsToken", {}},
      {62,
       "PUT",
       "/jyx-lobby/v2/lobby/partyType",
       "PutJyxLobbyV2LobbyPartyType",
       {{"partyType", kBody, "string"}}},
  };
  return kRoutes;
}

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
  EXPECT_EQ(byName.size(), expected.size());
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
  EXPECT_EQ(printed.size(), ExpectedRoutes().size());
  for (const Route& want : ExpectedRoutes()) {
    const auto found = printed.find(want.method + " " + want.path);
    ASSERT_NE(found, printed.end()) << want.method << " " << want.path;
    EXPECT_EQ(found->second, want.arguments) << want.path;
  }
  EXPECT_EQ(shell.Failures(), 0);
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
