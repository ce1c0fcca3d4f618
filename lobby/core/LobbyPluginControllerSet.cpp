// The plugin's controller set, the queue lookups built on it and the creation of legacy lobbies.
#include <cstring>
#include <string>
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

constexpr char kNoQueueSelected[] = "NO_QUEUE_SELECTED";
// Ends every legacy chat room address; a name of this system's own.
constexpr char kLegacyChatDomain[] = "lobby-chat.jyx.invalid";
constexpr std::size_t kQueueMapBuckets = 8;

}  // namespace

void LobbyPlugin::CreateControllers() {
  // What the replaced set observes goes first: its observers would outlive it, and an
  // observation released after the new set's would take the new one with it.
  for (const std::shared_ptr<LobbyController>& replaced :
       {teamBuilderController_, arrangedTeamController_, customGameController_,
        invalidLobbyController_}) {
    if (replaced != nullptr) replaced->Unsubscribe();
  }
  teamBuilderController_ = factory_->MakeTeamBuilderController(this);
  arrangedTeamController_ = factory_->MakeArrangedTeamController(this);
  customGameController_ = factory_->MakeCustomGameController(this);
  invalidLobbyController_ = factory_->MakeInvalidController(this);
  // The map must not keep serving the controllers just replaced.
  const std::vector<Api::Queue>* queues = queues_.Effective();
  if (queues != nullptr) FillQueueControllers(*queues);
  // Copies: a subscription may wait, and the host may replace the set meanwhile.
  for (const std::shared_ptr<LobbyController>& controller :
       {teamBuilderController_, arrangedTeamController_, customGameController_}) {
    if (controller != nullptr) controller->Subscribe();
  }
  // The replaced custom game controller observed the player's bot configuration since login.
  if (loggedIn_) FetchCustomBotsConfig(localSummonerId_);
}

void LobbyPlugin::FillQueueControllers(const std::vector<Api::Queue>& queues) {
  queueControllers_.clear();
  queueControllers_.rehash(kQueueMapBuckets);
  for (const Api::Queue& queue : queues) {
    queueControllers_[queue.id] =
        queue.isTeamBuilderManaged ? teamBuilderController_ : arrangedTeamController_;
  }
  queuesKnown_ = !queues.empty();
}

std::shared_ptr<LobbyController> LobbyPlugin::GetLobbyController(bool isCustom,
                                                                 std::int32_t queueId) {
  if (!queuesKnown_) return invalidLobbyController_;
  if (isCustom) return customGameController_;
  auto found = queueControllers_.find(queueId);
  if (found != queueControllers_.end()) return found->second;
  return invalidLobbyController_;
}

Api::QueueAvailability LobbyPlugin::GetQueueAvailability(std::int32_t queueId) const {
  MaybeType<Failure, Api::Queue> queue = FindQueue(queueId);
  if (queue.IsFailure()) return Api::QueueAvailability::PlatformDisabled;
  return queue.Value().queueAvailability;
}

void LobbyPlugin::OnQueuesChanged() {
  LobbyUpdateBatch batch(*this);
  const std::vector<Api::Queue>* queues = queues_.Effective();
  if (queues == nullptr) return;
  FillQueueControllers(*queues);
  if (queues->empty() || activeBackend_ == nullptr) return;
  MaybeType<Failure, Api::LobbyDto> lobby = activeBackend_->GetLobby();
  if (!IsInLobby()) return;
  if (lobby.HasValue()) {
    PublishAvailability(lobby.Value());
  } else if (std::strcmp(lobby.Message(), kNoQueueSelected) == 0) {
    StoreAvailability(Api::QueueAvailability::PlatformDisabled);
  }
}

bool LobbyPlugin::LookupSummonerById(std::uint64_t summonerId, Api::Queue queue) {
  MaybeType<Failure, Api::Summoner> summoner = Request<Api::Summoner>(
      HttpMethod::Get, "/jyx-summoner/v1/summoners/" + std::to_string(summonerId));
  if (summoner.IsFailure()) return true;
  const std::uint32_t level = summoner.Value().summonerLevel;
  return level == 0 || queue.minLevel == 0 || level >= queue.minLevel;
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
    if (!LookupSummonerById(localSummonerId_, std::move(queue).Value())) {
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
  SetLobby(created.Value());
  UpdatePartyRewards();
  SendJsonApiEvent(kResourceCreate, "/jyx-lobby/v1/lobby", lobby_);
  return lobby_;
}

MaybeType<Failure, Api::Lobby> LobbyPlugin::CreatePlatformLobby(const Api::Lobby& lobby) {
  LobbyUpdateBatch batch(*this);
  // A copy: `lobby` is usually the plugin's own, which the controller's waits may change.
  const Api::Lobby current = lobby;
  stateMachine_.ProcessEvent(LobbyEvents::kPlatformLobbyRequested);
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(current.isCustom, current.queueId);
  MaybeType<Failure, Api::Lobby> created = Failure(500, kInvalidLobby);
  if (controller != nullptr) created = controller->CreatePlatformLobby(current);
  if (created.IsFailure()) {
    stateMachine_.ProcessEvent(LobbyEvents::kLobbyFailed);
    return std::move(created).GetFailure();
  }
  stateMachine_.ProcessEvent(LobbyEvents::kPlatformLobbySucceeded);
  SetLobby(created.Value());
  PublishV1LobbyParts();
  UpdatePartyRewards();
  return lobby_;
}

}  // namespace Zarn::Client::Lobby
