#include "sdk/base/Fnv1a.h"

#include <gtest/gtest.h>

#include <string>

namespace Zarn {
namespace {

TEST(Fnv1aTest, KnownVectors) {
  struct Case {
    std::string_view text;
    std::uint32_t hash;
  };
  const Case cases[] = {
      {"", 0x811c9dc5u},       {"a", 0xe40c292cu},    {"b", 0xe70c2de5u},
      {"foobar", 0xbf9cf968u}, {"\xff", 0x7a0b824eu}, {std::string_view("a\0b", 3), 0x10f3abd2u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(Fnv1a32(c.text), c.hash);
    EXPECT_EQ(Fnv1a32(c.text, kFnv1a32OffsetBasis), c.hash);
  }
  EXPECT_EQ(Fnv1a32("", 12345u), 12345u) << "an empty text leaves the seed";
  static_assert(Fnv1a32("foobar") == 0xbf9cf968u, "usable at compile time");
}

}  // namespace
}  // namespace Zarn
