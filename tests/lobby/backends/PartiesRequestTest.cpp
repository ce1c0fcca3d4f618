// The parties backend's checked requests in the plugin, in-process on the stand-in host's table,
// against the host's simulated parties service.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "tests/lobby/backends/PartiesHostTesting.h"
#include "tests/lobby/backends/PartiesLobbyBackendTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"
#include "tests/sdk/base/FailureTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using ::testing::HasSubstr;
using Zarn::Testing::FailsWith;
using namespace PartiesTesting;

class PartiesRequestTest : public PartiesHostTest {
 protected:
  void SetUp() override {
    PartiesHostTest::SetUp();
    PartiesLobbyBackendTesting::Attach(backend_, plugin_);
    // Re-registering makes the client follow the flag.
    backend_.EnabledFlag().Set(true);
    StoreParty();
  }

  // The stored player in "party-1"; a not-found failure before forgot it.
  void StoreParty() {
    Lobby::PartiesBackendTesting::Player(backend_) = Api::PlayerDto{};
    Lobby::PartiesBackendTesting::Player(backend_).puuid = "puuid-a";
    Lobby::PartiesBackendTesting::Player(backend_).createdAt = 1;
    Lobby::PartiesBackendTesting::Player(backend_).currentParty.emplace();
    Lobby::PartiesBackendTesting::Player(backend_).currentParty->partyId = "party-1";
  }

  // The log lines at level 2 that contain `text`.
  [[nodiscard]] std::vector<std::string> ErrorLines(const std::string& text) const {
    std::vector<std::string> lines;
    for (const Host::LogLine& line : host_.Records().logs) {
      if (line.level == 2 && line.message.find(text) != std::string::npos) {
        lines.push_back(line.message);
      }
    }
    return lines;
  }
  [[nodiscard]] std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    for (const Host::PartiesRecord& record : parties_.Records()) {
      urls.push_back(record.method + " " + record.url);
    }
    return urls;
  }
  MaybeType<Failure, void> SetCanInvite() {
    return backend_.Request("set canInvite", "PUT", "/v1/parties/party-1/members/puuid-b/canInvite",
                            true);
  }

  PartiesLobbyBackend backend_;
};

TEST_F(PartiesRequestTest, CheckedRowsOfThePartiesTableGoThroughTheirWrappers) {
  int checked = 0;
  for (const Row& row : PartiesTable()) {
    const std::string wrapper = row.wrapperAndReply;
    if (wrapper.rfind("Send", 0) == 0) continue;
    SCOPED_TRACE(row.operation);
    ++checked;
    parties_.ClearRecords();
    StoreParty();
    const std::string url = Fill(row.path, row.fill);
    const bool orReregister = wrapper.rfind("RoR", 0) == 0;
    MaybeType<Failure, void> result = Failure(0, "not sent");
    if (std::string(row.operation) == "FetchPartiesState") {
      backend_.FetchPartiesState();
      result = MaybeType<Failure, void>::Success();
    } else {
      std::visit(
          [&](const auto& body) {
            using T = std::decay_t<decltype(body)>;
            if constexpr (std::is_same_v<T, Api::PlayerDto> ||
                          std::is_same_v<T, std::vector<std::string>>) {
              ADD_FAILURE() << "a checked row with a body of its own";
            } else if constexpr (std::is_same_v<T, Api::PartyMemberMetadataDto>) {
              ASSERT_FALSE(orReregister);
              result = backend_.Request(row.action, row.method, url, body);
            } else if (orReregister) {
              result = backend_.RequestOrReregister(row.action, row.method, url, body);
            } else {
              result = backend_.Request(row.action, row.method, url, body);
            }
          },
          row.body);
    }
    // The service may refuse a change it cannot make; the request still went out as written.
    if (result.IsFailure()) {
      EXPECT_NE(result.GetFailure().Code(), 0) << result.Message();
    }
    ASSERT_EQ(parties_.Records().size(), 1u) << result.Message();
    const Host::PartiesRecord& got = parties_.Records().back();
    EXPECT_EQ(got.method, row.method);
    EXPECT_EQ(got.url, url);
    EXPECT_EQ(got.body, row.bodyText);
  }
  EXPECT_EQ(checked, 18);
}

