// The lobby's records as route results: a value beside a default reply, an error reply beside a
// default value, the empty failure of a default result, and a moved result's stream.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/QueueRecords.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/api/HttpResult.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"
#include "tests/sdk/api/ResponseBodyStreamTesting.h"

namespace Zarn::Client::Lobby {
namespace {

void ExpectDefaultReply(const HttpResponse& response) {
  EXPECT_TRUE(response.ok);
  EXPECT_EQ(response.status.status, 0);
  EXPECT_EQ(response.message, "");
  EXPECT_EQ(response.status.statusText, "");
  EXPECT_TRUE(response.status.headers.empty());
  EXPECT_EQ(response.bodyStream, nullptr);
}

TEST(LobbyHttpResultTest, AValueIsCopiedBesideADefaultReply) {
  Api::Lobby lobby;
  lobby.queueId = 420;
  lobby.members.emplace_back();
  const HttpResult<Api::Lobby> result(lobby);
  EXPECT_EQ(result.value.queueId, 420);
  EXPECT_EQ(result.value.members.size(), 1u);
  EXPECT_EQ(lobby.members.size(), 1u) << "the source keeps its members";
  ExpectDefaultReply(result.response);
}

TEST(LobbyHttpResultTest, AnErrorReplyComesWithADefaultValue) {
  HttpResult<Api::Lobby> lobby(HttpResponse(404, "LOBBY_NOT_FOUND"));
  EXPECT_FALSE(lobby.response.ok);
  EXPECT_EQ(lobby.response.status.status, 404);
  EXPECT_EQ(lobby.response.message, "LOBBY_NOT_FOUND");
  EXPECT_EQ(lobby.value.queueId, -1);
  EXPECT_TRUE(lobby.value.canStartMatchmaking);

  const HttpResult<std::uint64_t> summonerId(HttpResponse(500, "INVALID_LOBBY"));
  EXPECT_EQ(summonerId.value, 0u);
  const HttpResult<Api::QueueAvailability> availability(HttpResponse(500, "INVALID_LOBBY"));
  EXPECT_EQ(availability.value, Api::QueueAvailability::Available);
  const HttpResult<std::string> text(HttpResponse(400, "x"));
  EXPECT_EQ(text.value, "");
}

TEST(LobbyHttpResultTest, ADefaultLobbyResultIsTheEmptyFailureUntilALobbyIsStored) {
  MaybeType<Failure, Api::Lobby> result;
  ASSERT_TRUE(result.IsFailure());
  EXPECT_EQ(result.GetFailure().Code(), 0);
  EXPECT_STREQ(result.GetFailure().Message(), "");
  result = Api::Lobby{};
  ASSERT_TRUE(result.HasValue());
  EXPECT_EQ(result.Value().queueId, -1);
}

TEST(LobbyHttpResultTest, MovingTakesTheStreamAndLeavesTheSourceWithout) {
  BodyStreamLog log;
  {
    HttpResult<Api::LobbyDto> source;
    source.value.partyId = "p";
    source.response.bodyStream = CountingBodyStream::Make(log);
    HttpResult<Api::LobbyDto> constructed(std::move(source));
    EXPECT_EQ(source.response.bodyStream, nullptr);
    ASSERT_NE(constructed.response.bodyStream, nullptr);
    EXPECT_EQ(constructed.value.partyId, "p");

    HttpResult<Api::LobbyDto> assigned;
    assigned = std::move(constructed);
    EXPECT_EQ(constructed.response.bodyStream, nullptr);
    ASSERT_NE(assigned.response.bodyStream, nullptr);
    EXPECT_EQ(assigned.value.partyId, "p");
    EXPECT_EQ(log.destroyed, 0);
  }
  EXPECT_EQ(log.destroyed, 1) << "the one stream is destroyed once, by its last holder";
}

}  // namespace
}  // namespace Zarn::Client::Lobby
