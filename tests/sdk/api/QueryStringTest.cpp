#include "sdk/api/QueryString.h"

#include <gtest/gtest.h>

#include <string>

namespace Zarn {
namespace {

TEST(QueryStringTest, UrlDecode) {
  struct Case {
    std::string_view text;
    std::string_view decoded;
  };
  const Case cases[] = {
      {"", ""},           {"plain", "plain"}, {"x%20y", "x y"},
      {"a+b", "a b"},     {"%2B", "+"},       {"%41%62", "Ab"},
      {"%2f%2F", "//"},   {"%FF", "\xff"},    {"%00z", std::string_view("\0z", 2)},
      {"%4", "4"},                      // too short: the "%" is dropped
      {"%", ""},                        // likewise at the very end
      {"a%", "a"},        {"%+", " "},  // what follows the dropped "%" is still decoded
      {"%zz1", "%zz1"},                 // not hexadecimal: kept as written
      {"%4g", "%4g"},     {"%%41", "%%41"},   {"%%", ""},
      {"100%25", "100%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(UrlDecode(c.text), c.decoded);
  }
}

TEST(QueryStringTest, ParseQuery) {
  struct Case {
    std::string_view query;
    TextMap arguments;
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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.query));
    EXPECT_EQ(ParseQuery(c.query), c.arguments);
  }
}

}  // namespace
}  // namespace Zarn
