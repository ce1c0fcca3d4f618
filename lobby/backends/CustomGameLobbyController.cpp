#include "lobby/backends/CustomGameLobbyController.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lobby/backends/ArrangedTeamLobbyController.h"
#include "lobby/core/CustomGameMembers.h"
#include "lobby/core/CustomGameRules.h"
#include "lobby/core/GameMetaData.h"
#include "lobby/core/GameflowPhaseNames.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/LobbyFlowGate.h"
#include "lobby/core/LobbyMembers.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/core/LobbyViews.h"
#include "lobby/core/QueueFeatures.h"
#include "lobby/model/LegacyDataRecords.h"
#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/LcdsCall.h"
#include "sdk/runtime/LegacyGameExceptions.h"
#include "sdk/runtime/Requests.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kGameService[] = "gameService";
constexpr char kConfigurationMissing[] =
    "Invalid custom lobby configuration (customGameLobby missing)";
constexpr char kAliasesMissing[] = "Unable to update champion aliases";
constexpr char kInvalidTeam[] = "Couldn't switch team, invalid team argument";
constexpr char kNotInTeamSelect[] =
    "Custom lobby must be in team select to transition to StartChampSelect";
constexpr char kInventoryPathTemplate[] = "/jyx-champions/v1/inventories/%1/champions-minimal";
constexpr char kIntermediateInCustomsPath[] =
    "/jyx-platform-config/v1/namespaces/BotConfigurations/IntermediateInCustoms";
constexpr char kBotsInSkirmishPath[] =
    "/jyx-platform-config/v1/namespaces/CustomGame/BotsAvailableInSkirmish";
constexpr char kChampionSummaryPath[] = "/jyx-game-data/assets/v1/champion-summary.json";

// A legacy call's failure as the status its exception class stands for, with its text.
Failure MappedFailure(const Failure& failure) {
  return Failure(MapLegacyGameExceptionToStatus(failure.Message()), std::string(failure.Message()));
}

// The same status with `text` made from the template, logged as a refused request.
Failure BotFailure(const Failure& failure, const char* templateText) {
  const std::string text = Format(templateText, failure.Message());
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "%s", text.c_str());
  return Failure(failure.Code() == 0 ? 500 : failure.Code(), text);
}

void Unobserve(LobbyServices& services, const std::string& path) {
  services.Runtime().UnsubscribeEvent(path);
}

std::string InventoryPath(std::uint64_t summonerId) {
  return Format(kInventoryPathTemplate, summonerId);
}

}  // namespace

void RebuildCustomLobbyMembersFromGameDto(Api::Lobby& lobby, const LCDS::GameDTO& game,
                                          std::uint64_t localPlayerId, std::uint64_t ownerId,
                                          const std::vector<std::uint64_t>& inviterIds,
                                          const ChampionAliases& aliases) {
  if (!lobby.customGameLobby.has_value()) lobby.customGameLobby.emplace();
  Api::LobbyCustomGameLobby& custom = *lobby.customGameLobby;
  custom.teamOne.clear();
  custom.teamTwo.clear();
  custom.spectators.clear();
  lobby.members.clear();
  BuildLobbyMembers(custom.teamOne, lobby.members, game.teamOne, ownerId, inviterIds, false,
                    aliases);
  BuildLobbyMembers(custom.teamTwo, lobby.members, game.teamTwo, ownerId, inviterIds, false,
                    aliases);
  BuildLobbyMembers(custom.spectators, lobby.members, game.observers, ownerId, inviterIds, true,
                    aliases);
  for (const std::vector<Api::LobbyMember>* list : {&lobby.members, &custom.spectators}) {
    for (const Api::LobbyMember& member : *list) {
      if (member.id == localPlayerId) {
        lobby.localMember = member;
        return;
      }
    }
  }
}

bool CustomGameLobbyController::IsCustomGame() { return true; }

bool CustomGameLobbyController::IsPlatformMatchmade() { return false; }

