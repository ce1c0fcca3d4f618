#include "lobby/backends/PartiesPaths.h"

#include "sdk/base/PathSegment.h"

namespace Zarn::Client::Lobby {

namespace {

// `root` + "v1/parties/" + the party's segment.
std::string PartyPrefix(std::string_view root, std::string_view partyId) {
  std::string path(root);
  path += "v1/parties/";
  AppendPathSegment(&path, partyId);
  return path;
}

}  // namespace

std::string PartyPath(std::string_view root, std::string_view partyId, std::string_view resource) {
  std::string path = PartyPrefix(root, partyId);
  path += '/';
  path += resource;
  return path;
}

std::string PartyMemberPath(std::string_view root, std::string_view partyId, std::string_view puuid,
                            std::string_view resource) {
  std::string path = PartyPrefix(root, partyId);
  path += "/members/";
  AppendPathSegment(&path, puuid);
  path += '/';
  path += resource;
  return path;
}

std::string PlayerPath(std::string_view puuid) {
  std::string path = "v1/players/";
  AppendPathSegment(&path, puuid);
  return path;
}

}  // namespace Zarn::Client::Lobby
