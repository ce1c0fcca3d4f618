// The form of a tournament code: a short upper-case prefix and a hexadecimal identifier.
#pragma once

#include <regex>

namespace Zarn::Client::Lobby {

inline constexpr char kTournamentCodePatternText[] =
    "^[A-Z]{2,4}[0-9a-fA-F]{5}-[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-"
    "fA-F]{12}$";
// The pattern above, compiled once when the library loads (ECMAScript grammar).
[[nodiscard]] const std::regex& TournamentCodePattern();

}  // namespace Zarn::Client::Lobby
