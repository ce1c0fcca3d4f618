#include "sdk/base/Assertion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "sdk/base/BoundaryRecords.h"
#include "sdk/base/LogChannels.h"
#include "tests/sdk/base/LogTesting.h"

namespace Zarn {
namespace {

std::string Format(const char* expression, const char* description, const char* file,
                   std::int32_t line, const char* function) {
  char buffer[4096];
  FormatAssertionMessage(buffer, sizeof(buffer), expression, description, file, line, function);
  return buffer;
}

TEST(AssertionTest, ReportLaysOutOnlyThePartsGiven) {
  struct Case {
    const char* label;
    const char* expression;
    const char* description;
    const char* file;
    std::int32_t line;
    const char* function;
    const char* expected;
  };
  const Case cases[] = {
      {"nothing", "", "", "", 0, "", "Assertion failed!\n\n"},
      {"nulls", nullptr, nullptr, nullptr, 0, nullptr, "Assertion failed!\n\n"},
      {"file and line", "", "", "Loader.cpp", 7, "",
       "Assertion failed!\n\nFile: Loader.cpp\nLine: 7\n\n"},
      {"negative line", "", "", "", -12, "", "Assertion failed!\n\nLine: -12\n\n"},
      {"description without expression", "", "broken", "", 0, "",
       "Assertion failed!\n\n\n\nDescription: broken"},
      {"tag and description", "ALE-6D828C10", "Caught it", "", 0, "",
       "Assertion failed!\n\nExpression: ALE-6D828C10\n\nDescription: Caught it"},
      {"everything", "x > 0", "x must be positive", "a/b.cpp", 42, "Check",
       "Assertion failed!\n\nFile: a/b.cpp\nLine: 42\n\nFunction: Check\n\n"
       "Expression: x > 0\n\nDescription: x must be positive"},
      {"function only", "", "", "", 0, "Run", "Assertion failed!\n\nFunction: Run\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(Format(c.expression, c.description, c.file, c.line, c.function), c.expected);
  }
}

TEST(AssertionTest, ReportIsCutToItsBuffer) {
  char buffer[24];
  FormatAssertionMessage(buffer, sizeof(buffer), "long expression", "", "", 0, "");
  EXPECT_STREQ(buffer, "Assertion failed!\n\nExpr");
}

TEST(AssertionTest, ReportIsLoggedAsAnErrorOnTheDbgChannel) {
  const LogApi* api = LogApi::GetTable();
  api->Init();
  LogTargetInterface* stdErr = api->GetStdErrTarget();
  stdErr->Detach(stdErr);
  Testing::RecordingLogTarget target;
  target.Attach();

  // "%" in the texts is not a conversion: the report goes through "%s".
  ReportAssertion("ALE-EECF0606", "100% broken %s", "", 0, "");
  const std::vector<Testing::RecordedLine> lines = target.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].level, kLogLevelError);
  EXPECT_EQ(lines[0].channels, kLogChannelDbg);
  EXPECT_EQ(lines[0].message,
            "Assertion failed!\n\nExpression: ALE-EECF0606\n\nDescription: 100% broken %s");
  target.Detach();
  api->Shutdown();
}

}  // namespace
}  // namespace Zarn
