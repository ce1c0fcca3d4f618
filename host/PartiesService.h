// The stand-in host's parties service, behind the service proxy's "parties.service"."proxy"
// requests. Each request's payload is a proxied HTTP request ({"method","url","body"}); the
// service keeps players and parties, answers with a reply envelope ({"httpStatus","errorCode",
// "message","implementationDetails","payload"}) and tells the plugin's player of each change of
// its state, as a messaging-service notification or as an asynchronous "parties"/"player"
// message. Other players act through the same routes (Act).
//
// Routes (a leading "/" is optional; <p> a party id, <u> a puuid; each segment percent-decoded):
//   PUT|GET|DELETE v1/players/<u>       register (or update) / read / remove a player
//   PUT v1/parties/<p>/gamemode | partytype | activityLocked
//   PUT v1/parties/<p>/members/<u>/role | metadata | canInvite | ready
//   POST v1/parties/<p>/bulkInvite | enteredGame | resumeActivity
//   POST v1/clash-parties/join          GET v1/health
//   GET comms/v1/parties/<p>/members/<u>/token
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"

namespace Zarn::Host {

inline constexpr char kPartiesProxyService[] = "parties.service";
inline constexpr char kPartiesProxyMethod[] = "proxy";
inline constexpr char kPartiesNotificationsPath[] =
    "/zarn-messaging-service/v1/message/parties/v1/notifications";

// A proxied request as the service received it, texts exactly as sent.
struct PartiesRecord {
  std::string actor;  // the acting player's puuid; the plugin's player for proxied requests
  std::string method;
  std::string url;
  std::string body;
};

// The service's answer before it is wrapped in an envelope.
struct PartiesReply {
  int32_t httpStatus = 200;
  std::string errorCode;
  std::string payload;  // JSON text of the payload; empty for none (null)
  // The puuid whose player the payload is; a proxied reply carries that player as it is when the
  // reply is delivered.
  std::string playerOf;
};

// How the service answers the requests that match one route, in place of its own answer.
struct PartiesScript {
  enum class Kind {
    Normal,        // the service's own answer; only the timing is scripted
    Status,        // `httpStatus` with `errorCode` and no payload
    EmptyPayload,  // a proxy reply without payload text
    NotEnvelope,   // a payload that is JSON but no envelope
    NotPlayer,     // 200 with a payload that is no player
    ProxyError,    // a proxy reply whose error text is `errorCode`
  };
  std::string method;  // empty: any method
  std::string path;    // route pattern; "*" stands for one segment, a leading "/" is optional
  Kind kind = Kind::Normal;
  int32_t httpStatus = 500;
  std::string errorCode;
  // Also make the change the request asks for (a Status of 204 that did change, say).
  bool apply = false;
  ProxyScript::Timing timing = ProxyScript::Timing::DuringPost;
  int yield = 1;
  int uses = 1;  // -1: every request
};

// How changes of the plugin's player reach the plugin.
enum class PartiesPush { None, Notification, Message };
// The setting named "none", "notification" or "message"; none for another text.
[[nodiscard]] std::optional<PartiesPush> PartiesPushNamed(const std::string& name);

struct PartiesMember {
  std::string puuid;
  std::string role;  // LEADER, MEMBER, INVITED or HOLD
  std::optional<bool> ready;
  std::vector<std::string> positionPref;
  std::optional<uint64_t> invitedBySummonerId;
  std::optional<uint64_t> inviteTimestamp;
  std::optional<bool> canInvite;
};

struct PartiesParty {
  std::string partyId;
  std::string platformId;
  std::vector<PartiesMember> players;
  int32_t maxPartySize = 5;
  std::string partyType = "closed";
  std::string gameType;
  std::optional<std::string> botDifficulty;
  int32_t queueId = -1;
  bool activityLocked = false;
  uint64_t version = 1;
  uint64_t activityStartedUtcMillis = 0;
  uint64_t activityResumeUtcMillis = 0;
  std::string activeRestrictions = R"({"gatekeeperRestrictions":[]})";  // JSON text
  int64_t eligibilityHash = 0;
};

struct PartiesPlayer {
  std::string puuid;
  std::string platformId;
  uint64_t accountId = 0;
  uint64_t summonerId = 0;
  int64_t eligibilityHash = 0;
  uint64_t createdAt = 0;
  uint64_t version = 0;
  std::string currentPartyId;  // the party it is LEADER or MEMBER of
};

class PartiesService {
 public:
  // Answers "parties.service"."proxy" on `proxy`; both must outlive the service.
  PartiesService(PluginHost& host, ServiceProxyService& proxy);
  ~PartiesService();
  PartiesService(const PartiesService&) = delete;
  PartiesService& operator=(const PartiesService&) = delete;

