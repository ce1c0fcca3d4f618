// The parties backend's side of received invitations: the party invitations a state may bring,
// those the received-invitations list shows as it shows them, and the login session handed over
// by the plugin.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyMembers.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/core/ReceivedInvitations.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

namespace {

// A membership the player was invited to or holds.
bool IsInvitation(const Api::PartyMemberDto& membership) {
  return membership.role == Api::PartyMemberRoleEnum::INVITED ||
         membership.role == Api::PartyMemberRoleEnum::HOLD;
}

}  // namespace

void PartiesLobbyBackend::UpdateLoginSession(Api::LoginSession session) {
  ObservedLoginSession().Update(PluginResourceEventType::Update, session);
}

void PartiesLobbyBackend::TrimPartyInvitations(Api::PlayerDto& player) {
  if (!player.parties.has_value()) return;
  std::vector<Api::PartyMemberDto>& memberships = *player.parties;
  const std::size_t noIds = std::erase_if(memberships, [](const Api::PartyMemberDto& membership) {
    return IsInvitation(membership) && !ReceivedInvitations::IsInvitationId(membership.partyId);
  });
  if (noIds != 0) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Dropping %u party invitations of a parties state: their party id is empty, only "
              "dots or holds a control character",
              static_cast<unsigned>(noIds));
  }
  constexpr std::size_t kMax = ReceivedInvitations::kMaxInvitations;
  std::vector<std::size_t> invitations;
  for (std::size_t i = 0; i < memberships.size(); ++i) {
    if (IsInvitation(memberships[i])) invitations.push_back(i);
  }
  if (invitations.size() <= kMax) return;
  // Every publication looks up, sorts and compares the whole list: the newest are kept.
  std::partial_sort(invitations.begin(), invitations.begin() + kMax, invitations.end(),
                    [&memberships](std::size_t a, std::size_t b) {
                      const std::optional<std::uint64_t>& at = memberships[a].inviteTimestamp;
                      const std::optional<std::uint64_t>& bt = memberships[b].inviteTimestamp;
                      return at != bt ? at > bt : a < b;
                    });
  std::vector<bool> dropped(memberships.size(), false);
  for (auto at = invitations.begin() + kMax; at != invitations.end(); ++at) dropped[*at] = true;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < memberships.size(); ++i) {
    if (dropped[i]) continue;
    if (kept != i) memberships[kept] = std::move(memberships[i]);
    ++kept;
  }
  memberships.erase(memberships.begin() + static_cast<std::ptrdiff_t>(kept), memberships.end());
  LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
            "Dropping the %u oldest party invitations of a parties state: at most %u are kept",
            static_cast<unsigned>(invitations.size() - kMax), static_cast<unsigned>(kMax));
}

std::vector<Api::ReceivedInvitationDto> PartiesLobbyBackend::BuildReceivedInvitations() {
  if (!Player().parties.has_value()) return {};
  // Copies: the summoner lookup waits, and a new state may replace the stored one meanwhile.
  std::vector<Api::PartyMemberDto> invited;
  std::vector<std::uint64_t> inviterIds;
  for (const Api::PartyMemberDto& membership : *Player().parties) {
    if (!IsInvitation(membership)) continue;
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
