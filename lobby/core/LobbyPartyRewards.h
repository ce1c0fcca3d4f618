// Party rewards: what a queue grants to premade groups, by the group's size.
#pragma once

#include "lobby/model/LobbyRecords.h"
#include "sdk/binding/BindingProperty.h"

namespace Zarn::Client::Lobby {

// One queue's entry of the rewards configuration. "queueId" missing or not a 32-bit integer
// gives -1. Each element of "partyRewardsByPremadeSize" stands for the size of its position + 1,
// whether or not it gives an entry: a structure whose "partyRewards" is a list gives one, the
// value of its last reward that is not an "Icon", typed Ip once an "Ip" reward was seen.
[[nodiscard]] Api::LobbyPartyRewards ParsePartyRewardsConfig(const BindingProperty& value);

}  // namespace Zarn::Client::Lobby
