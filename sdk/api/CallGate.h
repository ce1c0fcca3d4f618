// CallGate: a plugin's say over the host's calls into it.
//
// The host may call the plugin again while the plugin waits (on a request, a legacy call, a
// service reply). Every host call into the plugin is a call at the gate, bracketed by the SDK: a
// route call (sdk/api), a resource event, a scheduled callback or timer (sdk/runtime), the
// plugin's start. Calls nest when the host calls in during a wait. The gate answers three
// questions, each in one place:
//  - When a call is held: MustHold. A call other than a route call is held while the plugin is
//    busy (Busy: for the lobby, while LobbyFlow runs a transition), and while calls are held
//    already, so that it runs behind them. Route calls are never held, they must answer: while
//    the plugin is busy, RefuseRoute refuses every route call but a read. Service replies pass
//    ungated: the waits of the running call need them.
//  - When held calls run: EndCall. At the end of the host call during which the first of them
//    was held (its own work included, not the host calls nested in its waits), after that call's
//    work: its answer set, its publications made. One at a time, in the order they came, each to
//    its end before the next; calls held meanwhile join the queue's end. A call nested in that
//    call's waits does not run them. At shutdown what is still held is dropped (DropHeld).
//  - What a stop stops: Stops. A call is overtaken when a call nested in its waits moved the
//    plugin (Moves: for the lobby, entered or left a LobbyFlow state), other than by reporting
//    the running request (OwnReport); through it the calls further out are overtaken too. An
//    overtaken call is stopped: it sends no request, publishes nothing the plugin withholds
//    (Withholds), answers a route with StopRefusal, and the plugin's own acts that it asks about
//    (an event fired, a record stored) are refused. A read (a GET route) is never stopped, but
//    for the acts of one that does more than read (ActingRead); work done for every call
//    (SharedWork) is not stopped, and a rebuild of what every call shows (Rebuild) is stopped
//    only by an overtaking during it, when it withholds all it publishes.
// Each refusal, hold, held run, drop, stop and overtaking is one line of the log.
//
// Nothing here allocates for a host call that is neither held nor overtaken: names stay views
// until a line is logged or an overtaking recorded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Zarn {

class CallGate {
 public:
  // What a refused route answers, or a stopped act gives instead: a status and its error text.
  struct Refusal {
    std::uint32_t status = 0;
    std::string text;
  };

  // Names a host call or an act's object in two parts, joined by a blank when the second is not
  // empty: "GET" "/jyx-lobby/v2/lobby", "event" "/a/b", a timer's label alone. Views: what they
  // point to must live as long as the call, or the question, they name.
  struct Name {
    std::string_view first;
    std::string_view second;
    [[nodiscard]] std::string Text() const;
  };

  // The acts of a running call that the gate may stop.
  enum class Act { kSend, kPublish, kAnswer, kFire, kStore };

  CallGate(const CallGate&) = delete;
  CallGate& operator=(const CallGate&) = delete;

  // ---- Host calls ----

  // Whether a route call `route` arriving now is refused, its handler not run, and with what:
  // while the plugin is busy, every route call but a `read` (a GET) that ReadChangesPlugin does
  // not name.
  [[nodiscard]] std::optional<Refusal> RefuseRoute(const Name& route, bool read) {
    if (!Busy()) return std::nullopt;
    return RefuseWhileBusy(route, read);
  }

  // Whether a call other than a route call must be held now: the plugin is busy, or calls are
  // held already.
  [[nodiscard]] bool MustHold() const { return !held_.empty() || Busy(); }
  // Keeps `run`, named `name` (copied), to run as a call of its own when held calls run.
  void Hold(const Name& name, std::function<void()> run);
  [[nodiscard]] std::size_t HeldCount() const { return held_.size(); }
  // Drops every held call unrun, each logged; for shutdown.
  void DropHeld();

