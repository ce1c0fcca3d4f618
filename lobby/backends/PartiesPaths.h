// The parties service's request paths. Every id in them, whoever gave it (a caller of the lobby's
// routes, the service's own replies and messages, the login session), is one segment
// (PathSegment): an id cannot point a request at another path of the service.
#pragma once

#include <string>
#include <string_view>

namespace Zarn::Client::Lobby {

// `root` + "v1/parties/" + the party's segment + "/" + `resource`. `root` is "/", "" or "comms/"
// as each request of the service is written.
[[nodiscard]] std::string PartyPath(std::string_view root, std::string_view partyId,
                                    std::string_view resource);
// `root` + "v1/parties/" + the party's segment + "/members/" + the player's segment + "/" +
// `resource`.
[[nodiscard]] std::string PartyMemberPath(std::string_view root, std::string_view partyId,
                                          std::string_view puuid, std::string_view resource);
// "v1/players/" + the player's segment.
[[nodiscard]] std::string PlayerPath(std::string_view puuid);

}  // namespace Zarn::Client::Lobby
