#include "sdk/base/NotBuilt.h"

#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Detail {

void ReportNotBuilt(const char* operation) noexcept {
  LogPrintf(kLogLevelError, 0, 0, "Not built: %s", operation);
}

}  // namespace Zarn::Detail
