#include "sdk/base/Format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace Zarn {
namespace {

struct Case {
  const char* label;
  std::string actual;
  std::string expected;
};

void CheckAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.actual, c.expected);
  }
}

TEST(FormatTest, PositionalAndInOrderConversions) {
  const std::string text = "x";
  CheckAll({
      {"positions in order", Format("%1 and %2", 7, text), "7 and x"},
      {"positions swapped", Format("%2 %1", 7, text), "x 7"},
      {"percent", Format("100%%"), "100%"},
      {"no arguments", Format("plain text"), "plain text"},
      {"indexed spec", Format("%1$05d", 42), "00042"},
      {"string conversion on int keeps int", Format("%1$s", 42), "42"},
      {"number above count is a width", Format("%5d", 3), "    3"},
      {"text after a bare index", Format("%1s", "ab"), "abs"},
      {"bare index with more arguments", Format("%1s", "ab", 1, 2), "abs"},
      {"star width", Format("%*d", 6, 42), "    42"},
      {"star width and precision", Format("%*.*f", 8, 2, 3.14159), "    3.14"},
      {"indexed star", Format("%1$*2$d", 42, 6), "    42"},
      {"negative star width justifies left", Format("%*d|", -4, 7), "7   |"},
      {"negative star precision is absent", Format("%.*f", -1, 1.5), "1.500000"},
      {"missing argument ends output", Format("%d and %d", 7), "7 and "},
      {"number above count with two arguments", Format("%3d", 7, 8), "  7"},
      {"explicit index does not move the counter", Format("%2$d %d %d", 1, 2), "2 1 2"},
      {"index zero is a flag", Format("%05d", 42), "00042"},
      {"format ends after percent", Format("end %", 9), "end 9"},
      {"dash after the point is dropped", Format("%.-3d", 5), "005"},
  });
}

TEST(FormatTest, ArgumentKindsAndConversions) {
  const std::string object = "obj";
  const char array[6] = "arr";
  const char unterminated[3] = {'a', 'b', 'c'};
  const char* null = nullptr;
  const int64_t wide = 0x100000005LL;
  CheckAll({
      {"double default", Format("%1", 2.5), "2.5"},
      {"double precision", Format("%1$.2f", 3.14159), "3.14"},
      {"double under d uses g", Format("%1$d", 0.5), "0.5"},
      {"double exponent", Format("%1$.1e", 12345.0), "1.2e+04"},
      {"long double length", Format("%Lf", 1.5), "1.500000"},
      {"int64 default prints all bits", Format("%1", wide), "4294967301"},
      {"int64 under d prints low 32 bits", Format("%1$5d", wide), "    5"},
      {"int64 under llX", Format("%1$016llX", int64_t{0x1234}), "0000000000001234"},
      {"negative int64", Format("%1", int64_t{-9000000000}), "-9000000000"},
      {"uint64 max", Format("%1", UINT64_MAX), "18446744073709551615"},
      {"uint64 hex", Format("%1$llx", uint64_t{0xABCDEF012345}), "abcdef012345"},
      {"int32 widened by ll", Format("%1$lld", -5), "-5"},
      {"int32 narrowed by hh", Format("%1$hhd", 300), "44"},
      {"int32 under size length", Format("%zu", 7), "7"},
      {"int32 under j", Format("%jd", -7), "-7"},
      {"int32 negative under u", Format("%u", -1), "4294967295"},
      {"uint32 default", Format("%1", 4000000000u), "4000000000"},
      {"uint32 hex with prefix", Format("%1$#X", 255u), "0XFF"},
      {"uint32 plus flag", Format("%+d", 5u), "+5"},
      {"int32 under c", Format("%c", 65), "A"},
      {"int32 octal", Format("%o", 8), "10"},
      {"short widened", Format("%1", static_cast<short>(-3)), "-3"},
      {"char default", Format("%1", 'A'), "A"},
      {"char as number", Format("%1$d", 'A'), "65"},
      {"char width", Format("%3c", 'A'), "  A"},
      {"string under d", Format("%d", "text"), "text"},
      {"string width", Format("%-5s|", "ab"), "ab   |"},
      {"string precision", Format("%.2s", "abcdef"), "ab"},
      {"wide string length ignored", Format("%ls", "abc"), "abc"},
      {"string object", Format("<%1>", object), "<obj>"},
      {"character array", Format("<%1>", array), "<arr>"},
      {"unterminated array stops at its end", Format("<%1>", unterminated), "<abc>"},
      {"unterminated array with width", Format("%5s", unterminated), "  abc"},
      {"null text", Format("%1", null), "(null)"},
      {"n prints nothing", Format("a%nb", 5), "ab"},
      {"unknown conversion uses the default", Format("%q", 5), "5"},
  });
}

