// The parties backend's lobby operations: the lobby view and status made from the stored party,
// and the requests that leave, kick, promote, invite, join and change the party.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/EligibilityRules.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "lobby/core/PositionCoverage.h"
#include "lobby/core/PositionNames.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

using Role = Api::PartyMemberRoleEnum;
using Code = Api::EligibilityRestrictionCode;

constexpr std::int32_t kSmallestPartySize = 5;
// The queue whose parties are told when their size does not fit.
constexpr std::int32_t kTeamSizeRestrictedQueue = 440;
constexpr char kPartiesSettingsPath[] = "/jyx-settings/v1/account/parties-settings";
constexpr char kInvalidPartyState[] = "Not sending parties analytics, invalid party state";

bool IsMember(Role role) { return role == Role::LEADER || role == Role::MEMBER; }

// Every role but NONE: those the lobby lists as invitations.
bool IsListed(Role role) { return role != Role::NONE; }

const char* RoleName(Role role) {
  switch (role) {
    case Role::LEADER:
      return "LEADER";
    case Role::MEMBER:
      return "MEMBER";
    case Role::INVITED:
      return "INVITED";
    case Role::HOLD:
      return "HOLD";
    case Role::KICKED:
      return "KICKED";
    case Role::DECLINED:
      return "DECLINED";
    case Role::NONE:
      break;
  }
  return "NONE";
}

Api::LobbyInvitationState InvitationState(Role role) {
  switch (role) {
    case Role::LEADER:
    case Role::MEMBER:
      return Api::LobbyInvitationState::Accepted;
    case Role::HOLD:
      return Api::LobbyInvitationState::OnHold;
    case Role::KICKED:
      return Api::LobbyInvitationState::Kicked;
    case Role::DECLINED:
      return Api::LobbyInvitationState::Declined;
    default:
      return Api::LobbyInvitationState::Pending;
  }
}

// Restrictions the lobby does not show: they are the gameflow's to tell.
bool IsLeftOut(Code code) {
  return code == Code::PlayerDodgeRestriction || code == Code::PlayerInGameRestriction ||
         code == Code::PlayerLeaverBustedRestriction ||
         code == Code::PlayerLeaverTaintedWarningRestriction;
}

const Api::Summoner* FindSummoner(const std::vector<Api::Summoner>& summoners,
                                  std::uint64_t summonerId) {
  const auto found =
      std::find_if(summoners.begin(), summoners.end(),
                   [summonerId](const Api::Summoner& s) { return s.summonerId == summonerId; });
  return found != summoners.end() ? &*found : nullptr;
}

Api::LobbyParticipantDto MakeParticipant(const Api::PartyMemberDto& member,
                                         const Api::Summoner* summoner, bool locked,
                                         bool showPositions) {
  Api::LobbyParticipantDto participant;
  // Kept from the party when the summoner plugin did not answer for it.
  participant.summonerId = member.summonerId;
  participant.puuid = member.puuid;
  if (summoner != nullptr) {
    participant.summonerId = summoner->summonerId;
    participant.summonerIconId = summoner->profileIconId;
    participant.summonerName = summoner->displayName;
    participant.summonerInternalName = summoner->internalName;
    participant.puuid = summoner->puuid;
    participant.summonerLevel = summoner->summonerLevel;
    participant.lastSeasonHighestRank = summoner->lastSeasonHighestRank;
  }
  const bool leader = member.role == Role::LEADER;
  participant.isLeader = leader;
  participant.allowedStartActivity = leader;
  participant.allowedChangeActivity = leader;
  participant.allowedToggleInvite = leader;
  participant.allowedKickOthers = leader;
  participant.allowedInviteOthers = member.canInvite.value_or(false);
  participant.ready = member.ready.value_or(false);
  participant.showGhostedBanner = !locked && !participant.ready;
  if (showPositions) {
    const std::vector<std::string>& positions = member.metadata.positionPref;
    // Two empty preferences are sent as an empty list.
    participant.firstPositionPreference = positions.empty() ? kPositionUnselected : positions[0];
    participant.secondPositionPreference =
        positions.size() >= 2 ? positions[1] : kPositionUnselected;
  }
  return participant;
}

