#include "sdk/base/FormatString.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/sdk/base/FailureTesting.h"

namespace Zarn {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::UnorderedElementsAreArray;

struct Case {
  const char* label;
  const char* templateText;
  std::vector<FailureAttribute> args;
  const char* format;   // the compiled positional format
  const char* message;  // that format filled with the same arguments
  FailureAttributes attributes;
};

TEST(FormatStringTest, CompilesTemplatesAndRecordsAttributes) {
  using A = FailureAttribute;
  const std::vector<Case> cases = {
      {"names",
       "Error for {url}: {error}",
       {A("/a"), A("boom")},
       "Error for %1: %2",
       "Error for /a: boom",
       {{"url", A("/a")}, {"error", A("boom")}}},
      {"doubled braces", "{{literal}}", {}, "{literal}", "{literal}", {}},
      {"closing braces", "a}b}}c", {}, "a}b}c", "a}b}c", {}},
      {"percent kept doubled", "50%% of {n}", {A(3)}, "50%% of %1", "50% of 3", {{"n", A(3)}}},
      {"typed name with suffix kept",
       "{#elapsed_time}",
       {A(5)},
       "%1",
       "5",
       {{"elapsed_time", A(5)}}},
      {"typed bool", "{#count}", {A(true)}, "%1", "true", {{"count_bool", A(true)}}},
      {"typed unsigned", "{#count}", {A(7u)}, "%1", "7", {{"count_int", A(7u)}}},
      {"typed double", "{#ratio}", {A(0.5)}, "%1", "0.5", {{"ratio_float", A(0.5)}}},
      {"typed text", "{#who}", {A("me")}, "%1", "me", {{"who_str", A("me")}}},
      {"typed known suffix",
       "{#addr_ip}",
       {A("1.2.3.4")},
       "%1",
       "1.2.3.4",
       {{"addr_ip", A("1.2.3.4")}}},
      {"typed unknown suffix", "{#a_b}", {A(1)}, "%1", "1", {{"a_b_int", A(1)}}},
      {"silent drops trailing space",
       "head {!x} tail",
       {A("gone")},
       "head tail",
       "head tail",
       {{"x", A("gone")}}},
      {"silent at start", "  {!x}", {A(1)}, "", "", {{"x", A(1)}}},
      {"specification", "{code:08x}", {A(255)}, "%1$08x", "000000ff", {{"code", A(255)}}},
      {"empty specification", "{n:} left", {A(4)}, "%1 left", "4 left", {{"n", A(4)}}},
      {"empty value text", "{reason?none}", {A("")}, "none", "none", {}},
      {"empty value text on zero", "{n?zero}", {A(0)}, "zero", "zero", {}},
      {"empty value text on false", "{b?no}", {A(false)}, "no", "no", {}},
      {"non-empty value with empty text",
       "{reason?none}",
       {A("late")},
       "%1",
       "late",
       {{"reason", A("late")}}},
      {"empty text with percent", "{p?0%}", {A(0)}, "0%%", "0%", {}},
      {"str on int", "{v@str}", {A(42)}, "%1", "42", {{"v", A("42")}}},
      {"str on bool", "{v@str}", {A(false)}, "%1", "false", {{"v", A("false")}}},
      {"str on double", "{v@str}", {A(1.5)}, "%1", "1.5", {{"v", A("1.500000")}}},
      {"str keeps the empty test on its text", "{v?none@str}", {A(0)}, "%1", "0", {{"v", A("0")}}},
      {"hex on int",
       "{v@hex}",
       {A(255)},
       "%1$016llX",
       "00000000000000FF",
       {{"v", A("00000000000000FF")}}},
      {"hex on negative",
       "{v@hex}",
       {A(int64_t{-1})},
       "%1$016llX",
       "FFFFFFFFFFFFFFFF",
       {{"v", A("FFFFFFFFFFFFFFFF")}}},
      {"hex on text is ignored", "{v@hex}", {A("t")}, "%1", "t", {{"v", A("t")}}},
      {"typed hex",
       "{#v@hex}",
       {A(16u)},
       "%1$016llX",
       "0000000000000010",
       {{"v_str", A("0000000000000010")}}},
      {"unknown word", "{v@xyz}", {A(3)}, "%1", "3", {{"v", A(3)}}},
      {"too few arguments",
       "{a} {b} {c}",
       {A("x"), A("y")},
       "%1 %2 ",
       "x y ",
       {{"a", A("x")}, {"b", A("y")}}},
      {"unterminated placeholder", "{a} {b", {A("x"), A("y")}, "%1 ", "x ", {{"a", A("x")}}},
      {"escaped brace in name", "{a\\}b}", {A(1)}, "%1", "1", {{"a}b", A(1)}}},
      {"escape at the end", "x{a\\", {A(1)}, "x", "x", {}},
      {"open brace ignored inside", "{a{b}", {A(1)}, "%1", "1", {{"ab", A(1)}}},
      {"name repeated keeps the last", "{a} {a}", {A(1), A(2)}, "%1 %2", "1 2", {{"a", A(2)}}},
      {"anonymous placeholder", "<{}>", {A(9)}, "<%1>", "<9>", {}},
      {"printf with index",
       "Cannot create custom lobby: %1",
       {A("q")},
       "Cannot create custom lobby: %1",
       "Cannot create custom lobby: q",
       {}},
      {"printf without index",
       "%s and {b}",
       {A("x"), A("y")},
       "%1$s and %2",
       "x and y",
       {{"b", A("y")}}},
      {"printf after a placeholder", "{a} %s", {A("x"), A("y")}, "%1 %2$s", "x y", {{"a", A("x")}}},
      {"printf width", "[%5d]", {A(7)}, "[%1$5d]", "[    7]", {}},
      {"printf beyond the arguments", "a %s b %s", {A("x")}, "a %1$s b ", "a x b ", {}},
      {"special characters outside", "a:b!c?d@e\\f", {}, "a:b!c?d@e\\f", "a:b!c?d@e\\f", {}},
      {"null template", nullptr, {A(1)}, "", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string format;
    FailureAttributes attributes;
    FormatString(c.templateText, c.args.data(), c.args.size(), format, attributes);
    EXPECT_EQ(format, c.format);
    EXPECT_EQ(FormatAttributes(format.c_str(), c.args.data(), c.args.size()), c.message);
    EXPECT_EQ(attributes, c.attributes);
  }
}

TEST(FormatStringTest, AppendsToExistingOutputAndAttributes) {
  const FailureAttribute args[] = {FailureAttribute("v")};
  std::string format = "prefix ";
  FailureAttributes attributes = {{"name", FailureAttribute(1)}, {"old", FailureAttribute(2)}};
  FormatString("{name}", args, 1, format, attributes);
  EXPECT_EQ(format, "prefix %1");
  EXPECT_THAT(attributes, UnorderedElementsAreArray({Pair("name", FailureAttribute("v")),
                                                     Pair("old", FailureAttribute(2))}));
}

TEST(FormatStringTest, AttributeArgumentsPrintByTag) {
  const std::vector<FailureAttribute> args = {
      FailureAttribute(true), FailureAttribute(-3),  FailureAttribute(uint64_t{1} << 63),
      FailureAttribute(0.25), FailureAttribute("t"), FailureAttribute()};
  EXPECT_EQ(FormatAttributes("%1|%2|%3|%4|%5|%6|", args.data(), args.size()),
            "true|-3|9223372036854775808|0.25|t||");
  // Only integer attributes can be "*" widths.
  const std::vector<FailureAttribute> star = {FailureAttribute(4), FailureAttribute(7)};
  EXPECT_EQ(FormatAttributes("[%*d]", star.data(), star.size()), "[   7]");
  const std::vector<FailureAttribute> textStar = {FailureAttribute("4"), FailureAttribute(7)};
  EXPECT_EQ(FormatAttributes("[%*d]", textStar.data(), textStar.size()), "[");
  // More arguments than fit on the stack.
  std::vector<FailureAttribute> many;
  for (int i = 1; i <= 12; ++i) many.emplace_back(i);
  EXPECT_EQ(FormatAttributes("%12 %1 %9", many.data(), many.size()), "12 1 9");
  EXPECT_EQ(FormatAttributes("%1", nullptr, 3), "");
}

}  // namespace
}  // namespace Zarn
