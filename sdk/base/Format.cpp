#include "sdk/base/Format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

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
  spec = FormatSpec{};
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
      buffer[written++] = *p++;
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

// Room for the longest printed number beyond its precision (a double of 1e308 under "%f").
constexpr int64_t kNumberRoom = 512;
// Digits that print any double exactly; a longer precision only adds zeros.
constexpr int64_t kExactDigits = 1100;
constexpr int64_t kFieldLimit = int64_t{1} << 28;

struct Emitter {
  FormatArgContext& context;
  char format[16];
  bool hasWidth;
  bool hasPrecision;
  int width;
  int precision;

  // Hands one value of exactly the type that the conversion names to the bounded printer.
  template <class T>
  std::size_t operator()(T value) const {
    int n;
    char* out = context.output;
    std::size_t room = context.remaining;
    if (hasWidth && hasPrecision) {
      n = std::snprintf(out, room, format, width, precision, value);
    } else if (hasWidth) {
      n = std::snprintf(out, room, format, width, value);
    } else if (hasPrecision) {
      n = std::snprintf(out, room, format, precision, value);
    } else {
      n = std::snprintf(out, room, format, value);
    }
    if (n < 0) return 0;
    return std::min(static_cast<std::size_t>(n), room - 1);
  }
};

std::size_t CopyText(FormatArgContext& context, const char* text, std::size_t length) {
  length = std::min(length, context.remaining - 1);
  std::memcpy(context.output, text, length);
  return length;
}

std::size_t WriteDecimal(FormatArgContext& context, bool negative, uint64_t magnitude) {
  char digits[24];
  char* end = digits + sizeof digits;
  char* p = end;
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) *--p = '-';
  return CopyText(context, p, static_cast<std::size_t>(end - p));
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

// The integer type that a length modifier names, signed or not, as one tag.
enum class IntType { kChar, kShort, kInt, kLong, kLongLong, kMax, kSize, kDiff };

IntType IntTypeOf(const char* length) {
  if (std::strcmp(length, "hh") == 0) return IntType::kChar;
  if (std::strcmp(length, "h") == 0) return IntType::kShort;
  if (std::strcmp(length, "l") == 0) return IntType::kLong;
  if (std::strcmp(length, "ll") == 0 || std::strcmp(length, "L") == 0) return IntType::kLongLong;
  if (std::strcmp(length, "j") == 0) return IntType::kMax;
  if (std::strcmp(length, "z") == 0) return IntType::kSize;
  if (std::strcmp(length, "t") == 0) return IntType::kDiff;
  return IntType::kInt;
}

const char* LengthText(IntType type) {
  static const char* const kTexts[] = {"hh", "h", "", "l", "ll", "j", "z", "t"};
  return kTexts[static_cast<int>(type)];
}

// The value as the signed or unsigned type of `type`, widened back for printing.
int64_t AsSigned(int64_t v, IntType type) {
  switch (type) {
    case IntType::kChar:
      return static_cast<signed char>(v);
    case IntType::kShort:
      return static_cast<short>(v);
    case IntType::kInt:
      return static_cast<int>(v);
    case IntType::kLong:
      return static_cast<long>(v);
    case IntType::kSize:
      return static_cast<SignedSize>(v);
    case IntType::kDiff:
      return static_cast<std::ptrdiff_t>(v);
    default:
      return v;
  }
}

uint64_t AsUnsigned(int64_t v, IntType type) {
  switch (type) {
    case IntType::kChar:
      return static_cast<unsigned char>(v);
    case IntType::kShort:
      return static_cast<unsigned short>(v);
    case IntType::kInt:
      return static_cast<unsigned>(v);
    case IntType::kLong:
      return static_cast<unsigned long>(v);
    case IntType::kSize:
      return static_cast<std::size_t>(v);
    case IntType::kDiff:
      return static_cast<UnsignedDiff>(v);
    default:
      return static_cast<uint64_t>(v);
  }
}

std::size_t EmitSigned(const Emitter& emit, int64_t v, IntType type) {
  switch (type) {
    case IntType::kChar:
    case IntType::kShort:
    case IntType::kInt:
      return emit(static_cast<int>(AsSigned(v, type)));
    case IntType::kLong:
      return emit(static_cast<long>(v));
    case IntType::kLongLong:
      return emit(static_cast<long long>(v));
    case IntType::kMax:
      return emit(static_cast<intmax_t>(v));
    case IntType::kSize:
      return emit(static_cast<SignedSize>(v));
    case IntType::kDiff:
      return emit(static_cast<std::ptrdiff_t>(v));
  }
  return 0;
}

