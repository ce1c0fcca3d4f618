// The parties backend's telemetry: what each accepted change of the player record tells, the
// open-party toggle's end, and the open parties that friends advertise.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyAnalytics.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyServices.h"
#include "sdk/base/KeyedHash.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kPresenceKey[] = "pty";
constexpr char kInvalidPartyState[] = "Not sending parties analytics, invalid party state";

// The record's own role in its current party; NONE without a party or an entry.
Api::PartyMemberRoleEnum OwnRole(const Api::PlayerDto& player) {
  if (!player.currentParty.has_value()) return Api::PartyMemberRoleEnum::NONE;
  for (const Api::PartyMemberDto& member : player.currentParty->players) {
    if (member.puuid == player.puuid) return member.role;
  }
  return Api::PartyMemberRoleEnum::NONE;
}

}  // namespace

void PartiesLobbyBackend::SendPartyTransitionAnalytics(const Api::PlayerDto& newPlayer,
                                                       const Api::PlayerDto& oldPlayer) {
  if (services_ == nullptr) return;
  // The senders may wait and the host may store another state meanwhile: everything read from
  // the records is taken now.
  const bool bothInParty = newPlayer.currentParty.has_value() && oldPlayer.currentParty.has_value();
  const bool newLocked = bothInParty && newPlayer.currentParty->activityLocked;
  const bool oldLocked = bothInParty && oldPlayer.currentParty->activityLocked;
  const bool queueBecameKnown = bothInParty && oldPlayer.currentParty->gameMode.queueId == -1 &&
                                newPlayer.currentParty->gameMode.queueId != -1;
  const Api::PartyMemberRoleEnum newRole = OwnRole(newPlayer);
  const Api::PartyMemberRoleEnum oldRole = OwnRole(oldPlayer);
  LobbyAnalytics& analytics = services_->GetAnalytics();

  if (newLocked && !oldLocked) {
    const std::optional<AnalyticsEventFields> fields =
        AnalyticsFieldsOrWarn("jyx-enter-matchmaking");
    if (fields.has_value()) {
      analytics.SendPremadeRelationshipAnalytics(*fields);
      analytics.SendFriendAvailabilityAnalytics(*fields);
      analytics.SendPartiesInvitationsAnalytics(*fields);
    }
    if (newRole == Api::PartyMemberRoleEnum::LEADER)
      SendOpenPartyToggleEvent("entered-matchmaking");
  } else if (oldLocked && !newLocked) {
    analytics.StartOpenPartyAnalytics("left-activity-locked");
  }
  if (queueBecameKnown) analytics.StartOpenPartyAnalytics("create-party");
  if (newRole != oldRole) {
    if (newRole == Api::PartyMemberRoleEnum::LEADER) {
      analytics.StartOpenPartyAnalytics("became-leader");
    } else if (oldRole == Api::PartyMemberRoleEnum::LEADER) {
      SendOpenPartyToggleEvent("demoted-from-leader");
    }
  }
}

void PartiesLobbyBackend::SendOpenPartyToggleEvent(std::string endTransition) {
  if (services_ == nullptr) return;
  const std::optional<AnalyticsEventFields> fields = AnalyticsFieldsOrWarn("jyx-toggle-open-party");
  if (!fields.has_value()) return;
  services_->GetAnalytics().SendOpenPartyToggleAnalytics(std::move(endTransition), *fields);
}

std::optional<AnalyticsEventFields> PartiesLobbyBackend::AnalyticsFieldsOrWarn(
    std::string_view eventType) {
  MaybeType<Failure, AnalyticsEventFields> fields = MakePartyAnalyticsFields(eventType);
  if (fields.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "%s", kInvalidPartyState);
    return std::nullopt;
  }
  return std::move(fields).Value();
}

std::size_t PartiesLobbyBackend::DeserializePartyPresence(
    const std::vector<Api::ChatFriend>& friends) {
  const BindingRegistry* registry =
      services_ != nullptr ? services_->Runtime().Registry() : nullptr;
  // Friends name the ids: placed by the keyed hash, ids chosen to collide cost what others do.
  std::unordered_set<std::string, KeyedStringHash, std::equal_to<>> partyIds;
  for (const Api::ChatFriend& chatFriend : friends) {
    const auto entry = chatFriend.jyx.find(kPresenceKey);
    if (entry == chatFriend.jyx.end()) continue;
    Api::PartyPresenceData presence;
    BindingResult parsed = ParseJson(entry->second);
    if (registry == nullptr || !parsed.IsOk() ||
        !ReadRequiredValue(presence, parsed.Value(), *registry)) {
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Failed to deserialize party presence: %s",
                entry->second.c_str());
      continue;
    }
    if (!presence.partyId.empty()) partyIds.insert(std::move(presence.partyId));
  }
  return partyIds.size();
}

}  // namespace Zarn::Client::Lobby
