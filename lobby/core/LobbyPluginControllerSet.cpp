// The plugin's controller set replaced, the queue lookups and the creation of legacy lobbies with
// the queue's controller.
#include <string>
#include <string_view>
#include <utility>

#include "lobby/core/LegacyChatRoomName.h"
#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/Format.h"
#include "sdk/runtime/Requests.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

// Ends every legacy chat room address; a name of this system's own.
constexpr char kLegacyChatDomain[] = "lobby-chat.jyx.invalid";

// Not a lookup to keep: whether the summoner meets `queue`'s level requirement; a failed lookup
// counts as met.
bool LookupSummonerById(AppModule& runtime, std::uint64_t summonerId, const Api::Queue& queue) {
  MaybeType<Failure, Api::Summoner> summoner = runtime.Request<Api::Summoner>(
      HttpMethod::Get, "/jyx-summoner/v1/summoners/" + std::to_string(summonerId));
  if (summoner.IsFailure()) return true;
  const std::uint32_t level = summoner.Value().summonerLevel;
  return level == 0 || queue.minLevel == 0 || level >= queue.minLevel;
}

}  // namespace

void LobbyPlugin::CreateControllers() {
  controllers_.Replace(*factory_, this, config_.Queues());
  // The replaced custom game controller observed the player's bot configuration since login.
  if (loggedIn_) FetchCustomBotsConfig(localSummonerId_);
}

std::shared_ptr<LobbyController> LobbyPlugin::GetLobbyController(bool isCustom,
                                                                 std::int32_t queueId) {
  return controllers_.GetLobbyController(isCustom, queueId);
}

void LobbyPlugin::OnQueuesChanged() {
  LobbyUpdateBatch batch(*this);
  const std::vector<Api::Queue>* queues = config_.QueueList();
  if (queues == nullptr) return;
  controllers_.FillQueueControllers(*queues);
  if (queues->empty() || backends_.Active() == nullptr) return;
  MaybeType<Failure, Api::LobbyDto> lobby = backends_.Active()->GetLobby();
  if (!IsInLobby()) return;
  if (lobby.HasValue()) {
    viewModel_.PublishAvailability(lobby.Value());
  } else if (std::string_view(lobby.Message()) == kNoQueueSelected) {
    viewModel_.StoreAvailability(Api::QueueAvailability::PlatformDisabled);
  }
}

std::string LobbyServices::MakePlatformHostName(const std::string& id, const std::string& prefix,
                                                const std::string& suffix) {
  const std::string room = MakeLegacyChatRoomName(id, prefix);
  if (room.empty() || suffix.empty()) return std::string();
  return room + suffix + "." + kLegacyChatDomain;
}

MaybeType<Failure, Api::Lobby> LobbyPlugin::CreateLobbyWithController(const Api::Lobby& requested) {
  // A copy first: the caller's record may be the plugin's own, and every step below can wait.
  Api::Lobby request = requested;
  if (request.isCustom) {
    MaybeType<Failure, Api::QueueCustomGame> custom =
        Request<Api::QueueCustomGame>(HttpMethod::Get, "/jyx-game-queues/v1/custom");
    if (custom.IsFailure()) {
      return Failure(custom.GetFailure().Code(),
                     Format("Cannot create custom lobby: %1", custom.Message()));
    }
  } else {
    MaybeType<Failure, Api::Queue> queue = FindQueue(request.queueId);
    if (queue.IsFailure()) {
      return Failure(queue.GetFailure().Code(),
                     Format("Requested matchmaking queue %1 does not exist. Lobby will not be "
                            "created. Error: %2",
                            request.queueId, queue.Message()));
    }
    if (!LookupSummonerById(*this, localSummonerId_, queue.Value())) {
      return Failure(500, "Summoner does not meet the level requirements");
    }
  }
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(request.isCustom, request.queueId);
  if (controller == nullptr) return Failure(500, kInvalidLobby);
  MaybeType<Failure, Api::Lobby> created = controller->CreateLobby(request);
  if (created.IsFailure()) {
    return Failure(created.GetFailure().Code(),
                   Format("Error creating lobby: %1", created.Message()));
  }
  v1Lobby_.ReenterLobby(created.Value().invitationId);
  v1Lobby_.SetLobby(created.Value());
  UpdatePartyRewards();
  v1Lobby_.PublishV1Lobby(V1Lobby(), kResourceCreate);
  return V1Lobby();
}

MaybeType<Failure, Api::Lobby> LobbyPlugin::CreatePlatformLobby(const Api::Lobby& lobby) {
  LobbyUpdateBatch batch(*this);
  // A copy: `lobby` is usually the plugin's own, which the controller's waits may change.
  const Api::Lobby current = lobby;
  ProcessLobbyEvent(LobbyEvents::kPlatformLobbyRequested);
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(current.isCustom, current.queueId);
  MaybeType<Failure, Api::Lobby> created = Failure(500, kInvalidLobby);
  if (controller != nullptr) created = controller->CreatePlatformLobby(current);
  if (created.IsFailure()) {
    ProcessLobbyEvent(LobbyEvents::kLobbyFailed);
    return std::move(created).GetFailure();
  }
  const std::string& made = created.Value().invitationId;
  if (ProcessLobbyEvent(LobbyEvents::kPlatformLobbySucceeded)) {
    v1Lobby_.ReenterLobby(made);
  } else if (made != V1Lobby().invitationId) {
    // Overtaken, the group lobby made is no one's, and nothing may show it.
    v1Lobby_.AbandonOrphanedLobby(made);
  }
  v1Lobby_.SetLobby(created.Value());
  PublishV1LobbyParts();
  UpdatePartyRewards();
  return V1Lobby();
}

}  // namespace Zarn::Client::Lobby
