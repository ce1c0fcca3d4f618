// Party rewards: what a queue grants to premade groups, by the group's size. The configuration is
// fetched once through the service proxy and kept per queue; the legacy platform's dynamic client
// configuration switches the feature on or off. The rewards of the v1 lobby's queue are published
// at "/jyx-lobby/v1/party-rewards".
#pragma once

#include <cstdint>
#include <unordered_map>

#include "lobby/model/LcdsRecords.h"
#include "lobby/model/LobbyRecords.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/runtime/AppModule.h"

namespace Zarn::Client::Lobby {

// One queue's entry of the rewards configuration. "queueId" missing or not a 32-bit integer
// gives -1. Each element of "partyRewardsByPremadeSize" stands for the size of its position + 1,
// whether or not it gives an entry: a structure whose "partyRewards" is a list gives one, the
// value of its last reward that is not an "Icon", typed Ip once an "Ip" reward was seen.
[[nodiscard]] Api::LobbyPartyRewards ParsePartyRewardsConfig(const BindingProperty& value);

class PartyRewards {
 public:
  // Fetches and publishes through `runtime`; `lobby` is the v1 lobby whose queue the rewards
  // are for, read at each update. Both must outlive this object.
  PartyRewards(AppModule& runtime, const Api::Lobby& lobby) : runtime_(runtime), lobby_(lobby) {}
  PartyRewards(const PartyRewards&) = delete;
  PartyRewards& operator=(const PartyRewards&) = delete;

  // Recomputes the record for the lobby's queue (the queue's entry, else the entry of queue -1;
  // switched off for a custom lobby, a missing entry or one without rewards) and publishes it.
  void UpdatePartyRewards();
  // Fetches the configuration unless it is loaded; a failure leaves it not loaded.
  void RefreshPartyRewards();
  // Sets the switch from a legacy message whose "configs" text reads as the dynamic client
  // configuration, and has the next refresh fetch again; any other message changes nothing.
  void OnDynamicClientConfig(const LCDS::LobbyClientDynamicConfigurationNotification& message);
  // The record last published.
  [[nodiscard]] const Api::LobbyPartyRewards& Current() const { return current_; }

 private:
  AppModule& runtime_;
  const Api::Lobby& lobby_;
  bool enabled_ = false;
  bool loaded_ = false;
  // By queue id; the first entry of a queue stays.
  std::unordered_map<std::int32_t, Api::LobbyPartyRewards> config_;
  Api::LobbyPartyRewards current_;
};

}  // namespace Zarn::Client::Lobby
