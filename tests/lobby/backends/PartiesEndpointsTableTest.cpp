// Every request of the parties table, sent through the operation that sends it, in-process
// against the host's simulated parties service, compared byte for byte with the table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/lobby/backends/PartiesOperationsTesting.h"
#include "tests/lobby/core/EligibilityRulesTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using namespace PartiesTesting;

// The 24 operations of the table, one per row.
const char* const kOperations[] = {
    "ChangeLobby",
    "HandlePutQueue",
    "HandlePutMetadata",
    "HandlePutRole",
    "KickMember",
    "LeaveLobby",
    "PromoteMember",
    "SetRoleRequest",
    "SetPartyTypeRequest",
    "SetCanInvite",
    "SetReadyRequest",
    "HandlePutActive",
    "StartMatchmaking",
    "CancelMatchmaking",
    "JoinClashParty",
    "ProcessEnteredGame",
    "OnResumeActivityResponse",
    "HandleGetHealth",
    "FetchPartiesState",
    "RegisterPlayer",
    "UpdateEligibilityHash",
    "DeregisterPlayer",
    "SendInvitations",
    "HandleGetCommsToken",
};

// The plugin's player "puuid-a" (summoner 9, account 7) leads party-1; "puuid-b" (10) has
// party-2. The plugin knows the player's session, platform and eligibility hash 42.
class PartiesTableThroughOperationsTest : public PartiesOperationsTest,
                                          public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    PartiesOperationsTest::SetUp();
    StoreFromService();
    ASSERT_EQ(backend_.GetCurrentPartyId(), "party-1");
    Api::LoginSession session;
    session.state = Api::LoginSessionStates::SUCCEEDED;
    session.puuid = "puuid-a";
    session.accountId = 7;
    session.summonerId = 9;
    Lobby::PartiesBackendTesting::LoginSession(backend_).Set(session);
    LobbyPluginTesting::PlatformId(plugin_).Set("XEM1");
    EligibilityRulesTesting::Hash(plugin_.GetEligibilityRules()).Set(42);
    parties_.ClearRecords();
  }
  void JoinB() {
    ASSERT_EQ(parties_.Invite("puuid-a", "puuid-b").httpStatus, 200);
    ASSERT_EQ(parties_.Accept("puuid-b", "party-1").httpStatus, 200);
    StoreFromService();
  }
  void SetQueue(std::int32_t queueId) {
    const std::string body = R"({"queueId":)" + std::to_string(queueId) + R"(,"maxPartySize":5})";
    ASSERT_EQ(parties_.Act("puuid-a", "PUT", "v1/parties/party-1/gamemode", body).httpStatus, 200);
    StoreFromService();
  }
  // Sends the row's request through its operation.
  void Drive(const std::string& operation) {
    if (operation == "ChangeLobby") {
      Api::LobbyChangeGameDto change;
      change.queueId = 440;
      EXPECT_TRUE(backend_.ChangeLobby(change).HasValue());
    } else if (operation == "HandlePutQueue") {
      EXPECT_TRUE(backend_.HandlePutQueue(420).ok);
    } else if (operation == "HandlePutMetadata") {
      Api::PartyMemberMetadataDto metadata;
      metadata.positionPref = {"NORTH", "HELPER"};
      EXPECT_TRUE(backend_.HandlePutMetadata(metadata).ok);
    } else if (operation == "HandlePutRole") {
      JoinB();
      static_cast<void>(backend_.HandlePutRole("party-1", "puuid-b", "MEMBER"));
    } else if (operation == "KickMember") {
      JoinB();
      SetQueue(420);
      EXPECT_TRUE(backend_.KickMember(10).HasValue());
    } else if (operation == "LeaveLobby") {
      JoinB();
      EXPECT_TRUE(backend_.LeaveLobby().HasValue());
    } else if (operation == "PromoteMember") {
      JoinB();
      EXPECT_TRUE(backend_.PromoteMember(10).HasValue());
    } else if (operation == "SetRoleRequest") {
      ASSERT_EQ(parties_.Invite("puuid-b", "puuid-a").httpStatus, 200);
      StoreFromService();
      EXPECT_TRUE(backend_.AcceptInvitation("party-2").HasValue());
    } else if (operation == "SetPartyTypeRequest") {
      EXPECT_TRUE(backend_.SetPartyTypeRequest("open").HasValue());
    } else if (operation == "SetCanInvite") {
      JoinB();
      EXPECT_TRUE(backend_.SetCanInvite(10, true).HasValue());
    } else if (operation == "SetReadyRequest") {
      EXPECT_TRUE(backend_.SetReadyRequest(true).HasValue());
    } else if (operation == "HandlePutActive") {
      EXPECT_TRUE(backend_.HandlePutActive(false).ok);
    } else if (operation == "StartMatchmaking") {
      SetQueue(420);
      EXPECT_TRUE(backend_.StartMatchmaking().IsOk());
    } else if (operation == "CancelMatchmaking") {
      EXPECT_TRUE(backend_.CancelMatchmaking().IsOk());
    } else if (operation == "JoinClashParty") {
      static_cast<void>(backend_.JoinClashParty("clash-7"));
    } else if (operation == "ProcessEnteredGame") {
      backend_.ProcessEnteredGame(Api::GameflowPhase::ChampSelect, Api::GameflowPhase::GameStart);
    } else if (operation == "OnResumeActivityResponse") {
      backend_.OnResumeActivityResponse();
    } else if (operation == "HandleGetHealth") {
      EXPECT_TRUE(backend_.HandleGetHealth().response.ok);
    } else if (operation == "FetchPartiesState") {
      backend_.FetchPartiesState();
    } else if (operation == "RegisterPlayer") {
      Lobby::PartiesBackendTesting::Player(backend_) = Api::PlayerDto{};
      backend_.RegisterPlayer();
    } else if (operation == "UpdateEligibilityHash") {
      // The stored registration with the hash it had; the row's body is it with the new one.
      Lobby::PartiesBackendTesting::Player(backend_) = Identity(42);
      Lobby::PartiesBackendTesting::Player(backend_).createdAt = 5;
      EligibilityRulesTesting::Hash(plugin_.GetEligibilityRules()).Set(43);
      backend_.UpdateEligibilityHash();
    } else if (operation == "DeregisterPlayer") {
      backend_.DeregisterPlayer();
    } else if (operation == "SendInvitations") {
      Api::LobbyInvitationDto invitation;
      invitation.toSummonerId = 10;
      EXPECT_TRUE(backend_.SendInvitations({invitation}).HasValue());
    } else if (operation == "HandleGetCommsToken") {
      EXPECT_TRUE(backend_.HandleGetCommsToken().response.ok);
    } else {
      FAIL() << "no operation drives " << operation;
    }
  }
};

