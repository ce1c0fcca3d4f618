#include "sdk/platform/DebugOutput.h"

#include <mutex>

namespace Zarn::Platform {

namespace {

struct SinkSlot {
  std::mutex lock;
  DebugOutputSink sink = nullptr;
  void* context = nullptr;
};

SinkSlot& Slot() noexcept {
  static SinkSlot slot;
  return slot;
}

}  // namespace

void SetDebugOutputSink(DebugOutputSink sink, void* context) noexcept {
  SinkSlot& slot = Slot();
  std::lock_guard<std::mutex> hold(slot.lock);
  slot.sink = sink;
  slot.context = context;
}

void OutputDebugStringA(const char* text) noexcept {
  if (text == nullptr) {
    return;
  }
  SinkSlot& slot = Slot();
  DebugOutputSink sink;
  void* context;
  {
    std::lock_guard<std::mutex> hold(slot.lock);
    sink = slot.sink;
    context = slot.context;
  }
  if (sink != nullptr) {
    sink(text, context);
  }
}

}  // namespace Zarn::Platform
