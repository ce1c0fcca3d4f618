// The module's cooperative wait on a future: it yields to the host between polls, so the host
// can run the work (events, callbacks) that completes the future.
#pragma once

#include <chrono>
#include <future>
#include <string>

#include "sdk/base/Format.h"
#include "sdk/runtime/AppModule.h"
#include "sdk/runtime/ResultTypeId.h"

namespace Zarn::Client {

namespace AwaitDetail {
// Reports a future that has no state or whose promise was abandoned: a broken invariant.
void ReportBrokenWait(const std::future_error& error) noexcept;
}  // namespace AwaitDetail

template <typename T>
MaybeType<Failure, T> AppModule::Await(std::future<MaybeType<Failure, T>> future) {
  using Result = MaybeType<Failure, T>;
  try {
    if (!future.valid()) throw std::future_error(std::future_errc::no_state);
    bool waiting = false;
    while (future.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
      if (!waiting) {
        const std::string label = Format("Wait: future<%1>", TypeId<Result>().name);
        BeginWait(label.c_str(), 0);
        waiting = true;
      }
      YieldToHost();
    }
    if (waiting) EndWait();
    return future.get();
  } catch (const std::future_error& error) {
    AwaitDetail::ReportBrokenWait(error);
  }
  // No value exists; the default result is the empty failure, so no caller goes on with one.
  return Result();
}

}  // namespace Zarn::Client
