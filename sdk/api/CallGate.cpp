#include "sdk/api/CallGate.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn {

namespace {

constexpr std::uint32_t kGateLogChannel = 1;

const char* ActText(CallGate::Act act) {
  switch (act) {
    case CallGate::Act::kSend:
      return "sending";
    case CallGate::Act::kPublish:
      return "publishing";
    case CallGate::Act::kAnswer:
      return "answering";
    case CallGate::Act::kFire:
      return "firing";
    case CallGate::Act::kStore:
      return "storing";
  }
  return "acting on";
}

}  // namespace

std::string CallGate::Name::Text() const {
  std::string text(first);
  if (!second.empty()) {
    text += ' ';
    text += second;
  }
  return text;
}

CallGate::CallGate(std::string subject, Refusal busy, Refusal stopped, const std::uint64_t& moves)
    : subject_(std::move(subject)),
      moves_(moves),
      busyRefusal_(std::move(busy)),
      stopRefusal_(std::move(stopped)) {
  // Calls rarely nest deeper; the frames then never allocate.
  frames_.reserve(16);
  frames_.emplace_back().name = Name{"the plugin", {}};
}

std::optional<CallGate::Refusal> CallGate::RefuseWhileBusy(const Name& route, bool read) {
  if (read && !ReadChangesPlugin(route.second)) return std::nullopt;
  LogPrintf(kLogLevelWarn, kGateLogChannel, 0,
            "%s: refusing %s: a transition is running in state '%s'", subject_.c_str(),
            route.Text().c_str(), StateName().c_str());
  return busyRefusal_;
}

void CallGate::Hold(const Name& name, std::function<void()> run) {
  if (held_.empty()) heldOwner_ = Top().serial;
  std::string what = name.Text();
  if (Busy()) {
    LogPrintf(kLogLevelAlways, kGateLogChannel, 0,
              "%s: holding %s until the transition running in state '%s' has ended",
              subject_.c_str(), what.c_str(), StateName().c_str());
  } else {
    LogPrintf(kLogLevelAlways, kGateLogChannel, 0,
              "%s: holding %s behind the %zu calls held before it", subject_.c_str(), what.c_str(),
              held_.size());
  }
  held_.push_back(Held{std::move(what), std::move(run)});
  // Held with no host call running, it would wait for an end that never comes.
  if (frames_.size() == 1 && !Busy()) RunHeld(heldOwner_);
}

void CallGate::DropHeld() {
  for (const Held& held : held_) {
    LogPrintf(kLogLevelAlways, kGateLogChannel, 0, "%s: dropping %s, held at shutdown",
              subject_.c_str(), held.what.c_str());
  }
  held_.clear();
}

CallGate::Overtaking& CallGate::OvertakingAt(std::size_t depth) {
  if (overtakings_.size() <= depth) overtakings_.resize(depth + 1);
  Overtaking& record = overtakings_[depth];
  if (record.serial != frames_[depth].serial) {
    record.serial = frames_[depth].serial;
    record.by.clear();
    record.movedTo.clear();
  }
  return record;
}

void CallGate::EndMovedCall() noexcept {
  if (frames_.size() <= 1) return;
  const std::size_t depth = frames_.size() - 1;
  const Frame ended = Top();
  // Popped first: nothing below may leave the frame behind.
  frames_.pop_back();
  try {
    const std::uint64_t moves = Moves() - ended.movesAtStart;
    const std::uint64_t own = moves - ended.nestedMoves - ended.reported;
    const std::uint64_t overtaking = own + ended.nestedOvertaking;
    // The host call that moved the plugin: this one, or the one it was overtaken by.
    std::string mover;
    if (ended.overtakings > 0) {
      // Recorded when it was overtaken, while it ran at this depth.
      Overtaking& record = overtakings_[depth];
      if (ended.overtakings > ended.stopFrom && !ended.noted) {
        LogPrintf(kLogLevelWarn, kGateLogChannel, 0,
                  "%s: %s was overtaken: %s, called while it waited, moved %s to '%s'; it had "
                  "nothing left to do",
                  subject_.c_str(), ended.name.Text().c_str(), record.by.c_str(), subject_.c_str(),
                  record.movedTo.c_str());
      }
      if (own == 0) mover = std::move(record.by);
    }
    if (overtaking > 0 && own > 0) mover = ended.name.Text();

    Frame& around = Top();
    around.nestedMoves += moves;
    around.nestedOvertaking += overtaking;
    // Outside any call there is nothing to stop.
    if (overtaking > 0 && frames_.size() > 1) {
      ++around.overtakings;
      Overtaking& record = OvertakingAt(depth - 1);
      record.by = std::move(mover);
      record.movedTo = StateName();
    }

    if (held_.empty() || heldOwner_ != ended.serial) return;
    if (ended.heldRunOwner != 0) {
      // A held call run by a run of held calls: that run goes on with what it held.
      heldOwner_ = ended.heldRunOwner;
    } else if (Busy()) {
      // Ended inside another call's transition: they run at the end of the call around it.
      heldOwner_ = around.serial;
    } else {
      RunHeld(ended.serial);
    }
  } catch (const std::exception& error) {
    LogPrintf(kLogLevelError, kGateLogChannel, 0, "%s: ending a call failed: %s", subject_.c_str(),
              error.what());
  }
}

