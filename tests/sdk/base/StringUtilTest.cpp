#include "sdk/base/StringUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Zarn {
namespace {

using Pieces = std::vector<std::string>;

TEST(StringUtilTest, SplitKeepsEmptyPieces) {
  struct Case {
    const char* text;
    const char* separator;
    Pieces pieces;
  };
  const Case cases[] = {
      {"a,b,", ",", {"a", "b", ""}},
      {"", ",", {""}},
      {",", ",", {"", ""}},
      {"a,,b", ",", {"a", "", "b"}},
      {"no separator", ",", {"no separator"}},
      {"a::b:c::", "::", {"a", "b:c", ""}},
      {":::", "::", {"", ":"}},
      {"abc", "", {"abc"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " on " + c.separator);
    EXPECT_EQ(SplitString(c.text, c.separator), c.pieces);
  }
}

TEST(StringUtilTest, TokenizeDropsEmptyTokens) {
  struct Case {
    const char* text;
    const char* delimiters;
    Pieces tokens;
  };
  const Case cases[] = {
      {"/a//b/", "/", {"a", "b"}},
      {"", "/", {}},
      {"///", "/", {}},
      {"lobby", "/", {"lobby"}},
      {"/jyx-lobby/v2/lobby/members", "/", {"jyx-lobby", "v2", "lobby", "members"}},
      {" a,b ;c", " ,;", {"a", "b", "c"}},
      {"abc", "", {"abc"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Tokenize(c.text, c.delimiters), c.tokens);
  }
}

TEST(StringUtilTest, JoinTakesARangeOfParts) {
  const Pieces parts = {"x", "y", "z"};
  struct Case {
    std::size_t first, count;
    const char* joined;
  };
  const Case cases[] = {
      {0, 3, "x, y, z"}, {1, 10, "y, z"}, {0, 1, "x"}, {2, 1, "z"},
      {3, 1, ""},        {7, 2, ""},      {0, 0, ""},  {1, SIZE_MAX, "y, z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first << "+" << c.count);
    EXPECT_EQ(JoinStrings(parts, ", ", c.first, c.count), c.joined);
  }
  EXPECT_EQ(JoinStrings({}, ",", 0, 5), "");
  EXPECT_EQ(JoinStrings({"", ""}, "-", 0, 2), "-");
}

TEST(StringUtilTest, ToLowerChangesOnlyAsciiLetters) {
  EXPECT_EQ(ToLower("Jyx-LOBBY v2 [AZ@]"), "jyx-lobby v2 [az@]");
  EXPECT_EQ(ToLower(""), "");
  const std::string high("\xC3\x89\xFF", 3);  // bytes above 0x7f pass unchanged
  EXPECT_EQ(ToLower(high), high);
}

TEST(StringUtilTest, ReplaceAllReplacesLeftToRightWithoutRescanning) {
  struct Case {
    const char* text;
    const char* pattern;
    const char* replacement;
    const char* result;
  };
  const Case cases[] = {
      {"aaa", "aa", "b", "ba"},
      {"aaaa", "aa", "b", "bb"},
      {"a.b.c", ".", "_", "a_b_c"},
      {"ab", "a", "aa", "aab"},  // the replacement is not searched again
      {"xyx", "x", "", "y"},
      {"/v1/parties/%1/gamemode", "%1", "abc", "/v1/parties/abc/gamemode"},
      {"unchanged", "zz", "y", "unchanged"},
      {"unchanged", "", "y", "unchanged"},
      {"same", "a", "a", "same"},
      {"", "a", "b", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.pattern);
    EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement), c.result);
  }
}

}  // namespace
}  // namespace Zarn