void CustomGameLobbyController::PublishBots() {
  // A copy: the list is the controller's, and a publication may let the host call in.
  const std::vector<Api::LobbyBotChampion> bots = availableBots;
  const bool enabled = !bots.empty();
  Services()->Runtime().SendJsonApiEvent(kResourceUpdate,
                                         "/jyx-lobby/v1/lobby/custom/available-bots", bots);
  Services()->Runtime().SendJsonApiEvent(kResourceUpdate, "/jyx-lobby/v1/lobby/custom/bots-enabled",
                                         enabled);
  Services()->Runtime().SendJsonApiEvent(kResourceUpdate,
                                         "/jyx-lobby/v2/lobby/custom/available-bots", bots);
  Services()->Runtime().SendJsonApiEvent(kResourceUpdate, "/jyx-lobby/v2/lobby/custom/bots-enabled",
                                         enabled);
}

MaybeType<Failure, Api::Lobby> CustomGameLobbyController::CreateLobby(const Api::Lobby& requested) {
  Api::Lobby attempt = requested;
  const bool practiceTool = attempt.customGameLobby.has_value() &&
                            HasPracticeToolMutator(attempt.customGameLobby->configuration);
  if (!practiceTool) return CreatePracticeGame(attempt);
  MaybeType<Failure, Api::Lobby> created = CreatePracticeGame(attempt);
  if (created.HasValue() || created.GetFailure().Code() != 409) return created;
  // The name is taken: once more under the same name with a number after it.
  attempt.customGameLobby->lobbyName =
      Format("%1 %2", attempt.customGameLobby->lobbyName, random());
  return CreatePracticeGame(attempt);
}

MaybeType<Failure, Api::Lobby> CustomGameLobbyController::CreatePracticeGame(
    const Api::Lobby& requested) {
  if (!requested.customGameLobby.has_value()) return Failure(400, kConfigurationMissing);
  // A copy: every step below may wait.
  const Api::LobbyCustomGameLobby custom = *requested.customGameLobby;
  const Api::LobbyCustomGameConfiguration& configuration = custom.configuration;
  const std::int64_t configId = configuration.gameTypeConfig.id > 0
                                    ? configuration.gameTypeConfig.id
                                    : configuration.mutators.id;
  MaybeType<Failure, Api::QueueGameTypeConfig> gameTypeConfig =
      Services()->Runtime().Request<Api::QueueGameTypeConfig>(
          HttpMethod::Get,
          Format("/jyx-game-queues/v1/game-type-config/%1/map/%2", configId, configuration.mapId));
  if (gameTypeConfig.IsFailure()) {
    return Failure(500, Format("Invalid custom lobby configuration (game type config): %1",
                               gameTypeConfig.Message()));
  }
  FetchBotChampionSummaries();
  if (championAliases.empty()) return Failure(500, kAliasesMissing);

  LCDS::PracticeGameConfig config;
  config.gameName = custom.lobbyName;
  config.gamePassword = custom.lobbyPassword;
  config.gameMap.mapId = configuration.mapId;
  config.gameMap.name.clear();
  config.gameMap.displayName.clear();
  config.gameMap.description.clear();
  config.gameMap.minCustomPlayers = 1;
  config.gameMap.totalPlayers = configuration.teamSize * 2;
  config.gameMode = gameTypeConfig->gameModeOverride.value_or(configuration.gameMode);
  config.maxNumPlayers = configuration.teamSize * 2;
  config.allowSpectators = SpectatorPolicyToLcdsString(configuration.spectatorPolicy);
  config.gameTypeConfig = static_cast<std::int32_t>(gameTypeConfig->id);
  config.gameMutators = GameTypeConfigFeatureNames(configuration.gameTypeConfig);
  if (!configuration.gameMutator.empty()) config.gameMutators.push_back(configuration.gameMutator);
  config.region = configuration.gameServerRegion;
  if (HasPracticeToolMutator(configuration)) MakePracticeToolGamePrivate(config, random);

  MaybeType<Failure, LCDS::GameDTO> created =
      Services()->Runtime().LcdsCallSync<LCDS::GameDTO>(kGameService, "createPracticeGame", config);
  if (created.IsFailure()) {
    const Failure failure = MappedFailure(created.GetFailure());
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "gameService.createPracticeGame failed. Sending error code: %d", failure.Code());
    return failure;
  }
  const LCDS::GameDTO createdGame = std::move(created).Value();
  // Overtaken, the game made is no one's: nothing may show the lobby a status names for it.
  if (!Services()->IsLobbyRequestUnderWay()) {
    Services()->AbandonOrphanedGame(static_cast<std::uint64_t>(createdGame.id));
  }
  Api::Lobby lobby =
      MakeCustomLobbyFromGameDto(createdGame, gameTypeConfig.Value(), practiceToolPlayerCount);
  const std::uint64_t local = Services()->LocalSummonerId();
  RebuildCustomLobbyMembersFromGameDto(lobby, createdGame, local, local, {local}, championAliases);
  game = createdGame;
  ++gameGeneration;
  UpdateAvailableBots(lobby);
  return lobby;
}