std::size_t EmitUnsigned(const Emitter& emit, int64_t v, IntType type) {
  switch (type) {
    case IntType::kChar:
    case IntType::kShort:
    case IntType::kInt:
      return emit(static_cast<unsigned>(AsUnsigned(v, type)));
    case IntType::kLong:
      return emit(static_cast<unsigned long>(v));
    case IntType::kLongLong:
      return emit(static_cast<unsigned long long>(v));
    case IntType::kMax:
      return emit(static_cast<uintmax_t>(v));
    case IntType::kSize:
      return emit(static_cast<std::size_t>(v));
    case IntType::kDiff:
      return emit(static_cast<UnsignedDiff>(v));
  }
  return 0;
}

// A width or precision as given, or 0 / -1 when absent.
int64_t FieldValue(const FormatArgContext& context, FormatSpec::Field field, int64_t literal,
                   int& star) {
  if (field == FormatSpec::kLiteral) return literal;
  if (field == FormatSpec::kStar) return context.starValues[star++];
  return -1;
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

  const bool isInteger = IsIn(conversion, "diouxX");
  const bool isText = conversion == 's';
  const IntType intType = IntTypeOf(length);
  const bool plain =
      spec.flags == 0 && spec.width == FormatSpec::kAbsent && spec.precision == FormatSpec::kAbsent;
  if (plain) {
    if (isText) return CopyText(context, value.text, value.textLength);
    if (conversion == 'c') {
      char c = static_cast<char>(value.integer);
      return CopyText(context, &c, 1);
    }
    if (conversion == 'd' || conversion == 'i') {
      int64_t v = AsSigned(value.integer, intType);
      return WriteDecimal(context, v < 0,
                          v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v));
    }
    if (conversion == 'u') return WriteDecimal(context, false, AsUnsigned(value.integer, intType));
  }

  // Widths and precisions are clamped to what can still show in the buffer, so that a huge
  // one neither overflows nor makes the platform printer produce what would be cut anyway.
  int star = 0;
  const int64_t room = std::min<int64_t>(static_cast<int64_t>(context.remaining), kFieldLimit);
  int64_t width = FieldValue(context, spec.width, spec.widthValue, star);
  int64_t precision = FieldValue(context, spec.precision, spec.precisionValue, star);
  if (precision >= 0) precision = std::min(precision, room + kExactDigits);
  int64_t ownLength = kNumberRoom + std::max<int64_t>(precision, 0);
  if (isText) {
    int64_t textLength = static_cast<int64_t>(std::min<std::size_t>(value.textLength, kFieldLimit));
    // The text may not be terminated within its length: the precision keeps the printer in it.
    precision = precision < 0 ? textLength : std::min(precision, textLength);
    ownLength = precision;
  }
  const int64_t widthLimit = room + ownLength;
  if (width > widthLimit) width = widthLimit;
  if (width < -widthLimit) width = -widthLimit;

  Emitter emit{context,
               {},
               spec.width != FormatSpec::kAbsent,
               precision >= 0 || isText,
               static_cast<int>(width),
               static_cast<int>(precision)};
  char* f = emit.format;
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
    if (spec.flags & flag.bit) *f++ = flag.c;
  }
  if (emit.hasWidth) *f++ = '*';
  if (emit.hasPrecision) {
    *f++ = '.';
    *f++ = '*';
  }
  const bool longDouble =
      !isInteger && !isText && conversion != 'c' && std::strcmp(length, "L") == 0;
  const char* typedLength = isInteger ? LengthText(intType) : longDouble ? "L" : "";
  for (const char* l = typedLength; *l != '\0'; ++l) *f++ = *l;
  *f++ = conversion;
  *f = '\0';

  if (isText) return emit(value.text);
  if (conversion == 'c') return emit(static_cast<int>(static_cast<char>(value.integer)));
  if (isInteger) {
    const bool isSigned = conversion == 'd' || conversion == 'i';
    return isSigned ? EmitSigned(emit, value.integer, intType)
                    : EmitUnsigned(emit, value.integer, intType);
  }
  if (longDouble) return emit(static_cast<long double>(value.real));
  return emit(value.real);
}

}  // namespace FormatDetail
}  // namespace Zarn
