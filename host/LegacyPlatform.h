// The stand-in host's legacy game platform, reached through the login plugin's invoke resource
// (POST "/jyx-login/v1/session/invoke" with destination, method and argument list): it answers
// calls by script and pushes legacy messages to their subscribers.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/PluginHost.h"

namespace Zarn::Host {

inline constexpr char kLcdsInvokePath[] = "/jyx-login/v1/session/invoke";

// How the platform answers one call.
struct LcdsAnswer {
  // A typed body: its legacy class name and its compact JSON. No body (std::nullopt) answers
  // an empty body under the class name.
  std::string typeName;
  std::optional<std::string> body;
  // When set, the call fails with this exception text and `status`.
  std::optional<std::string> exception;
  uint32_t status = 500;
};

// A call as the platform received it, and how it answered.
struct LcdsInvocation {
  std::string destination;
  std::string method;
  std::string arguments;  // compact JSON of the argument list, exactly as sent
  uint32_t status = 200;  // 200 for a call answered with its result, else the failure's status
};

class LegacyPlatform {
 public:
  // Serves the invoke path of `host`, which must outlive the platform's use.
  explicit LegacyPlatform(PluginHost& host);
  LegacyPlatform(const LegacyPlatform&) = delete;
  LegacyPlatform& operator=(const LegacyPlatform&) = delete;

  // Answers every later call of `destination`.`method` with `answer` (replacing an earlier one).
  // A call without an answer fails with status 501 and a text naming it.
  void Script(const std::string& destination, const std::string& method, LcdsAnswer answer);
  // Answers the later calls of `destination`.`method` with `answers` in order, the last one
  // repeating (replacing earlier answers). An empty list removes the method's answers.
  void ScriptInOrder(const std::string& destination, const std::string& method,
                     std::vector<LcdsAnswer> answers);

  // Queues the message of class `className` with the body `bodyJson` (compact JSON) for the
  // subscribers of its event ("OnLcdsEvent_" and the class name, every "." made "_"). False,
  // with nothing queued and `*error` (when given) saying where and why, when `bodyJson` is not
  // JSON.
  bool Push(const std::string& className, const std::string& bodyJson,
            std::string* error = nullptr);
  // The classes whose messages the plugin subscribes to now, by the host's records of its
  // subscriptions, in their order. Each is read back from its event's name, every "_" as "."
  // (the name no longer tells them apart; the platform's classes are dotted names without "_"),
  // so a class written with "_" for "." is none of them: its event would reach a subscriber that
  // drops it.
  [[nodiscard]] std::vector<std::string> SubscribedClasses() const;
  // Of SubscribedClasses(), the one whose last segment (after its last ".") is the fewest edits
  // from that of `className`, the first of equally near ones; empty for none.
  [[nodiscard]] std::string NearestSubscribedClass(const std::string& className) const;

  // The calls received, oldest first; under the host's record window only the latest.
  [[nodiscard]] const std::vector<LcdsInvocation>& Invocations() const { return invocations_; }

  // The reply to one request of the invoke path.
  CoreReply Answer(const CoreRequest& request);

 private:
  // The scripted answer to `invocation`, used up unless it is the method's last.
  CoreReply Reply(const LcdsInvocation& invocation);

  PluginHost& host_;
  // The answers still to give per method; the last one stays.
  std::map<std::pair<std::string, std::string>, std::vector<LcdsAnswer>> answers_;
  std::vector<LcdsInvocation> invocations_;
};

}  // namespace Zarn::Host
