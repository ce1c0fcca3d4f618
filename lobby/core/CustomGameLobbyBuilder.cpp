#include "lobby/core/CustomGameLobbyBuilder.h"

#include <memory>
#include <random>
#include <string>

#include "lobby/core/CustomGameRules.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/QueueFeatures.h"

namespace Zarn::Client::Lobby {

void BuildCustomGameLobbyFromGameDto(Api::Lobby& lobby, const LCDS::GameDTO& game,
                                     const Api::QueueGameTypeConfig& gameTypeConfig,
                                     std::uint32_t practiceToolPlayerCount) {
  if (!lobby.customGameLobby.has_value()) lobby.customGameLobby.emplace();
  Api::LobbyCustomGameLobby& custom = *lobby.customGameLobby;
  custom.gameId = static_cast<std::uint64_t>(game.id);
  custom.lobbyName = game.name;
  custom.practiceGameRewardsDisabledReasons = game.practiceGameRewardsDisabledReasons;

  Api::LobbyCustomGameConfiguration& configuration = custom.configuration;
  configuration.mapId = game.mapId;
  configuration.gameMode = game.gameMode;
  configuration.gameTypeConfig = gameTypeConfig;
  ApplyGameTypeFeatureNames(game.gameMutators, configuration.gameTypeConfig,
                            configuration.gameMutator);
  configuration.mutators = configuration.gameTypeConfig;
  configuration.teamSize = game.maxNumPlayers / 2;
  configuration.spectatorPolicy = LcdsStringToSpectatorPolicy(game.spectatorsAllowed);
  // A tournament game carries both passback fields; one alone is no tournament.
  if (!game.passbackUrl.empty() && !game.passbackDataPacket.empty()) {
    configuration.tournamentGameMode = game.gameMode;
    configuration.tournamentPassbackUrl = game.passbackUrl;
    configuration.tournamentPassbackDataPacket = game.passbackDataPacket;
  }

  lobby.queueId = -1;
  lobby.mapId = game.mapId;
  lobby.gameMode = game.gameMode;
  lobby.maximumParticipantListSize =
      game.maxNumPlayers > 0 ? static_cast<std::uint32_t>(game.maxNumPlayers) : 0;
  if (HasPracticeToolMutator(configuration)) {
    configuration.maxPlayerCount = practiceToolPlayerCount;
  }
  lobby.isCustom = true;
  lobby.chatRoomId =
      LobbyPlugin::MakePlatformHostName(game.name + std::to_string(game.id), "ap", "@sec");
  lobby.chatRoomKey = game.roomPassword;
}

RandomSource SystemRandomSource() {
  // Shared by the copies of the source: a random device is costly to open.
  auto device = std::make_shared<std::random_device>();
  return [device] { return static_cast<std::uint32_t>((*device)()); };
}

void MakePracticeToolGamePrivate(LCDS::PracticeGameConfig& config, const RandomSource& random) {
  config.gamePassword = std::to_string(random());
  config.allowSpectators = "NONE";
}

}  // namespace Zarn::Client::Lobby