  // Handles one request of `actor` as the routes above say, without envelope, script or record.
  PartiesReply Act(const std::string& actor, const std::string& method, const std::string& url,
                   const std::string& body);
  // The proxy's answer to one proxied request of the plugin's player: recorded, scripted or
  // handled, wrapped, and timed.
  ProxyScript Respond(const ProxyRequest& request);

  // Registers `player` (its puuid, platform and ids; the rest is the service's) with a party of its
  // own, or updates a registered one. False for an empty puuid.
  bool AddPlayer(const PartiesPlayer& player);
  // The plugin's player: set by the first registration proxied, or here.
  void SetLocalPlayer(const std::string& puuid) { local_ = puuid; }
  [[nodiscard]] const std::string& LocalPlayer() const { return local_; }

  // Other players' actions, each a request of theirs; the reply's status tells the outcome.
  PartiesReply Invite(const std::string& from, const std::string& to);
  PartiesReply Accept(const std::string& puuid, const std::string& partyId);
  PartiesReply Decline(const std::string& puuid, const std::string& partyId);
  PartiesReply Leave(const std::string& puuid);

  void SetPush(PartiesPush push) { push_ = push; }
  // Scripts are tried in the order added; the first match answers and loses a use.
  void AddScript(PartiesScript script);
  void SetHealth(std::string text) { health_ = std::move(text); }
  // The comms token every member gets; empty gives "<party id>.<puuid>".
  void SetCommsToken(std::string token) { commsToken_ = std::move(token); }
  // Locks `partyId` for an activity that resumes at `utcMillis`; false for an unknown party.
  bool SetActivityResume(const std::string& partyId, uint64_t utcMillis);
  // Sends an envelope with only `queueRestrictionJson` to the plugin as a notification. False
  // when the text is no JSON object.
  bool PushQueueRestriction(const std::string& queueRestrictionJson);
  // Sends an envelope with only `playerJson` to the plugin as a notification, whatever player it
  // holds (another's, one the service does not know). False when the text is no JSON object.
  bool PushPlayer(const std::string& playerJson);
  // Pushes the plugin's player as the push setting says (nothing without a plugin's player).
  void PushLocalPlayer();

  // The player as its "PlayerDto" JSON text; empty for an unknown puuid.
  [[nodiscard]] std::string PlayerJson(const std::string& puuid) const;
  [[nodiscard]] const PartiesPlayer* FindPlayer(const std::string& puuid) const;
  [[nodiscard]] const PartiesParty* FindParty(const std::string& partyId) const;
  // The proxied requests, oldest first; under the host's record window only the latest.
  [[nodiscard]] const std::vector<PartiesRecord>& Records() const { return records_; }
  // Requests the record window dropped since the last ClearRecords.
  [[nodiscard]] std::size_t DroppedRecords() const { return droppedRecords_; }
  void ClearRecords() {
    records_.clear();
    droppedRecords_ = 0;
  }

  // The service's clock, milliseconds since 1970: the host's wall clock by default.
  std::function<uint64_t()> nowMillis;