// The party's eligibility restrictions as the lobby shows them: one entry per code, naming every
// restricted summoner.
std::vector<Api::EligibilityRestriction> MergeRestrictions(
    const std::vector<Api::GatekeeperRestrictionDto>& restrictions,
    const std::vector<Api::Queue>& queues, const Api::PartyDto& party) {
  std::vector<Api::EligibilityRestriction> merged;
  for (const Api::GatekeeperRestrictionDto& restriction : restrictions) {
    Api::EligibilityRestriction mapped =
        EligibilityRules::MapGatekeeperReason(restriction, queues, party);
    if (IsLeftOut(mapped.restrictionCode)) continue;
    const auto same = std::find_if(merged.begin(), merged.end(),
                                   [&mapped](const Api::EligibilityRestriction& entry) {
                                     return entry.restrictionCode == mapped.restrictionCode;
                                   });
    if (!mapped.summonerIds.empty() && same != merged.end()) {
      same->summonerIds.push_back(mapped.summonerIds.front());
    } else {
      merged.push_back(std::move(mapped));
    }
  }
  return merged;
}

// A full team starts only when everyone is ready and, where positions are chosen, has chosen.
bool FullTeamCovered(const std::vector<Api::PartyMemberDto>& members, bool showPositions) {
  return std::all_of(members.begin(), members.end(), [showPositions](const auto& member) {
    if (!member.ready.value_or(false)) return false;
    if (!showPositions) return true;
    const std::vector<std::string>& positions = member.metadata.positionPref;
    return !positions.empty() && !positions[0].empty() && positions[0] != kPositionUnselected;
  });
}

MaybeType<Failure, void> SendMetadata(PartiesLobbyBackend& backend,
                                      const Api::PartyMemberMetadataDto& metadata) {
  std::string path = "/v1/parties/" + backend.GetCurrentPartyId() + "/members/" +
                     backend.Player().puuid + "/metadata";
  return backend.Request("set metadata", "PUT", std::move(path), metadata);
}

// A route's answer to `outcome`: its code, 500 for none.
HttpResponse ToResponse(const MaybeType<Failure, void>& outcome) {
  if (outcome.HasValue()) return HttpResponse();
  const std::int32_t code = outcome.GetFailure().Code();
  return HttpResponse(code != 0 ? code : 500, outcome.Message());
}

}  // namespace

