// A named, typed value recorded on a failure; also the form in which template arguments travel.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Zarn {

struct FailureAttribute {
  enum Tag : int32_t { kNone = 0, kBool = 1, kInt = 2, kUInt = 3, kDouble = 4, kText = 5 };

  int32_t tag = kNone;
  // The value when `tag` is kText.
  std::string text;
  // The bool (lowest byte), the integer or the bit pattern of the double, by `tag`.
  uint64_t number = 0;

  FailureAttribute() = default;
  // Implicit so that builders accept plain texts and numbers as arguments.
  FailureAttribute(bool value) : tag(kBool), number(value ? 1 : 0) {}
  FailureAttribute(double value);
  // A null pointer is taken as the empty text.
  FailureAttribute(const char* value) : tag(kText), text(value ? value : "") {}
  FailureAttribute(std::string_view value) : tag(kText), text(value) {}
  FailureAttribute(std::string value) : tag(kText), text(std::move(value)) {}
  template <std::integral T>
  requires(!std::same_as<T, bool>) FailureAttribute(T value)
      : tag(std::is_signed_v<T> ? kInt : kUInt),
        number(static_cast<uint64_t>(static_cast<int64_t>(value))) {}

  [[nodiscard]] bool AsBool() const { return (number & 0xFF) != 0; }
  [[nodiscard]] int64_t AsInt() const { return static_cast<int64_t>(number); }
  [[nodiscard]] uint64_t AsUInt() const { return number; }
  [[nodiscard]] double AsDouble() const;
  // True for false, 0, 0.0, the empty text and the untyped value.
  [[nodiscard]] bool IsEmpty() const;

  friend bool operator==(const FailureAttribute&, const FailureAttribute&) = default;
};

// Name -> attribute. Inserting a name that exists replaces its value.
using FailureAttributes = std::unordered_map<std::string, FailureAttribute>;

}  // namespace Zarn
