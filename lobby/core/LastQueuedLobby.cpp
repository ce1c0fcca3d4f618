#include "lobby/core/LastQueuedLobby.h"

#include "lobby/core/LobbyConventions.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"
#include "sdk/runtime/Requests.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kAvailabilityPath[] = "/jyx-gameflow/v1/availability";
constexpr char kLastQueuedLobbyPath[] = "/jyx-lobby/v1/last-queued-lobby";

}  // namespace

void LastQueuedLobby::Snapshot(const Api::Lobby& lobby, std::uint64_t localSummonerId) {
  const Api::Lobby queued = lobby;
  bool wasOwner = false;
  record_.queueId = queued.queueId;
  record_.wasOwner = false;
  record_.members.clear();
  for (const Api::LobbyMember& member : queued.members) {
    record_.members.push_back(Api::LobbyLastQueuedMember{member.id});
    if (member.isOwner && member.id == localSummonerId) wasOwner = true;
  }
  record_.wasOwner = wasOwner;
  MaybeType<Failure, BindingProperty> availability =
      runtime_.Request<BindingProperty>(HttpMethod::Get, kAvailabilityPath);
  if (availability.IsFailure()) {
    gameflowAvailable_ = false;
    record_.canPlayAgain = false;
  } else {
    gameflowAvailable_ = availability.Value().FindMember("isAvailable").GetBool(false);
    record_.canPlayAgain = gameflowAvailable_ && wasOwner;
  }
}

void LastQueuedLobby::OnGameflowAvailability(const BindingProperty& availability) {
  gameflowAvailable_ = availability.FindMember("isAvailable").GetBool(false);
  const bool canPlayAgain = record_.wasOwner && gameflowAvailable_;
  if (canPlayAgain == record_.canPlayAgain) return;
  record_.canPlayAgain = canPlayAgain;
  Publish();
}

void LastQueuedLobby::Publish() {
  // A copy: the host may call back in while the event goes out.
  const Api::LobbyLastQueuedLobby published = record_;
  runtime_.SendJsonApiEvent(kResourceUpdate, kLastQueuedLobbyPath, published);
}

std::vector<std::uint64_t> LastQueuedLobby::MemberIds() const {
  std::vector<std::uint64_t> ids;
  for (const Api::LobbyLastQueuedMember& member : record_.members) ids.push_back(member.id);
  return ids;
}

}  // namespace Zarn::Client::Lobby
