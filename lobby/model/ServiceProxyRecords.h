// The two records of the host's service proxy: a proxied request and the envelope of its reply.
#pragma once

#include <cstdint>
#include <string>

#include "lobby/model/LobbyTypeContext.h"
#include "sdk/binding/BindingProperty.h"

namespace Zarn::Client::Lobby {

// A request sent through the service proxy.
struct ServiceProxyPayload {
  std::string method;  // HTTP method of the proxied request
  std::string url;     // its path
  std::string body;    // its body as text
};

// A service's reply or error as the service proxy returns it.
struct AmbassadorMessage {
  std::int32_t httpStatus = 0;
  std::string errorCode;
  std::string message;
  std::string implementationDetails;
  BindingProperty payload;  // the reply's value, kept as it is
};

}  // namespace Zarn::Client::Lobby

ZARN_LOBBY_RECORD(ServiceProxyPayload);
ZARN_LOBBY_RECORD(AmbassadorMessage);
