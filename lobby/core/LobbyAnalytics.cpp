#include "lobby/core/LobbyAnalytics.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "lobby/core/LobbyBackend.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/PartiesBackend.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/platform/WallClock.h"

namespace Zarn::Client::Lobby {

namespace {

void LogMissing(const char* line) { LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "%s", line); }

// The senders' one check of an input: `value`, or null after the line "<sender>: can't send,
// <what> missing".
template <typename T>
const T* Required(const T* value, const char* sender, const char* what) {
  if (value == nullptr) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "%s: can't send, %s missing", sender, what);
  }
  return value;
}

std::uint64_t WallMillis() {
  return static_cast<std::uint64_t>(Platform::WallClockNow() / 1'000'000);
}

const char* RoleName(Api::PartyMemberRoleEnum role) {
  switch (role) {
    case Api::PartyMemberRoleEnum::LEADER:
      return "LEADER";
    case Api::PartyMemberRoleEnum::MEMBER:
      return "MEMBER";
    case Api::PartyMemberRoleEnum::INVITED:
      return "INVITED";
    case Api::PartyMemberRoleEnum::HOLD:
      return "HOLD";
    case Api::PartyMemberRoleEnum::KICKED:
      return "KICKED";
    case Api::PartyMemberRoleEnum::DECLINED:
      return "DECLINED";
    case Api::PartyMemberRoleEnum::NONE:
      return "NONE";
  }
  return "NONE";
}

// Every record but the invitation player's carries these four.
template <class Record>
void CopyFields(Record& record, const std::string& platformId, const AnalyticsEventFields& fields) {
  record.platformId = platformId;
  record.eventType = fields.eventType;
  record.eventData = fields.eventData;
  record.eventTimestamp = fields.eventTimestamp;
}

}  // namespace

const std::string* LobbyAnalytics::PlatformId() const { return source_->CurrentPlatformId(); }

const Api::Summoner* LobbyAnalytics::Summoner() const { return source_->CurrentSummoner(); }

const Api::PlayerDto* LobbyAnalytics::Player() const {
  const PartiesBackend* parties = source_->GetPartiesBackend();
  return parties == nullptr ? nullptr : &parties->Player();
}

const Api::PartyDto* LobbyAnalytics::Party() const {
  const Api::PlayerDto* player = Player();
  if (player == nullptr || !player->currentParty.has_value()) return nullptr;
  return &*player->currentParty;
}

LobbyBackend* LobbyAnalytics::InLobbyBackend(const char* sender) const {
  LobbyBackend* backend = source_->ActiveBackend();
  if (source_->IsInLobby() && backend != nullptr) return backend;
  LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "%s: can't send, LobbyController does not exist",
            sender);
  return nullptr;
}

std::size_t LobbyAnalytics::LegacyReceivedInvitationCount() const {
  return source_->LegacyReceivedInvitationCount();
}

namespace {

template <class Record>
void SendRecord(LobbyAnalytics& analytics, const char* name, const Record& record) {
  const BindingRegistry* registry = analytics.Registry();
  if (registry == nullptr) return;
  BindingProperty value;
  if (!ToBindingProperty(record, value, *registry)) return;
  analytics.SendEvent(name, value);
}

}  // namespace

void LobbyAnalytics::SendEvent(const std::string& name, const BindingProperty& value) {
  if (source_ == nullptr) return;
  const BindingRegistry* registry = runtime_->Registry();
  std::unordered_map<std::string, std::string> data;
  for (auto member = value.MembersBegin(); member != value.MembersEnd(); ++member) {
    std::string key = member.Name().Text();
    std::string text = SerializeJson(member.Value(), registry, nullptr);
    if (key.empty() || text.empty()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
                "LobbyAnalytics::SendEvent: key/val (%s) is empty", key.c_str());
    }
    data[std::move(key)] = std::move(text);
  }
  TelemetryInterface* telemetry = runtime_->Telemetry();
  if (telemetry == nullptr) return;
  static_cast<void>(telemetry->SendEvent(name, data));
}

