#include "host/WorldFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "host/HostValue.h"
#include "host/InputFile.h"
#include "host/RouteCaller.h"

namespace Zarn::Host {

namespace {

bool Fail(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

// Refuses a key of `json` that is not one of `known`, so that a misspelt key is not ignored, and
// a key given twice, of which only the first would be read. `what` names the object ("a reply",
// ...). True for an object of known keys, each once, and for a value that is no object (whose
// reader refuses it).
bool KnownKeys(const rapidjson::Value& json, std::initializer_list<const char*> known,
               const char* what, std::string* error) {
  if (!json.IsObject()) return true;
  std::vector<bool> seen(known.size());
  for (const auto& member : json.GetObject()) {
    const std::string_view key(member.name.GetString(), member.name.GetStringLength());
    const auto found = std::find(known.begin(), known.end(), key);
    if (found == known.end()) {
      std::string list;
      for (const char* name : known) list += (list.empty() ? "" : ", ") + std::string(name);
      return Fail(error, "unknown key \"" + EchoOf(std::string(key)) + "\" in " + what +
                             " (known: " + list + ")");
    }
    const auto index = static_cast<std::size_t>(found - known.begin());
    if (seen[index]) return Fail(error, "duplicate key \"" + std::string(key) + "\" in " + what);
    seen[index] = true;
  }
  return true;
}

constexpr char kMethodNames[] =
    "\"GET\", \"POST\", \"PUT\", \"PATCH\", \"DELETE\", \"HEAD\" or \"OPTIONS\"";

// "uses": how many requests a script answers, or -1 for every one.
bool ReadUses(const rapidjson::Value& json, const char* whose, int* uses, std::string* error) {
  if (!json.HasMember("uses")) return true;
  const rapidjson::Value& value = json["uses"];
  if (!value.IsInt() || value.GetInt() == 0 || value.GetInt() < -1) {
    return Fail(error, std::string(whose) + " uses must be a count, or -1 for every request");
  }
  *uses = value.GetInt();
  return true;
}

bool ReadStream(const rapidjson::Value& json, ScriptedStream* stream, std::string* error) {
  if (!json.IsObject()) return Fail(error, "a stream must be an object");
  if (!KnownKeys(json, {"body", "chunks", "announce"}, "a stream", error)) return false;
  if (json.HasMember("body")) {
    if (!json["body"].IsString()) return Fail(error, "a stream's body must be a string");
    stream->body.assign(json["body"].GetString(), json["body"].GetStringLength());
  }
  if (json.HasMember("chunks")) {
    if (!json["chunks"].IsArray()) return Fail(error, "a stream's chunks must be a list");
    for (const auto& size : json["chunks"].GetArray()) {
      if (!size.IsUint()) return Fail(error, "a chunk size must be a 32-bit count");
      StreamChunk chunk;
      chunk.size = size.GetUint();
      stream->chunks.push_back(chunk);
    }
  }
  if (json.HasMember("announce")) {
    if (!json["announce"].IsUint64()) return Fail(error, "a stream's announce must be a count");
    stream->announcedSize = json["announce"].GetUint64();
  }
  return true;
}

bool ReadReply(const rapidjson::Value& json, std::string* path, ScriptedReply* reply,
               std::string* error) {
  if (!json.IsObject() || !json.HasMember("path") || !json["path"].IsString()) {
    return Fail(error, "a reply must be an object with a \"path\" text");
  }
  if (!KnownKeys(json, {"path", "method", "status", "value", "error", "uses", "stream"}, "a reply",
                 error)) {
    return false;
  }
  *path = json["path"].GetString();
  if (json.HasMember("method")) {
    const rapidjson::Value& method = json["method"];
    // A name, as parties scripts take it; older worlds give the host's code.
    const uint32_t code = method.IsString() ? HostMethodCode(method.GetString())
                          : method.IsUint() && !HostMethodName(method.GetUint()).empty()
                              ? method.GetUint()
                              : 0;
    if (code == 0) return Fail(error, std::string("a reply's method must be ") + kMethodNames);
    reply->method = code;
  }
  if (json.HasMember("status")) {
    if (!json["status"].IsUint()) return Fail(error, "a reply's status must be a number");
    reply->status = json["status"].GetUint();
  }
  if (json.HasMember("value")) reply->json = JsonText(json["value"]);
  if (json.HasMember("error")) {
    if (!json["error"].IsString()) return Fail(error, "a reply's error must be a text");
    reply->error = json["error"].GetString();
  }
  if (!ReadUses(json, "a reply's", &reply->uses, error)) return false;
  if (json.HasMember("stream")) {
    reply->stream.emplace();
    if (!ReadStream(json["stream"], &*reply->stream, error)) return false;
  }
  return true;
}

bool ReadText(const rapidjson::Value& json, const char* key, std::string* text) {
  if (!json.HasMember(key) || !json[key].IsString()) return false;
  text->assign(json[key].GetString(), json[key].GetStringLength());
  return true;
}

// One answer of a legacy script: a class with an optional body, or an exception and its status.
bool ReadLcdsAnswer(const rapidjson::Value& json, LcdsAnswer* answer, std::string* error) {
  if (!json.IsObject()) return Fail(error, "a legacy answer must be an object");
  if (json.HasMember("exception")) {
    answer->exception.emplace();
    if (!ReadText(json, "exception", &*answer->exception)) {
      return Fail(error, "a legacy script's exception must be a text");
    }
    if (json.HasMember("status")) {
      if (!json["status"].IsUint()) return Fail(error, "a legacy script's status must be a number");
      answer->status = json["status"].GetUint();
    }
  } else {
    if (!ReadText(json, "class", &answer->typeName)) {
      return Fail(error, "a legacy script needs a \"class\" text or an \"exception\"");
    }
    if (json.HasMember("body")) answer->body = JsonText(json["body"]);
  }
  return true;
}

bool ReadLcdsScript(const rapidjson::Value& json, LegacyPlatform& legacy, std::string* error) {
  std::string destination;
  std::string method;
  if (!json.IsObject() || !ReadText(json, "destination", &destination) ||
      !ReadText(json, "method", &method)) {
    return Fail(error, "a legacy script must be an object with \"destination\" and \"method\"");
  }
  std::vector<LcdsAnswer> answers;
  if (json.HasMember("answers")) {
    if (!KnownKeys(json, {"destination", "method", "answers"}, "a legacy script", error)) {
      return false;
    }
    // Given in order; the last one repeats.
    const rapidjson::Value& list = json["answers"];
    if (!list.IsArray() || list.Empty()) {
      return Fail(error, "a legacy script's answers must be a list that is not empty");
    }
    for (const rapidjson::Value& entry : list.GetArray()) {
      if (!KnownKeys(entry, {"class", "body", "exception", "status"}, "a legacy answer", error)) {
        return false;
      }
      answers.emplace_back();
      if (!ReadLcdsAnswer(entry, &answers.back(), error)) return false;
    }
  } else {
    if (!KnownKeys(json,
                   {"destination", "method", "class", "body", "exception", "status", "answers"},
                   "a legacy script", error)) {
      return false;
    }
    answers.emplace_back();
    if (!ReadLcdsAnswer(json, &answers.back(), error)) return false;
  }
  legacy.ScriptInOrder(destination, method, std::move(answers));
  return true;
}

// "timing" and "yield" of a proxy or parties script; a yield after `maxYield` would come after
// a wait with nothing else to do had ended.
bool ReadTiming(const rapidjson::Value& json, int maxYield, ProxyScript::Timing* timing, int* yield,
                std::string* error) {
  if (json.HasMember("timing")) {
    std::string text;
    ReadText(json, "timing", &text);
    if (text == "post") {
      *timing = ProxyScript::Timing::DuringPost;
    } else if (text == "yield") {
      *timing = ProxyScript::Timing::OnYield;
    } else if (text == "never") {
      *timing = ProxyScript::Timing::Never;
    } else {
      return Fail(error, "a script's timing must be \"post\", \"yield\" or \"never\"");
    }
  }
  if (json.HasMember("yield")) {
    if (!json["yield"].IsInt() || json["yield"].GetInt() < 1 || json["yield"].GetInt() > maxYield) {
      return Fail(error, "a script's yield must be a count from 1 to " + std::to_string(maxYield) +
                             ": a wait with nothing else to do ends after " +
                             std::to_string(maxYield) + " yields");
    }
    *yield = json["yield"].GetInt();
  }
  return true;
}

bool ReadProxyScript(const rapidjson::Value& json, int maxYield, ServiceProxyService& proxy,
                     std::string* error) {
  std::string service;
  std::string method;
  if (!json.IsObject() || !ReadText(json, "service", &service) ||
      !ReadText(json, "method", &method)) {
    return Fail(error, "a proxy script must be an object with \"service\" and \"method\"");
  }
  if (!KnownKeys(json,
                 {"service", "method", "payload", "status", "error", "timing", "yield", "postError",
                  "postStatus"},
                 "a proxy script", error)) {
    return false;
  }
  ProxyScript script;
  if (json.HasMember("payload")) {
    const rapidjson::Value& payload = json["payload"];
    script.reply.payload = payload.IsString()
                               ? std::string(payload.GetString(), payload.GetStringLength())
                               : JsonText(payload);
  }
  if (json.HasMember("status") && !ReadText(json, "status", &script.reply.status)) {
    return Fail(error, "a proxy script's status must be a text");
  }
  if (json.HasMember("error") && !ReadText(json, "error", &script.reply.error)) {
    return Fail(error, "a proxy script's error must be a text");
  }
  if (!ReadTiming(json, maxYield, &script.timing, &script.yield, error)) return false;
  if (json.HasMember("postError")) {
    script.postError.emplace();
    if (!ReadText(json, "postError", &*script.postError)) {
      return Fail(error, "a proxy script's postError must be a text");
    }
  }
  if (json.HasMember("postStatus")) {
    if (!json["postStatus"].IsUint())
      return Fail(error, "a proxy script's postStatus must be a number");
    script.postStatus = json["postStatus"].GetUint();
  }
  proxy.Script(service, method, std::move(script));
  return true;
}

bool ReadPartiesPlayer(const rapidjson::Value& json, PartiesPlayer* player, std::string* error) {
  if (!json.IsObject() || !ReadText(json, "puuid", &player->puuid) || player->puuid.empty()) {
    return Fail(error, "a parties player must be an object with a \"puuid\" text");
  }
  if (!KnownKeys(json, {"puuid", "platformId", "accountId", "summonerId", "eligibilityHash"},
                 "a parties player", error)) {
    return false;
  }
  if (json.HasMember("platformId") && !ReadText(json, "platformId", &player->platformId)) {
    return Fail(error, "a parties player's platformId must be a text");
  }
  for (const auto& [key, target] :
       {std::pair{"accountId", &player->accountId}, std::pair{"summonerId", &player->summonerId}}) {
    if (!json.HasMember(key)) continue;
    if (!json[key].IsUint64())
      return Fail(error, std::string("a parties player's ") + key + " must be a count");
    *target = json[key].GetUint64();
  }
  if (json.HasMember("eligibilityHash")) {
    if (!json["eligibilityHash"].IsInt64()) {
      return Fail(error, "a parties player's eligibilityHash must be a 64-bit number");
    }
    player->eligibilityHash = json["eligibilityHash"].GetInt64();
  }
  return true;
}

// Serves the summoner lookup "/jyx-summoner/v2/summoners" from `json`, a list of summoner
// records: each asked id (the second argument, a list) that a record has, in the asked order.
bool ReadSummoners(const rapidjson::Value& json, PluginHost& host, std::string* error) {
  if (!json.IsArray()) return Fail(error, "\"summoners\" must be a list");
  auto known = std::make_shared<std::map<uint64_t, std::string>>();
  for (const auto& entry : json.GetArray()) {
    if (!entry.IsObject() || !entry.HasMember("summonerId") || !entry["summonerId"].IsUint64()) {
      return Fail(error, "a summoner needs an unsigned \"summonerId\"");
    }
    (*known)[entry["summonerId"].GetUint64()] = JsonText(entry);
  }
  host.AddComponent("/jyx-summoner/v2/summoners", [known](const CoreRequest& request) {
    CoreReply reply;
    rapidjson::Document ids;
    std::string parseError;
    if (request.arguments.size() < 2 || !ParseHostJson(request.arguments[1], &ids, &parseError) ||
        !ids.IsArray()) {
      reply.status = 400;
      reply.error = "the summoner lookup takes a list of summoner ids";
      return reply;
    }
    std::string list;
    for (const auto& id : ids.GetArray()) {
      if (!id.IsUint64()) continue;
      const auto found = known->find(id.GetUint64());
      if (found == known->end()) continue;
      list += (list.empty() ? "" : ",") + found->second;
    }
    reply.json = "[" + list + "]";
    return reply;
  });
  return true;
}

bool ReadParties(const rapidjson::Value& json, int maxYield, PartiesService& parties,
                 std::string* error) {
  if (!json.IsObject()) return Fail(error, "\"parties\" must be an object");
  if (!KnownKeys(json, {"players", "local", "push", "health", "commsToken", "scripts"},
                 "\"parties\"", error)) {
    return false;
  }
  if (json.HasMember("players")) {
    if (!json["players"].IsArray()) return Fail(error, "parties \"players\" must be a list");
    for (const auto& entry : json["players"].GetArray()) {
      PartiesPlayer player;
      if (!ReadPartiesPlayer(entry, &player, error)) return false;
      (void)parties.AddPlayer(player);
    }
  }
  std::string text;
  if (json.HasMember("local")) {
    if (!ReadText(json, "local", &text)) return Fail(error, "parties \"local\" must be a text");
    parties.SetLocalPlayer(text);
  }
  if (json.HasMember("push")) {
    ReadText(json, "push", &text);
    const std::optional<PartiesPush> push = PartiesPushNamed(text);
    if (!push)
      return Fail(error, "parties \"push\" must be \"none\", \"notification\" or \"message\"");
    parties.SetPush(*push);
  }
  if (json.HasMember("health")) {
    if (!ReadText(json, "health", &text)) return Fail(error, "parties \"health\" must be a text");
    parties.SetHealth(text);
  }
  if (json.HasMember("commsToken")) {
    if (!ReadText(json, "commsToken", &text)) {
      return Fail(error, "parties \"commsToken\" must be a text");
    }
    parties.SetCommsToken(text);
  }
  if (json.HasMember("scripts")) {
    if (!json["scripts"].IsArray()) return Fail(error, "parties \"scripts\" must be a list");
    for (const auto& entry : json["scripts"].GetArray()) {
      PartiesScript script;
      if (!ReadPartiesScript(entry, maxYield, &script, error)) return false;
      parties.AddScript(std::move(script));
    }
  }
  return true;
}

}  // namespace

bool ReadPartiesScript(const rapidjson::Value& json, int maxYield, PartiesScript* script,
                       std::string* error) {
  // Checked before the path is looked for, so that a script without one still learns the kinds.
  constexpr char kNeedsPath[] = "a parties script must be an object with a \"path\" text";
  if (!json.IsObject()) return Fail(error, kNeedsPath);
  if (!KnownKeys(
          json,
          {"method", "path", "kind", "httpStatus", "errorCode", "apply", "timing", "yield", "uses"},
          "a parties script", error)) {
    return false;
  }
  if (json.HasMember("method") &&
      (!ReadText(json, "method", &script->method) || HostMethodCode(script->method) == 0)) {
    return Fail(error, std::string("a parties script's method must be ") + kMethodNames);
  }
  if (json.HasMember("kind")) {
    static const std::pair<const char*, PartiesScript::Kind> kKinds[] = {
        {"normal", PartiesScript::Kind::Normal},
        {"status", PartiesScript::Kind::Status},
        {"empty", PartiesScript::Kind::EmptyPayload},
        {"not-envelope", PartiesScript::Kind::NotEnvelope},
        {"not-player", PartiesScript::Kind::NotPlayer},
        {"proxy-error", PartiesScript::Kind::ProxyError},
    };
    std::string kind;
    ReadText(json, "kind", &kind);
    const auto* found = std::find_if(std::begin(kKinds), std::end(kKinds),
                                     [&](const auto& entry) { return kind == entry.first; });
    if (found == std::end(kKinds)) {
      std::string kinds;
      for (std::size_t i = 0; i < std::size(kKinds); ++i) {
        const char* const before = i == 0 ? "" : i + 1 < std::size(kKinds) ? ", " : " or ";
        kinds += before + ("\"" + std::string(kKinds[i].first) + "\"");
      }
      return Fail(error, "a parties script's kind must be " + kinds);
    }
    script->kind = found->second;
  }
  if (!ReadText(json, "path", &script->path)) return Fail(error, kNeedsPath);
  if (json.HasMember("httpStatus")) {
    if (!json["httpStatus"].IsInt())
      return Fail(error, "a parties script's httpStatus must be a number");
    script->httpStatus = json["httpStatus"].GetInt();
  }
  if (json.HasMember("errorCode") && !ReadText(json, "errorCode", &script->errorCode)) {
    return Fail(error, "a parties script's errorCode must be a text");
  }
  if (json.HasMember("apply")) {
    if (!json["apply"].IsBool())
      return Fail(error, "a parties script's apply must be true or false");
    script->apply = json["apply"].GetBool();
  }
  if (!ReadUses(json, "a parties script's", &script->uses, error)) return false;
  return ReadTiming(json, maxYield, &script->timing, &script->yield, error);
}

bool LoadWorld(PluginHost& host, const std::string& text, std::string* error,
               const WorldServices& services) {
  rapidjson::Document world;
  if (!ParseHostJson(text, &world, error, JsonPlace::kLineAndColumn)) return false;
  if (!world.IsObject()) return Fail(error, "a world must be a JSON object");
  if (!KnownKeys(world, {"resources", "replies", "lcds", "proxy", "parties", "summoners"},
                 "the world", error)) {
    return false;
  }
  const int maxYield = host.MaxIdleYields();
  if (world.HasMember("resources")) {
    const rapidjson::Value& resources = world["resources"];
    if (!resources.IsObject()) return Fail(error, "\"resources\" must be an object");
    for (const auto& member : resources.GetObject()) {
      host.SeedResource(member.name.GetString(), JsonText(member.value));
    }
  }
  if (world.HasMember("replies")) {
    const rapidjson::Value& replies = world["replies"];
    if (!replies.IsArray()) return Fail(error, "\"replies\" must be a list");
    for (const auto& entry : replies.GetArray()) {
      std::string path;
      ScriptedReply reply;
      if (!ReadReply(entry, &path, &reply, error)) return false;
      host.ScriptReply(path, std::move(reply));
    }
  }
  if (world.HasMember("lcds")) {
    const rapidjson::Value& scripts = world["lcds"];
    if (!scripts.IsArray()) return Fail(error, "\"lcds\" must be a list");
    if (services.legacy == nullptr) return Fail(error, "no legacy platform to script");
    for (const auto& entry : scripts.GetArray()) {
      if (!ReadLcdsScript(entry, *services.legacy, error)) return false;
    }
  }
  if (world.HasMember("proxy")) {
    const rapidjson::Value& scripts = world["proxy"];
    if (!scripts.IsArray()) return Fail(error, "\"proxy\" must be a list");
    if (services.proxy == nullptr) return Fail(error, "no service proxy to script");
    for (const auto& entry : scripts.GetArray()) {
      if (!ReadProxyScript(entry, maxYield, *services.proxy, error)) return false;
    }
  }
  if (world.HasMember("summoners") && !ReadSummoners(world["summoners"], host, error)) {
    return false;
  }
  if (world.HasMember("parties")) {
    if (services.parties == nullptr) return Fail(error, "no parties service to seed");
    if (!ReadParties(world["parties"], maxYield, *services.parties, error)) return false;
  }
  return true;
}

bool ReadWorldFile(const std::string& path, std::string* text, std::string* error) {
  const std::string shown = EchoOf(path);
  std::ifstream file;
  if (!OpenInputFile(path, "world", &file, error)) return false;
  const auto tooLarge = [&](const std::string& size) {
    return Fail(error, "world " + shown + ": a world file holds at most " +
                           std::to_string(kMaxWorldFile) + " bytes; this one holds " + size);
  };
  // A file that says its size is refused unread. Anything else (a device, a pipe) is read only up
  // to one byte past the limit: it may never end.
  std::error_code fault;
  const uintmax_t size = std::filesystem::file_size(path, fault);
  if (!fault && size > kMaxWorldFile) return tooLarge(std::to_string(size));
  text->clear();
  char chunk[1 << 16];
  while (text->size() <= kMaxWorldFile &&
         (file.read(chunk, static_cast<std::streamsize>(
                               std::min(sizeof chunk, kMaxWorldFile + 1 - text->size()))) ||
          file.gcount() > 0)) {
    text->append(chunk, static_cast<std::size_t>(file.gcount()));
  }
  if (file.bad()) return Fail(error, "cannot read the world " + shown);
  if (text->size() > kMaxWorldFile) return tooLarge("more");
  return true;
}

bool LoadWorldText(PluginHost& host, const std::string& path, const std::string& text,
                   std::string* error, const WorldServices& services) {
  if (LoadWorld(host, text, error, services)) return true;
  *error = "world " + EchoOf(path) + ": " + *error;
  return false;
}

bool LoadWorldFile(PluginHost& host, const std::string& path, std::string* error,
                   const WorldServices& services) {
  std::string text;
  return ReadWorldFile(path, &text, error) && LoadWorldText(host, path, text, error, services);
}

}  // namespace Zarn::Host