TEST(PartiesTableThroughOperations, EveryRowHasItsOperation) {
  std::set<std::string> operations(std::begin(kOperations), std::end(kOperations));
  EXPECT_EQ(operations.size(), 24u);
  std::set<std::string> rows;
  for (const Row& row : PartiesTable()) rows.insert(row.operation);
  EXPECT_EQ(operations, rows);
}

TEST_P(PartiesTableThroughOperationsTest, GoesOutAsTheTableWritesIt) {
  const std::string operation = GetParam();
  const std::vector<Row> table = PartiesTable();
  const auto row = std::find_if(table.begin(), table.end(),
                                [&](const Row& r) { return operation == r.operation; });
  ASSERT_NE(row, table.end());
  Drive(operation);
  const std::string url = Fill(row->path, row->fill);
  const auto sent = std::find_if(
      parties_.Records().begin(), parties_.Records().end(),
      [&](const Host::PartiesRecord& r) { return r.method == row->method && r.url == url; });
  ASSERT_NE(sent, parties_.Records().end()) << row->method << " " << url;
  std::string body = row->bodyText;
  // The table's registration is the unregistered one; the stored one has its creation time.
  if (operation == "UpdateEligibilityHash") {
    const std::string unregistered = "\"createdAt\": 0";
    body.replace(body.find(unregistered), unregistered.size(), "\"createdAt\": 5");
  }
  EXPECT_EQ(sent->body, body);
}

INSTANTIATE_TEST_SUITE_P(AllRows, PartiesTableThroughOperationsTest,
                         ::testing::ValuesIn(kOperations));

}  // namespace
}  // namespace Zarn::Client::Lobby
