// The decoded path captures of one matched request, by parameter name.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"

namespace Zarn {

// A route has few parameters: their captures are kept in the record itself, in template order,
// so that matching a request takes no heap block for them. Names are views of the route
// pattern's parameter names, which outlive the match. A capture whose text could not be decoded
// is kept as that failure: the route still matches, and binding answers it for the parameter.
class PathCaptures {
 public:
  struct Entry {
    std::string_view name;
    MaybeType<Failure, std::string> value;
  };

  // Stores `value` under `name`; a repeated name keeps the later value, at its first place.
  void insert_or_assign(std::string_view name, MaybeType<Failure, std::string> value) {
    for (std::size_t i = 0; i < size_; ++i) {
      if (Slot(i).name == name) {
        Slot(i).value = std::move(value);
        return;
      }
    }
    if (size_ < kLocal) {
      local_[size_] = Entry{name, std::move(value)};
    } else {
      more_.push_back(Entry{name, std::move(value)});
    }
    ++size_;
  }

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
};

}  // namespace Zarn
