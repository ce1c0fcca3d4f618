// The invitations the player received: the legacy ones, as their messages arrive, and the v2
// list published at "/jyx-lobby/v2/received-invitations", which merges them with the parties
// backend's invitations and leaves out blocked senders. Each legacy invitation is also published
// at "/jyx-lobby/v1/received-invitations/<id>", OnHold while the game client runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "lobby/core/WatchedConfigValue.h"
#include "lobby/model/LcdsRecords.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/runtime/AppModule.h"

namespace Zarn::Client::Lobby {

// What the received invitations need of the player who receives them.
class InvitationRecipient {
 public:
  [[nodiscard]] virtual std::uint64_t LocalSummonerId() const = 0;
  // Whether the player may join the game an invitation's `metaData` describes; may wait.
  [[nodiscard]] virtual Api::Eligibility CheckInviteEligibility(
      const BindingProperty& metaData) = 0;
  // The party invitations, none without a parties backend; may wait.
  [[nodiscard]] virtual std::vector<Api::ReceivedInvitationDto> PartyInvitations() = 0;

 protected:
  ~InvitationRecipient() = default;
};

class ReceivedInvitations {
 public:
  using BlockedPlayers = WatchedConfigValue<std::vector<Api::ChatBlockedPlayerResource>>;
  // The invitations of each kind listed at most: a new legacy one beyond drops the oldest, and a
  // parties state keeps its newest party ones (its backend trims them). One call sends no more.
  static constexpr std::size_t kMaxInvitations = 100;

  // Whether a received invitation's `id` names one: not empty, and one segment of the paths it is
  // answered and published at (FindSegmentFault). One that does not is neither listed nor
  // published.
  [[nodiscard]] static bool IsInvitationId(std::string_view id);

  // Publishes and asks through `runtime`, whose call gate is `gate`; `blocked` are the players
  // whose invitations are left out. All four must outlive this object.
  ReceivedInvitations(AppModule& runtime, CallGate& gate, InvitationRecipient& recipient,
                      const BlockedPlayers& blocked)
      : runtime_(runtime), gate_(gate), recipient_(recipient), blocked_(blocked) {}
  ReceivedInvitations(const ReceivedInvitations&) = delete;
  ReceivedInvitations& operator=(const ReceivedInvitations&) = delete;

  // A legacy invitation message; one whose id is no invitation id is dropped and logged. ACTIVE
  // refreshes the listed invitation of its id or, after the eligibility and summoner lookups,
  // lists a new one (unless a revocation came meanwhile), the oldest dropped, logged and deleted
  // when kMaxInvitations are listed already; ON_HOLD holds the listed one; REVOKED removes
  // it. A blocked sender's invitation shows Declined. Each change is published, then the v2 list.
  void OnReceivedInvitation(const LCDS::InvitationRequest& message);
  // Merges, filters and sorts the v2 list, keeps it for the routes, and publishes it when it
  // differs from the list that went out last (one the gate withheld did not); a new pending
  // invitation first flashes the window ("/zarnclient/ux-flash"), once: a flash the gate stopped
  // is made by the next call, even for a list already sent. A list built during the flash stands.
  void PublishReceivedInvitations();
  // Whether `invitations` hold a pending one from a sender with none pending in the list that
  // last went out with no flash owed or was flashed for, whichever came later.
  [[nodiscard]] bool HasNewPendingInvitation(
      const std::vector<Api::ReceivedInvitationDto>& invitations) const;
  // When the game client starts or stops, republishes every legacy invitation, OnHold while it
  // runs; the listed invitations keep their own states.
  void SetGameClientRunning(bool running);
  // Removes the first legacy invitation to the game `gameId` (its meta-data's "gameId", read by
  // GameMetaDataGameId) and publishes its Delete; game 0 is none, and removes nothing.
  void RemoveReceivedInvitationForGame(std::uint64_t gameId);
  // The display names of the invitation's two summoners, in one request; a failure is logged
  // and leaves them.
  void LookupInvitationSummoners(Api::LobbyInvitation& invitation);