MaybeType<Failure, Api::Lobby> CustomGameLobbyController::CreatePlatformLobby(
    const Api::Lobby& current) {
  Api::Lobby lobby = current;
  UpdateAvailableBots(lobby);
  return lobby;
}

bool CustomGameLobbyController::LeaveLobby(const Api::Lobby& /*current*/) {
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Leaving Platform lobby");
  MaybeType<Failure, void> quit =
      Services()->Runtime().LcdsCallSync<void>(kGameService, "quitGame");
  if (quit.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Failed to leave Platform lobby: %s",
              quit.Message());
    return false;
  }
  return true;
}

MaybeType<Failure, LCDS::LobbyStatus> CustomGameLobbyController::AcceptInvitation(
    const Api::LobbyInvitation& /*invitation*/, const std::string& invitationId) {
  return ArrangedTeamLobbyController::AcceptPlatformInvitation(*Services(), invitationId);
}

MaybeType<Failure, Api::Lobby> CustomGameLobbyController::RefreshLobby(
    const Api::Lobby& /*current*/, LCDS::LobbyStatus status) {
  // The lobby joined, nothing of the one before it: the game, when it cannot be looked up, is
  // left empty but for its id, the lobby still a custom game's, which the game's updates fill.
  Api::Lobby lobby = LobbyFromStatus(status);
  lobby.isCustom = true;
  lobby.customGameLobby.emplace();
  Api::LcdsGameMetaData metaData;
  if (!ReadLcdsGameMetaData(status.gameMetaData, Services()->Runtime().Registry(), metaData)) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Unable to deserialize gameMetaData");
  }
  lobby.customGameLobby->gameId = metaData.gameId;
  MaybeType<Failure, LCDS::GameDTO> found =
      Services()->Runtime().LcdsCallSync<LCDS::GameDTO>(kGameService, "getGame", metaData.gameId);
  if (found.HasValue()) {
    const LCDS::GameDTO foundGame = std::move(found).Value();
    MaybeType<Failure, Api::QueueGameTypeConfig> config =
        Services()->Runtime().Request<Api::QueueGameTypeConfig>(
            HttpMethod::Get,
            Format("/jyx-game-queues/v1/game-type-config/%1", foundGame.gameTypeConfigId));
    BuildCustomGameLobbyFromGameDto(lobby, foundGame,
                                    config.HasValue() ? config.Value() : Api::QueueGameTypeConfig{},
                                    practiceToolPlayerCount);
  } else {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Unable to lookup game: %s", found.Message());
  }
  MaybeType<Failure, Api::Lobby> handled = HandleLobbyStatus(lobby, std::move(status));
  if (handled.HasValue()) UpdateAvailableBots(handled.Value());
  return handled;
}

