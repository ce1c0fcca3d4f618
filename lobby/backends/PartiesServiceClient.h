// The parties service's client: each request is a proxied HTTP request (method, path, JSON body)
// sent through the host's service proxy to `serviceName`.`methodName` and awaited; the reply is
// the service's envelope, read as a player, a text or a status.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <type_traits>
#include <utility>

#include "lobby/core/WatchedConfigValue.h"
#include "lobby/model/PartiesRecords.h"
#include "lobby/model/ServiceProxyRecords.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"

namespace Zarn::Client {
class Plugin;
}  // namespace Zarn::Client

namespace Zarn::Client::Lobby {

class PartiesServiceClient {
 public:
  // A draw uniform in [0, 1).
  using RandomSource = std::function<double()>;

  // The sampling draw reads a generator seeded once from the system's random device.
  PartiesServiceClient();
  PartiesServiceClient(const PartiesServiceClient&) = delete;
  PartiesServiceClient& operator=(const PartiesServiceClient&) = delete;

  // Sends `payload` and awaits the reply envelope. Fails 500 "SERVICE_DISABLED" at once while
  // not `enabled` (nothing sent); with the proxy's failure unchanged; 503 "SERVICE_UNAVAILABLE"
  // for a reply without payload; 500 "AMBASSADOR_MESSAGE_PAYLOAD_DESERIALIZATION_FAILURE" for one
  // that is no envelope. Other requests may start and end while it waits.
  [[nodiscard]] MaybeType<Failure, AmbassadorMessage> AwaitServiceProxyResponse(
      const ServiceProxyPayload& payload);

  // The family of sends. Each writes `body` as pretty JSON ("\r\n" lines, four-space indents;
  // an empty value as ""), failing without sending when it does not convert, then awaits.
  //
  // Player reading: a status other than exactly 200 fails with that code and the envelope's
  // `errorCode` ("UNKNOWN" when empty); a 200 payload that is no player fails 500
  // "SERVICE_PROXY_RESULT_DESERIALIZATION_FAILURE". For bodies of PlayerDto, GameModeDto,
  // PartyMemberMetadataDto, string and value; a bool body goes through SendBoolRequest.
  template <class T>
  [[nodiscard]] MaybeType<Failure, Api::PlayerDto> SendRequest(std::string method, std::string path,
                                                               const T& body) {
    static_assert(!std::is_same_v<T, bool>, "a bool body has its own two named sends");
    return ReadReply<Api::PlayerDto>(Send(std::move(method), std::move(path), BodyText(body)));
  }
  // Player reading of a bool body.
  [[nodiscard]] MaybeType<Failure, Api::PlayerDto> SendBoolRequest(std::string method,
                                                                   std::string path, bool body);
  // A bool body whose envelope is given as it came, whatever its status.
  [[nodiscard]] MaybeType<Failure, AmbassadorMessage> SendBoolRequestRaw(std::string method,
                                                                         std::string path,
                                                                         bool body);
  // Text reading (as the player reading, the payload read as a string).
  [[nodiscard]] MaybeType<Failure, std::string> SendTextRequest(std::string method,
                                                                std::string path,
                                                                const BindingProperty& body);
  // Status only: any status in 200..299 succeeds, others fail as in the player reading. For
  // bodies of a list of strings and of a value.
  template <class T>
  [[nodiscard]] MaybeType<Failure, void> SendStatusRequest(std::string method, std::string path,
                                                           const T& body) {
    return ReadStatus(Send(std::move(method), std::move(path), BodyText(body)));
  }

  // At start-up: the requests go to `serviceName`.`methodName` through `plugin`, as do the
  // telemetry and the log; not owned, it must outlive the client.
  void Attach(Zarn::Client::Plugin& plugin, std::string serviceName, std::string methodName);
  // Follows the percentage of awaits reported as "parties-service-proxy-await" events at `path`
  // (0 until one is read), through the attached plugin.
  void WatchSamplingPercentage(const std::string& path);
  // While disabled every send fails at once; enabled at first.
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  [[nodiscard]] bool IsEnabled() const { return enabled_; }

 private:
  // Sets the sampling percentage and replaces the draw.
  friend class PartiesServiceClientTesting;

  std::string serviceName_;
  std::string methodName_;
  bool enabled_ = true;
  // Not owned; null until Attach.
  Zarn::Client::Plugin* plugin_ = nullptr;
  WatchedConfigValue<double> samplingPercentage_;
  std::mt19937 random_;
  // The sampling draw. Never empty.
  RandomSource draw_;

  // The registry the plugin converts with; null without a plugin or before loading.
  [[nodiscard]] const BindingRegistry* Registry() const;
  [[nodiscard]] static Failure NoRegistry();

  template <class T>
  [[nodiscard]] MaybeType<Failure, std::string> BodyText(const T& body) const {
    const BindingRegistry* registry = Registry();
    if (registry == nullptr) return NoRegistry();
    BindingResult conversion;
    WriteValue(conversion, body, *registry);
    if (!conversion.IsOk()) {
      return Failure::Make1("Failed to convert type {type} to BindingProperty for serialization",
                            TypeId<T>().name);
    }
    return SerializeJson(conversion.Value(), registry, "\r\n");
  }

  // Builds the payload (copies of `method`, `path` and the body text) and awaits it.
  [[nodiscard]] MaybeType<Failure, AmbassadorMessage> Send(std::string method, std::string path,
                                                           MaybeType<Failure, std::string> body);
  // The player or string reading of `reply`.
  template <class R>
  [[nodiscard]] MaybeType<Failure, R> ReadReply(MaybeType<Failure, AmbassadorMessage> reply) const;
  [[nodiscard]] static MaybeType<Failure, void> ReadStatus(
      MaybeType<Failure, AmbassadorMessage> reply);
  // The failure of an envelope's status: its code and `errorCode`, or "UNKNOWN".
  [[nodiscard]] static Failure StatusFailure(const AmbassadorMessage& message);
  // Logs the failed reading of `payload` and gives its failure.
  [[nodiscard]] Failure PayloadNotRead(std::string_view error,
                                       const BindingProperty& payload) const;
  // Sends the await event when the draw falls within the sampling percentage.
  void SampleAwait(std::int64_t startMillis);
};

}  // namespace Zarn::Client::Lobby
