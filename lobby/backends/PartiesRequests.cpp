// The parties backend's checked requests and what follows a failed one.
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "lobby/backends/PartiesErrorCodes.h"
#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/backends/PartiesPaths.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlowGate.h"
#include "lobby/core/LobbyNotifications.h"
#include "lobby/core/LobbyServices.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

namespace {

// The action as the failure telemetry names it: lower case, "_" for each blank.
std::string RequestName(std::string_view action) {
  std::string name(action);
  for (char& c : name) {
    if (c == ' ') {
      c = '_';
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return name;
}

bool IsNotFound(const Failure& failure) {
  if (failure.Code() != 400 && failure.Code() != 404) return false;
  const std::string_view text = failure.Message();
  return text == kPartiesPlayerNotFound || text == kPartiesPartyNotFound ||
         text == kPartiesNotFound;
}

}  // namespace

MaybeType<Failure, Api::PartyDto> PartiesLobbyBackend::GetCurrentParty() const {
  if (Player().puuid.empty()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Player party state has not been initialized.");
    return Failure(400, "CURRENT_PLAYER_PUUID_NOT_FOUND");
  }
  if (!Player().currentParty.has_value()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Player is not currently in a party.");
    return Failure(400, "CURRENT_PARTY_NOT_FOUND");
  }
  return *Player().currentParty;
}

std::string PartiesLobbyBackend::GetCurrentPartyId() const {
  return Player().currentParty.has_value() ? Player().currentParty->partyId : std::string();
}

template <class T>
MaybeType<Failure, void> PartiesLobbyBackend::CheckedRequest(std::string_view action,
                                                             std::string method, std::string path,
                                                             const T& body, NoContent noContent) {
  if (MaybeType<Failure, Api::PartyDto> party = GetCurrentParty(); party.IsFailure()) {
    return std::move(party).GetFailure();
  }
  // The action may point into state that changes while the request waits.
  const std::string actionCopy(action);
  MaybeType<Failure, Api::PlayerDto> reply = [&] {
    if constexpr (std::is_same_v<T, bool>) {
      return client_.SendBoolRequest(std::move(method), std::move(path), body);
    } else {
      return client_.SendRequest(std::move(method), std::move(path), body);
    }
  }();
  if (reply.HasValue()) {
    // The reply was accepted by the service whether or not it is newer than what is stored.
    static_cast<void>(ApplyPartiesState(std::move(reply).Value(), Api::PlayerUpdateType::Direct));
    return MaybeType<Failure, void>::Success();
  }
  Failure failure = std::move(reply).GetFailure();
  if (failure.Code() == 204) {
    // The fetch answered 204 itself: fetching again could go on for ever.
    if (noContent == NoContent::Fetch) FetchPartiesState();
    return MaybeType<Failure, void>::Success();
  }
  ReportCheckedFailure(actionCopy, failure);
  return failure;
}

void PartiesLobbyBackend::ReportCheckedFailure(std::string_view action, const Failure& failure) {
  const std::string shown(action);
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Failed parties service request %s: %d %s",
            shown.c_str(), static_cast<int>(failure.Code()), failure.Message());
  ReportRequestFailure(RequestName(action), failure.Message());
  static_cast<void>(ReportServiceUnavailable(failure));
}

template <class T>
MaybeType<Failure, void> PartiesLobbyBackend::Request(std::string_view action, std::string method,
                                                      std::string path, const T& body) {
  return CheckedRequest(action, std::move(method), std::move(path), body, NoContent::Fetch);
}

template <class T>
MaybeType<Failure, void> PartiesLobbyBackend::RequestOrReregister(std::string_view action,
                                                                  std::string method,
                                                                  std::string path, const T& body) {
  MaybeType<Failure, void> result = Request(action, std::move(method), std::move(path), body);
  if (result.IsFailure()) ReregisterAfterError(result.GetFailure());
  return result;
}

template MaybeType<Failure, void> PartiesLobbyBackend::Request(std::string_view, std::string,
                                                               std::string,
                                                               const Api::GameModeDto&);
template MaybeType<Failure, void> PartiesLobbyBackend::Request(std::string_view, std::string,
                                                               std::string,
                                                               const Api::PartyMemberMetadataDto&);
template MaybeType<Failure, void> PartiesLobbyBackend::Request(std::string_view, std::string,
                                                               std::string, const std::string&);
template MaybeType<Failure, void> PartiesLobbyBackend::Request(std::string_view, std::string,
                                                               std::string, const BindingProperty&);
template MaybeType<Failure, void> PartiesLobbyBackend::Request(std::string_view, std::string,
                                                               std::string, const bool&);
template MaybeType<Failure, void> PartiesLobbyBackend::RequestOrReregister(std::string_view,
                                                                           std::string, std::string,
                                                                           const Api::GameModeDto&);
template MaybeType<Failure, void> PartiesLobbyBackend::RequestOrReregister(std::string_view,
                                                                           std::string, std::string,
                                                                           const std::string&);
template MaybeType<Failure, void> PartiesLobbyBackend::RequestOrReregister(std::string_view,
                                                                           std::string, std::string,
                                                                           const BindingProperty&);
template MaybeType<Failure, void> PartiesLobbyBackend::RequestOrReregister(std::string_view,
                                                                           std::string, std::string,
                                                                           const bool&);

void PartiesLobbyBackend::ReportRequestFailure(std::string_view requestName,
                                               std::string_view failureText) {
  if (services_ == nullptr) return;
  TelemetryInterface* telemetry = services_->Runtime().Telemetry();
  if (telemetry == nullptr) return;
  const std::unordered_map<std::string, std::string> data = {{"request", std::string(requestName)},
                                                             {"failure", std::string(failureText)}};
  static_cast<void>(telemetry->SendEvent("parties-service", data));
}

bool PartiesLobbyBackend::ReportServiceUnavailable(const Failure& failure) {
  if (failure.Code() != 503) return false;
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties service is UNAVAILABLE");
  if (services_ != nullptr) {
    LobbyNotifications& notifications = services_->Notifications();
    static_cast<void>(notifications.AddLobbyNotification(
        notifications.MakeLobbyNotification("SERVICE_UNAVAILABLE", {})));
  }
  return true;
}

void PartiesLobbyBackend::ReregisterAfterError(const Failure& failure) {
  if (!IsNotFound(failure) || reregistering_) return;
  // Forgetting the player's state passes no chokepoint, and an overtaken call could not end the
  // party lobby that the forgotten state leaves (CheckPartyWithoutQueue fires an event): the next
  // call that meets the error does both.
  if (services_ != nullptr &&
      services_->FlowGate().Stops(CallGate::Act::kStore, {"the parties player", {}})) {
    return;
  }
  reregistering_ = true;
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Reregistering after parties error: %d %s",
            static_cast<int>(failure.Code()), failure.Message());
  ScheduleActivityResume(Api::PlayerDto{});
  // Unconfigured counts as disabled.
  client_.SetEnabled(EnabledFlag().IsTrue());
  UpdateRegistration();
  CheckPartyWithoutQueue();
  reregistering_ = false;
}

void PartiesLobbyBackend::FetchPartiesState() {
  // Built from a copy: the stored puuid may change while the request waits.
  std::string path = PlayerPath(Player().puuid);
  MaybeType<Failure, void> fetched = CheckedRequest("fetchPartiesState", "GET", std::move(path),
                                                    BindingProperty(), NoContent::Succeed);
  if (fetched.IsFailure()) ReregisterAfterError(fetched.GetFailure());
}

}  // namespace Zarn::Client::Lobby
