#include "sdk/runtime/Telemetry.h"

#include "sdk/runtime/Requests.h"

namespace Zarn::Client {

std::future<MaybeType<Failure, void>> Telemetry::SendEvent(
    const std::string& name, const std::unordered_map<std::string, std::string>& data) {
  static constexpr char kPrefix[] = "/telemetry/v1/events/";
  std::string url;
  url.reserve(name.size() + sizeof(kPrefix) - 1);
  url.append(kPrefix).append(name);
  // The request completes here; the future only carries its result.
  std::promise<MaybeType<Failure, void>> promise;
  promise.set_value(module_->Request<void>(HttpMethod::Post, url, data));
  return promise.get_future();
}

}  // namespace Zarn::Client
