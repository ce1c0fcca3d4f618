// The real factory's backends and the controllers' inherited operations, while their building
// is still ahead: each answers a failure that names it, never a success.
#include "lobby/backends/BackendComponentFactory.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/backends/PlatformLobbyBackend.h"
#include "lobby/core/LobbyController.h"
#include "sdk/base/FailureTesting.h"
#include "sdk/base/LogApi.h"
#include "sdk/base/LogTesting.h"

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

void ExpectNotBuiltReply(const BindingHttpResult& reply, const std::string& operation) {
  SCOPED_TRACE(operation);
  EXPECT_FALSE(reply.IsOk());
  EXPECT_EQ(reply.Result().ErrorMessage(), "Not built: " + operation);
  EXPECT_EQ(reply.StatusPart().status, 500);
}

template <class T>
void ExpectNotBuiltReply(const HttpResult<T>& reply, const std::string& operation) {
  SCOPED_TRACE(operation);
  EXPECT_FALSE(reply.response.ok);
  EXPECT_EQ(reply.response.message, "Not built: " + operation);
  EXPECT_EQ(reply.response.status.status, 500);
}

TEST(BackendComponentFactoryTest, MakesTheRealBackendsPlatformWithoutPlugin) {
  BackendComponentFactory factory;
  const std::unique_ptr<PartiesBackend> parties = factory.MakePartiesBackend();
  const std::unique_ptr<PlatformBackend> platform = factory.MakePlatformBackend();
  ASSERT_NE(dynamic_cast<PartiesLobbyBackend*>(parties.get()), nullptr);
  auto* real = dynamic_cast<PlatformLobbyBackend*>(platform.get());
  ASSERT_NE(real, nullptr);
  EXPECT_EQ(real->GetPlugin(), nullptr);
  auto* somePlugin = reinterpret_cast<LobbyPlugin*>(real);  // compared, never called
  platform->SetPlugin(somePlugin);
  EXPECT_EQ(real->GetPlugin(), somePlugin);
  // Nothing of the parties state exists before a start.
  EXPECT_FALSE(parties->loginSession.IsAvailable());
  EXPECT_FALSE(parties->enabledFlag.IsTrue());
  EXPECT_EQ(parties->player.createdAt, 0u);
}

TEST(BackendComponentFactoryTest, UnbuiltBackendOperationsFailNamingThemselves) {
  QuietLog log;
  BackendComponentFactory factory;
  const std::unique_ptr<PartiesBackend> parties = factory.MakePartiesBackend();
  const std::unique_ptr<PlatformBackend> platform = factory.MakePlatformBackend();
  struct Row {
    const char* kind;
    LobbyBackend* backend;
  };
  for (const Row& row :
       {Row{"PartiesLobbyBackend", parties.get()}, Row{"PlatformLobbyBackend", platform.get()}}) {
    const std::string kind = row.kind;
    SCOPED_TRACE(kind);
    EXPECT_THAT(row.backend->GetLobby(), FailsWith(0, "Not built: " + kind + "::GetLobby"));
    EXPECT_THAT(row.backend->LeaveLobby(), FailsWith(0, "Not built: " + kind + "::LeaveLobby"));
    EXPECT_THAT(row.backend->SendInvitations({}),
                FailsWith(0, "Not built: " + kind + "::SendInvitations"));
    EXPECT_FALSE(row.backend->GetLobbyStatus().has_value());
    ExpectNotBuiltReply(row.backend->StartMatchmaking(), kind + "::StartMatchmaking");
    ExpectNotBuiltReply(row.backend->CancelMatchmaking(), kind + "::CancelMatchmaking");
  }
  EXPECT_THAT(parties->PrepareForLobbyCreation(420),
              FailsWith(0, "Not built: PartiesLobbyBackend::PrepareForLobbyCreation"));
  EXPECT_THAT(parties->MakePartyAnalyticsFields("parties-invitation"),
              FailsWith(0, "Not built: PartiesLobbyBackend::MakePartyAnalyticsFields"));
  EXPECT_FALSE(parties->IsEnabledForQueue(420));
  EXPECT_TRUE(parties->BuildReceivedInvitations().empty());
  const std::vector<std::string> expectedLines = {
      "Not built: PartiesLobbyBackend::GetLobby",
      "Not built: PartiesLobbyBackend::LeaveLobby",
      "Not built: PartiesLobbyBackend::SendInvitations",
      "Not built: PartiesLobbyBackend::GetLobbyStatus",
      "Not built: PartiesLobbyBackend::StartMatchmaking",
      "Not built: PartiesLobbyBackend::CancelMatchmaking",
      "Not built: PlatformLobbyBackend::GetLobby",
      "Not built: PlatformLobbyBackend::LeaveLobby",
      "Not built: PlatformLobbyBackend::SendInvitations",
      "Not built: PlatformLobbyBackend::GetLobbyStatus",
      "Not built: PlatformLobbyBackend::StartMatchmaking",
      "Not built: PlatformLobbyBackend::CancelMatchmaking",
      "Not built: PartiesLobbyBackend::PrepareForLobbyCreation",
      "Not built: PartiesLobbyBackend::MakePartyAnalyticsFields",
      "Not built: PartiesLobbyBackend::IsEnabledForQueue",
      "Not built: PartiesLobbyBackend::BuildReceivedInvitations"};
  EXPECT_EQ(log.Messages(), expectedLines);
}