  // Brackets one host call, named `name`, from its start to its end. A `read` (a GET route) is
  // never stopped. Its end runs the calls held during it (see above).
  class HostCall {
   public:
    // `gate` must outlive the scope, and what `name` points to the call.
    HostCall(CallGate& gate, const Name& name, bool read = false) : gate_(gate) {
      gate_.BeginCall(name, read, 0);
    }
    HostCall(const HostCall&) = delete;
    HostCall& operator=(const HostCall&) = delete;
    ~HostCall() { gate_.EndCall(); }

   private:
    CallGate& gate_;
  };

  // ---- Acts of the running call ----

  // Whether the running call must not do `act` on `object` (a request's method and url, the uri
  // published, the route answered, the event fired, the record stored): true when it is stopped,
  // for a publication only when it withholds that uri. The first stop of a call is logged.
  [[nodiscard]] bool Stops(Act act, const Name& object) {
    return Stopped() && NoteStop(act, object);
  }
  // What a stopped act gives instead: a route's answer, a request's failure.
  [[nodiscard]] const Refusal& StopRefusal() const { return stopRefusal_; }

  // ---- Work the plugin marks ----

 private:
  // Sets from when the running call is stopped for its life (see Frame::stopFrom), then restores
  // what it was.
  class StopFromScope {
   public:
    StopFromScope(const StopFromScope&) = delete;
    StopFromScope& operator=(const StopFromScope&) = delete;

   protected:
    StopFromScope(CallGate& gate, bool acting);
    ~StopFromScope();

   private:
    CallGate& gate_;
    std::uint32_t savedStopFrom_;
  };

 public:
  // While one lives, the running call does work for every call rather than its own (shutdown,
  // the parties registration): nothing it does is stopped, even when overtaken. Nests.
  class SharedWork : private StopFromScope {
   public:
    explicit SharedWork(CallGate& gate) : StopFromScope(gate, false) {}
  };

  // While one lives, the running call, a read (a GET route), does more than read (it may make a
  // request that changes the plugin): a call nested in its waits that moves the plugin stops its
  // acts as it stops a change's, but not its answer, which stays a read's. Nests.
  class ActingRead : private StopFromScope {
   public:
    explicit ActingRead(CallGate& gate) : StopFromScope(gate, true) {}
  };

  // While one lives, the running call rebuilds what every call shows (the lobby's view): an
  // overtaking before it does not stop it; one during it stops it, and all it would publish is
  // then withheld: Overtaken tells it to build again.
  class Rebuild {
   public:
    explicit Rebuild(CallGate& gate);
    Rebuild(const Rebuild&) = delete;
    Rebuild& operator=(const Rebuild&) = delete;
    ~Rebuild();
    [[nodiscard]] bool Overtaken() const;

   private:
    CallGate& gate_;
    std::uint32_t start_;
    std::uint32_t savedStopFrom_;
    bool savedRebuilding_;
    bool savedNoted_;
  };

  // While one lives, the running call's own moves are the service reporting the request of the
  // call it came in (a pushed state, an update that completes a join): they overtake no call.
  // The moves of calls nested in its waits still do. Nests.
  class OwnReport {
   public:
    explicit OwnReport(CallGate& gate);
    OwnReport(const OwnReport&) = delete;
    OwnReport& operator=(const OwnReport&) = delete;
    ~OwnReport();

   private:
    CallGate& gate_;
    bool outermost_;
    // Where the outermost one began: the plugin's moves, and the running call's nested moves.
    std::uint64_t moves_ = 0;
    std::uint64_t nested_ = 0;
  };

 protected:
  // `subject` names what the plugin keeps sound, in the log ("LobbyFlow"); `busy` is what a route
  // refused while the plugin is busy answers, `stopped` what a stopped call's acts give. `moves`,
  // which must outlive the gate, grows with every move of the plugin that a call waiting across
  // it must not act after; it is read at every host call, so it is a count, not a question.
  CallGate(std::string subject, Refusal busy, Refusal stopped, const std::uint64_t& moves);
  // Not deleted through this class.
  ~CallGate() = default;

