// A plugin's say over the host's calls into it. The host may call the plugin again while the
// plugin waits (on a request, a legacy call, a service reply). A plugin that cannot take such a
// call at that moment, or whose running call must not go on after one, says so here: the SDK asks
// at every host call into the plugin (route calls in sdk/api, resource events, scheduled callbacks
// and timers in sdk/runtime) and before every act of a running call that leaves the plugin (a
// request sent, an event published, a route's answer). A plugin that sets no gate takes every call
// at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Zarn {

class CallGate {
 public:
  // What a refused route answers, or a stopped act gives instead: a status and its error text.
  struct Refusal {
    std::uint32_t status = 0;
    std::string text;
  };

  CallGate(const CallGate&) = delete;
  CallGate& operator=(const CallGate&) = delete;

  // A host call runs in the plugin: a route call, a resource event, a scheduled callback or timer
  // (a held one too, when it runs at last); `what` names it. Calls nest when the host calls in
  // during a wait: every BeginCall is followed by one EndCall, innermost first.
  virtual void BeginCall(std::string_view what) = 0;
  virtual void EndCall() = 0;

  // Whether a route call arriving now (`what`) is refused, its handler not run, and with what.
  [[nodiscard]] virtual std::optional<Refusal> RefuseRoute(std::string_view what) = 0;

  // Whether calls other than routes and service replies must wait now. Hold(`what`) answers the
  // same for one that arrives, and notes why it waits: the SDK then keeps it, in the order it
  // came, until the plugin runs what it kept (AppModule::RunHeldCalls) or shuts down.
  [[nodiscard]] virtual bool HoldsCalls() const = 0;
  [[nodiscard]] virtual bool Hold(std::string_view what) = 0;

  // Whether the running call is stopped: what it would do next that leaves the plugin is not
  // done. Stop(`act`) is asked then ("sending GET /x", "publishing /y", "answering POST /z") and
  // gives what the act gives instead: a request's failure, a route's answer.
  [[nodiscard]] virtual bool Stopped() const = 0;
  [[nodiscard]] virtual Refusal Stop(std::string_view act) = 0;
  // Of a stopped call, whether it may not publish the resource at `uri` either (Stop is then
  // asked as for any act); what it may publish still goes out.
  [[nodiscard]] virtual bool WithholdsPublication(std::string_view uri) const = 0;

  // Brackets one host call with BeginCall and EndCall, on every way out of it.
  class CallScope {
   public:
    // `gate` must outlive the scope.
    CallScope(CallGate& gate, std::string_view what) : gate_(gate) { gate_.BeginCall(what); }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
    ~CallScope() { gate_.EndCall(); }

   private:
    CallGate& gate_;
  };

 protected:
  CallGate() = default;
  // Not deleted through this interface.
  ~CallGate() = default;
};

}  // namespace Zarn
