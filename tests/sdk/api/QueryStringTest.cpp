#include "sdk/api/QueryString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace Zarn {
namespace {

TEST(QueryStringTest, UrlDecode) {
  struct Case {
    std::string_view text;
    std::optional<std::string_view> decoded;  // none: refused
  };
  const Case cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"x%20y", "x y"},
      {"a+b", "a b"},
      {"%2B", "+"},
      {"%41%62", "Ab"},
      {"%2f%2F", "//"},
      {"%FF", "\xff"},
      {"%01z", "\x01z"},
      {"%4", "4"},  // too short: the "%" is dropped
      {"%", ""},    // likewise at the very end
      {"a%", "a"},
      {"%+", " "},       // what follows the dropped "%" is still decoded
      {"%zz1", "%zz1"},  // not hexadecimal: kept as written
      {"%4g", "%4g"},
      {"%%41", "%%41"},
      {"%%", ""},
      {"100%25", "100%"},
      {"%250", "%0"},
      {"%0", "0"},
      {"%0x00", "%0x00"},
      // A NUL would cut the text wherever it is read as a C string.
      {"%00", std::nullopt},
      {"a%00b", std::nullopt},
      {"%00z", std::nullopt},
      {"abc%00", std::nullopt},
      {"%41%00%41", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    const MaybeType<Failure, std::string> decoded = UrlDecode(c.text);
    ASSERT_EQ(decoded.HasValue(), c.decoded.has_value());
    if (c.decoded) {
      EXPECT_EQ(*decoded, *c.decoded);
    }
  }
}

TEST(QueryStringTest, ParseQuery) {
  struct Case {
    std::string_view query;
    TextMap arguments;
    const char* error = nullptr;  // the refusal, instead of `arguments`
  };
  const Case cases[] = {
      {"a=1", {{"a", "1"}}},
      {"a=1&a=2", {{"a", "2"}}},
      {"flag&x=1", {{"flag", ""}, {"x", "1"}}},
      {"=v", {{"", "v"}}},
      {"&&", {{"", ""}}},
      {"", {{"", ""}}},
      {"k=a=b", {{"k", "a=b"}}},
      {"%61%3D=%26", {{"a=", "&"}}},
      {"items.1=x&team=+blue", {{"items.1", "x"}, {"team", " blue"}}},
      {"q=%", {{"q", ""}}},
      {"team=a%00b", {}, "Argument 'team' may not hold a NUL character."},
      {"a=1&team.0=%00", {}, "Argument 'team.0' may not hold a NUL character."},
      {"te%00am=x&a=1", {}, "Argument 'te%00am' may not hold a NUL character."},
      {"%00", {}, "Argument '%00' may not hold a NUL character."},
      {"t%65am=%00", {}, "Argument 'team' may not hold a NUL character."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.query));
    const MaybeType<Failure, TextMap> arguments = ParseQuery(c.query);
    if (c.error != nullptr) {
      ASSERT_TRUE(arguments.IsFailure());
      EXPECT_STREQ(arguments.Message(), c.error);
    } else {
      ASSERT_TRUE(arguments.HasValue()) << arguments.Message();
      EXPECT_EQ(*arguments, c.arguments);
    }
  }
}

// Binding goes through a query's keys in the order they were first written, a repeated key with
// its last value, past the size up to which the map is searched entry by entry and however its
// entries grow the index; copies keep it.
TEST(QueryStringTest, ArgumentsComeInTheOrderWritten) {
  using Entries = std::vector<std::pair<std::string, std::string>>;
  const auto entries = [](const TextMap& map) { return Entries(map.begin(), map.end()); };
  std::mt19937 random(7);
  for (const std::size_t pieces : {1, 2, 8, 9, 10, 16, 17, 33, 100, 3000}) {
    Entries expected;
    std::string query;
    for (std::size_t i = 0; i < pieces; ++i) {
      const std::string key = "a" + std::to_string(random() % pieces);
      const auto earlier = std::find_if(expected.begin(), expected.end(),
                                        [&key](const auto& entry) { return entry.first == key; });
      if (earlier == expected.end()) {
        expected.emplace_back(key, std::to_string(i));
      } else {
        earlier->second = std::to_string(i);
      }
      query += (i == 0 ? "" : "&") + key + "=" + std::to_string(i);
    }
    SCOPED_TRACE(pieces);
    MaybeType<Failure, TextMap> parsed = ParseQuery(query);
    ASSERT_TRUE(parsed.HasValue());
    EXPECT_EQ(entries(*parsed), expected);
    for (const auto& [key, value] : expected) EXPECT_EQ(parsed->at(key), value);
    EXPECT_EQ(parsed->find("b"), parsed->end());
    TextMap copied(*parsed);
    TextMap assigned;
    assigned = copied;
    TextMap moved(std::move(*parsed));
    for (const TextMap* map : {&copied, &assigned, &moved}) {
      EXPECT_EQ(entries(*map), expected);
    }
    // Adding to a copy leaves the original and finds both.
    copied.emplace("b", "new");
    EXPECT_EQ(copied.at("b"), "new");
    EXPECT_EQ(copied.size(), expected.size() + 1);
    EXPECT_EQ(assigned.find("b"), assigned.end());
  }
}

}  // namespace
}  // namespace Zarn
