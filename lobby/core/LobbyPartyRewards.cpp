#include "lobby/core/LobbyPartyRewards.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "lobby/core/GameMetaData.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/model/LegacyDataRecords.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/ServiceProxy.h"

namespace Zarn::Client::Lobby {

Api::LobbyPartyRewards ParsePartyRewardsConfig(const BindingProperty& value) {
  Api::LobbyPartyRewards config;
  config.isEnabled = true;
  config.queueId = GameMetaDataQueueId(value);
  config.isCustom = false;
  const BindingProperty& sizes = value.FindMember("partyRewardsByPremadeSize");
  if (!sizes.IsCollection()) return config;
  for (std::size_t i = 0; i < sizes.Size(); ++i) {
    const BindingProperty& size = sizes.At(i);
    if (!size.IsStructure()) continue;
    const BindingProperty& rewards = size.FindMember("partyRewards");
    if (!rewards.IsCollection()) continue;
    Api::PartyReward entry;
    entry.premadeSize = static_cast<std::int32_t>(i + 1);
    entry.type = Api::LobbyPartyRewardType::None;
    for (std::size_t j = 0; j < rewards.Size(); ++j) {
      const BindingProperty& reward = rewards.At(j);
      const std::string_view type = reward.FindMember("type").GetString();
      if (type == "Icon") continue;
      if (type == "Ip") entry.type = Api::LobbyPartyRewardType::Ip;
      entry.value = reward.FindMember("value").ToString();
    }
    config.partyRewards.push_back(std::move(entry));
  }
  return config;
}

void LobbyPlugin::RefreshPartyRewards() {
  if (partyRewardsLoaded_) return;
  MaybeType<Failure, std::vector<BindingProperty>> fetched =
      ServiceProxy::InvokeAndAwait<std::vector<BindingProperty>>(
          *this, "partyRewards", "retrievePartyRewardsConfig", BindingProperty());
  // A failure leaves the table not loaded, so that the next update asks again.
  if (fetched.IsFailure()) return;
  partyRewardsConfig_.clear();
  for (const BindingProperty& value : fetched.Value()) {
    Api::LobbyPartyRewards config = ParsePartyRewardsConfig(value);
    const std::int32_t queueId = config.queueId;
    // The first entry of a queue stays.
    partyRewardsConfig_.emplace(queueId, std::move(config));
  }
  partyRewardsLoaded_ = true;
}

void LobbyPlugin::OnDynamicClientConfig(
    const LCDS::LobbyClientDynamicConfigurationNotification& message) {
  const BindingRegistry* registry = Registry();
  if (registry == nullptr) return;
  BindingResult parsed = ParseJson(message.configs);
  if (!parsed.IsOk()) return;
  Api::LcdsDynamicClientConfig config;
  if (!ReadRequiredValue(config, parsed.Value(), *registry)) return;
  partyRewardsEnabled_ = config.PartyRewards.Enabled;
  partyRewardsLoaded_ = false;
}

}  // namespace Zarn::Client::Lobby
