#include "host/HostScheduler.h"

#include <algorithm>
#include <cmath>

namespace Zarn::Host {

namespace {

constexpr double kMaxDelaySeconds = 100.0 * 365 * 24 * 3600;

// now + delta without passing the end of the 64 bits.
int64_t Later(int64_t now, int64_t delta) {
  return delta > std::numeric_limits<int64_t>::max() - now ? std::numeric_limits<int64_t>::max()
                                                           : now + delta;
}

}  // namespace

int64_t SecondsToNanoseconds(double seconds) {
  if (!(seconds > 0)) return 0;  // also catches NaN
  if (seconds > kMaxDelaySeconds) seconds = kMaxDelaySeconds;
  return static_cast<int64_t>(std::llround(seconds * 1e9));
}

void HostScheduler::Schedule(std::string label, double delaySeconds, Work work) {
  const int64_t due = Later(now_, SecondsToNanoseconds(delaySeconds));
  queue_.emplace(Key{due, nextSequence_++}, Item{std::move(label), std::move(work)});
}

int HostScheduler::RunUpTo(int64_t dueLimit, uint64_t sequenceLimit, int maxRuns) {
  // Nothing queued is ever due before now, and the queue is ordered by (due, sequence): the
  // items of this round come first, and items queued while it runs sort after them.
  int ran = 0;
  while (ran < maxRuns) {
    auto it = queue_.begin();
    if (it == queue_.end() || it->first.first > dueLimit || it->first.second >= sequenceLimit) {
      break;
    }
    if (it->first.first > now_) now_ = it->first.first;
    // Take the item out before running it: the work may queue more or clear the queue.
    Work work = std::move(it->second.work);
    queue_.erase(it);
    ++ran;
    if (work) work();
  }
  return ran;
}

int HostScheduler::RunRound() {
  return RunUpTo(now_, nextSequence_, std::numeric_limits<int>::max());
}

int HostScheduler::RunDue(int maxRounds) {
  int ran = 0;
  for (int round = 0; round < maxRounds; ++round) {
    const int n = RunRound();
    if (n == 0) break;
    ran += n;
  }
  return ran;
}

int HostScheduler::RunNext(int64_t limit) {
  if (queue_.empty()) return 0;
  const int64_t due = queue_.begin()->first.first;
  if (due > std::min(limit, kEnd)) return 0;
  if (due > now_) now_ = due;
  return RunRound();
}

HostScheduler::Advanced HostScheduler::AdvanceBy(double seconds, int maxRuns) {
  const int64_t target = std::min(Later(now_, SecondsToNanoseconds(seconds)), std::max(now_, kEnd));
  Advanced advanced;
  while (!queue_.empty() && queue_.begin()->first.first <= target) {
    if (advanced.ran >= maxRuns) {
      advanced.stopped = true;
      return advanced;
    }
    const int64_t due = queue_.begin()->first.first;
    if (due > now_) now_ = due;
    advanced.ran += RunUpTo(now_, nextSequence_, maxRuns - advanced.ran);
  }
  now_ = target;
  return advanced;
}

std::string HostScheduler::NextLabel() const {
  return queue_.empty() ? std::string() : queue_.begin()->second.label;
}

}  // namespace Zarn::Host
