#include "lobby/core/PartyRewards.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "lobby/core/GameMetaData.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/model/LegacyDataRecords.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/ServiceProxy.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kPartyRewardsPath[] = "/jyx-lobby/v1/party-rewards";

}  // namespace

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

void PartyRewards::UpdatePartyRewards() {
  Api::LobbyPartyRewards record;
  record.isEnabled = enabled_;
  record.queueId = -1;
  if (enabled_) {
    if (lobby_.isCustom) {
      record.isCustom = true;
    } else {
      RefreshPartyRewards();
      // Read after the fetch, which may have waited.
      const std::int32_t queueId = lobby_.queueId;
      auto found = config_.find(queueId);
      if (found == config_.end()) found = config_.find(-1);
      if (found != config_.end()) {
        record = found->second;
        record.queueId = queueId;
      }
      if (record.isEnabled && record.queueId != -1 && !record.partyRewards.empty()) {
        current_ = record;
        runtime_.SendJsonApiEvent(kResourceUpdate, kPartyRewardsPath, current_);
        return;
      }
    }
  }
  record.isEnabled = false;
  current_ = std::move(record);
  runtime_.SendJsonApiEvent(kResourceUpdate, kPartyRewardsPath, current_);
}

void PartyRewards::RefreshPartyRewards() {
  if (loaded_) return;
  MaybeType<Failure, std::vector<BindingProperty>> fetched =
      ServiceProxy::InvokeAndAwait<std::vector<BindingProperty>>(
          runtime_, "partyRewards", "retrievePartyRewardsConfig", BindingProperty());
  // A failure leaves the table not loaded, so that the next update asks again.
  if (fetched.IsFailure()) return;
  config_.clear();
  for (const BindingProperty& value : fetched.Value()) {
    Api::LobbyPartyRewards config = ParsePartyRewardsConfig(value);
    const std::int32_t queueId = config.queueId;
    config_.emplace(queueId, std::move(config));
  }
  loaded_ = true;
}

void PartyRewards::OnDynamicClientConfig(
    const LCDS::LobbyClientDynamicConfigurationNotification& message) {
  const BindingRegistry* registry = runtime_.Registry();
  if (registry == nullptr) return;
  BindingResult parsed = ParseJson(message.configs);
  if (!parsed.IsOk()) return;
  Api::LcdsDynamicClientConfig config;
  if (!ReadRequiredValue(config, parsed.Value(), *registry)) return;
  enabled_ = config.PartyRewards.Enabled;
  loaded_ = false;
}

}  // namespace Zarn::Client::Lobby
