#include "host/PartiesService.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <utility>

#include "host/HostValue.h"
#include "host/PluginClock.h"
#include "host/RecordWindow.h"
#include "host/ResourceEventName.h"

namespace Zarn::Host {

namespace {

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;

PartiesReply Error(int32_t status, const char* code) { return PartiesReply{status, code, "", ""}; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A segment as the service reads it: each "%" and two hexadecimal digits the byte they give; any
// other "%" stays as it is.
std::string DecodeSegment(const std::string& segment) {
  std::string decoded;
  decoded.reserve(segment.size());
  for (std::size_t i = 0; i < segment.size(); ++i) {
    const int high = segment[i] == '%' && i + 2 < segment.size() ? HexDigit(segment[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(segment[i + 2]) : -1;
    if (low < 0) {
      decoded.push_back(segment[i]);
      continue;
    }
    decoded.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return decoded;
}

// The segments between the slashes, each decoded.
std::vector<std::string> SplitPath(const std::string& url) {
  std::vector<std::string> segments;
  std::size_t begin = url.empty() || url[0] != '/' ? 0 : 1;
  while (begin <= url.size()) {
    const std::size_t end = std::min(url.find('/', begin), url.size());
    segments.push_back(DecodeSegment(url.substr(begin, end - begin)));
    begin = end + 1;
  }
  return segments;
}

bool Matches(const std::vector<std::string>& pattern, const std::vector<std::string>& segments) {
  if (pattern.size() != segments.size()) return false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != "*" && pattern[i] != segments[i]) return false;
  }
  return true;
}

void Text(Writer& writer, const std::string& text) {
  writer.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
}

void Key(Writer& writer, const char* key) { writer.Key(key); }

template <typename T, typename Write>
void Optional(Writer& writer, const std::optional<T>& value, Write write) {
  if (value) {
    write(*value);
  } else {
    writer.Null();
  }
}

// Parses `body` into `*json`; false for text that is no JSON.
bool ParseBody(const std::string& body, rapidjson::Document* json) {
  std::string error;
  return ParseHostJson(body, json, &error);
}

}  // namespace

std::optional<PartiesPush> PartiesPushNamed(const std::string& name) {
  if (name == "none") return PartiesPush::None;
  if (name == "notification") return PartiesPush::Notification;
  if (name == "message") return PartiesPush::Message;
  return std::nullopt;
}

std::string EnvelopeJson(const PartiesReply& reply) {
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  writer.StartObject();
  Key(writer, "errorCode");
  Text(writer, reply.errorCode);
  Key(writer, "httpStatus");
  writer.Int(reply.httpStatus);
  Key(writer, "implementationDetails");
  writer.String("");
  Key(writer, "message");
  writer.String("");
  Key(writer, "payload");
  if (reply.payload.empty()) {
    writer.Null();
  } else {
    writer.RawValue(reply.payload.c_str(), reply.payload.size(), rapidjson::kObjectType);
  }
  writer.EndObject();
  return buffer.GetString();
}

PartiesService::PartiesService(PluginHost& host, ServiceProxyService& proxy)
    : host_(host), proxy_(proxy) {
  nowMillis = [this] {
    return static_cast<uint64_t>((kPluginWallClockStart + host_.Scheduler().Now()) / 1'000'000);
  };
  proxy_.SetResponder(kPartiesProxyService, kPartiesProxyMethod,
                      [this](const ProxyRequest& request) { return Respond(request); });
}

PartiesService::~PartiesService() {
  proxy_.SetResponder(kPartiesProxyService, kPartiesProxyMethod, nullptr);
}

ProxyScript PartiesService::Respond(const ProxyRequest& request) {
  ProxyScript answer;
  rapidjson::Document payload;
  const auto field = [&](const char* key, std::string* out) {
    if (!payload.HasMember(key) || !payload[key].IsString()) return false;
    out->assign(payload[key].GetString(), payload[key].GetStringLength());
    return true;
  };
  PartiesRecord record;
  record.actor = local_;
  if (!ParseBody(request.payload, &payload) || !payload.IsObject() ||
      !field("method", &record.method) || !field("url", &record.url) ||
      !field("body", &record.body)) {
    answer.reply.payload = EnvelopeJson(Error(400, "BAD_REQUEST"));
    return answer;
  }
  records_.push_back(record);
  droppedRecords_ += KeepLatest(records_, host_.RecordWindow());
  std::optional<PartiesScript> script = TakeScript(record.method, record.url);
  if (!script || script->kind == PartiesScript::Kind::Normal || script->apply) {
    const PartiesReply reply = Act(local_, record.method, record.url, record.body);
    answer.reply.payload = EnvelopeJson(reply);
    if (!reply.playerOf.empty()) {
      answer.payloadAtDelivery = [this, reply] {
        PartiesReply delivered = reply;
        const std::string player = PlayerJson(reply.playerOf);
        if (!player.empty()) delivered.payload = player;
        return EnvelopeJson(delivered);
      };
    }
    // The registering player is the plugin's, unless one was named before.
    if (local_.empty() && reply.httpStatus == 200 && record.method == "PUT") {
      const std::vector<std::string> segments = SplitPath(record.url);
      if (segments.size() == 3 && segments[0] == "v1" && segments[1] == "players") {
        local_ = segments[2];
      }
    }
  }
  if (!script) return answer;
  answer.timing = script->timing;
  answer.yield = script->yield;
  if (script->kind != PartiesScript::Kind::Normal) answer.payloadAtDelivery = nullptr;
  switch (script->kind) {
    case PartiesScript::Kind::Normal:
      break;
    case PartiesScript::Kind::Status:
      answer.reply.payload =
          EnvelopeJson(PartiesReply{script->httpStatus, script->errorCode, "", ""});
      break;
    case PartiesScript::Kind::EmptyPayload:
      answer.reply.payload.clear();
      break;
    case PartiesScript::Kind::NotEnvelope:
      answer.reply.payload = "[\"no envelope\"]";
      break;
    case PartiesScript::Kind::NotPlayer:
      answer.reply.payload = EnvelopeJson(PartiesReply{200, "", "[\"no player\"]", ""});
      break;
    case PartiesScript::Kind::ProxyError:
      answer.reply.payload.clear();
      answer.reply.error = script->errorCode;
      break;
  }
  return answer;
}

std::optional<PartiesScript> PartiesService::TakeScript(const std::string& method,
                                                        const std::string& url) {
  const std::vector<std::string> segments = SplitPath(url);
  for (auto it = scripts_.begin(); it != scripts_.end(); ++it) {
    if (!it->method.empty() && it->method != method) continue;
    if (!Matches(SplitPath(it->path), segments)) continue;
    PartiesScript script = *it;
    if (it->uses > 0 && --it->uses == 0) scripts_.erase(it);
    return script;
  }
  return std::nullopt;
}

void PartiesService::AddScript(PartiesScript script) { scripts_.push_back(std::move(script)); }

PartiesReply PartiesService::Act(const std::string& actor, const std::string& method,
                                 const std::string& url, const std::string& body) {
  const uint64_t before = LocalVersion();
  PartiesReply reply = Route(actor, method, url, body);
  PushIfChanged(before);
  return reply;
}

PartiesReply PartiesService::Route(const std::string& actor, const std::string& method,
                                   const std::string& url, const std::string& body) {
  struct Row {
    const char* method;
    const char* pattern;
    Handler handler;
  };
  static const Row kRows[] = {
      {"PUT", "v1/players/*", &PartiesService::PutPlayer},
      {"GET", "v1/players/*", &PartiesService::GetPlayer},
      {"DELETE", "v1/players/*", &PartiesService::DeletePlayer},
      {"PUT", "v1/parties/*/gamemode", &PartiesService::PutPartyField},
      {"PUT", "v1/parties/*/partytype", &PartiesService::PutPartyField},
      {"PUT", "v1/parties/*/activityLocked", &PartiesService::PutPartyField},
      {"PUT", "v1/parties/*/members/*/role", &PartiesService::PutRole},
      {"PUT", "v1/parties/*/members/*/metadata", &PartiesService::PutMemberField},
      {"PUT", "v1/parties/*/members/*/canInvite", &PartiesService::PutMemberField},
      {"PUT", "v1/parties/*/members/*/ready", &PartiesService::PutMemberField},
      {"POST", "v1/parties/*/bulkInvite", &PartiesService::PostPartyAction},
      {"POST", "v1/parties/*/enteredGame", &PartiesService::PostPartyAction},
      {"POST", "v1/parties/*/resumeActivity", &PartiesService::PostPartyAction},
      {"POST", "v1/clash-parties/join", &PartiesService::JoinClash},
      {"GET", "v1/health", &PartiesService::GetHealth},
      {"GET", "comms/v1/parties/*/members/*/token", &PartiesService::GetToken},
  };
  const std::vector<std::string> segments = SplitPath(url);
  for (const Row& row : kRows) {
    if (method == row.method && Matches(SplitPath(row.pattern), segments)) {
      return (this->*row.handler)(actor, segments, body);
    }
  }
  return Error(404, "ROUTE_NOT_FOUND");
}

PartiesPlayer* PartiesService::Player(const std::string& puuid) {
  const auto it = players_.find(puuid);
  return it == players_.end() ? nullptr : &it->second;
}

PartiesParty* PartiesService::Party(const std::string& partyId) {
  const auto it = parties_.find(partyId);
  return it == parties_.end() ? nullptr : &it->second;
}

const PartiesPlayer* PartiesService::FindPlayer(const std::string& puuid) const {
  const auto it = players_.find(puuid);
  return it == players_.end() ? nullptr : &it->second;
}

const PartiesParty* PartiesService::FindParty(const std::string& partyId) const {
  const auto it = parties_.find(partyId);
  return it == parties_.end() ? nullptr : &it->second;
}

namespace {

PartiesMember* Entry(PartiesParty& party, const std::string& puuid) {
  for (PartiesMember& member : party.players) {
    if (member.puuid == puuid) return &member;
  }
  return nullptr;
}

bool IsMemberRole(const std::string& role) { return role == "LEADER" || role == "MEMBER"; }

}  // namespace

void PartiesService::Touch(PartiesParty& party) {
  ++party.version;
  for (const PartiesMember& member : party.players) {
    if (PartiesPlayer* player = Player(member.puuid)) ++player->version;
  }
}

void PartiesService::GiveOwnParty(PartiesPlayer& player) {
  PartiesParty party;
  party.partyId = "party-" + std::to_string(nextParty_++);
  party.platformId = player.platformId;
  party.eligibilityHash = player.eligibilityHash;
  PartiesMember leader;
  leader.puuid = player.puuid;
  leader.role = "LEADER";
  leader.canInvite = true;
  party.players.push_back(leader);
  player.currentPartyId = party.partyId;
  ++player.version;
  parties_[party.partyId] = std::move(party);
}

void PartiesService::RemoveEntry(PartiesParty& party, const std::string& puuid) {
  Touch(party);  // before the entry goes, so that the leaving player's version rises too
  const auto it = std::find_if(party.players.begin(), party.players.end(),
                               [&](const PartiesMember& m) { return m.puuid == puuid; });
  if (it == party.players.end()) return;
  const bool wasLeader = it->role == "LEADER";
  party.players.erase(it);
  const auto member = std::find_if(party.players.begin(), party.players.end(),
                                   [](const PartiesMember& m) { return IsMemberRole(m.role); });
  if (member == party.players.end()) {
    // No member left: the party ends, and its invitations with it.
    const std::string id = party.partyId;
    parties_.erase(id);
    return;
  }
  if (wasLeader) member->role = "LEADER";
}

void PartiesService::LeaveCurrent(PartiesPlayer& player) {
  PartiesParty* party = Party(player.currentPartyId);
  player.currentPartyId.clear();
  if (party != nullptr) RemoveEntry(*party, player.puuid);
}

bool PartiesService::AddPlayer(const PartiesPlayer& identity) {
  if (identity.puuid.empty()) return false;
  PartiesPlayer& player = players_[identity.puuid];
  const bool fresh = player.createdAt == 0;
  player.puuid = identity.puuid;
  player.platformId = identity.platformId;
  player.accountId = identity.accountId;
  player.summonerId = identity.summonerId;
  player.eligibilityHash = identity.eligibilityHash;
  ++player.version;
  if (fresh) {
    const auto deleted = deletedCreatedAt_.find(identity.puuid);
    player.createdAt = std::max<uint64_t>(
        {nowMillis(), 1, deleted != deletedCreatedAt_.end() ? deleted->second + 1 : 0});
    GiveOwnParty(player);
  }
  return true;
}

PartiesReply PartiesService::PlayerReply(const std::string& puuid) const {
  return PartiesReply{200, "", PlayerJson(puuid), puuid};
}

std::string PartiesService::PlayerJson(const std::string& puuid) const {
  const PartiesPlayer* player = FindPlayer(puuid);
  if (player == nullptr) return {};
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  const auto writeGameMode = [&](const PartiesParty& party) {
    writer.StartObject();
    Key(writer, "botDifficulty");
    Optional(writer, party.botDifficulty, [&](const std::string& v) { Text(writer, v); });
    Key(writer, "gameType");
    Text(writer, party.gameType);
    Key(writer, "maxPartySize");
    writer.Int(party.maxPartySize);
    Key(writer, "queueId");
    writer.Int(party.queueId);
    writer.EndObject();
  };
  const auto writeMember = [&](const PartiesParty& party, const PartiesMember& member) {
    const PartiesPlayer* who = FindPlayer(member.puuid);
    writer.StartObject();
    Key(writer, "accountId");
    writer.Uint64(who ? who->accountId : 0);
    Key(writer, "canInvite");
    Optional(writer, member.canInvite, [&](bool v) { writer.Bool(v); });
    Key(writer, "gameMode");
    // An invitation names the game it is for.
    if (member.role == "INVITED" || member.role == "HOLD") {
      writeGameMode(party);
    } else {
      writer.Null();
    }
    Key(writer, "inviteTimestamp");
    Optional(writer, member.inviteTimestamp, [&](uint64_t v) { writer.Uint64(v); });
    Key(writer, "invitedBySummonerId");
    Optional(writer, member.invitedBySummonerId, [&](uint64_t v) { writer.Uint64(v); });
    Key(writer, "metadata");
    writer.StartObject();
    Key(writer, "positionPref");
    writer.StartArray();
    for (const std::string& position : member.positionPref) Text(writer, position);
    writer.EndArray();
    writer.EndObject();
    Key(writer, "partyId");
    Text(writer, party.partyId);
    Key(writer, "platformId");
    Text(writer, who ? who->platformId : party.platformId);
    Key(writer, "puuid");
    Text(writer, member.puuid);
    Key(writer, "ready");
    Optional(writer, member.ready, [&](bool v) { writer.Bool(v); });
    Key(writer, "role");
    Text(writer, member.role);
    Key(writer, "summonerId");
    writer.Uint64(who ? who->summonerId : 0);
    writer.EndObject();
  };
  writer.StartObject();
  Key(writer, "accountId");
  writer.Uint64(player->accountId);
  Key(writer, "createdAt");
  writer.Uint64(player->createdAt);
  Key(writer, "currentParty");
  if (const PartiesParty* party = FindParty(player->currentPartyId)) {
    writer.StartObject();
    Key(writer, "activeRestrictions");
    writer.RawValue(party->activeRestrictions.c_str(), party->activeRestrictions.size(),
                    rapidjson::kObjectType);
    Key(writer, "activityLocked");
    writer.Bool(party->activityLocked);
    Key(writer, "activityResumeUtcMillis");
    writer.Uint64(party->activityResumeUtcMillis);
    Key(writer, "activityStartedUtcMillis");
    writer.Uint64(party->activityStartedUtcMillis);
    Key(writer, "chat");
    writer.StartObject();
    Key(writer, "jid");
    Text(writer, party->partyId + "@parties.sim");
    writer.EndObject();
    Key(writer, "eligibilityHash");
    writer.Int64(party->eligibilityHash);
    Key(writer, "eligibilityRestrictions");
    writer.Null();
    Key(writer, "gameMode");
    writeGameMode(*party);
    Key(writer, "maxPartySize");
    writer.Int(party->maxPartySize);
    Key(writer, "partyId");
    Text(writer, party->partyId);
    Key(writer, "partyType");
    Text(writer, party->partyType);
    Key(writer, "platformId");
    Text(writer, party->platformId);
    Key(writer, "players");
    writer.StartArray();
    for (const PartiesMember& member : party->players) writeMember(*party, member);
    writer.EndArray();
    Key(writer, "version");
    writer.Uint64(party->version);
    writer.EndObject();
  } else {
    writer.Null();
  }
  Key(writer, "eligibilityHash");
  writer.Int64(player->eligibilityHash);
  Key(writer, "parties");
  writer.StartArray();
  for (const auto& [id, party] : parties_) {
    for (const PartiesMember& member : party.players) {
      if (member.puuid == puuid) writeMember(party, member);
    }
  }
  writer.EndArray();
  Key(writer, "platformId");
  Text(writer, player->platformId);
  Key(writer, "puuid");
  Text(writer, player->puuid);
  Key(writer, "serverUtcMillis");
  writer.Int64(static_cast<int64_t>(nowMillis()));
  Key(writer, "summonerId");
  writer.Uint64(player->summonerId);
  Key(writer, "version");
  writer.Uint64(player->version);
  writer.EndObject();
  return buffer.GetString();
}

PartiesService::Membership PartiesService::MemberOf(const std::string& partyId,
                                                    const std::string& actor) {
  Membership membership;
  membership.party = Party(partyId);
  if (membership.party == nullptr) {
    membership.error = Error(404, "PARTY_NOT_FOUND");
    return membership;
  }
  membership.self = Entry(*membership.party, actor);
  if (membership.self == nullptr || !IsMemberRole(membership.self->role)) {
    membership.error = Error(403, "NOT_AUTHORIZED");
  }
  return membership;
}

PartiesReply PartiesService::PutPlayer(const std::string& /*actor*/,
                                       const std::vector<std::string>& segments,
                                       const std::string& body) {
  rapidjson::Document json;
  if (!ParseBody(body, &json) || !json.IsObject()) return Error(400, "INVALID_PLAYER");
  PartiesPlayer identity;
  identity.puuid = segments[2];
  const auto text = [&](const char* key) {
    return json.HasMember(key) && json[key].IsString()
               ? std::string(json[key].GetString(), json[key].GetStringLength())
               : std::string();
  };
  identity.platformId = text("platformId");
  if (json.HasMember("accountId") && json["accountId"].IsUint64()) {
    identity.accountId = json["accountId"].GetUint64();
  }
  if (json.HasMember("summonerId") && json["summonerId"].IsUint64()) {
    identity.summonerId = json["summonerId"].GetUint64();
  }
  if (json.HasMember("eligibilityHash") && json["eligibilityHash"].IsInt64()) {
    identity.eligibilityHash = json["eligibilityHash"].GetInt64();
  }
  if (!text("puuid").empty() && text("puuid") != identity.puuid) {
    return Error(400, "PUUID_MISMATCH");
  }
  if (!AddPlayer(identity)) return Error(400, "INVALID_PLAYER");
  return PlayerReply(identity.puuid);
}

PartiesReply PartiesService::GetPlayer(const std::string& /*actor*/,
                                       const std::vector<std::string>& segments,
                                       const std::string& /*body*/) {
  if (FindPlayer(segments[2]) == nullptr) return Error(404, "PLAYER_NOT_FOUND");
  return PlayerReply(segments[2]);
}

PartiesReply PartiesService::DeletePlayer(const std::string& /*actor*/,
                                          const std::vector<std::string>& segments,
                                          const std::string& /*body*/) {
  PartiesPlayer* player = Player(segments[2]);
  if (player == nullptr) return Error(404, "PLAYER_NOT_FOUND");
  LeaveCurrent(*player);
  // Its invitations go as well.
  std::vector<std::string> invitedTo;
  for (auto& [id, party] : parties_) {
    if (Entry(party, segments[2]) != nullptr) invitedTo.push_back(id);
  }
  for (const std::string& id : invitedTo) RemoveEntry(parties_.at(id), segments[2]);
  deletedCreatedAt_[segments[2]] = player->createdAt;
  players_.erase(segments[2]);
  return PartiesReply{204, "", "", ""};
}

PartiesReply PartiesService::PutPartyField(const std::string& actor,
                                           const std::vector<std::string>& segments,
                                           const std::string& body) {
  const Membership membership = MemberOf(segments[2], actor);
  if (membership.error) return *membership.error;
  PartiesParty* party = membership.party;
  rapidjson::Document json;
  if (!ParseBody(body, &json)) return Error(400, "INVALID_BODY");
  const std::string& field = segments[3];
  if (field == "gamemode") {
    if (!json.IsObject() || !json.HasMember("queueId") || !json["queueId"].IsInt()) {
      return Error(400, "INVALID_GAME_MODE");
    }
    party->queueId = json["queueId"].GetInt();
    party->gameType = json.HasMember("gameType") && json["gameType"].IsString()
                          ? json["gameType"].GetString()
                          : "";
    if (json.HasMember("maxPartySize") && json["maxPartySize"].IsInt()) {
      party->maxPartySize = json["maxPartySize"].GetInt();
    }
    party->botDifficulty.reset();
    if (json.HasMember("botDifficulty") && json["botDifficulty"].IsString()) {
      party->botDifficulty = json["botDifficulty"].GetString();
    }
  } else if (field == "partytype") {
    if (!json.IsString()) return Error(400, "INVALID_PARTY_TYPE");
    party->partyType = json.GetString();
  } else {
    if (!json.IsBool()) return Error(400, "INVALID_BODY");
    party->activityLocked = json.GetBool();
    if (party->activityLocked) {
      party->activityStartedUtcMillis = nowMillis();
    } else {
      party->activityResumeUtcMillis = 0;
    }
  }
  Touch(*party);
  return PlayerReply(actor);
}

PartiesReply PartiesService::PutMemberField(const std::string& actor,
                                            const std::vector<std::string>& segments,
                                            const std::string& body) {
  const Membership membership = MemberOf(segments[2], actor);
  if (membership.error) return *membership.error;
  PartiesParty* party = membership.party;
  PartiesMember* self = membership.self;
  PartiesMember* member = Entry(*party, segments[4]);
  if (member == nullptr) return Error(404, "PLAYER_NOT_FOUND");
  rapidjson::Document json;
  if (!ParseBody(body, &json)) return Error(400, "INVALID_BODY");
  const std::string& field = segments[5];
  if (field == "metadata") {
    if (!json.IsObject() || !json.HasMember("positionPref") || !json["positionPref"].IsArray()) {
      return Error(400, "INVALID_METADATA");
    }
    std::vector<std::string> positions;
    for (const auto& position : json["positionPref"].GetArray()) {
      if (!position.IsString()) return Error(400, "INVALID_METADATA");
      positions.emplace_back(position.GetString(), position.GetStringLength());
    }
    member->positionPref = std::move(positions);
  } else {
    if (!json.IsBool()) return Error(400, "INVALID_BODY");
    if (field == "canInvite") {
      if (self->role != "LEADER") return Error(403, "NOT_AUTHORIZED");
      member->canInvite = json.GetBool();
    } else {
      member->ready = json.GetBool();
    }
  }
  Touch(*party);
  return PlayerReply(actor);
}

PartiesReply PartiesService::PutRole(const std::string& actor,
                                     const std::vector<std::string>& segments,
                                     const std::string& body) {
  PartiesParty* party = Party(segments[2]);
  if (party == nullptr) return Error(404, "PARTY_NOT_FOUND");
  const std::string partyId = segments[2];
  const std::string& target = segments[4];
  PartiesPlayer* player = Player(target);
  if (player == nullptr || Player(actor) == nullptr) return Error(404, "PLAYER_NOT_FOUND");
  rapidjson::Document json;
  if (!ParseBody(body, &json) || !json.IsString()) return Error(400, "INVALID_ROLE");
  const std::string role = json.GetString();
  PartiesMember* entry = Entry(*party, target);
  PartiesMember* self = Entry(*party, actor);
  const bool selfLeads = self != nullptr && self->role == "LEADER";
  if (role == "MEMBER") {
    if (target != actor) return Error(403, "NOT_AUTHORIZED");
    if (entry != nullptr && IsMemberRole(entry->role)) return PlayerReply(actor);
    if (entry == nullptr && party->partyType != "open") return Error(403, "NOT_INVITED");
    LeaveCurrent(*player);
    party = Party(partyId);
    entry = Entry(*party, target);
    if (entry == nullptr) {
      party->players.push_back(PartiesMember{target, "MEMBER", {}, {}, {}, {}, {}});
    } else {
      entry->role = "MEMBER";
    }
    player->currentPartyId = partyId;
    Touch(*party);
  } else if (role == "DECLINED") {
    if (target != actor) return Error(403, "NOT_AUTHORIZED");
    if (entry == nullptr) return Error(404, "PLAYER_NOT_FOUND");
    if (IsMemberRole(entry->role)) {
      LeaveCurrent(*player);
      GiveOwnParty(*player);
    } else {
      RemoveEntry(*party, target);
    }
  } else if (role == "KICKED") {
    if (!selfLeads || target == actor) return Error(403, "NOT_AUTHORIZED");
    if (entry == nullptr) return Error(404, "PLAYER_NOT_FOUND");
    if (IsMemberRole(entry->role)) {
      LeaveCurrent(*player);
      GiveOwnParty(*player);
    } else {
      RemoveEntry(*party, target);
    }
  } else if (role == "LEADER") {
    if (!selfLeads) return Error(403, "NOT_AUTHORIZED");
    if (entry == nullptr || !IsMemberRole(entry->role)) return Error(404, "PLAYER_NOT_FOUND");
    self->role = "MEMBER";
    entry->role = "LEADER";
    Touch(*party);
  } else {
    return Error(400, "INVALID_ROLE");
  }
  return PlayerReply(actor);
}

PartiesReply PartiesService::PostPartyAction(const std::string& actor,
                                             const std::vector<std::string>& segments,
                                             const std::string& body) {
  const Membership membership = MemberOf(segments[2], actor);
  if (membership.error) return *membership.error;
  PartiesParty* party = membership.party;
  const PartiesPlayer* inviter = FindPlayer(actor);
  if (inviter == nullptr) return Error(404, "PLAYER_NOT_FOUND");
  const std::string& action = segments[3];
  if (action == "bulkInvite") {
    rapidjson::Document json;
    if (!ParseBody(body, &json) || !json.IsArray()) return Error(400, "INVALID_BODY");
    std::vector<std::string> invitees;
    for (const auto& puuid : json.GetArray()) {
      if (!puuid.IsString()) return Error(400, "INVALID_BODY");
      if (FindPlayer(puuid.GetString()) == nullptr) return Error(404, "PLAYER_NOT_FOUND");
      invitees.emplace_back(puuid.GetString());
    }
    for (const std::string& puuid : invitees) {
      PartiesMember* entry = Entry(*party, puuid);
      if (entry != nullptr && IsMemberRole(entry->role)) continue;
      if (entry == nullptr) {
        party->players.push_back(PartiesMember{puuid, "INVITED", {}, {}, {}, {}, {}});
        entry = &party->players.back();
      }
      entry->role = "INVITED";
      entry->invitedBySummonerId = inviter->summonerId;
      entry->inviteTimestamp = nowMillis();
    }
  } else if (action == "resumeActivity") {
    party->activityLocked = false;
    party->activityResumeUtcMillis = 0;
  }
  // Entering a game changes nothing the service keeps; the reply still carries the state.
  if (action != "enteredGame") Touch(*party);
  return PlayerReply(actor);
}

PartiesReply PartiesService::JoinClash(const std::string& actor,
                                       const std::vector<std::string>& /*segments*/,
                                       const std::string& body) {
  PartiesPlayer* player = Player(actor);
  if (player == nullptr) return Error(404, "PLAYER_NOT_FOUND");
  rapidjson::Document json;
  if (!ParseBody(body, &json) || !json.IsString()) return Error(400, "INVALID_BODY");
  const std::string partyId = std::string("clash-") + json.GetString();
  if (player->currentPartyId == partyId) return PlayerReply(actor);
  LeaveCurrent(*player);
  PartiesParty* party = Party(partyId);
  if (party == nullptr) {
    PartiesParty clash;
    clash.partyId = partyId;
    clash.platformId = player->platformId;
    clash.partyType = "clash";
    clash.players.push_back(PartiesMember{actor, "LEADER", {}, {}, {}, {}, true});
    party = &(parties_[partyId] = std::move(clash));
  } else {
    party->players.push_back(PartiesMember{actor, "MEMBER", {}, {}, {}, {}, {}});
  }
  player->currentPartyId = partyId;
  Touch(*party);
  return PlayerReply(actor);
}

PartiesReply PartiesService::GetHealth(const std::string& /*actor*/,
                                       const std::vector<std::string>& /*segments*/,
                                       const std::string& /*body*/) {
  rapidjson::Value text(health_.c_str(), static_cast<rapidjson::SizeType>(health_.size()));
  return PartiesReply{200, "", JsonText(text), ""};
}

PartiesReply PartiesService::GetToken(const std::string& /*actor*/,
                                      const std::vector<std::string>& segments,
                                      const std::string& /*body*/) {
  PartiesParty* party = Party(segments[3]);
  if (party == nullptr) return Error(404, "PARTY_NOT_FOUND");
  if (Entry(*party, segments[5]) == nullptr) return Error(404, "PLAYER_NOT_FOUND");
  const std::string token = commsToken_.empty() ? segments[3] + "." + segments[5] : commsToken_;
  rapidjson::Value text(token.c_str(), static_cast<rapidjson::SizeType>(token.size()));
  return PartiesReply{200, "", JsonText(text), ""};
}

PartiesReply PartiesService::Invite(const std::string& from, const std::string& to) {
  const PartiesPlayer* inviter = FindPlayer(from);
  if (inviter == nullptr) return Error(404, "PLAYER_NOT_FOUND");
  return Act(from, "POST", "v1/parties/" + inviter->currentPartyId + "/bulkInvite",
             "[\"" + to + "\"]");
}

PartiesReply PartiesService::Accept(const std::string& puuid, const std::string& partyId) {
  return Act(puuid, "PUT", "v1/parties/" + partyId + "/members/" + puuid + "/role", "\"MEMBER\"");
}

PartiesReply PartiesService::Decline(const std::string& puuid, const std::string& partyId) {
  return Act(puuid, "PUT", "v1/parties/" + partyId + "/members/" + puuid + "/role", "\"DECLINED\"");
}

PartiesReply PartiesService::Leave(const std::string& puuid) {
  const PartiesPlayer* player = FindPlayer(puuid);
  if (player == nullptr) return Error(404, "PLAYER_NOT_FOUND");
  return Decline(puuid, player->currentPartyId);
}

bool PartiesService::SetActivityResume(const std::string& partyId, uint64_t utcMillis) {
  PartiesParty* party = Party(partyId);
  if (party == nullptr) return false;
  const uint64_t before = LocalVersion();
  party->activityLocked = true;
  party->activityResumeUtcMillis = utcMillis;
  Touch(*party);
  PushIfChanged(before);
  return true;
}

uint64_t PartiesService::LocalVersion() const {
  const PartiesPlayer* player = FindPlayer(local_);
  return player == nullptr ? 0 : player->version;
}

void PartiesService::PushIfChanged(uint64_t before) {
  if (LocalVersion() != before) PushLocalPlayer();
}

void PartiesService::PushLocalPlayer() {
  const std::string player = PlayerJson(local_);
  if (player.empty()) return;
  if (push_ == PartiesPush::Notification) {
    PushEnvelope("{\"player\":" + player + "}");
  } else if (push_ == PartiesPush::Message) {
    proxy_.SendAsyncEvent("parties", "player", ProxyMessage{player, "200", ""});
  }
}

bool PartiesService::PushQueueRestriction(const std::string& queueRestrictionJson) {
  return PushEnvelopeMember("queueRestriction", queueRestrictionJson);
}

bool PartiesService::PushPlayer(const std::string& playerJson) {
  return PushEnvelopeMember("player", playerJson);
}

bool PartiesService::PushEnvelopeMember(const char* key, const std::string& json) {
  rapidjson::Document parsed;
  if (!ParseBody(json, &parsed) || !parsed.IsObject()) return false;
  PushEnvelope("{\"" + std::string(key) + "\":" + JsonText(parsed) + "}");
  return true;
}

void PartiesService::PushEnvelope(const std::string& envelopeJson) {
  rapidjson::Document message(rapidjson::kObjectType);
  auto& allocator = message.GetAllocator();
  const auto text = [&](const std::string& value) {
    return rapidjson::Value(value.c_str(), static_cast<rapidjson::SizeType>(value.size()),
                            allocator);
  };
  message.AddMember("resource", text("parties/v1/notifications"), allocator);
  message.AddMember("service", text("parties"), allocator);
  message.AddMember("version", text("v1"), allocator);
  message.AddMember("timestamp", static_cast<int64_t>(nowMillis()), allocator);
  message.AddMember("payload", text(envelopeJson), allocator);
  host_.SeedResource(kPartiesNotificationsPath, JsonText(message));
  rapidjson::Document event(rapidjson::kObjectType);
  auto& eventAllocator = event.GetAllocator();
  event.AddMember("uri", rapidjson::Value(kPartiesNotificationsPath, eventAllocator),
                  eventAllocator);
  event.AddMember("eventType", "Update", eventAllocator);
  event.AddMember("data", rapidjson::Value(message, eventAllocator), eventAllocator);
  host_.DeliverEvent(ResourceEventName(kPartiesNotificationsPath), JsonText(event));
}

}  // namespace Zarn::Host