TEST(FormatTest, OutputIsCutAndBounded) {
  const std::string long5000(5000, 'y');
  std::string cut = Format("%1", long5000);
  EXPECT_EQ(cut, std::string(4095, 'y'));
  EXPECT_EQ(Format("ab%1", long5000).size(), 4095u);

  struct Huge {
    const char* label;
    std::string actual;
    std::string prefix;
  };
  const std::vector<Huge> huge = {
      {"huge literal width", Format("%999999999999999999999d", 5), std::string(4095, ' ')},
      {"huge left width", Format("%-99999999999d|", 5), "5    "},
      {"huge star width", Format("%*d", 2147483647, 5), std::string(4095, ' ')},
      {"most negative star width", Format("%*d|", INT32_MIN, 5), "5    "},
      {"huge precision on double", Format("%.999999999f", 1.0), "1.000000"},
      {"huge precision on int", Format("%.99999999d", 7), "0000000"},
      {"huge precision on text", Format("%.99999999s", "abc"), "abc"},
      {"huge index is a width", Format("%99999999999999999999$d", 5), std::string(4095, ' ')},
  };
  for (const Huge& h : huge) {
    SCOPED_TRACE(h.label);
    EXPECT_LE(h.actual.size(), 4095u);
    EXPECT_EQ(h.actual.substr(0, h.prefix.size()), h.prefix);
  }

  // More than 59 characters of specification end the formatting.
  const std::string tooLong = "a%" + std::string(58, '0') + "d b";
  EXPECT_EQ(Format(tooLong.c_str(), 5), "a");
  const std::string fits = "a%" + std::string(57, '0') + "d b";
  EXPECT_EQ(Format(fits.c_str(), 5), "a5 b");
}

TEST(FormatTest, NonIntegerStarEndsOutput) {
  EXPECT_EQ(Format("a%*db", "x", 5), "a");
  EXPECT_EQ(Format("a%.*fb", 2.0, 1.0), "a");
  EXPECT_EQ(Format("a%*3$db", 5, 6), "a");
}

TEST(FormatTest, FormatToBufferRespectsTheBufferSize) {
  const int number = 12345;
  const char* text = "hello";
  const FormatArgDescriptor descriptors[] = {kFormatArgDescriptor<int>,
                                             kFormatArgDescriptor<const char*>};
  const void* values[] = {&number, &text};
  struct Sized {
    std::size_t size;
    const char* format;
    const char* expected;
  };
  const Sized cases[] = {
      {1, "abc", ""},         {4, "abcdef", "abc"}, {4, "%2", "hel"},
      {4, "%1", "123"},       {4, "%1$8d", "   "},  {4, "%2$-8s", "hel"},
      {6, "a%%b%1", "a%b12"}, {3, "%1$.1f", "12"},  {16, "%2 %1", "hello 12345"},
      {2, "%1$c", "\x39"},    {5, "%1$x", "3039"},
  };
  for (const Sized& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " in " + std::to_string(c.size));
    // A heap block of exactly `size` bytes, so that the sanitizer sees any overrun.
    std::vector<char> buffer(c.size, '#');
    std::size_t n = FormatToBuffer(buffer.data(), c.size, c.format, descriptors, values, 2);
    EXPECT_EQ(std::string(buffer.data(), n), c.expected);
    EXPECT_EQ(buffer[n], '\0');
  }
  char untouched = '#';
  EXPECT_EQ(FormatToBuffer(&untouched, 0, "abc", descriptors, values, 2), 0u);
  EXPECT_EQ(untouched, '#');
  char small[8];
  EXPECT_EQ(FormatToBuffer(small, sizeof small, nullptr, nullptr, nullptr, 0), 0u);
  EXPECT_EQ(FormatToBuffer(small, sizeof small, "%1", nullptr, nullptr, 3), 0u);
}

