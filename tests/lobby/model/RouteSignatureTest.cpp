// The handler forms of the lobby's routes, on the lobby's own records: declared as routes,
// called through the C entry with arguments from the path, the query and the body.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "sdk/api/ApiBinder.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/api/HttpResult.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "tests/lobby/model/LobbyTypesTesting.h"
#include "tests/sdk/api/ApiCallTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using Testing::ApiTestClient;
using Testing::ApiTestReply;
using Testing::ApiTestRequest;

class RouteSignatureTest : public ::testing::Test {
 protected:
  RouteSignatureTest() { RegisterLobbyApiTypes(registry); }

  template <typename R, typename... Args>
  FunctionBuilder Route(HttpMethod method, const char* path, std::function<R(Args...)> handler) {
    switch (method) {
      case HttpMethod::Get:
        return ApiBinder::Get(registrar, path, handler);
      case HttpMethod::Post:
        return ApiBinder::Post(registrar, path, handler);
      case HttpMethod::Put:
        return ApiBinder::Put(registrar, path, handler);
      default:
        return ApiBinder::Delete(registrar, path, handler);
    }
  }

  template <typename T>
  std::string Json(const T& value) {
    return ToJsonString(value, registry);
  }

  ApiRegistry registry;
  const std::vector<std::string> tags;
  ApiRegistrar registrar{&registry, tags};
};