MaybeType<Failure, Api::Lobby> CustomGameLobbyController::HandleLobbyStatus(
    const Api::Lobby& current, LCDS::LobbyStatus status) {
  // A game the plugin joined has no lobby id before its first status: that status, of the game
  // asked for, enters its lobby, though the player may have left that lobby before.
  Api::LcdsGameMetaData metaData;
  if (current.invitationId.empty() && current.customGameLobby.has_value() &&
      current.customGameLobby->gameId != 0 &&
      ReadLcdsGameMetaData(status.gameMetaData, Services()->Runtime().Registry(), metaData) &&
      metaData.gameId == current.customGameLobby->gameId) {
    Services()->ReenterLobby(status.invitationId);
  }
  Api::Lobby lobby = current;
  lobby.invitationId = status.invitationId;
  const std::uint64_t local = Services()->LocalSummonerId();
  const auto apply = [&](std::vector<Api::LobbyMember>& list) {
    for (Api::LobbyMember& record : list) {
      for (const LCDS::Member& member : status.members) {
        if (member.summonerId != record.id) continue;
        record.isOwner = member.summonerId == status.owner.summonerId;
        record.canInviteOthers = member.hasDelegatedInvitePower || record.isOwner;
        if (record.id == local) lobby.localMember = record;
        break;
      }
    }
  };
  apply(lobby.members);
  if (lobby.customGameLobby.has_value()) {
    apply(lobby.customGameLobby->teamOne);
    apply(lobby.customGameLobby->teamTwo);
    apply(lobby.customGameLobby->spectators);
  }
  MapPlatformState(lobby, status.invitees);
  return lobby;
}

void CustomGameLobbyController::SetMemberCanInvite(std::uint64_t summonerId, bool canInvite,
                                                   Api::Lobby& lobby) {
  if (!lobby.customGameLobby.has_value()) return;
  Api::LobbyCustomGameLobby& custom = *lobby.customGameLobby;
  for (std::vector<Api::LobbyMember>* list :
       {&custom.teamOne, &custom.teamTwo, &custom.spectators}) {
    for (Api::LobbyMember& member : *list) {
      if (member.id == summonerId) member.canInviteOthers = canInvite || member.isOwner;
    }
  }
}

BindingHttpResult CustomGameLobbyController::PromotePlayer(std::uint64_t /*summonerId*/) {
  return MakeInternalServerError(std::string_view("NOT_SUPPORTED"));
}

BindingHttpResult CustomGameLobbyController::KickPlayer(std::uint64_t summonerId) {
  bool observer = false;
  for (const LCDS::PlayerParticipant& participant : game.observers) {
    if (participant.summonerId == summonerId) observer = true;
  }
  if (!observer && !Services()->Members().IsMemberInLobby(summonerId))
    return MakeNotFound(std::string_view("Not found"));
  // Read before the waits, which may let a newer game replace it.
  const std::int64_t gameId = game.id;
  MaybeType<Failure, Api::Summoner> summoner = Services()->Runtime().Request<Api::Summoner>(
      HttpMethod::Get, "/jyx-summoner/v1/summoners/" + std::to_string(summonerId));
  if (summoner.IsFailure()) {
    return MakeInternalServerError("Unable to find summoner: %1", summoner.Message());
  }
  MaybeType<Failure, void> banned = Services()->Runtime().LcdsCallSync<void>(
      kGameService, observer ? "banObserverFromGame" : "banUserFromGame", gameId,
      summoner->accountId);
  if (banned.IsFailure())
    return MakeInternalServerError("Failed to kick user: %1", banned.Message());
  return BindingHttpResult();
}

MaybeType<Failure, void> CustomGameLobbyController::SwitchTeam(Api::Lobby& lobby,
                                                               const std::string& team) {
  if (!lobby.customGameLobby.has_value()) return Failure(400, kConfigurationMissing);
  const std::uint64_t gameId = lobby.customGameLobby->gameId;
  const bool toOne = team == "one";
  const bool toTwo = team == "two";
  MaybeType<Failure, void> switched = MaybeType<Failure, void>::Success();
  const char* failureTemplate = nullptr;
  if (lobby.localMember.isSpectator) {
    if (!toOne && !toTwo) return Failure(412, kInvalidTeam);
    const std::int32_t teamId = toOne ? 100 : 200;
    switched = Services()->Runtime().LcdsCallSync<void>(kGameService, "switchObserverToPlayer",
                                                        gameId, teamId);
    failureTemplate = "Failed to switch to team: %1";
  } else if (team == "spectator") {
    switched =
        Services()->Runtime().LcdsCallSync<void>(kGameService, "switchPlayerToObserver", gameId);
    failureTemplate = "Failed to switch to observer: %1";
  } else if (toOne || toTwo || team.empty()) {
    // The platform moves the player to the other team, whichever was named.
    switched = Services()->Runtime().LcdsCallSync<void>(kGameService, "switchTeams", gameId);
    failureTemplate = "Failed to switch team: %1";
  } else {
    return Failure(412, kInvalidTeam);
  }
  if (switched.IsFailure()) return Failure(500, Format(failureTemplate, switched.Message()));
  return MaybeType<Failure, void>::Success();
}