// A type with its own callback, printed through a nested positional format.
struct Version {
  int major, minor, patch;
};

std::size_t PrintVersion(FormatArgContext& context) {
  const auto* v = static_cast<const Version*>(context.value);
  const FormatArgDescriptor descriptors[] = {kFormatArgDescriptor<int>, kFormatArgDescriptor<int>,
                                             kFormatArgDescriptor<int>};
  const void* values[] = {&v->major, &v->minor, &v->patch};
  return FormatToBuffer(context.output, context.remaining, "%1.%2.%3", descriptors, values, 3);
}

TEST(FormatTest, CustomDescriptorsPrintThemselves) {
  const Version version{18, 0, 1};
  const int other = 7;
  const FormatArgDescriptor descriptors[] = {{&PrintVersion, nullptr, false},
                                             kFormatArgDescriptor<int>};
  const void* values[] = {&version, &other};
  EXPECT_EQ(FormatToString("api %1 (%2)", descriptors, values, 2), "api 18.0.1 (7)");
  char buffer[6];
  EXPECT_EQ(FormatToBuffer(buffer, sizeof buffer, "v%1!", descriptors, values, 2), 5u);
  EXPECT_STREQ(buffer, "v18.0");
  // A non-integer custom argument cannot be a "*" width.
  EXPECT_EQ(FormatToString("[%*1$d]", descriptors, values, 2), "[");
}

TEST(FormatTest, ReadFormatSpecCollectsTheSpecification) {
  struct SpecCase {
    const char* input;  // after the "%"
    std::size_t count;
    const char* text;
    uint32_t index;
    char conversion;
    std::size_t consumed;
  };
  const SpecCase cases[] = {
      {"1$-08.3lld", 1, "%-08.3lld", 1, 'd', 10},
      {"2x", 3, "%", 2, '\0', 1},
      {"12d", 3, "%12d", 0, 'd', 3},
      {"*3$.*2$f", 3, "%*.*f", 0, 'f', 8},
      {"hhu", 0, "%hhu", 0, 'u', 3},
      {"", 0, "%", 0, '\0', 0},
      {"Lg", 0, "%Lg", 0, 'g', 2},
      {"zd", 0, "%zd", 0, 'd', 2},
  };
  for (const SpecCase& c : cases) {
    SCOPED_TRACE(c.input);
    FormatSpec spec;
    const char* end = ReadFormatSpec(c.input, c.count, spec);
    ASSERT_NE(end, nullptr);
    EXPECT_STREQ(spec.text, c.text);
    EXPECT_EQ(spec.index, c.index);
    EXPECT_EQ(spec.conversion, c.conversion);
    EXPECT_EQ(static_cast<std::size_t>(end - c.input), c.consumed);
  }
  FormatSpec spec;
  ASSERT_NE(ReadFormatSpec("*3$.*2$f", 3, spec), nullptr);
  EXPECT_EQ(spec.widthIndex, 3u);
  EXPECT_EQ(spec.precisionIndex, 2u);
  ASSERT_NE(ReadFormatSpec("*0$d", 3, spec), nullptr);
  EXPECT_EQ(spec.widthIndex, FormatSpec::kBadIndex);
}

// Random formats built from the characters that matter, into buffers of every small size: the
// output stays inside the buffer and is terminated.
TEST(FormatTest, RandomFormatsStayInsideTheBuffer) {
  const char alphabet[] = "%%%$*.-+ #0123456789hlLjztqdiuoxXcsfgeanp{}";
  std::mt19937 random(20261207);
  const int64_t wide = -1234567890123LL;
  const double real = 3.5;
  const char* text = "text";
  const char c = 'c';
  const FormatArgDescriptor descriptors[] = {
      kFormatArgDescriptor<int>, kFormatArgDescriptor<int64_t>, kFormatArgDescriptor<double>,
      kFormatArgDescriptor<const char*>, kFormatArgDescriptor<char>};
  const int number = 77;
  const void* values[] = {&number, &wide, &real, &text, &c};
  for (int round = 0; round < 4000; ++round) {
    std::string format;
    const int length = static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) format += alphabet[random() % (sizeof alphabet - 1)];
    const std::size_t size = 1 + random() % 40;
    std::vector<char> buffer(size);
    std::size_t count = random() % 6;
    std::size_t n = FormatToBuffer(buffer.data(), size, format.c_str(), descriptors, values, count);
    ASSERT_LT(n, size) << format;
    ASSERT_EQ(buffer[n], '\0') << format;
  }
}

}  // namespace
}  // namespace Zarn

