// A call gate whose plugin side a test sets: whether the plugin is busy, its count of moves, and
// what a stopped call withholds. For tests only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sdk/api/CallGate.h"

namespace Zarn::Testing {

// The count of moves, made before the gate that reads it.
struct TestMoves {
  std::uint64_t moves = 0;
};

class TestCallGate final : public TestMoves, public CallGate {
 public:
  TestCallGate() : CallGate("Test", Refusal{409, "BUSY"}, Refusal{409, "STOPPED"}, moves) {}

  bool busy = false;
  bool withholds = true;    // every publication of a stopped call
  std::string readChanges;  // a path whose read is refused while busy

  // Brackets `run` as a host call nested in the running one's wait.
  template <class F>
  void Nested(const Name& name, F&& run) {
    const HostCall call(*this, name);
    run();
  }

 private:
  [[nodiscard]] bool Busy() const override { return busy; }
  [[nodiscard]] bool Withholds(std::string_view /*uri*/) const override { return withholds; }
  [[nodiscard]] bool ReadChangesPlugin(std::string_view path) const override {
    return !readChanges.empty() && path == readChanges;
  }
  [[nodiscard]] std::string StateName() const override { return "S" + std::to_string(moves); }
};

}  // namespace Zarn::Testing
