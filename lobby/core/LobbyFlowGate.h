// LobbyFlowGate: keeps LobbyFlow sound when the host calls the plugin while it waits.
//
// The host may call in during any wait: a route call, a resource event, a legacy or service
// message, a timer. Two faults follow unless such calls are kept in line:
//  - A transition that waits (an exit or entry action making a request) would see an event of
//    the nested call processed against its half-changed state. So while LobbyFlow runs a
//    transition (StateMachine::InTransition) no call starts another: route calls are refused
//    with 409 "LOBBY_TRANSITION_IN_PROGRESS", and every other call is held by the SDK and run, in
//    the order it came, once the outermost transition has ended (LobbyPlugin::ProcessLobbyEvent),
//    inside the call that ran the transition. Service replies still come at once: the
//    transition's own waits need them.
//  - A call (all that one host call into the plugin runs, the calls it makes within the plugin
//    included) decides on LobbyFlow's state before a wait and acts after it. When a call nested
//    in its waits moved LobbyFlow (entered or left a state, StateMachine::Moves), the outer call
//    is overtaken: from then on it fires no event, sends no request, neither stores nor publishes
//    the v1 lobby, and a route answers 409 "LOBBY_REQUEST_OVERTAKEN". What overtook it
//    stands; nothing is undone. Moves made while the service reports the outer call's own
//    request (OwnReport) overtake nothing.
// Each refusal, hold and overtaking is logged once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lobby/core/LobbyFlow.h"
#include "sdk/api/CallGate.h"

namespace Zarn::Client::Lobby {

class LobbyFlowGate final : public CallGate {
 public:
  // `machine` must outlive the gate.
  explicit LobbyFlowGate(const LobbyStateMachine& machine);

  // CallGate: calls bracketed, routes refused and other calls held while a transition runs, and
  // the running call stopped once overtaken.
  void BeginCall(std::string_view what) override;
  void EndCall() override;
  [[nodiscard]] std::optional<Refusal> RefuseRoute(std::string_view what) override;
  [[nodiscard]] bool HoldsCalls() const override;
  [[nodiscard]] bool Hold(std::string_view what) override;
  [[nodiscard]] bool Stopped() const override;
  [[nodiscard]] Refusal Stop(std::string_view act) override;
  // The v1 lobby's resources: what a stopped call would publish of them is its own lobby's.
  [[nodiscard]] bool WithholdsPublication(std::string_view uri) const override;

  // The plugin's own acts that stay within it (an event fired, the lobby stored): true to go on;
  // false, and noted as Stop notes it, when the running call is stopped. `act` and `object` name
  // the act ("firing", the event).
  [[nodiscard]] bool MayAct(std::string_view act, std::string_view object);

  // While one lives, the moves of the running call are the service reporting the request of the
  // call it waits in (a pushed parties state, the practice game update that completes a join):
  // they overtake no call. Nests.
  class OwnReport {
   public:
    explicit OwnReport(LobbyFlowGate& gate);
    OwnReport(const OwnReport&) = delete;
    OwnReport& operator=(const OwnReport&) = delete;
    ~OwnReport();

   private:
    LobbyFlowGate& gate_;
  };

  // The view rebuilt when the outermost update batch closes, for every call of the batch: run as
  // a call of its own, which what overtook the call that closes the batch does not stop, but a
  // call made during the rebuild's own waits that moves LobbyFlow does, and then all it would
  // publish is withheld (Overtaken: build it again from what that call left).
  class ViewRebuild {
   public:
    explicit ViewRebuild(LobbyFlowGate& gate);
    ViewRebuild(const ViewRebuild&) = delete;
    ViewRebuild& operator=(const ViewRebuild&) = delete;
    ~ViewRebuild();
    [[nodiscard]] bool Overtaken() const;

   private:
    LobbyFlowGate& gate_;
  };

  // While one lives, the running call does work for every call rather than its own (shutdown):
  // it is not stopped meanwhile, even when overtaken. Nests.
  class SharedWork {
   public:
    explicit SharedWork(LobbyFlowGate& gate);
    SharedWork(const SharedWork&) = delete;
    SharedWork& operator=(const SharedWork&) = delete;
    ~SharedWork();

   private:
    LobbyFlowGate& gate_;
  };

 private:
  // A host call running in the plugin; the first entry stands for the plugin outside any.
  struct Call {
    std::string what;
    std::uint64_t movesAtStart = 0;
    std::uint64_t reportedAtStart = 0;
    // Set when a call nested in its waits moved LobbyFlow: by what, and where it left LobbyFlow.
    bool overtaken = false;
    std::string overtakenBy;
    std::string movedTo;
    bool noted = false;  // the overtaking logged
    int ownReports = 0;
    std::uint64_t reportSegmentStart = 0;  // the moves when the open OwnReport last resumed
    int sharedWork = 0;
    bool rebuild = false;  // a ViewRebuild: stopped, it publishes nothing
  };

  [[nodiscard]] Call& Running() { return calls_.back(); }
  [[nodiscard]] const Call& Running() const { return calls_.back(); }
  [[nodiscard]] std::string CurrentStateName() const;
  // Counts the running call's moves since its OwnReport last resumed as reported ones.
  void CloseReportSegment();

  const LobbyStateMachine& machine_;
  std::vector<Call> calls_;
  // Moves made under an OwnReport of the call that made them, over the plugin's life.
  std::uint64_t reportedMoves_ = 0;
};

}  // namespace Zarn::Client::Lobby
