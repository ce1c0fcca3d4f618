#include "sdk/base/Format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Zarn {
namespace {

constexpr uint64_t kSaturated = uint64_t{1} << 40;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a run of decimal digits, saturating far above any count or width.
const char* ReadNumber(const char* p, uint64_t& number) {
  number = 0;
  for (; IsDigit(*p); ++p)
    number = std::min(number * 10 + static_cast<uint64_t>(*p - '0'), kSaturated);
  return p;
}

uint32_t ToIndex(uint64_t number) {
  return number == 0 || number > 0xFFFFFFF0u ? FormatSpec::kBadIndex
                                             : static_cast<uint32_t>(number);
}

bool Collect(FormatSpec& spec, char c) {
  if (spec.textLength >= FormatSpec::kMaxText) return false;
  spec.text[spec.textLength++] = c;
  spec.text[spec.textLength] = '\0';
  return true;
}

// A width or precision: "*" with an optional "N$", or digits. Returns null when too long.
const char* ReadField(const char* p, FormatSpec& spec, FormatSpec::Field& field, int64_t& value,
                      uint32_t& index) {
  if (*p == '*') {
    if (!Collect(spec, '*')) return nullptr;
    field = FormatSpec::kStar;
    ++p;
    uint64_t number;
    const char* after = ReadNumber(p, number);
    if (after != p && *after == '$') {
      index = ToIndex(number);
      p = after + 1;
    }
    return p;
  }
  if (!IsDigit(*p)) return p;
  field = FormatSpec::kLiteral;
  uint64_t number = 0;
  for (; IsDigit(*p); ++p) {
    if (!Collect(spec, *p)) return nullptr;
    number = std::min(number * 10 + static_cast<uint64_t>(*p - '0'), kSaturated);
  }
  value = static_cast<int64_t>(number);
  return p;
}

}  // namespace

const char* ReadFormatSpec(const char* start, std::size_t count, FormatSpec& spec) {
  spec.text[0] = '%';
  spec.text[1] = '\0';
  spec.textLength = 1;
  spec.index = 0;
  spec.flags = 0;
  spec.width = spec.precision = FormatSpec::kAbsent;
  spec.widthValue = spec.precisionValue = 0;
  spec.widthIndex = spec.precisionIndex = 0;
  spec.lengthModifier[0] = spec.lengthModifier[1] = '\0';
  spec.conversion = '\0';
  const char* p = start;
  if (*p >= '1' && *p <= '9') {
    uint64_t number;
    const char* after = ReadNumber(p, number);
    if (number <= count) {
      spec.index = static_cast<uint32_t>(number);
      if (*after != '$') return after;  // "%N": the default form, the rest is text
      p = after + 1;
    }
    // Otherwise the digits are a width, read below.
  }
  for (;; ++p) {
    uint8_t flag = 0;
    switch (*p) {
      case '-':
        flag = FormatSpec::kMinus;
        break;
      case '+':
        flag = FormatSpec::kPlus;
        break;
      case ' ':
        flag = FormatSpec::kSpace;
        break;
      case '#':
        flag = FormatSpec::kHash;
        break;
      case '0':
        flag = FormatSpec::kZero;
        break;
      default:
        break;
    }
    if (flag == 0) break;
    if (!Collect(spec, *p)) return nullptr;
    spec.flags |= flag;
  }
  p = ReadField(p, spec, spec.width, spec.widthValue, spec.widthIndex);
  if (p == nullptr) return nullptr;
  if (*p == '.') {
    if (!Collect(spec, '.')) return nullptr;
    ++p;
    if (*p == '-') ++p;
    p = ReadField(p, spec, spec.precision, spec.precisionValue, spec.precisionIndex);
    if (p == nullptr) return nullptr;
    // A point without digits is a precision of 0.
    if (spec.precision == FormatSpec::kAbsent) spec.precision = FormatSpec::kLiteral;
  }
  std::size_t lengthSize = 0;
  if (*p == 'L' || *p == 'j' || *p == 't' || *p == 'z') {
    spec.lengthModifier[lengthSize++] = *p++;
  } else if (*p == 'h' || *p == 'l') {
    spec.lengthModifier[lengthSize++] = *p++;
    if (*p == spec.lengthModifier[0]) spec.lengthModifier[lengthSize++] = *p++;
  }
  for (std::size_t i = 0; i < lengthSize; ++i) {
    if (!Collect(spec, spec.lengthModifier[i])) return nullptr;
  }
  if (*p != '\0') {
    if (!Collect(spec, *p)) return nullptr;
    spec.conversion = *p++;
  }
  return p;
}