  // The legacy invitation `id`; none when it is not listed.
  [[nodiscard]] std::optional<Api::LobbyInvitation> FindLegacy(const std::string& id) const;
  // Marks the legacy invitation `id` Accepted, publishes it, removes it and publishes its Delete;
  // nothing when it is no longer listed.
  void RemoveAccepted(const std::string& id);
  // Marks the legacy invitation `id` Declined and publishes it; nothing when it is not listed.
  void MarkDeclined(const std::string& id);
  // The v2 invitation `id` to accept or decline (`verb`), from the list built last, else the
  // last invitation received when its id is `id`; none, logged, otherwise.
  [[nodiscard]] std::optional<Api::ReceivedInvitationDto> FindToAnswer(const std::string& id,
                                                                       const char* verb) const;
  // The v2 list as last built.
  [[nodiscard]] std::vector<Api::ReceivedInvitationDto> List() const { return built_; }
  [[nodiscard]] std::size_t LegacyCount() const { return legacy_.size(); }

  // The index of the first invitation with `invitationId`; none without one.
  [[nodiscard]] static std::optional<std::size_t> FindReceivedInvitation(
      const std::vector<Api::ReceivedInvitationDto>& invitations, const std::string& invitationId);
  // Moves the invitations from `summonerIds` to the end of [first, last); the new end.
  static std::vector<Api::ReceivedInvitationDto>::iterator EraseReceivedInvitationsFrom(
      std::vector<Api::ReceivedInvitationDto>::iterator first,
      std::vector<Api::ReceivedInvitationDto>::iterator last,
      const std::set<std::uint64_t>& summonerIds);
  // The local time as "%Y-%m-%d %H:%M:%S".
  [[nodiscard]] static std::string FormatTimestamp();

 private:
  friend class ReceivedInvitationsTesting;

  // A new invitation whose lookups wait, with the message count at which a revocation of its id
  // came, so that messages handled meanwhile are not lost.
  struct InFlight {
    std::int32_t handlers = 0;
    std::uint64_t revokedAt = 0;
  };
  // OnReceivedInvitation's steps, for the message's state.
  void OnActive(const LCDS::InvitationRequest& request, std::uint64_t arrival, bool blocked);
  void OnHold(const std::string& id);
  void OnRevoked(const std::string& id, std::uint64_t arrival);
  // Refreshes every listed invitation of the request's id in place, publishing each; whether
  // there was one.
  bool RefreshListed(const LCDS::InvitationRequest& request, bool blocked);
  // What the front end sees of a legacy invitation: OnHold (Declined when `blocked`) while the
  // game client runs.
  [[nodiscard]] Api::LobbyInvitation Shown(const Api::LobbyInvitation& invitation,
                                           bool blocked) const;
  [[nodiscard]] bool IsBlocked(std::uint64_t summonerId) const;

  AppModule& runtime_;
  CallGate& gate_;
  InvitationRecipient& recipient_;
  const BlockedPlayers& blocked_;
  // The legacy invitations in arrival order; the v2 list as last built, as it last went out,
  // and as the window was last flashed for or shown.
  std::vector<Api::LobbyInvitation> legacy_;
  std::vector<Api::ReceivedInvitationDto> built_;
  std::vector<Api::ReceivedInvitationDto> sent_;
  std::vector<Api::ReceivedInvitationDto> flashed_;
  // The gate stopped the flash of a list: the next rebuild makes it.
  bool flashOwed_ = false;
  // Never received from anywhere yet: answering an unlisted id compares with it.
  Api::ReceivedInvitationDto lastReceived_;
  bool gameClientRunning_ = false;
  std::map<std::string, InFlight> inFlight_;
  std::uint64_t messageCount_ = 0;
};

}  // namespace Zarn::Client::Lobby
