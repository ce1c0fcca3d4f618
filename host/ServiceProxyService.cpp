#include "host/ServiceProxyService.h"

#include <rapidjson/document.h>

#include <algorithm>
#include <cstdio>

#include "host/HostValue.h"
#include "host/RecordWindow.h"

namespace Zarn::Host {

namespace {

std::string Argument(const std::vector<std::string>& arguments, std::size_t index) {
  return index < arguments.size() ? arguments[index] : "null";
}

std::string QuotedJson(const std::string& text) {
  rapidjson::Document json;
  json.SetString(text.c_str(), static_cast<rapidjson::SizeType>(text.size()), json.GetAllocator());
  return JsonText(json);
}

}  // namespace

std::string ProxyRequestName(const ProxyRequest& request) {
  std::string name = request.service + "." + request.method;
  rapidjson::Document payload;
  std::string error;
  if (ParseHostJson(request.payload, &payload, &error) && payload.IsObject() &&
      payload.HasMember("method") && payload["method"].IsString() && payload.HasMember("url") &&
      payload["url"].IsString()) {
    name += std::string(" ") + payload["method"].GetString() + " " + payload["url"].GetString();
  }
  return name;
}

ServiceProxyService::ServiceProxyService(PluginHost& host) : host_(host) {
  host_.AddComponent(kProxyUuidRequestsPath,
                     [this](const CoreRequest& request) { return AnswerUuidRequest(request); });
  host_.AddComponent(kProxyAsyncRequestsPrefix,
                     [this](const CoreRequest& request) { return AnswerAsyncRequest(request); });
}

void ServiceProxyService::Script(const std::string& service, const std::string& method,
                                 ProxyScript script) {
  scripts_[{service, method}] = std::move(script);
}

std::string ServiceProxyService::EventJson(const std::string& uuid, const std::string& service,
                                           const std::string& method, const ProxyMessage& message) {
  rapidjson::Document json(rapidjson::kObjectType);
  auto& allocator = json.GetAllocator();
  const auto text = [&](const std::string& value) {
    return rapidjson::Value(value.c_str(), static_cast<rapidjson::SizeType>(value.size()),
                            allocator);
  };
  json.AddMember("uuid", text(uuid), allocator);
  json.AddMember("serviceName", text(service), allocator);
  json.AddMember("methodName", text(method), allocator);
  json.AddMember("payload", text(message.payload), allocator);
  json.AddMember("status", text(message.status), allocator);
  json.AddMember("error", text(message.error), allocator);
  return JsonText(json);
}

CoreReply ServiceProxyService::AnswerUuidRequest(const CoreRequest& request) {
  ProxyRequest received;
  received.service = StringArgument(request.arguments, 0);
  received.method = StringArgument(request.arguments, 1);
  received.hostContext = Argument(request.arguments, 2);
  received.payload = StringArgument(request.arguments, 3);
  const std::pair<std::string, std::string> key{received.service, received.method};
  std::optional<ProxyScript> script;
  if (const auto scripted = scripts_.find(key); scripted != scripts_.end()) {
    script = scripted->second;
  }
  if (!script) {
    // Copied: a responder may replace itself while it runs.
    const auto responder = responders_.find(key);
    if (responder != responders_.end()) {
      received.uuid = NextUuid();
      script = ProxyResponder(responder->second)(received);
    }
  }
  const auto record = [&] {
    requests_.push_back(received);
    KeepLatest(requests_, host_.RecordWindow());
  };
  if (script && script->postError) {
    record();
    return CoreReply{script->postStatus, std::nullopt, *script->postError};
  }
  if (received.uuid.empty()) received.uuid = NextUuid();
  record();
  if (!script || script->timing == ProxyScript::Timing::Never) {
    unanswered_.push_back(received);
  } else {
    const ProxyScript::Timing timing = script->timing;
    const int yield = script->yield;
    auto deliver = [this, uuid = received.uuid, service = received.service,
                    method = received.method, script = std::move(*script)] {
      ProxyMessage reply = script.reply;
      if (script.payloadAtDelivery) reply.payload = script.payloadAtDelivery();
      host_.DeliverEventNow("OnServiceProxyUuidEvent", EventJson(uuid, service, method, reply));
    };
    if (timing == ProxyScript::Timing::DuringPost) {
      deliver();
    } else {
      host_.OnYield(yield, std::move(deliver),
                    "the reply to service-proxy request " + received.uuid + " (" +
                        ProxyRequestName(received) + ")");
    }
  }
  return CoreReply{200, QuotedJson(received.uuid), std::nullopt};
}

CoreReply ServiceProxyService::AnswerAsyncRequest(const CoreRequest& request) {
  const std::string rest = request.path.substr(sizeof(kProxyAsyncRequestsPrefix) - 1);
  const std::size_t slash = rest.find('/');
  if (slash == std::string::npos) {
    return CoreReply{404, std::nullopt, "No service and method in " + request.path};
  }
  asyncRegistrations_.push_back(
      {rest.substr(0, slash), rest.substr(slash + 1), Argument(request.arguments, 0)});
  return CoreReply{};
}

std::string ServiceProxyService::NextUuid() {
  char uuid[40];
  std::snprintf(uuid, sizeof uuid, "00000000-0000-4000-8000-%012llx",
                static_cast<unsigned long long>(nextUuid_++));
  return uuid;
}

void ServiceProxyService::SetResponder(const std::string& service, const std::string& method,
                                       ProxyResponder responder) {
  if (responder) {
    responders_[{service, method}] = std::move(responder);
  } else {
    responders_.erase({service, method});
  }
}

void ServiceProxyService::ClearRequests() {
  requests_.clear();
  unanswered_.clear();
}

bool ServiceProxyService::ReplyTo(const std::string& uuid, const ProxyMessage& reply) {
  auto it = unanswered_.end();
  if (uuid == "next") {
    it = unanswered_.begin();
  } else {
    it = std::find_if(unanswered_.begin(), unanswered_.end(),
                      [&](const ProxyRequest& request) { return request.uuid == uuid; });
  }
  if (it == unanswered_.end()) return false;
  const ProxyRequest& request = *it;
  host_.DeliverEvent("OnServiceProxyUuidEvent",
                     EventJson(request.uuid, request.service, request.method, reply));
  unanswered_.erase(it);
  return true;
}

void ServiceProxyService::SendMethodEvent(const std::string& service, const std::string& method,
                                          const ProxyMessage& message) {
  host_.DeliverEvent("OnServiceProxyMethodEvent", EventJson("", service, method, message));
}

void ServiceProxyService::SendAsyncEvent(const std::string& service, const std::string& method,
                                         const ProxyMessage& message) {
  host_.DeliverEvent("OnServiceProxyAsyncEvent", EventJson("", service, method, message));
}

std::vector<ProxyRequest> ServiceProxyService::Unanswered() const {
  return std::vector<ProxyRequest>(unanswered_.begin(), unanswered_.end());
}

}  // namespace Zarn::Host