void CallGate::RunHeld(std::uint64_t owner) noexcept {
  // Iterative: a call held while these run joins the queue's end, and this loop runs it too.
  while (!held_.empty() && heldOwner_ == owner) {
    Held held = std::move(held_.front());
    held_.pop_front();
    try {
      LogPrintf(kLogLevelAlways, kGateLogChannel, 0, "%s: running %s, held until now",
                subject_.c_str(), held.what.c_str());
      BeginCall(Name{held.what, {}}, false, owner);
      // Run as a host call: what it throws is logged, and the next one runs.
      try {
        held.run();
      } catch (const std::exception& error) {
        LogPrintf(kLogLevelError, kGateLogChannel, 0, "%s: %s failed: %s", subject_.c_str(),
                  held.what.c_str(), error.what());
      } catch (...) {
        LogPrintf(kLogLevelError, kGateLogChannel, 0, "%s: %s failed", subject_.c_str(),
                  held.what.c_str());
      }
      EndCall();
    } catch (...) {
      // Out of memory while logging: the call is dropped, the rest still run.
    }
  }
}

bool CallGate::NoteStop(Act act, const Name& object) {
  Frame& call = Top();
  if (act == Act::kPublish && !call.rebuilding && !Withholds(object.first)) return false;
  if (!call.noted) {
    call.noted = true;
    const Overtaking& record = OvertakingAt(frames_.size() - 1);
    LogPrintf(kLogLevelWarn, kGateLogChannel, 0,
              "%s: %s stops before %s %s: %s, called while it waited, moved %s to '%s'",
              subject_.c_str(), call.name.Text().c_str(), ActText(act), object.Text().c_str(),
              record.by.c_str(), subject_.c_str(), record.movedTo.c_str());
  }
  return true;
}

CallGate::StopFromScope::StopFromScope(CallGate& gate, bool acting)
    : gate_(gate), savedStopFrom_(gate.Top().stopFrom) {
  // Acting, only an overtaking from now on stops it, as it stops a change; shared, none does.
  gate_.Top().stopFrom = acting ? std::min(savedStopFrom_, gate_.Top().overtakings) : kNeverStopped;
}

CallGate::StopFromScope::~StopFromScope() { gate_.Top().stopFrom = savedStopFrom_; }

CallGate::Rebuild::Rebuild(CallGate& gate)
    : gate_(gate),
      start_(gate.Top().overtakings),
      savedStopFrom_(gate.Top().stopFrom),
      savedRebuilding_(gate.Top().rebuilding),
      savedNoted_(gate.Top().noted) {
  Frame& call = gate_.Top();
  call.stopFrom = start_;
  call.rebuilding = true;
  call.noted = false;
}

CallGate::Rebuild::~Rebuild() {
  Frame& call = gate_.Top();
  call.stopFrom = savedStopFrom_;
  call.rebuilding = savedRebuilding_;
  call.noted = savedNoted_ || call.noted;
}

bool CallGate::Rebuild::Overtaken() const { return gate_.Top().overtakings > start_; }

CallGate::OwnReport::OwnReport(CallGate& gate) : gate_(gate), outermost_(!gate.Top().reporting) {
  if (!outermost_) return;
  Frame& call = gate_.Top();
  call.reporting = true;
  moves_ = gate_.Moves();
  nested_ = call.nestedMoves;
}

CallGate::OwnReport::~OwnReport() {
  if (!outermost_) return;
  Frame& call = gate_.Top();
  call.reporting = false;
  call.reported += (gate_.Moves() - moves_) - (call.nestedMoves - nested_);
}

}  // namespace Zarn
