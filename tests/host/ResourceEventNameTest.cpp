#include "host/ResourceEventName.h"

#include <gtest/gtest.h>

namespace Zarn::Host {
namespace {

TEST(ResourceEventNameTest, KeepsThreeSegmentsOrFiveForPlatformConfig) {
  struct Case {
    const char* path;
    const char* name;
  };
  const Case cases[] = {
      {"/jyx-lobby/v2/lobby/members/x", "OnJsonApiEvent_jyx-lobby_v2_lobby"},
      {"/jyx-platform-config/v1/namespaces/Parties/Enabled",
       "OnJsonApiEvent_jyx-platform-config_v1_namespaces_Parties_Enabled"},
      {"/jyx-platform-config/v1/namespaces/Parties/Enabled/More",
       "OnJsonApiEvent_jyx-platform-config_v1_namespaces_Parties_Enabled"},
      {"/jyx-platform-config/v1", "OnJsonApiEvent_jyx-platform-config_v1"},
      {"", "OnJsonApiEvent"},
      {"///", "OnJsonApiEvent"},
      {"//a//b/", "OnJsonApiEvent_a_b"},
      {"a/b/c/d", "OnJsonApiEvent_a_b_c"},
      {"/x/jyx-platform-config/a/b/c", "OnJsonApiEvent_x_jyx-platform-config_a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ResourceEventName(c.path), c.name);
  }
}

}  // namespace
}  // namespace Zarn::Host
