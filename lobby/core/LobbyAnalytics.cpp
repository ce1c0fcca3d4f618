#include "lobby/core/LobbyAnalytics.h"

#include <string>

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

void LobbyAnalytics::SendEvent(const std::string& /*name*/, const BindingProperty& /*value*/) {
  ZARN_NOT_BUILT("LobbyAnalytics::SendEvent", void);
}

void LobbyAnalytics::SendFriendAvailabilityAnalytics(const AnalyticsEventFields& /*fields*/) {
  ZARN_NOT_BUILT("LobbyAnalytics::SendFriendAvailabilityAnalytics", void);
}

void LobbyAnalytics::SendPremadeRelationshipAnalytics(const AnalyticsEventFields& /*fields*/) {
  ZARN_NOT_BUILT("LobbyAnalytics::SendPremadeRelationshipAnalytics", void);
}

void LobbyAnalytics::SendPartiesInvitationsAnalytics(const AnalyticsEventFields& /*fields*/) {
  ZARN_NOT_BUILT("LobbyAnalytics::SendPartiesInvitationsAnalytics", void);
}

void LobbyAnalytics::SendInviteAnalytics(std::uint64_t /*toSummonerId*/,
                                         const AnalyticsEventFields& /*fields*/) {
  ZARN_NOT_BUILT("LobbyAnalytics::SendInviteAnalytics", void);
}

void LobbyAnalytics::SendJoinOpenPartyAnalytics(const AnalyticsEventFields& /*fields*/) {
  ZARN_NOT_BUILT("LobbyAnalytics::SendJoinOpenPartyAnalytics", void);
}

void LobbyAnalytics::StartOpenPartyAnalytics(std::string /*startTransition*/) {
  ZARN_NOT_BUILT("LobbyAnalytics::StartOpenPartyAnalytics", void);
}

void LobbyAnalytics::SendOpenPartyToggleAnalytics(std::string /*endTransition*/,
                                                  const AnalyticsEventFields& /*fields*/) {
  ZARN_NOT_BUILT("LobbyAnalytics::SendOpenPartyToggleAnalytics", void);
}

}  // namespace Zarn::Client::Lobby
