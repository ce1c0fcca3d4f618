#include "sdk/base/LogMessage.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "sdk/base/LogLine.h"
#include "sdk/base/Utf8.h"

namespace Zarn {
namespace {

// Whether the character of valid UTF-8 of `length` bytes that `text` begins with is written
// escaped: a C1 control (U+0080 to U+009F), or a Unicode line end that many log readers split
// lines at, U+2028 or U+2029 (U+0085 is a C1 control).
bool IsEscapedCharacter(std::string_view text, std::size_t length) noexcept {
  const auto second = static_cast<unsigned char>(text[1]);
  if (length == 2) return text[0] == '\xC2' && second <= 0x9F;
  return length == 3 && text[0] == '\xE2' && second == 0x80 &&
         (text[2] == '\xA8' || text[2] == '\xA9');
}

// Where the first byte of `text` from `from` on that is written escaped lies: a control byte, the
// first of an escaped character, or a byte that is no part of valid UTF-8; text.size() for none.
std::size_t FindEscape(std::string_view text, std::size_t from) noexcept {
  const char* const end = text.data() + text.size();
  const char* next = text.data() + from;
  for (;;) {
    // Printable ASCII, most of what is logged: one comparison a byte.
    while (next != end && static_cast<unsigned char>(*next - 0x20) < 0x5F) ++next;
    if (next == end || static_cast<unsigned char>(*next) < 0x80) break;
    const std::string_view rest(next, static_cast<std::size_t>(end - next));
    const std::size_t length = Utf8CharacterLength(rest);
    if (length == 0 || IsEscapedCharacter(rest, length)) break;
    next += length;
  }
  return static_cast<std::size_t>(next - text.data());
}

// Where the message goes: room for `room` characters and the terminator.
class Output {
 public:
  Output(char* buffer, std::uint32_t size) noexcept : next_(buffer), room_(size - 1) {}

  [[nodiscard]] bool Full() const noexcept { return room_ == 0; }
  void Put(char c) noexcept {
    if (room_ == 0) return;
    *next_++ = c;
    --room_;
  }
  // A text that does not fit is cut where a character ends, and nothing follows it.
  void Put(std::string_view text) noexcept {
    const bool fits = text.size() <= room_;
    const std::size_t count = fits ? text.size() : Utf8CharacterBoundary(text.data(), room_);
    std::memcpy(next_, text.data(), count);
    next_ += count;
    room_ = fits ? room_ - count : 0;
  }
  // `text` with its control bytes, C1 controls, Unicode line ends and bytes that are no part of
  // valid UTF-8 escaped; runs of other characters copied whole.
  void PutEscaped(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && room_ != 0) {
      const std::size_t escape = FindEscape(text, i);
      Put(text.substr(i, escape - i));
      if (escape == text.size()) return;
      const std::size_t length = Utf8CharacterLength(text.substr(escape));
      if (length < 2) {
        PutEscapedByte(text[escape]);
        i = escape + 1;
      } else {
        PutEscapedCharacter(text.substr(escape, length));
        i = escape + length;
      }
    }
  }
  // One conversion written by the C library: `spec` with the "*" values fetched for it and the
  // value itself.
  template <typename T>
  void Convert(const char* spec, const int* stars, int starCount, T value) noexcept {
    const std::size_t space = room_ + 1;
    int written = 0;
    if (starCount == 0) {
      written = std::snprintf(next_, space, spec, value);
    } else if (starCount == 1) {
      written = std::snprintf(next_, space, spec, stars[0], value);
    } else {
      written = std::snprintf(next_, space, spec, stars[0], stars[1], value);
    }
    if (written < 0) {
      *next_ = '\0';
      return;
    }
    const bool fits = static_cast<std::size_t>(written) <= room_;
    // Cut by the C library: where a character ends, as Put cuts.
    next_ += fits ? static_cast<std::size_t>(written) : Utf8CharacterBoundary(next_, room_);
    room_ = fits ? room_ - written : 0;
  }
  void Terminate() noexcept { *next_ = '\0'; }

