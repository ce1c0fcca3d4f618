#include "host/CommandShell.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "host/HostValue.h"
#include "host/ResourceEventName.h"

namespace Zarn::Host {

namespace {

// Splits "word rest" at the first run of blanks; `rest` keeps its inner blanks.
void SplitWord(const std::string& text, std::string* word, std::string* rest) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) {
    word->clear();
    rest->clear();
    return;
  }
  const std::size_t end = text.find_first_of(" \t", begin);
  *word = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
  const std::size_t restBegin =
      end == std::string::npos ? std::string::npos : text.find_first_not_of(" \t", end);
  *rest = restBegin == std::string::npos ? std::string() : text.substr(restBegin);
  while (!rest->empty() && (rest->back() == ' ' || rest->back() == '\t' || rest->back() == '\r')) {
    rest->pop_back();
  }
}

std::string EventJson(const std::string& path) {
  rapidjson::Document json(rapidjson::kObjectType);
  json.AddMember("event", rapidjson::Value(ResourceEventName(path).c_str(), json.GetAllocator()),
                 json.GetAllocator());
  return JsonText(json);
}

}  // namespace

std::string StartJson(const std::string& shortName, bool started) {
  rapidjson::Document json(rapidjson::kObjectType);
  json.AddMember("plugin", rapidjson::Value(shortName.c_str(), json.GetAllocator()),
                 json.GetAllocator());
  json.AddMember("started", started, json.GetAllocator());
  return JsonText(json);
}

std::string ErrorJson(const std::string& message) {
  rapidjson::Document json(rapidjson::kObjectType);
  json.AddMember("error", rapidjson::Value(message.c_str(), json.GetAllocator()),
                 json.GetAllocator());
  return JsonText(json);
}

bool CommandShell::Execute(const std::string& line, std::string* output) {
  std::string command;
  std::string rest;
  // Script files written elsewhere may end their lines with "\r\n".
  SplitWord(!line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line, &command,
            &rest);
  output->clear();
  if (command.empty()) return true;

  if (command == "quit") {
    *output = R"({"quit":true})";
    return false;
  }
  if (command == "GET" || command == "POST" || command == "PUT" || command == "PATCH" ||
      command == "DELETE") {
    *output = Call(command, rest);
  } else if (command == "advance") {
    *output = AdvanceClock(rest);
  } else if (command == "events") {
    *output = rest.empty() ? Events() : ErrorJson("events takes no argument");
  } else if (command == "set") {
    *output = Set(rest);
  } else if (command == "delete") {
    *output = Delete(rest);
  } else if (command == "stats") {
    *output = rest.empty() ? Stats() : ErrorJson("stats takes no argument");
  } else if (command == "lcds") {
    *output = PushLcds(rest);
  } else if (command == "lcds-answer" || command == "lcds-throw") {
    *output = AnswerLcds(rest, command == "lcds-throw");
  } else if (command == "proxy-reply") {
    *output = ProxyReply(rest);
  } else if (command == "proxy-method" || command == "proxy-async") {
    *output = ProxyEvent(rest, command == "proxy-async");
  } else {
    *output = ErrorJson("unknown command: " + command);
  }
  host_.RunDue();
  return true;
}

std::string CommandShell::Call(const std::string& method, const std::string& rest) {
  std::string path;
  std::string body;
  SplitWord(rest, &path, &body);
  if (path.empty() || path[0] != '/') return ErrorJson(method + " needs a path beginning with /");
  if (!body.empty()) {
    rapidjson::Document json;
    std::string error;
    if (!ParseHostJson(body, &json, &error)) return ErrorJson("body: " + error);
  }
  if (!host_.Loaded()) return ErrorJson("no plugin is loaded");
  const RouteAnswer answer = host_.CallRoute(method, path, body);
  rapidjson::Document json(rapidjson::kObjectType);
  auto& allocator = json.GetAllocator();
  rapidjson::Document bodyValue;
  bodyValue.Parse(answer.body.c_str(), answer.body.size());
  json.AddMember("status", answer.status, allocator);
  rapidjson::Value error;
  if (answer.error) error.SetString(answer.error->c_str(), allocator);
  json.AddMember("error", error, allocator);
  json.AddMember("body", rapidjson::Value(bodyValue, allocator), allocator);
  return JsonText(json);
}

std::string CommandShell::AdvanceClock(const std::string& rest) {
  errno = 0;
  char* end = nullptr;
  const double seconds = std::strtod(rest.c_str(), &end);
  if (rest.empty() || end == nullptr || *end != '\0' || errno != 0 || !std::isfinite(seconds) ||
      seconds < 0) {
    return ErrorJson("advance needs a number of seconds, 0 or more");
  }
  const int ran = host_.Advance(seconds);
  rapidjson::Document json(rapidjson::kObjectType);
  auto& allocator = json.GetAllocator();
  json.AddMember("clock", static_cast<double>(host_.Scheduler().Now()) / 1e9, allocator);
  json.AddMember("ran", ran, allocator);
  return JsonText(json);
}

