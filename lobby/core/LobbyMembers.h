// The members of the legacy lobby: the member operations the platform backend hands to the
// lobby's controller, the invite privilege granted automatically to new members and told by the
// legacy platform, and the member and summoner lookups.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/api/BindingHttpResult.h"
#include "sdk/runtime/ResourceObservation.h"

namespace Zarn::Client::Lobby {

class LobbyMembers {
 public:
  // `services` gives the machine, the controllers, the batches and the runtime; `lobby` is the v1
  // lobby, whose members change here. Both must outlive this object.
  LobbyMembers(LobbyServices& services, Api::Lobby& lobby) : services_(services), lobby_(lobby) {}
  LobbyMembers(const LobbyMembers&) = delete;
  LobbyMembers& operator=(const LobbyMembers&) = delete;

  // The controller's operation; the v1 lobby is published whatever the result.
  BindingHttpResult KickMember(std::uint64_t summonerId);
  // Hands ownership over through the machine; a controller's refusal takes it back (500).
  BindingHttpResult PromoteMember(std::uint64_t summonerId);
  // Grant and revoke: the controller's operation, then the member's flag, recorded and published.
  BindingHttpResult GrantMemberInvitePrivilege(std::uint64_t summonerId);
  BindingHttpResult RevokeMemberInvitePrivilege(std::uint64_t summonerId);
  // The legacy platform's word on the local player's own invite privilege.
  void OnInvitePrivileges(bool canInvite);

  // Grants the invite privilege to the members new since the last lobby status, when the local
  // player is `ownerSummonerId` and granting is on.
  void AutoGrantInvite(std::uint64_t ownerSummonerId);
  // The next lobby's members are all new to the automatic grant.
  void ForgetAutoGrantedMembers() { autoGrantedMemberIds_.clear(); }
  // Create and Update set whether granting is on from the event; a Delete turns it back on.
  void OnAutoGrantInviteEnabled(const ResourceUpdate<bool>& event);

  // True when in a lobby whose member list holds `summonerId`.
  [[nodiscard]] bool IsMemberInLobby(std::uint64_t summonerId) const;
  // The member with `summonerId`, a custom game's spectators first; null without one. Valid until
  // the next call that can wait.
  [[nodiscard]] Api::LobbyMember* FindMember(std::uint64_t summonerId);
  // The summoners of `summonerIds` that the summoner plugin knows, in one request; empty for no
  // ids, with nothing sent.
  [[nodiscard]] MaybeType<Failure, std::vector<Api::Summoner>> RequestSummoners(
      std::vector<std::uint64_t> summonerIds);
  // RequestSummoners, empty on a failure.
  [[nodiscard]] std::vector<Api::Summoner> LookupSummoners(std::vector<std::uint64_t> summonerIds);
  // The summoners of the v1 lobby's members and invitees; empty outside a lobby or on failure.
  [[nodiscard]] std::vector<Api::Summoner> LookupSummoner();

 private:
  friend class LobbyMembersTesting;

  // The controller of the v1 lobby's queue; null before the controllers exist.
  [[nodiscard]] std::shared_ptr<LobbyController> CurrentLobbyController();
  BindingHttpResult SetMemberInvitePrivilege(std::uint64_t summonerId, bool canInvite);
  // Sets the flag of the member with `summonerId`, tells `controller` (may be null) and publishes
  // the member; false without such a member.
  bool RecordInvitePrivilege(std::uint64_t summonerId, bool canInvite,
                             const std::shared_ptr<LobbyController>& controller);

  LobbyServices& services_;
  Api::Lobby& lobby_;
  bool autoGrantInviteEnabled_ = true;
  // Members already seen by the automatic invite grant.
  std::set<std::uint64_t> autoGrantedMemberIds_;
};

}  // namespace Zarn::Client::Lobby
