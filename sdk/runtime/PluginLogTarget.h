// The log target that hands each line to the host.
#pragma once

#include "sdk/base/LogTarget.h"
#include "sdk/runtime/PluginBoundary.h"

namespace Zarn::Client {

// Forwards each line's level and printf-formatted message to host slot 9. The line format
// configured on the target is not applied: the host formats lines itself.
class PluginLogTarget final : public LogTarget {
 public:
  // `api` must stay valid while the target is attached.
  explicit PluginLogTarget(PluginHostApi* api) noexcept;
  ~PluginLogTarget() override;

  [[nodiscard]] const char* GetName() const noexcept override;
  bool Write(const LogRecord& record) noexcept override;

 private:
  PluginHostApi* api_;
};

}  // namespace Zarn::Client
