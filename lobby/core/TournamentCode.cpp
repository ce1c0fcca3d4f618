#include "lobby/core/TournamentCode.h"

namespace Zarn::Client::Lobby {
namespace {

const std::regex kTournamentCode(kTournamentCodePatternText, std::regex::ECMAScript);

}  // namespace

const std::regex& TournamentCodePattern() { return kTournamentCode; }

}  // namespace Zarn::Client::Lobby
