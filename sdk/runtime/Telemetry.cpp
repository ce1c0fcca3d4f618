#include "sdk/runtime/Telemetry.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client {

std::future<MaybeType<Failure, void>> Telemetry::SendEvent(
    const std::string& /*name*/, const std::unordered_map<std::string, std::string>& /*data*/) {
  static_cast<void>(module_);
  ZARN_NOT_BUILT("Telemetry::SendEvent", std::future<MaybeType<Failure, void>>);
}

}  // namespace Zarn::Client