void LobbyAnalytics::SendFriendAvailabilityAnalytics(const AnalyticsEventFields& fields) {
  if (source_ == nullptr) return;
  if (InLobbyBackend("LobbyAnalytics::SendFriendAvailabilityAnalytics") == nullptr) return;
  const Api::ChatFriendCounts* counts =
      Required(friendCounts_.Effective(), "LobbyAnalytics::SendFriendAvailabilityAnalytics",
               "friend counts data");
  if (counts == nullptr) return;
  const std::string* platformId =
      Required(PlatformId(), "LobbyAnalytics::SendPremadeRelationshipAnalytics", "platform data");
  if (platformId == nullptr) return;
  const Api::Summoner* summoner =
      Required(Summoner(), "LobbyAnalytics::SendFriendAvailabilityAnalytics", "summoner data");
  if (summoner == nullptr) return;
  Api::FriendAvailabilityAnalytics record;
  record.puuid = summoner->puuid;
  record.summonerId = summoner->summonerId;
  CopyFields(record, *platformId, fields);
  record.numFriends = counts->numFriends;
  record.numFriendsOnline = counts->numFriendsOnline;
  record.numFriendsAvailable = counts->numFriendsAvailable;
  record.numFriendsAway = counts->numFriendsAway;
  record.numFriendsInGame = counts->numFriendsInGame;
  record.numFriendsMobile = counts->numFriendsMobile;
  SendRecord(*this, "parties-friend-availability", record);
}

void LobbyAnalytics::SendPremadeRelationshipAnalytics(const AnalyticsEventFields& fields) {
  if (source_ == nullptr) return;
  LobbyBackend* backend = InLobbyBackend("LobbyAnalytics::SendPremadeRelationshipAnalytics");
  if (backend == nullptr) return;
  if (Required(friends_.Effective(), "LobbyAnalytics::SendPremadeRelationshipAnalytics",
               "friends data") == nullptr) {
    return;
  }
  const std::string* platformId =
      Required(PlatformId(), "LobbyAnalytics::SendPremadeRelationshipAnalytics", "platform data");
  if (platformId == nullptr) return;
  Api::PremadeRelationshipAnalytics record;
  CopyFields(record, *platformId, fields);
  // The lobby read may wait: the inputs read after it are read again.
  MaybeType<Failure, Api::LobbyDto> lobby = backend->GetLobby();
  if (lobby.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "LobbyAnalytics::SendFriendAvailabilityAnalytics: can't send: %s",
              lobby.GetFailure().Message());
    return;
  }
  const Api::Summoner* summoner = Summoner();
  if (summoner != nullptr) {
    record.puuid = summoner->puuid;
    record.summonerId = summoner->summonerId;
  }
  const std::vector<Api::ChatFriend>* friendList = friends_.Effective();
  for (const Api::LobbyParticipantDto& member : lobby->members) {
    record.premadePlayers.push_back(member.puuid);
    if (friendList == nullptr) continue;
    for (const Api::ChatFriend& chatFriend : *friendList) {
      if (chatFriend.summonerId == member.summonerId) {
        record.friendPlayers.push_back(member.puuid);
        break;
      }
    }
  }
  SendRecord(*this, "parties-premade-relationship", record);
}

void LobbyAnalytics::SendPartiesInvitationsAnalytics(const AnalyticsEventFields& fields) {
  if (source_ == nullptr) return;
  const std::string* platformId =
      Required(PlatformId(), "LobbyAnalytics::SendPremadeRelationshipAnalytics", "platform data");
  if (platformId == nullptr) return;
  const Api::PartyDto* party =
      Required(Party(), "LobbyAnalytics::SendPremadeRelationshipAnalytics", "party data");
  if (party == nullptr) return;
  Api::PartiesInvitationAnalytics record;
  record.partyId = party->partyId;
  CopyFields(record, *platformId, fields);
  for (const Api::PartyMemberDto& player : party->players) {
    record.players.push_back({player.puuid, player.summonerId, RoleName(player.role)});
  }
  SendRecord(*this, "parties-invitations", record);
}

void LobbyAnalytics::SendInviteAnalytics(std::uint64_t toSummonerId,
                                         const AnalyticsEventFields& fields) {
  if (source_ == nullptr) return;
  const std::string* platformId =
      Required(PlatformId(), "LobbyAnalytics::SendInviteAnalytics", "platform data");
  if (platformId == nullptr) return;
  const Api::PartyDto* party =
      Required(Party(), "LobbyAnalytics::SendInviteAnalytics", "party data");
  if (party == nullptr) return;
  Api::PartyInviteAnalytics record;
  record.partyId = party->partyId;
  CopyFields(record, *platformId, fields);
  record.fromSummonerId = Player()->summonerId;
  record.toSummonerId = toSummonerId;
  record.partyType = party->partyType;
  record.gameMode = std::to_string(party->gameMode.queueId);
  SendRecord(*this, "parties-invitation", record);
}

