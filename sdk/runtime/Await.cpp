#include "sdk/runtime/Await.h"

#include <system_error>

#include "sdk/base/Assertion.h"

namespace Zarn::Client::AwaitDetail {

void ReportBrokenWait(const std::future_error& error) noexcept {
  try {
    const std::string message = Format("Caught std::future_error in AppModule::Await: (%1) %2",
                                       error.code().value(), error.what());
    ReportAssertion("ALE-6D828C10", message.c_str(), nullptr, 0, nullptr);
  } catch (...) {
    ReportAssertion("ALE-6D828C10", "Caught std::future_error in AppModule::Await", nullptr, 0,
                    nullptr);
  }
}

}  // namespace Zarn::Client::AwaitDetail
