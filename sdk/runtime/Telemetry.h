// The telemetry client: analytics events posted to the host core's telemetry service.
#pragma once

#include <future>
#include <string>
#include <unordered_map>

#include "sdk/base/MaybeType.h"

namespace Zarn::Client {

class AppModule;

class TelemetryInterface {
 public:
  virtual ~TelemetryInterface() = default;
  // Posts one event; the future is ready when this returns.
  virtual std::future<MaybeType<Failure, void>> SendEvent(
      const std::string& name, const std::unordered_map<std::string, std::string>& data) = 0;
};

// Sends through the module that owns it.
class Telemetry final : public TelemetryInterface {
 public:
  // `module` must outlive the client (the module owns it).
  explicit Telemetry(AppModule* module) : module_(module) {}

  // POST "/telemetry/v1/events/<name>" with `data` as one positional structure argument.
  std::future<MaybeType<Failure, void>> SendEvent(
      const std::string& name, const std::unordered_map<std::string, std::string>& data) override;

 private:
  AppModule* module_;
};

}  // namespace Zarn::Client
