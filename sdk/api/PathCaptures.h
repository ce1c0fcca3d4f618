// The decoded path captures of one matched request, by parameter name.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"

namespace Zarn {

// A route has few parameters: their captures are kept in the record itself, in template order,
// so that matching a request takes no heap block for them. Names are views of the route
// pattern's parameter names, which outlive the match. A capture that did not decode is not
// stored: the route still matches, and binding answers Refused() before it binds any capture.
// (Every route is offered every call, so the record stays cheap to make for one that does not
// match.)
class PathCaptures {
 public:
  struct Entry {
    std::string_view name;
    std::string value;
  };

  // Stores the decoded `value` under `name`; a repeated name keeps the later value, at its first
  // place. A value that did not decode is dropped, and the first name of one is kept as
  // Refused().
  void insert_or_assign(std::string_view name, MaybeType<Failure, std::string> value) {
    if (value.IsFailure()) {
      if (!refused_) refused_ = name;
      return;
    }
    for (std::size_t i = 0; i < size_; ++i) {
      if (Slot(i).name == name) {
        Slot(i).value = std::move(*value);
        return;
      }
    }
    if (size_ < kLocal) {
      local_[size_] = Entry{name, std::move(*value)};
    } else {
      more_.push_back(Entry{name, std::move(*value)});
    }
    ++size_;
  }

  // The name of the first parameter whose capture did not decode, if any.
  [[nodiscard]] const std::optional<std::string_view>& Refused() const noexcept { return refused_; }

  // Distinct names stored.
  [[nodiscard]] std::size_t size() const noexcept { return size_; }
  [[nodiscard]] bool empty() const noexcept { return size_ == 0; }
  [[nodiscard]] const Entry& At(std::size_t index) const noexcept {
    return index < kLocal ? local_[index] : more_[index - kLocal];
  }

 private:
  static constexpr std::size_t kLocal = 4;

  [[nodiscard]] Entry& Slot(std::size_t index) noexcept {
    return index < kLocal ? local_[index] : more_[index - kLocal];
  }

  std::array<Entry, kLocal> local_;
  std::vector<Entry> more_;  // the captures after the first kLocal
  std::size_t size_ = 0;
  std::optional<std::string_view> refused_;
};

}  // namespace Zarn
