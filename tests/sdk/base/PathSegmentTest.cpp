#include "sdk/base/PathSegment.h"

#include <gtest/gtest.h>

#include <string>

namespace Zarn {
namespace {

TEST(PathSegmentTest, EscapesWhatCouldEndOrLeaveTheSegmentAndNamesWhatNoIdHolds) {
  struct Case {
    std::string value;
    const char* segment;
    SegmentFault fault;
  };
  const Case cases[] = {
      {"party-3", "party-3", SegmentFault::kNone},
      {"AZaz09-._~", "AZaz09-._~", SegmentFault::kNone},
      {"", "", SegmentFault::kNone},
      {"/", "%2F", SegmentFault::kNone},
      {"..", "%2E%2E", SegmentFault::kOnlyDots},
      {".", "%2E", SegmentFault::kOnlyDots},
      // Only a segment that is all one or two dots names a directory; no id is dots alone.
      {"...", "...", SegmentFault::kOnlyDots},
      {"..\x1F", "..%1F", SegmentFault::kControlByte},
      {"a..b", "a..b", SegmentFault::kNone},
      {"?", "%3F", SegmentFault::kNone},
      {"#", "%23", SegmentFault::kNone},
      {"%", "%25", SegmentFault::kNone},
      {"%2F", "%252F", SegmentFault::kNone},
      {" ", "%20", SegmentFault::kNone},
      {std::string(1, '\0'), "%00", SegmentFault::kControlByte},
      {std::string("a\0b", 3), "a%00b", SegmentFault::kControlByte},
      {"\xC3\xA9", "%C3%A9", SegmentFault::kNone},
      {"\xFF", "%FF", SegmentFault::kNone},
      {"+&;=:@", "%2B%26%3B%3D%3A%40", SegmentFault::kNone},
      {"\\\r\n\x7F", "%5C%0D%0A%7F", SegmentFault::kControlByte},
      {"x/../../../v2/lobby", "x%2F..%2F..%2F..%2Fv2%2Flobby", SegmentFault::kNone},
      {"a?x=1#", "a%3Fx%3D1%23", SegmentFault::kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.value));
    EXPECT_EQ(PathSegment(c.value), c.segment);
    std::string path = "v1/parties/";
    AppendPathSegment(&path, c.value);
    EXPECT_EQ(path, std::string("v1/parties/") + c.segment);
    EXPECT_EQ(FindSegmentFault(c.value), c.fault);
  }
}

}  // namespace
}  // namespace Zarn
