#include "sdk/binding/YamlText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "sdk/binding/JsonText.h"
#include "tests/sdk/binding/BindingPropertyTesting.h"

namespace Zarn {
namespace {

using Testing::Describe;

std::string Read(const std::string& yaml) {
  const BindingResult result = ParseYamlText(yaml);
  if (!result.IsOk()) return "error: " + std::string(result.ErrorMessage());
  return Describe(result.Value());
}

std::string Convert(const char* tag, const char* text, bool quoted, const char* before = nullptr) {
  BindingResult result;
  if (before != nullptr) result.Value().SetString(before);
  ConvertYamlScalar(result, result.Value(), tag, text, std::char_traits<char>::length(text),
                    quoted);
  if (!result.IsOk()) return "error: " + std::string(result.ErrorMessage());
  return Describe(result.Value());
}

TEST(YamlTextTest, TypesScalarsByTagOrContent) {
  const struct {
    const char* tag;
    const char* text;
    bool quoted;
    const char* expected;
  } cases[] = {
      {nullptr, "", false, "null"},
      {nullptr, "~", false, "null"},
      {nullptr, "null", false, "null"},
      {nullptr, "Null", false, "null"},
      {nullptr, "NULL", false, "null"},
      {nullptr, "nULL", false, "\"nULL\""},
      {nullptr, "", true, "\"\""},
      {nullptr, "null", true, "\"null\""},
      {nullptr, "0", false, "u:0"},
      {nullptr, "1", false, "u:1"},
      {nullptr, "+7", false, "u:7"},
      {nullptr, "-1", false, "i:-1"},
      {nullptr, "010", false, "u:10"},
      {nullptr, "-010", false, "i:-10"},
      {nullptr, "12345678901234567891", false, "u:12345678901234567891"},
      {nullptr, "18446744073709551615", false, "u:18446744073709551615"},
      {nullptr, "18446744073709551616", false, "f:18446744073709551616.000000"},
      {nullptr, "-9223372036854775808", false, "i:-9223372036854775808"},
      {nullptr, "-9223372036854775809", false, "f:-9223372036854775808.000000"},
      {nullptr, "1.5", false, "f:1.500000"},
      {nullptr, "-0.25", false, "f:-0.250000"},
      {nullptr, "1.0", false, "u:1"},
      {nullptr, "1e3", false, "u:1000"},
      {nullptr, "-2e2", false, "i:-200"},
      {nullptr, "1e20", false, "f:100000000000000000000.000000"},
      {nullptr, "1e400", false, "\"1e400\""},
      {nullptr, "-1e400", false, "\"-1e400\""},
      {nullptr, "nan", false, "\"nan\""},
      {nullptr, ".inf", false, "\".inf\""},
      {nullptr, "1_000", false, "\"1_000\""},
      {nullptr, "12abc", false, "\"12abc\""},
      {nullptr, "1", true, "\"1\""},
      {nullptr, "true", false, "true"},
      {nullptr, "True", false, "true"},
      {nullptr, "yes", false, "true"},
      {nullptr, "Y", false, "true"},
      {nullptr, "ON", false, "true"},
      {nullptr, "false", false, "false"},
      {nullptr, "n", false, "false"},
      {nullptr, "Off", false, "false"},
      {nullptr, "yes", true, "\"yes\""},
      {nullptr, "tRUE", false, "\"tRUE\""},
      {nullptr, "hello world", false, "\"hello world\""},
      {"tag:yaml.org,2002:str", "1", false, "\"1\""},
      {"tag:yaml.org,2002:str", "", false, "\"\""},
      {"tag:yaml.org,2002:int", "42", false, "u:42"},
      {"tag:yaml.org,2002:int", "-42", false, "i:-42"},
      {"tag:yaml.org,2002:int", "0x10", false, "u:16"},
      {"tag:yaml.org,2002:int", "abc", false,
       "error: Value abc for 'yaml' of type uint64_t is in an incorrect format"},
      {"tag:yaml.org,2002:int", "-99999999999999999999", false,
       "error: Value -99999999999999999999 for 'yaml' of type int64_t is out of range"},
      {"tag:yaml.org,2002:float", "2.5", false, "f:2.500000"},
      {"tag:yaml.org,2002:float", "7", false, "f:7.000000"},
      {"tag:yaml.org,2002:float", "1e999", false,
       "error: Value 1e999 for 'yaml' of type double is out of range"},
      {"tag:yaml.org,2002:bool", "yes", false, "true"},
      {"tag:yaml.org,2002:bool", "OFF", false, "false"},
      {"tag:yaml.org,2002:bool", "maybe", false, "null"},
      {"tag:yaml.org,2002:null", "~", false,
       "error: Unsupported YAML tag 'tag:yaml.org,2002:null'."},
      {"!custom", "x", false, "error: Unsupported YAML tag '!custom'."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.tag ? c.tag : "-") + " [" + c.text + "]" +
                 (c.quoted ? " quoted" : ""));
    EXPECT_EQ(Convert(c.tag, c.text, c.quoted), c.expected);
  }
  // A bool tag on a word that is no bool leaves the target as it was.
  EXPECT_EQ(Convert("tag:yaml.org,2002:bool", "maybe", false, "kept"), "\"kept\"");
}

// Documents libyaml accepts read into the value their JSON equivalent gives.
TEST(YamlTextTest, ReadsLikeItsJsonEquivalent) {
  const struct {
    const char* yaml;
    const char* json;
  } cases[] = {
      {"a: 1", R"({"a": 1})"},
      {"a: -1\nb: 1.5\nc: true\nd: null\ne: text",
       R"({"a":-1,"b":1.5,"c":true,"d":null,"e":"text"})"},
      {"- 1\n- two\n- [3, 4]\n- {five: 5}", R"([1, "two", [3, 4], {"five": 5}])"},
      {"[1, [2, [3, []]], {}]", "[1, [2, [3, []]], {}]"},
      {"{a: {b: {c: [x, z]}}}", R"({"a": {"b": {"c": ["x", "z"]}}})"},
      {"outer:\n  inner:\n    - a: 1\n      b: 2\n    - c\n  empty: []\n",
       R"({"outer": {"inner": [{"a": 1, "b": 2}, "c"], "empty": []}})"},
      {"text: |\n  line one\n  line two\n", R"({"text": "line one\nline two\n"})"},
      {"text: >\n  folded\n  lines\n", R"({"text": "folded lines\n"})"},
      {"text: |-\n  kept\n", R"({"text": "kept"})"},
      {"plain: a\n  continued", R"({"plain": "a continued"})"},
      {"q: \"tab\\there \\u00e9\"", "{\"q\": \"tab\\there \\u00e9\"}"},
      {"q: 'it''s'", R"({"q": "it's"})"},
      {"big: 12345678901234567891\nneg: -9223372036854775808",
       R"({"big": 12345678901234567891, "neg": -9223372036854775808})"},
      {"[18446744073709551616, -9223372036854775809, 100000000000000000000000]",
       "[18446744073709551616, -9223372036854775809, 100000000000000000000000]"},
      {"f: 0.1\ng: -2.5e-3", R"({"f": 0.1, "g": -2.5e-3})"},
      {"base: &b {x: 1, y: [1, 2]}\ncopy: *b",
       R"({"base": {"x": 1, "y": [1, 2]}, "copy": {"x": 1, "y": [1, 2]}})"},
      {"- &s hello\n- *s\n- *s", R"(["hello", "hello", "hello"])"},
      {"? &k key\n: *k", R"({"key": "key"})"},
      {"--- \n{\"json\": [true, false, null]}\n...\n", R"({"json": [true, false, null]})"},
      {"# only a comment\nvalue: 1 # trailing\n", R"({"value": 1})"},
      {"!!str 5", R"("5")"},
      {"'quoted scalar'", R"("quoted scalar")"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.yaml);
    const BindingResult fromYaml = ParseYamlText(c.yaml);
    ASSERT_TRUE(fromYaml.IsOk()) << fromYaml.ErrorMessage();
    const BindingResult fromJson = ParseJsonText(c.json);
    ASSERT_TRUE(fromJson.IsOk()) << fromJson.ErrorMessage();
    EXPECT_EQ(Describe(fromYaml.Value()), Describe(fromJson.Value()));
  }
}

TEST(YamlTextTest, DiffersFromJsonWhereYamlDecides) {
  const struct {
    const char* yaml;
    const char* expected;
  } cases[] = {
      {"[y, n, yes, no, on, off]", "[true,false,true,false,true,false]"},
      {"[.inf, 1_000, 0x10, 010]", "[\".inf\",\"1_000\",u:16,u:10]"},
      {"a: 1\na: [2]\n", "{a:[u:2]}"},
      {"a: [1, 2]\na: {b: 1}\n", "{a:{b:u:1}}"},
      {"a: {b: 1}\na: 3\n", "{a:u:3}"},
      {"a: 1\na: !!bool maybe\n", "{a:u:1}"},
      {"a: 1\na: ~\n", "{a:null}"},
      {"!!seq [1]", "[u:1]"},
      {"!!map {a: !!str 1}", "{a:\"1\"}"},
      {"!!str a: 1", "{a:u:1}"},
      // A first document without content does not make a second one fail.
      {"---\n--- 5\n", "u:5"},
      {"--- ~\n--- [1]\n", "[u:1]"},
      {"--- !!bool maybe\n--- x\n", "\"x\""},
      // An alias may stand as a key: a key anchor or a plain scalar gives its text.
      {"&k a: 1\n*k : 2\n", "{a:u:2}"},
      {"x: &v 7\n*v : seven\n", "{7:\"seven\",x:u:7}"},
      // An anchor whose node a repeated key replaced finds the new node by its path.
      {"a: &x 1\na: 2\nb: *x\n", "{a:u:2,b:u:2}"},
      {"a: &x [1, &y 2]\na: 3\nb: *y\n", "{a:u:3,b:null}"},
      // The anchored node may lie inside the member that the alias replaces.
      {"a: {b: &x [1]}\na: *x\n", "{a:[u:1]}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.yaml);
    EXPECT_EQ(Read(c.yaml), c.expected);
  }
}

TEST(YamlTextTest, ReportsFailuresWithLineAndColumn) {
  const struct {
    const char* yaml;
    const char* message;
  } cases[] = {
      {"--- 1\n--- 2\n", "Multi-document YAML is not supported."},
      {"a: 1\n---\nb: 2\n", "Multi-document YAML is not supported."},
      {"---\n- a\n---\n", "Multi-document YAML is not supported."},
      {"a: 1\n!!int 2: b\n",
       "Invalid mapping key. Only string scalar keys are allowed. At line: 2 col: 1"},
      {"{x: 1, !!bool y: 2}",
       "Invalid mapping key. Only string scalar keys are allowed. At line: 1 col: 8"},
      {"? [a]\n: 1\n", "Unexpected start of sequence. At line: 1 col: 3"},
      {"? {a: 1}\n: 1\n", "Unexpected start of mapping. At line: 1 col: 3"},
      {"a: &x\n  b: *x\n", "Cannot deserialize cyclic aliases. Alias \"x\". At line: 2 col: 6"},
      {"&r [1, [*r]]", "Cannot deserialize cyclic aliases. Alias \"r\". At line: 1 col: 9"},
      {"a: *nope\n", "Undefined alias encountered: \"nope\". At line: 1 col: 4"},
      {"*k : 1\n", "Undefined alias encountered: \"k\". At line: 1 col: 1"},
      {"a: &x 1\nb: &x 2\n", "Duplicate occurrence of anchor \"x\". At line: 2 col: 4"},
      {"&x a: 1\nb: &x [2]\n", "Duplicate occurrence of anchor \"x\". At line: 2 col: 4"},
      {"a: !!float abc\n", "Value abc for 'yaml' of type double is in an incorrect format"},
      {"a: !foo x\n", "Unsupported YAML tag '!foo'."},
      {"a: [1, 2\n", "YAML parser error: did not find expected ',' or ']'. At line: 1 col: 0"},
      {"a: b: c\n",
       "YAML parser error: mapping values are not allowed in this context. "
       "At line: 0 col: 4"},
      {"\t- a\n",
       "YAML parser error: found character that cannot start any token. "
       "At line: 0 col: 0"},
      // After a repeated key, the path of an anchor can lead to the alias's own container.
      {"a: &x 1\na: [*x]\n", "Cannot deserialize cyclic aliases. Alias \"x\". At line: 2 col: 5"},
      {"a: &x 1\na: *x\n", "Cannot deserialize cyclic aliases. Alias \"x\". At line: 2 col: 4"},
      {"a: &x 1\na: {b: {c: *x}}\n",
       "Cannot deserialize cyclic aliases. Alias \"x\". At line: 2 col: 12"},
      // An alias of a container cannot stand as a key.
      {"m: &m {a: 1}\n*m : 2\n",
       "Invalid mapping key. Only string scalar keys are allowed. At line: 2 col: 1"},
      {"t: &t !!int 5\n*t : 2\n",
       "Invalid mapping key. Only string scalar keys are allowed. At line: 2 col: 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.yaml);
    const BindingResult result = ParseYamlText(c.yaml);
    EXPECT_FALSE(result.IsOk());
    EXPECT_EQ(result.ErrorMessage(), c.message);
    // Nothing partial is kept.
    EXPECT_EQ(result.Value().Size(), 1u);
  }
}

std::string Nested(int levels, const std::string& inner = "1") {
  return std::string(levels, '[') + inner + std::string(levels, ']');
}

TEST(YamlTextTest, NestingIsCappedAt512LevelsAliasCopiesIncluded) {
  const BindingResult deepest = ParseYamlText(Nested(512));
  ASSERT_TRUE(deepest.IsOk()) << deepest.ErrorMessage();
  const BindingProperty* node = &deepest.Value();
  for (int level = 0; level < 512; ++level) node = &node->At(0);
  EXPECT_EQ(node->GetUint64(), 1u);

  EXPECT_EQ(ParseYamlText(Nested(513)).ErrorMessage(),
            "Maximum nesting depth of 512 exceeded. At line: 1 col: 513");
  EXPECT_EQ(ParseYamlText(Nested(100000)).ErrorMessage(),
            "Maximum nesting depth of 512 exceeded. At line: 1 col: 513");

  // 300 levels under an anchor, copied 300 levels down: 601 in all.
  const std::string deep = "- &d " + Nested(300) + "\n- " + Nested(299, "*d") + "\n";
  EXPECT_EQ(ParseYamlText(deep).ErrorMessage(),
            "Maximum nesting depth of 512 exceeded. At line: 2 col: 302");
  // The same copy 200 levels down fits.
  const std::string fits = "- &d " + Nested(300) + "\n- " + Nested(199, "*d") + "\n";
  EXPECT_TRUE(ParseYamlText(fits).IsOk());
}

TEST(YamlTextTest, AliasExpansionHasABudget) {
  std::string laughs = "a: &a [lol, lol, lol, lol, lol, lol, lol, lol, lol]\n";
  const char names[] = "abcdefghij";
  for (int level = 1; level < 10; ++level) {
    const std::string prev(1, names[level - 1]);
    laughs += std::string(1, names[level]) + ": &" + names[level] + " [";
    for (int i = 0; i < 9; ++i) laughs += (i ? ", *" : "*") + prev;
    laughs += "]\n";
  }
  const auto start = std::chrono::steady_clock::now();
  const BindingResult result = ParseYamlText(laughs);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(result.ErrorMessage(), "Alias expansion limit exceeded. At line: 6 col: 8");
  EXPECT_LT(elapsed, std::chrono::seconds(5));

  // Many small copies within the budget are fine.
  std::string many = "x: &x [1, 2, 3, 4]\ncopies:\n";
  for (int i = 0; i < 1000; ++i) many += "  - *x\n";
  const BindingResult within = ParseYamlText(many);
  ASSERT_TRUE(within.IsOk()) << within.ErrorMessage();
  EXPECT_EQ(within.Value().FindMember("copies").Size(), 1000u);
}

TEST(YamlTextTest, RecognisesDocumentStartsAndJson) {
  const struct {
    const char* text;
    bool yaml;
    bool json;
  } cases[] = {
      {"---", true, false},    {"   --- a", true, false}, {"--", false, false},
      {"\t---", false, false}, {"a: ---", false, false},  {"{", false, true},
      {"  [1]", false, true},  {"\n[1]", false, false},   {"", false, false},
      {"   ", false, false},   {"x{", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsYamlDocumentStart(c.text), c.yaml);
    EXPECT_EQ(LooksLikeJson(c.text), c.json);
  }
  EXPECT_FALSE(IsYamlDocumentStart(nullptr));
  EXPECT_FALSE(LooksLikeJson(nullptr));
}

}  // namespace
}  // namespace Zarn
