// The fakes the plugin's tests rely on: one journal across both backends and the factory, in call
// order, with the results a test sets and a hook that may call again.
#include "tests/lobby/core/LobbyBackendTesting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/sdk/base/FailureTesting.h"

namespace Zarn::Client::Testing {
namespace {

using ::testing::ElementsAre;
using Zarn::Testing::FailsWith;
using Zarn::Testing::IsSucceeded;

TEST(LobbyBackendFakesTest, OneJournalInCallOrderUntilBothAreDeleted) {
  FakeComponentFactory factory;
  std::unique_ptr<Lobby::PartiesBackend> parties = factory.MakePartiesBackend();
  std::unique_ptr<Lobby::PlatformBackend> platform = factory.MakePlatformBackend();
  ASSERT_EQ(factory.parties, parties.get());
  ASSERT_EQ(factory.platform, platform.get());
  auto* plugin = reinterpret_cast<Lobby::LobbyServices*>(&factory);  // compared, never called

  platform->SetServices(plugin);
  parties->Start(*plugin);
  parties->DeregisterPlayer();
  EXPECT_FALSE(parties->IsEnabledForQueue(420));
  parties->ProcessEnteredGame(Lobby::Api::GameflowPhase::Lobby,
                              Lobby::Api::GameflowPhase::GameStart);
  EXPECT_THAT(platform->KickMember(7), IsSucceeded());
  EXPECT_THAT(parties->SetCanInvite(8, true), IsSucceeded());
  EXPECT_EQ(factory.platform->services, plugin);
  EXPECT_EQ(factory.parties->startedWith, plugin);
  platform.reset();
  parties.reset();

  EXPECT_THAT(factory.journal->calls,
              ElementsAre("factory.MakePartiesBackend", "factory.MakePlatformBackend",
                          "platform.SetServices", "parties.Start", "parties.DeregisterPlayer",
                          "parties.IsEnabledForQueue(420)", "parties.ProcessEnteredGame(1, 6)",
                          "platform.KickMember(7)", "parties.SetCanInvite(8, true)",
                          "platform.Deleted", "parties.Deleted"));
  EXPECT_THAT(factory.journal->CallsStartingWith("parties."),
              ElementsAre("parties.Start", "parties.DeregisterPlayer",
                          "parties.IsEnabledForQueue(420)", "parties.ProcessEnteredGame(1, 6)",
                          "parties.SetCanInvite(8, true)", "parties.Deleted"));
}

TEST(LobbyBackendFakesTest, AnswersWhatTheTestSet) {
  auto journal = std::make_shared<CallJournal>();
  FakePartiesBackend parties(journal);
  Lobby::LobbyBackend& backend = parties;
  // Defaults: lobby operations succeed, predicates are false, no party to describe.
  EXPECT_THAT(backend.ChangeLobby({}), IsSucceeded());
  EXPECT_FALSE(parties.HasQueue());
  EXPECT_THAT(parties.MakePartyAnalyticsFields("parties-invitation"),
              FailsWith(500, "INVALID_PARTY"));
  std::vector<Lobby::Api::LobbyInvitationDto> invitations(2);
  invitations[1].toSummonerId = 9;
  const auto sent = backend.SendInvitations(invitations);
  ASSERT_THAT(sent, IsSucceeded());
  EXPECT_EQ(sent.Value().size(), 2u);
  EXPECT_EQ(sent.Value()[1].toSummonerId, 9u);
  EXPECT_TRUE(backend.StartMatchmaking().IsOk());

  parties.changeLobbyResult = Failure(409, "busy");
  parties.hasQueue = true;
  parties.makePartyAnalyticsFieldsResult =
      Lobby::AnalyticsEventFields{"parties-invitation", {}, 12};
  parties.sendInvitationsResult = Failure(403, "NOT_AUTHORIZED");
  parties.startMatchmakingResult = BindingHttpResult(HttpResponse(400, "QUEUE_NOT_ENABLED"));
  EXPECT_THAT(backend.ChangeLobby({}), FailsWith(409, "busy"));
  EXPECT_TRUE(parties.HasQueue());
  const auto fields = parties.MakePartyAnalyticsFields("parties-invitation");
  ASSERT_THAT(fields, IsSucceeded());
  EXPECT_EQ(fields.Value().eventTimestamp, 12u);
  EXPECT_THAT(backend.SendInvitations(invitations), FailsWith(403, "NOT_AUTHORIZED"));
  // Each call answers a copy: the set result stays for the next.
  for (int i = 0; i < 2; ++i) {
    const BindingHttpResult reply = backend.StartMatchmaking();
    EXPECT_FALSE(reply.IsOk());
    EXPECT_EQ(reply.StatusPart().status, 400);
    EXPECT_EQ(reply.Result().ErrorMessage(), "QUEUE_NOT_ENABLED");
  }
}

TEST(LobbyBackendFakesTest, TheHookMayCallAgainAndItsCallsFollow) {
  FakeComponentFactory factory;
  std::unique_ptr<Lobby::PartiesBackend> parties = factory.MakePartiesBackend();
  // As a deregistration makes the plugin leave the party lobby, which refreshes: the hook's
  // call is journalled after the one that ran it, and a hook that drops itself runs once.
  factory.journal->onCall = [&](const std::string& call) {
    if (call == "parties.DeregisterPlayer") {
      factory.journal->onCall = nullptr;
      parties->RefreshAfterUpdate();
      parties->DeregisterPlayer();
    }
  };
  parties->DeregisterPlayer();
  EXPECT_THAT(factory.journal->CallsStartingWith("parties."),
              ElementsAre("parties.DeregisterPlayer", "parties.RefreshAfterUpdate",
                          "parties.DeregisterPlayer"));
}

}  // namespace
}  // namespace Zarn::Client::Testing
