// The result of every operation that can fail: a value of T, or a Failure.
#pragma once

#include <concepts>
#include <new>
#include <type_traits>
#include <utility>

#include "sdk/base/Failure.h"

namespace Zarn {

namespace MaybeTypeDetail {
// Reading the alternative that a result does not hold is a broken invariant: it reports the
// failure's message to standard error and aborts.
[[noreturn]] void ReadMissingValue(const char* failureMessage);
[[noreturn]] void ReadMissingFailure();
}  // namespace MaybeTypeDetail

template <class E, class T>
class MaybeType;

// Holds either a T or a Failure. A default-made result is the empty failure; it holds a value
// only once one is stored.
template <class T>
class [[nodiscard]] MaybeType<Failure, T> {
 public:
  using ValueType = T;

  MaybeType() noexcept : failure_(), failed_(true) {}
  MaybeType(const Failure& failure) : failure_(failure), failed_(true) {}
  MaybeType(Failure&& failure) noexcept : failure_(std::move(failure)), failed_(true) {}
  MaybeType(const T& value) requires std::is_copy_constructible_v<T> : value_(value),
                                                                       failed_(false) {}
  MaybeType(T&& value) : value_(std::move(value)), failed_(false) {}
  // Any other type that converts to T ("text" for a std::string result).
  template <class U>
  requires(!std::same_as<std::remove_cvref_t<U>, T> &&
           !std::same_as<std::remove_cvref_t<U>, MaybeType> &&
           !std::same_as<std::remove_cvref_t<U>, Failure> && std::is_convertible_v<U&&, T>)
      MaybeType(U&& value)
      : value_(std::forward<U>(value)), failed_(false) {}

  MaybeType(const MaybeType& other) requires std::is_copy_constructible_v<T>
      : failed_(other.failed_) {
    if (failed_) {
      new (&failure_) Failure(other.failure_);
    } else {
      new (&value_) T(other.value_);
    }
  }
  MaybeType(MaybeType&& other) noexcept(std::is_nothrow_move_constructible_v<T>)
      : failed_(other.failed_) {
    if (failed_) {
      new (&failure_) Failure(std::move(other.failure_));
    } else {
      new (&value_) T(std::move(other.value_));
    }
  }
  MaybeType& operator=(const MaybeType& other) requires std::is_copy_constructible_v<T> {
    if (this != &other) Assign(other);
    return *this;
  }
  MaybeType& operator=(MaybeType&& other) noexcept(std::is_nothrow_move_constructible_v<T>) {
    if (this != &other) Assign(std::move(other));
    return *this;
  }
  ~MaybeType() { Destroy(); }

  [[nodiscard]] bool IsFailure() const noexcept { return failed_; }
  [[nodiscard]] bool HasValue() const noexcept { return !failed_; }
  explicit operator bool() const noexcept { return !failed_; }

  // The held value; aborts when the result holds a failure.
  [[nodiscard]] T& Value() & {
    CheckValue();
    return value_;
  }
  [[nodiscard]] const T& Value() const& {
    CheckValue();
    return value_;
  }
  [[nodiscard]] T&& Value() && {
    CheckValue();
    return std::move(value_);
  }
  T* operator->() { return &Value(); }
  const T* operator->() const { return &Value(); }
  T& operator*() & { return Value(); }
  const T& operator*() const& { return Value(); }

  // The held failure; aborts when the result holds a value.
  [[nodiscard]] const Failure& GetFailure() const& {
    CheckFailure();
    return failure_;
  }
  [[nodiscard]] Failure&& GetFailure() && {
    CheckFailure();
    return std::move(failure_);
  }
  // The failure's message, or "" when a value is held. Never null.
  [[nodiscard]] const char* Message() const noexcept { return failed_ ? failure_.Message() : ""; }

 private:
  void CheckValue() const {
    if (failed_) MaybeTypeDetail::ReadMissingValue(failure_.Message());
  }
  void CheckFailure() const {
    if (!failed_) MaybeTypeDetail::ReadMissingFailure();
  }
  void Destroy() noexcept {
    if (failed_) {
      failure_.~Failure();
    } else {
      value_.~T();
    }
  }
  template <class Other>
  void Assign(Other&& other) {
    if (failed_ && other.failed_) {
      failure_ = std::forward<Other>(other).failure_;
      return;
    }
    if (!failed_ && !other.failed_) {
      value_ = std::forward<Other>(other).value_;
      return;
    }
    Destroy();
    if (other.failed_) {
      new (&failure_) Failure(std::forward<Other>(other).failure_);
      failed_ = true;
      return;
    }
    try {
      new (&value_) T(std::forward<Other>(other).value_);
      failed_ = false;
    } catch (...) {
      // Should T's constructor throw, the result is left as the empty failure.
      new (&failure_) Failure();
      throw;
    }
  }

  union {
    Failure failure_;
    T value_;
  };
  bool failed_;
};

// A result without a value: success, or a Failure. A default-made one is the empty failure;
// Success() makes a successful one.
template <>
class [[nodiscard]] MaybeType<Failure, void> {
 public:
  using ValueType = void;

  MaybeType() noexcept = default;
  MaybeType(const Failure& failure) : failure_(failure) {}
  MaybeType(Failure&& failure) noexcept : failure_(std::move(failure)) {}

  [[nodiscard]] static MaybeType Success() noexcept {
    MaybeType result;
    result.failed_ = false;
    return result;
  }

  [[nodiscard]] bool IsFailure() const noexcept { return failed_; }
  [[nodiscard]] bool HasValue() const noexcept { return !failed_; }
  explicit operator bool() const noexcept { return !failed_; }

  // The held failure; aborts on success.
  [[nodiscard]] const Failure& GetFailure() const& {
    if (!failed_) MaybeTypeDetail::ReadMissingFailure();
    return failure_;
  }
  [[nodiscard]] Failure&& GetFailure() && {
    if (!failed_) MaybeTypeDetail::ReadMissingFailure();
    return std::move(failure_);
  }
  // The failure's message, or "" on success. Never null.
  [[nodiscard]] const char* Message() const noexcept { return failed_ ? failure_.Message() : ""; }

 private:
  Failure failure_;
  bool failed_ = true;
};

}  // namespace Zarn
