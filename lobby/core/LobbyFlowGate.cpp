#include "lobby/core/LobbyFlowGate.h"

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

namespace {

// `text` as a NUL-terminated string for the log.
std::string Text(std::string_view text) { return std::string(text); }

}  // namespace

LobbyFlowGate::LobbyFlowGate(const LobbyStateMachine& machine) : machine_(machine) {
  Call outside;
  outside.what = "the plugin";
  calls_.push_back(std::move(outside));
}

std::string LobbyFlowGate::CurrentStateName() const {
  const LobbyState* state = machine_.GetCurrentState();
  return state != nullptr ? state->name : std::string("none");
}

void LobbyFlowGate::CloseReportSegment() {
  Call& running = Running();
  if (running.ownReports == 0) return;
  reportedMoves_ += machine_.Moves() - running.reportSegmentStart;
  running.reportSegmentStart = machine_.Moves();
}

void LobbyFlowGate::BeginCall(std::string_view what) {
  // The nested call's moves are its own, not the report of the request the running call waits on.
  CloseReportSegment();
  Call call;
  call.what = Text(what);
  call.movesAtStart = machine_.Moves();
  call.reportedAtStart = reportedMoves_;
  calls_.push_back(std::move(call));
}

void LobbyFlowGate::EndCall() {
  if (calls_.size() <= 1) return;
  const Call ended = std::move(calls_.back());
  calls_.pop_back();
  if (ended.overtaken && !ended.noted) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "LobbyFlow: %s was overtaken: %s, called while it waited, moved LobbyFlow to '%s'; "
              "it had nothing left to do",
              ended.what.c_str(), ended.overtakenBy.c_str(), ended.movedTo.c_str());
  }
  Call& running = Running();
  if (running.ownReports > 0) running.reportSegmentStart = machine_.Moves();
  const std::uint64_t moves = machine_.Moves() - ended.movesAtStart;
  const std::uint64_t reported = reportedMoves_ - ended.reportedAtStart;
  // Outside any call there is nothing to stop.
  if (moves <= reported || calls_.size() <= 1 || running.overtaken) return;
  running.overtaken = true;
  running.overtakenBy = ended.what;
  running.movedTo = CurrentStateName();
}

std::optional<CallGate::Refusal> LobbyFlowGate::RefuseRoute(std::string_view what) {
  if (!machine_.InTransition()) return std::nullopt;
  LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
            "LobbyFlow: refusing %s: a transition is running in state '%s'", Text(what).c_str(),
            CurrentStateName().c_str());
  return Refusal{409, kTransitionInProgress};
}

bool LobbyFlowGate::HoldsCalls() const { return machine_.InTransition(); }

bool LobbyFlowGate::Hold(std::string_view what) {
  if (!machine_.InTransition()) return false;
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0,
            "LobbyFlow: holding %s until the transition running in state '%s' has ended",
            Text(what).c_str(), CurrentStateName().c_str());
  return true;
}

bool LobbyFlowGate::Stopped() const {
  const Call& running = Running();
  return running.overtaken && running.sharedWork == 0;
}

CallGate::Refusal LobbyFlowGate::Stop(std::string_view act) {
  Call& running = Running();
  if (!running.noted) {
    running.noted = true;
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "LobbyFlow: %s stops before %s: %s, called while it waited, moved LobbyFlow to '%s'",
              running.what.c_str(), Text(act).c_str(), running.overtakenBy.c_str(),
              running.movedTo.c_str());
  }
  return Refusal{409, kRequestOvertaken};
}

bool LobbyFlowGate::WithholdsPublication(std::string_view uri) const {
  if (Running().rebuild) return true;
  const std::string_view lobby = kV1LobbyPath;
  return uri.substr(0, lobby.size()) == lobby &&
         (uri.size() == lobby.size() || uri[lobby.size()] == '/');
}

bool LobbyFlowGate::MayAct(std::string_view act, std::string_view object) {
  if (!Stopped()) return true;
  static_cast<void>(Stop(Text(act) + " " + Text(object)));
  return false;
}

LobbyFlowGate::OwnReport::OwnReport(LobbyFlowGate& gate) : gate_(gate) {
  Call& running = gate_.Running();
  if (running.ownReports++ == 0) running.reportSegmentStart = gate_.machine_.Moves();
}

LobbyFlowGate::OwnReport::~OwnReport() {
  gate_.CloseReportSegment();
  --gate_.Running().ownReports;
}

LobbyFlowGate::ViewRebuild::ViewRebuild(LobbyFlowGate& gate) : gate_(gate) {
  gate_.BeginCall("the view's rebuild");
  gate_.Running().rebuild = true;
}

LobbyFlowGate::ViewRebuild::~ViewRebuild() { gate_.EndCall(); }

bool LobbyFlowGate::ViewRebuild::Overtaken() const { return gate_.Running().overtaken; }

LobbyFlowGate::SharedWork::SharedWork(LobbyFlowGate& gate) : gate_(gate) {
  ++gate_.Running().sharedWork;
}

LobbyFlowGate::SharedWork::~SharedWork() { --gate_.Running().sharedWork; }

}  // namespace Zarn::Client::Lobby
