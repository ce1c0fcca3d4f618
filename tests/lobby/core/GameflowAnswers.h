// The gameflow plugin's answers to a lobby plugin's request for a lobby, scripted on the
// stand-in host, whether the plugin runs in-process or as the loaded library.
#pragma once

#include "host/PluginHost.h"

namespace Zarn::Host::Testing {

inline constexpr char kRequestLobbyPath[] = "/jyx-gameflow/v1/session/request-lobby";

// The next `times` requests for a lobby are answered `allowed`, one scripted reply each.
inline void AnswerLobbyRequests(PluginHost& host, bool allowed = true, int times = 1) {
  ScriptedReply reply;
  reply.json = allowed ? "true" : "false";
  for (int i = 0; i < times; ++i) host.ScriptReply(kRequestLobbyPath, reply);
}

}  // namespace Zarn::Host::Testing
