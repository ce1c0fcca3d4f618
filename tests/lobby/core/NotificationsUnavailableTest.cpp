// The notification a parties service outage leaves: a checked parties request answered 503, in
// the plugin in-process on the stand-in host's table against its simulated parties service.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "tests/lobby/backends/PartiesHostTesting.h"
#include "tests/lobby/backends/PartiesLobbyBackendTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using namespace PartiesTesting;

class NotificationsUnavailableTest : public PartiesHostTest {
 protected:
  void SetUp() override {
    PartiesHostTest::SetUp();
    PartiesLobbyBackendTesting::Attach(backend_, plugin_);
    backend_.EnabledFlag().Set(true);
    Lobby::PartiesBackendTesting::Player(backend_).puuid = "puuid-a";
    Lobby::PartiesBackendTesting::Player(backend_).createdAt = 1;
    Lobby::PartiesBackendTesting::Player(backend_).currentParty.emplace();
    Lobby::PartiesBackendTesting::Player(backend_).currentParty->partyId = "party-1";
  }

  PartiesLobbyBackend backend_;
};

TEST_F(NotificationsUnavailableTest, OnlyA503LeavesOneServiceUnavailableNotification) {
  struct Case {
    const char* label;
    Kind kind;
    int32_t status;
    const char* code;
    bool unavailable;
  };
  const std::vector<Case> cases = {
      {"a 503 status", Kind::Status, 503, "SERVICE_UNAVAILABLE", true},
      {"an empty payload, read as 503", Kind::EmptyPayload, 0, "", true},
      {"a 500 status", Kind::Status, 500, "SERVICE_UNAVAILABLE", false},
      {"a 409 status", Kind::Status, 409, "NOT_LEADER", false},
      {"a 404 status", Kind::Status, 404, "SOMETHING_ELSE", false},
  };
  std::size_t expected = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Script("v1/parties/*/members/*/canInvite", c.kind, c.status, c.code);
    const std::size_t before = plugin_.HandleGetNotifications().value.size();
    EXPECT_TRUE(
        backend_
            .Request("set canInvite", "PUT", "/v1/parties/party-1/members/puuid-b/canInvite", true)
            .IsFailure());
    const std::vector<Api::LobbyNotification> list = plugin_.HandleGetNotifications().value;
    if (c.unavailable) ++expected;
    ASSERT_EQ(list.size(), expected) << "was " << before;
    if (!c.unavailable) continue;
    EXPECT_EQ(list.back().notificationReason, "SERVICE_UNAVAILABLE");
    EXPECT_TRUE(list.back().summonerIds.empty());
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