MaybeType<Failure, Api::LobbyDto> PartiesLobbyBackend::GetLobby() {
  // Copies: the summoner lookup below may wait while a newer state is stored.
  MaybeType<Failure, Api::PartyDto> current = GetCurrentParty();
  if (current.IsFailure()) return std::move(current).GetFailure();
  const Api::PartyDto party = std::move(current).Value();
  const std::uint64_t localSummonerId = player.summonerId;
  if (plugin_ == nullptr) return Failure(400, "NO_QUEUE_SELECTED");
  MaybeType<Failure, Api::Queue> found = plugin_->FindQueue(party.gameMode.queueId);
  if (found.IsFailure()) return Failure(400, "NO_QUEUE_SELECTED");
  const Api::Queue queue = std::move(found).Value();

  std::vector<std::uint64_t> listedIds;
  for (const Api::PartyMemberDto& member : party.players) {
    if (IsListed(member.role)) listedIds.push_back(member.summonerId);
  }
  const std::vector<Api::Summoner> summoners = plugin_->LookupSummoners(std::move(listedIds));

  Api::LobbyDto lobby;
  std::vector<Api::PartyMemberDto> members;
  for (const Api::PartyMemberDto& member : party.players) {
    const Api::Summoner* summoner = FindSummoner(summoners, member.summonerId);
    Api::LobbyInvitationDto invitation;
    invitation.toSummonerId = member.summonerId;
    invitation.state = InvitationState(member.role);
    invitation.timestamp = std::to_string(member.inviteTimestamp.value_or(0));
    if (summoner != nullptr) invitation.toSummonerName = summoner->displayName;
    lobby.invitations.push_back(std::move(invitation));
    if (!IsMember(member.role)) continue;
    members.push_back(member);
    Api::LobbyParticipantDto participant =
        MakeParticipant(member, summoner, party.activityLocked, queue.showPositionSelector);
    if (member.summonerId == localSummonerId) {
      if (const Api::AutoFillDto* autofill = plugin_->AutofillList(); autofill != nullptr) {
        for (const Api::AutoFillQueueDto& entry : autofill->autoFillQueues) {
          if (entry.queueId != party.gameMode.queueId) continue;
          participant.autoFillEligible = entry.autoFillEligible;
          participant.autoFillProtectedForStreaking = entry.autoFillProtectedForStreaking;
          participant.autoFillProtectedForPromos = entry.autoFillProtectedForPromos;
          break;
        }
      }
      lobby.localMember = participant;
    }
    lobby.members.push_back(std::move(participant));
  }
  const std::size_t memberCount = members.size();

  lobby.partyId = party.partyId;
  lobby.chatRoomId = party.chat.jid;
  if (openPartyFlag.IsTrue()) lobby.partyType = party.partyType;

  Api::LobbyGameConfigDto& config = lobby.gameConfig;
  config.gameMode = queue.gameMode;
  config.gameMutator = queue.gameMutator;
  config.mapId = queue.mapId;
  config.allowablePremadeSizes = queue.allowablePremadeSizes;
  config.showPositionSelector = queue.showPositionSelector;
  config.queueId = party.gameMode.queueId;
  config.maxTeamSize = queue.numPlayersPerTeam;
  config.maxLobbySize = queue.maximumParticipantListSize;
  config.maxHumanPlayers = 0;
  config.premadeSizeAllowed =
      std::find(queue.allowablePremadeSizes.begin(), queue.allowablePremadeSizes.end(),
                static_cast<std::int32_t>(memberCount)) != queue.allowablePremadeSizes.end();
  config.isLobbyFull = static_cast<std::int64_t>(memberCount) >= config.maxLobbySize;

  if (party.eligibilityRestrictions.has_value()) {
    const std::vector<Api::Queue>* queues = plugin_->QueueList();
    lobby.restrictions =
        MergeRestrictions(*party.eligibilityRestrictions,
                          queues != nullptr ? *queues : std::vector<Api::Queue>{}, party);
  }

  lobby.canStartActivity =
      !party.activityLocked &&
      std::all_of(members.begin(), members.end(),
                  [](const Api::PartyMemberDto& member) { return member.ready.value_or(false); });

  if (!config.premadeSizeAllowed) {
    lobby.canStartActivity = false;
    if (party.eligibilityRestrictions.has_value() && party.eligibilityRestrictions->empty() &&
        party.gameMode.queueId == kTeamSizeRestrictedQueue) {
      const auto listed = std::count_if(party.players.begin(), party.players.end(),
                                        [](const auto& member) { return IsListed(member.role); });
      Api::EligibilityRestriction teamSize;
      teamSize.restrictionCode = Code::TeamSizeRestriction;
      teamSize.restrictionArgs["teamSizeRestriction"] = std::to_string(listed);
      teamSize.expiredTimestamp = 0;
      lobby.restrictions->push_back(std::move(teamSize));
    }
  }

  const bool covered = static_cast<std::int64_t>(memberCount) == config.maxTeamSize
                           ? FullTeamCovered(members, queue.showPositionSelector)
                           : IsPositionCoverageMet(members, queue.showPositionSelector);
  if (!covered) {
    lobby.canStartActivity = false;
    for (Api::LobbyParticipantDto& participant : lobby.members) {
      participant.allowedStartActivity = false;
    }
    lobby.localMember.allowedStartActivity = false;
  }
  return lobby;
}

std::optional<Api::LobbyStatus> PartiesLobbyBackend::GetLobbyStatus() {
  MaybeType<Failure, Api::PartyDto> current = GetCurrentParty();
  if (current.IsFailure()) return std::nullopt;
  const Api::PartyDto& party = current.Value();
  Api::LobbyStatus status;
  status.queueId = party.gameMode.queueId;
  status.isCustom = false;
  status.isLeader = GetLocalMember().role == Role::LEADER;
  status.isSpectator = false;
  status.allowedPlayAgain = true;
  for (const Api::PartyMemberDto& member : party.players) {
    if (member.summonerId == 0) continue;
    (IsMember(member.role) ? status.memberSummonerIds : status.invitedSummonerIds)
        .push_back(member.summonerId);
  }
  status.lobbyId = party.partyId;
  return status;
}

