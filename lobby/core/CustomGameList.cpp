#include "lobby/core/CustomGameList.h"

#include "lobby/core/LobbyConventions.h"
#include "lobby/model/LcdsRecords.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/LcdsCall.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kCustomGamesPath[] = "/jyx-lobby/v1/custom-games";

Api::LobbyCustomGame MakeCustomGame(const LCDS::PracticeGameSearchResult& result,
                                    std::uint64_t spectatorSlotLimit) {
  Api::LobbyCustomGame game;
  game.id = result.id;
  game.gameType = result.gameMode;
  game.mapId = result.gameMapId;
  game.ownerSummonerName = result.owner.summonerName;
  game.spectatorPolicy = result.allowSpectators;
  game.filledSpectatorSlots = result.spectatorCount;
  game.maxSpectatorSlots = result.allowSpectators == "NONE" ? 0 : spectatorSlotLimit;
  game.filledPlayerSlots = result.team1Count + result.team2Count;
  game.maxPlayerSlots = result.maxNumPlayers;
  game.lobbyName = result.name;
  game.hasPassword = result.privateGame;
  return game;
}

}  // namespace

MaybeType<Failure, void> CustomGameList::RefreshCustomGames() {
  MaybeType<Failure, std::vector<LCDS::PracticeGameSearchResult>> listed =
      runtime_.LcdsCallSync<std::vector<LCDS::PracticeGameSearchResult>>("gameService",
                                                                         "listAllPracticeGames");
  if (listed.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Failed to retrieve the list of custom games.");
    return std::move(listed).GetFailure();
  }
  std::vector<Api::LobbyCustomGame> games;
  for (const LCDS::PracticeGameSearchResult& result : listed.Value()) {
    games.push_back(MakeCustomGame(result, spectatorSlotLimit_));
  }
  games_ = games;
  runtime_.SendJsonApiEvent(kResourceUpdate, kCustomGamesPath, games);
  return MaybeType<Failure, void>::Success();
}

std::vector<Api::LobbyCustomGame> CustomGameList::GetCustomGames() {
  if (games_.empty()) static_cast<void>(RefreshCustomGames());
  return games_;
}

std::optional<Api::LobbyCustomGame> CustomGameList::GetCustomGame(std::int32_t id) const {
  // Widened with its sign: a negative id names no game the platform lists.
  const auto wanted = static_cast<std::uint64_t>(static_cast<std::int64_t>(id));
  for (const Api::LobbyCustomGame& game : games_) {
    if (game.id == wanted) return game;
  }
  return std::nullopt;
}

std::optional<std::string> CustomGameList::LobbyName(std::uint64_t id) const {
  for (const Api::LobbyCustomGame& game : games_) {
    if (game.id == id) return game.lobbyName;
  }
  return std::nullopt;
}

void CustomGameList::OnSpectatorSlotLimit(const ResourceUpdate<BindingProperty>& event) {
  if (event.eventType != PluginResourceEventType::Create &&
      event.eventType != PluginResourceEventType::Update) {
    return;
  }
  const BindingProperty& value = event.value;
  if (value.Kind() == BindingPropertyKind::Unsigned) {
    spectatorSlotLimit_ = value.GetUint64();
    return;
  }
  // Not a number, or a negative one: no spectator slots.
  const std::int64_t limit =
      value.Kind() == BindingPropertyKind::Signed || value.Kind() == BindingPropertyKind::Float
          ? value.ToInt64()
          : 0;
  spectatorSlotLimit_ = limit > 0 ? static_cast<std::uint64_t>(limit) : 0;
}

}  // namespace Zarn::Client::Lobby
