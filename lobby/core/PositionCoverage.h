// Whether the members of a party are ready and, where positions matter, cover enough positions
// between them.
#pragma once

#include <vector>

#include "lobby/model/PartiesRecords.h"

namespace Zarn::Client::Lobby {

// The test of one list: every member ready; with `checkPositions`, no counted member (one
// without "FILL") names "UNSELECTED", and the counted members name more distinct positions
// than there are of them. An empty list, or one without counted members, passes.
[[nodiscard]] bool IsPositionCoverageMetOnce(const std::vector<Api::PartyMemberDto>& members,
                                             bool checkPositions);

// The test above holds for `members` and for every list made by leaving members out. Answered
// in polynomial time (a matching per named position), so a party of any size is answered at
// once.
[[nodiscard]] bool IsPositionCoverageMet(const std::vector<Api::PartyMemberDto>& members,
                                         bool checkPositions);

}  // namespace Zarn::Client::Lobby