 private:
  using Handler = PartiesReply (PartiesService::*)(const std::string& actor,
                                                   const std::vector<std::string>& segments,
                                                   const std::string& body);

  [[nodiscard]] PartiesReply Route(const std::string& actor, const std::string& method,
                                   const std::string& url, const std::string& body);
  // The first script that matches, with one use taken; none when no script matches.
  std::optional<PartiesScript> TakeScript(const std::string& method, const std::string& url);

  PartiesReply PutPlayer(const std::string& actor, const std::vector<std::string>& segments,
                         const std::string& body);
  PartiesReply GetPlayer(const std::string& actor, const std::vector<std::string>& segments,
                         const std::string& body);
  PartiesReply DeletePlayer(const std::string& actor, const std::vector<std::string>& segments,
                            const std::string& body);
  PartiesReply PutPartyField(const std::string& actor, const std::vector<std::string>& segments,
                             const std::string& body);
  PartiesReply PutMemberField(const std::string& actor, const std::vector<std::string>& segments,
                              const std::string& body);
  PartiesReply PutRole(const std::string& actor, const std::vector<std::string>& segments,
                       const std::string& body);
  PartiesReply PostPartyAction(const std::string& actor, const std::vector<std::string>& segments,
                               const std::string& body);
  PartiesReply JoinClash(const std::string& actor, const std::vector<std::string>& segments,
                         const std::string& body);
  PartiesReply GetHealth(const std::string& actor, const std::vector<std::string>& segments,
                         const std::string& body);
  PartiesReply GetToken(const std::string& actor, const std::vector<std::string>& segments,
                        const std::string& body);

  // The party `partyId` and `actor`'s entry as its leader or member; an error reply (404
  // "PARTY_NOT_FOUND", 403 "NOT_AUTHORIZED") when either is missing.
  struct Membership {
    PartiesParty* party = nullptr;
    PartiesMember* self = nullptr;
    std::optional<PartiesReply> error;
  };
  Membership MemberOf(const std::string& partyId, const std::string& actor);

  PartiesPlayer* Player(const std::string& puuid);
  PartiesParty* Party(const std::string& partyId);
  // The reply with `puuid`'s player as payload.
  PartiesReply PlayerReply(const std::string& puuid) const;
  // Raises the version of the party and of every player that has an entry in it.
  void Touch(PartiesParty& party);
  // A new party with `player` as its leader, made its current party.
  void GiveOwnParty(PartiesPlayer& player);
  // Takes `puuid`'s entry out of `party` (deleting a party without members, promoting a member
  // when the leader left), touching what changed.
  void RemoveEntry(PartiesParty& party, const std::string& puuid);
  // `player` leaves its current party (if any) without a new one.
  void LeaveCurrent(PartiesPlayer& player);
  void PushEnvelope(const std::string& envelopeJson);
  // PushEnvelope of an envelope whose one member `key` is `json`; false when that is no object.
  bool PushEnvelopeMember(const char* key, const std::string& json);
  // The plugin's player's version (0 without one), and a push when it moved from `before`.
  [[nodiscard]] uint64_t LocalVersion() const;
  void PushIfChanged(uint64_t before);

  PluginHost& host_;
  ServiceProxyService& proxy_;
  std::map<std::string, PartiesPlayer> players_;
  std::map<std::string, PartiesParty> parties_;
  std::vector<PartiesScript> scripts_;
  std::vector<PartiesRecord> records_;
  std::size_t droppedRecords_ = 0;
  std::string local_;
  std::string health_ = "OK";
  std::string commsToken_;
  PartiesPush push_ = PartiesPush::None;
  uint64_t nextParty_ = 1;
  // The creation time of each deleted player: one registered again is created later, as a
  // service whose clock moves would create it, so that its states order after the old ones.
  std::map<std::string, uint64_t> deletedCreatedAt_;
};

// The JSON text of a reply envelope.
[[nodiscard]] std::string EnvelopeJson(const PartiesReply& reply);

}  // namespace Zarn::Host
