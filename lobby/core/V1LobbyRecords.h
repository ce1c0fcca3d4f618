// The v1 lobby: the legacy lobby's record as the front end reads it at "/jyx-lobby/v1/lobby", its
// publication, and the bookkeeping that keeps stale legacy messages from overwriting it (the
// lobbies left, the latest lobby status, whether the last game update was a practice game).
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/core/LobbyViewModel.h"
#include "lobby/model/LcdsRecords.h"
#include "lobby/model/LobbyRecords.h"

namespace Zarn::Client::Lobby {

// A call the host overtook while it waited (lobby/core/LobbyFlowGate.h) changes none of these
// records: each change below is then left undone, but for the lobbies abandoned as orphaned.
class V1LobbyRecords {
 public:
  // Publishes through `services`, which also tells whether the player is in a lobby; stores the
  // availability of the lobby's queue in `viewModel`. Both must outlive this object.
  V1LobbyRecords(LobbyServices& services, LobbyViewModel& viewModel)
      : services_(services), viewModel_(viewModel) {}
  V1LobbyRecords(const V1LobbyRecords&) = delete;
  V1LobbyRecords& operator=(const V1LobbyRecords&) = delete;

  // The v1 lobby; the mutable one lives as long as this object, and its collaborators (the
  // members, the party rewards) keep it. A stopped call gets a copy to change instead, valid until
  // the next call of MutableLobby, and nothing it changes there is kept.
  [[nodiscard]] const Api::Lobby& Lobby() const { return lobby_; }
  [[nodiscard]] Api::Lobby& MutableLobby();
  // Replaces the v1 lobby, storing its queue's availability when that changed. Publishes nothing.
  void SetLobby(const Api::Lobby& lobby);
  // An Update (or `type`) of the v1 lobby resource with `lobby`; a Delete of it, unless the
  // operation under way deleted it and nothing went out since (leaving a lobby deletes it on the
  // way out, and a lobby change entered then would again). Every publication of the v1 lobby goes
  // through these; a publication the gate withheld counts as not made.
  void PublishV1Lobby(const Api::Lobby& lobby, std::uint32_t type = kResourceUpdate);
  void DeleteV1Lobby();
  // A Delete of the v1 lobby unless the last publication of it that went out, in any operation,
  // was a Delete: whatever left the lobby, no v1 lobby stays shown, and nothing is deleted twice.
  void DeleteShownLobby();
  // An operation (the outermost update batch) begins or ends: the next Delete goes out.
  void OperationBoundary() { deletedInOperation_ = false; }
  // The v1 lobby and its members, invitations and local member while in a lobby, else a Delete of
  // the v1 lobby. A lobby change under way has left the legacy lobby: it holds a v1 lobby only
  // once one is stored (an invitation accepted meanwhile).
  void PublishV1LobbyParts();
  // The invitation list, then the v1 lobby.
  void PublishV1Invitations();
  // The local player kicked: the lobby marked so, the player dropped from its members and their
  // invitation marked Kicked, each part that changed published, then the v1 lobby. Nothing while
  // no v1 lobby is held (see PublishV1LobbyParts).
  void MarkKicked(std::uint64_t localSummonerId);

  // Legacy and team-builder lobbies left or orphaned: their later updates are ignored until the
  // plugin itself enters one of them again. An empty id is never kept: it would match the next
  // lobby that never reached the platform; nor is game 0 among the orphaned games, which every
  // status naming no game reads as.
  [[nodiscard]] bool IsAbandonedLobbyInvitationId(const std::string& invitationId) const;
  void AddToAbandonedLobbyInvitationIds(const std::string& invitationId);
  void RemoveFromAbandonedLobbyIds(const std::string& invitationId);
  // A lobby left without leaving LegacyLobby (a legacy invitation accepted from it): kept and
  // logged as the exit does, once. A stopped call left nothing.
  void AbandonLeftLobby(const std::string& invitationId);
  // A lobby made by a creation that failed or was overtaken: nothing shows it, whatever stopped
  // the call, and the v1 lobby is reset when it still holds it.
  void AbandonOrphanedLobby(const std::string& invitationId);
  // The plugin enters a lobby it asked for (its creation, a custom game joined): no longer
  // abandoned, logged only when it was.
  void ReenterLobby(const std::string& invitationId);
  // Whether an update of `invitationId` must be dropped, logging it when so.
  [[nodiscard]] bool IgnoresAbandonedLobby(const std::string& invitationId) const;
  // A custom game made by a creation that was overtaken: no lobby id is known for it before a
  // lobby status names one, and that lobby is then abandoned as orphaned (AbandonOrphanedStatus),
  // its id standing for the game from then on.
  void AbandonOrphanedGame(std::uint64_t gameId);
  // Abandons the lobby `status` names when its meta-data names an orphaned game other than the
  // v1 lobby's (a game the player joined since); true when it did, the status then to be ignored.
  [[nodiscard]] bool AbandonOrphanedStatus(const LCDS::LobbyStatus& status);

  // Lobby statuses handed to a controller: each gets a number, and only the latest one handed on
  // may change the lobby once its controller answers (an older one may return after it).
  [[nodiscard]] std::uint64_t BeginLobbyStatus() { return ++lobbyStatusCount_; }
  [[nodiscard]] bool IsLatestLobbyStatus(std::uint64_t number) const {
    return number == lobbyStatusCount_;
  }

  // Whether the last legacy game update was a practice game; picks its controller.
  [[nodiscard]] bool IsCustomGame() const { return isCustomGame_; }
  void SetCustomGame(bool isCustomGame) { isCustomGame_ = isCustomGame; }

 private:
  friend class V1LobbyRecordsTesting;

  // Whether the running call may change the records; notes the stop when not.
  [[nodiscard]] bool MayStore();
  // Keeps `invitationId` among the abandoned lobbies, logging it.
  void Abandon(const std::string& invitationId);
  // Whether the player is in a lobby that has a v1 lobby.
  [[nodiscard]] bool HoldsLobby() const;

  LobbyServices& services_;
  LobbyViewModel& viewModel_;
  Api::Lobby lobby_;
  Api::Lobby discarded_;             // what a stopped call changes instead of the lobby
  bool stored_ = false;              // a lobby stored since the v1 lobby was last deleted
  bool deletedInOperation_ = false;  // deleted by the operation under way, nothing out since
  bool lastWasDelete_ = false;       // the last publication of the v1 lobby that went out
  std::set<std::string> abandonedLobbyInvitationIds_;
  std::set<std::uint64_t> orphanedGames_;
  std::uint64_t lobbyStatusCount_ = 0;
  bool isCustomGame_ = false;
};

}  // namespace Zarn::Client::Lobby
