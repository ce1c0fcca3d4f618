// The parties backend's side of received invitations: the player's party invitations as the
// received-invitations list shows them, and the login session handed over by the plugin.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyMembers.h"
#include "lobby/core/LobbyServices.h"

namespace Zarn::Client::Lobby {

void PartiesLobbyBackend::UpdateLoginSession(Api::LoginSession session) {
  ObservedLoginSession().Update(PluginResourceEventType::Update, session);
}

std::vector<Api::ReceivedInvitationDto> PartiesLobbyBackend::BuildReceivedInvitations() {
  if (!Player().parties.has_value()) return {};
  // Copies: the summoner lookup waits, and a new state may replace the stored one meanwhile.
  std::vector<Api::PartyMemberDto> invited;
  std::vector<std::uint64_t> inviterIds;
  for (const Api::PartyMemberDto& membership : *Player().parties) {
    if (membership.role != Api::PartyMemberRoleEnum::INVITED &&
        membership.role != Api::PartyMemberRoleEnum::HOLD) {
      continue;
    }
    invited.push_back(membership);
    if (membership.invitedBySummonerId.has_value()) {
      inviterIds.push_back(*membership.invitedBySummonerId);
    }
  }
  if (invited.empty()) return {};
  std::unordered_map<std::uint64_t, std::string> names;
  if (services_ != nullptr) {
    for (const Api::Summoner& summoner :
         services_->Members().LookupSummoners(std::move(inviterIds))) {
      names[summoner.summonerId] = summoner.displayName;
    }
  }
  std::vector<Api::ReceivedInvitationDto> invitations;
  invitations.reserve(invited.size());
  for (const Api::PartyMemberDto& membership : invited) {
    Api::ReceivedInvitationDto invitation;
    invitation.invitationId = membership.partyId;
    if (membership.invitedBySummonerId.has_value()) {
      invitation.fromSummonerId = *membership.invitedBySummonerId;
      if (auto name = names.find(invitation.fromSummonerId); name != names.end()) {
        invitation.fromSummonerName = name->second;
      }
    }
    if (membership.inviteTimestamp.has_value()) {
      invitation.timestamp = std::to_string(*membership.inviteTimestamp);
    }
    invitation.state = membership.role == Api::PartyMemberRoleEnum::INVITED
                           ? Api::LobbyInvitationState::Pending
                           : Api::LobbyInvitationState::OnHold;
    invitation.canAcceptInvitation = true;
    if (membership.gameMode.has_value()) {
      invitation.gameConfig.queueId = membership.gameMode->queueId;
      invitation.gameConfig.inviteGameType = membership.gameMode->gameType;
      if (services_ != nullptr) {
        MaybeType<Failure, Api::Queue> queue = services_->FindQueue(invitation.gameConfig.queueId);
        if (queue.HasValue()) {
          invitation.gameConfig.inviteGameType = queue.Value().type;
          invitation.gameConfig.gameMode = queue.Value().gameMode;
          invitation.gameConfig.gameMutator = queue.Value().gameMutator;
          invitation.gameConfig.mapId = queue.Value().mapId;
        }
      }
    }
    invitation.invitationType = Api::InvitationType::party;
    invitations.push_back(std::move(invitation));
  }
  return invitations;
}

}  // namespace Zarn::Client::Lobby
