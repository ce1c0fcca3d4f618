#include "sdk/base/PathSegment.h"

#include <gtest/gtest.h>

#include <string>

namespace Zarn {
namespace {

TEST(PathSegmentTest, EscapesWhatCouldEndOrLeaveTheSegment) {
  struct Case {
    std::string value;
    const char* segment;
  };
  const Case cases[] = {
      {"party-3", "party-3"},
      {"AZaz09-._~", "AZaz09-._~"},
      {"", ""},
      {"/", "%2F"},
      {"..", "%2E%2E"},
      {".", "%2E"},
      // Only a segment that is all one or two dots names a directory.
      {"...", "..."},
      {"a..b", "a..b"},
      {"?", "%3F"},
      {"#", "%23"},
      {"%", "%25"},
      {"%2F", "%252F"},
      {" ", "%20"},
      {std::string(1, '\0'), "%00"},
      {std::string("a\0b", 3), "a%00b"},
      {"\xC3\xA9", "%C3%A9"},
      {"\xFF", "%FF"},
      {"+&;=:@", "%2B%26%3B%3D%3A%40"},
      {"\\\r\n\x7F", "%5C%0D%0A%7F"},
      {"x/../../../v2/lobby", "x%2F..%2F..%2F..%2Fv2%2Flobby"},
      {"a?x=1#", "a%3Fx%3D1%23"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.value));
    EXPECT_EQ(PathSegment(c.value), c.segment);
    std::string path = "v1/parties/";
    AppendPathSegment(&path, c.value);
    EXPECT_EQ(path, std::string("v1/parties/") + c.segment);
  }
}

}  // namespace
}  // namespace Zarn
