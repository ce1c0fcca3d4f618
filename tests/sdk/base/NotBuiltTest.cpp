#include "sdk/base/NotBuilt.h"

#include <gtest/gtest.h>

#include "sdk/base/FailureTesting.h"
#include "sdk/base/LogApi.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogTesting.h"

namespace Zarn {
namespace {

MaybeType<Failure, int> UnbuiltNumber() {
  ZARN_NOT_BUILT("UnbuiltNumber", MaybeType<Failure, int>);
}
MaybeType<Failure, void> UnbuiltAction() {
  ZARN_NOT_BUILT("UnbuiltAction", MaybeType<Failure, void>);
}
bool UnbuiltFlag() { ZARN_NOT_BUILT("UnbuiltFlag", bool); }
void UnbuiltCallback() { ZARN_NOT_BUILT("UnbuiltCallback", void); }

TEST(NotBuiltTest, FailsLoudlyAndNeverPassesForSuccess) {
  const LogApi* api = LogApi::GetTable();
  api->Init();
  LogTargetInterface* stdErr = api->GetStdErrTarget();
  stdErr->Detach(stdErr);
  Testing::RecordingLogTarget target;
  target.Attach();

  const MaybeType<Failure, int> number = UnbuiltNumber();
  ASSERT_TRUE(number.IsFailure());
  EXPECT_STREQ(number.GetFailure().Message(), "Not built: UnbuiltNumber");
  EXPECT_TRUE(UnbuiltAction().IsFailure());
  EXPECT_FALSE(UnbuiltFlag());
  UnbuiltCallback();

  const std::vector<Testing::RecordedLine> lines = target.Lines();
  ASSERT_EQ(lines.size(), 4u);
  const char* names[] = {"UnbuiltNumber", "UnbuiltAction", "UnbuiltFlag", "UnbuiltCallback"};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(lines[i].level, kLogLevelError);
    EXPECT_EQ(lines[i].message, std::string("Not built: ") + names[i]);
  }
  target.Detach();
  stdErr->Attach(stdErr);
  api->Shutdown();
}

}  // namespace
}  // namespace Zarn