MaybeType<Failure, void> CustomGameLobbyController::HandleGameDto(Api::Lobby& lobby,
                                                                  LCDS::GameDTO update) {
  if (update.id == game.id && game.optimisticLock > update.optimisticLock) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "GameDTO received update with old state, ignoring");
    return MaybeType<Failure, void>::Success();
  }
  game = update;
  const std::uint64_t generation = ++gameGeneration;
  if (update.gameState == kPhaseTerminated) {
    Api::Lobby ended;
    ended.invitationId = Services()->V1Lobby().invitationId;
    Services()->ApplyLobbyUpdate(ended);
    return MaybeType<Failure, void>::Success();
  }
  if (update.gameState != kPhaseTeamSelect) return MaybeType<Failure, void>::Success();
  MaybeType<Failure, Api::QueueGameTypeConfig> config =
      Services()->Runtime().Request<Api::QueueGameTypeConfig>(
          HttpMethod::Get,
          Format("/jyx-game-queues/v1/game-type-config/%1", update.gameTypeConfigId));
  if (config.IsFailure()) {
    return Failure(500, Format("Unable to map GameDTO, Invalid GameTypeConfig %1: %2",
                               update.gameTypeConfigId, config.Message()));
  }
  FetchBotChampionSummaries();
  if (championAliases.empty()) return Failure(500, kAliasesMissing);
  // A newer update handled during the waits has built the lobby already; this one is stale.
  if (generation != gameGeneration) return MaybeType<Failure, void>::Success();
  // `lobby` was handed over before the waits, and may be another lobby's now that a call made
  // during them moved LobbyFlow: the store below passes no chokepoint that could refuse it.
  if (Services()->FlowGate().Stops(CallGate::Act::kStore, {"the custom game's lobby", {}})) {
    return MaybeType<Failure, void>::Success();
  }

  const std::uint64_t ownerId = update.ownerSummary.summonerId;
  std::vector<std::uint64_t> inviterIds;
  const auto collect = [&](const std::vector<Api::LobbyMember>& list) {
    for (const Api::LobbyMember& member : list) {
      if (member.canInviteOthers || member.id == ownerId) inviterIds.push_back(member.id);
    }
  };
  collect(lobby.members);
  if (lobby.customGameLobby.has_value()) collect(lobby.customGameLobby->spectators);
  BuildCustomGameLobbyFromGameDto(lobby, update, config.Value(), practiceToolPlayerCount);
  RebuildCustomLobbyMembersFromGameDto(lobby, update, Services()->LocalSummonerId(), ownerId,
                                       inviterIds, championAliases);
  // The game may have changed the map or the mode the bots depend on.
  UpdateAvailableBots(lobby);
  Services()->PublishV1LobbyParts();
  return MaybeType<Failure, void>::Success();
}

MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse>
CustomGameLobbyController::StartChampionSelection(Api::Lobby& lobby) {
  if (game.gameState != kPhaseTeamSelect) {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "%s", kNotInTeamSelect);
    return Failure(500, kNotInTeamSelect);
  }
  if (!lobby.customGameLobby.has_value()) return Failure(400, kConfigurationMissing);
  MaybeType<Failure, LCDS::StartChampSelectDto> started =
      Services()->Runtime().LcdsCallSync<LCDS::StartChampSelectDto>(
          kGameService, "startChampionSelection", lobby.customGameLobby->gameId,
          game.optimisticLock);
  if (started.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Error starting champSelect: : %s",
              started.Message());
    return Failure(MapLegacyGameExceptionToStatus(started.Message()),
                   Format("Error starting champSelect: %1", started.Message()));
  }
  Api::LobbyCustomChampSelectStartResponse response;
  response.success = started->invalidPlayers.empty();
  for (const LCDS::FailedJoinPlayer& player : started->invalidPlayers) {
    Api::LobbyCustomFailedPlayer failed;
    failed.summonerId = player.summoner.sumId;
    failed.summonerName = player.summoner.name;
    failed.reason = player.reasonFailed;
    response.failedPlayers.push_back(std::move(failed));
  }
  return response;
}

