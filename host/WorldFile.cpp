#include "host/WorldFile.h"

#include <fstream>
#include <sstream>

#include "host/HostValue.h"

namespace Zarn::Host {

namespace {

bool Fail(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

bool ReadStream(const rapidjson::Value& json, ScriptedStream* stream, std::string* error) {
  if (!json.IsObject()) return Fail(error, "a stream must be an object");
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
  *path = json["path"].GetString();
  if (json.HasMember("method")) {
    if (!json["method"].IsUint()) return Fail(error, "a reply's method must be a host code");
    reply->method = json["method"].GetUint();
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
  if (json.HasMember("uses")) {
    if (!json["uses"].IsInt() || json["uses"].GetInt() == 0) {
      return Fail(error, "a reply's uses must be a count, or -1 for every request");
    }
    reply->uses = json["uses"].GetInt();
  }
  if (json.HasMember("stream")) {
    reply->stream.emplace();
    if (!ReadStream(json["stream"], &*reply->stream, error)) return false;
  }
  return true;
}

}  // namespace

bool LoadWorld(PluginHost& host, const std::string& text, std::string* error) {
  rapidjson::Document world;
  if (!ParseHostJson(text, &world, error)) return false;
  if (!world.IsObject()) return Fail(error, "a world must be a JSON object");
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
  return true;
}

bool LoadWorldFile(PluginHost& host, const std::string& path, std::string* error) {
  std::ifstream file(path);
  if (!file) return Fail(error, "cannot read the world " + path);
  std::ostringstream text;
  text << file.rdbuf();
  return LoadWorld(host, text.str(), error);
}

}  // namespace Zarn::Host
