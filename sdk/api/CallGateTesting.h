// A call gate whose answers a test sets, recording what the SDK asked of it. For tests only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/api/CallGate.h"

namespace Zarn::Testing {

class RecordingCallGate final : public CallGate {
 public:
  // What the gate answers.
  std::optional<Refusal> refusal;  // of every route call
  bool holds = false;
  bool stopped = false;
  bool withholds = true;  // every publication of a stopped call
  // What was asked: "begin <what>", "end", "hold <what>", "stop <act>".
  std::vector<std::string> calls;

  void BeginCall(std::string_view what) override { calls.push_back("begin " + std::string(what)); }
  void EndCall() override { calls.push_back("end"); }
  [[nodiscard]] std::optional<Refusal> RefuseRoute(std::string_view /*what*/) override {
    return refusal;
  }
  [[nodiscard]] bool HoldsCalls() const override { return holds; }
  [[nodiscard]] bool Hold(std::string_view what) override {
    if (holds) calls.push_back("hold " + std::string(what));
    return holds;
  }
  [[nodiscard]] bool Stopped() const override { return stopped; }
  [[nodiscard]] Refusal Stop(std::string_view act) override {
    calls.push_back("stop " + std::string(act));
    return Refusal{409, "STOPPED"};
  }
  [[nodiscard]] bool WithholdsPublication(std::string_view /*uri*/) const override {
    return withholds;
  }
};

}  // namespace Zarn::Testing
