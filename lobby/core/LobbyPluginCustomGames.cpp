// LobbyPlugin: the routes of the custom game list, joining or watching one of the games, joining a
// tournament game by its code, the commands of the custom lobby the player is in (teams, champion
// select), and the custom queue's availability.
#include <cstdint>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lobby/core/FailureReply.h"
#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "lobby/core/TournamentCode.h"
#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/LcdsCall.h"
#include "sdk/runtime/LegacyGameExceptions.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

// Counts a join's call as running while it lives.
class RunningJoin {
 public:
  explicit RunningJoin(std::int32_t& count) : count_(count) { ++count_; }
  RunningJoin(const RunningJoin&) = delete;
  RunningJoin& operator=(const RunningJoin&) = delete;
  ~RunningJoin() { --count_; }

 private:
  std::int32_t& count_;
};

}  // namespace

HttpResponse LobbyPlugin::RefreshCustomGames() {
  MaybeType<Failure, void> refreshed = customGames_.RefreshCustomGames();
  if (refreshed.IsFailure()) return FailureReply(refreshed.GetFailure());
  return HttpResponse();
}

HttpResult<std::vector<Api::LobbyCustomGame>> LobbyPlugin::GetCustomGames() {
  return customGames_.GetCustomGames();
}

HttpResult<Api::LobbyCustomGame> LobbyPlugin::GetCustomGame(std::int32_t id) {
  std::optional<Api::LobbyCustomGame> game = customGames_.GetCustomGame(id);
  if (!game.has_value()) return MakeNotFound(std::string_view(kLobbyNotFound));
  return std::move(*game);
}

HttpResponse LobbyPlugin::JoinCustomGame(std::uint64_t id,
                                         const Api::LobbyCustomJoinParameters& parameters) {
  LobbyUpdateBatch batch(*this);
  const std::optional<std::string> password = parameters.password;
  const bool spectating = parameters.asSpectator.value_or(false);
  if (backends_.Parties() != nullptr && backends_.Parties()->IsClashParty()) {
    static_cast<void>(backends_.Parties()->LeaveLobby());
  } else if (stateMachine_.IsInState(&LobbyFlow::kPartyLobby) && backends_.Active() != nullptr) {
    static_cast<void>(backends_.Active()->LeaveLobby());
  }
  const char* method = spectating ? "observeGame" : "joinGame";
  // The cached name, looked up afresh: the list may change while a call waits.
  if (const std::optional<std::string> name = customGames_.LobbyName(id)) {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Attempting to %s %llu (%s)", method,
              static_cast<unsigned long long>(id), name->c_str());
  } else {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Cannot find custom game %llu in our cached list. Attempting to %s, regardless.",
              static_cast<unsigned long long>(id), method);
  }
  if (!IsInLobby() && !gameflow_.RequestGameflowLobby()) return GameflowPreventedReply();
  // Counted for the whole call: an update that comes in its waits reports to it.
  const RunningJoin running(runningJoins_);
  BeginLobbyRequest(LobbyEvents::kJoiningCustomLobby);
  MaybeType<Failure, void> joined = LcdsCallSync<void>("gameService", method, id, password);
  if (joined.HasValue()) {
    const std::string name = customGames_.LobbyName(id).value_or("<UNKNOWN>");
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "gameService.%s %llu (%s) succeeded.", method,
              static_cast<unsigned long long>(id), name.c_str());
    return HttpResponse();
  }
  const std::string message = joined.Message();
  const std::int32_t status = MapLegacyGameExceptionToStatus(message);
  if (status == 404) static_cast<void>(customGames_.RefreshCustomGames());
  LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "gameService.%s failed. Sending error code: %d",
            method, status);
  ProcessLobbyEvent(LobbyEvents::kLobbyFailed);
  return HttpResponse(status, message);
}

