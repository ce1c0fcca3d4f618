// The stand-in host's team-builder plugin: it keeps the player's team-builder lobby under
// "/jyx-lobby-team-builder/v1/lobby" and answers the team-builder requests of the lobby plugin.
//
//   POST   v1/lobby                          keeps the body as the lobby with a fresh
//                                            "invitationId", publishes it and answers it
//   GET    v1/lobby                          the lobby; 404 without one
//   DELETE v1/lobby                          removes the lobby (a Delete event), noting its id;
//                                            404 without one
//   POST   v1/invitations/accept, v1/position-preferences,
//          v1/lobby/members/<id>/promote | kick   success, nothing kept
// The countdown ("v1/lobby/countdown") stays an ordinary resource of the host's store, which
// tests set and delete. Every request is in the host's records; a scripted reply overrides a
// route as for any path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/PluginHost.h"

namespace Zarn::Host {

inline constexpr char kTeamBuilderLobbyPath[] = "/jyx-lobby-team-builder/v1/lobby";
inline constexpr char kTeamBuilderCountdownPath[] = "/jyx-lobby-team-builder/v1/lobby/countdown";

class TeamBuilderPlugin {
 public:
  // Serves the team-builder paths of `host`, which must outlive the plugin's use.
  explicit TeamBuilderPlugin(PluginHost& host);
  TeamBuilderPlugin(const TeamBuilderPlugin&) = delete;
  TeamBuilderPlugin& operator=(const TeamBuilderPlugin&) = delete;

  // The reply to one request of a team-builder path.
  CoreReply Answer(const CoreRequest& request);

  // The invitation id the next created lobby gets: "tb-1", "tb-2", ...
  [[nodiscard]] std::string NextInvitationId() const;
  // How many lobbies were created; the invitation ids of those a DELETE removed, oldest first.
  [[nodiscard]] uint64_t Created() const { return created_; }
  [[nodiscard]] const std::vector<std::string>& Removed() const { return removed_; }

 private:
  CoreReply CreateLobby(const CoreRequest& request);
  // The host's store, for the countdown.
  CoreReply Stored(const CoreRequest& request);

  PluginHost& host_;
  uint64_t created_ = 0;
  std::vector<std::string> removed_;
};

}  // namespace Zarn::Host
