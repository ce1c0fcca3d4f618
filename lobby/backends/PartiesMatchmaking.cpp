// The parties backend's matchmaking: a party searches while its activity is locked on the parties
// service. After a game the service may hold the lock until a resume time; the leader then asks
// for the activity to resume.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/backends/PartiesPaths.h"
#include "lobby/core/LobbyAnalytics.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/core/LobbyTimerNames.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/platform/SteadyClock.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr std::int64_t kResumeCallDelayNanoseconds = 15'000'000;

// The search routes answer a failure with its own code, or 500 when it has none.
BindingHttpResult FailureResult(const Failure& failure) {
  const std::int32_t code = failure.Code();
  return BindingHttpResult(HttpResponse(code != 0 ? code : 500, failure.Message()));
}

}  // namespace

BindingHttpResult PartiesLobbyBackend::StartMatchmaking() {
  std::optional<LobbyUpdateBatch> batch;
  if (services_ != nullptr) batch.emplace(*services_);
  if (services_ == nullptr || !Player().currentParty.has_value() ||
      !IsEnabledForQueue(Player().currentParty->gameMode.queueId)) {
    return BindingHttpResult(HttpResponse(400, "QUEUE_NOT_ENABLED"));
  }
  std::string path = PartyPath("", GetCurrentPartyId(), "activityLocked");
  MaybeType<Failure, AmbassadorMessage> reply =
      client_.SendBoolRequestRaw("PUT", std::move(path), true);
  if (reply.IsFailure()) {
    const Failure& failure = reply.GetFailure();
    static_cast<void>(ReportServiceUnavailable(failure));
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties initiate matchmaking failure: %s",
              failure.Message());
    ReportRequestFailure("activity_locked", failure.Message());
    return FailureResult(failure);
  }
  const AmbassadorMessage& message = reply.Value();
  if (message.httpStatus >= 200 && message.httpStatus <= 299) {
    FetchPartiesState();
    return BindingHttpResult();
  }
  // Refused: the party is not searching, so its presence may show it again.
  PublishPartyPresence();
  const BindingRegistry* registry = services_->Runtime().Registry();
  BindingProperty body;
  const bool converted = registry != nullptr && ToBindingProperty(message, body, *registry);
  const std::string shown = converted ? ToJsonString(message, *registry) : std::string();
  LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Parties matchmaking submit failure: %s",
            shown.c_str());
  if (!converted) {
    return BindingHttpResult(
        HttpResponse(500, "Error converting service response to plugin response."));
  }
  BindingHttpResult result(body);
  result.StatusPart().status = message.httpStatus;
  return result;
}

BindingHttpResult PartiesLobbyBackend::CancelMatchmaking() {
  std::optional<LobbyUpdateBatch> batch;
  if (services_ != nullptr) batch.emplace(*services_);
  // A resume time is signed on the wire: one that reads negative is none.
  const bool hadResumeTime =
      Player().currentParty.has_value() &&
      static_cast<std::int64_t>(Player().currentParty->activityResumeUtcMillis) > 0;
  std::string path = PartyPath("", GetCurrentPartyId(), "activityLocked");
  MaybeType<Failure, void> cancelled =
      RequestOrReregister("cancel matchmaking", "PUT", std::move(path), false);
  if (cancelled.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties cancel matchmaking failure: %s",
              cancelled.Message());
    return FailureResult(cancelled.GetFailure());
  }
  const std::optional<AnalyticsEventFields> fields = AnalyticsFieldsOrWarn("jyx-quit-matchmaking");
  if (fields.has_value() && services_ != nullptr) {
    services_->GetAnalytics().SendPremadeRelationshipAnalytics(*fields);
  }
  if (hadResumeTime) UpdateSearchAfterCancel();
  return BindingHttpResult();
}

void PartiesLobbyBackend::OnResumeActivityWait() {
  if (services_ == nullptr) return;
  // The backend lives until the plugin's shutdown, which drops the callbacks not yet run.
  services_->Runtime().ScheduleCallback(
      kPartiesResumeActivityCall, [this] { OnResumeActivityResponse(); },
      Platform::SteadyClockNow() + kResumeCallDelayNanoseconds);
  services_->Runtime().CancelTimer(kPartiesResumeActivityWait);
}

void PartiesLobbyBackend::OnResumeActivityResponse() {
  std::string path = PartyPath("/", GetCurrentPartyId(), "resumeActivity");
  MaybeType<Failure, void> resumed =
      RequestOrReregister("resume activity", "POST", std::move(path), BindingProperty());
  if (resumed.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties resume activity failure: %s",
              resumed.Message());
  } else {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Parties resumed activity succeeded");
  }
}

}  // namespace Zarn::Client::Lobby
