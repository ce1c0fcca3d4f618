// Field-by-field equality of the records whose copies the lobby keeps and compares before it acts
// on a change. Records have no operator== of their own: which fields count is decided here.
#pragma once

#include <vector>

#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/PartiesRecords.h"
#include "lobby/model/QueueRecords.h"

namespace Zarn::Client::Lobby {

// Every field, optional members by presence and then value.
[[nodiscard]] bool RecordsEqual(const Api::QueueReward& a, const Api::QueueReward& b);
[[nodiscard]] bool RecordsEqual(const Api::QueueGameTypeConfig& a,
                                const Api::QueueGameTypeConfig& b);
// Every field, the game type configuration and the rewards included.
[[nodiscard]] bool RecordsEqual(const Api::Queue& a, const Api::Queue& b);
// Same length and every element equal, in order.
[[nodiscard]] bool RecordsEqual(const std::vector<Api::Queue>& a, const std::vector<Api::Queue>& b);

// The lobby view and the records published beside it. Each compares the fields that decide
// whether a publication is due, in a fixed order, and stops at the first difference. Floating
// point fields compare as numbers, so a NaN never equals itself and always republishes.
[[nodiscard]] bool RecordsEqual(const Api::LobbyParticipantDto& a,
                                const Api::LobbyParticipantDto& b);
[[nodiscard]] bool RecordsEqual(const std::vector<Api::LobbyParticipantDto>& a,
                                const std::vector<Api::LobbyParticipantDto>& b);
[[nodiscard]] bool RecordsEqual(const Api::LobbyInvitationDto& a, const Api::LobbyInvitationDto& b);
[[nodiscard]] bool RecordsEqual(const std::vector<Api::LobbyInvitationDto>& a,
                                const std::vector<Api::LobbyInvitationDto>& b);
// Leaves out customMutatorName: a renamed mutator alone is no new lobby to publish.
[[nodiscard]] bool RecordsEqual(const Api::LobbyGameConfigDto& a, const Api::LobbyGameConfigDto& b);
[[nodiscard]] bool RecordsEqual(const Api::LobbyDto& a, const Api::LobbyDto& b);
[[nodiscard]] bool RecordsEqual(const Api::LobbyStatus& a, const Api::LobbyStatus& b);
[[nodiscard]] bool RecordsEqual(const Api::LobbyMatchmakingLowPriorityDataResource& a,
                                const Api::LobbyMatchmakingLowPriorityDataResource& b);
[[nodiscard]] bool RecordsEqual(const Api::LobbyMatchmakingSearchErrorResource& a,
                                const Api::LobbyMatchmakingSearchErrorResource& b);
[[nodiscard]] bool RecordsEqual(const Api::MatchmakingSearchResource& a,
                                const Api::MatchmakingSearchResource& b);
[[nodiscard]] bool RecordsEqual(const Api::ReceivedInvitationGameConfigDto& a,
                                const Api::ReceivedInvitationGameConfigDto& b);
// Every field, the invitation type (which travels outside the wire form) among them.
[[nodiscard]] bool RecordsEqual(const Api::ReceivedInvitationDto& a,
                                const Api::ReceivedInvitationDto& b);
[[nodiscard]] bool RecordsEqual(const Api::EligibilityRestriction& a,
                                const Api::EligibilityRestriction& b);
[[nodiscard]] bool RecordsEqual(const std::vector<Api::EligibilityRestriction>& a,
                                const std::vector<Api::EligibilityRestriction>& b);
[[nodiscard]] bool RecordsEqual(const Api::GatekeeperRestrictionDto& a,
                                const Api::GatekeeperRestrictionDto& b);
[[nodiscard]] bool RecordsEqual(const std::vector<Api::GatekeeperRestrictionDto>& a,
                                const std::vector<Api::GatekeeperRestrictionDto>& b);

}  // namespace Zarn::Client::Lobby
