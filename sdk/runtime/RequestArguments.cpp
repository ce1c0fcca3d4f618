#include "sdk/runtime/RequestArguments.h"

#include "sdk/binding/ApiObject.h"

namespace Zarn {

RequestArguments::~RequestArguments() { Clear(); }

ApiObject& RequestArguments::Append() {
  entries_.push_back(ApiNamedValue{nullptr, ApiObject{}});
  return entries_.back().value;
}

void RequestArguments::Clear() noexcept {
  for (ApiNamedValue& entry : entries_) DestroyApiObject(entry.value);
  entries_.clear();
}

}  // namespace Zarn
