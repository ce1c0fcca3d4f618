// The real factory's backends and controllers, the controllers' shared defaults and the parties
// backend without a party.
#include "lobby/backends/BackendComponentFactory.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lobby/backends/ArrangedTeamLobbyController.h"
#include "lobby/backends/CustomGameLobbyController.h"
#include "lobby/backends/InvalidLobbyController.h"
#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/backends/PlatformLobbyBackend.h"
#include "lobby/backends/TeamBuilderLobbyController.h"
#include "lobby/core/LobbyController.h"
#include "sdk/base/LogApi.h"
#include "tests/lobby/backends/PlatformLobbyBackendTesting.h"
#include "tests/lobby/core/LobbyControllerTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"
#include "tests/sdk/base/FailureTesting.h"
#include "tests/sdk/base/LogTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using Zarn::Testing::FailsWith;

// Holds the log quiet (no standard error) and records the lines.
class QuietLog {
 public:
  QuietLog() {
    api_->Init();
    stdErr_ = api_->GetStdErrTarget();
    stdErr_->Detach(stdErr_);
    target_.Attach();
  }
  ~QuietLog() {
    target_.Detach();
    stdErr_->Attach(stdErr_);
    api_->Shutdown();
  }
  [[nodiscard]] std::vector<std::string> Messages() const {
    std::vector<std::string> messages;
    for (const auto& line : target_.Lines()) messages.push_back(line.message);
    return messages;
  }

 private:
  const LogApi* api_ = LogApi::GetTable();
  LogTargetInterface* stdErr_ = nullptr;
  Zarn::Testing::RecordingLogTarget target_;
};

TEST(BackendComponentFactoryTest, MakesTheRealBackendsPlatformWithoutPlugin) {
  BackendComponentFactory factory;
  const std::unique_ptr<PartiesBackend> parties = factory.MakePartiesBackend();
  const std::unique_ptr<PlatformBackend> platform = factory.MakePlatformBackend();
  ASSERT_NE(dynamic_cast<PartiesLobbyBackend*>(parties.get()), nullptr);
  auto* real = dynamic_cast<PlatformLobbyBackend*>(platform.get());
  ASSERT_NE(real, nullptr);
  EXPECT_EQ(PlatformLobbyBackendTesting::Services(*real), nullptr);
  auto* somePlugin = reinterpret_cast<LobbyServices*>(real);  // compared, never called
  platform->SetServices(somePlugin);
  EXPECT_EQ(PlatformLobbyBackendTesting::Services(*real), somePlugin);
  // Nothing of the parties state exists before a start.
  EXPECT_FALSE(Lobby::PartiesBackendTesting::LoginSession(*parties).IsAvailable());
  EXPECT_FALSE(parties->EnabledFlag().IsTrue());
  EXPECT_EQ(Lobby::PartiesBackendTesting::Player(*parties).createdAt, 0u);
}

TEST(BackendComponentFactoryTest, WithoutAStartThePartiesOperationsFindNoPlayer) {
  QuietLog log;
  BackendComponentFactory factory;
  const std::unique_ptr<PartiesBackend> parties = factory.MakePartiesBackend();
  EXPECT_THAT(parties->GetLobby(), FailsWith(400, "CURRENT_PLAYER_PUUID_NOT_FOUND"));
  EXPECT_TRUE(parties->LeaveLobby().HasValue()) << "no party to leave";
  EXPECT_FALSE(parties->GetLobbyStatus().has_value());
  const BindingHttpResult search = parties->StartMatchmaking();
  EXPECT_FALSE(search.IsOk());
  EXPECT_EQ(search.StatusPart().status, 400);
  EXPECT_EQ(search.Result().ErrorMessage(), "QUEUE_NOT_ENABLED");
  EXPECT_THAT(parties->MakePartyAnalyticsFields("parties-invitation"),
              FailsWith(500, "INVALID_PARTY"));
  EXPECT_TRUE(parties->BuildReceivedInvitations().empty());
  // The view and the status each say that no state arrived yet.
  EXPECT_EQ(log.Messages(), (std::vector<std::string>(2,
                                                      "Player party state has not been "
                                                      "initialized.")));
}

TEST(BackendComponentFactoryTest, WithoutAPartyThePartyPredicatesAreFalseAndPreparingIsFree) {
  QuietLog log;
  BackendComponentFactory factory;
  const std::unique_ptr<PartiesBackend> parties = factory.MakePartiesBackend();
  for (const bool configured : {false, true}) {
    SCOPED_TRACE(configured ? "parties switched on" : "nothing configured");
    if (configured) {
      parties->EnabledFlag().Set(true);
      parties->TeamBuilderQueuesFlag().Set(true);
    }
    EXPECT_FALSE(parties->IsEnabledForQueue(420));
    EXPECT_FALSE(parties->IsClashParty());
    EXPECT_FALSE(parties->HasQueue());
    EXPECT_TRUE(parties->PrepareForLobbyCreation(420).HasValue());
  }
  // A party without a queue that is not a clash party needs nothing either.
  Lobby::PartiesBackendTesting::Player(*parties).currentParty.emplace();
  Lobby::PartiesBackendTesting::Player(*parties).currentParty->gameMode.queueId = -1;
  EXPECT_FALSE(parties->HasQueue());
  EXPECT_TRUE(parties->PrepareForLobbyCreation(420).HasValue());
  Lobby::PartiesBackendTesting::Player(*parties).currentParty->partyType = "clash";
  EXPECT_TRUE(parties->IsClashParty());
  Lobby::PartiesBackendTesting::Player(*parties).currentParty->gameMode.queueId = 420;
  EXPECT_TRUE(parties->HasQueue());
  EXPECT_TRUE(log.Messages().empty()) << "nothing unbuilt was reached";
}

