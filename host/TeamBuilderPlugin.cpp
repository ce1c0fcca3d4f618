#include "host/TeamBuilderPlugin.h"

#include <rapidjson/document.h>

#include <optional>

#include "host/HostValue.h"

namespace Zarn::Host {

namespace {

enum : uint32_t { kDelete = 1, kGet = 2, kPost = 6, kPut = 7 };

constexpr char kPrefix[] = "/jyx-lobby-team-builder/";
constexpr char kMembersPrefix[] = "/jyx-lobby-team-builder/v1/lobby/members/";

// ".../members/<digits>/promote" or ".../kick".
bool IsMemberAction(const std::string& path) {
  const std::string prefix = kMembersPrefix;
  if (path.compare(0, prefix.size(), prefix) != 0) return false;
  const std::string rest = path.substr(prefix.size());
  const std::size_t slash = rest.find('/');
  if (slash == 0 || slash == std::string::npos) return false;
  for (std::size_t i = 0; i < slash; ++i) {
    if (rest[i] < '0' || rest[i] > '9') return false;
  }
  const std::string action = rest.substr(slash + 1);
  return action == "promote" || action == "kick";
}

// The "invitationId" of the lobby kept as `json`; empty when it has none.
std::string InvitationIdOf(const std::string& json) {
  rapidjson::Document lobby;
  std::string error;
  if (!ParseHostJson(json, &lobby, &error) || !lobby.IsObject()) return std::string();
  const auto id = lobby.FindMember("invitationId");
  return id != lobby.MemberEnd() && id->value.IsString() ? id->value.GetString() : std::string();
}

CoreReply NotServed(const CoreRequest& request) {
  return CoreReply{404, std::nullopt, "The team-builder plugin does not serve " + request.path};
}

}  // namespace

TeamBuilderPlugin::TeamBuilderPlugin(PluginHost& host) : host_(host) {
  host_.AddComponent(kPrefix, [this](const CoreRequest& request) { return Answer(request); });
}

std::string TeamBuilderPlugin::NextInvitationId() const {
  return "tb-" + std::to_string(created_ + 1);
}

CoreReply TeamBuilderPlugin::Answer(const CoreRequest& request) {
  const std::string& path = request.path;
  if (path == kTeamBuilderCountdownPath) return Stored(request);
  if (path == kTeamBuilderLobbyPath) {
    switch (request.method) {
      case kPost:
        return CreateLobby(request);
      case kGet:
      case kDelete: {
        const std::optional<std::string> lobby = host_.Resource(path);
        if (!lobby) return CoreReply{404, std::nullopt, "There is no team-builder lobby"};
        if (request.method == kDelete) removed_.push_back(InvitationIdOf(*lobby));
        return Stored(request);
      }
      default:
        return NotServed(request);
    }
  }
  if (request.method == kPost &&
      (path == "/jyx-lobby-team-builder/v1/invitations/accept" ||
       path == "/jyx-lobby-team-builder/v1/position-preferences" || IsMemberAction(path))) {
    return CoreReply{};
  }
  return NotServed(request);
}

CoreReply TeamBuilderPlugin::CreateLobby(const CoreRequest& request) {
  rapidjson::Document lobby;
  std::string error;
  if (request.arguments.empty() || !ParseHostJson(request.arguments.front(), &lobby, &error) ||
      !lobby.IsObject()) {
    return CoreReply{400, std::nullopt, "The team-builder lobby must be a JSON object"};
  }
  const std::string invitationId = NextInvitationId();
  ++created_;
  lobby.RemoveMember("invitationId");
  lobby.AddMember("invitationId", rapidjson::Value(invitationId.c_str(), lobby.GetAllocator()),
                  lobby.GetAllocator());
  const std::string text = JsonText(lobby);
  host_.SetResource(kTeamBuilderLobbyPath, text);
  return CoreReply{200, text, std::nullopt};
}

CoreReply TeamBuilderPlugin::Stored(const CoreRequest& request) {
  const std::string& path = request.path;
  switch (request.method) {
    case kGet:
      if (std::optional<std::string> value = host_.Resource(path)) {
        return CoreReply{200, *value, std::nullopt};
      }
      break;
    case kDelete:
      if (host_.DeleteResource(path)) return CoreReply{};
      break;
    case kPost:
    case kPut: {
      const std::string value = request.arguments.empty() ? "null" : request.arguments.front();
      host_.SetResource(path, value);
      return CoreReply{200, value, std::nullopt};
    }
    default:
      return NotServed(request);
  }
  return CoreReply{404, std::nullopt, "No component of the host serves " + path};
}

}  // namespace Zarn::Host
