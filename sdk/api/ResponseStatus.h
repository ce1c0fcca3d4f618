// The status part of every HTTP-like reply.
#pragma once

#include <cstdint>
#include <string>

#include "sdk/api/TextMap.h"

namespace Zarn {

// Header name to header value.
using ResponseHeaders = TextMap;

struct ResponseStatus {
  std::int32_t status = 0;  // 0: no status set, the host chooses
  std::string statusText;
  ResponseHeaders headers;
};

}  // namespace Zarn