HttpResponse LobbyPlugin::HandleJoinTournament(const std::string& id) {
  LobbyUpdateBatch batch(*this);
  const std::string code = id;
  if (!std::regex_match(code, TournamentCodePattern())) {
    return HttpResponse(404, "TOURNAMENT_CODE_NOT_FOUND");
  }
  if (!gameflow_.RequestGameflowLobby()) return HttpResponse(423, kGameflowPreventedLobby);
  LCDS::PracticeGameConfig config;
  config.passbackUrl = code;
  MaybeType<Failure, LCDS::GameDTO> joined =
      LcdsCallSync<LCDS::GameDTO>("gameService", "joinOrCreatePracticeGame", config);
  if (joined.IsFailure()) {
    const std::string message = joined.Message();
    const std::int32_t status = MapLegacyGameExceptionToStatus(message);
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "gameService.joinOrCreatePracticeGame failed. Sending error code: %d", status);
    return HttpResponse(status, message);
  }
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0,
            "gameService.joinOrCreatePracticeGame '%s' (tournament) succeeded.", code.c_str());
  const RunningJoin running(runningJoins_);
  BeginLobbyRequest(LobbyEvents::kJoiningCustomLobby);
  HandlePracticeGame(joined.Value(), /*joinsReply=*/true);
  // A game that is not a practice game builds no lobby: the join stays under way until the
  // platform's update of the practice game completes it.
  if (IsInLobby()) return HttpResponse();
  return HttpResponse(400, "Failed to join tournament game");
}

HttpResponse LobbyPlugin::SwitchCustomTeams(const std::string& team) {
  LobbyUpdateBatch batch(*this);
  const std::string requested = team;
  const std::shared_ptr<LobbyController> controller = CurrentLobbyController();
  if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, void> switched = controller->SwitchTeam(v1Lobby_.MutableLobby(), requested);
  if (switched.IsFailure()) return FailureReply(switched.GetFailure());
  PublishV1LobbyParts();
  return HttpResponse();
}

HttpResult<Api::LobbyCustomChampSelectStartResponse> LobbyPlugin::HandleStartChampSelect() {
  LobbyUpdateBatch batch(*this);
  const std::shared_ptr<LobbyController> controller = CurrentLobbyController();
  if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse> started =
      controller->StartChampionSelection(v1Lobby_.MutableLobby());
  if (started.IsFailure()) return FailureReply(started.GetFailure());
  const bool success = started->success;
  return HttpResult<Api::LobbyCustomChampSelectStartResponse>(std::move(started).Value(),
                                                              HttpResponse(success ? 200 : 400));
}

HttpResponse LobbyPlugin::HandleCancelChampSelect() {
  LobbyUpdateBatch batch(*this);
  if (V1Lobby().isCustom) {
    const std::shared_ptr<LobbyController> controller = CurrentLobbyController();
    if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
    return FailureReply(controller->QuitGame());
  }
  // Not in a custom game: the player is spectating one.
  MaybeType<Failure, void> posted =
      Request<void>(HttpMethod::Post, "/jyx-gameflow/v1/session/event",
                    std::string("GAMEFLOW_EVENT.EXITED_SPECTATING"));
  if (posted.IsFailure()) {
    return HttpResponse(500, Format("Failed to cancel champ select: %1", posted.Message()));
  }
  return HttpResponse();
}

void LobbyPlugin::OnCustomQueueAvailability(const ResourceUpdate<Api::QueueCustomGame>& event) {
  if (event.eventType == PluginResourceEventType::Delete) return;
  if (!IsInLobby() || !V1Lobby().isCustom) return;
  const Api::QueueAvailability availability = event.value.queueAvailability;
  if (viewModel_.AvailabilityShown(availability)) return;
  LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0, "Lobby's availability changed: %s",
            availability == Api::QueueAvailability::Available ? "ON" : "OFF");
  viewModel_.StoreAvailability(availability);
}

}  // namespace Zarn::Client::Lobby