MaybeType<Failure, void> CustomGameLobbyController::QuitGame() {
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Quitting custom game.");
  MaybeType<Failure, void> quit =
      Services()->Runtime().LcdsCallSync<void>(kGameService, "quitGame");
  if (quit.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Error cancelling champSelect: : %s",
              quit.Message());
    return Failure(500, Format("Error cancelling champSelect: %1", quit.Message()));
  }
  static_cast<void>(Services()->QuitLobbyState());
  return MaybeType<Failure, void>::Success();
}

HttpResult<std::vector<Api::LobbyBotChampion>> CustomGameLobbyController::GetAvailableBots() {
  return std::vector<Api::LobbyBotChampion>(availableBots);
}

HttpResult<bool> CustomGameLobbyController::GetBotsEnabled() { return !availableBots.empty(); }

LCDS::BotParticipant CustomGameLobbyController::MakeBotParticipant(
    const Api::LobbyBotParams& parameters) const {
  LCDS::BotParticipant bot;
  bot.botSkillLevel = static_cast<std::int32_t>(parameters.botDifficulty);
  bot.championId = parameters.championId;
  bot.teamId = parameters.teamId;
  bot.summonerInternalName = Format("bot_%1_%2", GetBotChampionAlias(bot), bot.teamId);
  bot.summonerName = MakeBotDisplayName(bot);
  return bot;
}

LCDS::BotParticipant CustomGameLobbyController::MakeBotParticipantFromLobby(
    const Api::Lobby& lobby, const std::string& summonerInternalName) const {
  const std::size_t underscore = summonerInternalName.rfind('_');
  const std::string last = underscore == std::string::npos
                               ? summonerInternalName
                               : summonerInternalName.substr(underscore + 1);
  const bool teamOne = last == "100";
  LCDS::BotParticipant bot;
  if (!lobby.customGameLobby.has_value()) return bot;
  const std::vector<Api::LobbyMember>& team =
      teamOne ? lobby.customGameLobby->teamOne : lobby.customGameLobby->teamTwo;
  for (const Api::LobbyMember& member : team) {
    if (!member.isBot || member.summonerInternalName != summonerInternalName) continue;
    bot.summonerInternalName = summonerInternalName;
    bot.botSkillLevel = static_cast<std::int32_t>(member.botDifficulty);
    bot.championId = member.botChampionId;
    bot.teamId = teamOne ? "100" : "200";
    bot.summonerName = MakeBotDisplayName(bot);
    break;
  }
  return bot;
}

std::string CustomGameLobbyController::MakeBotDisplayName(const LCDS::BotParticipant& bot) const {
  return Format("%1 bot", GetBotChampionAlias(bot));
}

std::string CustomGameLobbyController::GetBotChampionAlias(const LCDS::BotParticipant& bot) const {
  for (const auto& [alias, id] : championAliases) {
    if (id == bot.championId) return alias;
  }
  return std::string();
}

MaybeType<Failure, void> CustomGameLobbyController::CallSelectBotChampion(
    const LCDS::BotParticipant& bot) {
  MaybeType<Failure, void> selected = Services()->Runtime().LcdsCallSync<void>(
      kGameService, "selectBotChampion", bot.championId, bot);
  if (selected.IsFailure()) return MappedFailure(selected.GetFailure());
  return selected;
}

