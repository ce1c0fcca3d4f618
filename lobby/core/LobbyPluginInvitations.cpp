// Sending invitations into the player's lobby, on the legacy platform and through the active
// backend, and the eligibility questions: may the local player join a received invitation's game,
// and may a group of summoners form a premade party for the configured queues.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lobby/core/FailureReply.h"
#include "lobby/core/GameMetaData.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/base/PathSegment.h"
#include "sdk/runtime/LcdsCall.h"
#include "sdk/runtime/Requests.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kInvitationPathPrefix[] = "/jyx-lobby/v1/lobby/invitations/";
constexpr char kInviteService[] = "lcdsGameInvitationService";
constexpr char kInviteType[] = "DEFAULT";

using Code = Api::EligibilityRestrictionCode;

bool Contains(const std::vector<std::uint64_t>& ids, std::uint64_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// The answer to an eligibility question that could not be asked: ineligible for no queue, with
// one restriction of `code`.
Api::Eligibility Ineligible(Code code) {
  Api::Eligibility answer;
  answer.queueId = -1;
  answer.eligible = false;
  Api::EligibilityRestriction restriction;
  restriction.restrictionCode = code;
  answer.restrictions.push_back(std::move(restriction));
  return answer;
}

// An eligibility answer does not hold the queues a player has not played yet against them.
void EraseUnplayedPrerequisiteRestrictions(std::vector<Api::EligibilityRestriction>& restrictions) {
  restrictions.erase(std::remove_if(restrictions.begin(), restrictions.end(),
                                    [](const Api::EligibilityRestriction& restriction) {
                                      return restriction.restrictionCode ==
                                             Code::PrerequisiteQueuesNotPlayedRestriction;
                                    }),
                     restrictions.end());
}

// Member `key` of `metaData` as decimal text when it is an integer number; empty otherwise.
std::string IntegerMember(const BindingProperty& metaData, std::string_view key) {
  const BindingProperty& member = metaData.FindMember(key);
  switch (member.Kind()) {
    case BindingPropertyKind::Signed:
      return std::to_string(member.GetInt64());
    case BindingPropertyKind::Unsigned:
      return std::to_string(member.GetUint64());
    default:
      return std::string();
  }
}

// The path of the lobby invitation `id`, one segment whatever the platform gave.
std::string InvitationPath(const std::string& id) {
  return kInvitationPathPrefix + PathSegment(id);
}

// SendPlatformInvitations' steps. Each invitation of `given` enters `invitations` as Requested
// (a new one appended, one already listed for its summoner changed in place), each published;
// their summoner ids in order.
std::vector<std::uint64_t> RequestInvitations(AppModule& runtime,
                                              std::vector<Api::LobbyInvitation>& given,
                                              std::vector<Api::LobbyInvitation>& invitations) {
  std::vector<std::uint64_t> ids;
  ids.reserve(given.size());
  for (Api::LobbyInvitation& invitation : given) {
    ids.push_back(invitation.toSummonerId);
    auto found = std::find_if(invitations.begin(), invitations.end(),
                              [&invitation](const Api::LobbyInvitation& entry) {
                                return entry.toSummonerId == invitation.toSummonerId;
                              });
    const bool isNew = found == invitations.end();
    Api::LobbyInvitation& target = isNew ? invitation : *found;
    target.id = std::to_string(invitation.toSummonerId);
    target.fromSummonerId = 0;
    target.state = Api::LobbyInvitationState::Requested;
    const Api::LobbyInvitation published = target;
    if (isNew) invitations.push_back(std::move(invitation));
    runtime.SendJsonApiEvent(isNew ? kResourceCreate : kResourceUpdate,
                             InvitationPath(published.id), published);
  }
  return ids;
}

void MarkPending(const std::vector<std::uint64_t>& ids,
                 std::vector<Api::LobbyInvitation>& invitations) {
  for (Api::LobbyInvitation& entry : invitations) {
    if (Contains(ids, entry.toSummonerId)) entry.state = Api::LobbyInvitationState::Pending;
  }
}

// The invitations the legacy platform refused; when the call itself failed, every one, with the
// call's message as cause.
struct InviteOutcome {
  std::vector<LCDS::InviteFailed> failed;
  bool callFailed = false;
  std::string callFailure;
};

// One "invite" call for one id, "inviteBulk" for more, none for none.
InviteOutcome InviteOnPlatform(AppModule& runtime, const std::vector<std::uint64_t>& ids) {
  InviteOutcome outcome;
  if (ids.size() == 1) {
    MaybeType<Failure, void> sent = runtime.LcdsCallSync<void>(
        kInviteService, "invite", ids.front(), std::string(kInviteType), std::string());
    if (sent.IsFailure()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Error sending invite: %s", sent.Message());
      outcome.callFailed = true;
      outcome.callFailure = sent.Message();
    }
  } else if (ids.size() > 1) {
    MaybeType<Failure, std::vector<LCDS::InviteFailed>> sent =
        runtime.LcdsCallSync<std::vector<LCDS::InviteFailed>>(kInviteService, "inviteBulk", ids,
                                                              std::string(kInviteType));
    if (sent.IsFailure()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Error sending bulk invites: %s",
                sent.Message());
      outcome.callFailed = true;
      outcome.callFailure = sent.Message();
    } else {
      outcome.failed = std::move(sent).Value();
    }
  }
  if (outcome.callFailed) {
    for (std::uint64_t id : ids) {
      LCDS::InviteFailed record;
      record.summonerId = id;
      record.exception.rootCauseClassname = outcome.callFailure;
      outcome.failed.push_back(std::move(record));
    }
  }
  return outcome;
}