 private:
  // A control byte, or a byte that is no part of valid UTF-8.
  void PutEscapedByte(char c) noexcept {
    static constexpr char kHex[] = "0123456789ABCDEF";
    Put('\\');
    switch (c) {
      case '\n':
        Put('n');
        break;
      case '\r':
        Put('r');
        break;
      case '\t':
        Put('t');
        break;
      default:
        Put('x');
        Put(kHex[static_cast<unsigned char>(c) >> 4]);
        Put(kHex[c & 0xF]);
    }
  }
  // A character of two or three bytes as "\u" and its code point in four hexadecimal digits.
  void PutEscapedCharacter(std::string_view utf8) noexcept {
    static constexpr char kHex[] = "0123456789abcdef";
    const auto byte = [utf8](std::size_t i) { return static_cast<unsigned>(utf8[i]) & 0x3F; };
    const unsigned codePoint = utf8.size() == 2 ? (byte(0) & 0x1F) << 6 | byte(1)
                                                : (byte(0) & 0x0F) << 12 | byte(1) << 6 | byte(2);
    Put("\\u");
    for (int shift = 12; shift >= 0; shift -= 4) Put(kHex[(codePoint >> shift) & 0xF]);
  }

  char* next_;
  std::size_t room_;
};

enum class Length { kNone, kChar, kShort, kLong, kLongLong, kMax, kSize, kPtrdiff, kLongDouble };

bool IsFlag(char c) noexcept {
  return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0' || c == '\'';
}
bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

Length ReadLength(const char*& p) noexcept {
  switch (*p) {
    case 'h':
      ++p;
      if (*p == 'h') {
        ++p;
        return Length::kChar;
      }
      return Length::kShort;
    case 'l':
      ++p;
      if (*p == 'l') {
        ++p;
        return Length::kLongLong;
      }
      return Length::kLong;
    case 'q':
      ++p;
      return Length::kLongLong;
    case 'j':
      ++p;
      return Length::kMax;
    case 'z':
      ++p;
      return Length::kSize;
    case 't':
      ++p;
      return Length::kPtrdiff;
    case 'L':
      ++p;
      return Length::kLongDouble;
    default:
      return Length::kNone;
  }
}

// The integer argument of a "d" or "i" conversion (`isSigned`) or of "o", "u", "x", "X", read
// at its promoted type and written by the C library.
void ConvertInteger(Output& out, const char* spec, const int* stars, int starCount, Length length,
                    bool isSigned, va_list& arguments) noexcept {
  switch (length) {
    case Length::kLong:
      if (isSigned) return out.Convert(spec, stars, starCount, va_arg(arguments, long));
      return out.Convert(spec, stars, starCount, va_arg(arguments, unsigned long));
    case Length::kLongLong:
      if (isSigned) return out.Convert(spec, stars, starCount, va_arg(arguments, long long));
      return out.Convert(spec, stars, starCount, va_arg(arguments, unsigned long long));
    case Length::kMax:
      if (isSigned) return out.Convert(spec, stars, starCount, va_arg(arguments, std::intmax_t));
      return out.Convert(spec, stars, starCount, va_arg(arguments, std::uintmax_t));
    case Length::kSize:
      if (isSigned) {
        return out.Convert(spec, stars, starCount,
                           va_arg(arguments, std::make_signed_t<std::size_t>));
      }
      return out.Convert(spec, stars, starCount, va_arg(arguments, std::size_t));
    case Length::kPtrdiff:
      return out.Convert(spec, stars, starCount, va_arg(arguments, std::ptrdiff_t));
    default:  // char and short arrive promoted to int
      if (isSigned) return out.Convert(spec, stars, starCount, va_arg(arguments, int));
      return out.Convert(spec, stars, starCount, va_arg(arguments, unsigned int));
  }
}

// A "%s" text: escaped, at most `precision` bytes of it (when given), then padded to the width by
// the C library with the flags and width of `spec` (the precision left out).
void ConvertText(Output& out, std::string_view spec, const int* stars, int starCount,
                 bool hasPrecision, const char* text) noexcept {
  if (text == nullptr) text = "(null)";
  int precision = -1;
  int starsLeft = starCount;
  if (hasPrecision) {
    // The precision's "*" is the last one fetched; a "*" width comes before it.
    const std::size_t dot = spec.find('.');
    if (spec.substr(dot + 1).starts_with('*')) {
      precision = stars[--starsLeft];
    } else {
      precision = 0;
      for (std::size_t i = dot + 1; i < spec.size() && IsDigit(spec[i]); ++i) {
        precision = precision * 10 + (spec[i] - '0');
      }
    }
  }
  const std::size_t length =
      precision >= 0 ? strnlen(text, static_cast<std::size_t>(precision)) : std::strlen(text);
  if (spec == "%s") {
    out.PutEscaped(std::string_view(text, length));
    return;
  }
  char escaped[kLogLineBufferSize];
  Output into(escaped, sizeof escaped);
  into.PutEscaped(std::string_view(text, length));
  into.Terminate();
  // The flags and width, then "s".
  char padded[64];
  const std::size_t end = hasPrecision ? spec.find('.') : spec.size() - 1;
  if (end + 2 > sizeof padded) return;
  std::memcpy(padded, spec.data(), end);
  padded[end] = 's';
  padded[end + 1] = '\0';
  out.Convert(padded, stars, starsLeft, static_cast<const char*>(escaped));
}

}  // namespace

