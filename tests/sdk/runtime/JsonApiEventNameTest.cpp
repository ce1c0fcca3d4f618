#include "sdk/runtime/JsonApiEventName.h"

#include <gtest/gtest.h>

namespace Zarn::Client {
namespace {

TEST(JsonApiEventNameTest, KeepsThreeSegmentsOrFiveForPlatformConfig) {
  struct Case {
    const char* path;
    const char* name;
  };
  const Case cases[] = {
      {"/jyx-lobby/v2/lobby/members/x", "OnJsonApiEvent_jyx-lobby_v2_lobby"},
      {"/jyx-lobby/v2/lobby", "OnJsonApiEvent_jyx-lobby_v2_lobby"},
      {"/jyx-platform-config/v1/namespaces/Parties/Enabled",
       "OnJsonApiEvent_jyx-platform-config_v1_namespaces_Parties_Enabled"},
      {"/jyx-platform-config/v1/namespaces/Parties/Enabled/Extra",
       "OnJsonApiEvent_jyx-platform-config_v1_namespaces_Parties_Enabled"},
      {"/jyx-platform-config/v1", "OnJsonApiEvent_jyx-platform-config_v1"},
      {"", "OnJsonApiEvent"},
      {"/", "OnJsonApiEvent"},
      {"//a///b/", "OnJsonApiEvent_a_b"},
      {"jyx-login/v1/session", "OnJsonApiEvent_jyx-login_v1_session"},
      // Only the first segment selects the longer form, and only by its exact text.
      {"/x/jyx-platform-config/a/b/c", "OnJsonApiEvent_x_jyx-platform-config_a"},
      {"/jyx-platform-configs/a/b/c/d", "OnJsonApiEvent_jyx-platform-configs_a_b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(MakeJsonApiEventName(c.path), c.name);
  }
}

TEST(JsonApiEventNameTest, LcdsNamesReplaceEveryDot) {
  EXPECT_EQ(MakeLcdsEventName("com.zarnworks.platform.game.GameDTO"),
            "OnLcdsEvent_com_zarnworks_platform_game_GameDTO");
  EXPECT_EQ(MakeLcdsEventName(".a..b."), "OnLcdsEvent__a__b_");
  EXPECT_EQ(MakeLcdsEventName(""), "OnLcdsEvent_");
}

TEST(JsonApiEventNameTest, StarMatchesOneRunWithoutSlash) {
  struct Case {
    const char* pattern;
    const char* path;
    bool matches;
  };
  const Case cases[] = {
      {"/a/*", "/a/b", true},
      {"/a/*", "/a/bcd", true},
      {"/a/*", "/a/", false},
      {"/a/*", "/a", false},
      {"/a/*", "/a/b/c", false},
      {"/a/*/c", "/a/b/c", true},
      {"/a/*/c", "/a//c", true},
      {"/a/*/c", "/a/b/d", false},
      {"/a/*/c", "/a/b/c/d", false},
      {"/a/*/*", "/a/b/c", true},
      {"/a/b", "/a/b", true},
      {"/a/b", "/a/bc", false},
      {"/a/bc", "/a/b", false},
      {"", "", true},
      {"*", "", false},
      {"*", "x", true},
      {"*", "/", false},
      // A star runs to the next "/" or the end, so literal text after it inside one segment
      // is never reached.
      {"/a/*b", "/a/xb", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.path);
    EXPECT_EQ(MatchesObserverPattern(c.pattern, c.path), c.matches);
  }
}

}  // namespace
}  // namespace Zarn::Client