// Marks the first invitation of each refused summoner Error with the refusal's cause, then
// publishes every invitation of `ids`.
void MarkRefused(AppModule& runtime, const std::vector<std::uint64_t>& ids,
                 const std::vector<LCDS::InviteFailed>& failed,
                 std::vector<Api::LobbyInvitation>& invitations) {
  for (const LCDS::InviteFailed& record : failed) {
    for (Api::LobbyInvitation& entry : invitations) {
      if (entry.toSummonerId != record.summonerId) continue;
      entry.state = Api::LobbyInvitationState::Error;
      entry.errorType = record.exception.rootCauseClassname;
      break;
    }
  }
  for (const Api::LobbyInvitation& entry : std::vector<Api::LobbyInvitation>(invitations)) {
    if (Contains(ids, entry.toSummonerId)) {
      runtime.SendJsonApiEvent(kResourceUpdate, InvitationPath(entry.id), entry);
    }
  }
}

// Removes the Error invitations of `invitations`, publishing the Delete of each; whether any was.
bool EraseErroredInvitations(AppModule& runtime, std::vector<Api::LobbyInvitation>& invitations) {
  std::vector<std::string> erased;
  const auto end = std::stable_partition(invitations.begin(), invitations.end(),
                                         [](const Api::LobbyInvitation& entry) {
                                           return entry.state != Api::LobbyInvitationState::Error;
                                         });
  for (auto it = end; it != invitations.end(); ++it) erased.push_back(it->id);
  invitations.erase(end, invitations.end());
  for (const std::string& id : erased) runtime.PublishResourceEvent(InvitationPath(id));
  return !erased.empty();
}

}  // namespace

HttpResult<std::vector<Api::LobbyInvitation>> LobbyPlugin::SendPlatformInvitations(
    std::vector<Api::LobbyInvitation> invitations) {
  LobbyUpdateBatch batch(*this);
  if (!IsInLobby()) return MakeNotFound(std::string_view(kLobbyNotFound));
  if (!stateMachine_.IsInState(&LobbyFlow::kGroupLobby)) {
    MaybeType<Failure, Api::Lobby> group = CreatePlatformLobby(V1Lobby());
    if (group.IsFailure()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
                "Error sending invite: Platform Lobby could not be created: %s", group.Message());
      return HttpResponse(500,
                          "Bulk invite failed due to being unable to transition to group lobby");
    }
  }
  // An invitation without a summoner id (given by name alone) names nobody the platform could
  // invite: it is refused without a call.
  std::vector<LCDS::InviteFailed> idless;
  for (const Api::LobbyInvitation& invitation : invitations) {
    if (invitation.toSummonerId != 0) continue;
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Error sending invite: %s",
              InviteeNotFound(0, invitation.toSummonerName).c_str());
    LCDS::InviteFailed record;
    record.exception.rootCauseClassname = kSummonerNotFound;
    idless.push_back(std::move(record));
  }
  const std::vector<std::uint64_t> ids =
      RequestInvitations(*this, invitations, v1Lobby_.MutableLobby().invitations);
  v1Lobby_.PublishV1Invitations();
  MarkPending(ids, v1Lobby_.MutableLobby().invitations);
  std::vector<std::uint64_t> named;
  std::copy_if(ids.begin(), ids.end(), std::back_inserter(named),
               [](std::uint64_t id) { return id != 0; });
  // Each legacy call waits; the lobby is looked at again only after it, and by summoner id.
  InviteOutcome outcome = InviteOnPlatform(*this, named);
  outcome.failed.insert(outcome.failed.begin(), idless.begin(), idless.end());
  MarkRefused(*this, ids, outcome.failed, v1Lobby_.MutableLobby().invitations);
  v1Lobby_.PublishV1Invitations();
  const bool removed = EraseErroredInvitations(*this, v1Lobby_.MutableLobby().invitations);
  if (removed) v1Lobby_.PublishV1Invitations();

  // A failed call is the send's failure, as the legacy platform's refusal of the only invitation
  // is; the ids it failed were removed above.
  if (outcome.callFailed) return HttpResponse(400, outcome.callFailure);
  if (removed && invitations.size() == 1) {
    return HttpResponse(400, outcome.failed.empty()
                                 ? std::string()
                                 : outcome.failed.front().exception.rootCauseClassname);
  }
  std::vector<Api::LobbyInvitation> answered;
  for (const Api::LobbyInvitation& entry : V1Lobby().invitations) {
    if (Contains(ids, entry.toSummonerId)) answered.push_back(entry);
  }
  return answered;
}

