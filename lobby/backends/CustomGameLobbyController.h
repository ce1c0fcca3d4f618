// The controller of custom and practice games.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/core/LobbyController.h"
#include "sdk/runtime/ResourceObservation.h"

namespace Zarn::Client::Lobby {

class CustomGameLobbyController final : public LobbyController {
 public:
  // `owner` is not owned; it outlives the controller.
  explicit CustomGameLobbyController(LobbyPlugin* owner) : LobbyController(owner) {}

  MaybeType<Failure, Api::Lobby> CreateLobby(const Api::Lobby& requested) override;
  MaybeType<Failure, Api::Lobby> CreatePlatformLobby(const Api::Lobby& current) override;
  bool LeaveLobby(const Api::Lobby& current) override;
  MaybeType<Failure, LCDS::LobbyStatus> AcceptInvitation(const Api::LobbyInvitation& invitation,
                                                         const std::string& invitationId) override;
  MaybeType<Failure, Api::Lobby> RefreshLobby(const Api::Lobby& current,
                                              LCDS::LobbyStatus status) override;
  void SetMemberCanInvite(std::uint64_t summonerId, bool canInvite, Api::Lobby& lobby) override;
  BindingHttpResult PromotePlayer(std::uint64_t summonerId) override;
  BindingHttpResult KickPlayer(std::uint64_t summonerId) override;
  MaybeType<Failure, void> SwitchTeam(Api::Lobby& lobby, const std::string& team) override;
  MaybeType<Failure, void> HandleGameDto(Api::Lobby& lobby, LCDS::GameDTO game) override;
  MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse> StartChampionSelection(
      Api::Lobby& lobby) override;
  MaybeType<Failure, void> QuitGame() override;
  HttpResult<std::vector<Api::LobbyBotChampion>> GetAvailableBots() override;
  HttpResult<bool> GetBotsEnabled() override;
  MaybeType<Failure, void> AddBot(Api::LobbyBotParams parameters) override;
  MaybeType<Failure, void> UpdateCustomBot(Api::Lobby& lobby,
                                           const std::string& summonerInternalName,
                                           Api::LobbyBotParams parameters) override;
  MaybeType<Failure, void> RemoveBot(Api::Lobby& lobby,
                                     const std::string& summonerInternalName) override;
  MaybeType<Failure, void> OnJoinedCustomLobby(Api::Lobby& lobby) override;
  MaybeType<Failure, Api::Lobby> HandleLobbyStatus(const Api::Lobby& current,
                                                   LCDS::LobbyStatus status) override;
  void Unsubscribe() override;
  bool IsCustomGame() override;
  // Custom games are not matchmade.
  bool IsPlatformMatchmade() override;

  // At login: keeps `summonerId` and observes the summoner's bot champions and the two bot
  // configuration keys.
  void FetchCustomBotsConfig(std::uint64_t summonerId);
  // A Delete changes nothing; otherwise keeps whether skirmish offers bots and recomputes the
  // available bots of the current lobby.
  void OnBotsAvailableInSkirmish(const ResourceUpdate<bool>& event);
  // Publishes the available bots and whether there are any, on v1 and v2.
  void PublishBots();

  // The bot champions that the current lobby may add.
  std::vector<Api::LobbyBotChampion> availableBots;
};

}  // namespace Zarn::Client::Lobby
