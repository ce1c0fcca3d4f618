// The parties routes that reach the service more directly: the health probe, the stored player,
// the comms token and members, and the setters that forward one field each.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/backends/PartiesPaths.h"
#include "lobby/core/FailureReply.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlowGate.h"
#include "lobby/core/LobbyServices.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kHealthAction[] = "get health";
constexpr char kCommsTokenRequest[] = "get_comms_jwt";
constexpr char kNotRegistered[] = "Not registered with parties service.";
// Stands for a watched value that has none yet.
constexpr char kUnknown[] = "?";

// A setter's answer: empty on success, else the failure's code (500 for none) and text.
HttpResponse SetterResponse(const MaybeType<Failure, void>& outcome) {
  if (outcome.HasValue()) return HttpResponse();
  const std::int32_t code = outcome.GetFailure().Code();
  return HttpResponse(code != 0 ? code : 500, outcome.Message());
}

}  // namespace

MaybeType<Failure, std::string> PartiesLobbyBackend::RequestHealthText() {
  if (MaybeType<Failure, Api::PartyDto> party = GetCurrentParty(); party.IsFailure()) {
    Failure failure = std::move(party).GetFailure();
    ReregisterAfterError(failure);
    return failure;
  }
  MaybeType<Failure, std::string> reply =
      client_.SendTextRequest("GET", "v1/health", BindingProperty());
  if (reply.HasValue()) return reply;
  Failure failure = std::move(reply).GetFailure();
  if (failure.Code() == 204) {
    FetchPartiesState();
    return std::string();
  }
  ReportCheckedFailure(kHealthAction, failure);
  ReregisterAfterError(failure);
  return failure;
}

HttpResult<std::string> PartiesLobbyBackend::HandleGetHealth() {
  // It may register the player again: overtaken meanwhile, it makes no lobby of what it stores.
  std::optional<CallGate::ActingRead> acting;
  if (services_ != nullptr) acting.emplace(services_->FlowGate());
  MaybeType<Failure, std::string> health = RequestHealthText();
  // Read after the request, which may have re-registered the player.
  if (Player().createdAt != 0) {
    // The failure has been handled above; its text is the answer (the route answers no error).
    return HttpResult<std::string>(health.HasValue() ? std::move(health).Value()
                                                     : std::string(health.Message()));
  }
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0, kNotRegistered);
  const Api::LoginSession* session = ObservedLoginSession().Effective();
  const std::string* platformId = services_ != nullptr ? services_->CurrentPlatformId() : nullptr;
  return HttpResult<std::string>(
      std::string(kNotRegistered) + " puuid: " + (session != nullptr ? session->puuid : kUnknown) +
      " platformId: " + (platformId != nullptr ? *platformId : kUnknown));
}

Api::PlayerDto PartiesLobbyBackend::HandleGetPlayer() { return Player(); }

HttpResponse PartiesLobbyBackend::HandlePutActive(bool active) {
  std::string path = PartyPath("/", GetCurrentPartyId(), "activityLocked");
  return SetterResponse(Request("set activity", "PUT", std::move(path), active));
}

HttpResponse PartiesLobbyBackend::HandlePutQueue(std::int32_t queueId) {
  Api::GameModeDto mode;
  mode.queueId = queueId;
  std::string path = PartyPath("/", GetCurrentPartyId(), "gamemode");
  return SetterResponse(Request("set game mode", "PUT", std::move(path), mode));
}

HttpResponse PartiesLobbyBackend::HandlePutReady(bool ready) {
  return SetterResponse(SetReadyRequest(ready));
}

HttpResponse PartiesLobbyBackend::HandlePutRole(std::string partyId, std::string puuid,
                                                std::string role) {
  std::optional<HttpResponse> refused = RefusedPathId("partyId", partyId);
  if (!refused.has_value()) refused = RefusedPathId("puuid", puuid);
  if (refused.has_value()) return std::move(*refused);
  std::string path = PartyMemberPath("/", partyId, puuid, "role");
  return SetterResponse(Request("set role", "PUT", std::move(path), role));
}

HttpResult<Api::PremadePartyDto> PartiesLobbyBackend::HandleGetCommsMembers() {
  // A copy: the summoner lookup waits, and a newer state may be stored meanwhile.
  const Api::PlayerDto stored = Player();
  return HttpResult<Api::PremadePartyDto>(BuildCommsMembers(stored));
}

HttpResult<std::string> PartiesLobbyBackend::HandleGetCommsToken() {
  std::string path = PartyMemberPath("comms/", GetCurrentPartyId(), Player().puuid, "token");
  MaybeType<Failure, std::string> token =
      client_.SendTextRequest("GET", std::move(path), BindingProperty());
  if (token.HasValue()) return HttpResult<std::string>(std::move(token).Value());
  const Failure failure = std::move(token).GetFailure();
  static_cast<void>(ReportServiceUnavailable(failure));
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Comms Jwt generation failed: %d %s",
            static_cast<int>(failure.Code()), failure.Message());
  ReportRequestFailure(kCommsTokenRequest, failure.Message());
  const std::int32_t code = failure.Code() != 0 ? failure.Code() : 500;
  return HttpResult<std::string>(HttpResponse(code, std::string(failure.Message())));
}

}  // namespace Zarn::Client::Lobby