MaybeType<Failure, void> PartiesLobbyBackend::LeaveLobby() {
  if (!player.currentParty.has_value()) return MaybeType<Failure, void>::Success();
  if (player.currentParty->gameMode.queueId == -1 && player.currentParty->players.size() == 1 &&
      !IsClashParty()) {
    return MaybeType<Failure, void>::Success();
  }
  std::string path = "/v1/parties/" + GetCurrentPartyId() + "/members/" + player.puuid + "/role";
  MaybeType<Failure, AnalyticsEventFields> fields =
      MakePartyAnalyticsFields("parties-open-party-toggle");
  if (fields.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, kInvalidPartyState);
  } else if (plugin_ != nullptr) {
    plugin_->GetAnalytics().SendOpenPartyToggleAnalytics("lobby-deleted", fields.Value());
  }
  MaybeType<Failure, void> left =
      Request("leave party", "PUT", std::move(path), std::string(RoleName(Role::DECLINED)));
  if (left.IsFailure()) ReregisterAfterError(left.GetFailure());
  return left;
}

MaybeType<Failure, void> PartiesLobbyBackend::KickMember(std::uint64_t summonerId) {
  MaybeType<Failure, Api::PartyMemberDto> member = FindCurrentMember(summonerId);
  if (member.IsFailure()) return std::move(member).GetFailure();
  if (GetLocalMember().role != Role::LEADER) return Failure(403, "NOT_AUTHORIZED");
  std::string path =
      "/v1/parties/" + GetCurrentPartyId() + "/members/" + member.Value().puuid + "/role";
  return Request("kick member", "PUT", std::move(path), std::string(RoleName(Role::KICKED)));
}

MaybeType<Failure, void> PartiesLobbyBackend::PromoteMember(std::uint64_t summonerId) {
  MaybeType<Failure, Api::PartyMemberDto> member = FindCurrentMember(summonerId);
  if (member.IsFailure()) return std::move(member).GetFailure();
  if (GetLocalMember().role != Role::LEADER) return Failure(0, "Cannot promote when not leader");
  std::string path =
      "/v1/parties/" + GetCurrentPartyId() + "/members/" + member.Value().puuid + "/role";
  return Request("promote member", "PUT", std::move(path), std::string(RoleName(Role::LEADER)));
}

MaybeType<Failure, void> PartiesLobbyBackend::SetPositionPreferences(
    Api::LobbyPositionPreferences preferences) {
  Api::PartyMemberMetadataDto metadata;
  if (!preferences.firstPreference.empty()) {
    metadata.positionPref.push_back(std::move(preferences.firstPreference));
  }
  if (!preferences.secondPreference.empty()) {
    metadata.positionPref.push_back(std::move(preferences.secondPreference));
  }
  return SendMetadata(*this, metadata);
}

HttpResponse PartiesLobbyBackend::HandlePutMetadata(Api::PartyMemberMetadataDto metadata) {
  return ToResponse(SendMetadata(*this, metadata));
}

MaybeType<Failure, void> PartiesLobbyBackend::ChangeLobby(Api::LobbyChangeGameDto change) {
  if (plugin_ == nullptr) return Failure(400, "NO_QUEUE_SELECTED");
  MaybeType<Failure, Api::Queue> queue = plugin_->FindQueue(change.queueId);
  if (queue.IsFailure()) return Failure(400, "NO_QUEUE_SELECTED");
  Api::GameModeDto mode;
  mode.maxPartySize = std::max(queue.Value().maximumParticipantListSize, kSmallestPartySize);
  mode.queueId = change.queueId;
  std::string path = "/v1/parties/" + GetCurrentPartyId() + "/gamemode";
  MaybeType<Failure, void> changed =
      RequestOrReregister("set game mode", "PUT", std::move(path), mode);
  // Read after the request: the reply is the party as it is now.
  if (changed.HasValue() && player.currentParty.has_value() &&
      player.currentParty->partyType != defaultPartyType && GetLocalMember().role == Role::LEADER) {
    (void)SetPartyTypeRequest(defaultPartyType);
  }
  return changed;
}

