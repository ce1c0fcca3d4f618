#include "lobby/core/GatekeeperReasonMap.h"

namespace Zarn::Client::Lobby {

using Code = Api::EligibilityRestrictionCode;

const GatekeeperReasonCodes GatekeeperReasonMap = {
    {"QUEUE_STATE_NOT_ON", Code::QueueDisabled},
    {"PLAYER_BANNED", Code::PlayerBannedRestriction},
    {"MIN_CHAMPIONS_RESTRICTED", Code::PlayerAvailableChampionRestriction},
    {"MIN_CHAMPIONS_RESTRICTED_NO_FREE", Code::PlayerAvailableChampionRestriction},
    {"TIER_DELTA_RESTRICTED", Code::TeamDivisionRestriction},
    {"MAX_PREMADE_SIZE_VIOLATED", Code::TeamMaxSizeRestriction},
    {"BINGE_PREVENTION", Code::PlayerBingeRestriction},
    {"QUEUE_DODGER", Code::PlayerDodgeRestriction},
    {"ALREADY_IN_GAME", Code::PlayerInGameRestriction},
    {"LEAVER_BUSTED", Code::PlayerLeaverBustedRestriction},
    {"LEAVER_BUSTER_TAINTED_WARNING", Code::PlayerLeaverTaintedWarningRestriction},
    {"MAX_LEVEL_RESTRICTED", Code::PlayerMaxLevelRestriction},
    {"MIN_LEVEL_RESTRICTED", Code::PlayerMinLevelRestriction},
    {"MINOR_RESTRICTED", Code::PlayerMinorRestriction},
    {"RANKED_RESTRICTED", Code::PlayerRankedSuspensionRestriction},
    {"HIGH_MMR_PREMADE_SIZE_RESTRICTED", Code::TeamHighMMRMaxSizeRestriction},
    {"PREREQUISITE_QUEUES_NOT_PLAYED", Code::PrerequisiteQueuesNotPlayedRestriction},
};

}  // namespace Zarn::Client::Lobby