std::size_t FormatToBuffer(char* buffer, std::size_t size, const char* format,
                           const FormatArgDescriptor* descriptors, const void* const* values,
                           std::size_t count) {
  if (buffer == nullptr || size == 0) return 0;
  if (descriptors == nullptr || values == nullptr) count = 0;
  std::size_t written = 0;
  std::size_t next = 1;  // the argument of the next conversion without a number
  const char* p = format != nullptr ? format : "";
  FormatArgContext context;
  while (*p != '\0' && written < size - 1) {
    if (*p != '%') {
      const char* run = std::strchr(p, '%');
      std::size_t length = run != nullptr ? static_cast<std::size_t>(run - p) : std::strlen(p);
      length = std::min(length, size - 1 - written);
      std::memcpy(buffer + written, p, length);
      written += length;
      p += length;
      continue;
    }
    if (p[1] == '%') {
      buffer[written++] = '%';
      p += 2;
      continue;
    }
    p = ReadFormatSpec(p + 1, count, context.spec);
    if (p == nullptr) break;
    const FormatSpec& spec = context.spec;
    context.starCount = 0;
    bool ok = true;
    auto fetchStar = [&](uint32_t explicitIndex) {
      std::size_t index = explicitIndex != 0 ? explicitIndex : next++;
      if (index > count || !descriptors[index - 1].isInteger) return false;
      context.starValues[context.starCount++] = descriptors[index - 1].integer(values[index - 1]);
      return true;
    };
    if (spec.width == FormatSpec::kStar) ok = fetchStar(spec.widthIndex);
    if (ok && spec.precision == FormatSpec::kStar) ok = fetchStar(spec.precisionIndex);
    std::size_t index = spec.index != 0 ? spec.index : next++;
    if (!ok || index > count) break;
    context.output = buffer + written;
    context.written = written;
    context.remaining = size - written;
    context.value = values[index - 1];
    written += std::min(descriptors[index - 1].format(context), context.remaining - 1);
  }
  buffer[written] = '\0';
  return written;
}

std::string FormatToString(const char* format, const FormatArgDescriptor* descriptors,
                           const void* const* values, std::size_t count) {
  char buffer[4096];
  std::size_t length = FormatToBuffer(buffer, sizeof buffer, format, descriptors, values, count);
  return std::string(buffer, length);
}

namespace FormatDetail {
namespace {

using SignedSize = std::make_signed_t<std::size_t>;
using UnsignedDiff = std::make_unsigned_t<std::ptrdiff_t>;

// Digits that print any double exactly; a longer precision only adds zeros.
constexpr int64_t kExactDigits = 1100;
// Room for the longest double beyond its precision (1e308 under "%f").
constexpr int64_t kNumberRoom = 512;
constexpr int64_t kFieldLimit = int64_t{1} << 28;

// The part of the caller's buffer that one conversion may fill; writes beyond it are dropped.
class Sink {
 public:
  explicit Sink(FormatArgContext& context) : out_(context.output), room_(context.remaining - 1) {}

  void Put(const char* text, std::size_t length) {
    length = std::min(length, room_ - used_);
    std::memcpy(out_ + used_, text, length);
    used_ += length;
  }
  void Fill(char c, int64_t count) {
    if (count <= 0) return;
    std::size_t length =
        std::min(static_cast<std::size_t>(std::min<int64_t>(count, kFieldLimit)), room_ - used_);
    std::memset(out_ + used_, c, length);
    used_ += length;
  }
  [[nodiscard]] std::size_t Used() const { return used_; }

