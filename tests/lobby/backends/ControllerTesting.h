// The plugin in-process on the stand-in host with the real lobby controllers and platform
// backend (the parties backend stays a fake), the host's legacy platform and team-builder
// plugin, and a few queues: 420 arranged team, 31 a co-op queue with bots, 440 team builder.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PluginHost.h"
#include "host/TeamBuilderPlugin.h"
#include "lobby/backends/ArrangedTeamLobbyController.h"
#include "lobby/backends/CustomGameLobbyController.h"
#include "lobby/backends/InvalidLobbyController.h"
#include "lobby/backends/PlatformLobbyBackend.h"
#include "lobby/backends/TeamBuilderLobbyController.h"
#include "lobby/model/LegacyClassNames.h"
#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Testing {

inline constexpr std::uint64_t kLocalSummonerId = 2046;
inline constexpr char kInviteService[] = "lcdsGameInvitationService";
inline constexpr char kLobbyStatusClass[] =
    "com.zarnworks.platform.gameinvite.contract.LobbyStatus";

// The fakes' factory with the real platform backend and controllers, kept for the test.
class RealControllerFactory : public FakeComponentFactory {
 public:
  using FakeComponentFactory::FakeComponentFactory;

  std::unique_ptr<Lobby::PlatformBackend> MakePlatformBackend() override {
    return std::make_unique<Lobby::PlatformLobbyBackend>();
  }
  std::shared_ptr<Lobby::LobbyController> MakeTeamBuilderController(
      Lobby::LobbyServices* owner) override {
    realTeamBuilder = std::make_shared<Lobby::TeamBuilderLobbyController>(owner);
    return realTeamBuilder;
  }
  std::shared_ptr<Lobby::LobbyController> MakeArrangedTeamController(
      Lobby::LobbyServices* owner) override {
    realArranged = std::make_shared<Lobby::ArrangedTeamLobbyController>(owner);
    return realArranged;
  }
  std::shared_ptr<Lobby::LobbyController> MakeCustomGameController(
      Lobby::LobbyServices* owner) override {
    realCustom = std::make_shared<Lobby::CustomGameLobbyController>(owner);
    return realCustom;
  }
  std::shared_ptr<Lobby::LobbyController> MakeInvalidController(
      Lobby::LobbyServices* owner) override {
    return std::make_shared<Lobby::InvalidLobbyController>(owner);
  }

  std::shared_ptr<Lobby::TeamBuilderLobbyController> realTeamBuilder;
  std::shared_ptr<Lobby::ArrangedTeamLobbyController> realArranged;
  std::shared_ptr<Lobby::CustomGameLobbyController> realCustom;
};

class ControllerRig : public LobbyRig {
 public:
  // Seeds the queues and starts the plugin, logged in as kLocalSummonerId.
  ControllerRig();
  // The plugin goes before the legacy platform and the team builder it may call.
  ~ControllerRig() override {
    if (!shutDown) Shutdown();
  }

  [[nodiscard]] Lobby::LobbyPlugin& Plugin() { return *plugin; }
  [[nodiscard]] Lobby::Api::Lobby& V1Lobby() { return Lobby::LobbyPluginTesting::V1Lobby(*plugin); }
  [[nodiscard]] Lobby::TeamBuilderLobbyController& TeamBuilder() {
    return *static_cast<RealControllerFactory*>(factory)->realTeamBuilder;
  }
  [[nodiscard]] Lobby::ArrangedTeamLobbyController& Arranged() {
    return *static_cast<RealControllerFactory*>(factory)->realArranged;
  }
  // Creates the local lobby of `queueId` as the v1 route does; fails the test when it fails.
  void CreateLobby(std::int32_t queueId);

  // The legacy platform answers `method` with a lobby status of `invitationId` whose owner and
  // only member is the local player, for `queueId` (none: no queue in its meta-data).
  void ScriptStatus(const std::string& method, const std::string& invitationId,
                    std::int32_t queueId);
  void ScriptLegacyFailure(const std::string& method, const std::string& text);
  // Legacy calls of `method`, their argument lists.
  [[nodiscard]] std::vector<std::string> LegacyCalls(const std::string& method) const;
  // Requests that reached the host, as "METHOD path" (GET, POST, DELETE, ...), from `from` on.
  [[nodiscard]] std::vector<std::string> Requests(std::size_t from = 0) const;
  // Log lines holding `text`, with their levels.
  [[nodiscard]] std::vector<Host::LogLine> Logs(const std::string& text) const;

  Host::LegacyPlatform legacy{host};
  Host::TeamBuilderPlugin teamBuilder{host};
};

// The JSON text of a legacy lobby status with the local player as owner and only member.
[[nodiscard]] std::string LobbyStatusJson(const std::string& invitationId, std::int32_t queueId);

// The "METHOD path" form of Requests.
[[nodiscard]] std::string MethodName(std::uint32_t method);

}  // namespace Zarn::Client::Testing
