#include "sdk/api/ArgumentKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace Zarn {
namespace {

TEST(ArgumentKeyTest, ParseIndexStep) {
  struct Case {
    std::string_view step;
    IndexStep parsed;
    std::uint64_t index = 0;  // with kIndex
  };
  const Case cases[] = {
      {"0", IndexStep::kIndex, 0},
      {"7", IndexStep::kIndex, 7},
      {"9999", IndexStep::kIndex, 9999},
      {"010", IndexStep::kIndex, 8},
      {"00", IndexStep::kIndex, 0},
      {"0x10", IndexStep::kIndex, 16},
      {"0XfF", IndexStep::kIndex, 255},
      {"18446744073709551615", IndexStep::kIndex, UINT64_MAX},
      {"0xffffffffffffffff", IndexStep::kIndex, UINT64_MAX},
      {"18446744073709551616", IndexStep::kTooLarge},
      {"0x10000000000000000", IndexStep::kTooLarge},
      {"99999999999999999999", IndexStep::kTooLarge},
      {"1x", IndexStep::kMalformed},
      {"08", IndexStep::kMalformed},  // not an octal digit
      {"0x", IndexStep::kMalformed},  // a prefix without a digit
      {"0xg", IndexStep::kMalformed},
      {"1 ", IndexStep::kMalformed},
      {"1-", IndexStep::kMalformed},
      {"99999999999999999999x", IndexStep::kMalformed},  // left over goes before too large
      {"", IndexStep::kMalformed},
      {"a", IndexStep::kMalformed},
      {"-1", IndexStep::kMalformed},
      {"+1", IndexStep::kMalformed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.step));
    std::uint64_t index = 12345;
    EXPECT_EQ(ParseIndexStep(c.step, index), c.parsed);
    EXPECT_EQ(index, c.parsed == IndexStep::kIndex ? c.index : 12345u);
  }
}

TEST(ArgumentKeyTest, KeysSortStepByStep) {
  // In order: a key before those it is a prefix of, indexes by value (then text) before members
  // (malformed and too large indexes among them) by their bytes.
  const std::vector<std::string> ordered = {
      "a",
      "a.0",
      "a.0.b",
      "a.00",
      "a.01",
      "a.1",
      "a.2",
      "a.0x3",
      "a.9",
      "a.10",
      "a..",
      "a.1x",
      "a.99999999999999999999",
      "a.B",
      "a.b",
      "a.b.0",
      "a.b.1",
      "a.bb",
      "ab",
      "b",
      "b.0",
  };
  std::vector<std::string> sorted(ordered.rbegin(), ordered.rend());
  std::sort(sorted.begin(), sorted.end(),
            [](const std::string& x, const std::string& y) { return ArgumentKeyLess(x, y); });
  EXPECT_EQ(sorted, ordered);
  for (const std::string& key : ordered) EXPECT_FALSE(ArgumentKeyLess(key, key)) << key;
}

}  // namespace
}  // namespace Zarn