MaybeType<Failure, std::vector<Api::Eligibility>> PartiesLobbyBackend::GetPremadeEligibility() {
  MaybeType<Failure, Api::PartyDto> party = GetCurrentParty();
  if (party.IsFailure()) return std::move(party).GetFailure();
  std::vector<std::uint64_t> summonerIds;
  for (const Api::PartyMemberDto& member : party.Value().players) {
    summonerIds.push_back(member.summonerId);
  }
  if (plugin_ == nullptr) return Failure(500, "INVALID_PARTY");
  // The hash changes whenever the party's eligibility inputs do: an unchanged party is cached.
  return plugin_->RequestPremadeEligibility(
      std::move(summonerIds), static_cast<std::uint64_t>(party.Value().eligibilityHash));
}

MaybeType<Failure, void> PartiesLobbyBackend::LeaveLobbyUnlessPending(
    Api::ReceivedInvitationDto invitation) {
  if (invitation.invitationType == Api::InvitationType::party) {
    return MaybeType<Failure, void>::Success();
  }
  return LeaveLobby();
}

MaybeType<Failure, void> PartiesLobbyBackend::AcceptInvitation(std::string invitationId) {
  return SetRoleRequest(std::move(invitationId), Role::MEMBER, "accepted invitation");
}

MaybeType<Failure, void> PartiesLobbyBackend::DeclineInvitation(std::string invitationId) {
  return SetRoleRequest(std::move(invitationId), Role::DECLINED, "declined invitation");
}

MaybeType<Failure, void> PartiesLobbyBackend::SetRoleRequest(std::string partyId, Role role,
                                                             std::string_view action) {
  std::string path = "v1/parties/" + partyId + "/members/" + player.puuid + "/role";
  return RequestOrReregister(action, "PUT", std::move(path), std::string(RoleName(role)));
}

MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> PartiesLobbyBackend::SendInvitations(
    std::vector<Api::LobbyInvitationDto> invitations) {
  MaybeType<Failure, Api::PartyDto> current = GetCurrentParty();
  if (current.IsFailure()) return std::move(current).GetFailure();
  const Api::PartyDto party = std::move(current).Value();
  if (!GetLocalMember().canInvite.value_or(false)) return Failure(403, "NOT_AUTHORIZED");
  std::vector<std::uint64_t> invitees;
  for (const Api::LobbyInvitationDto& invitation : invitations) {
    const bool member =
        std::any_of(party.players.begin(), party.players.end(),
                    [&invitation](const Api::PartyMemberDto& player) {
                      return player.summonerId == invitation.toSummonerId && IsMember(player.role);
                    });
    if (!member) invitees.push_back(invitation.toSummonerId);
  }
  if (invitees.empty() || plugin_ == nullptr) return invitations;
  std::string path = "v1/parties/" + party.partyId + "/bulkInvite";
  std::vector<std::string> puuids;
  for (const Api::Summoner& summoner : plugin_->LookupSummoners(std::move(invitees))) {
    puuids.push_back(summoner.puuid);
  }
  MaybeType<Failure, void> sent = client.SendStatusRequest("POST", std::move(path), puuids);
  if (sent.IsFailure()) {
    const Failure& failure = sent.GetFailure();
    (void)ReportServiceUnavailable(failure);
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties send invitation(s) failure: %s",
              failure.Message());
    ReportRequestFailure("bulk_invite", failure.Message());
  }
  // The invitations stand as asked even when the service refused them: the failure was told.
  return invitations;
}

MaybeType<Failure, void> PartiesLobbyBackend::SetCanInvite(std::uint64_t summonerId,
                                                           bool canInvite) {
  if (MaybeType<Failure, Api::PartyDto> party = GetCurrentParty(); party.IsFailure()) {
    return std::move(party).GetFailure();
  }
  MaybeType<Failure, Api::PartyMemberDto> member = FindCurrentMember(summonerId);
  if (member.IsFailure()) return Failure(404, "SUMMONER_NOT_FOUND");
  std::string path =
      "/v1/parties/" + GetCurrentPartyId() + "/members/" + member.Value().puuid + "/canInvite";
  return Request("set canInvite", "PUT", std::move(path), canInvite);
}

bool PartiesLobbyBackend::GetAvailabilityFlag() {
  return GetLocalMember().canInvite.value_or(false);
}

