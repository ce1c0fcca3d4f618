#include "sdk/api/QueryString.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sdk/base/Fnv1aTesting.h"

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

// Binding goes through a query's keys in the order the standard library's map of the same hash
// gave them, and so names the same bad key, also where many keys share a hash; copies keep it.
TEST(QueryStringTest, ArgumentsComeInTheStandardMapsOrder) {
  using Entries = std::vector<std::pair<std::string, std::string>>;
  const auto entries = [](const auto& map) { return Entries(map.begin(), map.end()); };
  const std::vector<std::string> colliding = Testing::CollidingKeys("k", 8);
  ASSERT_EQ(colliding.size(), 256u);
  for (const std::string& key : colliding) ASSERT_EQ(Fnv1a32(key), Fnv1a32(colliding[0])) << key;
  std::mt19937 random(7);
  for (int round = 0; round < 12; ++round) {
    const std::size_t pieces = 1 + random() % 3000;
    std::unordered_map<std::string, std::string, Fnv1aStringHash, std::equal_to<>> expected;
    std::string query;
    for (std::size_t i = 0; i < pieces; ++i) {
      const std::string key = random() % 4 == 0 ? colliding[random() % colliding.size()]
                                                : "a" + std::to_string(random() % pieces);
      expected.insert_or_assign(key, std::to_string(i));
      query += (i == 0 ? "" : "&") + key + "=" + std::to_string(i);
    }
    SCOPED_TRACE(pieces);
    MaybeType<Failure, TextMap> parsed = ParseQuery(query);
    ASSERT_TRUE(parsed.HasValue());
    EXPECT_EQ(entries(*parsed), entries(expected));
    TextMap copied(*parsed);
    TextMap assigned;
    assigned = copied;
    TextMap moved(std::move(*parsed));
    for (const TextMap* map : {&copied, &assigned, &moved}) {
      EXPECT_EQ(entries(*map), entries(expected));
    }
  }
}

}  // namespace
}  // namespace Zarn
