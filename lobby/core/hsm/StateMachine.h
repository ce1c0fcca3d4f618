// A small hierarchical state machine: a static tree of states, each with entry and exit
// actions, an optional initial transition into a descendant and an ordered table of
// transitions keyed by event. Generic over the object the actions work on and the event type.
//
// A transition runs to completion: an event fired while one runs (by an action's own calls) waits
// in a queue and is processed once the outermost transition has ended. Actions may wait, letting
// a host call the owner meanwhile; the engine tells whether a transition runs (`InTransition`) and
// counts the states entered and left (`Moves`), so that the owner can hold such calls back and
// tell whether one moved the machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace Zarn::Hsm {

template <class Owner, class Event>
class StateMachine;
template <class Owner, class Event>
struct State;

// One row of a state's table; also a state's initial transition.
template <class Owner, class Event>
struct Transition {
  using Action = void (*)(const StateMachine<Owner, Event>&);

  Event event{};                                // empty in an initial transition
  const State<Owner, Event>* target = nullptr;  // null: handled in place
  Action action = nullptr;                      // may be null
};

// Immutable once built; pointers to states stay valid for the program's life.
template <class Owner, class Event>
struct State {
  using Action = void (*)(const StateMachine<Owner, Event>&);

  std::string name;
  const State* parent = nullptr;                        // null for the root
  Action onEnter = nullptr;                             // may be null
  Action onExit = nullptr;                              // may be null
  Transition<Owner, Event> initialTransition{};         // target null: none
  std::vector<Transition<Owner, Event>> transitions{};  // the first matching row wins
};

// Receives the engine's warnings (an unhandled event, a transition between unrelated trees,
// an initial transition to a state that is not a descendant). Null discards them, and then no
// warning text is formatted at all.
using DiagnosticHook = void (*)(const std::string& warning);

namespace Detail {

inline DiagnosticHook& HookSlot() {
  static DiagnosticHook hook = nullptr;
  return hook;
}

// A chain of states from one state up to the root. The trees are shallow, so the chain lives
// inline and processing an event allocates nothing; a deeper tree spills to the heap.
template <class StateT>
class StateChain {
 public:
  explicit StateChain(const StateT* from) {
    for (const StateT* s = from; s != nullptr; s = s->parent) Push(s);
  }
  [[nodiscard]] std::size_t Size() const { return size_; }
  [[nodiscard]] const StateT* At(std::size_t i) const {
    return i < kInline ? inline_[i] : spill_[i - kInline];
  }
  [[nodiscard]] const StateT* Back() const { return At(size_ - 1); }
  void PopBack() {
    --size_;
    if (size_ >= kInline) spill_.pop_back();
  }

 private:
  static constexpr std::size_t kInline = 16;
  void Push(const StateT* s) {
    if (size_ < kInline) {
      inline_[size_] = s;
    } else {
      spill_.push_back(s);
    }
    ++size_;
  }
  const StateT* inline_[kInline] = {};
  std::vector<const StateT*> spill_;
  std::size_t size_ = 0;
};

}  // namespace Detail

// Replaces the process-wide diagnostic hook; null discards warnings.
inline void SetDiagnosticHook(DiagnosticHook hook) { Detail::HookSlot() = hook; }

template <class Owner, class Event>
class StateMachine {
 public:
  using StateType = State<Owner, Event>;
  using TransitionType = ::Zarn::Hsm::Transition<Owner, Event>;
  using EventFormatter = std::function<std::string(const Event&)>;  // may be empty

  // `owner` is not owned and may be null; `root` must outlive the machine. No action runs.
  StateMachine(Owner* owner, std::string name, const StateType* root, EventFormatter formatter)
      : owner_(owner),
        name_(std::move(name)),
        currentState_(root),
        eventFormatter_(std::move(formatter)) {}

  StateMachine(const StateMachine&) = delete;
  StateMachine& operator=(const StateMachine&) = delete;

  // Enters the root, then follows initial transitions down. Called once.
  void Start() {
    if (currentState_ == nullptr) return;
    {
      const DepthScope transition(*this);
      ++moves_;
      if (currentState_->onEnter != nullptr) currentState_->onEnter(*this);
      CheckInitialTransition();
    }
    ProcessDeferred();
  }

  // True when the current state or one of its ancestors handled `event` (in place included).
  // While a transition runs, `event` is queued instead and true is returned: it is processed
  // after the outermost transition, in the order fired, so that no state is left unless it is
  // the innermost active one, and none entered but under its active parent.
  bool ProcessEvent(const Event& event) {
    if (transitionDepth_ > 0) {
      deferred_.push_back(event);
      return true;
    }
    const bool handled = Dispatch(event);
    ProcessDeferred();
    return handled;
  }

  // Whether a transition runs now: Start, an event's exits, action, entries and initial
  // transitions (or a row's action in place), or ExitAll.
  [[nodiscard]] bool InTransition() const { return transitionDepth_ > 0; }
  // How many times a state was entered or left since the machine was made: a reading that
  // differs from an earlier one means the machine moved in between.
  [[nodiscard]] const std::uint64_t& Moves() const { return moves_; }

