// The restriction codes of the parties service's gatekeeper reasons.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>

#include "lobby/model/QueueRecords.h"
#include "sdk/base/Fnv1a.h"

namespace Zarn::Client::Lobby {

using GatekeeperReasonCodes = std::unordered_map<std::string, Api::EligibilityRestrictionCode,
                                                 Fnv1aStringHash, std::equal_to<>>;

// Every gatekeeper reason the lobby knows, by its exact text (a std::string_view finds an entry
// without a copy). Filled during static initialization and never changed afterwards, so it may
// be read from any thread once the library is loaded; a reason that is not here has no code.
extern const GatekeeperReasonCodes GatekeeperReasonMap;

}  // namespace Zarn::Client::Lobby
