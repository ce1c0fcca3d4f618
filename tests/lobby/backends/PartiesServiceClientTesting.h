// Test access to a parties client's sampling percentage and sampling draw.
#pragma once

#include "lobby/backends/PartiesServiceClient.h"

namespace Zarn::Client::Lobby {

class PartiesServiceClientTesting {
 public:
  [[nodiscard]] static WatchedConfigValue<double>& SamplingPercentage(
      PartiesServiceClient& client) {
    return client.samplingPercentage_;
  }
  // Never to be left empty.
  [[nodiscard]] static PartiesServiceClient::RandomSource& Draw(PartiesServiceClient& client) {
    return client.draw_;
  }
};

}  // namespace Zarn::Client::Lobby
