// The positional formatter: printf-like, but an argument may be named by its position ("%1",
// "%2$05d") and every argument carries a descriptor that knows how to print its own type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace Zarn {

// One conversion specification as read from a format.
struct FormatSpec {
  enum Flag : uint8_t {
    kMinus = 1,
    kPlus = 2,
    kSpace = 4,
    kHash = 8,
    kZero = 16,
  };
  enum Field : uint8_t { kAbsent, kLiteral, kStar };
  static constexpr std::size_t kMaxText = 59;
  // Argument numbers above every possible count, so that they always fail the count check.
  static constexpr uint32_t kBadIndex = 0xFFFFFFFFu;

  // The collected text: "%", flags, width, precision, length modifier and conversion. An
  // explicit argument number and the "N$" of a "*" are not collected. Always terminated.
  char text[kMaxText + 1] = {'%', '\0'};
  std::size_t textLength = 1;
  uint32_t index = 0;  // explicit argument number; 0 takes the next one in order
  uint8_t flags = 0;   // Flag bits
  Field width = kAbsent;
  Field precision = kAbsent;
  int64_t widthValue = 0;  // literal digits, saturated
  int64_t precisionValue = 0;
  uint32_t widthIndex = 0;  // argument of a "*N$" width; 0 in order
  uint32_t precisionIndex = 0;
  char lengthModifier[3] = {};
  char conversion = '\0';  // '\0' when the format ended before one

  // "%N" without "$", or a "%" that ended the format: the argument prints in its default form.
  [[nodiscard]] bool IsBare() const { return textLength == 1; }
};

// Reads one conversion specification. `start` points just after the "%"; `count` is the
// number of arguments (a leading number above it is a width, not an argument number). Returns
// the position after the conversion, or null when the text would exceed
// FormatSpec::kMaxText characters.
[[nodiscard]] const char* ReadFormatSpec(const char* start, std::size_t count, FormatSpec& spec);

// What a descriptor's format callback receives for one conversion.
struct FormatArgContext {
  char* output = nullptr;          // where this conversion writes
  std::size_t written = 0;         // characters already in the buffer
  std::size_t remaining = 0;       // space left, including the terminator's; at least 2
  FormatSpec spec;                 // the conversion as written
  const void* value = nullptr;     // the argument
  int32_t starValues[2] = {0, 0};  // "*" width, then "*" precision, as present
  int starCount = 0;
};

// A format callback writes at most `remaining - 1` characters at `output` (it may write the
// terminator after them) and returns how many it wrote; filling the space ends the formatting.
using FormatArgCallback = std::size_t (*)(FormatArgContext& context);
// Returns the argument as a signed 32-bit value, for "*" widths and precisions.
using FormatArgIntegerCallback = int32_t (*)(const void* value);

struct FormatArgDescriptor {
  FormatArgCallback format;
  FormatArgIntegerCallback integer;  // may be null when `isInteger` is false
  bool isInteger;
};

// Formats into `buffer` (`size` bytes) and returns the number of characters written, at most
// size - 1; the buffer is always terminated unless `size` is 0. `descriptors[i]` describes the
// value at `values[i]`; both arrays hold `count` entries. A conversion that names a missing
// argument, or a "*" on a missing or non-integer one, ends the output there. Never allocates.
std::size_t FormatToBuffer(char* buffer, std::size_t size, const char* format,
                           const FormatArgDescriptor* descriptors, const void* const* values,
                           std::size_t count);

// FormatToBuffer into a 4096-byte stack buffer, returned as a string of at most 4095 characters.
[[nodiscard]] std::string FormatToString(const char* format, const FormatArgDescriptor* descriptors,
                                         const void* const* values, std::size_t count);

// ---- descriptors of the built-in argument types ----

namespace FormatDetail {

enum class Kind : uint8_t { kInt32, kUInt32, kInt64, kUInt64, kChar, kDouble, kText };

// An argument reduced to what the shared printer needs.
struct Value {
  Kind kind;
  int64_t integer = 0;  // every integer kind, sign- or zero-extended
  double real = 0;
  const char* text = nullptr;
  std::size_t textLength = 0;  // characters of `text` that may be read
};

// The shared printer of every built-in kind.
std::size_t PrintValue(FormatArgContext& context, const Value& value);

template <class T>
struct Traits;

template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool> &&
         !std::is_same_v<T, char>) struct Traits<T> {
  static constexpr Kind kKind = sizeof(T) > 4
                                    ? (std::is_signed_v<T> ? Kind::kInt64 : Kind::kUInt64)
                                    : (std::is_signed_v<T> ? Kind::kInt32 : Kind::kUInt32);
  static constexpr bool kIsInteger = true;
  static Value Get(const T& v) { return {.kind = kKind, .integer = static_cast<int64_t>(v)}; }
};

template <>
struct Traits<char> {
  static constexpr bool kIsInteger = true;
  static Value Get(char v) { return {.kind = Kind::kChar, .integer = static_cast<signed char>(v)}; }
};

template <class T>
requires std::is_floating_point_v<T>
struct Traits<T> {
  static constexpr bool kIsInteger = false;
  static Value Get(const T& v) { return {.kind = Kind::kDouble, .real = static_cast<double>(v)}; }
};

Value TextValue(const char* text);  // a null text prints as "(null)"

template <>
struct Traits<const char*> {
  static constexpr bool kIsInteger = false;
  static Value Get(const char* v) { return TextValue(v); }
};
template <>
struct Traits<char*> : Traits<const char*> {};

template <>
struct Traits<std::string> {
  static constexpr bool kIsInteger = false;
  static Value Get(const std::string& v) {
    return {.kind = Kind::kText, .text = v.c_str(), .textLength = v.size()};
  }
};

// A character array prints the text it holds, up to its terminator or its end.
Value ArrayValue(const char* array, std::size_t size);
template <std::size_t N>
struct Traits<char[N]> {
  static constexpr bool kIsInteger = false;
  static Value Get(const char (&v)[N]) { return ArrayValue(v, N); }
};

template <class T>
std::size_t Print(FormatArgContext& context) {
  return PrintValue(context, Traits<T>::Get(*static_cast<const T*>(context.value)));
}

template <class T>
int32_t IntegerOf(const void* value) {
  // Low 32 bits of wider integers.
  return static_cast<int32_t>(
      static_cast<uint32_t>(Traits<T>::Get(*static_cast<const T*>(value)).integer));
}

template <class T>
using Bare = std::remove_cv_t<std::remove_reference_t<T>>;

}  // namespace FormatDetail

// The descriptor of a built-in argument type: 32- and 64-bit integers (and narrower ones),
// char, floating point, C strings, std::string and character arrays.
template <class T>
inline constexpr FormatArgDescriptor kFormatArgDescriptor = {
    &FormatDetail::Print<T>,
    FormatDetail::Traits<T>::kIsInteger ? &FormatDetail::IntegerOf<T> : nullptr,
    FormatDetail::Traits<T>::kIsInteger};

template <class... Args>
inline constexpr FormatArgDescriptor kFormatArgTable[] = {
    kFormatArgDescriptor<FormatDetail::Bare<Args>>...};

// Formats `format` with the arguments into a string of at most 4095 characters.
// Example: Format("Error requesting %1 for %2: %3", path, summonerId, error).
template <class... Args>
[[nodiscard]] std::string Format(const char* format, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return FormatToString(format, nullptr, nullptr, 0);
  } else {
    const void* const values[] = {static_cast<const void*>(&args)...};
    return FormatToString(format, kFormatArgTable<Args...>, values, sizeof...(Args));
  }
}

}  // namespace Zarn
