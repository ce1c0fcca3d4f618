#include "sdk/runtime/PluginLogTarget.h"

namespace Zarn::Client {

PluginLogTarget::PluginLogTarget(PluginHostApi* api) noexcept : api_(api) { RouteInterfaceWrite(); }

// Detached before this part is gone, so that no writer reaches it half destroyed.
PluginLogTarget::~PluginLogTarget() { Detach(); }

const char* PluginLogTarget::GetName() const noexcept { return "PluginLogTarget"; }

bool PluginLogTarget::Write(const LogRecord& record) noexcept {
  if (api_ != nullptr && api_->writeLog != nullptr) {
    api_->writeLog(api_, static_cast<uint32_t>(record.level),
                   record.message != nullptr ? record.message : "");
  }
  return true;
}

}  // namespace Zarn::Client