void FormatLogMessage(char* buffer, std::uint32_t size, const char* format,
                      va_list arguments) noexcept {
  if (size == 0) return;
  // A copy that the helpers can take by reference, whatever va_list is on this platform.
  va_list args;
  va_copy(args, arguments);
  Output out(buffer, size);
  const char* p = format;
  while (*p != '\0' && !out.Full()) {
    if (*p != '%') {
      const char* run = p;
      while (*p != '\0' && *p != '%') ++p;
      out.Put(std::string_view(run, static_cast<std::size_t>(p - run)));
      continue;
    }
    const char* spec = p++;
    if (*p == '%') {
      out.Put('%');
      ++p;
      continue;
    }
    int stars[2] = {0, 0};
    int starCount = 0;
    while (IsFlag(*p)) ++p;
    if (*p == '*') {
      stars[starCount++] = va_arg(args, int);
      ++p;
    } else {
      while (IsDigit(*p)) ++p;
      if (*p == '$') break;  // an argument by position: the rest cannot be read in order
    }
    const bool hasPrecision = *p == '.';
    if (hasPrecision) {
      ++p;
      if (*p == '*') {
        stars[starCount++] = va_arg(args, int);
        ++p;
      } else {
        while (IsDigit(*p)) ++p;
      }
    }
    const Length length = ReadLength(p);
    const char conversion = *p;
    if (conversion == '\0') break;
    ++p;
    const std::string_view specText(spec, static_cast<std::size_t>(p - spec));
    char specCopy[64];
    if (specText.size() >= sizeof specCopy) break;
    std::memcpy(specCopy, specText.data(), specText.size());
    specCopy[specText.size()] = '\0';
    switch (conversion) {
      case 'd':
      case 'i':
        ConvertInteger(out, specCopy, stars, starCount, length, true, args);
        break;
      case 'o':
      case 'u':
      case 'x':
      case 'X':
        ConvertInteger(out, specCopy, stars, starCount, length, false, args);
        break;
      case 'c':
        out.Convert(specCopy, stars, starCount, va_arg(args, int));
        break;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        if (length == Length::kLongDouble) {
          out.Convert(specCopy, stars, starCount, va_arg(args, long double));
        } else {
          out.Convert(specCopy, stars, starCount, va_arg(args, double));
        }
        break;
      case 'p':
        out.Convert(specCopy, stars, starCount, va_arg(args, void*));
        break;
      case 's':
        if (length == Length::kLong) {
          out.Convert(specCopy, stars, starCount, va_arg(args, const wchar_t*));
        } else {
          ConvertText(out, specText, stars, starCount, hasPrecision, va_arg(args, const char*));
        }
        break;
      case 'n':
        static_cast<void>(va_arg(args, void*));
        break;
      default:
        p = "";  // unknown to the C library: nothing more can be read safely
    }
  }
  out.Terminate();
  va_end(args);
}

}  // namespace Zarn