namespace Zarn {
namespace {

// Integers, texts and characters are printed without the C library; for every combination of
// flags, fields, length and conversion they must match what snprintf prints for the same
// specification given a value of the type that it names.
TEST(FormatTest, IntegerTextAndCharMatchTheCLibrary) {
  std::mt19937 random(7);
  const char* const flagSets[] = {"", "-", "+", " ", "#", "0", "-0", "+0", "#0", "- #", "+ "};
  const char* const widths[] = {"", "1", "5", "12", "30"};
  const char* const precisions[] = {"", ".", ".0", ".1", ".3", ".25"};
  const char* const lengths[] = {"", "hh", "h", "l", "ll", "j", "z", "t"};
  const int64_t values[] = {0,
                            1,
                            -1,
                            7,
                            -42,
                            255,
                            65535,
                            2147483647,
                            -2147483647 - 1,
                            4294967296LL,
                            INT64_MAX,
                            INT64_MIN,
                            0x123456789ABCLL};
  for (int round = 0; round < 20000; ++round) {
    std::string spec = std::string(flagSets[random() % std::size(flagSets)]) +
                       widths[random() % std::size(widths)] +
                       precisions[random() % std::size(precisions)];
    const std::string length = lengths[random() % std::size(lengths)];
    const char conversion = "diouxX"[random() % 6];
    spec += length + conversion;
    const int64_t v = values[random() % std::size(values)];
    char expected[128];
    const std::string printf = "%" + spec;
    const bool isSigned = conversion == 'd' || conversion == 'i';
    if (length == "hh" || length == "h" || length.empty()) {
      if (isSigned) {
        const int narrowed = length == "hh"  ? static_cast<signed char>(v)
                             : length == "h" ? static_cast<short>(v)
                                             : static_cast<int>(v);
        std::snprintf(expected, sizeof expected, printf.c_str(), narrowed);
      } else {
        const unsigned narrowed = length == "hh"  ? static_cast<unsigned char>(v)
                                  : length == "h" ? static_cast<unsigned short>(v)
                                                  : static_cast<unsigned>(v);
        std::snprintf(expected, sizeof expected, printf.c_str(), narrowed);
      }
    } else if (length == "l") {
      if (isSigned) {
        std::snprintf(expected, sizeof expected, printf.c_str(), static_cast<long>(v));
      } else {
        std::snprintf(expected, sizeof expected, printf.c_str(), static_cast<unsigned long>(v));
      }
    } else if (length == "z" || length == "t") {
      if (isSigned) {
        std::snprintf(expected, sizeof expected, printf.c_str(), static_cast<std::ptrdiff_t>(v));
      } else {
        std::snprintf(expected, sizeof expected, printf.c_str(), static_cast<std::size_t>(v));
      }
    } else if (isSigned) {
      std::snprintf(expected, sizeof expected, printf.c_str(), static_cast<long long>(v));
    } else {
      std::snprintf(expected, sizeof expected, printf.c_str(), static_cast<unsigned long long>(v));
    }
    const std::string positional = "%1$" + spec;
    ASSERT_EQ(Format(positional.c_str(), v), expected) << printf << " with " << v;
  }
  for (const char* flags : flagSets) {
    for (const char* width : widths) {
      for (const char* precision : precisions) {
        const std::string text = std::string("%") + flags + width + precision + "s";
        char expected[64];
        std::snprintf(expected, sizeof expected, text.c_str(), "word");
        // The C library leaves "0" on a text undefined; we pad texts with spaces.
        if (std::strchr(flags, '0') == nullptr) {
          EXPECT_EQ(Format(("%1$" + text.substr(1)).c_str(), "word"), expected) << text;
        }
        const std::string character = std::string("%") + flags + width + "c";
        if (std::strchr(flags, '0') == nullptr && std::strchr(flags, '#') == nullptr) {
          std::snprintf(expected, sizeof expected, character.c_str(), 'q');
          EXPECT_EQ(Format(("%1$" + character.substr(1)).c_str(), 'q'), expected) << character;
        }
      }
    }
  }
}

}  // namespace
}  // namespace Zarn
