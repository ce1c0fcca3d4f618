#include "host/LegacyPlatform.h"

#include <rapidjson/document.h>

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "host/EditDistance.h"
#include "host/HostValue.h"
#include "host/RecordWindow.h"

namespace Zarn::Host {

namespace {

constexpr std::string_view kLcdsEventPrefix = "OnLcdsEvent_";
// A class's last segment is compared by at most this many bytes, far more than any class has, so
// that a command line's worth costs no more.
constexpr std::size_t kComparedSegment = 256;

// The event the messages of `className` are delivered as: the prefix, then the class with every
// "." made "_".
std::string LcdsEventName(const std::string& className) {
  std::string name = std::string(kLcdsEventPrefix) + className;
  std::replace(name.begin(), name.end(), '.', '_');
  return name;
}

std::string_view LastSegment(std::string_view className) {
  return className.substr(className.rfind('.') + 1);  // the whole name when it has no "."
}

}  // namespace

LegacyPlatform::LegacyPlatform(PluginHost& host) : host_(host) {
  host_.AddComponent(kLcdsInvokePath,
                     [this](const CoreRequest& request) { return Answer(request); });
}

void LegacyPlatform::Script(const std::string& destination, const std::string& method,
                            LcdsAnswer answer) {
  std::vector<LcdsAnswer> answers;
  answers.push_back(std::move(answer));
  ScriptInOrder(destination, method, std::move(answers));
}

void LegacyPlatform::ScriptInOrder(const std::string& destination, const std::string& method,
                                   std::vector<LcdsAnswer> answers) {
  if (answers.empty()) {
    answers_.erase({destination, method});
    return;
  }
  answers_[{destination, method}] = std::move(answers);
}

bool LegacyPlatform::Push(const std::string& className, const std::string& bodyJson,
                          std::string* error) {
  rapidjson::Document body;
  std::string unread;
  if (!ParseHostJson(bodyJson, &body, error != nullptr ? error : &unread)) return false;
  rapidjson::Document message(rapidjson::kObjectType);
  auto& allocator = message.GetAllocator();
  message.AddMember("clientId", rapidjson::Value(""), allocator);
  message.AddMember("subtopic", rapidjson::Value(""), allocator);
  message.AddMember("typeName", rapidjson::Value(className.c_str(), allocator), allocator);
  message.AddMember("body", rapidjson::Value(body, allocator), allocator);
  host_.DeliverEvent(LcdsEventName(className), JsonText(message));
  return true;
}

std::vector<std::string> LegacyPlatform::SubscribedClasses() const {
  std::vector<std::string> classes;
  for (const auto& [event, context] : host_.Subscriptions()) {
    if (!event.starts_with(kLcdsEventPrefix)) continue;
    classes.push_back(event.substr(kLcdsEventPrefix.size()));
    std::replace(classes.back().begin(), classes.back().end(), '_', '.');
  }
  return classes;
}

std::string LegacyPlatform::NearestSubscribedClass(const std::string& className) const {
  const std::string_view segment = LastSegment(className).substr(0, kComparedSegment);
  std::string nearest;
  std::size_t best = std::string::npos;
  for (std::string& taken : SubscribedClasses()) {
    if (const std::size_t distance = EditDistance(segment, LastSegment(taken)); distance < best) {
      best = distance;
      nearest = std::move(taken);
    }
  }
  return nearest;
}

CoreReply LegacyPlatform::Answer(const CoreRequest& request) {
  LcdsInvocation invocation;
  invocation.destination = StringArgument(request.arguments, 0);
  invocation.method = StringArgument(request.arguments, 1);
  invocation.arguments = request.arguments.size() > 2 ? request.arguments[2] : "null";
  const CoreReply reply = Reply(invocation);
  invocation.status = reply.status;
  invocations_.push_back(std::move(invocation));
  KeepLatest(invocations_, host_.RecordWindow());
  return reply;
}

CoreReply LegacyPlatform::Reply(const LcdsInvocation& invocation) {
  auto it = answers_.find({invocation.destination, invocation.method});
  if (it == answers_.end() || it->second.empty()) {
    return CoreReply{501, std::nullopt,
                     "The legacy platform has no answer for " + invocation.destination + "." +
                         invocation.method};
  }
  // A copy: the first answer is used up unless it is the last.
  const LcdsAnswer answer = it->second.front();
  if (it->second.size() > 1) it->second.erase(it->second.begin());
  if (answer.exception) return CoreReply{answer.status, std::nullopt, *answer.exception};
  rapidjson::Document reply(rapidjson::kObjectType);
  auto& allocator = reply.GetAllocator();
  reply.AddMember("typeName", rapidjson::Value(answer.typeName.c_str(), allocator), allocator);
  rapidjson::Document body;
  std::string error;
  if (answer.body && !ParseHostJson(*answer.body, &body, &error)) {
    return CoreReply{500, std::nullopt,
                     "The legacy platform's scripted body is not JSON: " + error};
  }
  if (!answer.body) body.SetNull();
  reply.AddMember("body", rapidjson::Value(body, allocator), allocator);
  return CoreReply{200, JsonText(reply), std::nullopt};
}

}  // namespace Zarn::Host
