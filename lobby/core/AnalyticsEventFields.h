// The fields every parties telemetry record copies from the party it describes.
#pragma once

#include <cstdint>
#include <string>

#include "sdk/binding/BindingProperty.h"

namespace Zarn::Client::Lobby {

struct AnalyticsEventFields {
  std::string eventType;
  // A structure of "partyId", "partyType" and "queueId".
  BindingProperty eventData;
  std::uint64_t eventTimestamp = 0;
};

}  // namespace Zarn::Client::Lobby