 private:
  char* out_;
  std::size_t room_;
  std::size_t used_ = 0;
};

// A conversion's flags, width and precision once "*" values are applied; -1 when absent.
struct Layout {
  uint8_t flags;
  int64_t width;
  int64_t precision;
};

Layout LayoutOf(const FormatArgContext& context) {
  const FormatSpec& spec = context.spec;
  Layout layout{spec.flags, -1, -1};
  int star = 0;
  if (spec.width == FormatSpec::kLiteral) layout.width = spec.widthValue;
  if (spec.width == FormatSpec::kStar) {
    layout.width = context.starValues[star++];
    // A negative "*" width is a "-" flag and the magnitude.
    if (layout.width < 0) {
      layout.flags |= FormatSpec::kMinus;
      layout.width = -layout.width;
    }
  }
  if (spec.precision == FormatSpec::kLiteral) layout.precision = spec.precisionValue;
  // A negative "*" precision counts as absent.
  if (spec.precision == FormatSpec::kStar)
    layout.precision = std::max(context.starValues[star], -1);
  return layout;
}

std::size_t WritePadded(FormatArgContext& context, const Layout& layout, const char* text,
                        std::size_t length) {
  Sink sink(context);
  const int64_t pad = layout.width - static_cast<int64_t>(length);
  if ((layout.flags & FormatSpec::kMinus) == 0) sink.Fill(' ', pad);
  sink.Put(text, length);
  if ((layout.flags & FormatSpec::kMinus) != 0) sink.Fill(' ', pad);
  return sink.Used();
}

// An integer conversion (d i u o x X) with the C library's rules for flags and fields.
std::size_t WriteInteger(FormatArgContext& context, Layout layout, char conversion, bool negative,
                         uint64_t magnitude) {
  const bool isSigned = conversion == 'd' || conversion == 'i';
  const unsigned base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
  const char* digitSet = conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char digits[24];
  int count = 0;
  if (!(layout.precision == 0 && magnitude == 0)) {
    // Constant divisors, so that no digit costs a hardware division.
    auto emit = [&](auto divisor) {
      do {
        digits[sizeof digits - 1 - count++] = digitSet[magnitude % divisor];
        magnitude /= divisor;
      } while (magnitude != 0);
    };
    if (base == 10) {
      emit(std::integral_constant<uint64_t, 10>());
    } else if (base == 16) {
      emit(std::integral_constant<uint64_t, 16>());
    } else {
      emit(std::integral_constant<uint64_t, 8>());
    }
  }
  const char* first = digits + sizeof digits - count;
  char sign = '\0';
  if (isSigned) {
    if (negative) {
      sign = '-';
    } else if (layout.flags & FormatSpec::kPlus) {
      sign = '+';
    } else if (layout.flags & FormatSpec::kSpace) {
      sign = ' ';
    }
  }
  // Zero padding applies only when no precision was given.
  const bool zeroPad = (layout.flags & FormatSpec::kMinus) == 0 &&
                       (layout.flags & FormatSpec::kZero) != 0 && layout.precision < 0;
  const char* prefix = "";
  if (layout.flags & FormatSpec::kHash) {
    if (base == 16 && count > 0 && !(count == 1 && *first == '0')) {
      prefix = conversion == 'X' ? "0X" : "0x";
    } else if (base == 8 && (count == 0 || *first != '0')) {
      // The alternative octal form starts with a zero.
      layout.precision = std::max<int64_t>(layout.precision, count + 1);
    }
  }
  const std::size_t prefixLength = std::strlen(prefix);
  int64_t zeros = std::max<int64_t>(layout.precision - count, 0);
  const int64_t body = (sign ? 1 : 0) + static_cast<int64_t>(prefixLength) + zeros + count;
  int64_t pad = std::max<int64_t>(layout.width - body, 0);
  const bool left = (layout.flags & FormatSpec::kMinus) != 0;
  if (zeroPad) {
    zeros += pad;
    pad = 0;
  }
  Sink sink(context);
  if (!left) sink.Fill(' ', pad);
  if (sign) sink.Put(&sign, 1);
  sink.Put(prefix, prefixLength);
  sink.Fill('0', zeros);
  sink.Put(first, static_cast<std::size_t>(count));
  if (left) sink.Fill(' ', pad);
  return sink.Used();
}

// Hands one floating-point value of exactly the type that the conversion names to the bounded
// platform printer.
template <class T>
std::size_t WriteFloating(FormatArgContext& context, const Layout& layout, const char* length,
                          char conversion, T value) {
  // Fields are clamped to what can still show in the buffer: a huge one neither overflows the
  // printer's int nor makes it produce what would be cut anyway.
  const int64_t room = std::min<int64_t>(static_cast<int64_t>(context.remaining), kFieldLimit);
  const int precision = static_cast<int>(std::min(layout.precision, room + kExactDigits));
  const int width =
      static_cast<int>(std::min(layout.width, room + kNumberRoom + std::max(precision, 0)));
  char format[16];
  char* f = format;
  *f++ = '%';
  static constexpr struct {
    uint8_t bit;
    char c;
  } kFlags[] = {{FormatSpec::kMinus, '-'},
                {FormatSpec::kPlus, '+'},
                {FormatSpec::kSpace, ' '},
                {FormatSpec::kHash, '#'},
                {FormatSpec::kZero, '0'}};
  for (const auto& flag : kFlags) {
    if (layout.flags & flag.bit) *f++ = flag.c;
  }
  *f++ = '*';
  *f++ = '.';
  *f++ = '*';
  for (; *length != '\0'; ++length) *f++ = *length;
  *f++ = conversion;
  *f = '\0';
  // A negative precision is absent; a width of 0 is none.
  const int n = std::snprintf(context.output, context.remaining, format, std::max(width, 0),
                              precision, value);
  if (n < 0) return 0;
  return std::min(static_cast<std::size_t>(n), context.remaining - 1);
}

bool IsIn(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

const char* AllowedConversions(Kind kind) {
  switch (kind) {
    case Kind::kInt32:
    case Kind::kInt64:
      return "dciouxX";
    case Kind::kUInt32:
    case Kind::kUInt64:
      return "ucdioxX";
    case Kind::kChar:
      return "cdiouxX";
    case Kind::kDouble:
      return "gaefGAEF";
    default:
      return "s";
  }
}

// The value as the integer type that a length modifier names for the conversion, widened
// back to 64 bits: "%d" keeps the low 32 bits of a 64-bit value, "%hhu" the low 8.
int64_t AsSigned(int64_t v, const char* length) {
  if (std::strcmp(length, "hh") == 0) return static_cast<signed char>(v);
  if (std::strcmp(length, "h") == 0) return static_cast<short>(v);
  if (std::strcmp(length, "l") == 0) return static_cast<long>(v);
  if (std::strcmp(length, "z") == 0) return static_cast<SignedSize>(v);
  if (std::strcmp(length, "t") == 0) return static_cast<std::ptrdiff_t>(v);
  if (std::strcmp(length, "ll") == 0 || std::strcmp(length, "L") == 0 ||
      std::strcmp(length, "j") == 0) {
    return v;
  }
  return static_cast<int>(v);
}

uint64_t AsUnsigned(int64_t v, const char* length) {
  if (std::strcmp(length, "hh") == 0) return static_cast<unsigned char>(v);
  if (std::strcmp(length, "h") == 0) return static_cast<unsigned short>(v);
  if (std::strcmp(length, "l") == 0) return static_cast<unsigned long>(v);
  if (std::strcmp(length, "z") == 0) return static_cast<std::size_t>(v);
  if (std::strcmp(length, "t") == 0) return static_cast<UnsignedDiff>(v);
  if (std::strcmp(length, "ll") == 0 || std::strcmp(length, "L") == 0 ||
      std::strcmp(length, "j") == 0) {
    return static_cast<uint64_t>(v);
  }
  return static_cast<unsigned>(v);
}

}  // namespace

Value TextValue(const char* text) {
  if (text == nullptr) text = "(null)";
  return {.kind = Kind::kText, .text = text, .textLength = std::strlen(text)};
}

Value ArrayValue(const char* array, std::size_t size) {
  const void* end = std::memchr(array, '\0', size);
  std::size_t length =
      end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - array) : size;
  return {.kind = Kind::kText, .text = array, .textLength = length};
}

std::size_t PrintValue(FormatArgContext& context, const Value& value) {
  const FormatSpec& spec = context.spec;
  // "%n" would write through an argument; it prints nothing instead.
  if (spec.conversion == 'n') return 0;
  const char* allowed = AllowedConversions(value.kind);
  const bool wide = value.kind == Kind::kInt64 || value.kind == Kind::kUInt64;
  char conversion = allowed[0];
  const char* length = spec.IsBare() && wide ? "ll" : spec.lengthModifier;
  if (!spec.IsBare() && IsIn(spec.conversion, allowed)) conversion = spec.conversion;
  const Layout layout = LayoutOf(context);

  if (conversion == 's') {
    std::size_t textLength = value.textLength;
    if (layout.precision >= 0) {
      textLength = std::min(
          textLength, static_cast<std::size_t>(std::min<int64_t>(layout.precision, kFieldLimit)));
    }
    return WritePadded(context, layout, value.text, textLength);
  }
  if (conversion == 'c') {
    const char c = static_cast<char>(value.integer);
    return WritePadded(context, layout, &c, 1);
  }
  if (conversion == 'd' || conversion == 'i') {
    const int64_t v = AsSigned(value.integer, length);
    const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    return WriteInteger(context, layout, conversion, v < 0, magnitude);
  }
  if (IsIn(conversion, "ouxX")) {
    return WriteInteger(context, layout, conversion, false, AsUnsigned(value.integer, length));
  }
  if (std::strcmp(length, "L") == 0) {
    return WriteFloating(context, layout, "L", conversion, static_cast<long double>(value.real));
  }
  return WriteFloating(context, layout, "", conversion, value.real);
}

}  // namespace FormatDetail
}  // namespace Zarn
