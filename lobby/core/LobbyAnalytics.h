// The parties feature's telemetry: friend availability, premade relationships, invitations,
// joins of open parties and sessions of the open-party toggle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lobby/core/AnalyticsEventFields.h"
#include "lobby/core/WatchedConfigValue.h"
#include "lobby/model/AnalyticsRecords.h"
#include "lobby/model/PartiesRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/runtime/AppModule.h"

namespace Zarn::Client::Lobby {

class LobbyBackend;
class PartiesBackend;

// What the analytics read of the plugin; each record null while it is missing.
class AnalyticsSource {
 public:
  [[nodiscard]] virtual bool IsInLobby() const = 0;
  [[nodiscard]] virtual LobbyBackend* ActiveBackend() const = 0;
  [[nodiscard]] virtual PartiesBackend* GetPartiesBackend() const = 0;
  [[nodiscard]] virtual const std::string* CurrentPlatformId() const = 0;
  [[nodiscard]] virtual const Api::Summoner* CurrentSummoner() const = 0;
  [[nodiscard]] virtual std::size_t LegacyReceivedInvitationCount() const = 0;

 protected:
  ~AnalyticsSource() = default;
};

// Analytics never fail an operation: a missing input logs one line and sends nothing; a record
// that does not convert sends nothing and logs nothing; the telemetry client's result is dropped.
class LobbyAnalytics {
 public:
  LobbyAnalytics() = default;
  LobbyAnalytics(const LobbyAnalytics&) = delete;
  LobbyAnalytics& operator=(const LobbyAnalytics&) = delete;

  // Posts `value`'s members, each as its compact JSON text, as the telemetry event `name`.
  void SendEvent(const std::string& name, const BindingProperty& value);

  // The senders, each of its own event. `fields` come from the parties backend's current party.
  void SendFriendAvailabilityAnalytics(const AnalyticsEventFields& fields);
  void SendPremadeRelationshipAnalytics(const AnalyticsEventFields& fields);
  void SendPartiesInvitationsAnalytics(const AnalyticsEventFields& fields);
  // One call per invited summoner.
  void SendInviteAnalytics(std::uint64_t toSummonerId, const AnalyticsEventFields& fields);
  void SendJoinOpenPartyAnalytics(const AnalyticsEventFields& fields);

  // Starts a new toggle session of the current party, replacing any under way.
  void StartOpenPartyAnalytics(std::string startTransition);
  // Ends the session under way, if any, and sends it; the session stays, so that a later end
  // sends again measured from the same start.
  void SendOpenPartyToggleAnalytics(std::string endTransition, const AnalyticsEventFields& fields);
  // The runtime's registry; null until attached.
  [[nodiscard]] const BindingRegistry* Registry() const {
    return runtime_ == nullptr ? nullptr : runtime_->Registry();
  }
  // Whether a toggle session was started.
  [[nodiscard]] bool HasToggleSession() const { return !toggleStartTransition_.empty(); }
  // Counts a party type change in the toggle session; the parties backend counts every one it
  // sends, whatever the result.
  void CountPartyTypeChange() { ++toggleSession_.numOfToggles; }

  // Points the analytics at the runtime they send through and the plugin they read; both must
  // outlive them. Until then every sender sends nothing.
  void Attach(AppModule& runtime, AnalyticsSource& source) {
    runtime_ = &runtime;
    source_ = &source;
  }
  // The chat subscriptions made at start: observes the friends at `friendsPath` and then their
  // counts at `countsPath` through `module` (not owned; it must outlive the observations).
  void WatchFriends(AppModule& module, const std::string& friendsPath,
                    const std::string& countsPath) {
    friends_.WatchThrough(module, friendsPath, nullptr);
    friendCounts_.WatchThrough(module, countsPath, nullptr);
  }
  // The plugin's shutdown step: stops observing both.
  void DropFriends() {
    friends_.Drop();
    friendCounts_.Drop();
  }

 private:
  // Reads and sets the state below.
  friend class LobbyAnalyticsTesting;

  // Not owned; null until Attach.
  AppModule* runtime_ = nullptr;
  AnalyticsSource* source_ = nullptr;
  WatchedConfigValue<std::vector<Api::ChatFriend>> friends_;
  WatchedConfigValue<Api::ChatFriendCounts> friendCounts_;
  // The toggle session under way.
  Api::OpenPartyToggleAnalytics toggleSession_;
  // The session's start transition; empty until a session is started.
  std::string toggleStartTransition_;
  // The plugin's records read here, each null when missing; the analytics must be attached.
  [[nodiscard]] const std::string* PlatformId() const;
  [[nodiscard]] const Api::Summoner* Summoner() const;
  // The parties backend's player and its current party.
  [[nodiscard]] const Api::PlayerDto* Player() const;
  [[nodiscard]] const Api::PartyDto* Party() const;
  [[nodiscard]] std::size_t LegacyReceivedInvitationCount() const;
  // The active backend while in a lobby; else null, logged as `sender`'s.
  [[nodiscard]] LobbyBackend* InLobbyBackend(const char* sender) const;
};

}  // namespace Zarn::Client::Lobby
