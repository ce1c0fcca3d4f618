// What the plugin subscribes to at start: legacy messages, sibling resources, configuration keys,
// the host's pre-shutdown notice and the parties service's own messages.
#include <functional>

#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "lobby/core/PartiesBackend.h"
#include "lobby/model/LegacyClassNames.h"
#include "sdk/runtime/ResourceObservation.h"
#include "sdk/runtime/ServiceProxy.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

// Handles the legacy messages of `className` with `member` of the plugin.
template <typename Message>
void SubscribeLcds(LobbyPlugin& plugin, const char* className,
                   void (LobbyPlugin::*member)(const Message&)) {
  LobbyPlugin* target = &plugin;
  plugin.SubscribeLcdsEvent<Message>(
      className, [target, member](const Message& message) { (target->*member)(message); });
}

// Observes `path` with `member` of the plugin as handler.
template <typename T>
void Observe(LobbyPlugin& plugin, const char* path,
             void (LobbyPlugin::*member)(const ResourceUpdate<T>&)) {
  LobbyPlugin* target = &plugin;
  plugin.ObserveResource<T>(
      path, [target, member](const ResourceUpdate<T>& update) { (target->*member)(update); });
}

}  // namespace

void LobbyPlugin::SubscribeEvents() {
  SubscribeLcdsEvent<LCDS::LobbyClientDynamicConfigurationNotification>(
      kDynamicConfigurationClass,
      [this](const LCDS::LobbyClientDynamicConfigurationNotification& message) {
        partyRewards_.OnDynamicClientConfig(message);
      });
  SubscribeLcds(*this, kLobbyStatusClass, &LobbyPlugin::OnLobbyStatus);
  SubscribeLcds(*this, kInvitationRequestClass, &LobbyPlugin::OnReceivedInvitation);
  SubscribeLcds(*this, kRemovedFromLobbyClass, &LobbyPlugin::OnRemovedFromLobbyNotification);
  SubscribeLcds(*this, kInvitePrivilegesClass, &LobbyPlugin::OnInvitePrivilegesNotification);
  SubscribeLcds(*this, kGameDtoClass, &LobbyPlugin::OnPracticeGameUpdate);
  SubscribeLcds(*this, kGameNotificationClass, &LobbyPlugin::OnPlayerBannedFromGame);

  Observe(*this, "/jyx-game-queues/v1/custom", &LobbyPlugin::OnCustomQueueAvailability);
  // Replaces the parties backend's own observation of the session: the plugin hands each
  // session on to it.
  Observe(*this, "/jyx-login/v1/session", &LobbyPlugin::OnLoginSession);
  Observe(*this, "/jyx-gameflow/v1/availability", &LobbyPlugin::OnGameflowAvailability);
  Observe(*this, "/jyx-gameflow/v1/session", &LobbyPlugin::HandleGameflowSession);
  Observe(*this, "/jyx-platform-config/v1/namespaces/WqxLobby/AutoGrantInviteEnabled",
          &LobbyPlugin::OnAutoGrantInviteEnabled);
  ObserveResource<BindingProperty>(
      "/jyx-platform-config/v1/namespaces/ClientSystemStates/spectatorSlotLimit",
      [this](const ResourceUpdate<BindingProperty>& event) {
        customGames_.OnSpectatorSlotLimit(event);
      });
  Observe(*this, "/zarnclient/pre-shutdown/begin", &LobbyPlugin::OnPreShutdownBegin);

  // The backend is looked up per message: shutdown deletes it.
  SubscribeServiceProxyAsync<Api::PlayerDto>("parties", "player",
                                             [this](const Api::PlayerDto& player) {
                                               PartiesBackend* parties = GetPartiesBackend();
                                               if (parties != nullptr) {
                                                 parties->OnClientProxyMessage(player);
                                               }
                                             });

  // The view model's listeners run as a batch, so that a change arriving inside another batch
  // waits for that batch to close.
  const std::function<void()> rebuild = [this] { LobbyUpdateBatch batch(*this); };
  config_.Watch(*this,
                {.matchmakingSearch = [this] { OnMatchmakingSearchChanged(); },
                 .autofill = rebuild,
                 .blockedPlayers = [this] { receivedInvitations_.PublishReceivedInvitations(); },
                 .queues = [this] { OnQueuesChanged(); },
                 .currentSummoner = rebuild});
}

void LobbyPlugin::SubscribeChat(LobbyAnalytics& analytics) {
  analytics.Attach(*this, *this);
  analytics.WatchFriends(*this, "/jyx-chat/v1/friends", "/jyx-chat/v1/friend-counts");
}

void LobbyPlugin::OnPreShutdownBegin(const ResourceUpdate<BindingProperty>& event) {
  if (event.eventType != PluginResourceEventType::Update) return;
  if (backends_.Parties() != nullptr) backends_.Parties()->DeregisterPlayer();
}

}  // namespace Zarn::Client::Lobby
