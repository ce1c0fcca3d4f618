// The controller of custom and practice games: a custom lobby is a legacy practice game, which
// the controller creates, follows through its game records, and fills with teams and bots.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lobby/core/CustomGameLobbyBuilder.h"
#include "lobby/core/LobbyController.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/runtime/ResourceObservation.h"

namespace Zarn::Client::Lobby {

// Champion aliases of the game data, in ascending alias order, each with its champion id.
using ChampionAliases = std::map<std::string, std::int32_t>;

// Refills `lobby`'s teams, spectators and members from `game` (bots stay in their team only) and
// takes the local player's record as its local member, when it has one.
void RebuildCustomLobbyMembersFromGameDto(Api::Lobby& lobby, const LCDS::GameDTO& game,
                                          std::uint64_t localPlayerId, std::uint64_t ownerId,
                                          const std::vector<std::uint64_t>& inviterIds,
                                          const ChampionAliases& aliases);

class CustomGameLobbyController final : public LobbyController {
 public:
  // `services` is not owned; it outlives the controller.
  explicit CustomGameLobbyController(LobbyServices* services) : LobbyController(services) {}

  // Creates the practice game of `requested`; a practice-tool game whose name is taken is tried
  // once more under a numbered name.
  MaybeType<Failure, Api::Lobby> CreateLobby(const Api::Lobby& requested) override;
  MaybeType<Failure, Api::Lobby> CreatePlatformLobby(const Api::Lobby& current) override;
  bool LeaveLobby(const Api::Lobby& current) override;
  MaybeType<Failure, LCDS::LobbyStatus> AcceptInvitation(const Api::LobbyInvitation& invitation,
                                                         const std::string& invitationId) override;
  // The custom lobby an accept joined, from its status and its game (an empty game when that
  // cannot be looked up); `current`, the lobby before, is not used.
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
  // Releases the three bot-configuration observations; nothing while none is held.
  void Unsubscribe() override;
  bool IsCustomGame() override;
  // Custom games are not matchmade.
  bool IsPlatformMatchmade() override;

  // One attempt at creating the practice game of `requested`.
  MaybeType<Failure, Api::Lobby> CreatePracticeGame(const Api::Lobby& requested);

  // At login: releases the observations of an earlier summoner, keeps `summonerId` and observes
  // the summoner's bot champions and the two bot configuration keys.
  void FetchCustomBotsConfig(std::uint64_t summonerId) override;
  // A Delete changes nothing; otherwise keeps whether skirmish offers bots and recomputes the
  // available bots of the current lobby.
  void OnBotsAvailableInSkirmish(const ResourceUpdate<bool>& event);
  // Publishes the available bots and whether there are any, on v1 and v2.
  void PublishBots();

  // Bots. A new bot of `parameters`, named after its champion's alias.
  [[nodiscard]] LCDS::BotParticipant MakeBotParticipant(
      const Api::LobbyBotParams& parameters) const;
  // The bot of `lobby` with `summonerInternalName`, searched in the team its name ends with; a
  // default bot when there is none.
  [[nodiscard]] LCDS::BotParticipant MakeBotParticipantFromLobby(
      const Api::Lobby& lobby, const std::string& summonerInternalName) const;
  [[nodiscard]] std::string MakeBotDisplayName(const LCDS::BotParticipant& bot) const;
  // The first alias, in alias order, of the bot's champion; empty when none has it.
  [[nodiscard]] std::string GetBotChampionAlias(const LCDS::BotParticipant& bot) const;
  MaybeType<Failure, void> CallSelectBotChampion(const LCDS::BotParticipant& bot);
  MaybeType<Failure, void> CallRemoveBotChampion(const LCDS::BotParticipant& bot);
  // The bot champions when `lobby` allows bots, else none; then publishes them.
  void UpdateAvailableBots(const Api::Lobby& lobby);
  // Observer of the bot champions of `summonerId`'s inventory; acts only while that summoner's
  // inventory is the one observed.
  void OnBotChampionsChanged(std::uint64_t summonerId,
                             const ResourceUpdate<std::vector<Api::CollectionsChampion>>& event);
  void OnBotDifficultiesConfig(const ResourceUpdate<bool>& event);
  // Loads the champion aliases while there are none; a failure is logged and tried again later.
  void FetchBotChampionSummaries();

 private:
  // Sets the game record and the random source, and reads the bot state.
  friend class CustomGameLobbyControllerTesting;

  // The last accepted game record.
  LCDS::GameDTO game;
  // Raised each time `game` is replaced, so that a handler that waited can tell.
  std::uint64_t gameGeneration = 0;
  std::vector<Api::LobbyBotChampion> botChampions;
  // The bot champions that the current lobby may add.
  std::vector<Api::LobbyBotChampion> availableBots;
  std::vector<Api::LobbyBotDifficulty> botDifficulties;
  bool botsInSkirmish = false;
  ChampionAliases championAliases;
  // The summoner whose inventory is observed; 0 while none is.
  std::uint64_t inventorySummonerId = 0;
  std::uint32_t practiceToolPlayerCount = 1;
  // Practice-tool passwords and the suffixes of renamed games.
  RandomSource random = SystemRandomSource();

 private:
  // Held while the bot configuration is observed; the observers do nothing once it is gone.
  std::shared_ptr<bool> alive_;
};

}  // namespace Zarn::Client::Lobby