void LobbyAnalytics::SendJoinOpenPartyAnalytics(const AnalyticsEventFields& fields) {
  if (source_ == nullptr) return;
  const std::vector<Api::ChatFriend>* friendList =
      Required(friends_.Effective(), "LobbyAnalytics::SendJoinOpenPartyAnalytics", "friends data");
  if (friendList == nullptr) return;
  const std::string* platformId =
      Required(PlatformId(), "LobbyAnalytics::SendJoinOpenPartyAnalytics", "platform data");
  if (platformId == nullptr) return;
  const Api::PartyDto* party =
      Required(Party(), "LobbyAnalytics::SendJoinOpenPartyAnalytics", "party data");
  if (party == nullptr) return;
  Api::JoinPartyAnalytics record;
  record.partyId = party->partyId;
  CopyFields(record, *platformId, fields);
  for (const Api::PartyMemberDto& player : party->players) {
    if (player.role == Api::PartyMemberRoleEnum::LEADER ||
        player.role == Api::PartyMemberRoleEnum::MEMBER) {
      ++record.partySize;
    }
  }
  if (const Api::ChatFriendCounts* counts = friendCounts_.Effective(); counts != nullptr) {
    record.numFriendsOnline = static_cast<std::int32_t>(counts->numFriendsOnline);
  }
  // A party invitation is a membership the player was invited to or holds.
  if (const std::optional<std::vector<Api::PartyMemberDto>>& memberships = Player()->parties;
      memberships.has_value()) {
    for (const Api::PartyMemberDto& membership : *memberships) {
      if (membership.role == Api::PartyMemberRoleEnum::INVITED ||
          membership.role == Api::PartyMemberRoleEnum::HOLD) {
        ++record.numPartyInvites;
      }
    }
  }
  record.numOtherInvites = static_cast<std::int32_t>(LegacyReceivedInvitationCount());
  record.numTotalInvites = record.numPartyInvites + record.numOtherInvites;
  record.gameMode = std::to_string(party->gameMode.queueId);
  // Counted last: it logs each presence it cannot read.
  record.numOpenParties = static_cast<std::int32_t>(
      source_->GetPartiesBackend()->DeserializePartyPresence(*friendList));
  SendRecord(*this, "parties-open-party-join", record);
}

void LobbyAnalytics::StartOpenPartyAnalytics(std::string startTransition) {
  if (source_ == nullptr) return;
  const Api::PartyDto* party = Party();
  if (party == nullptr) {
    LogMissing("LobbyAnalytics::StartOpenPartyAnalytics: can't initialize, no current party");
    return;
  }
  toggleSession_ = Api::OpenPartyToggleAnalytics{};
  toggleSession_.partyId = party->partyId;
  toggleSession_.playerId = Player()->puuid;
  toggleSession_.initialState = party->partyType;
  toggleStartTransition_ = std::move(startTransition);
  toggleSession_.startTimestamp = WallMillis();
}

void LobbyAnalytics::SendOpenPartyToggleAnalytics(std::string endTransition,
                                                  const AnalyticsEventFields& fields) {
  if (source_ == nullptr || !HasToggleSession()) return;
  const std::string* platformId =
      Required(PlatformId(), "LobbyAnalytics::SendOpenPartyToggleAnalytics", "platform data");
  if (platformId == nullptr) return;
  const Api::PartyDto* party =
      Required(Party(), "LobbyAnalytics::SendOpenPartyToggleAnalytics", "party data");
  if (party == nullptr) return;
  CopyFields(toggleSession_, *platformId, fields);
  toggleSession_.finalState = party->partyType;
  toggleSession_.endTimestamp = WallMillis();
  // A wall clock set back since the start would wrap the unsigned difference.
  toggleSession_.elapsedTime = toggleSession_.endTimestamp >= toggleSession_.startTimestamp
                                   ? toggleSession_.endTimestamp - toggleSession_.startTimestamp
                                   : 0;
  toggleSession_.endTransition = std::move(endTransition);
  SendRecord(*this, "parties-open-party-toggle", toggleSession_);
}

}  // namespace Zarn::Client::Lobby
