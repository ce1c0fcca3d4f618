#include "lobby/model/LegacyDataRecords.h"

#include "lobby/model/RecordRegistration.h"

namespace Zarn::Client::Lobby {

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LcdsGameMetaData>) {
  using R = Api::LcdsGameMetaData;
  RegisterRecord<R>(context, "LcdsGameMetaData", Field("gameId", &R::gameId),
                    Field("mapId", &R::mapId));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LcdsPartyRewardsConfig>) {
  using R = Api::LcdsPartyRewardsConfig;
  RegisterRecord<R>(context, "LcdsPartyRewardsConfig", Field("Enabled", &R::Enabled));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LcdsDynamicClientConfig>) {
  using R = Api::LcdsDynamicClientConfig;
  RegisterRecord<R>(context, "LcdsDynamicClientConfig", Field("PartyRewards", &R::PartyRewards));
}

}  // namespace Zarn::Client::Lobby
