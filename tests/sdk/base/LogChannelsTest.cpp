#include "sdk/base/LogChannels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "sdk/base/BoundaryRecords.h"

namespace Zarn {
namespace {

std::uint64_t Register(const char* name) {
  std::uint64_t mask = 0xDEAD;
  LogApi::GetTable()->RegisterChannel(&mask, name);
  return mask;
}

std::string Names(std::uint64_t mask) {
  char buffer[512];
  MaskToNames(buffer, sizeof(buffer), mask);
  return buffer;
}

// Channel names are process-wide, so this executable holds only this test: it registers new
// names until the table is full and checks what the names and masks look like at each step.
TEST(LogChannelsTest, NamesAreKnownByTheirFirstThreeLetters) {
  struct Known {
    const char* name;
    std::uint64_t mask;
  };
  const Known known[] = {
      {"DBG", kLogChannelDbg}, {"GEN", kLogChannelGen},     {"XTR", kLogChannelXtr},
      {"PRF", kLogChannelPrf}, {"MEM", kLogChannelMem},     {"DSK", kLogChannelDsk},
      {"NET", kLogChannelNet}, {"NETWORK", kLogChannelNet}, {"TSTX", kLogChannelTst},
  };
  for (const Known& k : known) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(Register(k.name), k.mask);
  }

  // The first new name takes bit 8; registering it again, or a longer name that begins with
  // it, gives the same bit.
  const std::uint64_t loc = Register("LOC");
  EXPECT_EQ(loc, 1ull << 8);
  EXPECT_EQ(Register("LOC"), loc);
  EXPECT_EQ(Register("LOCATION"), loc);
  EXPECT_EQ(Names(loc | kLogChannelDbg), "DBG;LOC");
  // A shorter name is a name of its own, and is matched as such.
  const std::uint64_t ab = Register("AB");
  EXPECT_EQ(ab, 1ull << 9);
  EXPECT_EQ(Register("AB"), ab);
  EXPECT_EQ(Register("ABC"), 1ull << 10);
  EXPECT_EQ(Names(ab), "AB");
  EXPECT_EQ(Register(nullptr), 0u);

  // Fill the table: every new name gets the next bit, up to bit 63.
  std::set<std::uint64_t> seen;
  for (int bit = 11; bit < 64; ++bit) {
    const std::string name = "N" + std::to_string(bit);
    SCOPED_TRACE(name);
    const std::uint64_t mask = Register(name.c_str());
    EXPECT_EQ(mask, 1ull << bit);
    EXPECT_TRUE(seen.insert(mask).second);
  }
  EXPECT_EQ(Names(1ull << 63), "N63");

  // A 65th name gets no bit and changes nothing; known names are still found.
  for (const char* name : {"ZZZ", "YYY"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Register(name), 0u);
  }
  EXPECT_EQ(Register("N63"), 1ull << 63);
  EXPECT_EQ(Register("LOC"), loc);
  EXPECT_EQ(Names(1ull << 63 | 1ull << 62), "N62;N63");
}

}  // namespace
}  // namespace Zarn
