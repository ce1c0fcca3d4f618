// A world for the stand-in host: the sibling resources it holds and the replies it scripts,
// read from JSON:
//   {"resources": {"/path": value, ...},
//    "replies": [{"path": "/p", "method": 2, "status": 200, "value": v, "error": "text",
//                 "uses": 1, "stream": {"body": "text", "chunks": [10, 10], "announce": 99}}]}
// Every key is optional except a reply's "path".
#pragma once

#include <string>

#include "host/PluginHost.h"

namespace Zarn::Host {

// Seeds `host` from the JSON `text`. False, with `*error` set, for text that is not such a world;
// what was read before the fault stays in the host.
[[nodiscard]] bool LoadWorld(PluginHost& host, const std::string& text, std::string* error);

// LoadWorld from the file at `path`.
[[nodiscard]] bool LoadWorldFile(PluginHost& host, const std::string& path, std::string* error);

}  // namespace Zarn::Host