std::string CommandShell::Events() {
  rapidjson::Document json(rapidjson::kObjectType);
  auto& allocator = json.GetAllocator();
  rapidjson::Value list(rapidjson::kArrayType);
  for (const PublishedEvent& event : host_.TakeNewEvents()) {
    rapidjson::Value entry(rapidjson::kObjectType);
    rapidjson::Document payload;
    payload.Parse(event.payload.c_str(), event.payload.size());
    entry.AddMember("name", rapidjson::Value(event.name.c_str(), allocator), allocator);
    entry.AddMember("payload", rapidjson::Value(payload, allocator), allocator);
    list.PushBack(entry, allocator);
  }
  json.AddMember("events", list, allocator);
  return JsonText(json);
}

std::string CommandShell::Set(const std::string& rest) {
  std::string path;
  std::string value;
  SplitWord(rest, &path, &value);
  if (path.empty() || path[0] != '/') return ErrorJson("set needs a path beginning with /");
  if (value.empty()) return ErrorJson("set needs a JSON value");
  rapidjson::Document json;
  std::string error;
  if (!ParseHostJson(value, &json, &error)) return ErrorJson("value: " + error);
  host_.SetResource(path, JsonText(json));
  return EventJson(path);
}

std::string CommandShell::Delete(const std::string& rest) {
  std::string path;
  std::string extra;
  SplitWord(rest, &path, &extra);
  if (path.empty() || path[0] != '/' || !extra.empty()) {
    return ErrorJson("delete needs one path beginning with /");
  }
  if (!host_.DeleteResource(path)) return ErrorJson("no resource at " + path);
  return EventJson(path);
}

std::string CommandShell::Stats() {
  const std::optional<Zarn::MemoryStats> stats = host_.ReadMemoryStats();
  if (!stats) return ErrorJson("no plugin has been loaded");
  rapidjson::Document json(rapidjson::kObjectType);
  auto& allocator = json.GetAllocator();
  json.AddMember("peakLiveBytes", stats->peakLiveBytes, allocator);
  json.AddMember("liveBlocksAtPeak", stats->liveBlocksAtPeak, allocator);
  json.AddMember("bytesAllocated", stats->bytesAllocated, allocator);
  json.AddMember("allocations", stats->allocations, allocator);
  json.AddMember("bytesFreed", stats->bytesFreed, allocator);
  json.AddMember("frees", stats->frees, allocator);
  return JsonText(json);
}

std::string CommandShell::PushLcds(const std::string& rest) {
  std::string className;
  std::string body;
  SplitWord(rest, &className, &body);
  if (className.empty() || body.empty())
    return ErrorJson("lcds needs a class name and a JSON body");
  if (!legacy_.Push(className, body)) return ErrorJson("lcds: the body is not JSON");
  return R"({"pushed":true})";
}

std::string CommandShell::AnswerLcds(const std::string& rest, bool exception) {
  std::string destination;
  std::string method;
  std::string third;
  std::string tail;
  std::string afterDestination;
  std::string afterMethod;
  SplitWord(rest, &destination, &afterDestination);
  SplitWord(afterDestination, &method, &afterMethod);
  SplitWord(afterMethod, &third, &tail);
  LcdsAnswer answer;
  if (exception) {
    char* end = nullptr;
    const unsigned long status = std::strtoul(third.c_str(), &end, 10);
    if (destination.empty() || method.empty() || third.empty() || *end != '\0' || status > 999 ||
        tail.empty()) {
      return ErrorJson("lcds-throw needs a destination, a method, a status and a text");
    }
    answer.exception = tail;
    answer.status = static_cast<uint32_t>(status);
  } else {
    if (destination.empty() || method.empty() || third.empty()) {
      return ErrorJson("lcds-answer needs a destination, a method, a class and a JSON body");
    }
    if (!tail.empty()) {
      rapidjson::Document json;
      std::string error;
      if (!ParseHostJson(tail, &json, &error)) return ErrorJson("body: " + error);
      answer.body = tail;
    }
    answer.typeName = third;
  }
  legacy_.Script(destination, method, answer);
  return R"({"scripted":true})";
}

std::string CommandShell::ProxyReply(const std::string& rest) {
  std::string uuid;
  std::string payload;
  SplitWord(rest, &uuid, &payload);
  if (uuid.empty()) return ErrorJson("proxy-reply needs a uuid (or next) and a payload");
  ProxyMessage reply;
  reply.payload = payload;
  if (!proxy_.ReplyTo(uuid, reply)) return ErrorJson("no unanswered request " + uuid);
  return R"({"replied":true})";
}

std::string CommandShell::ProxyEvent(const std::string& rest, bool async) {
  std::string service;
  std::string method;
  std::string afterService;
  std::string payload;
  SplitWord(rest, &service, &afterService);
  SplitWord(afterService, &method, &payload);
  if (service.empty() || method.empty()) {
    return ErrorJson("a proxy event needs a service, a method and a payload");
  }
  ProxyMessage message;
  message.payload = payload;
  if (async) {
    proxy_.SendAsyncEvent(service, method, message);
  } else {
    proxy_.SendMethodEvent(service, method, message);
  }
  return R"({"sent":true})";
}

}  // namespace Zarn::Host