HttpResult<Api::LobbyInvitation> LobbyPlugin::HandlePostV1Invitations(
    const Api::LobbyInvitation& invitation) {
  LobbyUpdateBatch batch(*this);
  HttpResult<std::vector<Api::LobbyInvitation>> sent =
      SendPlatformInvitations(std::vector<Api::LobbyInvitation>{invitation});
  if (!sent.response.ok) {
    return HttpResponse(sent.response.status.status, std::move(sent.response.message));
  }
  if (sent.value.empty()) {
    return HttpResponse(500, "Bulk invite failed to return a valid invitation.");
  }
  return std::move(sent.value.front());
}

HttpResult<std::vector<Api::LobbyInvitation>> LobbyPlugin::HandleGetV1Invitations() {
  if (!IsInLobby()) return MakeNotFound(std::string_view(kLobbyNotFound));
  return std::vector<Api::LobbyInvitation>(V1Lobby().invitations);
}

HttpResult<Api::LobbyInvitation> LobbyPlugin::HandleGetV1Invitation(const std::string& id) {
  if (IsInLobby()) {
    for (const Api::LobbyInvitation& entry : V1Lobby().invitations) {
      if (entry.id == id) return Api::LobbyInvitation(entry);
    }
  }
  return MakeNotFound(std::string_view(kLobbyNotFound));
}

HttpResult<std::vector<Api::LobbyInvitationDto>> LobbyPlugin::HandleGetInvitations() {
  if (!viewModel_.PublishedLobby().has_value())
    return MakeNotFound(std::string_view(kLobbyNotFound));
  return std::vector<Api::LobbyInvitationDto>(viewModel_.PublishedLobby()->invitations);
}

std::optional<HttpResponse> LobbyPlugin::RefuseTooManyInvitations(std::size_t given,
                                                                  const char* whose) {
  // Each invitation costs a request or an event, and no recipient lists more than this many.
  if (given <= ReceivedInvitations::kMaxInvitations) return std::nullopt;
  const std::string refusal = TooManyInvitations(given, ReceivedInvitations::kMaxInvitations);
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Unable to send invitations to the current %s: %s",
            whose, refusal.c_str());
  return HttpResponse(400, refusal);
}