MaybeType<Failure, void> PartiesLobbyBackend::SetPartyType(std::string partyType) {
  std::optional<LobbyUpdateBatch> batch;
  if (plugin_ != nullptr) batch.emplace(*plugin_);
  if (!openPartyFlag.IsTrue()) return Failure(0, "OPEN_PARTIES_DISABLED");
  if (!player.currentParty.has_value() || player.currentParty->activityLocked) {
    return Failure(0, "INVALID_WHILE_IN_ACTIVITY");
  }
  MaybeType<Failure, void> set = SetPartyTypeRequest(partyType);
  if (set.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties setPartyType failure: %s",
              set.Message());
    return set;
  }
  if (defaultPartyType != partyType && plugin_ != nullptr) {
    defaultPartyType = partyType;
    BindingProperty settings;
    settings.Member("data").Member("Parties").Member("defaultPartyType").SetString(partyType);
    MaybeType<Failure, void> saved =
        plugin_->Request<void>(HttpMethod::Put, kPartiesSettingsPath, settings);
    if (saved.IsFailure()) {
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties failed to save parties-settings: %s",
                saved.Message());
    } else {
      LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0,
                "Parties succeeded saving parties-settings defaultPartyType=%s", partyType.c_str());
    }
  }
  return set;
}

MaybeType<Failure, void> PartiesLobbyBackend::SetPartyTypeRequest(std::string partyType) {
  // Counted as sent whatever the service answers.
  if (plugin_ != nullptr) ++plugin_->GetAnalytics().toggleSession.numOfToggles;
  std::string path = "/v1/parties/" + GetCurrentPartyId() + "/partytype";
  MaybeType<Failure, void> set = Request("set partytype", "PUT", std::move(path), partyType);
  if (set.IsFailure()) ReregisterAfterError(set.GetFailure());
  return set;
}

MaybeType<Failure, void> PartiesLobbyBackend::JoinClashParty(std::string token) {
  MaybeType<Failure, void> joined =
      Request("join clash party", "POST", "/v1/clash-parties/join", token);
  if (joined.IsFailure()) ReregisterAfterError(joined.GetFailure());
  return joined;
}

MaybeType<Failure, void> PartiesLobbyBackend::JoinOpenParty(std::string partyId) {
  if (!teamBuilderQueuesFlag.IsTrue()) return Failure(0, "PARTY_QUEUES_DISABLED");
  MaybeType<Failure, void> joined =
      SetRoleRequest(std::move(partyId), Role::MEMBER, "open party join");
  if (joined.HasValue()) {
    MaybeType<Failure, AnalyticsEventFields> fields =
        MakePartyAnalyticsFields("jyx-join-open-party");
    if (fields.IsFailure()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, kInvalidPartyState);
    } else if (plugin_ != nullptr) {
      plugin_->GetAnalytics().SendJoinOpenPartyAnalytics(fields.Value());
    }
  }
  return joined;
}

void PartiesLobbyBackend::ProcessEnteredGame(Api::GameflowPhase /*previousPhase*/,
                                             Api::GameflowPhase newPhase) {
  if (newPhase == Api::GameflowPhase::None) {
    (void)LeaveLobby();
  } else if (newPhase == Api::GameflowPhase::GameStart && GetLocalMember().role == Role::LEADER) {
    std::string path = "/v1/parties/" + GetCurrentPartyId() + "/enteredGame";
    (void)RequestOrReregister("process entered game", "POST", std::move(path), BindingProperty());
  }
  OnQueuesDisabled();
  RefreshAfterUpdate();
  SchedulePresenceUpdate();
}

void PartiesLobbyBackend::HandleDodge(Api::GameflowGameDodge dodge) {
  if (dodge.state == Api::MatchmakingDodgeState::PartyDodged) {
    LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0, "Party dodge received, cancelling matchmaking");
    MaybeType<Failure, void> ready = SetReadyRequest(true);
    if (ready.IsFailure()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Failed to update player's ready state: %s",
                ready.Message());
    }
  }
  if (dodge.phase != Api::GameflowPhase::ReadyCheck && plugin_ != nullptr) {
    (void)plugin_->AddLobbyNotification(plugin_->CreateDodgeNotification(dodge));
  }
}

}  // namespace Zarn::Client::Lobby
