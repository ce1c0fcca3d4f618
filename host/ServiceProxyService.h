// The stand-in host's service proxy: the login plugin's resources that start requests to remote
// services ("/jyx-login/v1/service-proxy-uuid-requests", one fresh uuid per request) and that
// register for a service's own messages ("/jyx-login/v1/service-proxy-async-requests/%1/%2"),
// and the reply, method and asynchronous events it delivers.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/PluginHost.h"

namespace Zarn::Host {

inline constexpr char kProxyUuidRequestsPath[] = "/jyx-login/v1/service-proxy-uuid-requests";
inline constexpr char kProxyAsyncRequestsPrefix[] = "/jyx-login/v1/service-proxy-async-requests/";

// A reply or message as the service proxy delivers it.
struct ProxyMessage {
  std::string payload;  // JSON text as the service sent it; not checked
  std::string status = "200";
  std::string error;
};

// How the proxy answers the requests of one service and method.
struct ProxyScript {
  enum class Timing {
    DuringPost,  // delivered while the starting POST is still running
    OnYield,     // delivered on the `yield`-th yield after the POST
    Never,       // left to ReplyTo
  };
  ProxyMessage reply;
  // When set, makes the reply's payload when the reply is delivered, in place of reply.payload.
  std::function<std::string()> payloadAtDelivery;
  Timing timing = Timing::DuringPost;
  int yield = 1;
  // When set, the starting POST itself fails with this text and `postStatus`.
  std::optional<std::string> postError;
  uint32_t postStatus = 500;
};

// A request as the proxy received it.
struct ProxyRequest {
  std::string uuid;
  std::string service;
  std::string method;
  std::string hostContext;  // compact JSON of the argument
  std::string payload;      // the payload text
};

// "service.method", and for a proxied HTTP request (a payload with "method" and "url" texts, as
// the parties service takes them) its method and url: "parties.service.proxy PUT v1/players/p".
[[nodiscard]] std::string ProxyRequestName(const ProxyRequest& request);

// Makes the answer to one request from the request itself (its uuid already set). Runs during
// the starting POST; it may queue events but must not call into the plugin.
using ProxyResponder = std::function<ProxyScript(const ProxyRequest&)>;

struct ProxyAsyncRegistration {
  std::string service;
  std::string method;
  std::string hostContext;  // compact JSON of the argument
};

class ServiceProxyService {
 public:
  // Serves the proxy's paths of `host`, which must outlive the service's use.
  explicit ServiceProxyService(PluginHost& host);
  ServiceProxyService(const ServiceProxyService&) = delete;
  ServiceProxyService& operator=(const ServiceProxyService&) = delete;

  // Answers every later request of `service`.`method` by `script` (replacing an earlier one).
  // Requests without a script are left unanswered until ReplyTo.
  void Script(const std::string& service, const std::string& method, ProxyScript script);

  // Answers every later request of `service`.`method` that no script answers by what
  // `responder` makes of it (replacing an earlier responder; an empty one removes it).
  void SetResponder(const std::string& service, const std::string& method,
                    ProxyResponder responder);

  // Queues the reply to the request `uuid` ("next": the oldest request not yet answered). False
  // when there is no such request.
  bool ReplyTo(const std::string& uuid, const ProxyMessage& reply);
  // Queues a method event and an asynchronous message of `service`.`method`.
  void SendMethodEvent(const std::string& service, const std::string& method,
                       const ProxyMessage& message);
  void SendAsyncEvent(const std::string& service, const std::string& method,
                      const ProxyMessage& message);

  // The requests received, oldest first; under the host's record window only the latest.
  [[nodiscard]] const std::vector<ProxyRequest>& Requests() const { return requests_; }
  // The requests not answered yet, oldest first (never dropped by the window: each is a reply
  // still owed).
  [[nodiscard]] std::vector<ProxyRequest> Unanswered() const;
  // Forgets every recorded request, unanswered ones included (ReplyTo then finds none), so that
  // long runs keep no history.
  void ClearRequests();
  [[nodiscard]] const std::vector<ProxyAsyncRegistration>& AsyncRegistrations() const {
    return asyncRegistrations_;
  }

  CoreReply AnswerUuidRequest(const CoreRequest& request);
  CoreReply AnswerAsyncRequest(const CoreRequest& request);

 private:
  // The reply event's payload record.
  static std::string EventJson(const std::string& uuid, const std::string& service,
                               const std::string& method, const ProxyMessage& message);

  // "00000000-0000-4000-8000-" and the next number in twelve hex digits.
  std::string NextUuid();

  PluginHost& host_;
  std::map<std::pair<std::string, std::string>, ProxyScript> scripts_;
  std::map<std::pair<std::string, std::string>, ProxyResponder> responders_;
  std::vector<ProxyRequest> requests_;
  std::deque<ProxyRequest> unanswered_;
  std::vector<ProxyAsyncRegistration> asyncRegistrations_;
  uint64_t nextUuid_ = 1;
};

}  // namespace Zarn::Host
