#include "lobby/core/V1LobbyRecords.h"

#include <algorithm>
#include <vector>

#include "lobby/core/GameMetaData.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlowGate.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kMembersPath[] = "/jyx-lobby/v1/lobby/members";
constexpr char kInvitationsPath[] = "/jyx-lobby/v1/lobby/invitations";

}  // namespace

bool V1LobbyRecords::MayStore() {
  return !services_.FlowGate().Stops(CallGate::Act::kStore, {"the v1 lobby", {}});
}

Api::Lobby& V1LobbyRecords::MutableLobby() {
  if (MayStore()) return lobby_;
  discarded_ = lobby_;
  return discarded_;
}

void V1LobbyRecords::SetLobby(const Api::Lobby& lobby) {
  if (!MayStore()) return;
  const Api::QueueAvailability availability = viewModel_.GetQueueAvailability(lobby.queueId);
  lobby_ = lobby;
  stored_ = true;
  if (!viewModel_.AvailabilityShown(availability)) viewModel_.StoreAvailability(availability);
}

void V1LobbyRecords::PublishV1Lobby(const Api::Lobby& lobby, std::uint32_t type) {
  // Withheld, it leaves a Delete before it the last publication.
  if (services_.Runtime().SendJsonApiEvent(type, kV1LobbyPath, lobby)) {
    deletedInOperation_ = false;
    lastWasDelete_ = false;
  }
}

void V1LobbyRecords::DeleteV1Lobby() {
  stored_ = false;
  if (deletedInOperation_) return;
  // Withheld, it leaves the lobby not deleted: the next Delete goes out.
  if (services_.Runtime().PublishResourceEvent(kV1LobbyPath)) {
    deletedInOperation_ = true;
    lastWasDelete_ = true;
  }
}

void V1LobbyRecords::DeleteShownLobby() {
  if (lastWasDelete_) {
    stored_ = false;
    return;
  }
  DeleteV1Lobby();
}

bool V1LobbyRecords::HoldsLobby() const {
  return services_.IsInLobby() && (stored_ || !services_.IsInLobbyState(LobbyFlow::kChangingLobby));
}

void V1LobbyRecords::PublishV1LobbyParts() {
  if (!HoldsLobby()) {
    DeleteV1Lobby();
    return;
  }
  AppModule& runtime = services_.Runtime();
  PublishV1Lobby(lobby_);
  runtime.SendJsonApiEvent(kResourceUpdate, kMembersPath, lobby_.members);
  runtime.SendJsonApiEvent(kResourceUpdate, kInvitationsPath, lobby_.invitations);
  runtime.SendJsonApiEvent(kResourceUpdate, "/jyx-lobby/v1/lobby/localMember", lobby_.localMember);
}

void V1LobbyRecords::PublishV1Invitations() {
  // Copies: the host may call back in while an event goes out.
  const std::vector<Api::LobbyInvitation> list = lobby_.invitations;
  services_.Runtime().SendJsonApiEvent(kResourceUpdate, kInvitationsPath, list);
  PublishV1Lobby(Api::Lobby(lobby_));
}

void V1LobbyRecords::MarkKicked(std::uint64_t localSummonerId) {
  if (!MayStore() || !HoldsLobby()) return;
  AppModule& runtime = services_.Runtime();
  lobby_.wasKicked = true;
  const auto removed = std::remove_if(
      lobby_.members.begin(), lobby_.members.end(),
      [localSummonerId](const Api::LobbyMember& member) { return member.id == localSummonerId; });
  if (removed != lobby_.members.end()) {
    lobby_.members.erase(removed, lobby_.members.end());
    runtime.SendJsonApiEvent(kResourceUpdate, kMembersPath, lobby_.members);
  }
  auto invitation = std::find_if(lobby_.invitations.begin(), lobby_.invitations.end(),
                                 [localSummonerId](const Api::LobbyInvitation& entry) {
                                   return entry.toSummonerId == localSummonerId;
                                 });
  if (invitation != lobby_.invitations.end()) {
    invitation->state = Api::LobbyInvitationState::Kicked;
    runtime.SendJsonApiEvent(kResourceUpdate, kInvitationsPath, lobby_.invitations);
  }
  PublishV1Lobby(lobby_);
}

bool V1LobbyRecords::IsAbandonedLobbyInvitationId(const std::string& invitationId) const {
  return abandonedLobbyInvitationIds_.count(invitationId) != 0;
}

void V1LobbyRecords::AddToAbandonedLobbyInvitationIds(const std::string& invitationId) {
  if (MayStore()) Abandon(invitationId);
}

void V1LobbyRecords::Abandon(const std::string& invitationId) {
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "AddToAbandonedLobbyInvitationIds: %s",
            invitationId.c_str());
  if (!invitationId.empty()) abandonedLobbyInvitationIds_.insert(invitationId);
}

void V1LobbyRecords::RemoveFromAbandonedLobbyIds(const std::string& invitationId) {
  if (!MayStore()) return;
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "RemoveFromAbandonedLobbyIds: %s",
            invitationId.c_str());
  abandonedLobbyInvitationIds_.erase(invitationId);
}

void V1LobbyRecords::AbandonLeftLobby(const std::string& invitationId) {
  if (invitationId.empty() || IsAbandonedLobbyInvitationId(invitationId)) return;
  AddToAbandonedLobbyInvitationIds(invitationId);
}

void V1LobbyRecords::AbandonOrphanedLobby(const std::string& invitationId) {
  if (invitationId.empty() || IsAbandonedLobbyInvitationId(invitationId)) return;
  Abandon(invitationId);
  // Its own event, let in while it was made, may have stored it: nothing may build on it, though
  // the call that made it was stopped (the record still holding it, no other call took it).
  if (lobby_.invitationId == invitationId) {
    lobby_ = Api::Lobby();
    stored_ = false;
  }
}

void V1LobbyRecords::ReenterLobby(const std::string& invitationId) {
  if (IsAbandonedLobbyInvitationId(invitationId)) RemoveFromAbandonedLobbyIds(invitationId);
}

void V1LobbyRecords::AbandonOrphanedGame(std::uint64_t gameId) {
  // Kept whatever stopped the call: the game was made all the same.
  if (gameId != 0) orphanedGames_.insert(gameId);
}

bool V1LobbyRecords::AbandonOrphanedStatus(const LCDS::LobbyStatus& status) {
  if (orphanedGames_.empty()) return false;
  Api::LcdsGameMetaData metaData;
  if (!ReadLcdsGameMetaData(status.gameMetaData, services_.Runtime().Registry(), metaData) ||
      !orphanedGames_.contains(metaData.gameId)) {
    return false;
  }
  // Joined since, the game is the player's; else, once its lobby's id is known, that id stands
  // for it among the lobbies abandoned. Either way no later status needs reading for it.
  if (lobby_.customGameLobby.has_value() && lobby_.customGameLobby->gameId == metaData.gameId) {
    orphanedGames_.erase(metaData.gameId);
    return false;
  }
  if (!status.invitationId.empty()) orphanedGames_.erase(metaData.gameId);
  AbandonOrphanedLobby(status.invitationId);
  return IgnoresAbandonedLobby(status.invitationId);
}

bool V1LobbyRecords::IgnoresAbandonedLobby(const std::string& invitationId) const {
  if (!IsAbandonedLobbyInvitationId(invitationId)) return false;
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0,
            "Ignoring update from abandoned lobby.invitationId %s", invitationId.c_str());
  return true;
}

}  // namespace Zarn::Client::Lobby
