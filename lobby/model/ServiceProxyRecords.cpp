#include "lobby/model/ServiceProxyRecords.h"

#include "lobby/model/RecordRegistration.h"

namespace Zarn::Client::Lobby {

void RegisterType(LobbyTypeContext& context, TypeTag<ServiceProxyPayload>) {
  using R = ServiceProxyPayload;
  RegisterRecord<R>(context, "ServiceProxyPayload", Field("method", &R::method),
                    Field("url", &R::url), Field("body", &R::body));
}

void RegisterType(LobbyTypeContext& context, TypeTag<AmbassadorMessage>) {
  using R = AmbassadorMessage;
  RegisterRecord<R>(context, "AmbassadorMessage", Field("httpStatus", &R::httpStatus),
                    Field("errorCode", &R::errorCode), Field("message", &R::message),
                    Field("implementationDetails", &R::implementationDetails),
                    Field("payload", &R::payload));
}

}  // namespace Zarn::Client::Lobby