TEST_F(PartiesRequestTest, CheckedRequestsNeedAStoredPlayerAndParty) {
  struct Case {
    const char* label;
    const char* puuid;
    bool party;
    const char* code;
    const char* logged;
  };
  const std::vector<Case> cases = {
      {"no player yet", "", false, "CURRENT_PLAYER_PUUID_NOT_FOUND",
       "Player party state has not been initialized."},
      {"no player but a party", "", true, "CURRENT_PLAYER_PUUID_NOT_FOUND",
       "Player party state has not been initialized."},
      {"a player without party", "puuid-a", false, "CURRENT_PARTY_NOT_FOUND",
       "Player is not currently in a party."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host_.ClearRecords();
    Lobby::PartiesBackendTesting::Player(backend_).puuid = c.puuid;
    if (!c.party) Lobby::PartiesBackendTesting::Player(backend_).currentParty.reset();
    const std::size_t proxied = proxy_.Requests().size();
    EXPECT_THAT(SetCanInvite(), FailsWith(400, c.code));
    EXPECT_THAT(backend_.RequestOrReregister("get health", "GET", "v1/health", BindingProperty()),
                FailsWith(400, c.code));
    EXPECT_THAT(backend_.GetCurrentParty(), FailsWith(400, c.code));
    EXPECT_EQ(proxy_.Requests().size(), proxied);
    EXPECT_TRUE(parties_.Records().empty());
    EXPECT_EQ(ErrorLines(c.logged).size(), 3u);
    // Not reported: nothing was asked of the service.
    EXPECT_TRUE(Events("parties-service").empty());
    EXPECT_TRUE(ErrorLines("Reregistering").empty());
  }
  EXPECT_EQ(backend_.GetCurrentPartyId(), "");
}

TEST_F(PartiesRequestTest, AFailureIsLoggedAndReportedAndA503AlsoAsUnavailable) {
  struct Case {
    const char* label;
    Kind kind;
    int32_t status;
    const char* code;
    const char* logged;  // the failure line
    const char* failure;
    bool unavailable;
  };
  const std::vector<Case> cases = {
      {"a status with its code", Kind::Status, 409, "NOT_LEADER",
       "Failed parties service request set canInvite: 409 NOT_LEADER", "NOT_LEADER", false},
      {"a status without code", Kind::Status, 500, "",
       "Failed parties service request set canInvite: 500 UNKNOWN", "UNKNOWN", false},
      {"a 503 status", Kind::Status, 503, "SERVICE_UNAVAILABLE",
       "Failed parties service request set canInvite: 503 SERVICE_UNAVAILABLE",
       "SERVICE_UNAVAILABLE", true},
      {"an empty payload", Kind::EmptyPayload, 0, "",
       "Failed parties service request set canInvite: 503 SERVICE_UNAVAILABLE",
       "SERVICE_UNAVAILABLE", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host_.ClearRecords();
    Script("v1/parties/*/members/*/canInvite", c.kind, c.status, c.code);
    EXPECT_THAT(SetCanInvite(), FailsWith(c.unavailable ? 503 : c.status, c.failure));
    EXPECT_THAT(ErrorLines("Failed parties service request"), ::testing::ElementsAre(c.logged));
    const std::vector<std::string> events = Events("parties-service");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_THAT(events[0], HasSubstr(R"("request":"set_caninvite")"));
    EXPECT_THAT(events[0], HasSubstr(std::string(R"("failure":")") + c.failure + "\""));
    EXPECT_EQ(ErrorLines("Parties service is UNAVAILABLE").size(), c.unavailable ? 1u : 0u);
    EXPECT_TRUE(backend_.ReportServiceUnavailable(Failure(503, "anything")));
    EXPECT_FALSE(backend_.ReportServiceUnavailable(Failure(500, "SERVICE_UNAVAILABLE")));
  }

  // Names are the actions lower-cased, blanks as "_".
  for (const char* action : {"set game mode", "fetchPartiesState"}) {
    SCOPED_TRACE(action);
    host_.ClearRecords();
    Script("v1/parties/*/members/*/canInvite", Kind::Status, 500, "BOOM");
    EXPECT_THAT(
        backend_.Request(action, "PUT", "v1/parties/party-1/members/puuid-b/canInvite", false),
        FailsWith(500, "BOOM"));
    const std::vector<std::string> events = Events("parties-service");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_THAT(events[0], HasSubstr(std::string(action) == "set game mode"
                                         ? R"("request":"set_game_mode")"
                                         : R"("request":"fetchpartiesstate")"));
  }
}

TEST_F(PartiesRequestTest, A204SucceedsWithOneFetchAndA204ToTheFetchFetchesNothingMore) {
  struct Case {
    const char* label;
    bool fetchAnswers204;
    bool viaFetch;  // the fetch itself, not a request that fetches
    std::vector<std::string> sent;
  };
  const std::vector<Case> cases = {
      {"a request answered 204",
       false,
       false,
       {"PUT /v1/parties/party-1/members/puuid-b/canInvite", "GET v1/players/puuid-a"}},
      {"its fetch answered 204 as well",
       true,
       false,
       {"PUT /v1/parties/party-1/members/puuid-b/canInvite", "GET v1/players/puuid-a"}},
      {"the fetch answered 204", true, true, {"GET v1/players/puuid-a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    parties_.ClearRecords();
    host_.ClearRecords();
    Script("v1/parties/*/members/*/canInvite", Kind::Status, 204);
    if (c.fetchAnswers204) {
      // Once: a second fetch would be answered, and show.
      Script("v1/players/*", Kind::Status, 204);
    }
    if (c.viaFetch) {
      backend_.FetchPartiesState();
    } else {
      EXPECT_TRUE(SetCanInvite().HasValue());
    }
    EXPECT_EQ(Urls(), c.sent);
    EXPECT_TRUE(Events("parties-service").empty());
    EXPECT_TRUE(ErrorLines("Reregistering").empty());
  }
}

TEST_F(PartiesRequestTest, OnlyNotFoundFailuresReregister) {
  struct Case {
    int32_t code;
    const char* text;
    bool reregisters;
  };
  const std::vector<Case> cases = {
      {404, "NOT_FOUND", true},
      {400, "PARTY_NOT_FOUND", true},
      {404, "PLAYER_NOT_FOUND", true},
      {400, "NOT_FOUND", true},
      {500, "NOT_FOUND", false},
      {409, "PLAYER_NOT_FOUND", false},
      {404, "not_found", false},
      {404, "NOT_FOUND_YET", false},
      {503, "SERVICE_UNAVAILABLE", false},
  };
  for (const Case& c : cases) {
    const std::string line =
        "Reregistering after parties error: " + std::to_string(c.code) + " " + c.text;
    SCOPED_TRACE(line);
    host_.ClearRecords();
    // The client follows the configured flag, whatever it was before.
    backend_.EnabledFlag().Set(false);
    PartiesLobbyBackendTesting::Client(backend_).SetEnabled(true);
    backend_.ReregisterAfterError(Failure(c.code, c.text));
    EXPECT_EQ(ErrorLines(line).size(), c.reregisters ? 1u : 0u);
    EXPECT_EQ(PartiesLobbyBackendTesting::Client(backend_).IsEnabled(), !c.reregisters);
  }

  // Through the wrappers: a not-found answer to a request that re-registers, or to the fetch.
  host_.ClearRecords();
  backend_.EnabledFlag().Set(true);
  StoreParty();
  Script("v1/health", Kind::Status, 404, "NOT_FOUND");
  EXPECT_THAT(backend_.RequestOrReregister("get health", "GET", "v1/health", BindingProperty()),
              FailsWith(404, "NOT_FOUND"));
  StoreParty();
  Script("v1/players/*", Kind::Status, 400, "PLAYER_NOT_FOUND");
  backend_.FetchPartiesState();
  StoreParty();
  Script("v1/parties/*/members/*/canInvite", Kind::Status, 404, "NOT_FOUND");
  EXPECT_THAT(SetCanInvite(), FailsWith(404, "NOT_FOUND"));
  EXPECT_THAT(ErrorLines("Reregistering after parties error"),
              ::testing::ElementsAre("Reregistering after parties error: 404 NOT_FOUND",
                                     "Reregistering after parties error: 400 PLAYER_NOT_FOUND"));
}

}  // namespace
}  // namespace Zarn::Client::Lobby