HttpResult<std::vector<Api::LobbyInvitationDto>> LobbyPlugin::HandlePostInvitations(
    const std::vector<Api::LobbyInvitationDto>& invitations) {
  if (std::optional<HttpResponse> refused = RefuseTooManyInvitations(invitations.size(), "lobby")) {
    return std::move(*refused);
  }
  LobbyUpdateBatch batch(*this);
  if (!viewModel_.PublishedLobby().has_value())
    return MakeNotFound(std::string_view(kLobbyNotFound));
  // A lobby stays published while a change of queue waits, with no backend to send through.
  if (backends_.Active() == nullptr) return HttpResponse(500, kInvalidLobby);
  const std::vector<Api::LobbyInvitationDto> given = invitations;
  MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> sent =
      backends_.Active()->SendInvitations(given);
  if (sent.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Unable to send invitations to the current lobby: %s", sent.Message());
    return FailureReply(sent.GetFailure());
  }
  LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0, "Invitations sent");
  MaybeType<Failure, AnalyticsEventFields> fields = Failure(500, "INVALID_PARTY");
  if (backends_.Parties() != nullptr)
    fields = backends_.Parties()->MakePartyAnalyticsFields("parties-invitation");
  if (fields.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Not sending parties analytics, invalid party state");
  } else {
    // An invitation that reached nobody is not told as one.
    const auto refused = [&sent](std::uint64_t id) {
      return id == 0 || std::any_of(sent.Value().begin(), sent.Value().end(),
                                    [id](const Api::LobbyInvitationDto& answered) {
                                      return answered.toSummonerId == id &&
                                             answered.state == Api::LobbyInvitationState::Error;
                                    });
    };
    for (const Api::LobbyInvitationDto& invitation : given) {
      if (!refused(invitation.toSummonerId)) {
        analytics_.SendInviteAnalytics(invitation.toSummonerId, fields.Value());
      }
    }
  }
  return std::move(sent).Value();
}

Api::Eligibility LobbyPlugin::CheckInviteEligibility(const BindingProperty& metaData) {
  // Everything is read before the first request, which waits: the caller's record may change.
  const BindingProperty& gameTypeMember = metaData.FindMember("gameType");
  if (gameTypeMember.Kind() == BindingPropertyKind::Empty) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Failed to determine eligibility for invite, gameType missing");
    return Ineligible(Code::QueueUnsupported);
  }
  const bool practiceGame = gameTypeMember.Kind() == BindingPropertyKind::String &&
                            gameTypeMember.GetString() == "PRACTICE_GAME";
  MaybeType<Failure, std::vector<Api::Eligibility>> result = Failure(0, "");
  if (practiceGame) {
    const std::string configId = IntegerMember(metaData, "gameTypeConfigId");
    if (configId.empty()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
                "Failed to determine eligibility for invite, gameTypeConfigId missing");
      return Ineligible(Code::QueueUnsupported);
    }
    MaybeType<Failure, Api::QueueGameTypeConfig> config = Request<Api::QueueGameTypeConfig>(
        HttpMethod::Get, "/jyx-game-queues/v1/game-type-config/" + configId);
    if (config.IsFailure()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
                "Failed to determine eligibility for invite, couldn't look up game type config: %s",
                config.Message());
      return Ineligible(Code::QueueUnsupported);
    }
    result = Request<std::vector<Api::Eligibility>>(
        HttpMethod::Get, "/jyx-queue-eligibility/v3/custom", config.Value().pickMode);
  } else {
    const std::int32_t queueId = GameMetaDataQueueId(metaData);
    if (queueId == -1) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
                "Failed to determine eligibility for invite, queueId missing");
      return Ineligible(Code::QueueUnsupported);
    }
    const std::vector<std::uint64_t> summonerIds = {localSummonerId_};
    const std::vector<std::int32_t> queueIds = {queueId};
    result = Request<std::vector<Api::Eligibility>>(HttpMethod::Get, kEligibilityPath, summonerIds,
                                                    queueIds);
  }
  if (result.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Failed to determine eligibility for invite: %s",
              result.Message());
    return Ineligible(Code::UnknownRestriction);
  }
  if (result.Value().size() != 1) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Failed to determine eligibility for invite: empty results");
    return Ineligible(Code::UnknownRestriction);
  }
  Api::Eligibility eligibility = std::move(result.Value().front());
  EraseUnplayedPrerequisiteRestrictions(eligibility.restrictions);
  eligibility.eligible = eligibility.restrictions.empty();
  return eligibility;
}

HttpResult<std::vector<Api::Eligibility>> LobbyPlugin::HandlePremadeEligibility() {
  MaybeType<Failure, std::vector<Api::Eligibility>> result = Failure(500, kInvalidLobby);
  if (IsInLobby()) {
    // While a change of queue waits the player is in a lobby with no backend.
    if (backends_.Active() != nullptr) result = backends_.Active()->GetPremadeEligibility();
  } else {
    result = eligibilityRules_.RequestPremadeEligibility({localSummonerId_}, 0);
  }
  if (result.IsFailure()) return FailureReply(result.GetFailure());
  return std::move(result).Value();
}

}  // namespace Zarn::Client::Lobby