MaybeType<Failure, void> CustomGameLobbyController::CallRemoveBotChampion(
    const LCDS::BotParticipant& bot) {
  MaybeType<Failure, void> removed = Services()->Runtime().LcdsCallSync<void>(
      kGameService, "removeBotChampion", bot.championId, bot);
  if (removed.IsFailure()) return MappedFailure(removed.GetFailure());
  return removed;
}

MaybeType<Failure, void> CustomGameLobbyController::AddBot(Api::LobbyBotParams parameters) {
  // The bot is named after its champion's alias.
  FetchBotChampionSummaries();
  const LCDS::BotParticipant bot = MakeBotParticipant(parameters);
  MaybeType<Failure, void> selected = CallSelectBotChampion(bot);
  if (selected.IsFailure()) {
    return BotFailure(selected.GetFailure(), "Unable to create custom bot: %1");
  }
  return selected;
}

MaybeType<Failure, void> CustomGameLobbyController::UpdateCustomBot(
    Api::Lobby& lobby, const std::string& summonerInternalName, Api::LobbyBotParams parameters) {
  const LCDS::BotParticipant old = MakeBotParticipantFromLobby(lobby, summonerInternalName);
  if (old.summonerInternalName.empty()) {
    const std::string text =
        Format("Unable to update custom bot, cannot find bot with summonerInternalName %1",
               summonerInternalName);
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "%s", text.c_str());
    return Failure(404, text);
  }
  MaybeType<Failure, void> removed = CallRemoveBotChampion(old);
  if (removed.IsFailure()) {
    return BotFailure(removed.GetFailure(), "Unable to update custom bot, remove failed: %1");
  }
  FetchBotChampionSummaries();
  MaybeType<Failure, void> selected = CallSelectBotChampion(MakeBotParticipant(parameters));
  if (selected.IsFailure()) {
    return BotFailure(selected.GetFailure(), "Unable to update custom bot, create failed: %1");
  }
  return selected;
}

MaybeType<Failure, void> CustomGameLobbyController::RemoveBot(
    Api::Lobby& lobby, const std::string& summonerInternalName) {
  const LCDS::BotParticipant bot = MakeBotParticipantFromLobby(lobby, summonerInternalName);
  if (bot.summonerInternalName.empty()) {
    const std::string text =
        Format("Unable to delete custom bot, cannot find bot with summonerInternalName %1",
               summonerInternalName);
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "%s", text.c_str());
    return Failure(404, text);
  }
  MaybeType<Failure, void> removed = CallRemoveBotChampion(bot);
  if (removed.IsFailure()) {
    return BotFailure(removed.GetFailure(), "Unable to update custom bot: %1");
  }
  return removed;
}

MaybeType<Failure, void> CustomGameLobbyController::OnJoinedCustomLobby(Api::Lobby& lobby) {
  UpdateAvailableBots(lobby);
  return MaybeType<Failure, void>::Success();
}

void CustomGameLobbyController::UpdateAvailableBots(const Api::Lobby& lobby) {
  // A stopped call's publication is withheld: the bots' GETs answer what was published.
  if (Services()->FlowGate().Stops(CallGate::Act::kStore, {"the available bots", {}})) return;
  bool allowed = false;
  if (lobby.customGameLobby.has_value()) {
    const Api::LobbyCustomGameConfiguration& configuration = lobby.customGameLobby->configuration;
    const bool mapAllowed =
        std::find(kBotMapIds.begin(), kBotMapIds.end(), configuration.mapId) != kBotMapIds.end() ||
        (configuration.mapId == 12 && botsInSkirmish);
    const bool modeAllowed = configuration.gameMode == "CLASSIC" ||
                             (configuration.gameMode == "SKIRMISH" && botsInSkirmish);
    const bool mutatorAllowed =
        configuration.gameMutator.empty() || HasPracticeToolMutator(configuration);
    allowed = mapAllowed && modeAllowed && mutatorAllowed;
  }
  if (allowed) {
    availableBots = botChampions;
  } else {
    availableBots.clear();
  }
  PublishBots();
}

