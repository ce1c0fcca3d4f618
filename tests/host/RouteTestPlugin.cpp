// A plugin built from the SDK for the end-to-end tests of routing (never shipped): routes whose
// arguments come from every source, answering with what they were given. It exports
// load_jyx_lobby like the lobby plugin, so that the stand-in host loads it the same way.
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/platform/HostClocks.h"
#include "sdk/platform/SteadyClock.h"
#include "sdk/platform/WallClock.h"
#include "sdk/runtime/Plugin.h"
#include "sdk/runtime/PluginLoader.h"
#include "sdk/runtime/ServiceProxy.h"
#include "sdk/runtime/TypedEvents.h"
#include "tests/sdk/api/StandInTypes.h"

namespace Zarn::Testing {
namespace {

// A body the host reads through the reply's entries: Read copies into the host's buffer (first
// word: address, second: capacity, third: offset) and answers how many bytes it wrote.
class TextStream final : public ResponseBodyStream {
 public:
  explicit TextStream(std::string text) : text_(std::move(text)) {}

  std::uint32_t Read(std::uintptr_t buffer, std::uintptr_t capacity,
                     std::uintptr_t offset) override {
    if (offset >= text_.size()) return 0;
    const std::size_t count = std::min<std::size_t>(capacity, text_.size() - offset);
    std::memcpy(reinterpret_cast<char*>(buffer), text_.data() + offset, count);
    return static_cast<std::uint32_t>(count);
  }
  std::uint32_t GetSize() override { return static_cast<std::uint32_t>(text_.size()); }

 private:
  std::string text_;
};

class RouteTestPlugin final : public Client::Plugin {
 public:
  void OnRegisterApi() override {
    RegisterStandInTypes(GetRegistry());
    BindGet("/test/v1/echo/{+rest}",
            std::function<std::string(std::string, std::optional<std::string>)>(
                [](const std::string& rest, const std::optional<std::string>& q) {
                  return rest + "|" + q.value_or("-");
                }))
        .AddPathArgument("rest", "", nullptr)
        .AddQueryArgument("q", "", nullptr);
    BindPost("/test/v1/parties/{id}", this, &RouteTestPlugin::ChangeParty)
        .AddPathArgument("id", "", nullptr)
        .AddBodyArgument("party", "", nullptr);
    // Declared without sources: headers, the query and named values all reach them.
    BindGet("/test/v1/open",
            std::function<std::string(std::string, std::int32_t)>(
                [](const std::string& token, std::int32_t n) { return Format("%1|%2", token, n); }))
        .AddArgument("token", "", nullptr, nullptr)
        .AddArgument("n", "", nullptr, nullptr);
    // With ?json=true the stream holds a JSON document instead of plain text.
    BindGet(
        "/test/v1/stream",
        std::function<BindingHttpResult(std::optional<bool>)>([](const std::optional<bool>& json) {
          HttpResponse response(200);
          response.status.statusText = "OK";
          response.status.headers["Content-Type"] = "text/plain";
          response.bodyStream = std::make_unique<TextStream>(
              json.value_or(false) ? R"({"streamed":[1,2,3]})" : std::string(3000, 's') + "end");
          return BindingHttpResult(std::move(response));
        }))
        .AddQueryArgument("json", "", nullptr);
    BindDelete("/test/v1/party", this, &RouteTestPlugin::Leave);
    BindPut("/test/v1/flag", this, &RouteTestPlugin::SetFlag).AddBodyArgument("on", "", nullptr);
    BindGet("/test/v1/flag", std::function<bool()>([this] { return flag_; }));
    // Any value, in any body form, back as it came.
    BindPost("/test/v1/value", this, &RouteTestPlugin::Echo).AddBodyArgument("value", "", nullptr);
    // A countdown on the plugin's own clocks, checked by a timer every second; expiry publishes
    // an update of "/test/v1/countdown".
    BindPost("/test/v1/countdown", this, &RouteTestPlugin::StartCountdown)
        .AddBodyArgument("seconds", "", nullptr);
    BindGet("/test/v1/countdown", std::function<std::string()>([this] { return Clocks(); }));
    // A request to a remote service through the service proxy, awaited: the reply's payload.
    BindGet("/test/v1/proxy/{service}/{method}",
            std::function<HttpResult<BindingProperty>(std::string, std::string)>(
                [this](const std::string& service, const std::string& method) {
                  return AskService(service, method);
                }))
        .AddPathArgument("service", "", nullptr)
        .AddPathArgument("method", "", nullptr);
  }

 private:
  HttpResult<Party> ChangeParty(const std::string& id, Party party) {
    if (id == "locked") return HttpResult<Party>(MakeErrorResponse(423, "PARTY_LOCKED"));
    party.id = id;
    party.version += 1;
    return HttpResult<Party>(std::move(party));
  }
  HttpResponse Leave() { return HttpResponse(204); }
  void SetFlag(bool on) { flag_ = on; }
  BindingProperty Echo(BindingProperty value) { return value; }

  static int64_t SteadyMillis() { return Platform::SteadyClockNow() / 1000000; }

  // The milliseconds left (0 once expired) and both clocks' readings in milliseconds.
  std::string Clocks() const {
    const int64_t left = deadlineMillis_ > SteadyMillis() ? deadlineMillis_ - SteadyMillis() : 0;
    return Format("remainingMs=%1 steadyMs=%2 wallMs=%3", left, SteadyMillis(),
                  Platform::WallClockNow() / 1000000);
  }

  HttpResult<std::string> StartCountdown(double seconds) {
    if (!(seconds >= 0 && seconds <= 86400)) {
      return HttpResult<std::string>(MakeErrorResponse(400, "seconds must be 0 to 86400"));
    }
    deadlineMillis_ = SteadyMillis() + static_cast<int64_t>(seconds * 1000);
    SetTimer("Countdown", 1.0, [this] {
      if (SteadyMillis() < deadlineMillis_) return;
      CancelTimer("Countdown");
      SendJsonApiEvent(static_cast<uint32_t>(PluginResourceEventType::Update), "/test/v1/countdown",
                       "expired: " + Clocks());
    });
    return HttpResult<std::string>(Clocks());
  }

  HttpResult<BindingProperty> AskService(const std::string& service, const std::string& method) {
    auto reply = Client::ServiceProxy::InvokeAndAwait<Client::ServiceProxyRawResponse>(
        *this, service, method, std::string("ask"));
    if (reply.IsFailure()) {
      return HttpResult<BindingProperty>(MakeErrorResponse(502, reply.Message()));
    }
    return HttpResult<BindingProperty>(std::move(reply.Value().payload));
  }

  bool flag_ = false;
  int64_t deadlineMillis_ = 0;  // on the steady clock
};

}  // namespace
}  // namespace Zarn::Testing

extern "C" __attribute__((visibility("default"))) void load_jyx_lobby(
    Zarn::PluginLoadResult* record) {
  if (record == nullptr) return;
  Zarn::Platform::AdoptHostClocks();
  try {
    auto plugin = std::make_unique<Zarn::Testing::RouteTestPlugin>();
    if (Zarn::Client::LoadPlugin(plugin.get(), record, "jyx-route-test")) {
      static_cast<void>(plugin.release());  // the host owns it until the shutdown entry
    }
  } catch (const std::exception& e) {
    Zarn::LogPrintf(Zarn::kLogLevelError, 1, 0, "route test plugin failed to load: %s", e.what());
  } catch (...) {
    Zarn::LogPrintf(Zarn::kLogLevelError, 1, 0, "route test plugin failed to load");
  }
}
