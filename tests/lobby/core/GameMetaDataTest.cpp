#include "lobby/core/GameMetaData.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "sdk/binding/JsonText.h"

namespace Zarn::Client::Lobby {
namespace {

TEST(GameMetaDataTest, OnlyIntegersOfTheSigned32BitRangeNameAQueueOrMap) {
  struct Case {
    const char* json;
    std::int32_t queueId;
    std::int32_t mapId;
  };
  const Case cases[] = {
      {R"({"queueId":420,"mapId":11})", 420, 11},
      {R"({"queueId":-5,"mapId":0})", -5, 0},
      {R"({"queueId":2147483647,"mapId":-2147483648})", 2147483647, -2147483647 - 1},
      {R"({"queueId":2147483648,"mapId":-2147483649})", -1, -1},
      {R"({"queueId":4294967716,"mapId":18446744073709551615})", -1, -1},
      {R"({"queueId":"420","mapId":"11"})", -1, -1},
      {R"({"queueId":420.0,"mapId":1e3})", -1, -1},
      {R"({"queueId":true,"mapId":null})", -1, -1},
      {R"({"queueId":[420],"mapId":{"id":11}})", -1, -1},
      {R"({"gameMode":"CLASSIC"})", -1, -1},
      {R"({"QueueId":420,"MapId":11})", -1, -1},
      {R"([{"queueId":420}])", -1, -1},
      {"420", -1, -1},
      {"", -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    BindingResult parsed = ParseJson(c.json);
    ASSERT_TRUE(parsed.IsOk()) << parsed.ErrorMessage();
    EXPECT_EQ(GameMetaDataQueueId(parsed.Value()), c.queueId);
    EXPECT_EQ(GameMetaDataMapId(parsed.Value()), c.mapId);
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