// Overrides only what every controller must.
class BareController final : public LobbyController {
 public:
  explicit BareController(LobbyPlugin* owner) : LobbyController(owner) {}
  MaybeType<Failure, Api::Lobby> CreateLobby(const Api::Lobby& requested) override {
    return requested;
  }
  MaybeType<Failure, Api::Lobby> CreatePlatformLobby(const Api::Lobby& current) override {
    return current;
  }
  bool LeaveLobby(const Api::Lobby&) override { return true; }
  MaybeType<Failure, LCDS::LobbyStatus> AcceptInvitation(const Api::LobbyInvitation&,
                                                         const std::string&) override {
    return LCDS::LobbyStatus{};
  }
  MaybeType<Failure, Api::Lobby> RefreshLobby(const Api::Lobby& current,
                                              LCDS::LobbyStatus) override {
    return current;
  }
  void SetMemberCanInvite(std::uint64_t, bool, Api::Lobby&) override {}
  BindingHttpResult PromotePlayer(std::uint64_t) override { return {}; }
  BindingHttpResult KickPlayer(std::uint64_t) override { return {}; }
  MaybeType<Failure, Api::Lobby> HandleLobbyStatus(const Api::Lobby& current,
                                                   LCDS::LobbyStatus) override {
    return current;
  }
};

TEST(LobbyControllerTest, StartsWithTheLobbyTimesAndUnbuiltDefaultsFail) {
  QuietLog log;
  auto* owner = reinterpret_cast<LobbyPlugin*>(&log);  // compared, never called
  std::unique_ptr<LobbyController> controller = std::make_unique<BareController>(owner);
  EXPECT_EQ(controller->lobbyLifetime, 2700);
  EXPECT_EQ(controller->warningPeriod, 600);
  EXPECT_EQ(controller->plugin, owner);

  Api::Lobby lobby;
  ExpectNotBuiltReply(controller->GrantInvitePrivileges(7),
                      "LobbyController::GrantInvitePrivileges");
  ExpectNotBuiltReply(controller->InviteServiceOperation("kick", 7),
                      "LobbyController::InviteServiceOperation");
  ExpectNotBuiltReply(controller->GetAvailableBots(), "LobbyController::GetAvailableBots");
  ExpectNotBuiltReply(controller->GetBotsEnabled(), "LobbyController::GetBotsEnabled");
  EXPECT_THAT(controller->SwitchTeam(lobby, "100"),
              FailsWith(0, "Not built: LobbyController::SwitchTeam"));
  EXPECT_FALSE(controller->IsPlatformMatchmade());
  EXPECT_EQ(log.Messages().size(), 6u);
  controller.reset();  // through the base
}

}  // namespace
}  // namespace Zarn::Client::Lobby
