#include "sdk/binding/BindingResult.h"

#include <string>

namespace Zarn {

BindingResult& BindingResult::operator=(const BindingResult& other) {
  if (&other != this) {
    ok_ = other.ok_;
    value_ = other.value_;
  }
  return *this;
}

BindingResult& BindingResult::operator=(BindingResult&& other) {
  if (&other != this) {
    ok_ = other.ok_;
    value_ = std::move(other.value_);
  }
  return *this;
}

void BindingResult::Reset() noexcept {
  value_.Reset();
  ok_ = 1;
}

void BindingResult::SetFailure(std::string_view message) {
  std::string text(message);  // `message` may point into the value about to be reset
  value_.Reset();
  ok_ = 0;
  value_.MakeStructure();
  value_.Member("error").SetString(std::move(text));
}

std::string_view BindingResult::ErrorMessage() const noexcept {
  if (IsOk()) return {};
  return value_.FindMember("error").GetString();
}

}  // namespace Zarn
