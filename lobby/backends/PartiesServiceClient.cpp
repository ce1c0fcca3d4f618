#include "lobby/backends/PartiesServiceClient.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>

#include "lobby/core/LobbyConventions.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/platform/WallClock.h"
#include "sdk/runtime/Plugin.h"
#include "sdk/runtime/ServiceProxy.h"

namespace Zarn::Client::Lobby {

namespace {

std::int64_t WallMillis() { return Platform::WallClockNow() / 1'000'000; }

}  // namespace

PartiesServiceClient::PartiesServiceClient() : random_(std::random_device{}()) {
  // 32 random bits over 2^32: never 1.0, unlike a rounded floating-point draw.
  draw_ = [this] { return static_cast<double>(random_()) / 4294967296.0; };
  samplingPercentage_.SetDefault(0.0);
}

void PartiesServiceClient::Attach(Zarn::Client::Plugin& plugin, std::string serviceName,
                                  std::string methodName) {
  plugin_ = &plugin;
  serviceName_ = std::move(serviceName);
  methodName_ = std::move(methodName);
}

void PartiesServiceClient::WatchSamplingPercentage(const std::string& path) {
  samplingPercentage_.WatchThrough(*plugin_, path, nullptr);
}

const BindingRegistry* PartiesServiceClient::Registry() const {
  return plugin_ == nullptr ? nullptr : plugin_->Registry();
}

Failure PartiesServiceClient::NoRegistry() {
  return Failure(500, "The parties client has no plugin to convert with");
}

MaybeType<Failure, AmbassadorMessage> PartiesServiceClient::AwaitServiceProxyResponse(
    const ServiceProxyPayload& payload) {
  if (!enabled_) return Failure(500, "SERVICE_DISABLED");
  const BindingRegistry* registry = Registry();
  if (registry == nullptr) return NoRegistry();
  const std::int64_t start = WallMillis();
  MaybeType<Failure, ServiceProxyRawResponse> raw =
      ServiceProxy::InvokeAndAwait<ServiceProxyRawResponse>(*plugin_, serviceName_, methodName_,
                                                            payload);
  SampleAwait(start);
  if (raw.IsFailure()) return std::move(raw).GetFailure();
  if (raw->payload.IsEmpty()) return Failure(503, "SERVICE_UNAVAILABLE");
  AmbassadorMessage message;
  if (!ReadRequiredValue(message, raw->payload, *registry)) {
    return Failure(500, "AMBASSADOR_MESSAGE_PAYLOAD_DESERIALIZATION_FAILURE");
  }
  return message;
}

void PartiesServiceClient::SampleAwait(std::int64_t startMillis) {
  const double* percentage = samplingPercentage_.Effective();
  if (percentage == nullptr || !(*percentage > 0.0)) return;
  if (!(*percentage > draw_() * 100.0)) return;
  TelemetryInterface* telemetry = plugin_->Telemetry();
  if (telemetry == nullptr) return;
  // The wall clock may be set back during the wait; a delay is never negative.
  const std::unordered_map<std::string, std::string> data = {
      {"delayMillis", std::to_string(std::max<std::int64_t>(WallMillis() - startMillis, 0))}};
  static_cast<void>(telemetry->SendEvent("parties-service-proxy-await", data));
}

MaybeType<Failure, AmbassadorMessage> PartiesServiceClient::Send(
    std::string method, std::string path, MaybeType<Failure, std::string> body) {
  if (body.IsFailure()) return std::move(body).GetFailure();
  ServiceProxyPayload payload{std::move(method), std::move(path), std::move(body).Value()};
  return AwaitServiceProxyResponse(payload);
}

MaybeType<Failure, Api::PlayerDto> PartiesServiceClient::SendBoolRequest(std::string method,
                                                                         std::string path,
                                                                         bool body) {
  return ReadReply<Api::PlayerDto>(Send(std::move(method), std::move(path), BodyText(body)));
}

MaybeType<Failure, AmbassadorMessage> PartiesServiceClient::SendBoolRequestRaw(std::string method,
                                                                               std::string path,
                                                                               bool body) {
  return Send(std::move(method), std::move(path), BodyText(body));
}

MaybeType<Failure, std::string> PartiesServiceClient::SendTextRequest(std::string method,
                                                                      std::string path,
                                                                      const BindingProperty& body) {
  return ReadReply<std::string>(Send(std::move(method), std::move(path), BodyText(body)));
}

Failure PartiesServiceClient::StatusFailure(const AmbassadorMessage& message) {
  if (message.errorCode.empty()) return Failure(message.httpStatus, "UNKNOWN");
  return Failure(message.httpStatus, message.errorCode);
}

Failure PartiesServiceClient::PayloadNotRead(std::string_view error,
                                             const BindingProperty& payload) const {
  MaybeType<Failure, std::string> text = ToJsonText(payload, Registry(), nullptr);
  const std::string shown = text.HasValue() ? std::move(text).Value() : std::string("FAILURE");
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Service proxy message conversion error %s: %s",
            std::string(error).c_str(), shown.c_str());
  return Failure(500, "SERVICE_PROXY_RESULT_DESERIALIZATION_FAILURE");
}

template <class R>
MaybeType<Failure, R> PartiesServiceClient::ReadReply(
    MaybeType<Failure, AmbassadorMessage> reply) const {
  if (reply.IsFailure()) return std::move(reply).GetFailure();
  if (reply->httpStatus != 200) return StatusFailure(*reply);
  R value{};
  BindingResult read;
  ReadValue(read, value, reply->payload, *Registry());
  if (!read.IsOk()) return PayloadNotRead(read.ErrorMessage(), reply->payload);
  return value;
}

template MaybeType<Failure, Api::PlayerDto> PartiesServiceClient::ReadReply<Api::PlayerDto>(
    MaybeType<Failure, AmbassadorMessage> reply) const;
template MaybeType<Failure, std::string> PartiesServiceClient::ReadReply<std::string>(
    MaybeType<Failure, AmbassadorMessage> reply) const;

MaybeType<Failure, void> PartiesServiceClient::ReadStatus(
    MaybeType<Failure, AmbassadorMessage> reply) {
  if (reply.IsFailure()) return std::move(reply).GetFailure();
  if (reply->httpStatus < 200 || reply->httpStatus > 299) return StatusFailure(*reply);
  return MaybeType<Failure, void>::Success();
}

}  // namespace Zarn::Client::Lobby
