// The plugin in-process on the stand-in host with the real custom game controller and platform
// backend (the other parts stay fakes), the host's legacy platform, one known queue, a logged-in
// summoner 2046 and the game data the custom games read: the champion aliases "Brakka" (1),
// "Corvel" (22) and "Dunmar" (238), and Brakka the only bot champion of the summoner's inventory.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PluginHost.h"
#include "lobby/backends/CustomGameLobbyController.h"
#include "lobby/backends/PlatformLobbyBackend.h"
#include "lobby/model/LegacyClassNames.h"
#include "tests/lobby/backends/CustomGameLobbyControllerTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Testing {

inline constexpr std::uint64_t kLocalSummonerId = 2046;
inline constexpr char kGameService[] = "gameService";
inline constexpr char kGameDtoClass[] = "com.zarnworks.platform.game.GameDTO";
inline constexpr char kInventoryPath[] = "/jyx-champions/v1/inventories/2046/champions-minimal";
inline constexpr char kSummaryPath[] = "/jyx-game-data/assets/v1/champion-summary.json";
inline constexpr char kIntermediatePath[] =
    "/jyx-platform-config/v1/namespaces/BotConfigurations/IntermediateInCustoms";
inline constexpr char kSkirmishPath[] =
    "/jyx-platform-config/v1/namespaces/CustomGame/BotsAvailableInSkirmish";

// The fakes' factory with the real custom game controller and platform backend.
class CustomGameFactory : public FakeComponentFactory {
 public:
  using FakeComponentFactory::FakeComponentFactory;

  std::unique_ptr<Lobby::PlatformBackend> MakePlatformBackend() override {
    return std::make_unique<Lobby::PlatformLobbyBackend>();
  }
  std::shared_ptr<Lobby::LobbyController> MakeCustomGameController(
      Lobby::LobbyServices* owner) override {
    realCustom = std::make_shared<Lobby::CustomGameLobbyController>(owner);
    // Counts up from 7 for each draw, so that passwords and suffixes are known.
    auto next = std::make_shared<std::uint32_t>(7);
    Lobby::CustomGameLobbyControllerTesting::Random(*realCustom) = [next] { return (*next)++; };
    return realCustom;
  }

  std::shared_ptr<Lobby::CustomGameLobbyController> realCustom;
};

class CustomGameRig : public LobbyRig {
 public:
  // Seeds the world; `start` also starts the plugin.
  explicit CustomGameRig(bool start = true);
  // The plugin goes before the legacy platform it may call.
  ~CustomGameRig() override {
    if (!shutDown) Shutdown();
  }

  void Start();
  [[nodiscard]] Lobby::CustomGameLobbyController& Controller() {
    return *static_cast<CustomGameFactory*>(factory)->realCustom;
  }
  [[nodiscard]] Lobby::Api::Lobby& V1Lobby() { return Lobby::LobbyPluginTesting::V1Lobby(*plugin); }
  // The paths of the resources published from `from` on, in order ("uri" of each event).
  [[nodiscard]] std::vector<std::string> PublishedPaths(std::size_t from = 0) const;
  // The data of each publication of `uri` from `from` on, as compact JSON.
  [[nodiscard]] std::vector<std::string> PublishedData(const std::string& uri,
                                                       std::size_t from = 0) const;
  // The legacy calls of `method` since `from` (an index into the platform's invocations).
  [[nodiscard]] std::vector<std::string> Arguments(const std::string& method,
                                                   std::size_t from = 0) const;
  // The host's log lines holding `text`, each as "<level> <message>".
  [[nodiscard]] std::vector<std::string> Logs(const std::string& text) const;

  // The platform answers `method` with a game record (compact JSON body).
  void AnswerGame(const std::string& method, const std::string& gameJson);
  void AnswerNothing(const std::string& method);
  void Throw(const std::string& method, const std::string& exception);
  // Lets the gameflow plugin allow lobbies.
  void AllowLobbies();

  Host::LegacyPlatform legacy{host};
};

// A game record of game 123 "My Game" in `state`, lock `lock`, five players, team one holding
// the local player and the bot "bot_Brakka_100" (skill 1), the owner 2046, map 11, CLASSIC.
[[nodiscard]] std::string GameJson(const std::string& state, std::int64_t lock = 1,
                                   std::int64_t id = 123, const std::string& teamTwo = "[]");

// The body of a custom lobby change: map 11 "CLASSIC", team size 5, the game mutator given.
[[nodiscard]] Lobby::Api::LobbyChangeGameDto CustomChange(const std::string& mutator = "",
                                                          const std::string& name = "Lobby");

}  // namespace Zarn::Client::Testing
