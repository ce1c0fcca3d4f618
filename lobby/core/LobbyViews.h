// The version 2 views of the version 1 lobby: the lobby view with its participants, invitations
// and game configuration, the lobby status told to the gameflow plugin, and the received
// invitations; and the custom lobby made from a legacy custom game. Every function reads only
// its arguments.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "lobby/model/LcdsRecords.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/PartiesRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/base/MaybeType.h"
#include "sdk/binding/BindingProperty.h"

namespace Zarn::Client::Lobby {

// Summoners by summoner id.
using SummonerTable = std::unordered_map<std::uint64_t, Api::Summoner>;

// The team ids of a custom game; a lobby's other members are on no team (0).
inline constexpr std::int32_t kCustomTeamOne = 100;
inline constexpr std::int32_t kCustomTeamTwo = 200;

// `summoners` by id; of two with one id the later stands.
[[nodiscard]] SummonerTable MakeSummonerTable(const std::vector<Api::Summoner>& summoners);

// 100 when `summonerId` is in the custom game's first team (even when also in the second), 200
// when only in the second, 0 otherwise and for a lobby that is not custom. A custom lobby
// without its custom game part counts as one with empty teams.
[[nodiscard]] std::int32_t FindCustomTeamOfSummoner(const Api::Lobby& lobby,
                                                    std::uint64_t summonerId);

// The lobby view of `lobby`. `queue` is the lookup of the lobby's queue, a failure when it is
// not known; `summoners` are the known summoners of members and invitees, the others are shown
// without names.
[[nodiscard]] Api::LobbyDto MakeLobbyDtoFromLobby(const Api::Lobby& lobby,
                                                  const MaybeType<Failure, Api::Queue>& queue,
                                                  const std::vector<Api::Summoner>& summoners);

// The game configuration of the view: for a custom lobby from its custom game part (a default
// one when absent), otherwise from `queue` when it was found.
[[nodiscard]] Api::LobbyGameConfigDto MakeLobbyGameConfigDto(
    const Api::Lobby& lobby, const MaybeType<Failure, Api::Queue>& queue,
    const SummonerTable& summoners);

// `member` as a participant on team `teamId`, named from `summoners` when it holds the member.
[[nodiscard]] Api::LobbyParticipantDto MakeLobbyParticipantDto(const Api::LobbyMember& member,
                                                               std::int32_t teamId,
                                                               const SummonerTable& summoners);

// MakeLobbyParticipantDto of each of `members`, in order.
[[nodiscard]] std::vector<Api::LobbyParticipantDto> MakeLobbyParticipantDtos(
    const std::vector<Api::LobbyMember>& members, std::int32_t teamId,
    const SummonerTable& summoners);

// The invitations sent from the lobby, in order; an invitee that `summoners` lacks has an empty
// name.
[[nodiscard]] std::vector<Api::LobbyInvitationDto> MakeLobbyInvitationDtos(
    const std::vector<Api::LobbyInvitation>& invitations, const SummonerTable& summoners);

// A party member as an invitation of the lobby view: its state from its role, its timestamp "0"
// when the service gave none. `summoner` names it.
[[nodiscard]] Api::LobbyInvitationDto MakePartyInvitationDto(const Api::PartyMemberDto& member,
                                                             const Api::Summoner& summoner);

// The status of `lobby` for the gameflow plugin; play again is allowed only to the owner and
// only when `allowedPlayAgain`. The lobby id is unset when the lobby has no invitation id.
[[nodiscard]] Api::LobbyStatus MakeLobbyStatusFromLobby(const Api::Lobby& lobby,
                                                        bool allowedPlayAgain);

// The invitations the local player received, in order, of type lobby.
[[nodiscard]] std::vector<Api::ReceivedInvitationDto> MakeReceivedInvitationDtos(
    const std::vector<Api::LobbyInvitation>& invitations);

// The game an invitation is for, from its free-form meta-data; queue and map are -1 when the
// meta-data do not name them as integers.
[[nodiscard]] Api::ReceivedInvitationGameConfigDto MakeReceivedInvitationGameConfig(
    const BindingProperty& metaData);

// A new lobby with a custom game part filled from `game` by BuildCustomGameLobbyFromGameDto.
[[nodiscard]] Api::Lobby MakeCustomLobbyFromGameDto(const LCDS::GameDTO& game,
                                                    const Api::QueueGameTypeConfig& gameTypeConfig,
                                                    std::uint32_t practiceToolPlayerCount);

}  // namespace Zarn::Client::Lobby