  // Whether the plugin is in a section that no other call may enter now.
  [[nodiscard]] virtual bool Busy() const = 0;
  // Whether a stopped call withholds a publication of `uri`.
  [[nodiscard]] virtual bool Withholds(std::string_view uri) const = 0;
  // Whether a read of `path` may change the plugin, and is refused while it is busy.
  [[nodiscard]] virtual bool ReadChangesPlugin(std::string_view /*path*/) const { return false; }
  // The state the plugin is in now, for the log ("InLobby").
  [[nodiscard]] virtual std::string StateName() const = 0;

 private:
  static constexpr std::uint32_t kNeverStopped = std::numeric_limits<std::uint32_t>::max();

  // One host call running in the plugin; the first frame stands for the plugin outside any.
  struct Frame {
    Frame() = default;
    Frame(const Name& name, std::uint64_t serial, std::uint64_t moves, std::uint32_t stopFrom,
          std::uint64_t heldRunOwner)
        : name(name),
          serial(serial),
          movesAtStart(moves),
          stopFrom(stopFrom),
          heldRunOwner(heldRunOwner) {}
    Name name;
    std::uint64_t serial = 0;
    std::uint64_t movesAtStart = 0;
    // Stopped while overtakings, how often a call nested in its waits moved the plugin, is above.
    std::uint32_t stopFrom = 0;
    // The serial of the run of held calls that runs it; 0 for a call the host made.
    std::uint64_t heldRunOwner = 0;
    std::uint32_t overtakings = 0;
    // The moves of the calls nested in its waits, and of those the ones that overtake.
    std::uint64_t nestedMoves = 0;
    std::uint64_t nestedOvertaking = 0;
    // Its own moves under an OwnReport, and whether one lives.
    std::uint64_t reported = 0;
    bool reporting = false;
    bool rebuilding = false;
    bool noted = false;  // its stop logged
  };
  // What the latest overtaking of the call `serial` recorded: the host call that moved the
  // plugin, and where to. Kept apart, by the call's depth, so that a frame allocates nothing.
  struct Overtaking {
    std::uint64_t serial = 0;
    std::string by;
    std::string movedTo;
  };
  // A call held, to run as a call of its own.
  struct Held {
    std::string what;
    std::function<void()> run;
  };

  [[nodiscard]] std::uint64_t Moves() const { return moves_; }
  [[nodiscard]] Frame& Top() { return frames_.back(); }
  [[nodiscard]] const Frame& Top() const { return frames_.back(); }
  [[nodiscard]] bool Stopped() const { return Top().overtakings > Top().stopFrom; }
  [[nodiscard]] bool NoteStop(Act act, const Name& object);
  // The record of the overtaking of the call at `depth`; empty texts when there is none.
  [[nodiscard]] Overtaking& OvertakingAt(std::size_t depth);
  [[nodiscard]] std::optional<Refusal> RefuseWhileBusy(const Name& route, bool read);
  void BeginCall(const Name& name, bool read, std::uint64_t heldRunOwner) {
    frames_.emplace_back(name, ++serials_, Moves(), read ? kNeverStopped : 0, heldRunOwner);
  }
  void EndCall() noexcept {
    // The common end: nothing moved and nothing is held.
    if (frames_.size() > 1 && held_.empty() && Moves() == Top().movesAtStart) {
      frames_.pop_back();
      return;
    }
    EndMovedCall();
  }
  void EndMovedCall() noexcept;
  // Runs the held calls that `owner`, a call just ended, holds.
  void RunHeld(std::uint64_t owner) noexcept;

  std::string subject_;
  const std::uint64_t& moves_;
  Refusal busyRefusal_;
  Refusal stopRefusal_;
  std::vector<Frame> frames_;
  std::vector<Overtaking> overtakings_;
  std::uint64_t serials_ = 0;
  std::deque<Held> held_;
  // The call at whose end the held calls run: the one during which the first was held, or the
  // run of held calls going on.
  std::uint64_t heldOwner_ = 0;
};

}  // namespace Zarn