struct ControllerRow {
  const char* kind;
  std::shared_ptr<LobbyController> (BackendComponentFactory::*make)(LobbyServices*);
  bool isCustomGame;
  bool isPlatformMatchmade;
};

TEST(BackendComponentFactoryTest, MakesTheFourControllersWithTheLobbyTimes) {
  BackendComponentFactory factory;
  auto* owner = reinterpret_cast<LobbyServices*>(&factory);  // compared, never called
  const std::vector<ControllerRow> rows = {
      {"team builder", &BackendComponentFactory::MakeTeamBuilderController, false, false},
      {"arranged team", &BackendComponentFactory::MakeArrangedTeamController, false, true},
      {"custom game", &BackendComponentFactory::MakeCustomGameController, true, false},
      {"invalid", &BackendComponentFactory::MakeInvalidController, false, true},
  };
  for (const ControllerRow& row : rows) {
    SCOPED_TRACE(row.kind);
    const std::shared_ptr<LobbyController> controller = (factory.*row.make)(owner);
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->LobbyLifetime(), 2700);
    EXPECT_EQ(controller->WarningPeriod(), 600);
    EXPECT_EQ(LobbyControllerTesting::Services(*controller), owner);
    EXPECT_EQ(controller->IsCustomGame(), row.isCustomGame);
    EXPECT_EQ(controller->IsPlatformMatchmade(), row.isPlatformMatchmade);
  }
  EXPECT_NE(
      dynamic_cast<TeamBuilderLobbyController*>(factory.MakeTeamBuilderController(owner).get()),
      nullptr);
  EXPECT_NE(
      dynamic_cast<ArrangedTeamLobbyController*>(factory.MakeArrangedTeamController(owner).get()),
      nullptr);
  EXPECT_NE(dynamic_cast<CustomGameLobbyController*>(factory.MakeCustomGameController(owner).get()),
            nullptr);
  EXPECT_NE(dynamic_cast<InvalidLobbyController*>(factory.MakeInvalidController(owner).get()),
            nullptr);
}

TEST(LobbyControllerTest, TheSharedDefaultsRefuseWhatALegacyLobbyCannotDo) {
  // A plugin the defaults below never reach: none of them calls anything.
  std::shared_ptr<LobbyController> controller =
      BackendComponentFactory().MakeArrangedTeamController(nullptr);
  Api::Lobby lobby;
  lobby.gameMode = "CLASSIC";
  Api::LobbyBotParams bot;
  bot.teamId = "200";
  const std::string positions =
      "Can't specify position preferences from any legacy lobby -- that feature is specific to "
      "Team Builder queues.";
  BindingHttpResult preferences = controller->SetPositionPreferences({});
  EXPECT_FALSE(preferences.IsOk());
  EXPECT_EQ(preferences.StatusPart().status, 500);
  EXPECT_EQ(preferences.Result().ErrorMessage(), positions);
  EXPECT_THAT(controller->SwitchTeam(lobby, "100"), FailsWith(500, "NOT_SUPPORTED"));
  EXPECT_TRUE(controller->HandleGameDto(lobby, LCDS::GameDTO{}).HasValue());
  EXPECT_THAT(controller->StartChampionSelection(lobby), FailsWith(500, "NOT_SUPPORTED"));
  EXPECT_THAT(controller->QuitGame(), FailsWith(500, "NOT_SUPPORTED"));
  HttpResult<std::vector<Api::LobbyBotChampion>> bots = controller->GetAvailableBots();
  EXPECT_TRUE(bots.value.empty());
  EXPECT_FALSE(bots.response.ok);
  EXPECT_EQ(bots.response.status.status, 500);
  EXPECT_EQ(bots.response.message, "NOT_SUPPORTED");
  HttpResult<bool> enabled = controller->GetBotsEnabled();
  EXPECT_FALSE(enabled.value);
  EXPECT_FALSE(enabled.response.ok);
  EXPECT_EQ(enabled.response.status.status, 500);
  EXPECT_THAT(controller->AddBot(bot), FailsWith(500, "NOT_SUPPORTED 200"));
  EXPECT_THAT(controller->UpdateCustomBot(lobby, "bot1", bot),
              FailsWith(500, "NOT_SUPPORTED CLASSIC bot1 200"));
  EXPECT_THAT(controller->RemoveBot(lobby, "bot1"), FailsWith(500, "NOT_SUPPORTED CLASSIC bot1"));
  EXPECT_THAT(controller->OnJoinedCustomLobby(lobby), FailsWith(500, "NOT_SUPPORTED CLASSIC"));
  controller->Subscribe();
  controller->Unsubscribe();
}

TEST(LobbyControllerTest, TheInvalidControllerRefusesInviteServiceOperationsWithoutACall) {
  // With no plugin, a call would fail under the sanitizers.
  std::shared_ptr<LobbyController> invalid =
      BackendComponentFactory().MakeInvalidController(nullptr);
  for (const char* method : {"grantInvitePrivileges", "kick", "transferOwnership"}) {
    SCOPED_TRACE(method);
    BindingHttpResult refused = invalid->InviteServiceOperation(method, 123);
    EXPECT_FALSE(refused.IsOk());
    EXPECT_EQ(refused.StatusPart().status, 500);
    EXPECT_EQ(refused.Result().ErrorMessage(),
              "Can't execute Invite Service operation on invalid lobby.");
  }
}

}  // namespace
}  // namespace Zarn::Client::Lobby