TEST_F(RouteSignatureTest, EveryFormAnswersWithTheLobbyRecords) {
  using Invitations = std::vector<Api::LobbyInvitationDto>;
  Api::LobbyDto current;
  current.partyId = "party";
  current.members.resize(1);
  Route(HttpMethod::Get, "/jyx-lobby/v2/lobby",
        std::function<HttpResult<Api::LobbyDto>()>(
            [&current] { return HttpResult<Api::LobbyDto>(current); }));
  Route(HttpMethod::Post, "/jyx-lobby/v2/lobby",
        std::function<HttpResult<Api::LobbyDto>(Api::LobbyChangeGameDto)>(
            [](const Api::LobbyChangeGameDto& change) {
              if (change.queueId < 0) {
                return HttpResult<Api::LobbyDto>(HttpResponse(0, "Gameflow prevented a lobby."));
              }
              Api::LobbyDto lobby;
              lobby.gameConfig.queueId = change.queueId;
              lobby.gameConfig.isCustom = change.customGameLobby.has_value();
              return HttpResult<Api::LobbyDto>(std::move(lobby));
            }))
      .AddBodyArgument("lobbyChange", "", nullptr);
  Route(HttpMethod::Get, "/jyx-lobby/v1/lobby/availability",
        std::function<HttpResult<Api::QueueAvailability>()>([] {
          return HttpResult<Api::QueueAvailability>(Api::QueueAvailability::PlatformDisabled);
        }));
  Route(HttpMethod::Get, "/jyx-lobby/v1/lobby/invitations/{id}",
        std::function<HttpResult<Api::LobbyInvitation>(std::string)>([](const std::string& id) {
          if (id != "known") return HttpResult<Api::LobbyInvitation>(MakeNotFound(""));
          Api::LobbyInvitation invitation;
          invitation.id = id;
          return HttpResult<Api::LobbyInvitation>(invitation);
        }))
      .AddPathArgument("id", "", nullptr);
  Route(HttpMethod::Post, "/jyx-lobby/v2/lobby/invitations",
        std::function<HttpResult<Invitations>(Invitations)>([](Invitations invitations) {
          return HttpResult<Invitations>(std::move(invitations));
        }))
      .AddBodyArgument("invitations", "", nullptr);
  Route(HttpMethod::Get, "/jyx-lobby/v1/custom-games/{id}",
        std::function<HttpResult<Api::LobbyCustomGame>(std::int32_t)>([](std::int32_t id) {
          Api::LobbyCustomGame game;
          game.mapId = id;
          return HttpResult<Api::LobbyCustomGame>(game);
        }))
      .AddPathArgument("id", "", nullptr);
  Route(HttpMethod::Post, "/jyx-lobby/v1/custom-games/{id}/join",
        std::function<HttpResponse(std::uint64_t, Api::LobbyCustomJoinParameters)>(
            [](std::uint64_t id, const Api::LobbyCustomJoinParameters& parameters) {
              if (parameters.asSpectator.value_or(false)) return HttpResponse(403, "SPECTATING");
              if (parameters.password.has_value()) {
                return HttpResponse(401, *parameters.password + ":" + std::to_string(id));
              }
              return HttpResponse(0);
            }))
      .AddPathArgument("id", "", nullptr)
      .AddBodyArgument("parameters", "", nullptr);
  Route(HttpMethod::Post, "/jyx-lobby/v1/lobby/custom/bots/{summonerInternalName}",
        std::function<BindingHttpResult(std::string, Api::LobbyBotParams)>(
            [](const std::string& name, const Api::LobbyBotParams& bot) {
              BindingProperty value;
              value.SetString(name + ":" + std::to_string(bot.championId) + ":" +
                              std::to_string(static_cast<std::int32_t>(bot.botDifficulty)) + ":" +
                              bot.teamId);
              return BindingHttpResult(value);
            }))
      .AddPathArgument("summonerInternalName", "", nullptr)
      .AddBodyArgument("parameters", "", nullptr);
  Api::LobbyPositionPreferences stored;
  Route(HttpMethod::Put, "/jyx-lobby/v2/lobby/members/localMember/position-preferences",
        std::function<MaybeType<Failure, void>(Api::LobbyPositionPreferences)>(
            [&stored](const Api::LobbyPositionPreferences& preferences) {
              if (preferences.firstPreference.empty()) {
                return MaybeType<Failure, void>(Failure(400, "NO_POSITION"));
              }
              stored = preferences;
              return MaybeType<Failure, void>::Success();
            }))
      .AddBodyArgument("positionPreferences", "", nullptr);
  Route(HttpMethod::Get, "/jyx-lobby/v2/lobby/matchmaking/search-state",
        std::function<HttpResult<Api::MatchmakingSearchResource>()>([] {
          Api::MatchmakingSearchResource search;
          search.searchState = Api::LobbyMatchmakingSearchState::Found;
          return HttpResult<Api::MatchmakingSearchResource>(search);
        }));
  Route(HttpMethod::Get, "/jyx-lobby/v2/received-invitations",
        std::function<HttpResult<std::vector<Api::ReceivedInvitationDto>>()>([] {
          return HttpResult<std::vector<Api::ReceivedInvitationDto>>(
              std::vector<Api::ReceivedInvitationDto>(1));
        }));
  std::uint64_t kicked = 0;
  Route(HttpMethod::Post, "/jyx-lobby/v2/lobby/members/{summonerId}/kick",
        std::function<HttpResult<std::uint64_t>(std::uint64_t)>([&kicked](std::uint64_t id) {
          kicked = id;
          return HttpResult<std::uint64_t>(id);
        }))
      .AddPathArgument("summonerId", "", nullptr);
  Route(HttpMethod::Delete, "/jyx-lobby/v2/lobby", std::function<HttpResult<std::string>()>([] {
          return HttpResult<std::string>(HttpResponse(404, "LOBBY_NOT_FOUND"));
        }));

  Api::LobbyDto created;
  created.gameConfig.queueId = 420;
  Api::ReceivedInvitationDto received;
  struct Case {
    const char* function;
    std::uint32_t method;
    const char* path;
    const char* body;  // JSON, or null
    std::string answer;
    const char* error;  // null on success
    std::uint32_t status;
  };
  const Case cases[] = {
      {"GetJyxLobbyV2Lobby", 2, "/jyx-lobby/v2/lobby", nullptr, Json(current), nullptr, 0},
      {"PostJyxLobbyV2Lobby", 6, "/jyx-lobby/v2/lobby", R"({"queueId":420,"extra":1})",
       Json(created), nullptr, 0},
      {"PostJyxLobbyV2Lobby", 6, "/jyx-lobby/v2/lobby", R"({"queueId":-1})", "",
       "Gameflow prevented a lobby.", 0},
      {"GetJyxLobbyV1LobbyAvailability", 2, "/jyx-lobby/v1/lobby/availability", nullptr,
       R"("PlatformDisabled")", nullptr, 0},
      {"GetJyxLobbyV1LobbyInvitationsById", 2, "/jyx-lobby/v1/lobby/invitations/other", nullptr, "",
       "Not found", 404},
      {"PostJyxLobbyV2LobbyInvitations", 6, "/jyx-lobby/v2/lobby/invitations",
       R"([{"toSummonerId":5},{"state":"Requested"}])",
       R"([{"invitationId":"","state":"Pending","timestamp":"","toSummonerId":5,)"
       R"("toSummonerName":""},{"invitationId":"","state":"Requested","timestamp":"",)"
       R"("toSummonerId":0,"toSummonerName":""}])",
       nullptr, 0},
      {"GetJyxLobbyV1CustomGamesById", 2, "/jyx-lobby/v1/custom-games/-12", nullptr,
       R"({"filledPlayerSlots":0,"filledSpectatorSlots":0,"gameType":"","hasPassword":false,)"
       R"("id":0,"lobbyName":"","mapId":-12,"maxPlayerSlots":0,"maxSpectatorSlots":0,)"
       R"("ownerSummonerName":"","passbackUrl":"","spectatorPolicy":""})",
       nullptr, 0},
      {"PostJyxLobbyV1CustomGamesByIdJoin", 6, "/jyx-lobby/v1/custom-games/9/join", "{}", "",
       nullptr, 0},
      {"PostJyxLobbyV1CustomGamesByIdJoin", 6, "/jyx-lobby/v1/custom-games/9/join",
       R"({"password":"pw","asSpectator":null})", "", "pw:9", 401},
      {"PostJyxLobbyV1CustomGamesByIdJoin", 6, "/jyx-lobby/v1/custom-games/9/join",
       R"({"asSpectator":true})", "", "SPECTATING", 403},
      {"PostJyxLobbyV1LobbyCustomBotsBySummonerInternalName", 6,
       "/jyx-lobby/v1/lobby/custom/bots/bot1", R"({"championId":22})", R"("bot1:22:-1:100")",
       nullptr, 0},
      {"PostJyxLobbyV1LobbyCustomBotsBySummonerInternalName", 6,
       "/jyx-lobby/v1/lobby/custom/bots/bot2", R"({"botDifficulty":"INTRO","teamId":"200"})",
       R"("bot2:0:5:200")", nullptr, 0},
      {"PostJyxLobbyV1LobbyCustomBotsBySummonerInternalName", 6,
       "/jyx-lobby/v1/lobby/custom/bots/bot3", R"({"botDifficulty":"SUPER"})", "",
       "SUPER is not a valid JyxLobbyLobbyBotDifficulty enumeration value for 'botDifficulty'.", 0},
      {"PutJyxLobbyV2LobbyMembersLocalMemberPositionPreferences", 7,
       "/jyx-lobby/v2/lobby/members/localMember/position-preferences",
       R"({"firstPreference":"NORTH"})", "", nullptr, 0},
      {"PutJyxLobbyV2LobbyMembersLocalMemberPositionPreferences", 7,
       "/jyx-lobby/v2/lobby/members/localMember/position-preferences",
       R"({"secondPreference":"NORTH"})", "", "NO_POSITION", 0},
      {"GetJyxLobbyV2LobbyMatchmakingSearchState", 2,
       "/jyx-lobby/v2/lobby/matchmaking/search-state", nullptr,
       R"({"errors":[],"lowPriorityData":{"bustedLeaverAccessToken":"",)"
       R"("penalizedSummonerIds":[],"penaltyTime":0.0,"penaltyTimeRemaining":0.0},)"
       R"("searchState":"Found"})",
       nullptr, 0},
      {"GetJyxLobbyV2ReceivedInvitations", 2, "/jyx-lobby/v2/received-invitations", nullptr,
       "[" + Json(received) + "]", nullptr, 0},
      {"PostJyxLobbyV2LobbyMembersBySummonerIdKick", 6,
       "/jyx-lobby/v2/lobby/members/18446744073709551615/kick", nullptr, "18446744073709551615",
       nullptr, 0},
      {"DeleteJyxLobbyV2Lobby", 1, "/jyx-lobby/v2/lobby", nullptr, "", "LOBBY_NOT_FOUND", 404},
  };
  ApiTestClient client(registry);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " " + c.path + " " + (c.body ? c.body : ""));
    ApiTestRequest request;
    request.method = c.method;
    request.path = c.path;
    if (c.body != nullptr) {
      request.contentType = "application/json";
      request.body = c.body;
    }
    const ApiTestReply reply = client.Call(c.function, request);
    EXPECT_EQ(reply.hasError, c.error != nullptr) << reply.error;
    EXPECT_EQ(reply.error, c.error != nullptr ? c.error : "");
    if (c.error == nullptr) {
      EXPECT_EQ(SerializeJson(reply.value, &registry, nullptr), c.answer);
    }
    EXPECT_EQ(reply.status, c.status);
  }
  EXPECT_EQ(stored.firstPreference, "NORTH");
  EXPECT_EQ(kicked, 18446744073709551615u);
  EXPECT_NE(Json(received).find(R"("state":"Pending")"), std::string::npos);
}

}  // namespace
}  // namespace Zarn::Client::Lobby
