// A world for the stand-in host: the sibling resources it holds and the replies it scripts,
// read from JSON:
//   {"resources": {"/path": value, ...},
//    "replies": [{"path": "/p", "method": 2, "status": 200, "value": v, "error": "text",
//                 "uses": 1, "stream": {"body": "text", "chunks": [10, 10], "announce": 99}}],
//    "lcds": [{"destination": "gameService", "method": "getGame", "class": "com.x.GameDTO",
//              "body": value} | {"destination": ..., "method": ..., "exception": "text",
//              "status": 432}],
//    "proxy": [{"service": "s", "method": "m", "payload": value or text, "status": "200",
//               "error": "text", "timing": "post" | "yield" | "never", "yield": 2,
//               "postError": "text", "postStatus": 500}]}
// Every key is optional except a reply's "path" and the names of a legacy or proxy script.
#pragma once

#include <string>

#include "host/LegacyPlatform.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"

namespace Zarn::Host {

// The simulated components a world may script. Either may be null; a world that scripts a
// missing one is refused.
struct WorldServices {
  LegacyPlatform* legacy = nullptr;
  ServiceProxyService* proxy = nullptr;
};

// Seeds `host` (and `services`) from the JSON `text`. False, with `*error` set, for text that is
// not such a world; what was read before the fault stays in place.
[[nodiscard]] bool LoadWorld(PluginHost& host, const std::string& text, std::string* error,
                             const WorldServices& services = {});

// LoadWorld from the file at `path`.
[[nodiscard]] bool LoadWorldFile(PluginHost& host, const std::string& path, std::string* error,
                                 const WorldServices& services = {});

}  // namespace Zarn::Host
