#include "lobby/core/LobbyControllerSet.h"

#include <string_view>

#include "sdk/base/Fnv1a.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr std::size_t kQueueMapBuckets = 8;

}  // namespace

std::size_t LobbyControllerSet::QueueIdHash::operator()(std::int32_t queueId) const noexcept {
  const auto bits = static_cast<std::uint32_t>(queueId);
  const char bytes[4] = {static_cast<char>(bits & 0xFF), static_cast<char>((bits >> 8) & 0xFF),
                         static_cast<char>((bits >> 16) & 0xFF),
                         static_cast<char>((bits >> 24) & 0xFF)};
  return Fnv1a32(std::string_view(bytes, sizeof bytes));
}

LobbyControllerSet::LobbyControllerSet() : queueControllers_(kQueueMapBuckets) {
  queueControllers_.max_load_factor(1.0f);
}

void LobbyControllerSet::Replace(LobbyComponentFactory& factory, LobbyServices* services,
                                 const WatchedConfigValue<std::vector<Api::Queue>>& queues) {
  // What the replaced set observes goes first: its observers would outlive it, and an
  // observation released after the new set's would take the new one with it.
  for (const std::shared_ptr<LobbyController>& replaced :
       {teamBuilderController_, arrangedTeamController_, customGameController_,
        invalidLobbyController_}) {
    if (replaced != nullptr) replaced->Unsubscribe();
  }
  teamBuilderController_ = factory.MakeTeamBuilderController(services);
  arrangedTeamController_ = factory.MakeArrangedTeamController(services);
  customGameController_ = factory.MakeCustomGameController(services);
  invalidLobbyController_ = factory.MakeInvalidController(services);
  // The map must not keep serving the controllers just replaced.
  const std::vector<Api::Queue>* known = queues.Effective();
  if (known != nullptr) FillQueueControllers(*known);
  // Copies: a subscription may wait, and the host may replace the set meanwhile.
  for (const std::shared_ptr<LobbyController>& controller :
       {teamBuilderController_, arrangedTeamController_, customGameController_}) {
    if (controller != nullptr) controller->Subscribe();
  }
}

void LobbyControllerSet::FillQueueControllers(const std::vector<Api::Queue>& queues) {
  queueControllers_.clear();
  queueControllers_.rehash(kQueueMapBuckets);
  for (const Api::Queue& queue : queues) {
    queueControllers_[queue.id] =
        queue.isTeamBuilderManaged ? teamBuilderController_ : arrangedTeamController_;
  }
  queuesKnown_ = !queues.empty();
}

std::shared_ptr<LobbyController> LobbyControllerSet::GetLobbyController(
    bool isCustom, std::int32_t queueId) const {
  if (!queuesKnown_) return invalidLobbyController_;
  if (isCustom) return customGameController_;
  auto found = queueControllers_.find(queueId);
  if (found != queueControllers_.end()) return found->second;
  return invalidLobbyController_;
}

}  // namespace Zarn::Client::Lobby
