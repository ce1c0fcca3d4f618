// A world for the stand-in host: the sibling resources it holds and the replies it scripts,
// read from JSON (the README's "World files" tells what each key sets up):
//   {"resources": {"/path": value, ...},
//    "replies": [{"path": "/p", "method": "GET", "status": 200, "value": v, "error": "text",
//                 "uses": 1, "stream": {"body": "text", "chunks": [10, 10], "announce": 99}}],
//    "lcds": [{"destination": "gameService", "method": "getGame", "class": "com.x.GameDTO",
//              "body": value} | {"destination": ..., "method": ..., "exception": "text",
//              "status": 432} | {"destination": ..., "method": ..., "answers": [answer, ...]}],
//      (a list of answers is used in order, the last one repeating)
//    "proxy": [{"service": "s", "method": "m", "payload": value or text, "status": "200",
//               "error": "text", "timing": "post" | "yield" | "never", "yield": 2,
//               "postError": "text", "postStatus": 500}],
//    "parties": {"players": [{"puuid": "p", "platformId": "XEM1", "accountId": 1,
//                             "summonerId": 2, "eligibilityHash": 3}],
//                "local": "p", "push": "none" | "notification" | "message",
//                "health": "text", "commsToken": "text",
//                "scripts": [{"method": "GET", "path": "v1/players/*",
//                             "kind": "normal" | "status" | "empty" | "not-envelope" |
//                                     "not-player" | "proxy-error",
//                             "httpStatus": 503, "errorCode": "text", "apply": false,
//                             "timing": "post" | "yield" | "never", "yield": 2, "uses": 1}]},
//    "summoners": [{"summonerId": 2, "puuid": "p", "displayName": "N", ...}]}
//      (the summoner lookup "/jyx-summoner/v2/summoners" answers the asked ids it finds here)
// Every key is optional except a reply's "path", the names of a legacy or proxy script, a parties
// player's "puuid" and a parties script's "path"; any other key is refused, and so is a key given
// twice in one of these objects. Data (the resources' paths, a value, a body, a payload, a
// summoner) is read as JSON usually is: a resource's path given twice holds the later value, and
// a value goes on as written. A method is named ("GET", ...; a reply also takes the host's code,
// 1 to 7); a scripted yield is at most the host's MaxIdleYields().
#pragma once

#include <rapidjson/document.h>

#include <cstddef>
#include <string>

#include "host/LegacyPlatform.h"
#include "host/PartiesService.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"

namespace Zarn::Host {

// The largest world file read: far above any world, far below what the 32-bit host's JSON
// reading can hold.
inline constexpr std::size_t kMaxWorldFile = 16 << 20;

// The simulated components a world may script. Either may be null; a world that scripts a
// missing one is refused.
struct WorldServices {
  LegacyPlatform* legacy = nullptr;
  ServiceProxyService* proxy = nullptr;
  PartiesService* parties = nullptr;
};

// Reads one parties script (an entry of "scripts" above) into `*script`. False, with `*error`
// set, when `json` is not one, holds a key it does not know or a yield after `maxYield`.
[[nodiscard]] bool ReadPartiesScript(const rapidjson::Value& json, int maxYield,
                                     PartiesScript* script, std::string* error);

// Seeds `host` (and `services`) from the JSON `text`. False, with `*error` set, for text that is
// not such a world (a key it does not know included; a script's yield may be at most
// host.MaxIdleYields()); what was read before the fault stays in place.
[[nodiscard]] bool LoadWorld(PluginHost& host, const std::string& text, std::string* error,
                             const WorldServices& services = {});

// The text of the world file at `path`, of at most kMaxWorldFile bytes; one that does not say its
// size (a device, a pipe) is read no further than one byte past that. False, with `*error` naming
// the file, when it cannot be read or holds more.
[[nodiscard]] bool ReadWorldFile(const std::string& path, std::string* text, std::string* error);

// LoadWorld from `text`, read from the file at `path`, whose name each error carries.
[[nodiscard]] bool LoadWorldText(PluginHost& host, const std::string& path, const std::string& text,
                                 std::string* error, const WorldServices& services = {});

// ReadWorldFile, then LoadWorldText.
[[nodiscard]] bool LoadWorldFile(PluginHost& host, const std::string& path, std::string* error,
                                 const WorldServices& services = {});

}  // namespace Zarn::Host
