// The positional arguments of one request to the host core, owned until the request returns.
#pragma once

#include <cstddef>
#include <vector>

#include "sdk/binding/ApiRecords.h"

namespace Zarn {

// Entries are {null name, host value}; each value's memory comes from the allocator hooks and is
// released (by its kind) when the arguments are destroyed.
class RequestArguments {
 public:
  RequestArguments() = default;
  RequestArguments(const RequestArguments&) = delete;
  RequestArguments& operator=(const RequestArguments&) = delete;
  ~RequestArguments();

  void Reserve(std::size_t count) { entries_.reserve(count); }
  // Appends a zeroed entry and returns its value, which the caller fills.
  ApiObject& Append();
  // Releases every value and empties the array.
  void Clear() noexcept;

  // Null when there are none.
  [[nodiscard]] const ApiNamedValue* Data() const {
    return entries_.empty() ? nullptr : entries_.data();
  }
  [[nodiscard]] std::size_t Size() const { return entries_.size(); }

 private:
  std::vector<ApiNamedValue> entries_;
};

}  // namespace Zarn
