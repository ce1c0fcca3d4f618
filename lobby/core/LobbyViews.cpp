#include "lobby/core/LobbyViews.h"

#include <algorithm>
#include <string>

#include "lobby/core/CustomGameLobbyBuilder.h"
#include "lobby/core/CustomGameRules.h"
#include "lobby/core/GameMetaData.h"
#include "lobby/core/QueueFeatures.h"

namespace Zarn::Client::Lobby {
namespace {

using Api::LobbyInvitationState;
using Api::PartyMemberRoleEnum;

// A custom lobby may arrive without its custom game part; it reads as a default one.
const Api::LobbyCustomGameLobby& CustomGameLobbyOrDefault(const Api::Lobby& lobby) {
  static const Api::LobbyCustomGameLobby kDefault;
  return lobby.customGameLobby ? *lobby.customGameLobby : kDefault;
}

bool HasMember(const std::vector<Api::LobbyMember>& members, std::uint64_t summonerId) {
  return std::any_of(members.begin(), members.end(), [summonerId](const Api::LobbyMember& member) {
    return member.id == summonerId;
  });
}

std::size_t CountHumans(const std::vector<Api::LobbyMember>& members) {
  return static_cast<std::size_t>(
      std::count_if(members.begin(), members.end(),
                    [](const Api::LobbyMember& member) { return !member.isBot; }));
}

// count >= limit, for a signed limit.
bool Reaches(std::size_t count, std::int32_t limit) {
  return limit < 1 || count >= static_cast<std::size_t>(limit);
}

void FillCustomGameConfig(Api::LobbyGameConfigDto& config, const Api::Lobby& lobby,
                          const SummonerTable& summoners) {
  const Api::LobbyCustomGameLobby& custom = CustomGameLobbyOrDefault(lobby);
  const Api::LobbyCustomGameConfiguration& configuration = custom.configuration;
  config.gameMode = configuration.gameMode;
  config.gameMutator = configuration.gameMutator;
  config.customSpectatorPolicy = configuration.spectatorPolicy;
  config.pickType = configuration.gameTypeConfig.pickMode;
  config.customLobbyName = custom.lobbyName;
  config.customMutatorName = configuration.gameTypeConfig.name;
  config.maxLobbySize = static_cast<std::int32_t>(lobby.maximumParticipantListSize);
  config.maxTeamSize = static_cast<std::int32_t>(lobby.maximumParticipantListSize / 2);
  config.maxHumanPlayers = static_cast<std::int32_t>(configuration.maxPlayerCount);
  config.customTeam100 = MakeLobbyParticipantDtos(custom.teamOne, kCustomTeamOne, summoners);
  config.customTeam200 = MakeLobbyParticipantDtos(custom.teamTwo, kCustomTeamTwo, summoners);
  config.customSpectators = MakeLobbyParticipantDtos(custom.spectators, 0, summoners);
  config.customRewardsDisabledReasons = custom.practiceGameRewardsDisabledReasons;
  // Without a human limit, bots take places like players do.
  if (config.maxHumanPlayers < 1) {
    config.isLobbyFull =
        Reaches(custom.teamOne.size() + custom.teamTwo.size(), config.maxLobbySize);
  } else {
    config.isLobbyFull =
        Reaches(CountHumans(custom.teamOne) + CountHumans(custom.teamTwo), config.maxHumanPlayers);
  }
}

void FillMatchmadeGameConfig(Api::LobbyGameConfigDto& config, const Api::Lobby& lobby,
                             const MaybeType<Failure, Api::Queue>& queue) {
  if (queue.HasValue()) {
    const Api::Queue& found = queue.Value();
    config.gameMutator = found.gameMutator;
    config.gameMode = found.gameMode;
    config.pickType = found.gameTypeConfig.pickMode;
    config.maxTeamSize = found.numPlayersPerTeam;
    config.maxLobbySize = found.maximumParticipantListSize;
  }
  config.maxHumanPlayers = 0;
  config.isLobbyFull = Reaches(lobby.members.size(), config.maxLobbySize);
  config.showPositionSelector = lobby.showPositionSelector;
}

// One view per invitation, in order, with the fields every invitation view shares; `fill` adds
// the rest.
template <class View, class Fill>
std::vector<View> MakeInvitationViews(const std::vector<Api::LobbyInvitation>& invitations,
                                      Fill fill) {
  std::vector<View> views;
  views.reserve(invitations.size());
  for (const Api::LobbyInvitation& invitation : invitations) {
    View& view = views.emplace_back();
    view.invitationId = invitation.id;
    view.state = invitation.state;
    view.timestamp = invitation.timestamp;
    fill(view, invitation);
  }
  return views;
}

LobbyInvitationState InvitationStateOfRole(PartyMemberRoleEnum role) {
  switch (role) {
    case PartyMemberRoleEnum::LEADER:
    case PartyMemberRoleEnum::MEMBER:
      return LobbyInvitationState::Accepted;
    case PartyMemberRoleEnum::HOLD:
      return LobbyInvitationState::OnHold;
    case PartyMemberRoleEnum::KICKED:
      return LobbyInvitationState::Kicked;
    case PartyMemberRoleEnum::DECLINED:
      return LobbyInvitationState::Declined;
    case PartyMemberRoleEnum::INVITED:
    case PartyMemberRoleEnum::NONE:
      break;
  }
  return LobbyInvitationState::Pending;
}

}  // namespace

SummonerTable MakeSummonerTable(const std::vector<Api::Summoner>& summoners) {
  SummonerTable table;
  for (const Api::Summoner& summoner : summoners) {
    table.insert_or_assign(summoner.summonerId, summoner);
  }
  return table;
}

std::int32_t FindCustomTeamOfSummoner(const Api::Lobby& lobby, std::uint64_t summonerId) {
  if (!lobby.isCustom || !lobby.customGameLobby) return 0;
  if (HasMember(lobby.customGameLobby->teamOne, summonerId)) return kCustomTeamOne;
  if (HasMember(lobby.customGameLobby->teamTwo, summonerId)) return kCustomTeamTwo;
  return 0;
}

Api::LobbyDto MakeLobbyDtoFromLobby(const Api::Lobby& lobby,
                                    const MaybeType<Failure, Api::Queue>& queue,
                                    const std::vector<Api::Summoner>& summoners) {
  const SummonerTable table = MakeSummonerTable(summoners);
  Api::LobbyDto view;
  view.partyId = lobby.invitationId;
  view.members.reserve(lobby.members.size());
  for (const Api::LobbyMember& member : lobby.members) {
    view.members.push_back(
        MakeLobbyParticipantDto(member, FindCustomTeamOfSummoner(lobby, member.id), table));
  }
  view.localMember = MakeLobbyParticipantDto(
      lobby.localMember, FindCustomTeamOfSummoner(lobby, lobby.localMember.id), table);
  view.invitations = MakeLobbyInvitationDtos(lobby.invitations, table);
  view.canStartActivity = lobby.canStartMatchmaking;
  view.gameConfig = MakeLobbyGameConfigDto(lobby, queue, table);
  view.chatRoomId = lobby.chatRoomId;
  view.chatRoomKey = lobby.chatRoomKey;
  return view;
}

Api::LobbyGameConfigDto MakeLobbyGameConfigDto(const Api::Lobby& lobby,
                                               const MaybeType<Failure, Api::Queue>& queue,
                                               const SummonerTable& summoners) {
  Api::LobbyGameConfigDto config;
  config.queueId = lobby.queueId;
  config.mapId = lobby.mapId;
  config.isCustom = lobby.isCustom;
  config.allowablePremadeSizes = lobby.allowablePremadeSizes;
  config.premadeSizeAllowed = lobby.premadeSizeAllowed;
  if (lobby.isCustom) {
    FillCustomGameConfig(config, lobby, summoners);
  } else {
    FillMatchmadeGameConfig(config, lobby, queue);
  }
  return config;
}

Api::LobbyParticipantDto MakeLobbyParticipantDto(const Api::LobbyMember& member,
                                                 std::int32_t teamId,
                                                 const SummonerTable& summoners) {
  Api::LobbyParticipantDto participant;
  participant.summonerId = member.id;
  participant.allowedStartActivity = member.isOwner;
  participant.allowedChangeActivity = member.isOwner;
  participant.allowedToggleInvite = member.isOwner;
  participant.allowedKickOthers = member.isOwner;
  participant.isLeader = member.isOwner;
  participant.allowedInviteOthers = member.canInviteOthers;
  participant.isSpectator = member.isSpectator;
  participant.teamId = teamId;
  participant.firstPositionPreference = member.positionPreferences.firstPreference;
  participant.secondPositionPreference = member.positionPreferences.secondPreference;
  participant.autoFillEligible = member.autoFillEligible;
  participant.autoFillProtectedForStreaking = member.autoFillProtectedForStreaking;
  participant.autoFillProtectedForPromos = member.autoFillProtectedForPromos;
  participant.autoFillProtectedForSoloing = member.autoFillProtectedForSoloing;
  participant.isBot = member.isBot;
  if (member.isBot) {
    participant.botId = member.summonerInternalName;
    participant.botDifficulty = member.botDifficulty;
    participant.botChampionId = member.botChampionId;
  }
  participant.ready = true;
  auto found = summoners.find(member.id);
  if (found != summoners.end()) {
    const Api::Summoner& summoner = found->second;
    participant.summonerLevel = summoner.summonerLevel;
    participant.summonerName = summoner.displayName;
    participant.summonerIconId = summoner.profileIconId;
    participant.puuid = summoner.puuid;
    participant.summonerInternalName = summoner.internalName;
    participant.lastSeasonHighestRank = summoner.lastSeasonHighestRank;
  }
  return participant;
}

std::vector<Api::LobbyParticipantDto> MakeLobbyParticipantDtos(
    const std::vector<Api::LobbyMember>& members, std::int32_t teamId,
    const SummonerTable& summoners) {
  std::vector<Api::LobbyParticipantDto> participants;
  participants.reserve(members.size());
  for (const Api::LobbyMember& member : members) {
    participants.push_back(MakeLobbyParticipantDto(member, teamId, summoners));
  }
  return participants;
}

std::vector<Api::LobbyInvitationDto> MakeLobbyInvitationDtos(
    const std::vector<Api::LobbyInvitation>& invitations, const SummonerTable& summoners) {
  return MakeInvitationViews<Api::LobbyInvitationDto>(
      invitations, [&summoners](Api::LobbyInvitationDto& view, const Api::LobbyInvitation& sent) {
        view.toSummonerId = sent.toSummonerId;
        auto found = summoners.find(sent.toSummonerId);
        if (found != summoners.end()) view.toSummonerName = found->second.displayName;
      });
}

Api::LobbyInvitationDto MakePartyInvitationDto(const Api::PartyMemberDto& member,
                                               const Api::Summoner& summoner) {
  Api::LobbyInvitationDto view;
  view.toSummonerId = member.summonerId;
  view.toSummonerName = summoner.displayName;
  view.timestamp = std::to_string(member.inviteTimestamp.value_or(0));
  view.state = InvitationStateOfRole(member.role);
  return view;
}

Api::LobbyStatus MakeLobbyStatusFromLobby(const Api::Lobby& lobby, bool allowedPlayAgain) {
  Api::LobbyStatus status;
  status.queueId = lobby.queueId;
  status.isCustom = lobby.isCustom;
  status.isPracticeTool = lobby.isCustom && lobby.customGameLobby &&
                          lobby.customGameLobby->configuration.gameMutator == kPracticeToolMutator;
  status.isLeader = lobby.localMember.isOwner;
  status.isSpectator = lobby.localMember.isSpectator;
  status.allowedPlayAgain = lobby.localMember.isOwner && allowedPlayAgain;
  status.memberSummonerIds.reserve(lobby.members.size());
  for (const Api::LobbyMember& member : lobby.members)
    status.memberSummonerIds.push_back(member.id);
  if (!lobby.invitationId.empty()) status.lobbyId = lobby.invitationId;
  if (lobby.customGameLobby) {
    status.customSpectatorPolicy = lobby.customGameLobby->configuration.spectatorPolicy;
  }
  return status;
}

std::vector<Api::ReceivedInvitationDto> MakeReceivedInvitationDtos(
    const std::vector<Api::LobbyInvitation>& invitations) {
  return MakeInvitationViews<Api::ReceivedInvitationDto>(
      invitations, [](Api::ReceivedInvitationDto& view, const Api::LobbyInvitation& received) {
        view.fromSummonerId = received.fromSummonerId;
        view.fromSummonerName = received.fromSummonerName;
        view.canAcceptInvitation = received.eligibility.eligible;
        view.restrictions = received.eligibility.restrictions;
        view.gameConfig = MakeReceivedInvitationGameConfig(received.invitationMetaData);
        view.invitationType = Api::InvitationType::lobby;
      });
}

Api::ReceivedInvitationGameConfigDto MakeReceivedInvitationGameConfig(
    const BindingProperty& metaData) {
  Api::ReceivedInvitationGameConfigDto config;
  config.gameMode = metaData.FindMember("gameMode").ToString();
  config.gameMutator = FindGameMutator(metaData);
  config.queueId = GameMetaDataQueueId(metaData);
  config.mapId = GameMetaDataMapId(metaData);
  config.inviteGameType = metaData.FindMember("gameType").ToString();
  return config;
}

Api::Lobby MakeCustomLobbyFromGameDto(const LCDS::GameDTO& game,
                                      const Api::QueueGameTypeConfig& gameTypeConfig,
                                      std::uint32_t practiceToolPlayerCount) {
  Api::Lobby lobby;
  lobby.customGameLobby.emplace();
  BuildCustomGameLobbyFromGameDto(lobby, game, gameTypeConfig, practiceToolPlayerCount);
  return lobby;
}

}  // namespace Zarn::Client::Lobby
