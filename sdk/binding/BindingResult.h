// A value together with a success flag: what every conversion, decoder and bound call returns.
#pragma once

#include <cstdint>
#include <string_view>

#include "sdk/binding/BindingProperty.h"

namespace Zarn {

// A failed result holds a structure whose member "error" is a string with the message; it can
// only be made by SetFailure.
class [[nodiscard]] BindingResult {
 public:
  // Success holding the empty value.
  BindingResult() noexcept = default;
  // Success holding a deep copy of `value`.
  explicit BindingResult(const BindingProperty& value) : value_(value) {}
  // The value is copied or moved by the rules of BindingProperty; the flag is copied.
  BindingResult(const BindingResult& other) = default;
  BindingResult(BindingResult&& other) noexcept : value_(std::move(other.value_)), ok_(other.ok_) {}
  BindingResult& operator=(const BindingResult& other);
  BindingResult& operator=(BindingResult&& other);
  ~BindingResult() = default;

  [[nodiscard]] bool IsOk() const noexcept { return ok_ != 0; }
  [[nodiscard]] BindingProperty& Value() noexcept { return value_; }
  [[nodiscard]] const BindingProperty& Value() const noexcept { return value_; }

  // Success holding the empty value.
  void Reset() noexcept;
  // Failure: the value becomes a structure whose member "error" holds `message` (which may
  // come from this result's own value).
  void SetFailure(std::string_view message);
  // The text of member "error" of a failed result; "" when the result succeeded or that member
  // is missing or not a string. Valid until the result changes.
  [[nodiscard]] std::string_view ErrorMessage() const noexcept;

 private:
  BindingProperty value_;
  std::uint8_t ok_ = 1;
};

}  // namespace Zarn
