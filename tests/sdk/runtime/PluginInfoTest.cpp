#include "sdk/runtime/PluginInfo.h"

#include <gtest/gtest.h>

#include "sdk/base/LogApi.h"
#include "tests/sdk/base/LogTesting.h"

namespace Zarn::Client {
namespace {

TEST(PluginInfoTest, TheKindChoosesThePrefix) {
  struct Case {
    const char* type;
    const char* fullName;
    bool logged;
  };
  const Case cases[] = {
      {"backend", "bfz-be-jyx-lobby", false},
      {"frontend", "bfz-fe-jyx-lobby", false},
      {"Backend", "bfz-xx-jyx-lobby", true},
      {"", "bfz-xx-jyx-lobby", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    const LogApi* log = LogApi::GetTable();
    log->Init();
    Testing::RecordingLogTarget target;
    target.Attach();
    PluginInfo info;
    info.fullName = "stale";
    GetFullNameFromShortNameAndType(&info, "jyx-lobby", PluginKind{c.type, "q"});
    EXPECT_EQ(info.fullName, c.fullName);
    EXPECT_EQ(info.shortName, "jyx-lobby");
    EXPECT_EQ(info.kind.type, c.type);
    EXPECT_EQ(info.kind.qualifier, "q");

    const auto lines = target.Lines();
    if (c.logged) {
      ASSERT_EQ(lines.size(), 1u);
      EXPECT_EQ(lines[0].level, 2);
      EXPECT_EQ(lines[0].channels, 1u);
      EXPECT_EQ(lines[0].message,
                std::string("            Plugin Manager| GetFullNameFromShortNameAndType("
                            "\"jyx-lobby\", \"") +
                    c.type + ":q\") called with an unknown type");
    } else {
      EXPECT_TRUE(lines.empty());
    }
    target.Detach();
    log->Shutdown();
  }
}

}  // namespace
}  // namespace Zarn::Client