  // True when `state` is the current state or one of its ancestors.
  [[nodiscard]] bool IsInState(const StateType* state) const {
    for (const StateType* s = currentState_; s != nullptr; s = s->parent) {
      if (s == state) return true;
    }
    return false;
  }

  [[nodiscard]] Owner* GetOwner() const { return owner_; }
  // Null before a machine with no root starts, and after `ExitAll`.
  [[nodiscard]] const StateType* GetCurrentState() const { return currentState_; }
  [[nodiscard]] const std::string& GetName() const { return name_; }

  // Leaves every active state, innermost first, up to and including the root: each exit action
  // runs while its state is current, then the current state becomes its parent. Events fired
  // meanwhile are dropped: no state is left to take them.
  void ExitAll() {
    {
      const DepthScope transition(*this);
      while (currentState_ != nullptr) {
        const StateType* leaving = currentState_;
        if (leaving->onExit != nullptr) leaving->onExit(*this);
        currentState_ = leaving->parent;
        ++moves_;
      }
    }
    if (transitionDepth_ == 0) deferred_.clear();
  }

 private:
  // Counts a transition for as long as it lives.
  class DepthScope {
   public:
    explicit DepthScope(StateMachine& machine) : machine_(machine) { ++machine_.transitionDepth_; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
    ~DepthScope() { --machine_.transitionDepth_; }

   private:
    StateMachine& machine_;
  };

  bool Dispatch(const Event& event) {
    for (const StateType* s = currentState_; s != nullptr; s = s->parent) {
      for (const TransitionType& row : s->transitions) {
        if (row.event == event) return Transition(row);
      }
    }
    if (Detail::HookSlot() != nullptr) {
      Warn("State machine '" + name_ + "': Event '" + FormatEvent(event) +
           "' is not handled by state '" + NameOf(currentState_) +
           "', or its ancestors. The event will be ignored.");
    }
    return false;
  }

  // The events queued while the outermost transition ran, each processed as if fired now.
  void ProcessDeferred() {
    while (transitionDepth_ == 0 && !deferred_.empty()) {
      const Event next = deferred_.front();
      deferred_.pop_front();
      static_cast<void>(Dispatch(next));
    }
  }

  bool Transition(const TransitionType& row) {
    const DepthScope transition(*this);
    if (row.target == nullptr || row.target == currentState_) {
      if (row.action != nullptr) row.action(*this);
      return true;
    }
    Detail::StateChain<StateType> leave(currentState_);
    Detail::StateChain<StateType> enter(row.target);
    if (leave.Size() == 0 || leave.Back() != enter.Back()) {
      if (Detail::HookSlot() != nullptr) {
        Warn("State machine '" + name_ + "': The transition from state '" + NameOf(currentState_) +
             "' to state '" + row.target->name + "' on event '" + FormatEvent(row.event) +
             "' is invalid because the states do not share a common ancestry. The event will be "
             "ignored.");
      }
      return false;
    }
    while (leave.Size() > 0 && enter.Size() > 0 && leave.Back() == enter.Back()) {
      leave.PopBack();
      enter.PopBack();
    }
    for (std::size_t i = 0; i < leave.Size(); ++i) {
      const StateType* leaving = leave.At(i);
      if (leaving->onExit != nullptr) leaving->onExit(*this);
      currentState_ = leaving->parent;
      ++moves_;
    }
    if (row.action != nullptr) row.action(*this);
    for (std::size_t i = enter.Size(); i > 0; --i) {
      currentState_ = enter.At(i - 1);
      ++moves_;
      if (currentState_->onEnter != nullptr) currentState_->onEnter(*this);
    }
    if (enter.Size() > 0) CheckInitialTransition();
    return true;
  }

  void CheckInitialTransition() {
    const StateType* s = currentState_;
    if (s == nullptr) return;
    const StateType* d = s->initialTransition.target;
    if (d == nullptr) return;
    for (const StateType* up = d->parent; up != nullptr; up = up->parent) {
      if (up == s) {
        // Copied: the nested transition may re-enter and must not hold into the state.
        const TransitionType initial = s->initialTransition;
        static_cast<void>(Transition(initial));
        return;
      }
    }
    if (Detail::HookSlot() != nullptr) {
      Warn("State machine '" + name_ + "': The initial transition from state '" + s->name +
           "' to state '" + d->name +
           "' is invalid because the target state is not a descendant. The transition will be "
           "ignored.");
    }
  }

  [[nodiscard]] std::string FormatEvent(const Event& event) const {
    return eventFormatter_ ? eventFormatter_(event) : std::string("n/a");
  }
  static std::string NameOf(const StateType* state) {
    return state != nullptr ? state->name : std::string("n/a");
  }
  static void Warn(const std::string& text) {
    DiagnosticHook hook = Detail::HookSlot();
    if (hook != nullptr) hook(text);
  }

  Owner* owner_;
  std::string name_;
  const StateType* currentState_;
  EventFormatter eventFormatter_;
  int transitionDepth_ = 0;
  std::uint64_t moves_ = 0;
  std::deque<Event> deferred_;
};

}  // namespace Zarn::Hsm