void CustomGameLobbyController::OnBotChampionsChanged(
    std::uint64_t summonerId, const ResourceUpdate<std::vector<Api::CollectionsChampion>>& event) {
  // The inventory's event name is shared, so a released observation may still be called.
  if (summonerId == 0 || summonerId != inventorySummonerId) return;
  if (event.eventType != PluginResourceEventType::Create &&
      event.eventType != PluginResourceEventType::Update) {
    return;
  }
  botChampions.clear();
  for (const Api::CollectionsChampion& champion : event.value) {
    if (!champion.botEnabled) continue;
    Api::LobbyBotChampion bot;
    bot.active = champion.active;
    bot.id = champion.id;
    bot.name = champion.name;
    bot.botDifficulties = botDifficulties;
    botChampions.push_back(std::move(bot));
  }
  UpdateAvailableBots(Api::Lobby(Services()->V1Lobby()));
}

void CustomGameLobbyController::OnBotDifficultiesConfig(const ResourceUpdate<bool>& event) {
  if (event.eventType != PluginResourceEventType::Create &&
      event.eventType != PluginResourceEventType::Update) {
    return;
  }
  botDifficulties = {Api::LobbyBotDifficulty::EASY};
  if (event.value) botDifficulties.push_back(Api::LobbyBotDifficulty::MEDIUM);
  for (Api::LobbyBotChampion& champion : botChampions) champion.botDifficulties = botDifficulties;
  UpdateAvailableBots(Api::Lobby(Services()->V1Lobby()));
}

void CustomGameLobbyController::OnBotsAvailableInSkirmish(const ResourceUpdate<bool>& event) {
  if (event.eventType == PluginResourceEventType::Delete) return;
  botsInSkirmish = event.value;
  UpdateAvailableBots(Api::Lobby(Services()->V1Lobby()));
}

void CustomGameLobbyController::FetchBotChampionSummaries() {
  if (!championAliases.empty()) return;
  MaybeType<Failure, std::vector<Api::GameDataChampionSummary>> summaries =
      Services()->Runtime().Request<std::vector<Api::GameDataChampionSummary>>(
          HttpMethod::Get, kChampionSummaryPath);
  if (summaries.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Unable to lookup bot champion summaries");
    return;
  }
  for (const Api::GameDataChampionSummary& summary : summaries.Value()) {
    championAliases.emplace(summary.alias, summary.id);
  }
}

void CustomGameLobbyController::FetchCustomBotsConfig(std::uint64_t summonerId) {
  // A login as another summoner must not leave the first one's inventory observed.
  Unsubscribe();
  inventorySummonerId = summonerId;
  // The plugin keeps the observers in its tables; they turn inert once the token is gone.
  alive_ = std::make_shared<bool>(true);
  const std::weak_ptr<bool> alive = alive_;
  Services()->Runtime().ObserveResource<std::vector<Api::CollectionsChampion>>(
      InventoryPath(summonerId),
      [this, alive,
       summonerId](const ResourceUpdate<std::vector<Api::CollectionsChampion>>& event) {
        if (!alive.expired()) OnBotChampionsChanged(summonerId, event);
      });
  // Each observation reads its path and waits: a new login meanwhile has observed every path
  // afresh, and an observation made now would replace its live handler with an inert one.
  if (alive.expired()) return;
  Services()->Runtime().ObserveResource<bool>(kIntermediateInCustomsPath,
                                              [this, alive](const ResourceUpdate<bool>& event) {
                                                if (!alive.expired())
                                                  OnBotDifficultiesConfig(event);
                                              });
  if (alive.expired()) return;
  Services()->Runtime().ObserveResource<bool>(kBotsInSkirmishPath,
                                              [this, alive](const ResourceUpdate<bool>& event) {
                                                if (!alive.expired())
                                                  OnBotsAvailableInSkirmish(event);
                                              });
}

void CustomGameLobbyController::Unsubscribe() {
  if (alive_ == nullptr) return;
  alive_.reset();
  const std::uint64_t summonerId = inventorySummonerId;
  inventorySummonerId = 0;
  Unobserve(*Services(), InventoryPath(summonerId));
  Unobserve(*Services(), kIntermediateInCustomsPath);
  Unobserve(*Services(), kBotsInSkirmishPath);
}

}  // namespace Zarn::Client::Lobby
