// The stand-in host's virtual clock and its queue of due work.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <utility>

namespace Zarn::Host {

// Work the host runs later: plugin callbacks scheduled through the host table and event
// deliveries. Time is virtual: it moves only when the host advances it, so runs are repeatable.
// Items due at the same time run in the order they were queued.
//
// The clock runs from 0 to kEnd (a century), far from the end of its 64 bits, so that the wall
// clock built on it and any deadline the plugin adds to it stay representable. Work due after
// kEnd is kept but never runs: a repeating timer near the end cannot keep falling due.
class HostScheduler {
 public:
  using Work = std::function<void()>;

  static constexpr int64_t kEnd = 100LL * 365 * 24 * 3600 * 1'000'000'000;

  // The present virtual time, in nanoseconds since the host started.
  [[nodiscard]] int64_t Now() const { return now_; }

  // Queues `work` to run `delaySeconds` from now. A negative or NaN delay counts as 0; a delay
  // beyond a century is capped there. `label` is kept for diagnostics.
  void Schedule(std::string label, double delaySeconds, Work work);

  // Runs one round: every item due at the present time that was queued before the round began.
  // Returns the number of items run.
  int RunRound();

  // Runs rounds until nothing is due at the present time (bounded by `maxRounds`, so that work
  // that keeps queueing itself at delay 0 cannot hang the host). Returns the number run.
  int RunDue(int maxRounds = 1000);

  // Moves the clock to the next due item, when it falls due no later than `limit` (nor after
  // kEnd), and runs that round. Returns the number run; 0 when nothing falls due by then (the
  // clock then stays where it is).
  int RunNext(int64_t limit = kEnd);

  // The outcome of AdvanceBy.
  struct Advanced {
    int ran = 0;
    bool stopped = false;  // `maxRuns` items ran and more were due before the target
  };
  // Moves the clock forward by `seconds`, running every item that falls due on the way at its
  // own due time, and stops at kEnd. A negative or NaN amount counts as 0. After `maxRuns` items
  // it stops with the clock at the last one's due time; what remains due runs later.
  Advanced AdvanceBy(double seconds, int maxRuns);
  int Advance(double seconds) { return AdvanceBy(seconds, std::numeric_limits<int>::max()).ran; }

  // Forgets every queued item without running it.
  void Clear() { queue_.clear(); }

  [[nodiscard]] std::size_t Pending() const { return queue_.size(); }

  // Label of the next item to run, or empty when nothing is queued.
  [[nodiscard]] std::string NextLabel() const;

 private:
  struct Item {
    std::string label;
    Work work;
  };
  // Key: due time, then a sequence number that keeps equal due times in FIFO order.
  using Key = std::pair<int64_t, uint64_t>;

  int RunUpTo(int64_t dueLimit, uint64_t sequenceLimit, int maxRuns);

  int64_t now_ = 0;
  uint64_t nextSequence_ = 0;
  std::map<Key, Item> queue_;
};

// Converts seconds to the scheduler's nanoseconds: negative and NaN give 0, huge values are capped
// at a century.
[[nodiscard]] int64_t SecondsToNanoseconds(double seconds);

}  // namespace Zarn::Host
